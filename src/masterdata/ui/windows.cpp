#include "masterdata/ui/windows.h"

#include "masterdata/ui/client_windows.h"
#include "masterdata/ui/list_windows.h"
#include "masterdata/ui/preference_windows.h"
#include "masterdata/ui/resource_windows.h"
#include "masterdata/ui/user_windows.h"

namespace masterdata::ui {

void registerWindows(store::Store& db) {
    // Each group of windows defines itself here, one line per group.
    defineClientWindows(db);
    defineListWindows(db);
    definePreferenceWindows(db);
    defineResourceWindows(db);
    defineUserWindows(db);
}

}  // namespace masterdata::ui
