#pragma once

#include <QString>
#include <string>

#include "framework/program.h"
#include "store/questions.h"

namespace masterdata::ui {

/// One of a window's own texts, translated, with "%1" replaced by `word` (the
/// organisation's word for a booking or client, or a number), lower-cased when asked.
inline QString words(const char* source, const std::string& word = {}, bool lower = false) {
    const std::string t = framework::program().translate ? framework::program().translate(source)
                                                         : std::string(source);
    QString w = QString::fromStdString(word);
    if (lower) w = w.toLower();
    return QString::fromStdString(t).replace("%1", w);
}

/// Tells the user why something was refused, in a message box under the window's title.
inline void refusal(const QString& caption, const QString& text) {
    store::questions().message(caption.toStdString(), text.toStdString(), store::Icon::Exclamation,
                               store::BUTTON_OK, store::BUTTON_OK);
}

}  // namespace masterdata::ui
