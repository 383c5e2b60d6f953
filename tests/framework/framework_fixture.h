#pragma once

#include <gtest/gtest.h>

#include <QApplication>

#include <QPushButton>
#include <QTimer>
#include <functional>
#include "../test_app.h"

#include "../store/store_fixture.h"

namespace framework::test {

inline QApplication& frameworkApp() {
    return tembrix::test::testApplication();
}

/// Runs `step` on the modal window about to open.
inline void onNextModal(std::function<void(QWidget*)> step) {
    QTimer::singleShot(0, [step] {
        if (QWidget* w = QApplication::activeModalWidget()) step(w);
    });
}

inline void press(QWidget* window, const char* objectName) {
    if (auto* b = window->findChild<QPushButton*>(objectName)) b->click();
}

}  // namespace framework::test
