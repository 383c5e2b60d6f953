#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "converter/releases.h"

namespace converter {

/// Writes a data folder in the layouts of one release from a handful of records given by
/// table and field name: the converter's test data, and sample folders for trying it out.
///
///     SampleStore s(Release::R31);
///     s.add("ACTIVITY").set("ACTNUMBER", 1).set("REPEATTYPE", "Fixed Weeks");
///     s.write(folder);
///
/// A name that the release's layout does not have is not fatal at once: write() then
/// refuses, and problem() names it.
class SampleStore {
  public:
    explicit SampleStore(Release r);

    /// One record being filled, in the release's layout of its table.
    class Record {
      public:
        /// Numbers for LONG, SHORT and BYTE fields; `element` picks an entry of an array.
        Record& set(const char* field, long long value, int element = 0);
        /// Texts for STRING fields and memos, cut to the field's width.
        Record& set(const char* field, std::string_view text, int element = 0);
        Record& set(const char* field, const char* text, int element = 0) {
            return set(field, std::string_view(text), element);
        }
        /// True when the layout has the field.
        bool has(const char* field) const;

      private:
        friend class SampleStore;
        Record(SampleStore& s, int table, std::size_t index)
            : s_(s), table_(table), index_(index) {}
        const store::FieldDecl* field(const char* name, bool text);
        SampleStore& s_;
        int table_;
        std::size_t index_;
    };

    Release release() const { return release_; }
    /// A new, cleared record of the release's table of that stored name.
    Record add(const char* table);
    /// Appends a whole record image of the table (as its layout declares it).
    void addImage(const char* table, const std::byte* image);
    /// Leaves the table out of the folder altogether, as a damaged or hand-made folder
    /// might lack it.
    void leaveOut(const char* table);
    /// The layout the release writes the table in; nullptr when it does not keep it.
    const store::TableDecl* layout(const char* table) const;

    /// Writes every table the release keeps, with the records given, into `folder` (made
    /// when missing; it must not hold a store yet), in one transaction. 0 on success, else
    /// the engine's error or -1 for a problem of the sample itself; problem() says which.
    int write(const std::string& folder);
    const std::string& problem() const { return problem_; }

  private:
    struct Pending {
        const HeldTable* held;
        std::vector<std::byte> images;
        std::size_t count = 0;
    };
    int indexOf(const char* table);
    std::byte* image(int table, std::size_t index);

    Release release_;
    std::vector<Pending> tables_;
    std::string problem_;
};

/// Fills a sample with what a small office keeps: a few users with their preferences and
/// lists, resources in a group, clients, bookings with repeat rules and notes, and their
/// occurrences, in whichever layout the sample's release has.
void addTrialRecords(SampleStore& s);

}  // namespace converter
