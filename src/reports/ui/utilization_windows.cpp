#include "reports/ui/utilization_windows.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "framework/date_time_entry.h"
#include "framework/preview_window.h"
#include "framework/program.h"
#include "framework/report_renderer.h"
#include "masterdata/ui/lookup_cal.h"
#include "masterdata/ui/window_words.h"
#include "masterdata/ui/windows.h"
#include "reports/ui/calendar_options_window.h"
#include "reports/ui/printout_windows.h"
#include "scan/scans.h"
#include "store/questions.h"
#include "store/session.h"
#include "store/store.h"

namespace reports::ui {

using masterdata::ui::words;
using store::Tbl;

namespace {

/// The group's bar chart on screen, drawn by the report renderer from the same chart
/// definition as the printed report.
class ChartView : public QWidget {
  public:
    explicit ChartView(QWidget* parent) : QWidget(parent) {
        setMinimumHeight(fontMetrics().height() * 8);
    }
    void setFigures(const GroupUtilization& g, store::LONG dayStart, store::LONG dayEnd) {
        figures_ = g;
        dayStart_ = dayStart;
        dayEnd_ = dayEnd;
        setMinimumHeight(fontMetrics().height() * (3 + 2 * int(g.rows.size())));
        update();
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        if (figures_.rows.empty()) return;
        QPainter p(this);
        const double dpiX = logicalDpiX(), dpiY = logicalDpiY();
        Document doc;
        doc.setup.margins = {};
        doc.setup.paperWidth = int(width() * 1000 / dpiX);
        doc.setup.paperHeight = int(height() * 1000 / dpiY);
        Page& page = doc.newPage();
        utilizationChart(page, {60, 60, doc.setup.paperWidth - 120, doc.setup.paperHeight - 120},
                         figures_, dayStart_, dayEnd_);
        framework::ReportRenderer::paintPage(p, doc, 0, dpiX, dpiY);
    }

  private:
    GroupUtilization figures_;
    store::LONG dayStart_ = 0, dayEnd_ = 0;
};

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

const char* const kSummary[] = {"Work days available:", "Work hours available:", "Work days used:",
                                "Work hours used:",     "% days used:",          "% hours used:",
                                "Total hours used:",    "Work day start:",       "Work day end:"};

}  // namespace

UtilizationWindow::UtilizationWindow(store::Store& db, bool group, QWidget* parent)
    : WindowProcedure(db, group ? "GROUPUTIL" : "RESUTIL", parent), group_(group) {
    helpTopic = group ? "~Resource_Group_Utilization_Window" : "~Resource_Utilization_Window";
    placementSection = group ? "GROUPUTIL" : "RESUTIL";
    useTables({Tbl::DATES, Tbl::RESACT, Tbl::RESOURCE, Tbl::GROUP, Tbl::GROUPRES, Tbl::SPECIAL});
    words_ = booking::Words::of(db.SYP);
    build();
}

void UtilizationWindow::build() {
    setWindowTitle(words(group_ ? "%1 group utilization" : "%1 Utilization", words_.resource));
    actual_ = new QCheckBox(words("Use actual times"), this);
    actual_->setToolTip(words("Use actual times instead of scheduled"));
    // Actual times are offered only where the organisation records them.
    actual_->setVisible(db().SYP.ACTUAL == 1);
    entry_ = new QLineEdit(this);
    entry_->setMaxLength(15);
    entry_->setToolTip(
        words(group_ ? "%1 group to be analysed" : "%1 to be analysed", words_.resource));
    lookup_ = new QPushButton("...", this);
    lookup_->setToolTip(words(group_ ? "Look up %1 group" : "Look up %1", words_.resource));
    lookup_->setMaximumWidth(lookup_->fontMetrics().horizontalAdvance("...") + 16);
    weekends_ = new QCheckBox(words("Include weekends"), this);
    weekends_->setToolTip(words("Include %1 on weekends", words_.bookings, true));
    specials_ = new QCheckBox(words("Include special days"), this);
    specials_->setToolTip(words("Include %1 on special days", words_.bookings, true));
    start_ = new framework::DateEntry(this, framework::DateEntry::Format::Long);
    start_->setToolTip(words("First day of the analysis period"));
    end_ = new framework::DateEntry(this, framework::DateEntry::Format::Long);
    end_->setToolTip(words("Last day of the anaylsis period"));
    const int dateWidth =
        start_->fontMetrics().horizontalAdvance("Wednesday, 30 September 2026") + 16;
    start_->setMinimumWidth(dateWidth);
    end_->setMinimumWidth(dateWidth);
    calculate_ = new QPushButton(words("Calculate"), this);
    calculate_->setToolTip(words("Calculate utilization"));
    calculate_->setDefault(true);
    print_ = new QPushButton(words("Print"), this);
    print_->setToolTip(words("Print utilization analysis"));
    csv_ = new QPushButton(words("Save as CSV..."), this);
    csv_->setToolTip(words("Save the figures as a file a spreadsheet opens"));
    close_ = new QPushButton(words("Close"), this);
    help_ = new QPushButton(words("Help"), this);
    for (QPushButton* b : {lookup_, print_, csv_, close_, help_}) b->setAutoDefault(false);

    auto* form = new QFormLayout;
    auto* codeRow = new QHBoxLayout;
    codeRow->addWidget(entry_);
    codeRow->addWidget(lookup_);
    codeRow->addStretch(1);
    form->addRow(group_ ? words("%1 group:", words_.resource) : q(words_.resource + ":"), codeRow);
    if (db().SYP.ACTUAL == 1) form->addRow(QString(), actual_);
    form->addRow(QString(), weekends_);
    form->addRow(QString(), specials_);
    auto* startRow = new QHBoxLayout;
    startRow->addWidget(start_);
    startRow->addWidget(masterdata::ui::calButton(start_, this));
    auto* endRow = new QHBoxLayout;
    endRow->addWidget(end_);
    endRow->addWidget(masterdata::ui::calButton(end_, this));
    form->addRow(words("Start Date"), startRow);
    form->addRow(words("End Date"), endRow);

    auto* summaryBox = new QGroupBox(words("Summary"), this);
    auto* summary = new QFormLayout(summaryBox);
    for (const char* label : kSummary) {
        auto* value = new QLabel(summaryBox);
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        value->setMinimumWidth(value->fontMetrics().horizontalAdvance("000000") + 8);
        value->setFrameShape(QFrame::StyledPanel);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        summary->addRow(words(label), value);
        summary_.push_back({words(label), value});
    }
    auto* figures = new QHBoxLayout;
    figures->addWidget(summaryBox);
    if (group_) {
        auto* detailBox = new QGroupBox(words("Detail"), this);
        auto* detailLayout = new QVBoxLayout(detailBox);
        detail_ = new QTreeWidget(detailBox);
        detail_->setColumnCount(4);
        detail_->setHeaderLabels(
            {q(words_.resource), words("Total hours"), words("Work hours"), words("% Util.")});
        detail_->setRootIsDecorated(false);
        detail_->header()->setStretchLastSection(false);
        detail_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
        for (int c = 1; c < 4; ++c)
            detail_->header()->setSectionResizeMode(c, QHeaderView::ResizeToContents);
        detail_->setMinimumWidth(detail_->fontMetrics().horizontalAdvance(QString(46, 'x')));
        detailLayout->addWidget(detail_);
        chart_ = new ChartView(detailBox);
        detailLayout->addWidget(chart_, 1);
        figures->addWidget(detailBox, 1);
    }

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* b : {calculate_, print_, csv_, close_, help_}) {
        buttons->addWidget(b);
        accepted(b);
    }
    accepted(lookup_);
    auto* main = new QVBoxLayout(this);
    main->addLayout(form);
    main->addLayout(figures, 1);
    main->addLayout(buttons);

    connect(entry_, &QLineEdit::editingFinished, this, [this] {
        if (entry_->isModified()) acceptEntry(false);
    });
    for (QLineEdit* e : {entry_, static_cast<QLineEdit*>(start_), static_cast<QLineEdit*>(end_)})
        connect(e, &QLineEdit::textChanged, this, [this] { CONTROLPROP(); });
    setTabOrder(actual_, entry_);
    setTabOrder(entry_, lookup_);
    setTabOrder(lookup_, weekends_);
    setTabOrder(weekends_, specials_);
    setTabOrder(specials_, start_);
    CONTROLPROP();
}

bool UtilizationWindow::INIT() {
    if (!WindowProcedure::INIT()) return false;
    setTimer(30 * 1000);
    entry_->setFocus();
    return true;
}

void UtilizationWindow::CONTROLPROP() {
    const bool ready =
        !entry_->text().trimmed().isEmpty() &&
        !framework::DateEntry::parse(start_->text(), framework::DateEntry::Format::Long).isNull() &&
        !framework::DateEntry::parse(end_->text(), framework::DateEntry::Format::Long).isNull();
    calculate_->setEnabled(ready);
    print_->setEnabled(ready);
    csv_->setEnabled(ready);
}

void UtilizationWindow::acceptEntry(bool lookUp) {
    entry_->setModified(false);
    const std::string typed = entry_->text().trimmed().toStdString();
    std::string found;
    if (!lookUp && typed.empty()) return;
    if (!lookUp) found = group_ ? scan::findGroup(db(), typed) : scan::findResource(db(), typed);
    if (found.empty()) {
        if (framework::callWindow(group_ ? "BROWSEGROUPS" : "BROWSERESOURCE", db(), this,
                                  store::SelectRecord) != store::RequestCompleted) {
            entry_->setFocus();
            return;
        }
        found = group_ ? db().GRO.GROUP.str() : db().RES.RESOURCE.str();
    }
    entry_->setText(q(found));
    entry_->setModified(false);
    CONTROLPROP();
}

UtilizationQuestion UtilizationWindow::question() {
    UtilizationQuestion u;
    u.first = start_->value();
    u.last = end_->value();
    u.dayStart = db().USP.BEGINDAY;
    u.dayEnd = db().USP.ENDDAY;
    u.actual = db().SYP.ACTUAL == 1 && actual_->isChecked();
    u.weekends = weekends_->isChecked();
    u.specialDays = specials_->isChecked();
    return u;
}

bool UtilizationWindow::calculate() {
    for (framework::DateEntry* d : {start_, end_})
        if (!d->checkInput(true)) return false;
    const UtilizationQuestion u = question();
    if (u.last < u.first) {
        masterdata::ui::refusal(windowTitle(),
                                words("The end date must not be before the start date."));
        end_->setFocus();
        return false;
    }
    const std::string code = entry_->text().trimmed().toStdString();
    std::string error;
    framework::BusyCursor busy;
    if (group_) {
        GroupUtilization g;
        if (!groupUtilization(db(), u, code, HourRounding::Nearest, g, error)) {
            masterdata::ui::refusal(windowTitle(), q(error));
            return false;
        }
        group_figures_ = g;
        show(g);
    } else {
        ResourceUtilization r;
        if (!resourceUtilization(db(), u, code, r, error)) {
            masterdata::ui::refusal(windowTitle(), q(error));
            return false;
        }
        resource_ = r;
        show(r);
    }
    asked_ = u;
    calculated_ = true;
    return true;
}

void UtilizationWindow::show(const ResourceUtilization& r) {
    const long long values[] = {r.workdaysAvail,      r.workdayHoursAvail, r.workdaysBooked,
                                r.workdayHoursBooked, r.percentDays,       r.percentHours,
                                r.totalBookedHours};
    for (int i = 0; i < 7; ++i) summary_[i].second->setText(QString::number(values[i]));
    summary_[7].second->setText(q(store::shortTime(store::Time(db().USP.BEGINDAY))));
    summary_[8].second->setText(q(store::shortTime(store::Time(db().USP.ENDDAY))));
}

void UtilizationWindow::show(const GroupUtilization& g) {
    const long long values[] = {g.workdaysGroupAvail, g.workdayHoursAvail, g.workdaysBooked,
                                g.workdayHoursBooked, g.percentDays,       g.percentHours,
                                g.totalBookedHours};
    for (int i = 0; i < 7; ++i) summary_[i].second->setText(QString::number(values[i]));
    summary_[7].second->setText(q(store::shortTime(store::Time(db().USP.BEGINDAY))));
    summary_[8].second->setText(q(store::shortTime(store::Time(db().USP.ENDDAY))));
    static_cast<ChartView*>(chart_)->setFigures(g, db().USP.BEGINDAY, db().USP.ENDDAY);
    detail_->clear();
    for (const GroupRow& row : g.rows) {
        auto* item = new QTreeWidgetItem(
            detail_, {q(row.resource), QString::number(row.totalHours),
                      QString::number(row.workHours), QString::number(row.percent)});
        for (int c = 1; c < 4; ++c) item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
    }
}

UtilizationHeading UtilizationWindow::heading() {
    return {entry_->text().trimmed().toStdString(), words_.resource, db().SYP.BEGINDAY,
            db().SYP.ENDDAY};
}

reports::Document UtilizationWindow::document() {
    if (!group_) return RESUTILRPT(asked_, heading(), resource_);
    // The printed group report drops the fractions of the rows' hours where the window
    // rounds them.
    GroupUtilization printed;
    std::string error;
    if (!groupUtilization(db(), asked_, heading().name, HourRounding::Truncated, printed, error))
        printed = group_figures_;
    return GROUPUTILRPT(asked_, heading(), printed);
}

std::string UtilizationWindow::csv() {
    return group_ ? utilizationCsv(heading(), group_figures_)
                  : utilizationCsv(heading(), resource_);
}

QString UtilizationWindow::summary(const QString& label) const {
    for (const auto& [l, value] : summary_)
        if (l == label) return value->text();
    return {};
}

void UtilizationWindow::TAKEACCEPTED(QObject* control) {
    if (control == lookup_) {
        acceptEntry(true);
    } else if (control == calculate_) {
        calculate();
    } else if (control == print_) {
        if (calculate()) framework::PreviewWindow::run(document(), framework::program().ini, this);
    } else if (control == csv_) {
        if (calculate()) framework::saveCsvFile(entry_->text().toStdString(), csv());
    } else if (control == close_) {
        reject();
    } else if (control == help_) {
        showHelp();
    }
}

void UtilizationWindow::TAKEEVENT() {
    if (framework::program().alertSearch) framework::program().alertSearch();
}

void registerWindows() {
    definePrintouts();
    // Started: both may stand open beside the rest of the program.
    framework::defineWindow("RESUTIL", [](store::Store& db, QWidget* frame, int) {
        (new UtilizationWindow(db, false, frame))->START();
        return int(store::RequestCompleted);
    });
    framework::defineWindow("GROUPUTIL", [](store::Store& db, QWidget* frame, int) {
        (new UtilizationWindow(db, true, frame))->START();
        return int(store::RequestCompleted);
    });
    // Started too: it stays open so that several calendars can be printed in turn.
    framework::defineWindow("CALENDARMAIN", [](store::Store& db, QWidget* frame, int) {
        (new CalendarOptionsWindow(db, frame))->START();
        return int(store::RequestCompleted);
    });
}

}  // namespace reports::ui
