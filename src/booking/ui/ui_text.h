#pragma once

#include <QString>
#include <string>

#include "booking/words.h"

namespace booking::ui {

/// One of a booking window's own texts: translated, then "%1", "%2" and "%3" replaced by
/// the given words (the organisation's terms, or values).
QString text(const char* source, const std::string& v1 = {}, const std::string& v2 = {},
             const std::string& v3 = {});

inline QString q(const std::string& s) {
    return QString::fromStdString(s);
}
inline std::string s(const QString& q) {
    return q.toStdString();
}

}  // namespace booking::ui
