#include "masterdata/ui/windows.h"

#include <map>

#include "masterdata/ui/client_windows.h"
#include "masterdata/ui/list_windows.h"
#include "masterdata/ui/preference_windows.h"
#include "masterdata/ui/resource_windows.h"
#include "masterdata/ui/user_windows.h"
#include "store/session.h"

namespace masterdata::ui {

namespace {

std::map<std::string, Window>& windows() {
    static std::map<std::string, Window> w;
    return w;
}

/// The procedures the frame's menu runs; the rest are called by other windows.
const char* const kMenuWindows[] = {
    "SYSPREF",        "BROWSEUSERS",  "BROWSEUSERGROUPS", "USERPREF",     "UPDATERESOURCE",
    "BROWSERESOURCE", "BROWSEGROUPS", "REBUILDALL",       "UPDATECLIENT", "BROWSECLIENT",
};

}  // namespace

void defineWindow(const std::string& name, Window run) {
    // An empty one takes the window away again, as a test that stood in for it does.
    if (run)
        windows()[name] = std::move(run);
    else
        windows().erase(name);
}

bool hasWindow(const std::string& name) {
    return windows().count(name) > 0;
}

int callWindow(const std::string& name, store::Store& db, QWidget* parent, int request) {
    auto it = windows().find(name);
    if (it == windows().end()) return store::RequestCancelled;
    store::session().GlobalRequest = request;
    return it->second(db, parent, request);
}

void registerWindows(store::Store& db, const Register& add) {
    // Each group of windows defines itself here, one line per group.
    defineClientWindows(db);
    defineListWindows(db);
    definePreferenceWindows(db);
    defineResourceWindows(db);
    defineUserWindows(db);

    for (const char* name : kMenuWindows) {
        if (!hasWindow(name)) continue;
        add(name, [&db, name = std::string(name)](QWidget* frame, int request) {
            callWindow(name, db, frame, request);
        });
    }
}

}  // namespace masterdata::ui
