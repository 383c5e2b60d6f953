#include <gtest/gtest.h>

#include "masterdata/users.h"

namespace {

using masterdata::checkPassword;
using masterdata::PasswordProblem;

TEST(UsersPasswordTest, LengthCountsAfterTrimming) {
    EXPECT_EQ(checkPassword("abcd", "abcd"), PasswordProblem::TooShort);
    EXPECT_EQ(checkPassword("abcde", "abcde"), PasswordProblem::None);
    EXPECT_EQ(checkPassword("  abcde  ", "abcde"), PasswordProblem::None);
    EXPECT_EQ(checkPassword("   abcd   ", "   abcd   "), PasswordProblem::TooShort);
    EXPECT_EQ(checkPassword("     ", "     "), PasswordProblem::TooShort);
    // Inner blanks are part of the password.
    EXPECT_EQ(checkPassword("ab  c", "ab  c"), PasswordProblem::None);
}

TEST(UsersPasswordTest, MismatchReportedBeforeLength) {
    EXPECT_EQ(checkPassword("abc", "abd"), PasswordProblem::Mismatch);
    EXPECT_EQ(checkPassword("abcdef", "abcdeg"), PasswordProblem::Mismatch);
    EXPECT_EQ(checkPassword("ab cde", "abcde"), PasswordProblem::Mismatch);
    EXPECT_EQ(masterdata::passwordMessage(PasswordProblem::Mismatch),
              "Password entries do not match. Please try again");
    EXPECT_EQ(masterdata::passwordMessage(PasswordProblem::TooShort),
              "Password must be at least 5 characters");
    EXPECT_TRUE(masterdata::passwordMessage(PasswordProblem::None).empty());
}

}  // namespace
