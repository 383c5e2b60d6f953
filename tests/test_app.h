#pragma once

#include <QApplication>

namespace tembrix::test {

/// The application object that widget tests need: made once for the whole test program,
/// by whichever test asks first, and kept until the program ends. Run by hand, outside
/// the test runner, the tests still need no display.
inline QApplication& testApplication() {
    if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance()))
        return *existing;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "tembrix_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

}  // namespace tembrix::test
