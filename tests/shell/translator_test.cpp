#include "shell/translator.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "translation_test_app.h"

namespace shell {
namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& content) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
}

/// A working folder with a translator whose extraction file lies in it.
class TranslatorTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::translationTestApp();
        ASSERT_TRUE(dir.isValid());
        translator = std::make_unique<Translator>(extraction());
        ASSERT_EQ(translator.get(), Translator::instance());
    }
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    QString extraction() const { return path(kExtractionFile); }
    /// The extraction file's lines.
    QStringList extracted() const {
        return QString::fromUtf8(readAll(extraction())).split(u'\n', Qt::SkipEmptyParts);
    }
    void loadLanguage(const QByteArray& content) {
        writeFile(path(kLanguageFile), content);
        ASSERT_TRUE(INITTRANSLATOR(path(kLanguageFile), 0, 0));
    }

    QTemporaryDir dir;
    std::unique_ptr<Translator> translator;
};

// --- the language file --------------------------------------------------------------------

TEST(LanguageFileTest, ReadsTranslationsAndSkipsMalformedLines) {
    const LanguageFile f = parseLanguageFile(
        "\xEF\xBB\xBF# a comment\n"          // 1: byte order mark and comment
        "OK\tJa\r\n"                         // 2: Windows line end
        "\n"                                 // 3
        "no tab here\n"                      // 4: malformed
        "one\ttwo\tthree\n"                  // 5: malformed, two tabs
        "bad\\qescape\tx\n"                  // 6: malformed escape
        "\tnothing to translate\n"           // 7: empty source
        "Cancel\t\n"                         // 8: empty translation
        "Line\\none\\\\two\tZeile\\teins\n"  // 9: escapes on both sides
        "\xC3\x28\tbroken\n"                 // 10: not UTF-8
        "OK\tGut\n"                          // 11: a later line replaces an earlier one
        "Gr\xC3\xBC\xC3\x9F"
        "e\tHello\n"         // 12: UTF-8 source
        "trailing\\\tx\n");  // 13: backslash escaping the tab leaves no tab
    EXPECT_EQ(QString("Gut"), f.translations.value("OK"));
    EXPECT_EQ(QString("Zeile\teins"), f.translations.value("Line\none\\two"));
    EXPECT_EQ(QString("Hello"), f.translations.value(QString::fromUtf8("Grüße")));
    EXPECT_EQ(3, f.translations.size());
    EXPECT_EQ((std::vector<int>{4, 5, 6, 7, 8, 10, 13}), f.skipped);
    EXPECT_EQ(7, f.skippedLines);
}

TEST_F(TranslatorTest, AGarbledFileStillTranslatesItsGoodLines) {
    loadLanguage(QByteArray("OK\tJa\n\x01\x02\xFF\xFE garbage\n\\\t\\\n") + "x" +
                 QByteArray(5000, '\t') + "\nCancel\tAbbrechen\n");
    EXPECT_EQ(QString("Ja"), TranslateString("OK"));
    EXPECT_EQ(QString("Abbrechen"), TranslateString("Cancel"));
    EXPECT_EQ(3, translator->skippedLines());
}

TEST_F(TranslatorTest, LoadingAgainReplacesOrAddsTranslations) {
    loadLanguage("OK\tJa\n");
    writeFile(path("more.LTF"), "Cancel\tAbbrechen\n");
    ASSERT_TRUE(INITTRANSLATOR(path("more.LTF"), 0, 1));  // flag2: add
    EXPECT_EQ(QString("Ja"), TranslateString("OK"));
    EXPECT_EQ(QString("Abbrechen"), TranslateString("Cancel"));
    ASSERT_TRUE(INITTRANSLATOR(path("more.LTF"), 0, 0));  // replace
    EXPECT_EQ(QString("OK"), TranslateString("OK"));
    CloseTranslator();
    EXPECT_EQ(QString("Cancel"), TranslateString("Cancel"));
}

// --- the extraction file ------------------------------------------------------------------

TEST_F(TranslatorTest, UntranslatedTextsAreWrittenOnceAcrossRuns) {
    loadLanguage("OK\tJa\n");
    TranslateString("OK");
    TranslateString("Login Failed");
    TranslateString("Login Failed");
    TranslateString("Two\nlines");
    TranslateString("12:30");              // no letter: nothing to translate
    TranslateString("Only looked up", 0);  // flag 0: not recorded
    EXPECT_EQ((QStringList{"Login Failed", "Two\\nlines"}), extracted());

    // The next run reads what is there before it writes.
    translator.reset();
    translator = std::make_unique<Translator>(extraction());
    TranslateString("Login Failed");
    TranslateString("Two\nlines");
    TranslateString("Password Changed");
    EXPECT_EQ((QStringList{"Login Failed", "Two\\nlines", "Password Changed"}), extracted());
}

TEST_F(TranslatorTest, ExtractionContinuesAFileLeftWithoutItsLastNewLine) {
    writeFile(extraction(), "Edited by hand");
    TranslateString("Edited by hand");
    TranslateString("New text");
    EXPECT_EQ(QByteArray("Edited by hand\nNew text\n"), readAll(extraction()));
}

TEST_F(TranslatorTest, Flag1StopsTheExtractionFile) {
    writeFile(path(kLanguageFile), "OK\tJa\n");
    ASSERT_TRUE(INITTRANSLATOR(path(kLanguageFile), 1, 0));
    TranslateString("Not written");
    EXPECT_FALSE(QFile::exists(extraction()));
}

// --- windows ------------------------------------------------------------------------------

/// A window with one of each kind of text the translator knows.
struct SampleWindow {
    QMainWindow window;
    QLabel* label;
    QPushButton* button;
    QCheckBox* check;
    QRadioButton* radio;
    QGroupBox* group;
    QTabWidget* tabs;
    QTableWidget* table;
    QTreeWidget* tree;
    QLineEdit* entry;
    QMenu* menu;
    QAction* open;
    QAction* exit;
    QAction* tool;

    SampleWindow() {
        window.setWindowTitle("Browse Users");
        auto* central = new QWidget;
        auto* layout = new QVBoxLayout(central);
        label = new QLabel("User name:");
        button = new QPushButton("Close");
        button->setToolTip("Close the window");
        check = new QCheckBox("Lock");
        radio = new QRadioButton("None");
        group = new QGroupBox("Scan");
        tabs = new QTabWidget;
        tabs->addTab(new QWidget, "General");
        tabs->setTabToolTip(0, "General rules");
        table = new QTableWidget(0, 2);
        table->setHorizontalHeaderLabels({"Start Date", "Description"});
        tree = new QTreeWidget;
        tree->setHeaderLabels({"Resource"});
        entry = new QLineEdit;
        entry->setPlaceholderText("Search");
        for (QWidget* w : std::initializer_list<QWidget*>{label, button, check, radio, group, tabs,
                                                          table, tree, entry})
            layout->addWidget(w);
        window.setCentralWidget(central);
        menu = window.menuBar()->addMenu("&File");
        open = menu->addAction("Open...");  // its tip follows the text
        exit = menu->addAction("Exit");
        exit->setToolTip("Leave Tembrix");
        QToolBar* bar = window.addToolBar("Tools");
        tool = bar->addAction("New");
        tool->setToolTip("Add a new record");
    }
};

constexpr const char* kGerman =
    "Browse Users\tBenutzer\n"
    "User name:\tBenutzername:\n"
    "Close\tSchliessen\n"
    "Close the window\tFenster schliessen\n"
    "Lock\tSperren\n"
    "None\tKeine\n"
    "Scan\tAbtastung\n"
    "General\tAllgemein\n"
    "General rules\tAllgemeine Regeln\n"
    "Start Date\tAnfang\n"
    "Description\tBeschreibung\n"
    "Resource\tMittel\n"
    "Search\tSuchen\n"
    "&File\t&Datei\n"
    "Open...\tOeffnen...\n"
    "Exit\tEnde\n"
    "Leave Tembrix\tTembrix verlassen\n"
    "New\tNeu\n"
    "Add a new record\tNeuer Satz\n"
    "Tools\tWerkzeuge\n"
    // Translations of translations: a second pass over a window must not reach these.
    "Benutzer\tWRONG\n"
    "Schliessen\tWRONG\n"
    "Neuer Satz\tWRONG\n"
    "Anfang\tWRONG\n"
    "Allgemein\tWRONG\n"
    "&Datei\tWRONG\n";

TEST_F(TranslatorTest, TranslatesEveryTextOfAWindowOnce) {
    loadLanguage(kGerman);
    SampleWindow s;
    for (int pass = 0; pass < 2; ++pass) {
        Translate(&s.window);
        SCOPED_TRACE(pass);
        EXPECT_EQ(QString("Benutzer"), s.window.windowTitle());
        EXPECT_EQ(QString("Benutzername:"), s.label->text());
        EXPECT_EQ(QString("Schliessen"), s.button->text());
        EXPECT_EQ(QString("Fenster schliessen"), s.button->toolTip());
        EXPECT_EQ(QString("Sperren"), s.check->text());
        EXPECT_EQ(QString("Keine"), s.radio->text());
        EXPECT_EQ(QString("Abtastung"), s.group->title());
        EXPECT_EQ(QString("Allgemein"), s.tabs->tabText(0));
        EXPECT_EQ(QString("Allgemeine Regeln"), s.tabs->tabToolTip(0));
        EXPECT_EQ(QString("Anfang"), s.table->horizontalHeaderItem(0)->text());
        EXPECT_EQ(QString("Beschreibung"), s.table->horizontalHeaderItem(1)->text());
        EXPECT_EQ(QString("Mittel"), s.tree->headerItem()->text(0));
        EXPECT_EQ(QString("Suchen"), s.entry->placeholderText());
        EXPECT_EQ(QString("&Datei"), s.menu->title());
        EXPECT_EQ(QString("Oeffnen..."), s.open->text());
        EXPECT_EQ(QString("Oeffnen"), s.open->toolTip());  // still following its text
        EXPECT_EQ(QString("Ende"), s.exit->text());
        EXPECT_EQ(QString("Tembrix verlassen"), s.exit->toolTip());
        EXPECT_EQ(QString("Neu"), s.tool->text());
        EXPECT_EQ(QString("Neuer Satz"), s.tool->toolTip());
    }
    // Everything had a translation; the table's row numbers hold no letters.
    EXPECT_TRUE(extracted().isEmpty()) << extracted().join('|').toStdString();
}

TEST_F(TranslatorTest, ATextSetAfterTranslationIsTranslatedFromItself) {
    loadLanguage(kGerman);
    SampleWindow s;
    Translate(&s.window);
    s.button->setText("Lock");
    Translate(&s.window);
    EXPECT_EQ(QString("Sperren"), s.button->text());

    // Another language file: every text again from the program's own words.
    writeFile(path("fr.LTF"), "Close the window\tFermer la fenetre\nLock\tVerrouiller\n");
    ASSERT_TRUE(INITTRANSLATOR(path("fr.LTF"), 0, 0));
    Translate(&s.window);
    EXPECT_EQ(QString("Verrouiller"), s.button->text());
    EXPECT_EQ(QString("Fermer la fenetre"), s.button->toolTip());
    EXPECT_EQ(QString("Browse Users"), s.window.windowTitle());
}

TEST_F(TranslatorTest, WithoutLanguageFileWindowsKeepEnglishAndTheirTextsAreExtracted) {
    EXPECT_FALSE(INITTRANSLATOR(path(kLanguageFile), 0, 0));
    EXPECT_FALSE(translator->loaded());
    EXPECT_EQ(QString("Browse bookings"), TranslateString("Browse bookings", 1));
    SampleWindow s;
    Translate(&s.window);
    EXPECT_EQ(QString("Browse Users"), s.window.windowTitle());
    EXPECT_EQ(QString("Close"), s.button->text());
    const QStringList lines = extracted();
    for (const char* text : {"Browse Users", "User name:", "Close the window", "&File", "Open...",
                             "Leave Tembrix", "Add a new record", "Start Date"})
        EXPECT_EQ(1, lines.count(QString(text))) << text;
    // The automatic tip of "Open..." is no text of its own.
    EXPECT_EQ(0, lines.count("Open"));
}

TEST_F(TranslatorTest, ControlsMarkedNotToTranslateAreLeftAlone) {
    loadLanguage(kGerman);
    SampleWindow s;
    s.label->setProperty("translate", false);
    Translate(&s.window);
    EXPECT_EQ(QString("User name:"), s.label->text());
    EXPECT_EQ(QString("Schliessen"), s.button->text());
}

TEST_F(TranslatorTest, TranslatesOneControlOrARangeOfControls) {
    loadLanguage("One\tEins\nTwo\tZwei\nThree\tDrei\nFour\tVier\nBox\tKasten\n");
    QWidget window;
    auto* one = new QPushButton("One", &window);
    auto* two = new QPushButton("Two", &window);
    auto* box = new QGroupBox("Box", &window);
    auto* three = new QPushButton("Three", box);  // inside the box: after it in order
    auto* four = new QPushButton("Four", &window);

    TRANSLATECONTROL(&window, box);  // the box's own title, not its contents
    EXPECT_EQ(QString("Kasten"), box->title());
    EXPECT_EQ(QString("Three"), three->text());

    TRANSLATECONTROLS(&window, four, two);  // last before first: nothing
    QWidget stranger;
    TRANSLATECONTROLS(&window, one, &stranger);  // not the window's: nothing
    EXPECT_EQ(QString("One"), one->text());
    EXPECT_EQ(QString("Four"), four->text());

    TRANSLATECONTROLS(&window, two, three);
    EXPECT_EQ(QString("One"), one->text());
    EXPECT_EQ(QString("Zwei"), two->text());
    EXPECT_EQ(QString("Drei"), three->text());
    EXPECT_EQ(QString("Four"), four->text());
}

// --- merging ------------------------------------------------------------------------------

TEST(MergeStringTest, ReplacesPlaceholdersOnceAndKeepsThoseSwitchedOff) {
    EXPECT_EQ(QString("Scan bookings of a room for a week"),
              MergeString("Scan %1 of a %2 for a week", "bookings", "room", ""));
    // A value holding a placeholder is not merged again.
    EXPECT_EQ(QString("%2 and x"), MergeString("%1 and %2", "%2", "x"));
    // Flag 0 keeps the placeholder for a later merge.
    EXPECT_EQ(QString("Add booking for %2"),
              MergeString("Add %1 for %2", "booking", "Smith", "", 1, 0, 1));
    EXPECT_EQ(QString("100% of %4, 50%"), MergeString("100% of %4, 50%", "a", "b", "c"));
}

// --- the navigation tips ------------------------------------------------------------------

TEST(TipTableTest, TheBuiltInTablesReadAsStored) {
    const auto insert = parseTipTable(PDTOOLBARUPDATECLASS::insertTips());
    ASSERT_TRUE(insert.has_value());
    ASSERT_EQ(2u, insert->size());
    EXPECT_EQ(nav::Insert, (*insert)[0].control);
    EXPECT_EQ(nav::Next, (*insert)[1].control);
    for (const TipEntry& e : *insert) EXPECT_EQ(QString("Save record and add another"), e.tip);

    const auto change = parseTipTable(PDTOOLBARUPDATECLASS::changeTips());
    ASSERT_TRUE(change.has_value());
    std::vector<std::pair<int, QString>> got;
    for (const TipEntry& e : *change) got.emplace_back(e.control, e.tip);
    const std::vector<std::pair<int, QString>> expected = {
        {2004, "Save changes and go to last record"},
        {2005, "Save changes and go to first record"},
        {2006, "Save changes and page down to record"},
        {2007, "Save changes and page up to record"},
        {2008, "Save changes and go to next record"},
        {2009, "Save changes and go to previous record"},
        {2000, "Save this record and add a new one"},
    };
    EXPECT_EQ(expected, got);
}

TEST(TipTableTest, RefusesBlocksThatDoNotHoldWholeEntries) {
    EXPECT_EQ(0u, parseTipTable(QByteArray(1, '\0'))->size());
    const QByteArray one("\x01\x34\x12\x02hi", 6);
    ASSERT_TRUE(parseTipTable(one).has_value());
    EXPECT_EQ(0x1234, parseTipTable(one)->front().control);
    EXPECT_FALSE(parseTipTable(QByteArray()).has_value());
    EXPECT_FALSE(parseTipTable(one.left(5)).has_value());  // text cut short
    EXPECT_FALSE(parseTipTable(one.left(3)).has_value());  // header cut short
    EXPECT_FALSE(parseTipTable(one + "x").has_value());    // bytes left over
    EXPECT_FALSE(parseTipTable(QByteArray("\x02\x34\x12\x02hi", 6)).has_value());  // count
}

TEST_F(TranslatorTest, FormsGetTheTipsOfTheirRequest) {
    loadLanguage(
        "Save record and add another\tSpeichern und weiter\n"
        "Save changes and go to next record\tSpeichern, naechster\n"
        "Speichern und weiter\tWRONG\n");
    QWidget form;
    auto* insert = new QPushButton("Insert", &form);
    insert->setObjectName("Insert");
    auto* next = new QPushButton(">", &form);
    next->setProperty(kControlNumberProperty, nav::Next);
    auto* last = new QAction(">>", &form);
    last->setObjectName("Last");
    form.addAction(last);

    EXPECT_EQ(next, findNavigationControl(&form, nav::Next));
    EXPECT_EQ(last, findNavigationControl(&form, nav::Last));
    EXPECT_EQ(nullptr, findNavigationControl(&form, nav::PageUp));

    PDTOOLBARUPDATECLASS toolbar;
    std::vector<int> framework;
    toolbar.frameworkUpdate = [&](QWidget* f, int request) {
        EXPECT_EQ(&form, f);
        if (request == 1) {  // the tips are set first
            EXPECT_EQ(QString("Speichern und weiter"), insert->toolTip());
        }
        framework.push_back(request);
    };
    toolbar.UPDATETOOLBAR(&form, 1);
    toolbar.UPDATETOOLBAR(&form, 1);  // a second update does not translate twice
    EXPECT_EQ(QString("Speichern und weiter"), insert->toolTip());
    EXPECT_EQ(QString("Speichern und weiter"), next->toolTip());
    EXPECT_EQ(QString(">>"), last->toolTip());  // not in the table for adding

    toolbar.UPDATETOOLBAR(&form, 2);
    EXPECT_EQ(QString("Save this record and add a new one"), insert->toolTip());
    EXPECT_EQ(QString("Speichern, naechster"), next->toolTip());
    EXPECT_EQ(QString("Save changes and go to last record"), last->toolTip());

    toolbar.UPDATETOOLBAR(&form, 3);  // a delete leaves the tips as they are
    EXPECT_EQ(QString("Speichern, naechster"), next->toolTip());
    EXPECT_EQ((std::vector<int>{1, 1, 2, 3}), framework);
}

}  // namespace
}  // namespace shell
