#include "masterdata/ui/windows.h"

namespace masterdata::ui {

// Each group of windows registers itself here, one line per group.
void registerWindows(const Register& add) {
    (void)add;
}

}  // namespace masterdata::ui
