#pragma once

#include <functional>
#include <string>

class QWidget;

namespace store {
class Store;
}

namespace masterdata::ui {

/// A master-data window as the frame or another window runs it: given the store, the
/// calling window and the global request, it runs the window and returns the response
/// (store::RequestCompleted or RequestCancelled; a started window returns at once with
/// RequestCompleted).
using Window = std::function<int(store::Store& db, QWidget* parent, int request)>;

/// Makes a window known by its procedure name ("BROWSEUSERSM"); an empty run forgets it.
void defineWindow(const std::string& name, Window run);
/// Runs a window by its name; RequestCancelled when no such window is defined. A
/// look-up calls a browse with store::SelectRecord: on RequestCompleted the selected
/// record is in the table's buffer.
int callWindow(const std::string& name, store::Store& db, QWidget* parent, int request);
bool hasWindow(const std::string& name);

/// How the frame learns the windows of its menu.
using Register = std::function<void(const std::string& name,
                                    std::function<void(QWidget* frame, int request)> run)>;

/// Defines every master-data window (each group adds its own line in windows.cpp) and
/// hands those of the frame's menu to `add`.
void registerWindows(store::Store& db, const Register& add);

}  // namespace masterdata::ui
