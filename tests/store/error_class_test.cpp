#include "store/error_class.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "store/scripted_questions.h"

namespace store {
namespace {

/// Builds a message block byte by byte, as another module would hand it to ADDERRORS.
class Block {
  public:
    Block& add(int id, int severity, const std::string& title, const std::string& text) {
        body_.push_back(static_cast<unsigned char>(id & 0xFF));
        body_.push_back(static_cast<unsigned char>(id >> 8));
        body_.push_back(static_cast<unsigned char>(severity));
        body_.push_back(static_cast<unsigned char>(title.size()));
        body_.insert(body_.end(), title.begin(), title.end());
        body_.push_back(static_cast<unsigned char>(text.size()));
        body_.insert(body_.end(), text.begin(), text.end());
        ++count_;
        return *this;
    }
    std::vector<unsigned char> bytes() const {
        std::vector<unsigned char> b{static_cast<unsigned char>(count_ & 0xFF),
                                     static_cast<unsigned char>(count_ >> 8)};
        b.insert(b.end(), body_.begin(), body_.end());
        return b;
    }

  private:
    std::vector<unsigned char> body_;
    unsigned count_ = 0;
};

/// The reporter with the built-in messages, an engine to fail and the program's end
/// recorded instead of taken.
class Reporter : public ErrorClass {
  public:
    Reporter() {
        INIT();
        setEngineStatus(&engine);
        endProgram = [this](int code) { exits.push_back(code); };
    }
    bool add(const Block& block) {
        const std::vector<unsigned char> b = block.bytes();
        return ADDERRORS(b.data(), b.size());
    }
    /// The raw text of the entry that SETID(id) picks.
    std::string rawText(int id) {
        EXPECT_TRUE(SETID(id)) << id;
        return currentEntry() ? currentEntry()->text : "";
    }

    EngineStatus engine;
    std::vector<int> exits;
};

constexpr int kTest = 1000;  // an id of the tests' own, free in the built-in block

TEST(ErrorClassTest, LoadsTheBuiltInBlock) {
    Reporter r;
    EXPECT_EQ(r.entries().size(), 39u);
    for (int id = 1; id <= 40; ++id) EXPECT_EQ(r.SETID(id), id != 29) << id;

    // Blanks inside texts survive the trip through the text form and the binary block.
    EXPECT_EQ(r.rawText(1),
              "Error: (%ErrorText) attempting to access a record from the %File file.  "
              "Returning to previous window.");
    EXPECT_EQ(r.rawText(32),
              "Attempts to automatically number this record have failed.  Error: %ErrorText. "
              "Try Again?");
    r.SETID(31);
    EXPECT_EQ(r.currentTitle(), "Referential Integrity Update Error");

    auto severity = [&r](int id) { return r.SETID(id) ? r.currentEntry()->severity : -1; };
    EXPECT_EQ(severity(9), Level_User);
    EXPECT_EQ(severity(10), Level_Fatal);
    EXPECT_EQ(severity(39), Level_Program);
    EXPECT_EQ(severity(40), Level_Notify);

    // INIT starts afresh; KILL leaves nothing to show.
    ASSERT_TRUE(r.add(Block().add(kTest, 0, "t", "x")));
    r.INIT();
    EXPECT_EQ(r.entries().size(), 39u);
    r.KILL();
    EXPECT_TRUE(r.entries().empty());
    EXPECT_FALSE(r.SETID(1));
    EXPECT_EQ(r.SUBSSTRING(), "");
}

TEST(ErrorClassTest, LaterEntryWinsAndShowsThePrevious) {
    Reporter r;
    ScriptedQuestions q;
    ASSERT_TRUE(r.add(Block().add(13, Level_Notify, "Key Clash", "Not saved. %Previous")));
    EXPECT_EQ(r.THROWMESSAGE(13, "USE:UserName_key"), Level_Notify);
    ASSERT_EQ(q.asked.size(), 1u);
    EXPECT_EQ(q.asked[0].caption, "Key Clash");
    // The overridden entry appears as it would have been shown itself, placeholders filled.
    EXPECT_EQ(q.lastText(),
              "Not saved. Adding this record creates a duplicate entry for the key: "
              "USE:UserName_key");

    // A second override reaches back through the first.
    ASSERT_TRUE(r.add(Block().add(13, Level_Notify, "Again", "[%Previous]")));
    r.SETID(13);
    EXPECT_EQ(r.SUBSSTRING(),
              "[Not saved. Adding this record creates a duplicate entry for the key: "
              "USE:UserName_key]");

    // Within one block the later entry wins too; with nothing before it, %Previous is empty.
    ASSERT_TRUE(r.add(Block()
                          .add(kTest, Level_Benign, "First", "first")
                          .add(kTest + 1, Level_Benign, "Alone", "<%Previous>")
                          .add(kTest, Level_Benign, "Second", "second after %Previous")));
    r.SETID(kTest);
    EXPECT_EQ(r.currentTitle(), "Second");
    EXPECT_EQ(r.SUBSSTRING(), "second after first");
    r.SETID(kTest + 1);
    EXPECT_EQ(r.SUBSSTRING(), "<>");
}

TEST(ErrorClassTest, AChainOfPreviousEntriesAsDeepAsABlockAllowsIsShown) {
    // An added block whose entries each override the one before, 60,000 deep: the message
    // is still shown (it once took the reporter's stack with it), cut to the work area.
    Reporter r;
    ScriptedQuestions q;
    constexpr int kDepth = 60000;
    Block block;
    block.add(kTest, Level_Notify, "Deep", "root");
    for (int i = 1; i < kDepth; ++i) block.add(kTest, Level_Notify, "Deep", "%Previous.");
    ASSERT_TRUE(r.add(block));
    EXPECT_EQ(r.THROW(kTest), Level_Notify);
    EXPECT_EQ(q.lastText(), "root" + std::string(ErrorClass::kWorkArea - 4, '.'));

    // A link of the chain that does not ask for its previous entry ends the chain there.
    ASSERT_TRUE(r.add(Block()
                          .add(kTest, Level_Notify, "Deep", "stop")
                          .add(kTest, Level_Notify, "Deep", "<%Previous|%Previous>")));
    r.SETID(kTest);
    EXPECT_EQ(r.SUBSSTRING(), "<stop|stop>");
}

TEST(ErrorClassTest, RejectsMalformedBlocksWhole) {
    Reporter r;
    const std::vector<unsigned char> good = Block()
                                                .add(kTest, Level_Notify, "One", "first text")
                                                .add(kTest + 1, Level_Notify, "Two", "second")
                                                .bytes();
    // Every cut short version, even one whose first entry is whole, adds nothing.
    for (std::size_t n = 0; n < good.size(); ++n) {
        EXPECT_FALSE(r.ADDERRORS(good.data(), n)) << n;
        EXPECT_EQ(r.entries().size(), 39u) << n;
    }
    std::vector<unsigned char> trailing = good;
    trailing.push_back(0);
    EXPECT_FALSE(r.ADDERRORS(trailing.data(), trailing.size()));
    std::vector<unsigned char> overCounted = good;
    overCounted[0] = 3;
    EXPECT_FALSE(r.ADDERRORS(overCounted.data(), overCounted.size()));
    EXPECT_FALSE(r.ADDERRORS(nullptr, 10));
    EXPECT_EQ(r.entries().size(), 39u);
    EXPECT_FALSE(r.SETID(kTest));

    const unsigned char empty[] = {0, 0};
    EXPECT_TRUE(r.ADDERRORS(empty, sizeof empty));
    EXPECT_TRUE(r.ADDERRORS(good.data(), good.size()));
    EXPECT_EQ(r.entries().size(), 41u);
}

TEST(ErrorClassTest, FillsEveryPlaceholderEverywhere) {
    Reporter r;
    ASSERT_TRUE(r.add(Block().add(kTest, Level_Benign, "All",
                                  "%File|%ErrorCode|%ErrorText|%Error|%Message|%Field|%File")));
    r.engine.set(DupKeyErr);
    r.SETFILE("RESDATA  ");
    r.SETFIELD("Height of TimeSlots in Scan");
    EXPECT_EQ(r.THROWMESSAGE(kTest, "6 and 20"), Level_Benign);
    EXPECT_EQ(r.SUBSSTRING(),
              "RESDATA|40|Creates Duplicate Key (40)|Creates Duplicate Key|6 and 20|"
              "Height of TimeSlots in Scan|RESDATA");

    // Error 90 is the file system's: %ErrorText shows its own text and code instead.
    r.engine.setFileError(13, "Permission denied");
    r.THROW(kTest);
    EXPECT_EQ(r.SUBSSTRING(),
              "RESDATA|90|Permission denied (13)|File System Error|6 and 20|"
              "Height of TimeSlots in Scan|RESDATA");

    // Without an engine there is nothing to capture: the last failure stays.
    r.setEngineStatus(nullptr);
    r.engine.set(FileNotOpenErr);
    r.THROW(kTest);
    EXPECT_EQ(r.errorCode, FileSystemErr);
    EXPECT_EQ(r.fileErrorText, "Permission denied");

    EXPECT_STREQ(engineErrorText(NoError), "");
    EXPECT_STREQ(engineErrorText(RecordHeldErr), "Record Is Already Held");
    EXPECT_STREQ(engineErrorText(41), "Unknown Error");
}

TEST(ErrorClassTest, InsertedValuesAreNotSearchedAgain) {
    Reporter r;
    ASSERT_TRUE(r.add(Block().add(kTest, Level_Benign, "t", "%File/%Field/%Message")));
    r.engine.set(DupKeyErr);
    r.SETFILE("A%Field");
    r.SETFIELD("%File");
    r.THROWMESSAGE(kTest, "%ErrorText and %Previous");
    EXPECT_EQ(r.SUBSSTRING(), "A%Field/%File/%ErrorText and %Previous");
}

TEST(ErrorClassTest, BuiltInMessagesShowTheFailureAtHand) {
    Reporter r;
    ScriptedQuestions q;

    r.engine.set(DupKeyErr);
    r.SETFILE("USERS");
    EXPECT_EQ(r.THROWMESSAGE(13, "USE:UserName_key"), Level_Notify);
    ASSERT_EQ(q.asked.size(), 1u);
    EXPECT_EQ(q.asked[0].caption, "Duplicate Key Error");
    EXPECT_EQ(q.asked[0].text,
              "Adding this record creates a duplicate entry for the key: USE:UserName_key");
    EXPECT_EQ(q.asked[0].icon, Icon::Exclamation);
    EXPECT_EQ(q.asked[0].buttons, unsigned(BUTTON_OK));

    r.SETFIELD("Height of TimeSlots in Scan");
    EXPECT_EQ(r.THROWMESSAGE(16, "6 and 20"), Level_Notify);
    EXPECT_EQ(q.lastText(), "The value of Height of TimeSlots in Scan must be between 6 and 20.");

    r.SETFILE("DATES");
    r.engine.setFileError(13, "Permission denied");
    r.THROW(1);
    EXPECT_EQ(q.lastText(),
              "Error: (Permission denied (13)) attempting to access a record from the DATES "
              "file.  Returning to previous window.");
    EXPECT_EQ(q.asked.size(), 3u);
    EXPECT_TRUE(r.exits.empty());
}

TEST(ErrorClassTest, UserSeverityAsksYesOrNo) {
    Reporter r;
    ScriptedQuestions q;
    q.answer(BUTTON_NO);
    EXPECT_EQ(r.THROW(9), Level_Cancel);
    q.answer(BUTTON_YES);
    EXPECT_EQ(r.THROW(9), Level_Benign);
    q.answer(BUTTON_CANCEL);  // a box closed without a choice is not a Yes
    EXPECT_EQ(r.THROW(9), Level_Cancel);

    ASSERT_EQ(q.asked.size(), 3u);
    for (const ScriptedQuestions::Asked& a : q.asked) {
        EXPECT_EQ(a.caption, "Confirm Delete");
        EXPECT_EQ(a.text, "Are you sure you want to delete the highlighted record?");
        EXPECT_EQ(a.icon, Icon::Question);
        EXPECT_EQ(a.buttons, unsigned(BUTTON_YES | BUTTON_NO));
        EXPECT_EQ(a.defaultButton, BUTTON_YES);
    }
    EXPECT_TRUE(r.exits.empty());

    // Severity 4 is asked the same way.
    ASSERT_TRUE(r.add(Block().add(kTest, Level_Cancel, "Four", "Go on?")));
    q.answer(BUTTON_NO);
    EXPECT_EQ(r.THROW(kTest), Level_Cancel);
    EXPECT_EQ(q.asked.back().buttons, unsigned(BUTTON_YES | BUTTON_NO));
}

/// Records which handler each severity reaches.
class DispatchProbe : public ErrorClass {
  public:
    Level TAKEBENIGN() override { return took("BENIGN"); }
    Level TAKEFATAL() override { return took("FATAL"); }
    Level TAKENOTIFY() override { return took("NOTIFY"); }
    Level TAKEOTHER() override { return took("OTHER"); }
    Level TAKEPROGRAM() override { return took("PROGRAM"); }
    Level TAKEUSER() override { return took("USER"); }
    std::string handler;

  private:
    Level took(const char* name) {
        handler = name;
        return Level_Benign;
    }
};

TEST(ErrorClassTest, SeverityPicksTheHandler) {
    DispatchProbe p;
    const std::vector<std::pair<int, std::string>> cases = {
        {0, "BENIGN"}, {1, "USER"},   {2, "PROGRAM"}, {3, "FATAL"},
        {4, "USER"},   {5, "NOTIFY"}, {6, "OTHER"},   {255, "OTHER"},
    };
    Block block;
    for (const auto& [severity, handler] : cases) block.add(kTest + severity, severity, "t", "x");
    const std::vector<unsigned char> b = block.bytes();
    ASSERT_TRUE(p.ADDERRORS(b.data(), b.size()));
    for (const auto& [severity, handler] : cases) {
        p.handler.clear();
        p.TAKEERROR(kTest + severity);
        EXPECT_EQ(p.handler, handler) << "severity " << severity;
    }

    // The real handlers: benign shows nothing, notify tells and returns 5.
    Reporter r;
    ScriptedQuestions q;
    ASSERT_TRUE(r.add(
        Block().add(kTest, Level_Benign, "Quiet", "x").add(kTest + 1, Level_Notify, "Told", "y")));
    EXPECT_EQ(r.THROW(kTest), Level_Benign);
    EXPECT_TRUE(q.asked.empty());
    EXPECT_EQ(r.THROW(kTest + 1), Level_Notify);
    EXPECT_EQ(q.texts(), std::vector<std::string>{"y"});
    EXPECT_TRUE(r.exits.empty());
}

TEST(ErrorClassTest, FatalAndProgramSeveritiesEndTheProgramAfterOk) {
    Reporter r;
    ScriptedQuestions q;
    std::vector<std::size_t> askedAtEnd;
    r.endProgram = [&](int code) {
        r.exits.push_back(code);
        askedAtEnd.push_back(q.asked.size());
    };

    r.engine.set(FileNotFoundErr);
    r.SETFILE("RESDATA.TPS");
    r.THROW(23);
    ASSERT_EQ(q.asked.size(), 1u);
    EXPECT_EQ(q.asked[0].caption, "File Access Error");
    EXPECT_EQ(q.asked[0].text,
              "File (RESDATA.TPS) could not be opened.  Error: File Not Found (2)."
              "  Press OK to end this application");
    EXPECT_EQ(q.asked[0].icon, Icon::Exclamation);
    EXPECT_EQ(q.asked[0].buttons, unsigned(BUTTON_OK));

    r.SETFILE("SYSPREF");
    r.THROW(39);
    EXPECT_EQ(q.lastText(),
              "Attempt to use file (SYSPREF) before it was opened  Press OK to end this "
              "application");

    ASSERT_TRUE(r.add(Block().add(kTest, 9, "Odd", "odd")));
    r.THROW(kTest);

    // Fatal ends with 3, program and unknown severities with 2; each only after its box.
    EXPECT_EQ(r.exits, (std::vector<int>{3, 2, 2}));
    EXPECT_EQ(askedAtEnd, (std::vector<std::size_t>{1, 2, 3}));
}

/// Answers OK and writes what it was shown to stderr, where a death test can see it.
class EchoingQuestions : public UserQuestions {
  public:
    Button message(const std::string& caption, const std::string& text, Icon, unsigned,
                   Button) override {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
        return BUTTON_OK;
    }
    bool stop(const std::string&) override { return false; }
};

void throwWithoutHook(int id) {
    EchoingQuestions echo;
    UserQuestions* const previous = setQuestions(&echo);
    ErrorClass e;
    e.INIT();
    EngineStatus engine;
    engine.set(FileNotFoundErr);
    e.setEngineStatus(&engine);
    e.SETFILE("RESDATA.TPS");
    e.THROW(id);
    setQuestions(previous);
}

TEST(ErrorClassDeathTest, FatalFailureExitsWithAFailureCode) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(throwWithoutHook(23), testing::ExitedWithCode(3),
                "File Access Error: File \\(RESDATA.TPS\\) could not be opened.*"
                "Press OK to end this application");
    EXPECT_EXIT(throwWithoutHook(39), testing::ExitedWithCode(2), "File Usage Error");
}

TEST(ErrorClassTest, MessageAsksWithTheCallersButtons) {
    Reporter r;
    ScriptedQuestions q;
    q.answer(BUTTON_CANCEL);
    r.SETFILE("RESDATA.TPS");
    // Even a fatal entry only asks here; the program goes on.
    EXPECT_EQ(r.MESSAGE(23, BUTTON_YES | BUTTON_NO | BUTTON_CANCEL, BUTTON_NO), BUTTON_CANCEL);
    ASSERT_EQ(q.asked.size(), 1u);
    EXPECT_EQ(q.asked[0].caption, "File Access Error");
    EXPECT_EQ(q.asked[0].icon, Icon::Question);
    EXPECT_EQ(q.asked[0].buttons, unsigned(BUTTON_YES | BUTTON_NO | BUTTON_CANCEL));
    EXPECT_EQ(q.asked[0].defaultButton, BUTTON_NO);
    EXPECT_EQ(q.asked[0].text.find("Press OK"), std::string::npos);
    EXPECT_NE(q.asked[0].text.find("(RESDATA.TPS)"), std::string::npos);
    EXPECT_TRUE(r.exits.empty());
}

TEST(ErrorClassTest, UndefinedIdIsReportedAsAProgramFault) {
    Reporter r;
    ScriptedQuestions q;
    r.engine.set(RecordNotFoundErr);
    EXPECT_EQ(r.THROW(29), Level_Program);
    ASSERT_EQ(q.asked.size(), 1u);
    EXPECT_EQ(q.lastText(), "Message 29 is not defined.  Error: Record Not Found (35).");
    EXPECT_TRUE(r.exits.empty());

    // An undefined question is never answered with consent, even if the default says so.
    EXPECT_EQ(r.MESSAGE(29, BUTTON_YES | BUTTON_NO, BUTTON_YES), BUTTON_NO);
    EXPECT_EQ(r.MESSAGE(29, BUTTON_OK | BUTTON_CANCEL, BUTTON_OK), BUTTON_CANCEL);
    EXPECT_EQ(q.asked.size(), 3u);
}

TEST(ErrorClassTest, KeepsTextsWithinTheirLimits) {
    Reporter r;
    r.SETFILE(std::string(300, 'f'));
    EXPECT_EQ(r.fileName, std::string(255, 'f'));
    r.SETFILE("RESDATA    ");
    EXPECT_EQ(r.fileName, "RESDATA");
    // Blanks that the cut leaves at the end go too.
    r.SETFILE(std::string(250, 'a') + std::string(10, ' ') + "x");
    EXPECT_EQ(r.fileName, std::string(250, 'a'));

    r.SETFIELD(std::string(300, 'd'));
    EXPECT_EQ(r.fieldText.size(), 255u);
    r.THROWMESSAGE(1, std::string(300, 'm'));
    EXPECT_EQ(r.messageText.size(), 255u);
    // A cut never leaves half a character behind.
    std::string accents;
    for (int i = 0; i < 200; ++i) accents += "\xC3\xA9";
    r.SETFIELD(accents);
    EXPECT_EQ(r.fieldText, accents.substr(0, 254));

    // 51 placeholders of a 255-character name would make 13,005 characters.
    std::string many;
    for (int i = 0; i < 51; ++i) many += "%File";
    ASSERT_TRUE(r.add(Block().add(kTest, Level_Benign, "t", many)));
    r.SETFILE(std::string(255, 'n'));
    r.SETID(kTest);
    EXPECT_EQ(r.SUBSSTRING(), std::string(ErrorClass::kWorkArea, 'n'));
}

TEST(ScriptedQuestionsTest, AnswersFromItsScriptAndRestoresThePrevious) {
    {
        ScriptedQuestions outer;
        {
            ScriptedQuestions inner;
            inner.answer(BUTTON_NO);
            inner.answerStop(true);
            EXPECT_EQ(
                questions().message("c", "one", Icon::Question, BUTTON_YES | BUTTON_NO, BUTTON_YES),
                BUTTON_NO);
            EXPECT_TRUE(questions().stop("Record Not Found SYSPREF"));
            // With the script used up, the default button and "go on".
            EXPECT_EQ(
                questions().message("c", "two", Icon::Question, BUTTON_YES | BUTTON_NO, BUTTON_YES),
                BUTTON_YES);
            EXPECT_FALSE(questions().stop("again"));
            EXPECT_EQ(inner.pending(), 0u);
            ASSERT_EQ(inner.asked.size(), 4u);
            EXPECT_TRUE(inner.asked[1].stopBox);
            EXPECT_TRUE(inner.asked[1].endChosen);
            EXPECT_EQ(inner.texts(), (std::vector<std::string>{"one", "Record Not Found SYSPREF",
                                                               "two", "again"}));
        }
        questions().message("c", "to the outer", Icon::None, BUTTON_OK, BUTTON_OK);
        EXPECT_EQ(outer.lastText(), "to the outer");
    }
    // Nothing installed: the silent default answers with the default button.
    EXPECT_EQ(questions().message("c", "t", Icon::Question, BUTTON_YES | BUTTON_NO, BUTTON_NO),
              BUTTON_NO);
    EXPECT_FALSE(questions().stop("t"));
}

}  // namespace
}  // namespace store
