#pragma once

#include <QDialog>
#include <array>

#include "masterdata/calendar_grid.h"

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace framework {
class DateEntry;
}

namespace masterdata::ui {

/// The pop-up month calendar from which a date is picked: month and year buttons, a
/// month list and a year entry above a Sunday-first grid of the month's days, "OK" and
/// "Cancel" below. The keyboard works the grid: arrows move a day or a week, Page Up and
/// Page Down a month (with Ctrl a year), Home and End go to the month's first and last
/// day, Enter is "OK" and Escape "Cancel".
class CalendarPicker : public QDialog {
    Q_OBJECT
  public:
    explicit CalendarPicker(store::Date date, QWidget* parent = nullptr);

    /// The day under the cursor.
    store::Date selected() const { return shown_.date(); }
    const CalendarMonth& shown() const { return shown_; }
    /// Shows the month of the given date with it selected; false (and a beep) outside
    /// the months the buttons can reach.
    bool select(store::Date date);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void showMonth(const CalendarMonth& month);
    /// The grid, headings and month and year controls for the shown month (DISPLAY_DATE).
    void DISPLAY_DATE();
    bool moveDays(int days);
    bool handleKey(QKeyEvent* event);

    CalendarMonth shown_;
    std::array<QPushButton*, 42> cells_{};
    QComboBox* month_ = nullptr;
    QSpinBox* year_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    bool updating_ = false;
};

/// Opens the picker modally on the date. A date of 0 becomes today as the picker opens.
/// On "OK" the date receives the picked day; "Cancel" or closing the window leaves it
/// as it was when the picker opened.
void LOOKUPCAL(store::Date& date, QWidget* parent);
/// The same, telling whether the user chose "OK".
bool lookupCalendar(store::Date& date, QWidget* parent);

/// A "Cal" button (tip "Pop up calendar") that opens the picker on the entry's date and
/// writes the picked date back into the entry, which then announces it as accepted.
/// F4 or Alt+Down in the entry presses it. A read-only entry's date is shown, not changed.
QPushButton* calButton(framework::DateEntry* entry, QWidget* parent);

}  // namespace masterdata::ui
