#pragma once

#include <QWidget>
#include <memory>
#include <string>
#include <vector>

class QAbstractButton;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTextBrowser;
class QUrl;

namespace framework {

class HelpFile;

// The help system on the program's own help file "Tembrixm.hlp" (format in help_file.h).
// The Help menu opens the contents, the search and "How to use help"; every window's
// Help button and F1 open its topic. The file is read when help is first asked for; a
// file that is missing or cannot be understood is reported to the user through the
// program's questions, and no help window opens.

/// The help file the help window reads: the one registered, else "Tembrixm.hlp" beside
/// the program, else the one in the working folder.
std::string helpFilePath();
/// Start-up's registration of the help file; an empty path goes back to looking beside
/// the program and in the working folder. A file already read is read again next time.
void registerHelpFile(const std::string& path = {});

/// Opens the help window at topic (for example "~System_Preferences_Window"). An unknown
/// topic shows the contents with a note saying so.
void showHelp(const std::string& topic);
void showHelpContents();
/// Opens the help window with the cursor in "Search for help on...".
void showHelpSearch();
void showHowToUseHelp();

/// Gives window its help: F1 anywhere in it, and button (when not nullptr) when clicked,
/// open topic.
void attachHelp(QWidget& window, const std::string& topic, QAbstractButton* button = nullptr);

class HelpWindow;
/// The help window while it exists, else nullptr.
HelpWindow* helpWindow();

/// The help window: search box and topic list on the left, the topic on the right with
/// its links, and the buttons Contents, Back and How to use help. Alt+Left goes back,
/// Escape closes.
class HelpWindow : public QWidget {
    Q_OBJECT

  public:
    explicit HelpWindow(std::shared_ptr<const HelpFile> file, QWidget* parent = nullptr);
    ~HelpWindow() override;

    /// Shows the topic ('~' optional); the topic shown before is remembered for Back.
    /// An unknown topic shows the contents with a note.
    void showTopic(const std::string& topic);
    void showContents();
    void showHowToUse();
    /// Puts the cursor in the search box, its words selected.
    void focusSearch();
    /// Lists the topics that hold every word of words (all topics for none).
    void search(const QString& words);
    /// Back to the topic shown before; false when there is none.
    bool back();

    /// The name of the topic shown, as the file spells it without '~'; "" when the
    /// contents are made up because the file has no "~Contents" topic.
    std::string currentTopic() const { return current_; }
    /// The names of the topics in the list, in their order.
    std::vector<std::string> listedTopics() const;
    /// The shown topic as plain text.
    QString shownText() const;
    /// Follows a link of the shown topic as a click on it would.
    void openLink(const QUrl& url);
    const HelpFile& file() const { return *file_; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void display(const std::string& name, const QString& note, bool remember);
    QString topicHtml(const std::string& name, const QString& note) const;
    void fillList(const QString& words);
    void openListed(QListWidgetItem* item);

    std::shared_ptr<const HelpFile> file_;
    std::string current_;
    bool showing_ = false;  // a page is shown, so there is something to go back to
    std::vector<std::string> history_;

    QLineEdit* searchBox_ = nullptr;
    QListWidget* list_ = nullptr;
    QTextBrowser* text_ = nullptr;
    QPushButton* backButton_ = nullptr;
};

}  // namespace framework
