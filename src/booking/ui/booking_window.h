#pragma once

#include <functional>
#include <memory>
#include <string>

#include "booking/booking_form.h"
#include "framework/window_procedure.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTreeWidget;

namespace framework {
class DateEntry;
class TimeEntry;
}  // namespace framework

namespace booking::ui {

/// The booking form: the window over BookingForm. Every decision is the core's; the
/// window shows the working lists and fields, turns gestures into core calls, and runs
/// the windows the form calls (resource and client look-ups, the repeat window, the units
/// and scope questions, the text file).
class UpdateAct : public framework::WindowProcedure {
    Q_OBJECT
  public:
    UpdateAct(store::Store& db, QWidget* parent = nullptr);
    ~UpdateAct() override;

    BookingForm& form() { return *form_; }
    /// For a booking being added: fills the new booking's fields once the form has opened
    /// (a free period found elsewhere: its date, times and resources).
    std::function<void(BookingForm&)> prime;

    // The controls, for tests that drive the form as a user does.
    QComboBox* nameBox() const { return name_; }
    QLineEdit* clientEdit() const { return client_; }
    framework::DateEntry* dateEntry() const { return date_; }
    framework::TimeEntry* startEntry() const { return start_; }
    framework::TimeEntry* endEntry() const { return end_; }
    QComboBox* durationBox() const { return duration_; }
    QTreeWidget* resourceList() const { return resources_; }
    QPlainTextEdit* notesEdit() const { return notes_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* repeatButton() const { return repeat_; }
    QPushButton* textFileButton() const { return textFile_; }
    QPushButton* printButton() const { return print_; }
    QCheckBox* lockBox() const { return lock_; }
    QLabel* descriptionLabel() const { return description_; }
    QLabel* statusText() const { return status_; }
    QTabWidget* tabs() const { return tabs_; }

  protected:
    bool INIT() override;
    void TAKEACCEPTED(QObject* control) override;
    void TAKESELECTED(QObject* control) override;
    bool TAKECOMPLETED() override;
    bool TAKECLOSEEVENT() override;

  private:
    void build();
    /// The core's fields and lists into the controls.
    void display();
    /// The controls' texts into the core; false (the entry refusing) for an impossible
    /// date or time.
    bool pull();
    /// CONTROLPROP: what is enabled, and the colour of the notes tab.
    void CONTROLPROP();
    void lookUpClient(bool always);
    void insertResources();
    void addGroup(bool add);
    void runRepeat();
    void writeTextFile();
    void focusField(FormField f);

    std::unique_ptr<BookingForm> form_;
    Words words_;
    QComboBox* name_ = nullptr;
    QLineEdit* client_ = nullptr;
    QPushButton* clientLookup_ = nullptr;
    QLabel* number_ = nullptr;
    framework::DateEntry* date_ = nullptr;
    QPushButton* cal_ = nullptr;
    framework::TimeEntry* start_ = nullptr;
    QComboBox* startList_ = nullptr;
    QComboBox* duration_ = nullptr;
    framework::TimeEntry* durationEntry_ = nullptr;
    framework::TimeEntry* end_ = nullptr;
    QGroupBox* actual_ = nullptr;
    framework::TimeEntry* actualStart_ = nullptr;
    framework::TimeEntry* actualEnd_ = nullptr;
    QCheckBox* lock_ = nullptr;
    QLabel* description_ = nullptr;
    QPushButton* repeat_ = nullptr;
    QTreeWidget* resources_ = nullptr;
    QLabel* primary_ = nullptr;
    QPushButton *insert_ = nullptr, *delete_ = nullptr, *addGroup_ = nullptr,
                *deleteGroup_ = nullptr, *makePrimary_ = nullptr;
    QWidget* general_ = nullptr;
    QPlainTextEdit* notes_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    QPushButton *ok_ = nullptr, *cancel_ = nullptr, *print_ = nullptr, *textFile_ = nullptr,
                *help_ = nullptr;
    QLabel* status_ = nullptr;
    bool displaying_ = false;
    bool inOk_ = false;
    bool clientLookupCancelled_ = false;
    bool closingQuietly_ = false;  // a close the user need not be asked about
};

/// UPDATEACT: runs the booking form modally with the global request; returns the global
/// response it leaves. `prime` fills a new booking's fields once the form has opened.
int UPDATEACT(store::Store& db, QWidget* parent, std::function<void(BookingForm&)> prime = {});

/// Makes the booking windows known to the program: "UPDATEACT", "DELACT" and
/// "BATCHDELETE" in its window registry, the conflict dialog for the checks, and the
/// program's translator for the engine's texts.
void registerWindows(store::Store& db);

}  // namespace booking::ui
