#pragma once

#include <vector>

#include "booking/words.h"
#include "framework/window_procedure.h"
#include "scan/free_time.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QTreeWidget;

namespace framework {
class DateEntry;
class TimeEntry;
}  // namespace framework

namespace scan::ui {

/// FINDFREETIME: the first periods in which every chosen resource is free (or enough units
/// of each pooled one) for a booking of a given length, within working hours, listed in
/// date order; "Book" opens the booking form on the highlighted one.
class FindFreeTime : public framework::WindowProcedure {
    Q_OBJECT
  public:
    explicit FindFreeTime(store::Store& db, QWidget* parent = nullptr);

    /// The question as the controls state it.
    FreeTimeQuestion question() const;
    /// Adds resources to the list (code and units wanted); one already listed is kept.
    void addResources(const std::vector<WantedResource>& add);
    /// Runs the search and lists what it found; false (the user told why) when the
    /// question cannot be asked.
    bool search();
    const std::vector<FreePeriod>& found() const { return found_; }
    /// Opens the booking form on a found period.
    void book(int row);

    // The controls, for tests that drive the window as a user does.
    QTreeWidget* resourceList() const { return resources_; }
    QTreeWidget* resultList() const { return results_; }
    framework::TimeEntry* lengthEntry() const { return length_; }
    framework::DateEntry* fromEntry() const { return from_; }
    framework::DateEntry* toEntry() const { return to_; }
    QPushButton* searchButton() const { return search_; }
    QPushButton* bookButton() const { return book_; }

    /// Opens the booking form primed with a period; returns its response. The booking
    /// form unless a test puts another in its place.
    static std::function<int(store::Store&, QWidget*, const std::vector<WantedResource>&,
                             const FreePeriod&, store::Length)>&
    bookingForm();

  protected:
    bool INIT() override;
    void TAKEACCEPTED(QObject* control) override;

  private:
    void build();
    void addGroup();
    void addChosen();
    void refuse(const QString& text);

    booking::Words words_;
    std::vector<FreePeriod> found_;
    QTreeWidget* resources_ = nullptr;
    QPushButton *addResource_ = nullptr, *addGroup_ = nullptr, *remove_ = nullptr;
    framework::TimeEntry* length_ = nullptr;
    framework::DateEntry *from_ = nullptr, *to_ = nullptr;
    framework::TimeEntry *dayStart_ = nullptr, *dayEnd_ = nullptr;
    QCheckBox *weekends_ = nullptr, *specials_ = nullptr;
    QPushButton* search_ = nullptr;
    QTreeWidget* results_ = nullptr;
    QLabel* summary_ = nullptr;
    QPushButton *book_ = nullptr, *close_ = nullptr, *help_ = nullptr;
};

/// Defines the window in the program's window registry.
void registerFreeTime();

}  // namespace scan::ui
