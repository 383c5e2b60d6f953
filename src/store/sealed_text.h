#pragma once

#include <string>
#include <string_view>

namespace store {

// Texts a store on a server keeps sealed: a user's password. A folder's users file is
// encrypted as a whole under the built-in owner password, so a password there never rests
// in plain text; a server database keeps rows the server's administrators and backups can
// read, so there each password is sealed on the station before it is sent and opened on
// the station after it is read. Sealing is authenticated encryption (AES-256-GCM, a fresh
// random nonce for every write) under a key derived from the same owner password: the
// value is useless to anybody reading the database, and a value changed by hand is
// recognised instead of being taken for a password.

/// The sealed form of a text: "$tbx1$" and the nonce, the encrypted bytes and the
/// authentication tag in base64.
std::string sealText(std::string_view plain);

/// The text a sealed value holds. A value without the seal's mark (written by hand) is
/// returned as it is; one whose seal does not open (changed by hand, or sealed under another
/// key) gives kUnopenedSeal, which no password typed at a keyboard can equal.
std::string openText(std::string_view stored);

inline constexpr std::string_view kUnopenedSeal = "\x7f";

}  // namespace store
