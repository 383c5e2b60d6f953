#pragma once

#include <cstddef>
#include <string>

namespace masterdata {

/// Why a password typed in the user form cannot be kept; None when it can.
enum class PasswordProblem { None, Mismatch, TooShort };

/// The shortest password a user may be given, counted after trimming.
inline constexpr std::size_t kMinPasswordLength = 5;

/// Leading and trailing blanks never count in a password: it is compared and
/// measured without them.
std::string trimPassword(const std::string& password);

/// Checks the password and its confirmation as typed; a mismatch is reported before
/// the length, so the user retypes both first.
PasswordProblem checkPassword(const std::string& password, const std::string& confirmation);

/// The message shown for a problem; empty for None.
std::string passwordMessage(PasswordProblem problem);

}  // namespace masterdata
