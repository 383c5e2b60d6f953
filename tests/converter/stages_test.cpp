// The stages: what each old record becomes, and that every chain of stages ends in a
// store the main program opens.
#include "converter/stages.h"

#include <algorithm>

#include "converter_fixture.h"
#include "store/tables.h"

namespace converter::test {
namespace {

using store::Tbl;

TEST(CodeMapsTest, RepeatAndWeekTextsBecomeCodes) {
    EXPECT_EQ(0, repeatTypeCode("No Repeats"));
    EXPECT_EQ(1, repeatTypeCode("Multi-day booking"));
    EXPECT_EQ(4, repeatTypeCode("Fixed Weeks       "));
    EXPECT_EQ(7, repeatTypeCode("Specific Weekday"));
    EXPECT_EQ(0, repeatTypeCode("Fortnightly"));  // not a kind 3.1 wrote
    EXPECT_EQ(0, repeatTypeCode(""));
    EXPECT_EQ(2, weekCode("2nd "));
    EXPECT_EQ(5, weekCode("Last"));
    EXPECT_EQ(0, weekCode("5th"));
}

class FromRelease31 : public ConvertTest {
  protected:
    void SetUp() override {
        SampleStore s(Release::R31);
        s.add("ACTIVITY")
            .set("ACTNUMBER", 10)
            .set("NAME", "Weekly board meeting")
            .set("CLIENT", std::string(30, 'C'))
            .set("USERNAME", "ANNA")
            .set("LOCK", 1)
            .set("REPEATTYPE", "Fixed Weeks")
            .set("REPNUMBER", 2)
            .set("WEEK", "2nd")
            .set("WEEKDAY", 3)
            .set("SETDAY", 1, 0)
            .set("SETDAY", 1, 6)
            .set("REPEND", 80500)
            .set("NOTES", "Bring the minutes.\r\nCoffee for twelve.   ");
        s.add("ACTIVITY").set("ACTNUMBER", 11).set("REPEATTYPE", "No Repeats");
        s.add("ACTIVITY").set("ACTNUMBER", 12).set("REPEATTYPE", "Set Days").set("NOTES", "   ");
        s.add("CLIENT")
            .set("CLIENT", std::string(30, 'C'))
            .set("CONTACT", "J. Smith")
            .set("ADDRESS", "1 High Street\r\nLeeds")
            .set("NOTES", std::string(1000, 'n'));
        s.add("RESOURCE").set("RESOURCE", "VAN").set("UNITS", 3).set("NOTES", "Keys at desk");
        s.add("USERS")
            .set("USERNAME", "ANNA")
            .set("LASTNAME", "Berg")
            .set("PASSWORD", "pw")
            .set("ACCESSLEVEL", 2)
            .set("NOTES", std::string(250, 'a') + "bcdefghij");
        s.add("DATES")
            .set("ACTNUMBER", 10)
            .set("DATE", 80000)
            .set("TIME", 2880001)
            .set("ACTUALSTART", 2890001);
        s.add("DATES").set("ACTNUMBER", 10).set("DATE", 80007).set("DATETEXT", "x");
        s.add("GROUPRES").set("GROUP", "Vehicles").set("RESOURCES", "VAN");
        s.add("SYSPREF")
            .set("NAME", "Meeting")
            .set("HEIGHT", 9)
            .set("CLIENTGENERAL", 1)
            .set("LABELS", "Room", 2);
        write(s);
        ASSERT_EQ(Outcome::Completed, convert(Release::R31));
        EXPECT_EQ("Conversion Completed", user.lastText());
    }
};

TEST_F(FromRelease31, BookingsGetRepeatRulesAndNotesOfTheirOwn) {
    const auto acts = rows<store::ACTIVITY>(Tbl::ACTIVITY);
    ASSERT_EQ(3u, acts.size());
    EXPECT_EQ(10, acts[0].ACTNUMBER);
    EXPECT_EQ(4, acts[0].REPEATTYPE);
    EXPECT_EQ(1, acts[0].LOCK);
    EXPECT_EQ("Weekly board meeting", acts[0].NAME.str());
    EXPECT_EQ("ANNA", acts[0].USERNAME.str());
    EXPECT_TRUE(acts[0].PRIME.blank());
    EXPECT_EQ(0, acts[0].UNITS);
    EXPECT_EQ(0, acts[1].REPEATTYPE);
    EXPECT_EQ(6, acts[2].REPEATTYPE);

    // "No Repeats" gets no repeat rule; the others one each.
    const auto reps = rows<store::REPACT>(Tbl::REPACT);
    ASSERT_EQ(2u, reps.size());
    EXPECT_EQ(10, reps[0].ACTNUMBER);
    EXPECT_EQ(2, reps[0].REPNUMBER);
    EXPECT_EQ(2, reps[0].WEEK);
    EXPECT_EQ(3, reps[0].WEEKDAY);
    EXPECT_EQ(0, reps[0].WEEKENDREPEAT);
    // The seven day flags run Monday to Sunday.
    EXPECT_EQ(1, reps[0].MONDAY);
    EXPECT_EQ(0, reps[0].TUESDAY);
    EXPECT_EQ(1, reps[0].SUNDAY);
    EXPECT_EQ(80500, reps[0].REPEND);
    EXPECT_EQ(12, reps[1].ACTNUMBER);

    // Blank notes (blanks only) make no notes record; others keep their text, less the
    // trailing blanks.
    const auto notes = rows<store::ACTNOTES>(Tbl::ACTNOTES);
    ASSERT_EQ(1u, notes.size());
    EXPECT_EQ(10, notes[0].ACTNUMBER);
    EXPECT_EQ("Bring the minutes.\r\nCoffee for twelve.", notes[0].NOTES.str());
}

TEST_F(FromRelease31, TextsAreWidenedOrCutToTheirNewFields) {
    // A client name of 30 characters keeps all 30 in the 50-character field, and so does
    // the booking that names it.
    const auto clients = rows<store::CLIENT>(Tbl::CLIENT);
    ASSERT_EQ(1u, clients.size());
    EXPECT_EQ(std::string(30, 'C'), clients[0].CLIENT.str());
    EXPECT_EQ(std::string(30, 'C'), rows<store::ACTIVITY>(Tbl::ACTIVITY)[0].CLIENT.str());
    EXPECT_EQ("1 High Street\r\nLeeds", clients[0].ADDRESS.str());
    EXPECT_EQ(std::string(1000, 'n'), clients[0].NOTES.str());
    EXPECT_TRUE(clients[0].EMAIL.blank());
    EXPECT_EQ("J. Smith", clients[0].CONTACT.str());

    // User notes over 255 characters keep the first 255.
    const auto users = rows<store::USERS>(Tbl::USERS);
    ASSERT_EQ(1u, users.size());
    EXPECT_EQ(std::string(250, 'a') + "bcdef", users[0].NOTES.str());
    EXPECT_EQ("pw", users[0].PASSWORD.str());
    EXPECT_EQ(2, users[0].ACCESSLEVEL);

    const auto res = rows<store::RESOURCE>(Tbl::RESOURCE);
    ASSERT_EQ(1u, res.size());
    EXPECT_EQ("Keys at desk", res[0].NOTES.str());
    EXPECT_EQ(3, res[0].UNITS);
}

TEST_F(FromRelease31, DatesGroupsAndPreferencesKeepTheirValues) {
    const auto dates = rows<store::DATES>(Tbl::DATES);
    ASSERT_EQ(2u, dates.size());
    EXPECT_EQ(80000, dates[0].DATE);
    EXPECT_EQ(2880001, dates[0].TIME);
    EXPECT_EQ(2890001, dates[0].ACTUALSTART);
    EXPECT_EQ(80007, dates[1].DATE);
    EXPECT_EQ(1u, rows<store::GROUPRES>(Tbl::GROUPRES).size());

    // Stage C kept CLIENTGENERAL aside for stage D; the labels went to their own fields.
    const auto prefs = rows<store::SYSPREF>(Tbl::SYSPREF);
    ASSERT_EQ(1u, prefs.size());
    EXPECT_EQ(1, prefs[0].CLIENTGENERAL);
    EXPECT_EQ(9, prefs[0].HEIGHT);
    EXPECT_EQ("Room", prefs[0].LABELS2_1.str());
    EXPECT_TRUE(prefs[0].LABELS1_1.blank());
    EXPECT_EQ("Meeting", prefs[0].NAME.str());
    expectTodaysStore();
    EXPECT_EQ("C+C-D+D-", progress.stages);
}

TEST_F(ConvertTest, From2xEveryUserGetsPreferencesAndTheWholeLists) {
    SampleStore s(Release::R2X);
    for (const char* name : {"ANNA", "BEN", "CAROL"})
        s.add("USERS").set("USERNAME", name).set("LASTNAME", name);
    for (int i = 1; i <= 11; ++i) s.add("DURLIST").set("DURATION", 90001 * i);
    s.add("DURLIST").set("DURATION", 90001);  // the old list held one entry twice
    for (const char* name : {"Cleaning", "Delivery"}) s.add("ROUTINEA").set("NAME", name);
    s.add("USERPREF")
        .set("NAME", "Meeting")
        .set("HEIGHT", 12)
        .set("CLIENTGENERAL", 1)
        .set("USERNAME", "SUPERVISOR")
        .set("BACKUPHOURS", 24);
    s.add("DATES").set("ACTNUMBER", 1).set("DATE", 80000).set("DAYNAME", "Mon");
    s.add("RESACT").set("ACTNUMBER", 1).set("RESOURCE", "ROOM1");
    s.add("RESOURCE").set("RESOURCE", "ROOM1").set("NOTES", "Twelve seats");
    write(s);
    ASSERT_EQ(Outcome::Completed, convert(Release::R2X));
    EXPECT_EQ("A+A-B+B-C+C-D+D-", progress.stages);

    // Three users and eleven durations: 33 entries, the duplicate written once per user.
    const auto durations = rows<store::DURLIST>(Tbl::DURLIST);
    EXPECT_EQ(33u, durations.size());
    EXPECT_EQ(11, std::count_if(durations.begin(), durations.end(),
                                [](const store::DURLIST& d) { return d.USERNAME == "BEN"; }));
    EXPECT_EQ(6u, rows<store::ROUTINEA>(Tbl::ROUTINEA).size());

    const auto prefs = rows<store::USERPREF>(Tbl::USERPREF);
    ASSERT_EQ(3u, prefs.size());
    EXPECT_EQ("ANNA", prefs[0].USERNAME.str());  // the user, not who changed the old record
    EXPECT_EQ("CAROL", prefs[2].USERNAME.str());
    EXPECT_EQ(12, prefs[1].HEIGHT);
    EXPECT_EQ("Meeting", prefs[1].NAME.str());

    // The preferences went through 3.0 and 3.1 into today's record: the terms of stage A,
    // and CLIENTGENERAL kept aside by stage C.
    const auto sys = rows<store::SYSPREF>(Tbl::SYSPREF);
    ASSERT_EQ(1u, sys.size());
    EXPECT_EQ("Booking", sys[0].LABELS1_1.str());
    EXPECT_EQ("Clients", sys[0].LABELS3_2.str());
    EXPECT_EQ(1, sys[0].CLIENTGENERAL);
    EXPECT_EQ(24, sys[0].BACKUPHOURS);
    EXPECT_EQ("SUPERVISOR", sys[0].USERNAME.str());
    EXPECT_TRUE(sys[0].ALERT.blank());

    EXPECT_EQ(1, rows<store::RESACT>(Tbl::RESACT)[0].UNITS);
    const auto res = rows<store::RESOURCE>(Tbl::RESOURCE);
    EXPECT_EQ(1, res[0].UNITS);
    EXPECT_EQ("Twelve seats", res[0].NOTES.str());
    // Dates passed through 3.0 (no actual times yet) into today's layout.
    const auto dates = rows<store::DATES>(Tbl::DATES);
    ASSERT_EQ(1u, dates.size());
    EXPECT_EQ(80000, dates[0].DATE);
    EXPECT_EQ(0, dates[0].ACTUALSTART);
    EXPECT_EQ(3u, rows<store::USERS>(Tbl::USERS).size());
    expectTodaysStore();
}

TEST_F(ConvertTest, From320OnlyThePreferencesChange) {
    SampleStore s(Release::R320);
    addTrialRecords(s);
    write(s);
    const std::string before = readFile(dir.file("RESDATA.TPS"));
    ASSERT_EQ(Outcome::Completed, convert(Release::R320));
    EXPECT_EQ("D+D-", progress.stages);
    EXPECT_EQ(before, readFile(dir.file("Resdata.old")));

    // Every table but SYSPREF reads as it was written: compare with a sample of today.
    TempDir same;
    SampleStore t(Release::Current);
    addTrialRecords(t);
    ASSERT_EQ(0, t.write(same.path.string()));
    Station a(dir.path), b(same.path);
    for (int i = 0; i < store::kTableCount; ++i) {
        const Tbl tbl = Tbl(i);
        if (tbl == Tbl::SYSPREF) continue;
        std::vector<std::string> ours, theirs;
        for (auto [st, out] : {std::pair{&a, &ours}, std::pair{&b, &theirs}}) {
            st->rm(tbl).OPEN();
            st->fm(tbl).SET(-1);
            while (st->fm(tbl).NEXT() == store::Level_Benign)
                out->emplace_back(reinterpret_cast<const char*>(st->db->table(tbl).buffer()),
                                  st->db->table(tbl).recordSize());
        }
        EXPECT_EQ(theirs, ours) << store::tableDecl(tbl).name;
    }
    // Stage C did not run: CLIENTGENERAL is 0, the rest by name.
    const auto sys = rows<store::SYSPREF>(Tbl::SYSPREF);
    ASSERT_EQ(1u, sys.size());
    EXPECT_EQ(0, sys[0].CLIENTGENERAL);
    EXPECT_EQ("Room", sys[0].LABELS2_1.str());
    EXPECT_EQ("None", sys[0].ALERT.str());
    expectTodaysStore();
}

/// Every release's sample goes the whole way and ends in today's layout.
class EveryChain : public ConvertTest, public ::testing::WithParamInterface<Release> {};

TEST_P(EveryChain, EndsInAStoreTheMainProgramOpens) {
    SampleStore s(GetParam());
    addTrialRecords(s);
    write(s);
    ASSERT_EQ(Outcome::Completed, convert(GetParam())) << ::testing::PrintToString(user.texts());
    expectTodaysStore();
    // The trial bookings and their occurrences all arrived.
    EXPECT_EQ(3u, rows<store::ACTIVITY>(Tbl::ACTIVITY).size());
    EXPECT_EQ(9u, rows<store::DATES>(Tbl::DATES).size());
    EXPECT_EQ(3u, rows<store::USERS>(Tbl::USERS).size());
    EXPECT_EQ(2u, rows<store::REPACT>(Tbl::REPACT).size());
    const auto users = rows<store::USERPREF>(Tbl::USERPREF);
    EXPECT_EQ(3u, users.size());
    // The last table read is the one of stage D.
    EXPECT_EQ("RESDATA\\!SYSPREF", progress.lastSource);
    EXPECT_EQ(1, progress.lastCount);
}

INSTANTIATE_TEST_SUITE_P(Releases, EveryChain,
                         ::testing::Values(Release::R2X, Release::R30, Release::R31, Release::R320),
                         [](const auto& info) {
                             std::string n = releaseInfo(info.param).value;
                             for (char& c : n)
                                 if (c == '.') c = '_';
                             return "R" + n;
                         });

}  // namespace
}  // namespace converter::test
