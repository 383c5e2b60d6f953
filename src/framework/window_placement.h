#pragma once

#include <QRect>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace framework {

class IniFile;

/// Restores a window's placement from its section of the configuration file: "Maximize"
/// must say "Yes" or "No" for anything to happen; "Yes" maximises; "XPos" present sets
/// position and size from "XPos", "YPos", "Width" and "Height", skipping missing keys.
/// The placement is fitted into the available area of the screen that shows most of it;
/// one that no screen shows leaves the window where it was.
void restoreWindow(QWidget& window, const IniFile& ini, const std::string& section);

/// Saves a window's placement: nothing while it is minimised; otherwise "Maximize", and
/// unless it is maximised its position and size too.
void saveWindow(const QWidget& window, IniFile& ini, const std::string& section);

/// Makes a window no larger than the available area of its screen, with room for the
/// title bar and borders the window system adds, and moves it inside that area where it
/// would run past an edge: a default size meant for a large screen never hangs off a small
/// one. A window that fits keeps its place.
void keepOnScreen(QWidget& window);

/// Puts a window at the centre of another (a dialogue over the window it belongs to), or
/// of the screen when there is none, kept inside the screen.
void centreOver(QWidget& window, const QWidget* over);

/// The placement `current` takes with the stored values given (a missing value, or a size
/// not above 0, keeps the current one), made smaller to fit and moved inside the one of
/// `areas` that shows most of it. Nothing when no area shows any of it.
std::optional<QRect> fitOnScreens(const QRect& current, std::optional<int> x, std::optional<int> y,
                                  std::optional<int> width, std::optional<int> height,
                                  const std::vector<QRect>& areas);

}  // namespace framework
