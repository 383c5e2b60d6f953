#include "scan/ui/free_time_window.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "booking/booking_form.h"
#include "booking/ui/booking_window.h"
#include "framework/date_time_entry.h"
#include "framework/program.h"
#include "masterdata/group_save.h"
#include "masterdata/tag_lists.h"
#include "masterdata/ui/lookup_cal.h"
#include "masterdata/ui/window_words.h"
#include "masterdata/ui/windows.h"
#include "scan/scans.h"
#include "store/questions.h"
#include "store/session.h"
#include "store/store.h"

namespace scan::ui {

using masterdata::ui::words;
using store::Tbl;

namespace {

constexpr int kUnitsColumn = 1;

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

}  // namespace

std::function<int(store::Store&, QWidget*, const std::vector<WantedResource>&, const FreePeriod&,
                  store::Length)>&
FindFreeTime::bookingForm() {
    static std::function<int(store::Store&, QWidget*, const std::vector<WantedResource>&,
                             const FreePeriod&, store::Length)>
        form = [](store::Store& db, QWidget* parent, const std::vector<WantedResource>& wanted,
                  const FreePeriod& p, store::Length length) {
            store::session().GlobalRequest = store::InsertRecord;
            return booking::ui::UPDATEACT(db, parent, [&](booking::BookingForm& f) {
                std::vector<std::pair<std::string, int>> chosen;
                for (const WantedResource& r : wanted) chosen.push_back({r.resource, r.capacity});
                // The units of pooled resources are the ones the search looked for.
                auto ask = f.UPDATEUNITS;
                f.UPDATEUNITS = [&wanted](const std::string& code, int) {
                    for (const WantedResource& r : wanted)
                        if (r.resource == code) return r.units;
                    return 1;
                };
                f.insertResources(chosen);
                f.UPDATEUNITS = ask;
                f.date = p.date;
                f.durationAccepted(length.value);
                f.startAccepted(p.typedStart.value);
            });
        };
    return form;
}

FindFreeTime::FindFreeTime(store::Store& db, QWidget* parent)
    : WindowProcedure(db, "FINDFREETIME", parent) {
    helpTopic = "~Find_Free_Time_Window";
    placementSection = "FINDFREETIME";
    useTables({Tbl::RESOURCE, Tbl::GROUP, Tbl::GROUPRES, Tbl::RESACT, Tbl::DATES, Tbl::SPECIAL});
    words_ = booking::Words::of(db.SYP);
    build();
}

void FindFreeTime::build() {
    setWindowTitle(words("Find Free Time"));
    resources_ = new QTreeWidget(this);
    resources_->setColumnCount(2);
    resources_->setHeaderLabels({q(words_.resource), words("Units wanted")});
    resources_->setRootIsDecorated(false);
    resources_->setToolTip(
        words("The %1 that must all be free; double-click the units of a pooled one to change "
              "them",
              words_.resources, true));
    resources_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    resources_->header()->setSectionResizeMode(kUnitsColumn, QHeaderView::ResizeToContents);
    resources_->setMinimumHeight(resources_->fontMetrics().height() * 6);
    addResource_ = new QPushButton(words("Add %1...", words_.resources), this);
    addGroup_ = new QPushButton(words("Add group..."), this);
    remove_ = new QPushButton(words("Remove"), this);
    auto* listButtons = new QVBoxLayout;
    for (QPushButton* b : {addResource_, addGroup_, remove_}) listButtons->addWidget(b);
    listButtons->addStretch(1);
    auto* listRow = new QHBoxLayout;
    listRow->addWidget(resources_, 1);
    listRow->addLayout(listButtons);

    const store::USERPREF& usp = db().USP;
    length_ = new framework::TimeEntry(this);
    length_->setValue(store::Time(usp.DURATION ? usp.DURATION : store::Length::fromHours(1).value));
    length_->setToolTip(words("How long the %1 is to be (hh:mm)", words_.booking, true));
    from_ = new framework::DateEntry(this);
    from_->setValue(store::today());
    to_ = new framework::DateEntry(this);
    to_->setValue(store::today() + 6);
    dayStart_ = new framework::TimeEntry(this);
    dayStart_->setValue(
        store::Time(usp.BEGINDAY ? usp.BEGINDAY : store::Time::fromHMS(8, 0).value));
    dayEnd_ = new framework::TimeEntry(this);
    dayEnd_->setValue(store::Time(usp.ENDDAY ? usp.ENDDAY : store::Time::fromHMS(18, 0).value));
    weekends_ = new QCheckBox(words("Saturdays and Sundays count"), this);
    specials_ = new QCheckBox(words("Special days count"), this);

    auto* form = new QFormLayout;
    form->addRow(words("Length:"), length_);
    auto* period = new QHBoxLayout;
    period->addWidget(from_);
    period->addWidget(masterdata::ui::calButton(from_, this));
    period->addWidget(new QLabel(words("to"), this));
    period->addWidget(to_);
    period->addWidget(masterdata::ui::calButton(to_, this));
    form->addRow(words("Between:"), period);
    auto* hours = new QHBoxLayout;
    hours->addWidget(dayStart_);
    hours->addWidget(new QLabel(words("to"), this));
    hours->addWidget(dayEnd_);
    hours->addStretch(1);
    form->addRow(words("Working hours:"), hours);
    auto* days = new QHBoxLayout;
    days->addWidget(weekends_);
    days->addWidget(specials_);
    days->addStretch(1);
    form->addRow(QString(), days);

    search_ = new QPushButton(words("Search"), this);
    search_->setDefault(true);
    results_ = new QTreeWidget(this);
    results_->setColumnCount(3);
    results_->setHeaderLabels({words("Date"), words("From"), words("To")});
    results_->setRootIsDecorated(false);
    results_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    results_->setMinimumHeight(results_->fontMetrics().height() * 8);
    summary_ = new QLabel(this);
    summary_->setObjectName("summary");
    book_ = new QPushButton(words("Book"), this);
    book_->setToolTip(words("Add a new %1 at the highlighted time", words_.booking, true));
    book_->setEnabled(false);
    book_->setAutoDefault(false);
    close_ = new QPushButton(words("Close"), this);
    help_ = new QPushButton(words("Help"), this);
    for (QPushButton* b : {addResource_, addGroup_, remove_, close_, help_})
        b->setAutoDefault(false);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(summary_, 1);
    for (QPushButton* b : {book_, close_, help_}) bottom->addWidget(b);
    auto* main = new QVBoxLayout(this);
    main->addLayout(listRow);
    main->addLayout(form);
    auto* searchRow = new QHBoxLayout;
    searchRow->addStretch(1);
    searchRow->addWidget(search_);
    main->addLayout(searchRow);
    main->addWidget(results_, 1);
    main->addLayout(bottom);

    for (QPushButton* b : {addResource_, addGroup_, remove_, search_, book_, close_, help_})
        accepted(b);
    connect(results_, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* i) { book(results_->indexOfTopLevelItem(i)); });
    connect(results_, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* i) { book_->setEnabled(i != nullptr); });
    setTabOrder(resources_, addResource_);
    setTabOrder(addResource_, addGroup_);
    setTabOrder(addGroup_, remove_);
    setTabOrder(remove_, length_);
    resize(sizeHint().expandedTo(QSize(520, 560)));
}

bool FindFreeTime::INIT() {
    if (!WindowProcedure::INIT()) return false;
    resources_->setFocus();
    return true;
}

FreeTimeQuestion FindFreeTime::question() const {
    FreeTimeQuestion fq;
    for (int i = 0; i < resources_->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = resources_->topLevelItem(i);
        WantedResource r;
        r.resource = item->text(0).toStdString();
        r.capacity = item->data(0, Qt::UserRole).toInt();
        bool ok = false;
        r.units = item->text(kUnitsColumn).toInt(&ok);
        if (!ok) r.units = 0;
        fq.resources.push_back(r);
    }
    fq.length = store::Length(length_->stored());
    fq.first = from_->value();
    fq.last = to_->value();
    fq.dayStart = dayStart_->value();
    fq.dayEnd = dayEnd_->value();
    fq.weekends = weekends_->isChecked();
    fq.specialDays = specials_->isChecked();
    return fq;
}

void FindFreeTime::addResources(const std::vector<WantedResource>& add) {
    for (const WantedResource& r : add) {
        if (!resources_->findItems(q(r.resource), Qt::MatchFixedString | Qt::MatchCaseSensitive)
                 .isEmpty())
            continue;
        auto* item = new QTreeWidgetItem(resources_, {q(r.resource), QString::number(r.units)});
        item->setData(0, Qt::UserRole, r.capacity);
        // Units are asked only of a pooled resource: a single one is wanted whole.
        if (r.capacity > 1) item->setFlags(item->flags() | Qt::ItemIsEditable);
    }
}

void FindFreeTime::addChosen() {
    masterdata::resourceTags().clear();
    if (framework::callWindow("BROWSERESOURCEM", db(), this, store::SelectRecord) ==
        store::RequestCompleted) {
        std::vector<WantedResource> add;
        for (const masterdata::TaggedResource& t : masterdata::resourceTags())
            add.push_back({t.resource, 1, t.units});
        addResources(add);
    }
    masterdata::resourceTags().clear();
}

void FindFreeTime::addGroup() {
    if (framework::callWindow("BROWSEGROUPS", db(), this, store::SelectRecord) !=
        store::RequestCompleted)
        return;
    std::vector<WantedResource> add;
    for (const std::string& m : masterdata::groupMembers(db(), db().GRO.GROUP.str()))
        add.push_back({m, 1, std::max(resourceUnits(db(), m), 1)});
    addResources(add);
}

void FindFreeTime::refuse(const QString& text) {
    store::questions().message(windowTitle().toStdString(), text.toStdString(),
                               store::Icon::Exclamation, store::BUTTON_OK, store::BUTTON_OK);
}

bool FindFreeTime::search() {
    results_->clear();
    found_.clear();
    book_->setEnabled(false);
    summary_->clear();
    for (framework::DateEntry* d : {from_, to_})
        if (!d->checkInput(true)) return false;
    for (framework::TimeEntry* t : {length_, dayStart_, dayEnd_})
        if (!t->checkInput(true)) return false;
    const FreeTimeQuestion fq = question();
    if (fq.resources.empty()) {
        refuse(words("Choose at least one %1.", words_.resource, true));
        addResource_->setFocus();
        return false;
    }
    for (const WantedResource& r : fq.resources)
        if (r.units < 1 || r.units > std::max(r.capacity, 1)) {
            refuse(words("The units wanted of %1 must be between 1 and its %2 units.", r.resource)
                       .replace("%2", QString::number(std::max(r.capacity, 1))));
            return false;
        }
    const std::string problem = freeTimeProblem(fq);
    if (!problem.empty()) {
        refuse(q(problem));
        return false;
    }
    std::string error;
    {
        framework::BusyCursor busy;
        if (!searchFreeTime(db(), fq, found_, error)) {
            refuse(q(error));
            return false;
        }
    }
    for (const FreePeriod& p : found_)
        new QTreeWidgetItem(
            results_, {q(store::longDate(store::Date(p.date))), q(store::shortTime(p.typedStart)),
                       q(store::shortTime(store::Time(p.end)))});
    if (found_.empty()) {
        summary_->setText(words("No free time in this period."));
    } else {
        summary_->setText(
            words("%1 free periods, the earliest first.", std::to_string(found_.size())));
        results_->setCurrentItem(results_->topLevelItem(0));
        results_->setFocus();
    }
    return true;
}

void FindFreeTime::book(int row) {
    if (row < 0 || row >= int(found_.size())) return;
    if (!store::may(store::session().accessLevel, store::Right::Book)) {
        refuse(words("You may look, but not add a %1.", words_.booking, true));
        return;
    }
    const FreeTimeQuestion fq = question();
    if (bookingForm()(db(), this, fq.resources, found_[row], fq.length) == store::RequestCompleted)
        search();  // what was just booked is no longer free
}

void FindFreeTime::TAKEACCEPTED(QObject* control) {
    if (control == addResource_) {
        addChosen();
    } else if (control == addGroup_) {
        addGroup();
    } else if (control == remove_) {
        delete resources_->currentItem();
    } else if (control == search_) {
        search();
    } else if (control == book_) {
        book(results_->indexOfTopLevelItem(results_->currentItem()));
    } else if (control == close_) {
        reject();
    } else if (control == help_) {
        showHelp();
    }
}

void registerFreeTime() {
    framework::defineWindow("FINDFREETIME", [](store::Store& db, QWidget* frame, int) {
        // Started: it may stand open beside the scans while bookings are made.
        auto* w = new FindFreeTime(db, frame);
        w->START();
        return int(store::RequestCompleted);
    });
}

}  // namespace scan::ui
