#pragma once

#include <QApplication>

namespace framework::test {

/// The application object that widget tests need, made once for the whole test program
/// (whichever test asks first) and never destroyed before the program ends.
inline QApplication& previewTestApp() {
    if (!QApplication::instance()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "framework_tests";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv);
    }
    return *qApp;
}

}  // namespace framework::test
