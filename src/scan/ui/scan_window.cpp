#include "scan/ui/scan_window.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>
#include <utility>

#include "booking/booking_form.h"
#include "booking/ui/booking_window.h"
#include "framework/booking_changes.h"
#include "framework/date_time_entry.h"
#include "framework/program.h"
#include "masterdata/ui/lookup_cal.h"
#include "masterdata/ui/window_words.h"
#include "masterdata/ui/windows.h"
#include "reports/ui/scan_reports.h"
#include "scan/availability.h"
#include "scan/ui/bookings_browse.h"
#include "scan/ui/free_time_window.h"
#include "scan/ui/scan_view.h"
#include "store/file_manager.h"
#include "store/questions.h"
#include "store/session.h"
#include "store/store.h"

namespace scan::ui {

using masterdata::ui::words;
using store::Tbl;

namespace {

/// What each scan window says of itself.
struct Texts {
    const char* procedure;
    const char* caption;
    const char* entryPrompt;  // "" for the resource word followed by ":"
    const char* datePrompt;
    const char* entryTip;
    const char* lookupTip;
    const char* dateTip;
    const char* backTip;
    const char* forwardTip;
    const char* help;
    bool print;
};

const Texts& textsOf(ScanKind kind) {
    static const Texts week{"SCANSINGLE",
                            "Scan A %1 For A Week",
                            "",
                            "Week includes:",
                            "Short name of %1",
                            "Loop up %1",
                            "Display week that includes this date",
                            "Go back one week",
                            "Go forward one week",
                            "~Resource_Scan_for_a_Week_Window",
                            true};
    static const Texts month{"SCANMONTH",
                             "Scan A %1 For A Month",
                             "",
                             "Month includes:",
                             "%1 to be displayed",
                             "Look up %1",
                             "Month to display includes this date",
                             "Go back one month",
                             "Go forward one month",
                             "~Resource_Scan_for_a_Month_Window",
                             true};
    static const Texts groupDay{"SCANGROUP",
                                "Scan Group For A Day",
                                "Group:",
                                "Date:",
                                "Group to be displayed",
                                "Look up group",
                                "Day to display",
                                "Go back one day",
                                "Go forward one day",
                                "~Group_Scan_a_Day_Window",
                                true};
    static const Texts groupWeek{"SCANGROUPWEEK",
                                 "Scan Group For a Week",
                                 "Group:",
                                 "Week includes",
                                 "Name of group to display",
                                 "Look up group",
                                 "Display week that includes this date",
                                 "Go back one week",
                                 "Go forward one week",
                                 "~Group_Scan_a_ Week_Window",
                                 true};
    static const Texts groupMonth{"SCANGROUPMONTH",
                                  "Scan Group For A Month",
                                  "Group:",
                                  "Month includes:",
                                  "Group to be displayed",
                                  "Look up group",
                                  "Month to display includes this date",
                                  "Go back one month",
                                  "Go forward one month",
                                  "~Group_Scan_a_Month_Window",
                                  false};
    static const Texts free{"SCANFREE",
                            "Scan Group For Available Time",
                            "Group",
                            "Week includes",
                            "Name of group to display",
                            "Look up group",
                            "Display week that includes this date",
                            "Go back one week",
                            "Go forward one week",
                            "~Group_Scan_for_Available_Time_Window",
                            false};
    static const Texts pooled{"SCANPOOLED",
                              "Scan Availability Of Pooled %1",
                              "",
                              "Week includes:",
                              "%1 to be displayed",
                              "Look up %1",
                              "Display week that includes this date",
                              "Go back one week",
                              "Go forward one week",
                              "~Scan_Pooled_Availability_Window",
                              false};
    switch (kind) {
        case ScanKind::GroupFree:
            return free;
        case ScanKind::PooledResource:
            return pooled;
        case ScanKind::ResourceWeek:
            return week;
        case ScanKind::ResourceMonth:
            return month;
        case ScanKind::GroupDay:
            return groupDay;
        case ScanKind::GroupWeek:
            return groupWeek;
        case ScanKind::GroupMonth:
            break;
    }
    return groupMonth;
}

QPushButton* button(const QString& text, const QString& tip, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setToolTip(tip);
    b->setAutoDefault(false);
    return b;
}

/// A legend swatch of the group month: the colour and what it means.
QWidget* legend(Rgb colour, const QString& text, QWidget* parent) {
    auto* w = new QWidget(parent);
    auto* row = new QHBoxLayout(w);
    row->setContentsMargins(0, 0, 0, 0);
    auto* swatch = new QLabel(w);
    swatch->setFixedSize(14, 14);
    swatch->setStyleSheet(QString("background-color: rgb(%1,%2,%3); border: 1px solid gray;")
                              .arg(colour.r)
                              .arg(colour.g)
                              .arg(colour.b));
    row->addWidget(swatch);
    row->addWidget(new QLabel(text, w));
    return w;
}

}  // namespace

std::function<int(store::Store&, QWidget*, int)>& ScanWindow::bookingForm() {
    static std::function<int(store::Store&, QWidget*, int)> form =
        [](store::Store& db, QWidget* parent, int request) {
            store::session().GlobalRequest = request;
            return booking::ui::UPDATEACT(db, parent);
        };
    return form;
}

ScanWindow::ScanWindow(store::Store& db, ScanKind kind, QWidget* parent)
    : WindowProcedure(db, textsOf(kind).procedure, parent), kind_(kind) {
    helpTopic = textsOf(kind).help;
    placementSection = textsOf(kind).procedure;
    useTables({Tbl::ACTIVITY, Tbl::DATES, Tbl::RESACT, Tbl::RESOURCE, Tbl::GROUP, Tbl::GROUPRES});
    words_ = booking::Words::of(db.SYP);
    prefs_ = ScanPrefs::of(db.USP);
    reference_ = store::today();
    build();
    // This station's saves and deletes show at once in every scan that stands open.
    connect(
        &framework::bookingChanges(), &framework::BookingChanges::changed, this,
        [this] {
            // This window's own form has redrawn it already.
            if (std::exchange(ownChange_, false)) return;
            redraw();
        },
        Qt::QueuedConnection);
}

ScanWindow::~ScanWindow() = default;

bool ScanWindow::group() const {
    return showsGroup(kind_);
}

void ScanWindow::build() {
    const Texts& t = textsOf(kind_);
    setWindowTitle(words(t.caption, words_.resource));

    auto* top = new QHBoxLayout;
    auto* prompt = new QLabel(
        *t.entryPrompt ? words(t.entryPrompt) : QString::fromStdString(words_.resource + ":"),
        this);
    entry_ = new QLineEdit(this);
    entry_->setMaxLength(15);
    entry_->setToolTip(words(t.entryTip, words_.resource, kind_ == ScanKind::ResourceWeek));
    entry_->setMinimumWidth(entry_->fontMetrics().horizontalAdvance(QString(15, 'M')) * 2 / 3);
    prompt->setBuddy(entry_);
    lookup_ = button("...", words(t.lookupTip, words_.resource, true), this);
    lookup_->setMaximumWidth(lookup_->fontMetrics().horizontalAdvance("...") + 16);
    auto* datePrompt = new QLabel(words(t.datePrompt), this);
    date_ = new framework::DateEntry(this, framework::DateEntry::Format::Long);
    date_->setToolTip(words(t.dateTip));
    date_->setMinimumWidth(date_->fontMetrics().horizontalAdvance("Wednesday, 30 September 2026") +
                           12);
    datePrompt->setBuddy(date_);
    cal_ = masterdata::ui::calButton(date_, this);
    cal_->setToolTip(words("Pop up calendar"));
    back_ = button("<", words(t.backTip), this);
    forward_ = button(">", words(t.forwardTip), this);
    for (QPushButton* b : {back_, forward_}) b->setMaximumWidth(b->fontMetrics().height() * 2 + 8);
    top->addWidget(prompt);
    top->addWidget(entry_);
    top->addWidget(lookup_);
    top->addSpacing(12);
    top->addWidget(datePrompt);
    top->addWidget(date_);
    top->addWidget(cal_);
    top->addWidget(back_);
    top->addWidget(forward_);
    top->addStretch(1);

    auto* buttons = new QHBoxLayout;
    insert_ = button(words("Insert"), words("Add a new %1", words_.booking, true), this);
    browse_ =
        button(words("Browse"), words("Browse %1 for more detail", words_.bookings, true), this);
    print_ = button(words("Print"), words("Print corresponding calendar"), this);
    close_ = button(words("Close"), QString(), this);
    help_ = button(words("Help"), QString(), this);
    // The bookings browse comes with a window of its own; until then its button stays
    // visible and disabled, as the frame's entries do.
    browse_->setEnabled(framework::hasWindow("BROWSEALL"));
    print_->setVisible(t.print);
    export_ = button(
        words("Calendar file..."),
        words("Save the %1 shown as a file a calendar program imports", words_.bookings, true),
        this);
    export_->setVisible(exportable());
    insert_->setEnabled(store::may(store::session().accessLevel, store::Right::Book));
    if (kind_ == ScanKind::GroupMonth || kind_ == ScanKind::GroupFree) {
        const char* one =
            kind_ == ScanKind::GroupMonth ? "1 %1 (click for detail)" : "1 %1 (click for details)";
        buttons->addWidget(legend(kGreen, words(one, words_.booking), this));
        buttons->addWidget(legend(kYellow, words("2 %1", words_.bookings), this));
        buttons->addWidget(legend(kRed, words("3+ %1", words_.bookings), this));
    } else if (kind_ == ScanKind::PooledResource) {
        buttons->addWidget(legend(kGreen, words("1-50% used"), this));
        buttons->addWidget(legend(kYellow, words("51-99% used"), this));
        buttons->addWidget(legend(kRed, words("100%+ used"), this));
    }
    buttons->addStretch(1);
    for (QPushButton* b : {insert_, browse_, print_, export_, close_, help_}) buttons->addWidget(b);

    view_ = new ScanView(this);
    view_->moreTip = [this](const BoxEntry& box) {
        QString more;
        for (const std::string& r : bookingResources(db(), box.number))
            more += (more.isEmpty() ? "\n" : ", ") + QString::fromStdString(r);
        return more;
    };
    scroll_ = new QScrollArea(this);
    scroll_->setWidget(view_);
    scroll_->setWidgetResizable(false);
    scroll_->setBackgroundRole(QPalette::Base);

    auto* main = new QVBoxLayout(this);
    main->addLayout(top);
    main->addWidget(scroll_, 1);
    main->addLayout(buttons);

    for (QObject* c : {static_cast<QObject*>(lookup_), static_cast<QObject*>(back_),
                       static_cast<QObject*>(forward_), static_cast<QObject*>(insert_),
                       static_cast<QObject*>(browse_), static_cast<QObject*>(print_),
                       static_cast<QObject*>(export_), static_cast<QObject*>(close_),
                       static_cast<QObject*>(help_)})
        accepted(c);
    connect(entry_, &QLineEdit::editingFinished, this, [this] {
        if (entry_->isModified()) acceptName();
    });
    connect(entry_, &QLineEdit::returnPressed, this, [this] { acceptName(); });
    connect(date_, &framework::DateEntry::valueAccepted, this,
            [this](store::Date d) { dateAccepted(d); });
    connect(view_, &ScanView::boxClicked, this, [this](int id) { openBox(id); });
    setTabOrder(entry_, lookup_);
    setTabOrder(lookup_, date_);
    setTabOrder(date_, cal_);
    setTabOrder(cal_, back_);
    setTabOrder(back_, forward_);
    setTabOrder(forward_, insert_);
    setTabOrder(insert_, browse_);
    setTabOrder(browse_, print_);
    setTabOrder(print_, export_);
    setTabOrder(export_, close_);
    setTabOrder(close_, help_);

    date_->setValue(reference_);
    // The week scan opens on the user's own resource; the others wait for one.
    if (kind_ == ScanKind::ResourceWeek) {
        name_ = db().USP.RESOURCE.str();
        entry_->setText(QString::fromStdString(name_));
    }
}

bool ScanWindow::INIT() {
    defaultSize();
    // A placement kept in the configuration file wins over the default size.
    if (!WindowProcedure::INIT()) return false;
    if (!name_.empty() && scan::findResource(db(), name_).empty()) name_.clear();
    redraw();
    setTimer(30 * 1000);
    entry_->setFocus();
    return true;
}

void ScanWindow::defaultSize() {
    // Room for a week of the default settings, or eight members of a group, but never
    // larger than the screen: the scan scrolls where the window is too small.
    const std::vector<std::string> eight(8, std::string());
    view_->setScan(layoutScan(kind_, prefs_, reference_, std::string(),
                              showsGroup(kind_) ? eight : std::vector<std::string>{}, Occupancy(),
                              1));
    const QRect screen = QGuiApplication::primaryScreen()
                             ? QGuiApplication::primaryScreen()->availableGeometry()
                             : QRect(0, 0, 1280, 1024);
    const QSize chrome(scroll_->frameWidth() * 2 + 40,
                       entry_->sizeHint().height() * 2 + close_->sizeHint().height() + 60);
    const QSize want = (view_->sizeHint() + chrome).expandedTo(minimumSizeHint());
    resize(want.boundedTo(screen.size() * 0.95));
}

void ScanWindow::show(const std::string& name, store::Date reference) {
    name_ = name;
    reference_ = reference;
    entry_->setText(QString::fromStdString(name));
    date_->setValue(reference);
    redraw();
}

void ScanWindow::redraw() {
    if (drawing_) return;
    drawing_ = true;
    ScanLayout layout;
    if (name_.empty()) {
        // Nothing is read or reported for a blank entry; the empty view says what it wants.
        const QString hint =
            group() ? words("Type a group, or pick one with \"...\", to see its %1.",
                            words_.bookings, true)
                    : words(
                          "Type a %1, or pick one with \"...\", to see its "
                          "%2.",
                          words_.resource, true)
                          .replace("%2", QString::fromStdString(booking::lower(words_.bookings)));
        layout.note = hint.toStdString();
    } else if (kind_ == ScanKind::PooledResource && !pooled()) {
        name_.clear();
    } else {
        framework::BusyCursor busy;
        std::string error;
        if (!drawScan(db(), kind_, prefs_, name_, reference_, layout, error)) {
            layout = ScanLayout();
            layout.note = error;
        }
    }
    view_->setScan(std::move(layout));
    // There is something to print or save once a resource or group is shown.
    print_->setEnabled(!name_.empty());
    export_->setEnabled(!name_.empty());
    drawing_ = false;
}

bool ScanWindow::exportable() const {
    return kind_ != ScanKind::GroupFree && kind_ != ScanKind::PooledResource;
}

std::optional<reports::ScanReport> ScanWindow::printedReport() {
    const bool weekdaysOnly = db().USP.WEEKEND == 1;
    switch (kind_) {
        case ScanKind::ResourceWeek:
            return reports::weekReport(false, weekdaysOnly);
        case ScanKind::ResourceMonth:
            return reports::ScanReport::SCANMONTHRPT;
        case ScanKind::GroupDay:
            return reports::ScanReport::SCANGROUPRPT;
        case ScanKind::GroupWeek:
            return reports::weekReport(true, weekdaysOnly);
        default:
            break;
    }
    return std::nullopt;
}

bool ScanWindow::pooled() {
    const int units = resourceUnits(db(), name_);
    if (units > 1 || units < 0) return units > 1;
    store::questions().message(
        windowTitle().toStdString(),
        words("Invalid. This is not a pooled %1", words_.resource, true).toStdString(),
        store::Icon::Exclamation, store::BUTTON_OK, store::BUTTON_OK);
    entry_->setFocus();
    entry_->selectAll();
    return false;
}

void ScanWindow::acceptName() {
    const std::string typed = entry_->text().trimmed().toStdString();
    entry_->setModified(false);
    if (typed.empty()) {
        // A blank entry draws nothing and says nothing.
        name_.clear();
        redraw();
        return;
    }
    const std::string found = group() ? findGroup(db(), typed) : findResource(db(), typed);
    if (!found.empty()) {
        name_ = found;
        entry_->setText(QString::fromStdString(found));
        redraw();
        return;
    }
    lookUp();
}

void ScanWindow::lookUp() {
    const int r = framework::callWindow(group() ? "BROWSEGROUPS" : "BROWSERESOURCE", db(), this,
                                        store::SelectRecord);
    if (r != store::RequestCompleted) {
        // A cancelled look-up leaves the typed text and draws nothing new.
        entry_->setFocus();
        return;
    }
    name_ = group() ? db().GRO.GROUP.str() : db().RES.RESOURCE.str();
    entry_->setText(QString::fromStdString(name_));
    entry_->setModified(false);
    redraw();
}

void ScanWindow::dateAccepted(store::Date date) {
    if (date.isNull()) {
        date_->setValue(reference_);
        return;
    }
    reference_ = date;
    redraw();
}

void ScanWindow::TAKEACCEPTED(QObject* control) {
    if (control == lookup_) {
        lookUp();
    } else if (control == back_ || control == forward_) {
        reference_ = step(kind_, reference_, control == back_ ? -1 : 1);
        date_->setValue(reference_);
        redraw();
    } else if (control == insert_) {
        runBookingForm(store::InsertRecord);
    } else if (control == browse_) {
        framework::callWindow("BROWSEALL", db(), this, store::NoRequest);
        redraw();
    } else if (control == print_) {
        // The sheet of what the window shows, previewed first.
        if (const auto report = printedReport())
            reports::ui::printScanSheet(db(), *report, true, name_, reference_, this);
    } else if (control == export_) {
        const Period period = periodOf(kind_, reference_);
        reports::ui::exportCalendar(db(), group(), name_, period.first, period.last, this);
    } else if (control == close_) {
        reject();
    } else if (control == help_) {
        showHelp();
    }
}

void ScanWindow::TAKEEVENT() {
    if (framework::program().alertSearch) framework::program().alertSearch();
}

void ScanWindow::runBookingForm(int request) {
    const int r = bookingForm()(db(), this, request);
    // A completed form also tells every open scan; this one redraws now, once.
    ownChange_ = r == store::RequestCompleted;
    redraw();
}

void ScanWindow::openBox(int id) {
    const BoxEntry* box = view_->scanLayout().boxOf(id);
    // A box without its entry opens the form with the buffers as they stand.
    if (box) booking::clickOccurrence(db(), box->number, box->date, box->start, box->end);
    runBookingForm(store::ChangeRecord);
}

const std::vector<ScanProcedure>& scanProcedures() {
    static const std::vector<ScanProcedure> all{
        {"SCANSINGLE", ScanKind::ResourceWeek, false},
        {"SCANMONTH", ScanKind::ResourceMonth, true},
        {"SCANGROUP", ScanKind::GroupDay, false},
        {"SCANGROUPWEEK", ScanKind::GroupWeek, true},
        {"SCANGROUPMONTH", ScanKind::GroupMonth, false},
        {"SCANFREE", ScanKind::GroupFree, false},
        {"SCANPOOLED", ScanKind::PooledResource, true},
    };
    return all;
}

void runScan(store::Store& db, ScanKind kind, QWidget* parent) {
    for (const ScanProcedure& p : scanProcedures()) {
        if (p.kind != kind) continue;
        auto* w = new ScanWindow(db, kind, parent);
        if (p.started) {
            w->START();
        } else {
            w->setAttribute(Qt::WA_DeleteOnClose, false);
            w->CALL();
            delete w;
        }
        return;
    }
}

void registerWindows() {
    for (const ScanProcedure& p : scanProcedures()) {
        const ScanKind kind = p.kind;
        framework::defineWindow(p.name, [kind](store::Store& db, QWidget* frame, int) {
            runScan(db, kind, frame);
            return int(store::RequestCompleted);
        });
    }
    registerFreeTime();
    registerBrowses();
}

}  // namespace scan::ui
