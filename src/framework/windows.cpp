#include "framework/windows.h"

#include "framework/program.h"
#include "store/session.h"

namespace framework {

void WindowRegistry::define(const std::string& name, Window run) {
    windows_[name] = std::move(run);
}

bool WindowRegistry::has(const std::string& name) const {
    return windows_.count(name) > 0;
}

int WindowRegistry::call(const std::string& name, store::Store& db, QWidget* parent,
                         int request) const {
    auto it = windows_.find(name);
    if (it == windows_.end()) return store::RequestCancelled;
    store::session().GlobalRequest = request;
    // A copy: the window may define windows (or the program end) while it runs.
    const Window run = it->second;
    return run(db, parent, request);
}

void defineWindow(const std::string& name, Window run) {
    program().windows.define(name, std::move(run));
}

int callWindow(const std::string& name, store::Store& db, QWidget* parent, int request) {
    return program().windows.call(name, db, parent, request);
}

bool hasWindow(const std::string& name) {
    return program().windows.has(name);
}

}  // namespace framework
