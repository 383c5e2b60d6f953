// The booking form as the frame's "Add booking" entry and toolbar button open it.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>

#include "shell/app.h"
#include "shell/frame.h"
#include "shell/startup.h"
#include "shell_fixture.h"

namespace shell::test {
namespace {

using namespace store;

class BookingMenuTest : public ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        registerWindows(*db);
    }
};

TEST_F(BookingMenuTest, AddBookingOpensANewBookingPrimedFromThePreferences) {
    MAIN frame(*db, *ini);
    typeLogin(kAdministrator, kAdministratorPassword);
    ASSERT_TRUE(frame.INIT());
    for (const char* path : {"Bookings/Add %1", "toolbar/New"}) {
        QAction* entry = frame.action(path);
        ASSERT_TRUE(entry) << path;
        EXPECT_TRUE(entry->isEnabled()) << path;
        std::string opened, status, name;
        onNextModal([&](QWidget* w) {
            opened = w->objectName().toStdString();
            for (QLabel* l : w->findChildren<QLabel*>())
                if (l->text().startsWith("Record will be")) status = l->text().toStdString();
            if (auto* box = w->findChild<QComboBox*>()) name = box->currentText().toStdString();
            pressButton(w, "Cancel");
        });
        entry->trigger();
        EXPECT_EQ("UPDATEACT", opened) << path;
        EXPECT_EQ("Record will be Added", status);
        EXPECT_EQ(db->USP.NAME.str(), name);
        EXPECT_EQ(RequestCancelled, session().GlobalResponse);
    }
    frame.close();
}

TEST_F(BookingMenuTest, TheScanEntriesOpenTheirScansAndOnlyThose) {
    MAIN frame(*db, *ini);
    typeLogin(kAdministrator, kAdministratorPassword);
    ASSERT_TRUE(frame.INIT());
    // Week, group day and group month are called; month, group week and the calendar options
    // stand on their own.
    const struct {
        const char* entry;
        const char* button;
        const char* procedure;
        bool modal;
    } scans[] = {
        {"Scan/Single %1/Week", "toolbar/Single week", "SCANSINGLE", true},
        {"Scan/Single %1/Month", "toolbar/Single month", "SCANMONTH", false},
        {"Scan/%1 group/Day", "toolbar/Group day", "SCANGROUP", true},
        {"Scan/%1 group/Week", "toolbar/Group week", "SCANGROUPWEEK", false},
        {"Scan/%1 group/Month", nullptr, "SCANGROUPMONTH", true},
        // The printed calendars' options stay open beside the frame.
        {"Scan/Calendar", nullptr, "CALENDARMAIN", false},
    };
    for (const auto& s : scans) {
        for (const char* path : {s.entry, s.button}) {
            if (!path) continue;
            QAction* entry = frame.action(path);
            ASSERT_TRUE(entry) << path;
            EXPECT_TRUE(entry->isEnabled()) << path;
            std::string opened;
            if (s.modal) {
                onNextModal([&](QWidget* w) {
                    opened = w->objectName().toStdString();
                    pressButton(w, "Close");
                });
                entry->trigger();
            } else {
                entry->trigger();
                for (QWidget* w : QApplication::topLevelWidgets())
                    if (w->isVisible() && w->objectName() == s.procedure) {
                        opened = s.procedure;
                        w->close();
                    }
                QApplication::processEvents();
            }
            EXPECT_EQ(s.procedure, opened) << path;
        }
    }
    frame.close();
}

}  // namespace
}  // namespace shell::test
