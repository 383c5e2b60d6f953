#include "shell/terms.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "shell/translator.h"
#include "store/tables.h"

namespace shell {
namespace {

/// The terms of an organisation that books appointments in rooms for patients, as the
/// SYSPREF buffer holds them (blank-padded to 20 characters).
Terms appointments() {
    store::SYSPREF syp;
    syp.LABELS1_1 = "Appointment";
    syp.LABELS1_2 = "Appointments";
    syp.LABELS2_1 = "Room";
    syp.LABELS2_2 = "Rooms";
    syp.LABELS3_1 = "Patient";
    syp.LABELS3_2 = "Patients";
    return Terms::fromSysPref(syp);
}

TEST(TermsTest, ReadFromSysPrefWithoutTrailingBlanks) {
    const Terms t = appointments();
    EXPECT_EQ(QString("Appointment"), t.word(Term::BookingSingular));
    EXPECT_EQ(QString("Appointments"), t.word(Term::BookingPlural));
    EXPECT_EQ(QString("Rooms"), t.word(Term::ResourcePlural));
    EXPECT_EQ(QString("Patient"), t.word(Term::ClientSingular));
    EXPECT_EQ(QString(), t.word(Term::None));

    // A term left blank keeps the system's own word.
    store::SYSPREF blank;
    blank.LABELS2_1 = "Room";
    const Terms b = Terms::fromSysPref(blank);
    EXPECT_EQ(QString("Room"), b.resource);
    EXPECT_EQ(QString("Booking"), b.booking);
    EXPECT_EQ(QString("Clients"), b.clients);
}

TEST(TermsTest, FrameTextsWithAppointments) {
    const Terms t = appointments();
    using T = Term;
    // The bookings menu title: the plural alone, as stored.
    EXPECT_EQ(QString("Appointments"), mergeTerms("%1", t, T::BookingPlural));
    EXPECT_EQ(QString("&Appointments"), mergeTerms("&%1", t, T::BookingPlural));
    // Its first entry: the singular inside the text, lower case.
    EXPECT_EQ(QString("Add appointment"), mergeTerms("Add %1", t, T::BookingSingular));
    EXPECT_EQ(QString("Browse appointments"), mergeTerms("Browse %1", t, T::BookingPlural));
    // Opening the text: as stored.
    EXPECT_EQ(QString("Room groups"), mergeTerms("%1 groups", t, T::ResourceSingular));
    // Two terms inside one sentence: both lower case.
    EXPECT_EQ(QString("Scan appointments of a room for a week"),
              mergeTerms("Scan %1 of a %2 for a week", t, T::BookingPlural, T::ResourceSingular));
    EXPECT_EQ(QString("Add a new appointment"), mergeTerms("Add a new %1", t, T::BookingSingular));
    EXPECT_EQ(QString("Default appointment"), mergeTerms("Default %1", t, T::BookingSingular));
}

TEST(TermsTest, EachOccurrenceTakesTheCaseOfItsPlace) {
    const Terms t = appointments();
    // The same term opening the text and inside it.
    EXPECT_EQ(QString("Rooms are listed; pick rooms"),
              mergeTerms("%1 are listed; pick %1", t, Term::ResourcePlural));
    // A new sentence or a new line opens with the term as stored.
    EXPECT_EQ(QString("Saved. Appointment 12 is locked"),
              mergeTerms("Saved. %1 12 is locked", t, Term::BookingSingular));
    EXPECT_EQ(QString("Cannot delete\nPatient has appointments"),
              mergeTerms("Cannot delete\n%1 has %2", t, Term::ClientSingular, Term::BookingPlural));
    // A full stop glued to the term ends no sentence.
    EXPECT_EQ(QString("No.appointment"), mergeTerms("No.%1", t, Term::BookingSingular));
}

TEST(TermsTest, CallersMayChooseTheCase) {
    const Terms t = appointments();
    EXPECT_EQ(QString("appointments"),
              mergeTerms("%1", t, Term::BookingPlural, Term::None, Term::None, TermCase::Lower));
    EXPECT_EQ(QString("Lock Appointments as default"),
              mergeTerms("Lock %1 as default", t, Term::BookingPlural, Term::None, Term::None,
                         TermCase::AsStored));
    // A placeholder without a term stays for a later merge; a value holding a placeholder
    // is not merged again.
    EXPECT_EQ(QString("Add appointment for %2"),
              mergeTerms("Add %1 for %2", t, Term::BookingSingular));
    EXPECT_EQ(QString("a %2-room"), mergeTerms("a %1-%2", "%2", "Room"));
    EXPECT_EQ(std::string("Browse patients"),
              mergeTerms(std::string("Browse %1"), t, Term::ClientPlural));
}

TEST(TermsTest, WindowTextsAreTranslatedBeforeTheTermsGoIn) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString ltf = dir.filePath(kLanguageFile);
    {
        QFile f(ltf);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("Add %1\t%1 anlegen\nBrowse %1\tDurchsuchen: %1\n");
    }
    Translator translator(dir.filePath(kExtractionFile));
    ASSERT_TRUE(INITTRANSLATOR(ltf));
    const Terms before = currentTerms();
    setCurrentTerms(appointments());
    // The translated text decides where the term stands.
    EXPECT_EQ(QString("Appointment anlegen"), termsFor("Add %1", Term::BookingSingular));
    EXPECT_EQ(QString("Durchsuchen: rooms"), termsFor("Browse %1", Term::ResourcePlural));
    EXPECT_EQ(QString("One patient"), termsFor("One %1", Term::ClientSingular));
    setCurrentTerms(before);
}

}  // namespace
}  // namespace shell
