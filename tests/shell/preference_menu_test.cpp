// The preference windows as the frame's File menu opens them: the system preferences for a
// system administrator, whose saved terms the program takes up at once, and the user
// preferences for every user, whose saved values the session keeps.
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

#include "masterdata/ui/preference_windows.h"
#include "shell/app.h"
#include "shell/frame.h"
#include "shell/startup.h"
#include "shell/terms.h"
#include "shell_fixture.h"

namespace shell::test {
namespace {

using namespace store;

class PreferenceMenuTest : public ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        registerWindows(*db);
        setCurrentTerms(Terms{});
    }
    void TearDown() override {
        masterdata::ui::preferenceHooks() = {};
        setCurrentTerms(Terms{});
        ShellTest::TearDown();
    }
};

TEST_F(PreferenceMenuTest, SavedSystemTermsReachTheProgramAtOnce) {
    MAIN frame(*db, *ini);
    typeLogin(kAdministrator, kAdministratorPassword);
    ASSERT_TRUE(frame.INIT());
    QAction* entry = frame.action("File/System preferences");
    ASSERT_TRUE(entry->isEnabled());
    std::string opened;
    onNextModal([&](QWidget* w) {
        opened = w->objectName().toStdString();
        // Called to change the single record.
        EXPECT_EQ("Record will be Changed", w->findChild<QLabel*>("Status")->text().toStdString());
        w->findChild<QLineEdit*>("BookingSingular")->setText("Event");
        w->findChild<QLineEdit*>("BookingPlural")->setText("Events");
        pressButton(w, "OK");
    });
    entry->trigger();
    EXPECT_EQ("SYSPREF", opened);
    EXPECT_EQ("Event", currentTerms().booking.toStdString());
    EXPECT_EQ("Add event", termsFor("Add %1", Term::BookingSingular).toStdString());
    // The frame's own menu takes up the new word without a restart.
    EXPECT_EQ("Add event", frame.action("Bookings/Add %1")->text().toStdString());
    frame.close();
}

TEST_F(PreferenceMenuTest, AUsersSavedPreferencesAreTheSessions) {
    ASSERT_EQ(StoreStart::Ready, OPENSTORE(*db));
    db->Access(Tbl::USERS).PRIMERECORD();
    db->USE.USERNAME = "VIEWER";
    db->USE.PASSWORD = "secret1";
    db->USE.ACCESSLEVEL = ViewOnly;
    ASSERT_EQ(Level_Benign, db->Access(Tbl::USERS).INSERT());
    CLOSESTORE(*db);
    reopen();
    registerWindows(*db);

    MAIN frame(*db, *ini);
    typeLogin("VIEWER", "secret1");
    ASSERT_TRUE(frame.INIT());
    EXPECT_FALSE(frame.action("File/System preferences")->isEnabled());
    QAction* entry = frame.action("File/User preferences");
    ASSERT_TRUE(entry->isEnabled());
    onNextModal([&](QWidget* w) {
        EXPECT_EQ("USERPREF", w->objectName().toStdString());
        w->findChild<QSpinBox*>("Height")->setValue(12);
        pressButton(w, "OK");
    });
    entry->trigger();
    // The windows that read the session's preferences see the new value...
    EXPECT_EQ("VIEWER", db->USP.USERNAME.str());
    EXPECT_EQ(12, db->USP.HEIGHT);
    // ...and so does the next start.
    db->USP.USERNAME = "VIEWER";
    ASSERT_EQ(Level_Benign, db->Access(Tbl::USERPREF).FETCH(USP::USERNAME_KEY));
    EXPECT_EQ(12, db->USP.HEIGHT);
    frame.close();
}

}  // namespace
}  // namespace shell::test
