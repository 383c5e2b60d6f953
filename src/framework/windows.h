#pragma once

#include <functional>
#include <map>
#include <string>

class QWidget;

namespace store {
class Store;
}

namespace framework {

/// A window as the frame or another window runs it: given the store, the calling window
/// and the global request, it runs the window and returns the response
/// (store::RequestCompleted or RequestCancelled; a started window returns at once with
/// RequestCompleted).
using Window = std::function<int(store::Store& db, QWidget* parent, int request)>;

/// Every window of the program by its procedure name ("UPDATEACT", "BROWSEUSERS"): each
/// subsystem defines its windows here, and the frame's menu, its gating and every window
/// that calls another look them up here. A window gets the store when it is run, so the
/// registry holds nothing of a store that has gone.
class WindowRegistry {
  public:
    /// Makes a window known by its name, in place of any window of that name before.
    void define(const std::string& name, Window run);
    bool has(const std::string& name) const;
    /// Runs a window by its name with the global request set; RequestCancelled when no
    /// such window is defined. A look-up calls a browse with store::SelectRecord: on
    /// RequestCompleted the selected record is in the table's buffer.
    int call(const std::string& name, store::Store& db, QWidget* parent, int request) const;

  private:
    std::map<std::string, Window> windows_;
};

/// The same on the registry of the program object (program().windows).
void defineWindow(const std::string& name, Window run);
int callWindow(const std::string& name, store::Store& db, QWidget* parent, int request);
bool hasWindow(const std::string& name);

}  // namespace framework
