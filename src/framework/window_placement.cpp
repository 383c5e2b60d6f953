#include "framework/window_placement.h"

#include <QWidget>

#include "framework/ini_file.h"

namespace framework {

void restoreWindow(QWidget& window, const IniFile& ini, const std::string& section) {
    const auto maximize = ini.get(section, "Maximize");
    if (!maximize || (*maximize != "Yes" && *maximize != "No")) return;
    if (ini.get(section, "XPos")) {
        QRect r = window.geometry();
        if (auto x = ini.getInt(section, "XPos")) r.moveLeft(*x);
        if (auto y = ini.getInt(section, "YPos")) r.moveTop(*y);
        if (auto w = ini.getInt(section, "Width"); w && *w > 0) r.setWidth(*w);
        if (auto h = ini.getInt(section, "Height"); h && *h > 0) r.setHeight(*h);
        window.setGeometry(r);
    }
    if (*maximize == "Yes") window.setWindowState(window.windowState() | Qt::WindowMaximized);
}

void saveWindow(const QWidget& window, IniFile& ini, const std::string& section) {
    if (window.isMinimized()) return;
    const bool maximized = window.isMaximized();
    ini.put(section, "Maximize", maximized ? "Yes" : "No");
    if (maximized) return;
    // The normal geometry is the one a user would see when the window opens again.
    const QRect r = window.geometry();
    ini.put(section, "XPos", r.x());
    ini.put(section, "YPos", r.y());
    ini.put(section, "Height", r.height());
    ini.put(section, "Width", r.width());
}

}  // namespace framework
