#pragma once

#include <QAbstractTableModel>
#include <functional>
#include <string>
#include <vector>

#include "framework/window_procedure.h"
#include "store/engine.h"

class QAbstractItemView;
class QHeaderView;
class QLineEdit;
class QPushButton;
class QTableView;

namespace store {
class FileManager;
}

namespace framework {

/// One column of a browse list: its heading, and the text a record shows in it.
struct BrowseColumn {
    QString heading;
    std::function<QString(const std::byte* record)> text;
    int width = 100;  // pixels, until the user or the configuration file says otherwise
};

/// The records of a table in a key's order, read a page at a time in either direction as
/// the list scrolls, so that a table of any size opens at once. Each row keeps its record
/// and position; reading saves and restores the table's shared buffer.
class BrowseModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    BrowseModel(store::FileManager& fm, int key, QObject* parent = nullptr);

    void setColumns(std::vector<BrowseColumn> columns);
    /// Limits the list to records whose first `components` key components equal those of
    /// `values` (a record image).
    void setRange(int components, const std::byte* values);
    /// Leaves out records the filter refuses.
    void setFilter(std::function<bool(const std::byte* record)> filter);
    void setKey(int key);
    int rangeComponents() const { return rangeComponents_; }
    const std::byte* rangeValues() const { return range_.empty() ? nullptr : range_.data(); }
    int key() const { return key_; }

    /// Reads the list again from the start of the range.
    void reload();
    /// Reads the list from the first record whose key is at or after `values` in its first
    /// `components` components (the rest of the range before it comes when scrolling up).
    void locate(const std::byte* values, int components);
    /// Reads the list again around the record at p (after a change), or from the start.
    void reloadAt(store::RecordPosition p);

    const std::byte* record(int row) const;
    store::RecordPosition position(int row) const;
    /// The row of the record at p, or -1.
    int rowOf(store::RecordPosition p) const;
    bool atStart() const { return atStart_; }
    bool atEnd() const { return atEnd_; }
    /// Reads up to n records before the first row; returns how many came.
    int fetchPrevious(int n = kPage);

    static constexpr int kPage = 60;

    /// The width a column asks for until the user or the configuration file says otherwise.
    int columnWidth(int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

  private:
    struct Row {
        std::vector<std::byte> record;
        store::RecordPosition position;
    };
    bool inRange(const std::byte* record) const;
    /// Reads up to n records from a position in one direction.
    std::vector<Row> read(const Row* from, const std::byte* seek, int seekComponents, int direction,
                          int n, bool& reachedEnd);

    store::FileManager& fm_;
    int key_;
    std::vector<BrowseColumn> columns_;
    std::vector<Row> rows_;
    int rangeComponents_ = 0;
    std::vector<std::byte> range_;
    std::function<bool(const std::byte*)> filter_;
    bool atStart_ = true, atEnd_ = true;
};

/// A browse window: a list of a table with a locator, Insert / Change / Delete buttons
/// that run the table's form with their request, and, in select mode, Select, which
/// leaves the highlighted record in the table's buffer. Column widths are kept under the
/// window's key of section "List formats".
class BrowseProcedure : public WindowProcedure {
    Q_OBJECT
  public:
    /// form runs the table's form with a request and returns its response.
    using FormRunner = std::function<int(int request)>;

    BrowseProcedure(store::Store& db, store::Tbl table, int key, const std::string& name,
                    QWidget* parent = nullptr);

    BrowseModel& model() { return *model_; }
    QTableView* list() const { return view_; }
    QLineEdit* locator() const { return locator_; }
    void setColumns(std::vector<BrowseColumn> columns);
    /// Makes the window's default height show `rows` rows of the list whole (a short list
    /// such as the durations), as long as the screen has room.
    void fitRows(int rows);
    void setForm(FormRunner form) { form_ = std::move(form); }
    /// The key under "List formats" that keeps the column widths ("" keeps none).
    std::string listFormatKey;
    /// Select mode: the window returns the highlighted record.
    void setSelectMode(bool select);
    bool selectMode() const { return select_; }
    /// Insert/Change/Delete allowed (a view-only user gets none).
    void setUpdatesAllowed(bool insert, bool change, bool del);

    /// Runs the form on the highlighted record with a request; the list follows.
    void runForm(int request);
    /// Puts the highlighted record into the table's buffer; false when none.
    bool takeHighlighted();

  protected:
    bool INIT() override;
    void KILL() override;
    /// The locator's text as a key value: the key's first text component is searched.
    virtual void LOCATE(const QString& text);
    /// Builds extra controls before the list (tabs, ranges); the default adds nothing.
    virtual void BUILD() {}

  private:
    void select();
    void updateButtons();

    store::Tbl table_;
    BrowseModel* model_;
    QTableView* view_;
    QLineEdit* locator_;
    QPushButton *insert_, *change_, *delete_, *select_btn_, *close_;
    FormRunner form_;
    bool select_ = false;
    bool allowInsert_ = true, allowChange_ = true, allowDelete_ = true;
};

/// Gives a list its default column widths: each column as wide as its model asks (a
/// BrowseModel's widths; others keep theirs) and never narrower than its heading, and no
/// column stretched to the window's edge, so that a short last column (Units) never takes
/// the width the names need. Call restoreColumnWidths afterwards: the layout the user left
/// still wins.
void fitColumns(QTableView& view);

/// The width a column's heading needs, with the margins and sort mark the style gives it.
int headingWidth(const QHeaderView& header, int column);

/// The width of a list column for `chars` characters of text in the list's font, with
/// the cell's margins: wide letters, so that a full field of capitals is never cut.
int textColumnWidth(const QWidget& list, int chars);

/// Makes Down (and Page Down) in a list's locator move the highlight into the list, as a
/// user who has typed the first letters expects: the focus goes to the list, whose
/// highlight moves on from the row located (or lands on the first row when none is
/// highlighted). `list` names the list that is shown now (a window may have several).
void leadDownIntoList(QLineEdit* locator, std::function<QAbstractItemView*()> list);

/// Sets a list's column widths from the key under "List formats" of the configuration
/// Lays out the frame every browse window shares: the locator row ("Locate:") on top,
/// the list (or a tab widget of lists) under it, and the buttons row at the bottom: the
/// actions (select, insert, change, delete) on the left, close and help apart on the
/// right. Down in the locator moves into `list()`, the list the user is on.
void layBrowse(QDialog& window, const QString& locateText, QLineEdit* locator, QWidget* body,
               const std::vector<QPushButton*>& actions, QPushButton* close, QPushButton* help,
               std::function<QAbstractItemView*()> list);

/// file, when it holds one width per column; otherwise the widths stay.
void restoreColumnWidths(QTableView& view, const std::string& key);
/// Keeps a list's column widths under the key.
void saveColumnWidths(const QTableView& view, const std::string& key);

}  // namespace framework
