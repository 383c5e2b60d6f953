#include "framework/help.h"

#include "framework/window_placement.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "framework/help_file.h"
#include "store/questions.h"

namespace framework {

namespace {

constexpr const char* kFileName = "Tembrixm.hlp";
constexpr const char* kContents = "Contents";
constexpr const char* kHowToUse = "How_to_Use_Help";

std::string registeredPath;
std::string loadedPath;
std::shared_ptr<const HelpFile> loadedFile;
QPointer<HelpWindow> window;

QString esc(const std::string& s) {
    return QString::fromStdString(s).toHtmlEscaped();
}

// The help file, read once and kept; nullptr after telling the user why there is none.
std::shared_ptr<const HelpFile> helpFile() {
    const std::string path = helpFilePath();
    if (loadedFile && loadedPath == path) return loadedFile;
    std::string error;
    auto file = HelpFile::load(path, &error);
    if (!file) {
        const QFileInfo info(QString::fromStdString(path));
        const QString text =
            info.exists()
                ? QObject::tr("Help is not available: the help file \"%1\" cannot be used (%2).")
                      .arg(info.absoluteFilePath(), QString::fromStdString(error))
                : QObject::tr(
                      "Help is not available: the help file \"%1\" was found neither in "
                      "the program's folder (%2) nor in the working folder.")
                      .arg(QString::fromLatin1(kFileName), info.absolutePath());
        store::questions().message(QObject::tr("Tembrix Help").toStdString(), text.toStdString(),
                                   store::Icon::Exclamation, store::BUTTON_OK, store::BUTTON_OK);
        return nullptr;
    }
    loadedFile = std::make_shared<const HelpFile>(std::move(*file));
    loadedPath = path;
    return loadedFile;
}

// The help window, made or brought up to date; nullptr when there is no help file.
HelpWindow* openWindow() {
    auto file = helpFile();
    if (!file) return nullptr;
    if (window && &window->file() != file.get()) delete window;  // the file was read anew
    // A window asked from inside a modal window must belong to it, or the modal one
    // would block it: help would show but take no clicks.
    QWidget* modal = QApplication::activeModalWidget();
    if (!window) {
        window = new HelpWindow(file, modal);
        keepOnScreen(*window);
    } else if (window->parentWidget() != modal && modal != window) {
        const QRect placed = window->geometry();
        window->setParent(modal, window->windowFlags());
        window->setGeometry(placed);
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

}  // namespace

std::string helpFilePath() {
    if (!registeredPath.empty()) return registeredPath;
    const QString beside =
        QCoreApplication::instance()
            ? QDir(QCoreApplication::applicationDirPath()).filePath(QString::fromLatin1(kFileName))
            : QString::fromLatin1(kFileName);
    if (QFileInfo::exists(beside)) return beside.toStdString();
    const QString here = QDir::current().filePath(QString::fromLatin1(kFileName));
    if (QFileInfo::exists(here)) return here.toStdString();
    return beside.toStdString();
}

void registerHelpFile(const std::string& path) {
    registeredPath = path;
    loadedFile.reset();
    loadedPath.clear();
}

void showHelp(const std::string& topic) {
    if (HelpWindow* w = openWindow()) w->showTopic(topic);
}

void showHelpContents() {
    if (HelpWindow* w = openWindow()) w->showContents();
}

void showHelpSearch() {
    if (HelpWindow* w = openWindow()) w->focusSearch();
}

void showHowToUseHelp() {
    if (HelpWindow* w = openWindow()) w->showHowToUse();
}

void attachHelp(QWidget& target, const std::string& topic, QAbstractButton* button) {
    auto* key = new QShortcut(QKeySequence::HelpContents, &target);
    key->setContext(Qt::WindowShortcut);
    QObject::connect(key, &QShortcut::activated, &target, [topic] { showHelp(topic); });
    if (button)
        QObject::connect(button, &QAbstractButton::clicked, &target, [topic] { showHelp(topic); });
}

HelpWindow* helpWindow() {
    return window;
}

HelpWindow::HelpWindow(std::shared_ptr<const HelpFile> file, QWidget* parent)
    : QWidget(parent, Qt::Window), file_(std::move(file)) {
    setWindowTitle(tr("Tembrix Help"));
    // An open help window must not keep the program running once the frame is closed.
    setAttribute(Qt::WA_QuitOnClose, false);

    auto* contents = new QPushButton(tr("&Contents"), this);
    backButton_ = new QPushButton(tr("&Back"), this);
    auto* howTo = new QPushButton(tr("&How to use help"), this);
    auto* close = new QPushButton(tr("Close"), this);
    contents->setObjectName("contents");
    backButton_->setObjectName("back");
    howTo->setObjectName("howToUseHelp");
    close->setObjectName("close");
    backButton_->setToolTip(tr("Back to the topic shown before (Alt+Left)"));
    for (QPushButton* b : {contents, backButton_, howTo, close}) b->setAutoDefault(false);

    auto* searchLabel = new QLabel(tr("&Search for help on..."), this);
    searchBox_ = new QLineEdit(this);
    searchBox_->setObjectName("search");
    searchBox_->setPlaceholderText(tr("Type words to look for"));
    searchBox_->setClearButtonEnabled(true);
    searchLabel->setBuddy(searchBox_);
    list_ = new QListWidget(this);
    list_->setObjectName("topics");
    list_->setAccessibleName(tr("Topics"));
    text_ = new QTextBrowser(this);
    text_->setObjectName("text");
    text_->setOpenLinks(false);

    auto* left = new QWidget(this);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->addWidget(searchLabel);
    leftLayout->addWidget(searchBox_);
    leftLayout->addWidget(list_, 1);
    auto* split = new QSplitter(this);
    split->addWidget(left);
    split->addWidget(text_);
    split->setStretchFactor(0, 0);
    split->setStretchFactor(1, 1);
    split->setSizes({280, 540});

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(contents);
    buttons->addWidget(backButton_);
    buttons->addWidget(howTo);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(split, 1);

    setTabOrder(searchBox_, list_);
    setTabOrder(list_, text_);
    setTabOrder(text_, contents);
    setTabOrder(contents, backButton_);
    setTabOrder(backButton_, howTo);
    setTabOrder(howTo, close);

    connect(contents, &QPushButton::clicked, this, &HelpWindow::showContents);
    connect(backButton_, &QPushButton::clicked, this, &HelpWindow::back);
    connect(howTo, &QPushButton::clicked, this, &HelpWindow::showHowToUse);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(searchBox_, &QLineEdit::textChanged, this, &HelpWindow::search);
    // Enter in the search box opens the best match, the first of the list.
    connect(searchBox_, &QLineEdit::returnPressed, this, [this] { openListed(list_->item(0)); });
    connect(list_, &QListWidget::itemActivated, this, &HelpWindow::openListed);
    connect(list_, &QListWidget::itemClicked, this, &HelpWindow::openListed);
    connect(text_, &QTextBrowser::anchorClicked, this, &HelpWindow::openLink);
    auto* backKey = new QShortcut(QKeySequence::Back, this);
    connect(backKey, &QShortcut::activated, this, &HelpWindow::back);

    resize(820, 600);
    fillList({});
    showContents();
    history_.clear();
    backButton_->setEnabled(false);
}

HelpWindow::~HelpWindow() = default;

void HelpWindow::showTopic(const std::string& topic) {
    if (const HelpTopic* t = file_->find(topic)) {
        display(t->name, {}, true);
        return;
    }
    const std::string shown = topic.empty() || topic.front() == '~' ? topic : "~" + topic;
    const QString note = tr("There is no help on \"%1\". Choose a topic from the list, or search "
                            "for it.")
                             .arg(QString::fromStdString(shown));
    const HelpTopic* contents = file_->find(kContents);
    display(contents ? contents->name : std::string(), note, true);
}

void HelpWindow::showContents() {
    const HelpTopic* contents = file_->find(kContents);
    display(contents ? contents->name : std::string(), {}, true);
}

void HelpWindow::showHowToUse() {
    showTopic(kHowToUse);
}

void HelpWindow::focusSearch() {
    searchBox_->setFocus(Qt::ShortcutFocusReason);
    searchBox_->selectAll();
}

void HelpWindow::search(const QString& words) {
    if (searchBox_->text() != words) {
        const QSignalBlocker block(searchBox_);
        searchBox_->setText(words);
    }
    fillList(words);
}

bool HelpWindow::back() {
    if (history_.empty()) return false;
    const std::string name = history_.back();
    history_.pop_back();
    display(name, {}, false);
    return true;
}

std::vector<std::string> HelpWindow::listedTopics() const {
    std::vector<std::string> names;
    for (int i = 0; i < list_->count(); ++i)
        names.push_back(list_->item(i)->data(Qt::UserRole).toString().toStdString());
    return names;
}

QString HelpWindow::shownText() const {
    return text_->toPlainText();
}

void HelpWindow::openLink(const QUrl& url) {
    if (url.scheme() == QLatin1String("topic")) showTopic(url.path().toStdString());
}

void HelpWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void HelpWindow::display(const std::string& name, const QString& note, bool remember) {
    if (remember && showing_ && name != current_) history_.push_back(current_);
    current_ = name;
    showing_ = true;
    text_->setHtml(topicHtml(name, note));
    backButton_->setEnabled(!history_.empty());
    const HelpTopic* t = name.empty() ? nullptr : file_->find(name);
    setWindowTitle(t ? tr("Tembrix Help - %1").arg(QString::fromStdString(t->title))
                     : tr("Tembrix Help"));
    const QSignalBlocker block(list_);
    list_->setCurrentRow(-1);
    for (int i = 0; i < list_->count(); ++i)
        if (list_->item(i)->data(Qt::UserRole).toString().toStdString() == name)
            list_->setCurrentRow(i);
}

QString HelpWindow::topicHtml(const std::string& name, const QString& note) const {
    const HelpTopic* t = name.empty() ? nullptr : file_->find(name);
    QString html;
    html += "<h2>" + (t ? esc(t->title) : tr("Contents").toHtmlEscaped()) + "</h2>";
    if (!note.isEmpty()) html += "<p><i>" + note.toHtmlEscaped() + "</i></p>";
    if (!t) {
        // No contents page in the file: every topic, in the file's order.
        html += "<ul>";
        for (const HelpTopic& topic : file_->topics())
            html +=
                "<li><a href=\"topic:" + esc(topic.name) + "\">" + esc(topic.title) + "</a></li>";
        return html + "</ul>";
    }
    bool inList = false;
    for (const HelpBlock& b : t->blocks) {
        const bool item = b.kind == HelpBlock::Kind::Item;
        if (item != inList) html += item ? "<ul>" : "</ul>";
        inList = item;
        html += item ? "<li>" : "<p>";
        for (const HelpRun& run : splitLinks(b.text)) {
            if (run.target.empty())
                html += esc(run.text);
            else if (const HelpTopic* target = file_->find(run.target))
                html += "<a href=\"topic:" + esc(target->name) + "\">" + esc(file_->linkText(run)) +
                        "</a>";
            else
                html += esc(file_->linkText(run));  // a dead link reads as plain words
        }
        html += item ? "</li>" : "</p>";
    }
    if (inList) html += "</ul>";
    return html;
}

void HelpWindow::fillList(const QString& words) {
    const QSignalBlocker block(list_);
    list_->clear();
    for (const HelpTopic* t : file_->search(words.toStdString())) {
        auto* item = new QListWidgetItem(QString::fromStdString(t->title), list_);
        item->setData(Qt::UserRole, QString::fromStdString(t->name));
        if (t->name == current_) list_->setCurrentItem(item);
    }
}

void HelpWindow::openListed(QListWidgetItem* item) {
    if (item) showTopic(item->data(Qt::UserRole).toString().toStdString());
}

}  // namespace framework
