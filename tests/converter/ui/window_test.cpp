// The converter's windows, driven as a user drives them (offscreen).
#include <QApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <cstdlib>

#include "../converter_fixture.h"
#include "converter/ui/convert_window.h"
#include "converter/ui/progress_window.h"

namespace converter::test {
namespace {

QApplication& application() {
    static int argc = 1;
    static char name[] = "converter_tests";
    static char* argv[] = {name, nullptr};
    if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Made once and never destroyed: tearing it down among the other statics at exit
    // would outlive parts of Qt it needs.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

void click(QAbstractButton* b) {
    b->click();
}
/// A key pressed and let go on a widget, as the window system delivers it.
void key(QWidget* w, int k) {
    QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier);
    QKeyEvent release(QEvent::KeyRelease, k, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QApplication::sendEvent(w, &release);
}

class WindowTest : public ConvertTest {
  protected:
    template <class W>
    W* child(const char* name) {
        W* w = window.findChild<W*>(name);
        EXPECT_NE(nullptr, w) << name;
        return w;
    }
    QApplication& app = application();  // before any widget
    ui::ConvertWindow window;
};

TEST_F(WindowTest, ShowsTheNoticeTheFolderAndTheFourReleases) {
    window.show();
    EXPECT_EQ("Convert Previous Versions to 3.21", window.windowTitle());
    QStringList labels;
    for (QLabel* l : window.findChildren<QLabel*>()) labels << l->text();
    EXPECT_TRUE(
        labels.contains("IMPORTANT! Make a copy of your existing data (*.tps) BEFORE converting."));
    EXPECT_TRUE(labels.contains("&Enter the folder with resdata.tps"));
    EXPECT_EQ(144, child<QLineEdit>("PATHNAME")->maxLength());
    EXPECT_EQ("Version to Convert", child<QGroupBox>("VERSION")->title());
    QStringList options;
    for (QRadioButton* b : window.findChildren<QRadioButton*>()) options << b->text();
    EXPECT_EQ(QStringList({"Multi User 2.x", "Multi-User 3.0", "Multi-User 3.1", "3.20"}), options);
    EXPECT_TRUE(child<QPushButton>("CONVERT")->isDefault());
    EXPECT_EQ("Cancel", child<QPushButton>("CANCEL")->text());

    // Tab runs entry, Browse, the chosen option, Convert, Cancel, and round again.
    window.activateWindow();
    QApplication::processEvents();
    child<QLineEdit>("PATHNAME")->setFocus();
    QStringList order;
    for (int i = 0; i < 6; ++i) {
        order << QApplication::focusWidget()->objectName();
        key(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(
        QStringList({"PATHNAME", "BROWSEBUTTON", "VERSION_Multi", "CONVERT", "CANCEL", "PATHNAME"}),
        order);
    if (const char* shots = std::getenv("TEMBRIX_SCREENSHOTS"))
        window.grab().save(QString(shots) + "/convert_window.png");
}

TEST_F(WindowTest, ABlankFolderKeepsTheCursorInTheEntry) {
    window.show();
    click(child<QPushButton>("CONVERT"));
    EXPECT_TRUE(user.asked.empty());
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(child<QLineEdit>("PATHNAME"), window.focusWidget());
    // Blanks alone are blank too.
    window.setFolder("   ");
    key(child<QLineEdit>("PATHNAME"), Qt::Key_Return);
    EXPECT_TRUE(user.asked.empty());
    EXPECT_TRUE(window.isVisible());
}

TEST_F(WindowTest, BrowseAsksForTheFolderAndFillsTheEntry) {
    window.show();
    user.answerFile("/data/office");
    click(child<QPushButton>("BROWSEBUTTON"));
    ASSERT_EQ(1u, user.asked.size());
    EXPECT_EQ("Select folder with Resdata.tps", user.asked[0].caption);
    EXPECT_EQ("/data/office", window.folder());
    // Cancelling the dialog keeps what was there.
    click(child<QPushButton>("BROWSEBUTTON"));
    EXPECT_EQ("/data/office", window.folder());
}

TEST_F(WindowTest, DataOfAnotherReleaseKeepsTheWindowOpen) {
    SampleStore s(Release::R31);
    addTrialRecords(s);
    write(s);
    window.show();
    window.setFolder(QString::fromStdString(folder()));
    click(child<QRadioButton>("VERSION_3.20"));
    click(child<QPushButton>("CONVERT"));
    EXPECT_NE(std::string::npos, user.lastText().find("it looks like release 3.1"));
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.isEnabled());
    EXPECT_EQ(Outcome::NothingDone, window.outcome());
}

TEST_F(WindowTest, ConvertShowsEachStageAndClosesTheWindowAtTheEnd) {
    SampleStore s(Release::R30);
    addTrialRecords(s);
    for (int i = 0; i < 5000; ++i) s.add("DATES").set("ACTNUMBER", 100 + i).set("DATE", 80000 + i);
    write(s);
    window.show();
    window.setFolder(QString::fromStdString(folder()));
    window.setRelease(Release::R30);

    // While it works, look at what the screen shows, as often as the window system runs.
    QStringList seen;
    bool mainEnabled = true;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* p = qobject_cast<ui::ProgressWindow*>(w);
            if (!p || !p->isVisible()) continue;
            const QString line = p->windowTitle() + ": " + p->sourceText();
            const char* shots = std::getenv("TEMBRIX_SCREENSHOTS");
            if (shots && line.endsWith("DATES") && !seen.contains(line))
                p->grab().save(QString(shots) + "/progress_window.png");
            if (!seen.contains(line)) seen << line;
            mainEnabled = mainEnabled && window.isEnabled();
        }
    });
    look.start(0);
    click(child<QPushButton>("CONVERT"));
    look.stop();

    EXPECT_EQ(Outcome::Completed, window.outcome());
    EXPECT_EQ("Conversion Completed", user.lastText());
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(mainEnabled);  // no second Convert while one runs
    // Stage B's tables, C's, and D's preferences passed through the progress windows.
    for (const char* table : {"RESACT", "RESOURCE", "ACTIVITY", "DATES", "SYSPREF"})
        EXPECT_TRUE(seen.contains(QString("Converting File: RESDATA\\!") + table))
            << table << " " << seen.join(" | ").toStdString();
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_FALSE(qobject_cast<ui::ProgressWindow*>(w) && w->isVisible());
    EXPECT_FALSE(QApplication::overrideCursor());
    expectTodaysStore();
}

TEST_F(WindowTest, TheProgressWindowCannotBeClosedWhileItsStageRuns) {
    ui::ProgressShower shower(&window);
    shower.stageStarted('C');
    ASSERT_NE(nullptr, shower.window());
    shower.recordRead("RESDATA\\!ACTIVITY", 1);
    EXPECT_EQ("1", shower.window()->countText());
    EXPECT_EQ("RESDATA\\!ACTIVITY", shower.window()->sourceText());
    EXPECT_TRUE(shower.window()->isVisible());
    shower.window()->close();
    key(shower.window(), Qt::Key_Escape);
    EXPECT_TRUE(shower.window()->isVisible());
    EXPECT_TRUE(QApplication::overrideCursor());
    shower.stageFinished('C');
    EXPECT_EQ(nullptr, shower.window());
    EXPECT_FALSE(QApplication::overrideCursor());
}

}  // namespace
}  // namespace converter::test
