#pragma once

#include <gtest/gtest.h>

#include "../../widget_keys.h"

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

using tembrix::test::onModal;

/// Presses and releases a key on a widget, as the keyboard would.
inline void press(QWidget* w, int key, const QString& text = {}) {
    tembrix::test::press(w, key, Qt::NoModifier, text);
}

/// Replaces an entry's text by typing it, with the focus in the entry.
inline void type(QLineEdit* e, const QString& text) {
    e->setFocus();
    tembrix::test::typeKeys(e, text);
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

/// The button of a window by its object name; a test failure when there is none.
inline QAbstractButton* button(QWidget* w, const char* name) {
    auto* b = w->findChild<QAbstractButton*>(name);
    EXPECT_NE(nullptr, b) << name;
    return b;
}

}  // namespace booking::test
