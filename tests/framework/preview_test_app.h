#pragma once

#include <QApplication>

#include "../test_app.h"

namespace framework::test {

/// The application object that widget tests need, made once for the whole test program
/// (whichever test asks first) and never destroyed before the program ends.
inline QApplication& previewTestApp() {
    return tembrix::test::testApplication();
}

}  // namespace framework::test
