// The booking form as the frame's "Add booking" entry and toolbar button open it.
#include <QAction>
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

}  // namespace
}  // namespace shell::test
