#include "masterdata/users.h"

namespace masterdata {

std::string trimPassword(const std::string& password) {
    const auto first = password.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    const auto last = password.find_last_not_of(' ');
    return password.substr(first, last - first + 1);
}

PasswordProblem checkPassword(const std::string& password, const std::string& confirmation) {
    const std::string trimmed = trimPassword(password);
    if (trimmed != trimPassword(confirmation)) {
        return PasswordProblem::Mismatch;
    }
    if (trimmed.size() < kMinPasswordLength) {
        return PasswordProblem::TooShort;
    }
    return PasswordProblem::None;
}

std::string passwordMessage(PasswordProblem problem) {
    switch (problem) {
        case PasswordProblem::Mismatch:
            return "Password entries do not match. Please try again";
        case PasswordProblem::TooShort:
            return "Password must be at least 5 characters";
        case PasswordProblem::None:
            break;
    }
    return {};
}

}  // namespace masterdata
