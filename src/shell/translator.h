#pragma once

#include <QByteArray>
#include <QHash>
#include <QMutex>
#include <QSet>
#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QObject;
class QWidget;

namespace shell {

/// The language file and the extraction file, both in the program's working folder.
inline constexpr const char* kLanguageFile = "En_tbrm.LTF";
inline constexpr const char* kExtractionFile = "transtring.txt";

/// The language file format (UTF-8 text, one translation per line):
///
///     # comment
///     Source text<TAB>Translated text
///
/// Blank lines and lines whose first character is '#' are ignored. Both sides may use
/// the escapes \t (tab), \n (new line) and \\ (backslash); anything else after a
/// backslash makes the line malformed. A line without a tab, with more than one tab, with
/// an empty side or with text that is not valid UTF-8 is malformed. Malformed lines are
/// skipped; the rest of the file still counts. A later line for the same source text
/// replaces an earlier one. The source text is matched exactly, '&' mnemonics included.
///
/// The extraction file holds one source text per line, escaped the same way, so that a
/// line can be copied into a language file and given its translation after a tab.
struct LanguageFile {
    QHash<QString, QString> translations;
    int skippedLines = 0;
    /// Line numbers (1-based) of the malformed lines.
    std::vector<int> skipped;
};
LanguageFile parseLanguageFile(const QByteArray& content);
/// A text in the file's escaped form, and back; nullopt for a malformed escape.
QString escapeText(const QString& text);
std::optional<QString> unescapeText(const QString& text);

/// The translator of the user interface: looks texts up in the loaded language file,
/// translates whole windows in place, and writes every text it cannot translate once to
/// the extraction file. One instance is the program's (the first one alive); the free
/// functions below go through it, and return texts unchanged while there is none.
///
/// Translating a window twice does no harm: each translated text remembers its source
/// (in dynamic properties of its widget or action) and is translated from the source
/// again, as long as the program has not set a new text meanwhile. A widget or action
/// whose property "translate" is false is left alone (texts that show data).
class Translator {
  public:
    /// extractionFile: where untranslated texts are written; empty for nowhere.
    explicit Translator(QString extractionFile = QString::fromLatin1(kExtractionFile));
    ~Translator();
    Translator(const Translator&) = delete;
    Translator& operator=(const Translator&) = delete;

    /// The program-wide translator, or nullptr.
    static Translator* instance();

    /// Loads a language file, replacing the translations held (or adding to them with
    /// keep). A missing or unreadable file leaves the program's own texts and returns
    /// false.
    bool load(const QString& languageFile, bool keep = false);
    /// Releases the translations and stops writing the extraction file.
    void close();
    bool loaded() const;
    int translationCount() const;
    int skippedLines() const;
    /// Whether untranslated texts are written to the extraction file.
    void setExtracting(bool on);

    /// The text in the current language; a text without translation comes back
    /// unchanged and, with record, is written to the extraction file unless it holds no
    /// letter or is there already.
    QString translateString(const QString& text, bool record = true);

    /// Every text of the window and its controls: the window's caption, labels, buttons,
    /// check and option boxes, group boxes, tab texts and tips, menus and their entries,
    /// toolbar entries, list column headings, entry placeholders, and the tool tips of
    /// all. Headings are written back through the list's model (setHeaderData); a model
    /// that keeps its headings to itself translates them with TranslateString.
    void translateWindow(QWidget* window);
    /// One control's own texts (its text and tool tip; a tab control's tabs, a list's
    /// headings, a menu's or toolbar's entries), not those of controls inside it.
    void translateControl(QWidget* control);
    void translateAction(QAction* action);
    /// The window's controls from first to last, both included, in the order in which
    /// they were created (the window's children depth first, each before its own
    /// children). Nothing when either is not a control of the window or last comes
    /// before first; returns how many controls were translated.
    int translateControls(QWidget* window, QWidget* first, QWidget* last);

  private:
    void translateText(QObject* o, const char* key, const std::function<QString()>& get,
                       const std::function<void(const QString&)>& set);
    void translateOwn(QWidget* w, bool withTitle);
    void translateMenuActions(QWidget* holder, QSet<QAction*>& seen);
    void record(const QString& text);
    void readExtraction();

    mutable QMutex lock_;
    QHash<QString, QString> translations_;
    bool loaded_ = false;
    int skippedLines_ = 0;
    QString extractionFile_;
    bool extracting_ = true;
    bool extractionRead_ = false;
    bool extractionBroken_ = false;
    QSet<QString> extracted_;
};

// The operations the program calls, on the program-wide translator.

/// Loads the language file (normally kLanguageFile) at the end of the frame's start-up.
/// flag1 non-zero stops the extraction file; flag2 non-zero adds the file's
/// translations to those already loaded instead of replacing them. The program passes 0
/// for both. Returns whether the file was found.
bool INITTRANSLATOR(const QString& languageFile, int flag1 = 0, int flag2 = 0);
/// flag 1 writes an untranslated text to the extraction file, 0 only translates.
QString TranslateString(const QString& text, int flag = 1);
std::string TranslateString(const std::string& text, int flag = 1);
inline QString TranslateString(const char* text, int flag = 1) {
    return TranslateString(QString::fromUtf8(text), flag);
}
void Translate(QWidget* window);
/// window: the window the control belongs to (kept for the call's shape; the control
/// is translated wherever it is).
void TRANSLATECONTROL(QWidget* window, QWidget* control);
void TRANSLATECONTROL(QWidget* window, QAction* control);
/// first and last as in Translator::translateControls.
void TRANSLATECONTROLS(QWidget* window, QWidget* first, QWidget* last);
/// Replaces "%1", "%2" and "%3" of an already translated text with v1, v2 and v3 as
/// given; a flag of 0 keeps its placeholder for a later merge. One pass: a value that
/// holds a placeholder itself is not merged again.
QString MergeString(const QString& text, const QString& v1, const QString& v2 = {},
                    const QString& v3 = {}, int f1 = 1, int f2 = 1, int f3 = 1);
void CloseTranslator();

/// The translator as the window framework sees it.
class PDTRANSLATORCLASS {
  public:
    void INIT() {}
    /// Called by the framework when a window opens.
    void TRANSLATEWINDOW(QWidget* window) { Translate(window); }
    QString TRANSLATESTRING(const QString& text) { return TranslateString(text, 1); }
    void TRANSLATECONTROL(QWidget* window, QWidget* control);
    void TRANSLATECONTROLS(QWidget* window, QWidget* first, QWidget* last);
    void KILL() { CloseTranslator(); }
};

// --- the record-navigation buttons of forms ---------------------------------------------

/// Control numbers of the standard record buttons. A form exposes such a button (a
/// button or an action) either with the dynamic property "controlNumber" holding the
/// number, or with the objectName given here; the property wins when both are present.
namespace nav {
inline constexpr int Insert = 2000;
inline constexpr int Change = 2001;
inline constexpr int Delete = 2002;
inline constexpr int Select = 2003;
inline constexpr int Last = 2004;
inline constexpr int First = 2005;
inline constexpr int PageDown = 2006;
inline constexpr int PageUp = 2007;
inline constexpr int Next = 2008;
inline constexpr int Previous = 2009;
}  // namespace nav

inline constexpr const char* kControlNumberProperty = "controlNumber";

/// A navigation button of the browses by the control number the language file gives it.
struct NavigationButton {
    int control;
    const char* objectName;
};
inline constexpr NavigationButton kNavigationButtons[] = {
    {nav::Insert, "Insert"},     {nav::Change, "Change"}, {nav::Delete, "Delete"},
    {nav::Select, "Select"},     {nav::Last, "Last"},     {nav::First, "First"},
    {nav::PageDown, "PageDown"}, {nav::PageUp, "PageUp"}, {nav::Next, "Next"},
    {nav::Previous, "Previous"},
};

/// The form's button or action with a control number, or nullptr.
QObject* findNavigationControl(QWidget* form, int control);

/// One entry of a tip table.
struct TipEntry {
    int control;
    QString tip;
};
/// A tip table as stored: a count byte, then per entry the control number (16 bits,
/// low byte first), a length byte and that many bytes of text. nullopt when the block
/// ends inside an entry or holds bytes after the last one.
std::optional<std::vector<TipEntry>> parseTipTable(const QByteArray& block);

/// Sets the tool tips of a form's record buttons for what the form does with its record.
class PDTOOLBARUPDATECLASS {
  public:
    /// The two built-in tables: a form adding a record, a form changing one.
    static QByteArray insertTips();
    static QByteArray changeTips();

    /// request 1 (add) or 2 (change): each button of the matching table that the form
    /// has gets its tip, and the button is translated (so the tip is translated once);
    /// other requests leave the tips. Then frameworkUpdate runs, when set.
    void UPDATETOOLBAR(QWidget* form, int request);

    /// The framework's own toolbar handling, run after the tips are set.
    std::function<void(QWidget* form, int request)> frameworkUpdate;
};

}  // namespace shell
