#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace framework {

/// The configuration file of the working folder ("tembrixm.INI"): sections of keys with
/// text values. Sections and keys are found without regard to letter case. A missing or
/// garbled file reads as empty; nothing here ever complains to the user. So does a file
/// larger than kMaxSize: placements and list layouts take a few kilobytes, a file that
/// size is no configuration of ours, and it must not slow every window down. The next
/// write then replaces it.
///
/// Every read takes the file as it is now and every write rewrites it whole (through a
/// temporary file, so that a crash never leaves half a file), so two windows or two
/// programs that share the file see each other's last writes.
class IniFile {
  public:
    static constexpr std::size_t kMaxSize = 1 << 20;

    explicit IniFile(std::string path);

    const std::string& path() const { return path_; }

    /// The value of key in section, or nothing when either is missing.
    std::optional<std::string> get(const std::string& section, const std::string& key) const;
    /// The value, or fallback when missing.
    std::string get(const std::string& section, const std::string& key,
                    const std::string& fallback) const;
    /// A whole number, or nothing when missing or not a number.
    std::optional<int> getInt(const std::string& section, const std::string& key) const;

    /// Sets key in section, adding either when missing. False when the file cannot be
    /// written (the value is then lost, as a read-only folder would lose it).
    bool put(const std::string& section, const std::string& key, const std::string& value);
    bool put(const std::string& section, const std::string& key, int value);

  private:
    std::vector<std::string> readLines() const;

    std::string path_;
};

}  // namespace framework
