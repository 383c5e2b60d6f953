#include "framework/window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

#include "framework/ini_file.h"

namespace framework {

namespace {

/// A rectangle in wide numbers: a position and size read from the configuration file may
/// be anything an int holds, and their sum must not overflow.
struct Span {
    long long x, y, w, h;
};

long long overlap(const Span& r, const QRect& a) {
    const long long w =
        std::min(r.x + r.w, (long long)a.x() + a.width()) - std::max(r.x, (long long)a.x());
    const long long h =
        std::min(r.y + r.h, (long long)a.y() + a.height()) - std::max(r.y, (long long)a.y());
    return w > 0 && h > 0 ? w * h : 0;
}

}  // namespace

std::optional<QRect> fitOnScreens(const QRect& current, std::optional<int> x, std::optional<int> y,
                                  std::optional<int> width, std::optional<int> height,
                                  const std::vector<QRect>& areas) {
    Span r{current.x(), current.y(), current.width(), current.height()};
    if (x) r.x = *x;
    if (y) r.y = *y;
    if (width && *width > 0) r.w = *width;
    if (height && *height > 0) r.h = *height;
    // The screen that shows most of the window takes it; a window that no screen shows
    // at all would open where nobody can reach it.
    const QRect* best = nullptr;
    long long most = 0;
    for (const QRect& a : areas) {
        if (a.isEmpty()) continue;
        if (const long long o = overlap(r, a); o > most) most = o, best = &a;
    }
    if (!best) return std::nullopt;
    const QRect& a = *best;
    r.w = std::min<long long>(r.w, a.width());
    r.h = std::min<long long>(r.h, a.height());
    r.x = std::clamp<long long>(r.x, a.x(), a.x() + a.width() - r.w);
    r.y = std::clamp<long long>(r.y, a.y(), a.y() + a.height() - r.h);
    return QRect(int(r.x), int(r.y), int(r.w), int(r.h));
}

namespace {

/// The area of a window's screen that a window's own rectangle may take: the screen's
/// available area less the decoration the window system puts around it.
QRect usableArea(const QWidget& window) {
    QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen) return {};
    const QRect frame = window.frameGeometry(), inner = window.geometry();
    QMargins decoration(inner.left() - frame.left(), inner.top() - frame.top(),
                        frame.right() - inner.right(), frame.bottom() - inner.bottom());
    // Before it is shown a window knows nothing of its decoration: a title bar and thin
    // borders are what nearly every desktop adds.
    if (!window.isVisible() || decoration.isNull()) decoration = QMargins(4, 32, 4, 4);
    return screen->availableGeometry().marginsRemoved(decoration);
}

}  // namespace

void keepOnScreen(QWidget& window) {
    const QRect area = usableArea(window);
    if (area.isEmpty()) return;
    // A window never sized nor placed is sized from its contents and placed by the window
    // system when it shows, within the screen; one that was only sized is placed then.
    if (!window.testAttribute(Qt::WA_Moved)) {
        if (window.testAttribute(Qt::WA_Resized) &&
            (window.width() > area.width() || window.height() > area.height()))
            window.resize(window.size().boundedTo(area.size()));
        return;
    }
    QRect r = window.geometry();
    if (!r.intersects(area)) r.moveCenter(area.center());
    if (auto fitted = fitOnScreens(r, {}, {}, {}, {}, {area})) window.setGeometry(*fitted);
}

void centreOver(QWidget& window, const QWidget* over) {
    const QRect area = usableArea(window);
    QRect r = window.geometry();
    r.moveCenter(over && over->isVisible() ? over->geometry().center() : area.center());
    window.setGeometry(r);
    keepOnScreen(window);
}

void restoreWindow(QWidget& window, const IniFile& ini, const std::string& section) {
    const auto maximize = ini.get(section, "Maximize");
    if (!maximize || (*maximize != "Yes" && *maximize != "No")) return;
    if (ini.get(section, "XPos")) {
        std::vector<QRect> areas;
        for (QScreen* s : QGuiApplication::screens()) areas.push_back(s->availableGeometry());
        // A placement no screen shows keeps the window's own default one.
        if (auto r = fitOnScreens(window.geometry(), ini.getInt(section, "XPos"),
                                  ini.getInt(section, "YPos"), ini.getInt(section, "Width"),
                                  ini.getInt(section, "Height"), areas))
            window.setGeometry(*r);
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
