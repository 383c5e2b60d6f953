#pragma once

#include <QApplication>
#include <QTimer>
#include <functional>

#include "framework/preview_window.h"

namespace tembrix::test {

/// Waits for the next print preview to open, hands its document to `seen` and closes it,
/// so a test can press a Print button and look at what would be printed. Returns the
/// watching timer, which deletes itself once it caught one; a test that expected none
/// deletes it.
inline QTimer* catchPreview(std::function<void(const reports::Document&)> seen) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, seen = std::move(seen)] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* p = qobject_cast<framework::PreviewWindow*>(w); p && p->isVisible()) {
                timer->stop();
                timer->deleteLater();
                seen(p->document());
                p->reject();
                return;
            }
    });
    timer->start();
    return timer;
}

/// Every text of a document, joined by new lines, to search in.
inline std::string allText(const reports::Document& doc) {
    std::string out;
    for (const reports::Page& page : doc.pages)
        for (const reports::Item& i : page.items)
            if (const auto* t = std::get_if<reports::TextItem>(&i)) out += t->text + "\n";
    return out;
}

}  // namespace tembrix::test
