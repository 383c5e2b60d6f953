#pragma once

#include "booking/delete.h"
#include "framework/window_procedure.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace framework {
class DateEntry;
}

namespace booking::ui {

/// The question DELACT puts for a repeated booking: which occurrences go. Returns a
/// DeleteScope, or 0 for "No". "No" is the default button: Enter deletes nothing.
int DELETESCOPE(QWidget* parent, const booking::Words& words);

/// DELACT: deletes the occurrence the DATES buffer holds (DAT:ACTNUMBER, DATE, TIME,
/// ENDTIME), or with the user's choice more of its booking or all of it. `listed` is the
/// booking as the caller's list read it, when it has it: a booking changed since is not
/// deleted. Returns store::RequestCompleted when something was deleted (open scans and
/// lists have then been told), else store::RequestCancelled; the response is also left
/// in the session.
int DELACT(store::Store& db, QWidget* parent, const booking::ListedBooking* listed = nullptr);

/// BATCHDELETE: the window of the purge of old occurrences.
class BatchDeleteWindow : public framework::WindowProcedure {
    Q_OBJECT
  public:
    BatchDeleteWindow(store::Store& db, QWidget* parent = nullptr);

    framework::DateEntry* dateEntry() const { return date_; }
    QPushButton* okButton() const { return ok_; }
    QProgressBar* progressBar() const { return progress_; }

  protected:
    bool INIT() override;
    void TAKEACCEPTED(QObject* control) override;
    bool TAKECOMPLETED() override;

  private:
    /// The date rule: a later date than today goes back to today, with the message.
    bool checkDate();

    booking::Words words_;
    framework::DateEntry* date_ = nullptr;
    QLabel* status_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton *ok_ = nullptr, *cancel_ = nullptr;
    bool running_ = false;
};

/// Runs BATCHDELETE modally; returns the response it leaves.
int BATCHDELETE(store::Store& db, QWidget* parent);

}  // namespace booking::ui
