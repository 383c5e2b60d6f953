#pragma once

// Keyboard and modal-window helpers for widget tests: keys pressed and text typed the way
// a user's keyboard sends them, and steps run inside a modal window's own event loop.

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace tembrix::test {

/// Presses and releases a key on a widget, as the keyboard would.
inline void press(QWidget* w, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                  const QString& text = {}) {
    QKeyEvent down(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(w, &down);
    QKeyEvent up(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(w, &up);
}

/// Replaces an entry's text by typing: everything selected and deleted, then each
/// character typed.
inline void typeKeys(QLineEdit* e, const QString& text) {
    e->selectAll();
    press(e, Qt::Key_Backspace);
    for (QChar c : text) {
        const int key = c.isDigit()    ? Qt::Key_0 + c.digitValue()
                        : c.isLetter() ? Qt::Key_A + (c.toUpper().unicode() - 'A')
                                       : int(c.unicode());
        press(e, key, Qt::NoModifier, QString(c));
    }
}

/// Runs `step` on the modal window that is open once control returns to the event loop:
/// schedule it, then do what opens the window. Tied to `owner`, so that a window that
/// never opens leaves no step behind.
inline void onModal(QObject* owner, std::function<void(QWidget*)> step) {
    QTimer::singleShot(0, owner, [step] {
        QWidget* w = QApplication::activeModalWidget();
        if (!w) {
            ADD_FAILURE() << "no modal window opened";
            return;
        }
        QApplication::setActiveWindow(w);
        step(w);
    });
}

}  // namespace tembrix::test
