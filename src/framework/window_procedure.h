#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "store/table_decl.h"

class QTimer;

namespace store {
class Store;
}

namespace framework {

/// The protocol every window of the program follows, on Qt's own machinery:
/// INIT sets the window up (opens its tables, translates it, restores its placement);
/// TAKEACCEPTED is a control's slot; TAKECOMPLETED is OK; TAKECLOSEEVENT decides whether
/// the window may close; KILL closes its tables and saves its placement. A window is
/// either called (modal, on the caller's behalf) or started (independent, non-modal).
class WindowProcedure : public QDialog {
    Q_OBJECT
  public:
    WindowProcedure(store::Store& db, const std::string& name, QWidget* parent = nullptr);
    ~WindowProcedure() override;

    /// Runs the window modally; returns the global response it left (1 completed,
    /// 2 cancelled).
    int CALL();
    /// The window's event loop, for a window already set up: dispatches until the window
    /// is told to stop. CALL is INIT, ASK and KILL in one.
    int ASK();
    /// Shows the window as an independent window that deletes itself when closed.
    void START();

    store::Store& db() { return db_; }
    const std::string& procedureName() const { return name_; }
    /// The help topic of F1 and the Help button ("~System_Preferences_Window").
    std::string helpTopic;
    /// The configuration-file section of the window's placement ("" keeps none).
    std::string placementSection;

  public slots:
    void accept() override;
    void reject() override;
    /// Opens the help at the window's topic.
    void showHelp();

  protected:
    /// Sets the window up; false when it cannot open (its tables failed to open).
    virtual bool INIT();
    /// A control was pressed or an entry accepted.
    virtual void TAKEACCEPTED(QObject* control) { (void)control; }
    /// A watched control received the focus.
    virtual void TAKESELECTED(QObject* control) { (void)control; }
    /// Any other event of a watched control; true when handled (the control then does not
    /// see it).
    virtual bool TAKEFIELDEVENT(QObject* control, QEvent* event) {
        (void)control, (void)event;
        return false;
    }
    /// An event of the window itself (moved, resized, activated, shown); true when handled.
    virtual bool TAKEWINDOWEVENT(QEvent* event) {
        (void)event;
        return false;
    }
    /// OK: validate and save. True closes the window with the response completed.
    virtual bool TAKECOMPLETED() { return true; }
    /// The window is about to close without OK. False keeps it open.
    virtual bool TAKECLOSEEVENT() { return true; }
    /// A timer event of the window (setTimer).
    virtual void TAKEEVENT() {}
    /// Tears the window down.
    virtual void KILL();

    /// The tables this window opens through their relation managers for its lifetime.
    void useTables(std::vector<store::Tbl> tables) {
        tables_.insert(tables_.end(), tables.begin(), tables.end());
    }
    /// Starts the window's timer.
    void setTimer(int milliseconds);
    /// Connects a button's click to TAKEACCEPTED.
    void accepted(QObject* control);
    /// Routes a control's focus to TAKESELECTED and its other events to TAKEFIELDEVENT.
    void watch(QWidget* control);

    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;

    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    bool openWindow();

    store::Store& db_;
    std::string name_;
    std::vector<store::Tbl> tables_;
    std::vector<store::Tbl> opened_;  // those INIT opened, which KILL closes
    QTimer* timer_ = nullptr;
    bool initialised_ = false;
    bool killed_ = false;
    bool closingByOk_ = false;
};

}  // namespace framework
