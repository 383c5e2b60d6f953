#pragma once

#include <QAbstractTableModel>
#include <memory>
#include <vector>

#include "booking/words.h"
#include "framework/window_procedure.h"
#include "scan/booking_lists.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTableView;
class QTreeWidget;

namespace framework {
class BrowseModel;
class DateEntry;
}  // namespace framework

namespace scan::ui {

/// A list of booking occurrences that reads its rows from the store a page at a time as
/// the view scrolls: day, date, start, end, name, client, primary resource, units, number.
class OccurrenceModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    OccurrenceModel(const booking::Words& words, QObject* parent = nullptr);

    /// Starts the list anew on another source (nullptr: an empty list).
    void reset(std::unique_ptr<BookingList> source);
    const Occurrence* row(int r) const;
    /// The booking of a row as the list read it.
    const booking::ListedBooking* listed(int r) const;
    /// The first row the view shows: it always shows its day and date, whatever row is
    /// above it.
    void setTopRow(int row);
    /// The engine's text when the last read failed, else "".
    const std::string& error() const { return error_; }

    static constexpr int kPage = 60;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

  private:
    QStringList headings_;
    std::unique_ptr<BookingList> source_;
    std::vector<Occurrence> rows_;
    std::string error_;
    int top_ = 0;
};

/// BROWSEALL: booking occurrences from a date on, by date, by resource, by client or by the
/// resources of a group; from it bookings are added, opened, deleted and printed.
class BROWSEALL : public framework::WindowProcedure {
    Q_OBJECT
  public:
    enum Tab { ByDate, ByResource, ByClient, ByGroup };

    explicit BROWSEALL(store::Store& db, QWidget* parent = nullptr);
    ~BROWSEALL() override;

    /// Reads the current tab's list again from "Display from".
    void refresh();
    int tab() const;
    void setTab(Tab t);

    // The controls, for tests that drive the window as a user does.
    QTableView* list(Tab t) const { return views_[t]; }
    OccurrenceModel* model(Tab t) const { return models_[t]; }
    QTreeWidget* otherResources() const { return others_; }
    framework::DateEntry* fromEntry() const { return from_; }
    QLineEdit* entry(Tab t) const { return entries_[t]; }
    QPushButton* insertButton() const { return insert_; }
    QPushButton* editButton() const { return edit_; }
    QPushButton* deleteButton() const { return delete_; }
    QPushButton* printButton() const { return print_; }

  protected:
    bool INIT() override;
    void KILL() override;
    void TAKEACCEPTED(QObject* control) override;
    void TAKEEVENT() override;

  private:
    void build();
    /// BUTTONCONTROL: Edit/View and Delete only with a row to act on.
    void BUTTONCONTROL();
    /// RACREFRESH: the other resources of the highlighted row.
    void RACREFRESH();
    /// The entry of a tab accepted: a value on file is listed, another opens its look-up.
    void acceptEntry(Tab t, bool lookUp);
    /// Puts the highlighted occurrence in the DATES buffer; false when there is none.
    bool takeHighlighted();
    void runForm(int request);
    void deleteHighlighted();
    std::string listKey(Tab t);

    booking::Words words_;
    QTabWidget* tabs_ = nullptr;
    framework::DateEntry* from_ = nullptr;
    QTableView* views_[4] = {};
    OccurrenceModel* models_[4] = {};
    QLineEdit* entries_[4] = {};
    QPushButton* lookups_[4] = {};
    std::string selection_[4];
    QTreeWidget* others_ = nullptr;
    QPushButton *insert_ = nullptr, *edit_ = nullptr, *delete_ = nullptr, *print_ = nullptr,
                *close_ = nullptr, *help_ = nullptr;
    bool ownChange_ = false;
};

/// BROWSEBYNAME: bookings by name with a locator; beside them the highlighted booking's
/// dates and its other resources.
class BROWSEBYNAME : public framework::WindowProcedure {
    Q_OBJECT
  public:
    explicit BROWSEBYNAME(store::Store& db, QWidget* parent = nullptr);
    ~BROWSEBYNAME() override;

    QLineEdit* locator() const { return locator_; }
    QTableView* bookings() const { return names_; }
    QTableView* dates() const { return dates_; }
    QTreeWidget* otherResources() const { return others_; }

  protected:
    bool INIT() override;
    void KILL() override;
    void TAKEACCEPTED(QObject* control) override;
    bool TAKEFIELDEVENT(QObject* control, QEvent* event) override;

  private:
    void highlighted();

    booking::Words words_;
    QLineEdit* locator_ = nullptr;
    QTableView* names_ = nullptr;
    QTableView* dates_ = nullptr;
    framework::BrowseModel* nameModel_ = nullptr;
    framework::BrowseModel* dateModel_ = nullptr;
    QTreeWidget* others_ = nullptr;
    QPushButton *close_ = nullptr, *help_ = nullptr;
};

/// Defines the bookings browses in the program's window registry.
void registerBrowses();

}  // namespace scan::ui
