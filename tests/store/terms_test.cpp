// The organisation's words as every part of the program reads them: from a SYSPREF
// record, and merged into texts in the case their place in the sentence asks.
#include "store/terms.h"

#include <gtest/gtest.h>

#include "store/tables.h"

namespace store {
namespace {

TEST(StoreTermsTest, TermsComeFromTheRecordGivenAndFallBackWhenBlank) {
    SYSPREF syp{};
    syp.LABELS1_1 = "  Appointment";
    syp.LABELS2_2 = "Rooms";
    const Terms t = Terms::of(syp);
    EXPECT_EQ("Appointment", t.booking);  // blanks on both sides go
    EXPECT_EQ("Bookings", t.bookings);    // blank: the system's own word
    EXPECT_EQ("Rooms", t.word(Term::ResourcePlural));
    EXPECT_EQ("", t.word(Term::None));
}

TEST(StoreTermsTest, APlaceholderTakesTheCaseOfItsPlace) {
    Terms t;
    t.booking = "Appointment";
    t.resource = "Salle";
    EXPECT_EQ("Add appointment", mergeTerms("Add %1", t, Term::BookingSingular));
    EXPECT_EQ("&Appointment", mergeTerms("&%1", t, Term::BookingSingular));
    EXPECT_EQ("Done.\tAppointment saved", mergeTerms("Done.\t%1 saved", t, Term::BookingSingular));
    EXPECT_EQ("Line\r\nAppointment", mergeTerms("Line\r\n%1", t, Term::BookingSingular));
    EXPECT_EQ("No.appointment", mergeTerms("No.%1", t, Term::BookingSingular));
    // An empty value leaves its placeholder for a second merge; a value is never merged
    // again.
    EXPECT_EQ("%1 of %2", mergeTerms("%1 of %2", "", ""));
    EXPECT_EQ("%2 of x", mergeTerms("%1 of %2", "%2", "x", {}, TermCase::AsStored));
    // The caller's lowering is used inside a sentence, and only there.
    const auto shout = [](const std::string& s) { return "<" + s + ">"; };
    EXPECT_EQ("Salle and <Salle>",
              mergeTerms("%1 and %1", t.resource, {}, {}, TermCase::ByPosition, shout));
}

}  // namespace
}  // namespace store
