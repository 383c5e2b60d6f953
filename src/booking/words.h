#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "store/terms.h"

namespace booking {

/// The organisation's words for bookings, resources and clients (store::Terms).
using Words = store::Terms;

/// Passes one of the engine's fixed texts through the program's translator; the text
/// itself until the program installs one.
std::string tr(const std::string& text);
void setTranslator(std::function<std::string(const std::string&)> translate);

/// Replaces every "%1", "%2" and "%3" of text by v1, v2 and v3; the values are not scanned
/// again, so a value holding "%2" stays as it is.
std::string merge(std::string_view text, const std::string& v1, const std::string& v2 = {},
                  const std::string& v3 = {});
std::string lower(std::string s);
std::string trim(std::string_view s);

}  // namespace booking
