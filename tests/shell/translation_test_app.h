#pragma once

#include <QApplication>

#include "../test_app.h"

namespace shell::test {

/// The one QApplication that widget tests of translation need; made on first use and kept
/// for the rest of the test program. An application made elsewhere first is used as is.
inline QApplication* translationTestApp() {
    return &tembrix::test::testApplication();
}

}  // namespace shell::test
