#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace store {
struct SYSPREF;
}

namespace booking {

/// The organisation's words for bookings, resources and clients as the system preferences
/// hold them (SYP:LABELS1_1 ... SYP:LABELS3_2), without their trailing blanks; the system's
/// own word stands in for one left blank, so that no message loses its noun.
struct Words {
    std::string booking = "Booking", bookings = "Bookings";
    std::string resource = "Resource", resources = "Resources";
    std::string client = "Client", clients = "Clients";

    static Words of(const store::SYSPREF& syp);
};

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
