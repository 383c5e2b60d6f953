#pragma once

#include <functional>
#include <type_traits>

#include "../store/store_fixture.h"
#include "booking/booking_form.h"
#include "booking/repeat.h"
#include "store/datetime.h"
#include "store/session.h"

namespace booking::test {

constexpr store::LONG H = 360000;  // one hour in the time encoding
/// A time of day typed as hh:mm.
inline store::LONG at(int hour, int minute = 0) {
    return store::Time::fromHMS(hour, minute).value;
}
inline store::LONG day(int y, int m, int d) {
    return store::Date::fromMDY(m, d, y).value;
}

/// Answers conflict dialogs from the script, after running a hook (another station
/// acting while the dialog is open).
class Questions : public store::ScriptedQuestions {
  public:
    std::function<void()> duringDialog;
    int conflict(const store::ConflictQuestion& q) override {
        if (duringDialog) {
            auto hook = std::move(duringDialog);
            duringDialog = nullptr;
            hook();
        }
        return ScriptedQuestions::conflict(q);
    }
};

/// A store with three resources (ROOM1 and ROOM2 single, POOL of five units), a client,
/// the user's preferences and a fixed clock: Monday 2 March 2026, 08:00. `Base` says where
/// the store lives: ::testing::Test for the folder's files (BookingTest), or
/// ::testing::TestWithParam<StoreKind> for the files or a database on the test server as
/// the test's parameter says (AnyBookingTest, run with TEMBRIX_ON_BOTH_STORES). A second
/// Station on the same folder reaches the same store either way.
template <class Base>
class BookingFixture : public Base {
  protected:
    static store::test::StoreKind kindOf(const Base* self) {
        if constexpr (std::is_base_of_v<::testing::WithParamInterface<store::test::StoreKind>,
                                        Base>)
            return self->GetParam();
        else
            return store::test::StoreKind::Files;
    }

    store::test::TempDir dir;
    store::test::ServerDatabase server{dir.path, kindOf(this)};
    Questions user;
    store::test::Station a{dir.path};
    store::Store& db = *a.db;
    const store::LONG monday = day(2026, 3, 2);

    bool onServer() const { return server.used(); }
    /// For a derived fixture's SetUp after BookingTest::SetUp: whether to stop there.
    static bool stopped() { return Base::IsSkipped() || Base::HasFatalFailure(); }

    /// The test's date formats, its clock (Monday 08:00) and its user, an administrator.
    void setUpSession() {
        store::setDateFormats(store::DateFormats{});
        store::setClock([this] {
            return store::ClockReading{store::Date(monday), store::Time(at(8))};
        });
        auto& s = store::session();
        s.GlobalUserName = "TESTER";
        s.accessLevel = store::SystemAdministrator;
        s.GlobalResponse = store::NoResponse;
    }

    void SetUp() override {
        server.require();
        if (stopped()) return;
        setUpSession();
        openAll(a);
        addResource(a, "ROOM1", 1);
        addResource(a, "ROOM2", 1);
        addResource(a, "POOL", 5);
        a.fm(store::Tbl::CLIENT).PRIMERECORD();
        db.CLI.CLIENT = "ACME";
        ASSERT_EQ(store::Level_Benign, a.fm(store::Tbl::CLIENT).INSERT());
        preferences(db);
    }
    void TearDown() override { store::setClock({}); }

    static void preferences(store::Store& s) {
        s.table(store::Tbl::SYSPREF).clearBuffer();
        s.table(store::Tbl::USERPREF).clearBuffer();
        s.USP.STARTTIME = at(9);
        s.USP.DURATION = store::Length::fromHours(1).value;
        s.USP.BEGINDAY = at(8);
        s.USP.ENDDAY = at(18);
        s.USP.INTERVAL = store::Length::fromMinutes(30).value;
        s.USP.SCANTEXT = "Name";
        s.USP.NAME = "Meeting";
        s.USP.CLIENT = "ACME";
    }
    void openAll(store::test::Station& s) {
        for (int i = 0; i < store::kTableCount; ++i)
            ASSERT_EQ(store::Level_Benign, s.rm(store::Tbl(i)).OPEN());
    }
    /// A resource group with its members, through station `s`.
    void addGroup(store::test::Station& s, const char* group,
                  const std::vector<std::string>& members) {
        s.fm(store::Tbl::GROUP).PRIMERECORD();
        s.db->GRO.GROUP = group;
        ASSERT_EQ(store::Level_Benign, s.fm(store::Tbl::GROUP).INSERT());
        for (const std::string& r : members) {
            s.fm(store::Tbl::GROUPRES).PRIMERECORD();
            s.db->GRP.GROUP = group;
            s.db->GRP.RESOURCES = r;
            ASSERT_EQ(store::Level_Benign, s.fm(store::Tbl::GROUPRES).INSERT());
        }
    }
    void addResource(store::test::Station& s, const char* code, int units) {
        s.fm(store::Tbl::RESOURCE).PRIMERECORD();
        s.db->RES.RESOURCE = code;
        s.db->RES.UNITS = store::SHORT(units);
        ASSERT_EQ(store::Level_Benign, s.fm(store::Tbl::RESOURCE).INSERT());
    }

    /// Books through a form of station `s`: one occurrence per entry (date, typed start,
    /// typed end) on the given resources with their units; returns the booking number.
    store::LONG book(store::Store& s, const std::string& name,
                     const std::vector<std::pair<std::string, int>>& resources,
                     const std::vector<std::array<store::LONG, 3>>& occurrences,
                     int type = NoRepeats) {
        BookingForm form(s);
        form.UPDATEUNITS = [&](const std::string& code, int) {
            for (const auto& [c, u] : resources)
                if (c == code) return u;
            return 1;
        };
        EXPECT_TRUE(form.open(store::InsertRecord));
        s.ACT.NAME = name;
        std::vector<std::pair<std::string, int>> chosen;
        for (const auto& [c, u] : resources) chosen.push_back({c, u > 1 ? 5 : 1});
        form.insertResources(chosen);
        for (std::size_t i = 1; i < occurrences.size(); ++i)
            form.occurrenceList().push_back({occurrences[i][0], occurrences[i][1] + 400,
                                             occurrences[i][2], 0, 0, s.ACT.ACTNUMBER});
        form.date = occurrences[0][0];
        form.startAccepted(occurrences[0][1]);
        form.endAccepted(occurrences[0][2]);
        if (occurrences.size() > 1) s.ACT.REPEATTYPE = store::BYTE(type ? type : IrregularDates);
        const store::LONG number = s.ACT.ACTNUMBER;
        EXPECT_EQ(OkOutcome::Completed, form.OK());
        return number;
    }

    /// Opens a change of booking `number` as a scan does: the clicked occurrence in DATES
    /// and the booking fetched.
    bool openChange(BookingForm& form, store::LONG number, store::LONG date, store::LONG start,
                    store::LONG end) {
        booking::clickOccurrence(db, number, date, start, end);
        return form.open(store::ChangeRecord);
    }

    long long count(store::Tbl t) { return db.engine().records(db.table(t)); }
    /// The occurrences on file of one booking: (date, start, end).
    std::vector<std::array<store::LONG, 3>> datesOf(store::LONG number) {
        std::vector<std::array<store::LONG, 3>> out;
        auto& fm = a.fm(store::Tbl::DATES);
        db.table(store::Tbl::DATES).clearBuffer();
        db.DAT.ACTNUMBER = number;
        fm.SET(store::DAT::ACTDATES_KEY, true);
        while (fm.NEXT() == store::Level_Benign && db.DAT.ACTNUMBER == number)
            out.push_back({db.DAT.DATE, db.DAT.TIME, db.DAT.ENDTIME});
        return out;
    }
    std::vector<std::string> resourcesOf(store::LONG number) {
        std::vector<std::string> out;
        auto& fm = a.fm(store::Tbl::RESACT);
        db.table(store::Tbl::RESACT).clearBuffer();
        db.RAC.ACTNUMBER = number;
        fm.SET(store::RAC::ACTRESOURCE_KEY, true);
        while (fm.NEXT() == store::Level_Benign && db.RAC.ACTNUMBER == number)
            out.push_back(db.RAC.RESOURCE.str() + ":" + std::to_string(db.RAC.UNITS));
        return out;
    }
    bool fetchBooking(store::LONG number) {
        db.ACT.ACTNUMBER = number;
        return db.engine().get(db.table(store::Tbl::ACTIVITY), store::ACT::ACTNUMBER_KEY) == 0;
    }
};

/// A booking test on the folder's own files.
class BookingTest : public BookingFixture<::testing::Test> {};
/// A booking test that runs on either kind of store (instantiated with both kinds).
class AnyBookingTest : public BookingFixture<::testing::TestWithParam<store::test::StoreKind>> {};

}  // namespace booking::test
