#pragma once

#include <QApplication>

namespace shell::test {

/// The one QApplication that widget tests of translation need; made on first use and kept
/// for the rest of the test program. An application made elsewhere first is used as is.
inline QApplication* translationTestApp() {
    if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance())) return existing;
    // Run by hand, outside the test runner, the tests still need no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "shell_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return app;
}

}  // namespace shell::test
