#include "shell/frame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QImage>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cstring>

#include "framework/ini_file.h"
#include "framework/program.h"
#include "framework/window_placement.h"
#include "shell/change_password.h"
#include "shell/login.h"
#include "shell/startup.h"
#include "shell/terms.h"
#include "shell/translator.h"
#include "store/session.h"
#include "store/store.h"

namespace shell {

using namespace store;

namespace {

constexpr int kTimerMilliseconds = 30 * 1000;

}  // namespace

/// One entry of the menu or the toolbar.
struct MAIN::Entry {
    std::string path;       // "menu/.../text" with the untranslated text
    std::string text;       // shown text, with "%1"/"%2" for the organisation's terms
    Term term1, term2;      // the terms merged into the text
    std::string procedure;  // what it runs
    int request;            // the global request it calls its procedure with
    Right right;            // what the user must be allowed to use it
};

MAIN::MAIN(Store& db, framework::IniFile& ini) : db_(db), ini_(ini) {
    setObjectName("MAIN");
    setWindowTitle(QString("%1 %2").arg(kProductName, kVersion));
    resize(900, 600);
    buildMenus();
    buildToolbar();
    // The menus show words from the first paint, the system's own until the store's
    // preferences are read.
    setTexts();
    timer_ = new QTimer(this);
    connect(timer_, &QTimer::timeout, this, [] {
        if (framework::program().alertSearch) framework::program().alertSearch();
    });
}

MAIN::~MAIN() {
    KILL();
}

void MAIN::buildMenus() {
    using T = Term;
    const T none = T::None;
    // path, text, terms, procedure, request, the right it needs
    constexpr Right V = Right::View, R = Right::AdministerResources, S = Right::AdministerSystem;
    entries_ = {
        {"File/Print setup...", "Print setup...", none, none, "PRINTSETUP", 0, V},
        {"File/System preferences", "System preferences", none, none, "SYSPREF", ChangeRecord, S},
        {"File/Users/Add/edit users", "Add/edit users", none, none, "BROWSEUSERS", 0, S},
        {"File/Users/User groups", "User groups", none, none, "BROWSEUSERGROUPS", 0, S},
        {"File/User preferences", "User preferences", none, none, "USERPREF", ChangeRecord, V},
        {"File/Change password", "Change password", none, none, "CHANGEPASSWORD", 0, V},
        {"File/Exit", "Exit", none, none, "EXIT", 0, V},
        {"Bookings/Add %1", "Add %1", T::BookingSingular, none, "UPDATEACT", InsertRecord, V},
        {"Bookings/Browse %1", "Browse %1", T::BookingPlural, none, "BROWSEALL", 0, V},
        {"Bookings/Browse alphabetically", "Browse alphabetically", none, none, "BROWSEBYNAME", 0,
         V},
        {"Bookings/Delete by batch", "Delete by batch", none, none, "BATCHDELETE", 0, S},
        {"Resources/Add %1", "Add %1", T::ResourceSingular, none, "UPDATERESOURCE", InsertRecord,
         R},
        {"Resources/Browse %1", "Browse %1", T::ResourcePlural, none, "BROWSERESOURCE", 0, V},
        {"Resources/%1 groups", "%1 groups", T::ResourceSingular, none, "BROWSEGROUPS", 0, V},
        {"Resources/Rebuild group ALL list", "Rebuild group ALL list", none, none, "REBUILDALL", 0,
         R},
        {"Utilization/%1 group", "%1 group", T::ResourceSingular, none, "GROUPUTIL", 0, R},
        {"Utilization/One %1", "One %1", T::ResourceSingular, none, "RESUTIL", 0, R},
        {"Clients/Add %1", "Add %1", T::ClientSingular, none, "UPDATECLIENT", InsertRecord, R},
        {"Clients/Browse %1", "Browse %1", T::ClientPlural, none, "BROWSECLIENT", 0, V},
        {"Scan/Single %1/Week", "Week", none, none, "SCANSINGLE", 0, V},
        {"Scan/Single %1/Month", "Month", none, none, "SCANMONTH", 0, V},
        {"Scan/%1 group/Day", "Day", none, none, "SCANGROUP", 0, V},
        {"Scan/%1 group/Week", "Week", none, none, "SCANGROUPWEEK", 0, V},
        {"Scan/%1 group/Month", "Month", none, none, "SCANGROUPMONTH", 0, V},
        {"Scan/Availability/%1 group", "%1 group", T::ResourceSingular, none, "SCANFREE", 0, V},
        {"Scan/Availability/Pooled %1", "Pooled %1", T::ResourcePlural, none, "SCANPOOLED", 0, V},
        {"Scan/Availability/Find free time", "Find free time", none, none, "FINDFREETIME", 0, V},
        {"Scan/Calendar", "Calendar", none, none, "CALENDARMAIN", 0, V},
        {"Help/Contents", "Contents", none, none, "HELPCONTENTS", 0, V},
        {"Help/Search for help on...", "Search for help on...", none, none, "HELPSEARCH", 0, V},
        {"Help/How to use help", "How to use help", none, none, "HELPHOWTO", 0, V},
        {"Help/Tembrix Terms", "Tembrix Terms", none, none, "TERMS", 0, V},
        {"Help/About Tembrix", "About Tembrix", none, none, "ABOUTTEMBRIX", 0, V},
    };
    // The menu titles that carry the organisation's terms, and those that do not. The
    // menus of the terms get their accelerator when the terms are merged (setTexts).
    struct Title {
        const char* path;
        const char* text;
        Term term;
    };
    static const Title titles[] = {
        {"File", "&File", Term::None},
        {"File/Users", "Users", Term::None},
        {"Bookings", "%1", Term::BookingPlural},
        {"Resources", "%1", Term::ResourcePlural},
        {"Utilization", "&Utilization", Term::None},
        {"Clients", "%1", Term::ClientPlural},
        {"Scan", "&Scan", Term::None},
        {"Scan/Single %1", "Single %1", Term::ResourceSingular},
        {"Scan/%1 group", "%1 group", Term::ResourceSingular},
        {"Scan/Availability", "Availability", Term::None},
        {"Help", "&Help", Term::None},
    };
    auto addMenu = [this](const Title& t) {
        const std::string path = t.path;
        const auto slash = path.rfind('/');
        QMenu* menu = slash == std::string::npos
                          ? menuBar()->addMenu(t.text)
                          : menus_.at(path.substr(0, slash))->addMenu(t.text);
        menu->setObjectName(QString::fromStdString(path));
        menu->setProperty("untranslated", t.text);
        menu->setProperty("term", int(t.term));
        menus_[path] = menu;
    };
    // The menu bar in the order of the titles; a submenu takes its place among the
    // entries of its menu where its first entry stands (Users after System preferences).
    for (const Title& t : titles)
        if (!std::strchr(t.path, '/')) addMenu(t);
    for (const Entry& e : entries_) {
        // The entry belongs to the deepest menu whose path starts it ("Add/edit users" has
        // a slash of its own).
        const Title* deepest = nullptr;
        for (const Title& t : titles)
            if (e.path.rfind(std::string(t.path) + "/", 0) == 0 &&
                (!deepest || std::strlen(t.path) > std::strlen(deepest->path)))
                deepest = &t;
        if (!menus_.count(deepest->path)) addMenu(*deepest);
        QMenu* menu = menus_.at(deepest->path);
        if (e.procedure == "EXIT" || e.procedure == "TERMS") menu->addSeparator();
        QAction* a = menu->addAction(QString::fromStdString(e.text));
        a->setObjectName(QString::fromStdString(e.path));
        const std::string procedure = e.procedure;
        const int request = e.request;
        connect(a, &QAction::triggered, this,
                [this, procedure, request] { run(procedure, request); });
        actions_[e.path] = a;
    }
    actions_.at("File/Exit")->setShortcut(QKeySequence::Quit);
    actions_.at("Help/Contents")->setShortcut(QKeySequence::HelpContents);
}

namespace {

/// A toolbar image drawn from a style's icon. `badge` adds a green plus in the corner,
/// for the button that adds: the style's page alone is nearly white.
QPixmap toolImage(const QIcon& base, int size, bool badge) {
    QPixmap image = base.pixmap(size, size);
    if (!badge) return image;
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal r = size * 0.3;
    const QPointF centre(size - r - 0.5, size - r - 0.5);
    p.setPen(QPen(QColor(255, 255, 255), size / 16.0));
    p.setBrush(QColor(0, 128, 0));
    p.drawEllipse(centre, r, r);
    p.setPen(QPen(QColor(255, 255, 255), std::max(1.5, size / 10.0), Qt::SolidLine, Qt::FlatCap));
    p.drawLine(centre - QPointF(r * 0.55, 0), centre + QPointF(r * 0.55, 0));
    p.drawLine(centre - QPointF(0, r * 0.55), centre + QPointF(0, r * 0.55));
    return image;
}

/// The image of a disabled button: grey and faint, so that it never passes for one that
/// works, whatever the style's own idea of disabled.
QPixmap disabledImage(const QPixmap& image) {
    QImage grey = image.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < grey.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(grey.scanLine(y));
        for (int x = 0; x < grey.width(); ++x) {
            const int g = 128 + qGray(line[x]) / 2;
            line[x] = qRgba(g, g, g, qAlpha(line[x]) / 3);
        }
    }
    return QPixmap::fromImage(grey);
}

QIcon toolIcon(const QIcon& base, bool badge) {
    QIcon icon;
    for (int size : {16, 24, 32, 48}) {
        const QPixmap image = toolImage(base, size, badge);
        icon.addPixmap(image, QIcon::Normal);
        icon.addPixmap(image, QIcon::Active);
        icon.addPixmap(disabledImage(image), QIcon::Disabled);
    }
    return icon;
}

}  // namespace

void MAIN::buildToolbar() {
    QToolBar* bar = addToolBar("Toolbar");
    bar->setObjectName("Toolbar");
    bar->setMovable(false);
    struct Button {
        const char* name;
        const char* tip;
        Term t1, t2;
        const char* procedure;
        int request;
        QStyle::StandardPixmap icon;
    };
    static const Button buttons[] = {
        {"New", "Add a new %1", Term::BookingSingular, Term::None, "UPDATEACT", InsertRecord,
         QStyle::SP_FileIcon},
        {"Browse", "Browse bookings", Term::None, Term::None, "BROWSEALL", 0,
         QStyle::SP_FileDialogListView},
        {"Group day", "Scan %1 of group for a day", Term::BookingPlural, Term::None, "SCANGROUP", 0,
         QStyle::SP_FileDialogDetailedView},
        {"Group week", "Scan %1 of group for a week", Term::BookingPlural, Term::None,
         "SCANGROUPWEEK", 0, QStyle::SP_FileDialogContentsView},
        {"Group free", "Scan %1 group for availability", Term::ResourceSingular, Term::None,
         "SCANFREE", 0, QStyle::SP_DialogApplyButton},
        {"Single week", "Scan %1 of a %2 for a week", Term::BookingPlural, Term::ResourceSingular,
         "SCANSINGLE", 0, QStyle::SP_ArrowRight},
        {"Single month", "Scan %1 of a %2 for a month", Term::BookingPlural, Term::ResourceSingular,
         "SCANMONTH", 0, QStyle::SP_ArrowDown},
    };
    for (const Button& b : buttons) {
        QAction* a = bar->addAction(
            toolIcon(style()->standardIcon(b.icon), b.request == InsertRecord), b.name);
        const std::string path = std::string("toolbar/") + b.name;
        a->setObjectName(QString::fromStdString(path));
        a->setProperty("untranslatedTip", b.tip);
        a->setProperty("tipTerm1", int(b.t1));
        a->setProperty("tipTerm2", int(b.t2));
        a->setProperty("procedure", b.procedure);
        const std::string procedure = b.procedure;
        const int request = b.request;
        connect(a, &QAction::triggered, this,
                [this, procedure, request] { run(procedure, request); });
        actions_[path] = a;
    }
}

QAction* MAIN::action(const std::string& path) const {
    auto it = actions_.find(path);
    return it == actions_.end() ? nullptr : it->second;
}

std::vector<std::string> MAIN::actionPaths() const {
    std::vector<std::string> paths;
    for (const Entry& e : entries_) paths.push_back(e.path);
    return paths;
}

void MAIN::run(const std::string& procedure, int request) {
    if (procedure == "EXIT") {
        close();
        return;
    }
    framework::callWindow(procedure, db_, this, request);
}

void MAIN::applyGating() {
    const int level = session().accessLevel;
    for (const Entry& e : entries_) {
        const bool available = e.procedure == "EXIT" || framework::hasWindow(e.procedure);
        actions_.at(e.path)->setEnabled(available && may(level, e.right));
    }
    // A toolbar button is open to every level, as long as its window exists.
    for (auto& [path, a] : actions_)
        if (path.rfind("toolbar/", 0) == 0)
            a->setEnabled(framework::hasWindow(a->property("procedure").toString().toStdString()));
    menus_.at("File/Users")->setEnabled(may(level, Right::AdministerSystem));
    menus_.at("Utilization")->setEnabled(may(level, Right::AdministerResources));
}

namespace {

/// The title with an accelerator before its first letter that no other menu of the bar
/// uses yet (`taken`, lower case), so that Alt and a letter open every menu whatever the
/// organisation calls its bookings; a title whose letters are all taken stays without.
QString withAccelerator(const QString& title, QString& taken) {
    if (title.contains('&')) return title;
    for (int i = 0; i < title.size(); ++i) {
        const QChar c = title[i].toLower();
        if (!c.isLetterOrNumber() || taken.contains(c)) continue;
        taken += c;
        return title.left(i) + '&' + title.mid(i);
    }
    return title;
}

}  // namespace

void MAIN::setTexts() {
    for (const Entry& e : entries_)
        actions_.at(e.path)->setText(termsFor(QString::fromStdString(e.text), e.term1, e.term2));
    for (auto& [path, menu] : menus_)
        menu->setTitle(termsFor(menu->property("untranslated").toString(),
                                Term(menu->property("term").toInt())));
    // The menus named by the organisation's terms take the letters the others leave.
    QString taken;
    const QList<QAction*> bar = menuBar()->actions();
    for (QAction* a : bar)
        if (const int at = a->text().indexOf('&'); at >= 0 && at + 1 < a->text().size())
            taken += a->text()[at + 1].toLower();
    for (QAction* a : bar)
        if (QMenu* menu = a->menu()) menu->setTitle(withAccelerator(menu->title(), taken));
    for (auto& [path, a] : actions_) {
        if (path.rfind("toolbar/", 0) != 0) continue;
        a->setToolTip(termsFor(a->property("untranslatedTip").toString(),
                               Term(a->property("tipTerm1").toInt()),
                               Term(a->property("tipTerm2").toInt())));
    }
}

bool MAIN::INIT() {
    const StoreStart start = OPENSTORE(db_);
    storeOpen_ = start != StoreStart::OldFormat;
    refused_ = start != StoreStart::Ready;
    if (refused_) return false;
    setCurrentTerms(Terms::fromSysPref(db_.SYP));
    // The organisation's words are in the menus behind the log-in window already.
    setTexts();

    // Placed before it shows, so that the log-in window finds the frame where it is: the
    // middle of the screen until the stored placement is restored after log-in.
    framework::centreOver(*this, nullptr);
    show();
    LOGIN login(db_, this);
    if (!login.ASK()) {
        close();
        return false;
    }
    // The user's own preferences; without them the windows work with the system ones.
    db_.USP.USERNAME = session().GlobalUserName;
    if (db_.Access(Tbl::USERPREF).TRYFETCH(USP::USERNAME_KEY) != Level_Benign) {
        db_.Access(Tbl::USERPREF).PRIMERECORD();
        db_.USP.USERNAME = session().GlobalUserName;
        copyDefaultsToUserPref(db_);
    }
    loggedIn_ = true;
    applyGating();
    setTexts();
    INITTRANSLATOR(QString::fromStdString(db_.engine().folder() + "/" + kLanguageFile), 0, 0);
    framework::restoreWindow(*this, ini_, "Main");
    framework::keepOnScreen(*this);
    timer_->start(kTimerMilliseconds);
    return true;
}

void MAIN::closeEvent(QCloseEvent* event) {
    KILL();
    event->accept();
}

void MAIN::KILL() {
    if (killed_) return;
    killed_ = true;
    if (timer_) timer_->stop();
    if (storeOpen_) CLOSESTORE(db_);
    // A start that ended before log-in leaves the folder as it found it: refused data must
    // reach the converter intact, and nobody has used the frame whose placement or backup
    // would be worth keeping.
    if (!loggedIn_) return;
    framework::saveWindow(*this, ini_, "Main");
    if (onClosed) onClosed();
}

// --- the frame's own small windows ---------------------------------------------------------

namespace {

QDialog* smallWindow(MAIN& frame, const QString& caption, const char* name) {
    auto* w = new QDialog(&frame);
    w->setAttribute(Qt::WA_DeleteOnClose);
    w->setObjectName(name);
    w->setWindowTitle(caption);
    return w;
}

/// Runs one of the frame's small windows, translated.
void runSmallWindow(QDialog* w) {
    Translate(w);
    w->exec();
}

QDialogButtonBox* closeButton(QDialog* w) {
    auto* buttons = new QDialogButtonBox(w);
    QPushButton* close = buttons->addButton(QObject::tr("Close"), QDialogButtonBox::RejectRole);
    close->setDefault(true);
    QObject::connect(buttons, &QDialogButtonBox::rejected, w, &QDialog::reject);
    return buttons;
}

}  // namespace

void TERMS(MAIN& frame) {
    Store& db = frame.db();
    QDialog* w = smallWindow(frame, QObject::tr("Tembrix terms"), "TERMS");
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QObject::tr("Tembrix default terms and your organization's terms.")),
                    0, 0, 1, 2);
    const std::pair<const char*, std::string> rows[] = {
        {"Booking", db.SYP.LABELS1_1.str()},
        {"Resource", db.SYP.LABELS2_1.str()},
        {"Client", db.SYP.LABELS3_1.str()},
    };
    int r = 1;
    for (const auto& [ours, theirs] : rows) {
        grid->addWidget(new QLabel(QObject::tr(ours)), r, 0);
        auto* label = new QLabel(QString::fromStdString(theirs));
        label->setObjectName(QString("Term") + ours);
        grid->addWidget(label, r++, 1);
    }
    grid->addWidget(new QLabel(QObject::tr("Tembrix terms are used in Help system and by "
                                           "technical support")),
                    r, 0, 1, 2);
    auto* layout = new QVBoxLayout(w);
    layout->addLayout(grid);
    layout->addWidget(closeButton(w));
    runSmallWindow(w);
}

void ABOUTTEMBRIX(MAIN& frame) {
    QDialog* w = smallWindow(frame, QObject::tr("About Tembrix"), "ABOUTTEMBRIX");
    auto* layout = new QVBoxLayout(w);
    auto* name = new QLabel(QString("<h2>%1</h2>").arg(kProductName));
    name->setAlignment(Qt::AlignCenter);
    auto* version = new QLabel(QObject::tr("Version %1").arg(kVersion));
    version->setAlignment(Qt::AlignCenter);
    version->setObjectName("Version");
    layout->addWidget(name);
    layout->addWidget(version);
    layout->addWidget(closeButton(w));
    runSmallWindow(w);
}

}  // namespace shell
