#pragma once

#include <functional>
#include <string>

class QWidget;

namespace masterdata::ui {

/// How a subsystem makes its windows known to the frame: a procedure name ("BROWSEUSERS")
/// and what running it does, given the frame as parent and the global request.
using Register = std::function<void(const std::string& name,
                                    std::function<void(QWidget* frame, int request)> run)>;

/// Every master-data window of the frame's menu.
void registerWindows(const Register& add);

}  // namespace masterdata::ui
