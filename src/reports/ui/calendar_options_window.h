#pragma once

#include <array>
#include <functional>
#include <string>

#include "booking/words.h"
#include "framework/window_procedure.h"
#include "reports/calendar_options.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QStackedWidget;

namespace framework {
class DateEntry;
}

namespace reports::ui {

/// CALENDARMAIN, "Calendar Options": the front window of the printed calendars. The user
/// picks a period and format, what the calendar covers, the dates, notes, preview and
/// copies; "Print" starts the matching listing or scan sheet. The window stays open for
/// the next calendar; its choices are not stored.
class CalendarOptionsWindow : public framework::WindowProcedure {
    Q_OBJECT
  public:
    explicit CalendarOptionsWindow(store::Store& db, QWidget* parent = nullptr);

    /// The window's choices as they stand.
    const CalendarChoice& choice() const { return choice_; }

    // The controls, for tests that drive the window as a user does.
    QRadioButton* formatButton(int format) const { return formats_[format]; }
    QRadioButton* coveringButton(int covering) const { return coverings_[covering]; }
    QLineEdit* entry(int covering) const { return entries_[covering]; }
    framework::DateEntry* startEntry() const { return start_; }
    framework::DateEntry* endEntry() const { return end_; }
    QLabel* startPrompt() const { return startPrompt_; }
    QCheckBox* notesBox() const { return notes_; }
    QCheckBox* previewBox() const { return preview_; }
    QSpinBox* copiesBox() const { return copies_; }
    QPushButton* printButton() const { return print_; }

    /// Runs a report the window starts; the real reports unless a test puts another in
    /// their place.
    static std::function<void(store::Store&, const CalendarReport&, QWidget*)>& runReport();

  protected:
    bool INIT() override;
    void TAKEACCEPTED(QObject* control) override;
    void TAKEEVENT() override;

  private:
    void build();
    /// A format chosen: the coverings it allows, the end date, the date's caption.
    void formatChosen(int format);
    void coveringChosen(int covering);
    /// The entry of a covering accepted: a value on file stands, another opens the look-up.
    bool acceptEntry(int covering);
    bool lookUp(int covering);
    /// Reads the controls into the choice and enables "Print".
    void refresh();
    void print();

    booking::Words words_;
    CalendarChoice choice_;
    std::array<QRadioButton*, 9> formats_{};
    std::array<QRadioButton*, 5> coverings_{};
    std::array<QLineEdit*, 5> entries_{};
    std::array<QPushButton*, 5> lookups_{};
    std::array<QLabel*, 5> prompts_{};
    QStackedWidget* entryPages_ = nullptr;
    QLabel* startPrompt_ = nullptr;
    QLabel* endPrompt_ = nullptr;
    framework::DateEntry* start_ = nullptr;
    framework::DateEntry* end_ = nullptr;
    QPushButton* startCal_ = nullptr;
    QPushButton* endCal_ = nullptr;
    QCheckBox* notes_ = nullptr;
    QCheckBox* preview_ = nullptr;
    QSpinBox* copies_ = nullptr;
    QPushButton *print_ = nullptr, *setup_ = nullptr, *close_ = nullptr, *help_ = nullptr;
    bool updating_ = false;
};

/// Runs a calendar report as "Print" does: the listing or scan sheet with its arguments.
void runCalendarReport(store::Store& db, const CalendarReport& r, QWidget* parent);

}  // namespace reports::ui
