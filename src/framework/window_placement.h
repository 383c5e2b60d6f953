#pragma once

#include <string>

class QWidget;

namespace framework {

class IniFile;

/// Restores a window's placement from its section of the configuration file: "Maximize"
/// must say "Yes" or "No" for anything to happen; "Yes" maximises; "XPos" present sets
/// position and size from "XPos", "YPos", "Width" and "Height", skipping missing keys.
void restoreWindow(QWidget& window, const IniFile& ini, const std::string& section);

/// Saves a window's placement: nothing while it is minimised; otherwise "Maximize", and
/// unless it is maximised its position and size too.
void saveWindow(const QWidget& window, IniFile& ini, const std::string& section);

}  // namespace framework
