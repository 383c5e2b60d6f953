#include "store_move.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>

#include "engine.h"
#include "server_config.h"
#include "sql_backend.h"
#include "store_copy.h"

namespace store {

namespace {

namespace fs = std::filesystem;

constexpr const char* kWarning =
    "Every station must have closed Tembrix before its store moves: a station still open "
    "would go on using the old place.";

std::string now() {
    const std::time_t t = std::time(nullptr);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", std::localtime(&t));
    return text;
}

/// Prints a copy's progress: a line when a table starts, then about every tenth of a large
/// table, and a line per key checked.
std::string records(long long n) {
    return std::to_string(n) + (n == 1 ? " record" : " records");
}

/// Prints a copy's progress: a line when a table's copy and its check start, then about
/// every tenth of a large table.
class ProgressPrinter {
  public:
    explicit ProgressPrinter(std::ostream& out) : out_(out) {}
    void operator()(const StoreCopyProgress& p) {
        const bool copying = p.phase == StoreCopyProgress::Phase::Copying;
        const std::string what = (copying ? "copying " : "checking ") + p.table + p.key;
        if (what != current_) {
            current_ = what;
            step_ = std::max<long long>(p.total / 10, 50000);
            next_ = step_;
            if (copying)
                out_ << "  copying " << p.table << ": " << records(p.total) << std::endl;
            else if (p.key.empty())
                out_ << "  checking " << p.table << ": every record, then every key" << std::endl;
            return;
        }
        if (p.done >= next_ && p.done < p.total) {
            out_ << "    "
                 << (copying         ? "copied "
                     : p.key.empty() ? "checked "
                                     : p.key + ": ")
                 << p.done << " of " << p.total << std::endl;
            while (next_ <= p.done) next_ += step_;
        }
    }

  private:
    std::ostream& out_;
    std::string current_;
    long long step_ = 0, next_ = 0;
};

std::string seconds(std::chrono::steady_clock::duration d) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", std::chrono::duration<double>(d).count());
    return text;
}

int report(const StoreCopyResult& r, std::chrono::steady_clock::time_point started,
           std::ostream& out, std::ostream& err) {
    if (!r.ok()) {
        err << "quarnel: the store was not copied: " << r.message << std::endl;
        return 1;
    }
    out << "quarnel: copied " << r.records << " records in " << r.tables
        << (r.tables == 1 ? " table" : " tables") << ", every key checked ("
        << seconds(std::chrono::steady_clock::now() - started) << ")" << std::endl;
    return 0;
}

bool present(const fs::path& p) {
    std::error_code ec;
    return fs::exists(p, ec);
}

/// Copies one store into another with its progress printed; both engines are closed again
/// (the target's files or sessions let go) before the result is looked at.
StoreCopyResult copyPrinting(const std::string& folder, std::unique_ptr<sql::Connection> from,
                             std::unique_ptr<sql::Connection> to, std::ostream& out) {
    ProgressPrinter printer(out);
    StoreCopyOptions options;
    options.progress = std::ref(printer);
    Engine source(folder, std::move(from));
    Engine target(folder, std::move(to));
    return copyStore(source, target, options);
}

}  // namespace

int moveStoreToServer(const std::string& folder, const std::string& conninfo, std::ostream& out,
                      std::ostream& err) {
    out << "quarnel: " << kWarning << std::endl;
    const fs::path dir(folder);
    if (present(dir / kServerFileName)) {
        err << "quarnel: " << folder << " already names a server in its " << kServerFileName
            << "; its store is there, not in the folder" << std::endl;
        return 1;
    }
    if (!present(dir / "RESDATA.TPS")) {
        err << "quarnel: " << folder << " holds no store (there is no RESDATA.TPS)" << std::endl;
        return 1;
    }
    if (conninfo.find_first_not_of(" \t") == std::string::npos ||
        conninfo.find_first_of("\r\n") != std::string::npos) {
        err << "quarnel: no server is named (the connection line must be one line)" << std::endl;
        return 1;
    }
    // The server file is written first under a name of its own, so that a folder that cannot
    // take it refuses before anything is copied; it takes its real name only after the copy.
    const fs::path serverFile = dir / kServerFileName;
    const fs::path pending = dir / (std::string(kServerFileName) + ".new");
    {
        std::ofstream f(pending);
        f << "# The store of this folder moved to this server on " << now() << " from "
          << fs::absolute(dir).lexically_normal().string()
          << " (RESDATA.TPS and USERS.TPS there are the state at the move)\n"
          << conninfo << "\n";
        f.close();
        if (!f) {
            err << "quarnel: the server file cannot be written in " << folder << ": "
                << std::strerror(errno) << std::endl;
            std::error_code ec;
            fs::remove(pending, ec);
            return 1;
        }
    }
    out << "quarnel: copying the store of " << folder << " onto the server" << std::endl;
    const auto started = std::chrono::steady_clock::now();
    const StoreCopyResult r = copyPrinting(folder, sql::makeFileConnection(folder),
                                           sql::makeServerConnection(conninfo), out);
    std::error_code ec;
    if (report(r, started, out, err) != 0) {
        fs::remove(pending, ec);
        return 1;
    }
    fs::rename(pending, serverFile, ec);
    if (ec) {
        err << "quarnel: the store is on the server, but " << serverFile.string()
            << " cannot be written (" << ec.message() << "): the stations still use the folder's "
            << "files; write that file with the server's connection line" << std::endl;
        fs::remove(pending, ec);
        return 1;
    }
    out << "quarnel: " << folder << " now names the server in " << kServerFileName
        << "; every station that starts uses it" << std::endl;
    return 0;
}

int moveStoreToFolder(const std::string& conninfo, const std::string& folder, std::ostream& out,
                      std::ostream& err) {
    const fs::path dir(folder);
    for (const char* name : {"RESDATA.TPS", "USERS.TPS", kServerFileName}) {
        if (present(dir / name)) {
            err << "quarnel: " << folder << " already holds " << name
                << "; a store is copied only into a folder without one" << std::endl;
            return 1;
        }
    }
    if (conninfo.find_first_not_of(" \t") == std::string::npos) {
        err << "quarnel: no server is named" << std::endl;
        return 1;
    }
    bool made = false;
    if (!present(dir)) {
        std::error_code ec;
        fs::create_directories(dir, ec);
        if (ec) {
            err << "quarnel: the folder " << folder << " cannot be made: " << ec.message()
                << std::endl;
            return 1;
        }
        made = true;
    }
    out << "quarnel: copying the server's store into " << folder << std::endl;
    const auto started = std::chrono::steady_clock::now();
    const StoreCopyResult r = copyPrinting(folder, sql::makeServerConnection(conninfo),
                                           sql::makeFileConnection(folder), out);
    if (report(r, started, out, err) != 0) {
        std::error_code ec;
        if (made) fs::remove(dir, ec);  // only when empty again, as it was made
        return 1;
    }
    out << "quarnel: " << folder << " holds the store in its own files" << std::endl;
    return 0;
}

}  // namespace store
