#pragma once

#include <functional>
#include <string>
#include <variant>
#include <vector>

#include "relation_manager.h"

namespace store {

/// A filtered, ordered read over a primary table: sort orders on its keys, range limits on
/// a key's leading components, a filter, and look-ups that bring each record's parent
/// into its table's buffer.
class ViewManager {
  public:
    using Value = std::variant<long long, std::string>;
    enum RecordVerdict { Record_OK = 0, Record_Filtered = 1, Record_OutOfRange = 2 };

    /// The view over primary's table; the primary relation manager is opened with it.
    explicit ViewManager(RelationManager& primary);
    virtual ~ViewManager();

    /// Adds a sort order on a key of the primary table; returns its number (1-based).
    int ADDSORTORDER(int key);
    /// Range limits on the last sort order added, one per leading key component in key
    /// order: the component equals the buffer's value when the view is reset...
    void ADDRANGE(Field field);
    /// ...or lies between two values (both included; only the last range may be this)...
    void ADDRANGE(Field field, Value low, Value high);
    /// ...or equals a field of a related table's buffer when the view is reset.
    void ADDRANGE(Field field, FileManager& related, Field relatedField);
    /// A filter on the last sort order added, evaluated with the record in the buffer.
    void SETFILTER(std::function<bool()> filter);
    /// After each record is read, its parent is fetched into parent's buffer through
    /// parentKey, the key's components taken from the listed fields of the record
    /// (cleared when no parent is on file).
    void ADDLOOKUP(FileManager& parent, int parentKey, std::vector<Field> childFields);

    /// Chooses the active sort order (1-based).
    void SETSORT(int order);
    int sortOrder() const { return active_ + 1; }
    /// Applies the active order's key, range and filter and positions at its start.
    /// Message 40 when positioning fails; the view then carries on without limits.
    Level RESET();
    /// Reads the next/previous record that passes range, filter and VALIDATERECORD.
    /// Level_Notify at the end.
    Level NEXT();
    Level PREVIOUS();

    /// The hook through which a window rejects records a filter cannot express.
    virtual RecordVerdict VALIDATERECORD() { return Record_OK; }

    Level OPEN();
    Level CLOSE();
    RelationManager& primary() { return primary_; }

  private:
    struct Range {
        Field field;
        enum Kind { Current, Between, Related } kind;
        Value low, high;
        FileManager* related = nullptr;
        Field relatedField = {};
    };
    struct SortOrder {
        int key;
        std::vector<Range> ranges;
        std::function<bool()> filter;
    };
    struct Lookup {
        FileManager* parent;
        int parentKey;
        std::vector<Field> childFields;
    };

    Level step(int direction);
    RecordVerdict verdict();
    void setValue(const FieldDecl& f, std::byte* rec, const Value& v);

    RelationManager& primary_;
    std::vector<SortOrder> orders_;
    std::vector<Lookup> lookups_;
    int active_ = 0;
    bool limited_ = true;
    int started_ = 0;  // 0 right after RESET; then the first read positions the cursor
    std::vector<std::byte> low_, high_;
    int equalComponents_ = 0;
    bool between_ = false;
};

}  // namespace store
