#pragma once

#include "framework/windows.h"

namespace store {
class Store;
}

namespace masterdata::ui {

// The master-data windows run and call each other through the program's one registry.
using framework::callWindow;
using framework::defineWindow;
using framework::hasWindow;
using framework::Window;

/// Defines every master-data window in the program's registry (each group adds its own
/// line in windows.cpp); the frame's menu runs them from there by name.
void registerWindows(store::Store& db);

}  // namespace masterdata::ui
