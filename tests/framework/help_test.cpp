#include <gtest/gtest.h>

#include <unistd.h>
#include <QScreen>

#include <QDialog>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <deque>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "framework/help.h"
#include "framework/help_file.h"
#include "preview_test_app.h"
#include "store/scripted_questions.h"

namespace framework {
namespace {

// The help file shipped with the program, found from this test's own source.
const std::string kShippedFile =
    (std::filesystem::path(__FILE__).parent_path() / "../../resources/Tembrixm.hlp").string();

// Every topic that the windows' Help buttons open. A window's topic missing from the file
// would leave its user with the contents and a note instead of help.
const std::vector<std::string> kWindowTopics = {
    "~Main_Window",
    "~How_to_Use_Help",
    "~Contents",
    "~Print_Preview_Window",
    "~Login_Window",
    "~Change_Password_Window",
    "~Terms_Window",
    "~About_Window",
    "~System_Preferences_Window",
    "~User_Preferences_Window",
    "~Update_Booking_Window",
    "~Browse_Bookings_Window",
    "~Browse_by_Name_Window",
    "~Resource_Scan_for_a_Week_Window",
    "~Resource_Scan_for_a_Month_Window",
    "~Group_Scan_a_Day_Window",
    "~Group_Scan_a_ Week_Window",  // as the group week scan names it, with its stray blank
    "~Group_Scan_a_Month_Window",
    "~Group_Scan_for_Available_Time_Window",
    "~Scan_Pooled_Availability_Window",
    "~Calendar_Options_Window",
    "~Resource_Utilization_Window",
    "~Resource_Group_Utilization_Window",
    "~Browse_Resources_Window",
    "~Update_Resource_Window",
    "~Browse_Resource_Groups_Window",
    "~Update_Resource_Group_Window",
    "~Browse_Clients_Window",
    "~Update_Client_Window",
    "~Update_Special_Days_Window",
    "~Special_Days_Set",
    "~Browse_Users_Window",
    "~Update_User_Window",
    "~Browse_User_Groups_Window",
};

const char* kSample =
    "# a comment before the first topic\n"
    "\n"
    "~Contents\n"
    "All Topics\n"
    "- [[~Scan]]\n"
    "- [[~Report_Window|Printing]]\n"
    "\n"
    "~Scan\n"
    "Scanning a Week\n"
    "The scan shows\n"
    "bookings as boxes.\n"
    "# comments may stand anywhere\n"
    "\n"
    "- Cal picks a date\n"
    "  from the calendar.\n"
    "- Print prints it; see [[~Report_Window]].\n"
    "After the list.\n"
    "\n"
    "~Report_Window\n"
    "Printed Reports\n"
    "Reports of bookings print with a preview. Go back to the [[~Scan|week scan]].\n";

HelpFile sample() {
    std::string error;
    auto file = HelpFile::parse(kSample, &error);
    EXPECT_TRUE(file) << error;
    return file ? *file : HelpFile();
}

std::vector<std::string> names(const std::vector<const HelpTopic*>& topics) {
    std::vector<std::string> out;
    for (const HelpTopic* t : topics) out.push_back(t->name);
    return out;
}

std::string parseError(const std::string& text) {
    std::string error;
    EXPECT_FALSE(HelpFile::parse(text, &error)) << "accepted: " << text;
    return error;
}

struct ScratchFile {
    std::string path;
    explicit ScratchFile(const std::string& text) {
        char tmpl[] = "/tmp/tembrix-help-XXXXXX";
        const int fd = ::mkstemp(tmpl);
        ::close(fd);
        path = tmpl;
        std::ofstream(path, std::ios::binary) << text;
    }
    ~ScratchFile() { std::filesystem::remove(path); }
};

TEST(HelpFileTest, TopicsTitlesParagraphsAndItems) {
    const HelpFile file = sample();
    ASSERT_EQ(3u, file.topics().size());
    const HelpTopic& scan = file.topics()[1];
    EXPECT_EQ("Scan", scan.name);
    EXPECT_EQ("Scanning a Week", scan.title);
    EXPECT_EQ(8, scan.line);
    ASSERT_EQ(4u, scan.blocks.size());
    // Lines of a paragraph are joined; a comment inside a topic is left out.
    EXPECT_EQ("The scan shows bookings as boxes.", scan.blocks[0].text);
    EXPECT_EQ(HelpBlock::Kind::Item, scan.blocks[1].kind);
    EXPECT_EQ("Cal picks a date from the calendar.", scan.blocks[1].text);
    EXPECT_EQ("Print prints it; see [[~Report_Window]].", scan.blocks[2].text);
    // A line in the first column after an item starts a paragraph of its own.
    EXPECT_EQ(HelpBlock::Kind::Paragraph, scan.blocks[3].kind);
    EXPECT_EQ("After the list.", scan.blocks[3].text);
    EXPECT_TRUE(file.warnings().empty());

    // Line ends of either kind and a byte order mark make no difference.
    std::string dos = "\xEF\xBB\xBF";
    for (const char* c = kSample; *c; ++c)
        dos += *c == '\n' ? std::string("\r\n") : std::string(1, *c);
    auto same = HelpFile::parse(dos);
    ASSERT_TRUE(same);
    EXPECT_EQ("Scanning a Week", same->topics()[1].title);
    EXPECT_EQ("The scan shows bookings as boxes.", same->topics()[1].blocks[0].text);
}

TEST(HelpFileTest, LinksShowTheirTargetsTitleOrTheirOwnWords) {
    EXPECT_EQ((std::vector<HelpRun>{
                  {"See ", ""}, {"", "Scan"}, {" and ", ""}, {"here", "Other"}, {".", ""}}),
              splitLinks("See [[~Scan]] and [[~Other | here]]."));
    EXPECT_EQ((std::vector<HelpRun>{{"[[not a link]] or [[~open", ""}}),
              splitLinks("[[not a link]] or [[~open"));

    const HelpFile file = sample();
    EXPECT_EQ("Printed Reports", file.linkText({"", "Report_Window"}));
    EXPECT_EQ("week scan", file.linkText({"week scan", "Scan"}));
    EXPECT_EQ(
        "Scanning a Week\nThe scan shows bookings as boxes.\nCal picks a date from the "
        "calendar.\nPrint prints it; see Printed Reports.\nAfter the list.",
        file.plainText(file.topics()[1]));
}

TEST(HelpFileTest, NamesAreFoundWithoutRegardToCaseBlanksOrTilde) {
    const HelpFile file = sample();
    ASSERT_NE(nullptr, file.find("~Report_Window"));
    EXPECT_EQ(file.find("~Report_Window"), file.find("report_window"));
    EXPECT_EQ(file.find("~Report_Window"), file.find("~Report_ Window"));
    EXPECT_EQ(nullptr, file.find("~Reports_Window"));
    EXPECT_EQ(nullptr, file.find(""));
}

TEST(HelpFileTest, SearchNeedsEveryWordAndRanksTitlesFirst) {
    const HelpFile file = sample();
    EXPECT_EQ((std::vector<std::string>{"Contents", "Scan", "Report_Window"}),
              names(file.search("")));
    // "scan" is in Scan's title; the others only mention it (Contents through its link).
    EXPECT_EQ((std::vector<std::string>{"Scan", "Contents", "Report_Window"}),
              names(file.search("SCAN")));
    EXPECT_EQ((std::vector<std::string>{"Scan"}), names(file.search("calendar  print")));
    EXPECT_EQ((std::vector<std::string>{}), names(file.search("calendar holiday")));
    // Below the title hits, more mentions rank higher; equal ones keep the file's order.
    auto counted = HelpFile::parse(
        "~X\nOne\napple apple apple\n~Y\nTwo\napple\n~Z\nApple Pie\nnothing\n~W\nThree\napple\n");
    ASSERT_TRUE(counted);
    EXPECT_EQ((std::vector<std::string>{"Z", "X", "Y", "W"}), names(counted->search("apple")));
}

TEST(HelpFileTest, AGarbledFileIsRefusedWithTheLineAtFault) {
    EXPECT_EQ("line 2: text before the first topic", parseError("\nstray words\n~A\nTitle\n"));
    EXPECT_EQ("line 1: the topic ~A has no title", parseError("~A\n\n~B\nTitle B\n"));
    EXPECT_EQ("line 3: the topic ~B has no title", parseError("~A\nTitle\n~B\n\n"));
    EXPECT_EQ("line 3: a link is not closed with \"]]\"", parseError("~A\nTitle\nSee [[~B.\n"));
    EXPECT_EQ("line 3: a link must name a topic, as in [[~Topic_Name]]",
              parseError("~A\nTitle\nSee [[B]].\n"));
    EXPECT_EQ("line 1: a topic line without a topic name", parseError("~  \nTitle\n"));
    EXPECT_EQ("line 1: the topic name \"A-B\" may hold only letters, digits and '_'",
              parseError("~A-B\nTitle\n"));
    EXPECT_EQ("the file holds no help topic", parseError("# only a comment\n\n"));
    EXPECT_EQ("the file is not a text file", parseError(std::string("~A\nTi\0tle\n", 10)));
    EXPECT_EQ("the file is not a text file", parseError("~A\nCaf\xE9\n"));  // not UTF-8
    EXPECT_TRUE(HelpFile::parse("~A\nCaf\xC3\xA9\n")) << "UTF-8 letters are welcome";
}

TEST(HelpFileTest, LesserFaultsAreToleratedAndListed) {
    std::string error;
    auto file = HelpFile::parse("~A\nFirst\n[[~Gone]]\n~a\nSecond\n", &error);
    ASSERT_TRUE(file) << error;
    ASSERT_EQ(1u, file->topics().size());
    EXPECT_EQ("First", file->topics()[0].title) << "the first of two same-named topics counts";
    EXPECT_EQ((std::vector<std::string>{
                  "line 4: a second topic ~a is ignored",
                  "the topic ~A (line 1) links to ~Gone, which is not in the file"}),
              file->warnings());

    EXPECT_FALSE(HelpFile::load("/nonexistent/Tembrixm.hlp", &error));
    EXPECT_EQ("the file cannot be opened", error);
}

TEST(ShippedHelpTest, EveryWindowTopicIsThereWithRealText) {
    std::string error;
    auto file = HelpFile::load(kShippedFile, &error);
    ASSERT_TRUE(file) << kShippedFile << ": " << error;
    EXPECT_TRUE(file->warnings().empty()) << file->warnings().front();
    for (const std::string& name : kWindowTopics) {
        const HelpTopic* t = file->find(name);
        ASSERT_NE(nullptr, t) << name;
        // A few sentences at least, not a stub.
        EXPECT_GT(file->plainText(*t).size(), 250u) << name;
    }
    // Every topic can be reached from the contents by following links.
    std::set<std::string> seen{helpKey("Contents")};
    std::deque<const HelpTopic*> todo{file->find("Contents")};
    while (!todo.empty()) {
        const HelpTopic* t = todo.front();
        todo.pop_front();
        for (const HelpBlock& b : t->blocks)
            for (const HelpRun& run : splitLinks(b.text))
                if (!run.target.empty() && seen.insert(helpKey(run.target)).second)
                    todo.push_back(file->find(run.target));
    }
    for (const HelpTopic& t : file->topics())
        EXPECT_TRUE(seen.count(helpKey(t.name))) << "~" << t.name << " is not in the contents";
}

class HelpWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::previewTestApp();
        delete helpWindow();
        registerHelpFile(file_.path);
    }
    void TearDown() override {
        delete helpWindow();
        registerHelpFile();
    }
    ScratchFile file_{kSample};
};

TEST_F(HelpWindowTest, TheWindowFitsOnTheScreen) {
    showHelp("~Scan");
    HelpWindow* w = helpWindow();
    ASSERT_NE(nullptr, w);
    const QRect screen = w->screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(w->geometry()))
        << w->geometry().width() << "x" << w->geometry().height() << " on " << screen.width() << "x"
        << screen.height();
}

TEST_F(HelpWindowTest, OpensAtTheTopicFollowsLinksAndGoesBack) {
    showHelp("~Scan");
    HelpWindow* w = helpWindow();
    ASSERT_NE(nullptr, w);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ("Scan", w->currentTopic());
    EXPECT_TRUE(w->shownText().startsWith("Scanning a Week"));
    EXPECT_TRUE(w->shownText().contains("see Printed Reports.")) << "links read as their titles";

    w->openLink(QUrl("topic:Report_Window"));
    EXPECT_EQ("Report_Window", w->currentTopic());
    showHowToUseHelp();  // not in this file: the contents with a note
    EXPECT_EQ("Contents", w->currentTopic());
    EXPECT_TRUE(w->shownText().contains("There is no help on \"~How_to_Use_Help\""));

    QTest::mouseClick(w->findChild<QPushButton*>("back"), Qt::LeftButton);
    EXPECT_EQ("Report_Window", w->currentTopic());
    EXPECT_TRUE(w->back());
    EXPECT_EQ("Scan", w->currentTopic());
    EXPECT_TRUE(w->back());
    EXPECT_EQ("Contents", w->currentTopic()) << "the window opened on the contents";
    EXPECT_FALSE(w->back());
    EXPECT_FALSE(w->findChild<QPushButton*>("back")->isEnabled());

    showHelp("~Scan");
    EXPECT_EQ(w, helpWindow()) << "one help window, brought to the new topic";
}

TEST_F(HelpWindowTest, SearchListsMatchesAndEnterOpensTheBest) {
    showHelpSearch();
    HelpWindow* w = helpWindow();
    ASSERT_NE(nullptr, w);
    auto* box = w->findChild<QLineEdit*>("search");
    EXPECT_EQ(box, w->focusWidget()) << "the cursor waits in the search box";
    EXPECT_EQ((std::vector<std::string>{"Contents", "Scan", "Report_Window"}), w->listedTopics());

    QTest::keyClicks(box, "scan");
    EXPECT_EQ((std::vector<std::string>{"Scan", "Contents", "Report_Window"}), w->listedTopics());
    QTest::keyClicks(box, " calendar");
    EXPECT_EQ((std::vector<std::string>{"Scan"}), w->listedTopics());
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ("Scan", w->currentTopic());
    w->search("no such words");
    EXPECT_TRUE(w->listedTopics().empty());
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ("Scan", w->currentTopic()) << "nothing found, nothing opened";
}

TEST_F(HelpWindowTest, HelpButtonsAndF1OpenTheWindowsTopic) {
    QDialog form;
    auto* help = new QPushButton("Help", &form);
    attachHelp(form, "~Report_Window", help);
    form.show();
    help->click();
    ASSERT_NE(nullptr, helpWindow());
    EXPECT_EQ("Report_Window", helpWindow()->currentTopic());

    helpWindow()->showContents();
    QApplication::setActiveWindow(&form);
    QTest::keyClick(&form, Qt::Key_F1);
    EXPECT_EQ("Report_Window", helpWindow()->currentTopic());
}

TEST_F(HelpWindowTest, HelpFromAModalWindowBelongsToIt) {
    showHelp("~Scan");  // open already, outside any modal window
    QPointer<HelpWindow> w = helpWindow();
    QWidget* parentWhileModal = nullptr;
    QDialog modal;
    QTimer::singleShot(0, [&] {
        showHelp("~Report_Window");
        parentWhileModal = helpWindow() ? helpWindow()->parentWidget() : nullptr;
        modal.accept();
    });
    modal.exec();
    // Otherwise the modal window would block every click in help.
    EXPECT_EQ(&modal, parentWhileModal);
    EXPECT_EQ(w, helpWindow()) << "the same window, moved";
}

TEST_F(HelpWindowTest, AMissingOrGarbledFileIsExplainedAndNoWindowOpens) {
    store::ScriptedQuestions questions;
    registerHelpFile("/nonexistent-folder/Tembrixm.hlp");
    showHelp("~Scan");
    EXPECT_EQ(nullptr, helpWindow());
    ASSERT_EQ(1u, questions.asked.size());
    EXPECT_EQ(store::Icon::Exclamation, questions.asked[0].icon);
    EXPECT_EQ("Tembrix Help", questions.asked[0].caption);
    EXPECT_NE(std::string::npos, questions.lastText().find("Help is not available"));
    EXPECT_NE(std::string::npos, questions.lastText().find("was found neither"));

    ScratchFile garbled("Some notes\n~A\nTitle\n");
    registerHelpFile(garbled.path);
    showHelpContents();
    EXPECT_EQ(nullptr, helpWindow());
    ASSERT_EQ(2u, questions.asked.size());
    EXPECT_NE(std::string::npos, questions.lastText().find("line 1: text before the first topic"));

    // Mended, the file is read again.
    std::ofstream(garbled.path) << "~A\nTitle\nText.\n";
    showHelp("~A");
    ASSERT_NE(nullptr, helpWindow());
    EXPECT_EQ("A", helpWindow()->currentTopic());
    EXPECT_EQ(2u, questions.asked.size());
}

}  // namespace
}  // namespace framework
