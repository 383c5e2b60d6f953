#include "reports/ui/calendar_options_window.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "framework/date_time_entry.h"
#include "framework/program.h"
#include "framework/report_renderer.h"
#include "masterdata/ui/lookup_cal.h"
#include "masterdata/ui/window_words.h"
#include "masterdata/ui/windows.h"
#include "reports/ui/listing_windows.h"
#include "reports/ui/scan_reports.h"
#include "scan/booking_lists.h"
#include "scan/scans.h"
#include "store/session.h"
#include "store/store.h"

namespace reports::ui {

using masterdata::ui::words;
using store::Tbl;
using C = CalendarChoice;

namespace {

const char* const kFormats[] = {"",
                                "Day",
                                "Day by resources",
                                "Week",
                                "Flexible period",
                                "Scan group (day)",
                                "Scan group (week)",
                                "Scan single (week)",
                                "Scan single (month)"};

/// The look-up window of a covering's entry and the buffer it leaves its choice in.
const char* lookupOf(int covering) {
    switch (covering) {
        case C::OneResource:
            return "BROWSERESOURCE";
        case C::ResourceGroup:
            return "BROWSEGROUPS";
        default:
            break;
    }
    return "BROWSECLIENT";
}

}  // namespace

std::function<void(store::Store&, const CalendarReport&, QWidget*)>&
CalendarOptionsWindow::runReport() {
    static std::function<void(store::Store&, const CalendarReport&, QWidget*)> run =
        runCalendarReport;
    return run;
}

CalendarOptionsWindow::CalendarOptionsWindow(store::Store& db, QWidget* parent)
    : WindowProcedure(db, "CALENDARMAIN", parent) {
    helpTopic = "~Calendar_Options_Window";
    placementSection = "CALENDARMAIN";
    useTables({Tbl::RESOURCE, Tbl::GROUP, Tbl::CLIENT});
    words_ = booking::Words::of(db.SYP);
    build();
}

void CalendarOptionsWindow::build() {
    setWindowTitle(words("Calendar Options"));

    auto* formatBox = new QGroupBox(words("Period/format"), this);
    auto* formatGrid = new QGridLayout(formatBox);
    for (int f = C::Day; f <= C::ScanSingleMonth; ++f) {
        formats_[f] = new QRadioButton(words(kFormats[f]), formatBox);
        formatGrid->addWidget(formats_[f], (f - 1) % 4, (f - 1) / 4);
        connect(formats_[f], &QRadioButton::toggled, this, [this, f](bool on) {
            if (on && !updating_) formatChosen(f);
        });
    }

    auto* coverBox = new QGroupBox(words("Calendar covers"), this);
    auto* coverColumn = new QVBoxLayout(coverBox);
    const QString coverTexts[] = {
        QString(),
        words("All %1", words_.resources, true),
        words("One %1", words_.resource, true),
        words("%1 group", words_.resource),
        words("One %1", words_.client, true),
    };
    const QString prompts[] = {QString(), QString::fromStdString(words_.resource + ":"),
                               words("%1 group:", words_.resource),
                               QString::fromStdString(words_.client + ":")};
    for (int c = C::AllResources; c <= C::Client; ++c) {
        coverings_[c] = new QRadioButton(coverTexts[c], coverBox);
        coverColumn->addWidget(coverings_[c]);
        connect(coverings_[c], &QRadioButton::toggled, this, [this, c](bool on) {
            if (on && !updating_) coveringChosen(c);
        });
    }
    // One page per covering, the first empty: the box keeps the size of the widest, so
    // that choosing a covering never resizes the window.
    entryPages_ = new QStackedWidget(coverBox);
    entryPages_->addWidget(new QWidget(entryPages_));
    for (int c = C::OneResource; c <= C::Client; ++c) {
        auto* page = new QWidget(entryPages_);
        auto* entryRow = new QHBoxLayout(page);
        entryRow->setContentsMargins(0, 0, 0, 0);
        prompts_[c] = new QLabel(prompts[c - 1], page);
        entries_[c] = new QLineEdit(page);
        entries_[c]->setMaxLength(c == C::Client ? 30 : 15);
        entries_[c]->setMinimumWidth(
            entries_[c]->fontMetrics().horizontalAdvance(QString(16, 'M')));
        prompts_[c]->setBuddy(entries_[c]);
        lookups_[c] = new QPushButton("...", page);
        lookups_[c]->setAutoDefault(false);
        lookups_[c]->setMaximumWidth(lookups_[c]->fontMetrics().horizontalAdvance("...") + 16);
        lookups_[c]->setToolTip(c == C::OneResource     ? words("Look up %1", words_.resource)
                                : c == C::ResourceGroup ? words("Look up group")
                                                        : words("Look up %1", words_.client));
        entryRow->addWidget(prompts_[c]);
        entryRow->addWidget(entries_[c], 1);
        entryRow->addWidget(lookups_[c]);
        entryPages_->addWidget(page);
        accepted(lookups_[c]);
        connect(entries_[c], &QLineEdit::textChanged, this, [this] { refresh(); });
        connect(entries_[c], &QLineEdit::editingFinished, this, [this, c] {
            if (entries_[c]->isModified()) acceptEntry(c);
        });
        connect(entries_[c], &QLineEdit::returnPressed, this, [this, c] { acceptEntry(c); });
    }
    coverColumn->addWidget(entryPages_);

    startPrompt_ = new QLabel(this);
    start_ = new framework::DateEntry(this, framework::DateEntry::Format::Long);
    start_->setToolTip(words("First day covered by calendar"));
    startPrompt_->setBuddy(start_);
    startCal_ = masterdata::ui::calButton(start_, this);
    endPrompt_ = new QLabel(words("End date:"), this);
    end_ = new framework::DateEntry(this, framework::DateEntry::Format::Long);
    end_->setToolTip(words("Last day covered by calendar"));
    endPrompt_->setBuddy(end_);
    endCal_ = masterdata::ui::calButton(end_, this);
    const int dateWidth =
        start_->fontMetrics().horizontalAdvance("Wednesday, 30 September 2026") + 16;
    start_->setMinimumWidth(dateWidth);
    end_->setMinimumWidth(dateWidth);
    for (framework::DateEntry* e : {start_, end_}) {
        connect(e, &QLineEdit::textChanged, this, [this] { refresh(); });
        connect(e, &framework::DateEntry::valueAccepted, this, [this] { refresh(); });
    }
    // The prompt shows the widest of its captions, so that a change of format never moves
    // the date entry.
    int promptWidth = 0;
    for (const char* t : {"Start date:", "Week includes:", "Month includes:", "End date:"})
        promptWidth =
            std::max(promptWidth, startPrompt_->fontMetrics().horizontalAdvance(words(t)));
    startPrompt_->setMinimumWidth(promptWidth + 4);
    endPrompt_->setMinimumWidth(promptWidth + 4);
    auto* dates = new QGridLayout;
    dates->addWidget(startPrompt_, 0, 0);
    dates->addWidget(start_, 0, 1);
    dates->addWidget(startCal_, 0, 2);
    dates->addWidget(endPrompt_, 1, 0);
    dates->addWidget(end_, 1, 1);
    dates->addWidget(endCal_, 1, 2);
    dates->setColumnStretch(3, 1);
    // The end date's row keeps its room while hidden, so the window keeps its size.
    for (QWidget* w : {static_cast<QWidget*>(endPrompt_), static_cast<QWidget*>(end_),
                       static_cast<QWidget*>(endCal_)}) {
        QSizePolicy policy = w->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        w->setSizePolicy(policy);
    }

    notes_ = new QCheckBox(words("Include notes"), this);
    notes_->setToolTip(words("Print %1 notes with the calendar", words_.booking, true));
    preview_ = new QCheckBox(words("Preview"), this);
    preview_->setToolTip(words("Show the calendar on screen before printing"));
    auto* copiesPrompt = new QLabel(words("No. of copies"), this);
    copies_ = new QSpinBox(this);
    copies_->setRange(1, 99);
    copiesPrompt->setBuddy(copies_);
    for (QCheckBox* b : {notes_, preview_})
        connect(b, &QCheckBox::toggled, this, [this] { refresh(); });
    connect(copies_, &QSpinBox::valueChanged, this, [this] { refresh(); });
    auto* flags = new QHBoxLayout;
    flags->addWidget(notes_);
    flags->addSpacing(12);
    flags->addWidget(preview_);
    flags->addSpacing(12);
    flags->addWidget(copiesPrompt);
    flags->addWidget(copies_);
    flags->addStretch(1);

    print_ = new QPushButton(words("Print"), this);
    print_->setToolTip(words("Print the calendar"));
    setup_ = new QPushButton(words("Set up"), this);
    setup_->setToolTip(words("Choose the printer"));
    close_ = new QPushButton(words("Close"), this);
    help_ = new QPushButton(words("Help"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* b : {print_, setup_, close_, help_}) {
        // Enter never prints by itself: every calendar is started with "Print".
        b->setAutoDefault(false);
        buttons->addWidget(b);
        accepted(b);
    }

    auto* top = new QHBoxLayout;
    top->addWidget(formatBox);
    top->addWidget(coverBox, 1);
    auto* main = new QVBoxLayout(this);
    main->addLayout(top);
    main->addLayout(dates);
    main->addLayout(flags);
    main->addStretch(1);
    main->addLayout(buttons);

    // Tab order: formats, coverings and the entry, the dates, the flags, the buttons.
    QWidget* order[] = {formats_[1],   formats_[2],   formats_[3], formats_[4],   formats_[5],
                        formats_[6],   formats_[7],   formats_[8], coverings_[1], coverings_[2],
                        coverings_[3], coverings_[4], entries_[2], lookups_[2],   entries_[3],
                        lookups_[3],   entries_[4],   lookups_[4], start_,        startCal_,
                        end_,          endCal_,       notes_,      preview_,      copies_,
                        print_,        setup_,        close_,      help_};
    for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

    // The initial choices; each control read back refreshes the choice, so they are set
    // from a copy.
    const CalendarChoice initial = choice_;
    updating_ = true;
    formats_[initial.format]->setChecked(true);
    coverings_[initial.covering]->setChecked(true);
    start_->setValue(initial.start);
    notes_->setChecked(initial.notes);
    preview_->setChecked(initial.preview);
    copies_->setValue(initial.copies);
    updating_ = false;
    formatChosen(initial.format);
}

bool CalendarOptionsWindow::INIT() {
    if (!WindowProcedure::INIT()) return false;
    setTimer(30 * 1000);
    formats_[choice_.format]->setFocus();
    return true;
}

void CalendarOptionsWindow::formatChosen(int format) {
    choice_.format = format;
    const FormatRules rules = formatRules(format);
    updating_ = true;
    for (int c = C::AllResources; c <= C::Client; ++c)
        coverings_[c]->setEnabled(rules.coverings[c]);
    const int covering = coveringAfter(format, choice_.covering);
    coverings_[covering]->setChecked(true);
    updating_ = false;
    startPrompt_->setText(words(rules.dateCaption));
    endPrompt_->setVisible(rules.endShown);
    end_->setVisible(rules.endShown);
    endCal_->setVisible(rules.endShown);
    coveringChosen(covering);
}

void CalendarOptionsWindow::coveringChosen(int covering) {
    choice_.covering = covering;
    entryPages_->setCurrentIndex(covering - 1);
    refresh();
}

void CalendarOptionsWindow::refresh() {
    choice_.resource = entries_[C::OneResource]->text().trimmed().toStdString();
    choice_.group = entries_[C::ResourceGroup]->text().trimmed().toStdString();
    choice_.client = entries_[C::Client]->text().trimmed().toStdString();
    choice_.start = framework::DateEntry::parse(start_->text(), framework::DateEntry::Format::Long);
    choice_.end = framework::DateEntry::parse(end_->text(), framework::DateEntry::Format::Long);
    choice_.notes = notes_->isChecked();
    choice_.preview = preview_->isChecked();
    choice_.copies = copies_->value();
    print_->setEnabled(canPrint(choice_));
}

bool CalendarOptionsWindow::acceptEntry(int covering) {
    QLineEdit* e = entries_[covering];
    e->setModified(false);
    const std::string typed = e->text().trimmed().toStdString();
    if (typed.empty()) return false;
    const std::string found = covering == C::OneResource     ? scan::findResource(db(), typed)
                              : covering == C::ResourceGroup ? scan::findGroup(db(), typed)
                                                             : scan::findClient(db(), typed);
    if (found.empty()) return lookUp(covering);
    e->setText(QString::fromStdString(found));
    return true;
}

bool CalendarOptionsWindow::lookUp(int covering) {
    const int r = framework::callWindow(lookupOf(covering), db(), this, store::SelectRecord);
    if (r != store::RequestCompleted) {
        // A cancelled look-up returns to the entry as it was typed.
        entries_[covering]->setFocus();
        return false;
    }
    const std::string chosen = covering == C::OneResource     ? db().RES.RESOURCE.str()
                               : covering == C::ResourceGroup ? db().GRO.GROUP.str()
                                                              : db().CLI.CLIENT.str();
    entries_[covering]->setText(QString::fromStdString(chosen));
    entries_[covering]->setModified(false);
    return true;
}

void CalendarOptionsWindow::print() {
    refresh();
    // A value typed and not yet checked against its table is checked before it prints.
    if (choice_.covering != C::AllResources && !acceptEntry(choice_.covering)) return;
    refresh();
    const std::optional<CalendarReport> report =
        calendarReport(choice_, words_, db().USP.WEEKEND == 1);
    if (!report) return;
    // With the preview the report shows once and prints from there as many copies as
    // asked; without, it prints once per copy.
    QPrinter& printer = framework::programPrinter();
    printer.setCopyCount(choice_.preview ? choice_.copies : 1);
    for (int i = 0; i < report->runs; ++i) runReport()(db(), *report, this);
    printer.setCopyCount(1);
    copies_->setValue(1);
}

void CalendarOptionsWindow::TAKEACCEPTED(QObject* control) {
    for (int c = C::OneResource; c <= C::Client; ++c)
        if (control == lookups_[c]) {
            lookUp(c);
            return;
        }
    if (control == print_) {
        print();
    } else if (control == setup_) {
        QPrintDialog dialog(&framework::programPrinter(), this);
        dialog.setWindowTitle(words("Print setup"));
        dialog.exec();
    } else if (control == close_) {
        reject();
    } else if (control == help_) {
        showHelp();
    }
}

void CalendarOptionsWindow::TAKEEVENT() {
    if (framework::program().alertSearch) framework::program().alertSearch();
}

void runCalendarReport(store::Store& db, const CalendarReport& r, QWidget* parent) {
    switch (r.procedure) {
        case CalendarReport::DAYPORT:
            DAYPORT(db, r.notes, r.preview, r.covering, r.first, r.text, parent);
            break;
        case CalendarReport::DAYRESRPT:
            DAYRESRPT(db, r.notes, r.preview, r.first, parent);
            break;
        case CalendarReport::DAYRESGRPRPT:
            DAYRESGRPRPT(db, r.notes, r.preview, r.name, r.first, parent);
            break;
        case CalendarReport::WEEKPORT:
            WEEKPORT(db, r.notes, r.preview, r.covering, r.first, r.text, parent);
            break;
        case CalendarReport::FLEXPER:
            FLEXPER(db, r.notes, r.preview, r.covering, r.first, r.last, r.text, parent);
            break;
        case CalendarReport::Scan:
            printScanSheet(db, r.scan, r.preview, r.name, r.first, parent);
            break;
    }
}

}  // namespace reports::ui
