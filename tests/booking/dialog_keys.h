#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace booking::test {

/// Presses and releases a key on a widget, as the keyboard would.
inline void press(QWidget* w, int key, const QString& text = {}) {
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &down);
    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &up);
}

/// Replaces an entry's text by typing it: everything selected and deleted, then each
/// character typed.
inline void type(QLineEdit* e, const QString& text) {
    e->setFocus();
    e->selectAll();
    press(e, Qt::Key_Backspace);
    for (QChar c : text) {
        const int key = c.isDigit()    ? Qt::Key_0 + c.digitValue()
                        : c.isLetter() ? Qt::Key_A + (c.toUpper().unicode() - 'A')
                                       : int(c.unicode());
        press(e, key, QString(c));
    }
}

/// Presses a key where the window's focus is (on the window itself when nothing has it).
inline void pressIn(QWidget* window, int key) {
    QWidget* f = window->focusWidget();
    press(f ? f : window, key);
}

/// Types into a spin box as the keyboard would: its text replaced by `text`.
inline void typeInto(QAbstractSpinBox* spin, const QString& text) {
    spin->setFocus();
    spin->selectAll();
    press(spin, Qt::Key_Backspace);
    for (QChar c : text) press(spin, Qt::Key_0 + c.digitValue(), QString(c));
}

/// Whether `w` has the keyboard focus, itself or through the entry it is made of.
inline bool hasFocus(QWidget* w) {
    QWidget* f = QApplication::focusWidget();
    return f && (f == w || w->isAncestorOf(f) || w->focusProxy() == f || f->focusProxy() == w);
}

/// Runs `step` on the modal window open once control is back in the event loop: schedule
/// it, then do what opens the window. Tied to `owner`, so that a window that never opens
/// leaves no step behind.
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

/// The button of a window by its object name; a test failure when there is none.
inline QAbstractButton* button(QWidget* w, const char* name) {
    auto* b = w->findChild<QAbstractButton*>(name);
    EXPECT_NE(nullptr, b) << name;
    return b;
}

}  // namespace booking::test
