#pragma once

#include <QMainWindow>
#include <functional>
#include <map>
#include <string>
#include <vector>

class QAction;
class QMenu;
class QTimer;

namespace framework {
class IniFile;
}
namespace store {
class Store;
}

namespace shell {

/// The frame window: the menu and toolbar from which every other window starts, gated
/// by the logged-in user's access level; each entry runs a window of the program's
/// registry (framework::defineWindow) by its procedure name.
class MAIN : public QMainWindow {
    Q_OBJECT
  public:
    MAIN(store::Store& db, framework::IniFile& ini);
    ~MAIN() override;

    /// Opens the frame: store, seeding, log-in, gating, texts, placement. False when the
    /// program must end (old data, a stop, a failed log-in); the window is then closed.
    bool INIT();
    /// After a failed INIT: true when the data could not be used (old data, a stop), false
    /// when the user simply did not log in.
    bool refused() const { return refused_; }

    store::Store& db() { return db_; }
    framework::IniFile& ini() { return ini_; }
    /// The frame's action for a menu or toolbar entry, by its untranslated text path,
    /// e.g. "File/Change password" or "toolbar/New" (tests and help use it).
    QAction* action(const std::string& path) const;
    /// Every menu entry's path, in menu order.
    std::vector<std::string> actionPaths() const;
    /// Shows the menu and toolbar texts again with the organisation's current terms (after
    /// the system preferences changed them).
    void refreshTerms() { setTexts(); }
    /// Runs a window of the program's registry as the frame's entry would. Entries whose
    /// window is not defined there stay visible and disabled.
    void run(const std::string& procedure, int request = 0);

    /// Called at the very end of closing (after tables are closed and placement saved):
    /// the backup. Neither happens when the frame closes before a user logged in.
    std::function<void()> onClosed;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    struct Entry;
    void buildMenus();
    void buildToolbar();
    void applyGating();
    void setTexts();
    void KILL();

    store::Store& db_;
    framework::IniFile& ini_;
    std::vector<Entry> entries_;
    std::map<std::string, QAction*> actions_;
    std::map<std::string, QMenu*> menus_;
    QTimer* timer_ = nullptr;
    bool storeOpen_ = false;
    bool refused_ = false;
    bool loggedIn_ = false;
    bool killed_ = false;
};

/// The window that shows the system's own terms beside the organisation's.
void TERMS(MAIN& frame);
/// The window that names the product and its version.
void ABOUTTEMBRIX(MAIN& frame);

}  // namespace shell
