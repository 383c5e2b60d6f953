#pragma once

#include "../../widget_keys.h"

namespace masterdata::test {

using tembrix::test::onModal;
using tembrix::test::press;

/// Replaces an entry's text by typing it.
inline void type(QLineEdit* e, const QString& text) {
    tembrix::test::typeKeys(e, text);
}

}  // namespace masterdata::test
