#include "scan/ui/bookings_browse.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "booking/booking_form.h"
#include "booking/ui/booking_window.h"
#include "booking/ui/delete_windows.h"
#include "framework/booking_changes.h"
#include "framework/browse.h"
#include "framework/date_time_entry.h"
#include "framework/program.h"
#include "masterdata/ui/lookup_cal.h"
#include "masterdata/ui/window_words.h"
#include "masterdata/ui/windows.h"
#include "reports/ui/listing_windows.h"
#include "scan/scans.h"
#include "store/file_manager.h"
#include "store/record_image.h"
#include "store/session.h"
#include "store/store.h"

namespace scan::ui {

using masterdata::ui::words;
using store::Tbl;

namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

QString dayOf(store::LONG date) {
    static const char* const names[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    return words(names[store::Date(date).weekday()]);
}

QTableView* listView(QWidget* parent) {
    auto* v = new QTableView(parent);
    v->setSelectionBehavior(QAbstractItemView::SelectRows);
    v->setSelectionMode(QAbstractItemView::SingleSelection);
    v->verticalHeader()->hide();
    v->verticalHeader()->setDefaultSectionSize(v->fontMetrics().height() + 6);
    v->horizontalHeader()->setStretchLastSection(true);
    v->setAlternatingRowColors(true);
    v->setEditTriggers(QAbstractItemView::NoEditTriggers);
    return v;
}

/// Column widths that show every heading and a typical value whole.
void defaultWidths(QTableView& v, const std::vector<QString>& samples) {
    const QFontMetrics m = v.fontMetrics();
    for (int i = 0; i < int(samples.size()) && i < v.model()->columnCount(); ++i) {
        const QString heading =
            v.model()->headerData(i, Qt::Horizontal, Qt::DisplayRole).toString();
        v.setColumnWidth(
            i, std::max(m.horizontalAdvance(heading), m.horizontalAdvance(samples[i])) + 18);
    }
}

/// A list of a booking's other resources and their units.
QTreeWidget* resourceList(const booking::Words& w, QWidget* parent) {
    auto* list = new QTreeWidget(parent);
    list->setColumnCount(2);
    list->setHeaderLabels({words("Other %1", w.resources), words("Units")});
    list->setRootIsDecorated(false);
    list->header()->setStretchLastSection(false);
    list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    list->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    return list;
}

}  // namespace

// --- OccurrenceModel ------------------------------------------------------------------

OccurrenceModel::OccurrenceModel(const booking::Words& w, QObject* parent)
    : QAbstractTableModel(parent) {
    headings_ = {words("Day"),
                 words("Date"),
                 words("Start"),
                 words("End"),
                 q(w.booking),
                 q(w.client),
                 words("Primary %1", w.resource),
                 words("Units"),
                 words("Number")};
}

void OccurrenceModel::reset(std::unique_ptr<BookingList> source) {
    beginResetModel();
    source_ = std::move(source);
    rows_.clear();
    top_ = 0;
    error_.clear();
    if (source_ && !source_->more(kPage, rows_)) error_ = source_->error();
    endResetModel();
}

const Occurrence* OccurrenceModel::row(int r) const {
    return r >= 0 && r < int(rows_.size()) ? &rows_[r] : nullptr;
}

const booking::ListedBooking* OccurrenceModel::listed(int r) const {
    const Occurrence* o = row(r);
    return o && source_ ? source_->listed(o->number) : nullptr;
}

int OccurrenceModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int OccurrenceModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(headings_.size());
}

QVariant OccurrenceModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(rows_.size())) return {};
    const Occurrence& o = rows_[index.row()];
    if (role == Qt::TextAlignmentRole && (index.column() == 7 || index.column() == 8))
        return int(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole) return {};
    // The day and date stand on the first row of each date, and on the top row shown.
    const bool day = index.row() == top_ || showsDay(rows_, std::size_t(index.row()));
    switch (index.column()) {
        case 0:
            return day ? dayOf(o.date) : QString();
        case 1:
            return day ? q(store::shortDate(store::Date(o.date))) : QString();
        case 2:
            return q(store::shortTime(store::Time(o.start)));
        case 3:
            return q(store::shortTime(store::Time(o.end)));
        case 4:
            return q(o.name);
        case 5:
            return q(o.client);
        case 6:
            return q(o.prime);
        case 7:
            return o.primeUnits;
        case 8:
            return o.number;
    }
    return {};
}

void OccurrenceModel::setTopRow(int row) {
    if (row == top_) return;
    const int was = top_;
    top_ = row;
    for (int r : {was, row})
        if (r >= 0 && r < int(rows_.size())) emit dataChanged(index(r, 0), index(r, 1));
}

QVariant OccurrenceModel::headerData(int section, Qt::Orientation o, int role) const {
    if (o == Qt::Horizontal && role == Qt::DisplayRole && section < headings_.size())
        return headings_[section];
    return QAbstractTableModel::headerData(section, o, role);
}

bool OccurrenceModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && source_ && !source_->atEnd() && error_.empty();
}

void OccurrenceModel::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent)) return;
    std::vector<Occurrence> page;
    if (!source_->more(kPage, page)) error_ = source_->error();
    if (page.empty()) return;
    beginInsertRows({}, int(rows_.size()), int(rows_.size() + page.size()) - 1);
    rows_.insert(rows_.end(), page.begin(), page.end());
    endInsertRows();
}

// --- BROWSEALL --------------------------------------------------------------------------

BROWSEALL::BROWSEALL(store::Store& db, QWidget* parent) : WindowProcedure(db, "BROWSEALL", parent) {
    helpTopic = "~Browse_Bookings_Window";
    placementSection = "BROWSEALL";
    useTables({Tbl::DATES, Tbl::RESACT, Tbl::ACTIVITY, Tbl::GROUPRES, Tbl::RESOURCE, Tbl::CLIENT,
               Tbl::GROUP});
    words_ = booking::Words::of(db.SYP);
    build();
    connect(
        &framework::bookingChanges(), &framework::BookingChanges::changed, this,
        [this] {
            if (std::exchange(ownChange_, false)) return;
            refresh();
        },
        Qt::QueuedConnection);
}

BROWSEALL::~BROWSEALL() = default;

void BROWSEALL::build() {
    setWindowTitle(words("Browse %1", words_.bookings));
    auto* fromLabel = new QLabel(words("Display from:"), this);
    from_ = new framework::DateEntry(this);
    from_->setValue(store::today());
    from_->setToolTip(words("%1 from this date on", words_.bookings));
    fromLabel->setBuddy(from_);
    auto* top = new QHBoxLayout;
    top->addWidget(fromLabel);
    top->addWidget(from_);
    top->addWidget(masterdata::ui::calButton(from_, this));
    top->addStretch(1);

    tabs_ = new QTabWidget(this);
    const QString titles[] = {words("By date"), words("By %1", words_.resource),
                              words("By %1", words_.client), words("By %1 group", words_.resource)};
    const QString prompts[] = {QString(), q(words_.resource + ":"), q(words_.client + ":"),
                               words("Group:")};
    for (int t = 0; t < 4; ++t) {
        auto* page = new QWidget(tabs_);
        auto* layout = new QVBoxLayout(page);
        if (t != ByDate) {
            auto* row = new QHBoxLayout;
            auto* label = new QLabel(prompts[t], page);
            entries_[t] = new QLineEdit(page);
            entries_[t]->setMaxLength(t == ByClient ? 50 : 15);
            entries_[t]->setMinimumWidth(entries_[t]->fontMetrics().horizontalAdvance('M') * 12);
            label->setBuddy(entries_[t]);
            lookups_[t] = new QPushButton("...", page);
            lookups_[t]->setAutoDefault(false);
            lookups_[t]->setMaximumWidth(lookups_[t]->fontMetrics().horizontalAdvance("...") + 16);
            row->addWidget(label);
            row->addWidget(entries_[t]);
            row->addWidget(lookups_[t]);
            row->addStretch(1);
            layout->addLayout(row);
            accepted(lookups_[t]);
            QLineEdit* e = entries_[t];
            connect(e, &QLineEdit::returnPressed, this, [this, t] { acceptEntry(Tab(t), false); });
            connect(e, &QLineEdit::editingFinished, this, [this, t, e] {
                if (e->isModified()) acceptEntry(Tab(t), false);
            });
        }
        views_[t] = listView(page);
        models_[t] = new OccurrenceModel(words_, this);
        views_[t]->setModel(models_[t]);
        defaultWidths(*views_[t], {"Wed", q(store::shortDate(store::Date::fromMDY(12, 30, 2026))),
                                   "00:00", "00:00", QString(22, 'x'), QString(16, 'x'),
                                   QString(8, 'X'), "99", "99999"});
        layout->addWidget(views_[t], 1);
        tabs_->addTab(page, titles[t]);
        connect(views_[t]->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                [this] { RACREFRESH(); });
        QTableView* view = views_[t];
        OccurrenceModel* model = models_[t];
        connect(view->verticalScrollBar(), &QScrollBar::valueChanged, model,
                [view, model] { model->setTopRow(view->rowAt(0)); });
        connect(views_[t], &QTableView::doubleClicked, this, [this] {
            if (edit_->isEnabled()) runForm(store::ChangeRecord);
        });
        connect(models_[t], &QAbstractItemModel::modelReset, this, [this, t] {
            if (models_[t]->rowCount() > 0) views_[t]->selectRow(0);
            BUTTONCONTROL();
            RACREFRESH();
        });
    }
    others_ = resourceList(words_, this);
    others_->setMaximumHeight(others_->fontMetrics().height() * 6);

    insert_ = new QPushButton(words("Insert"), this);
    insert_->setToolTip(words("Add new %1", words_.booking, true));
    edit_ = new QPushButton(words("Edit/View"), this);
    edit_->setToolTip(words("View/change details of highlighted %1", words_.booking, true));
    delete_ = new QPushButton(words("Delete"), this);
    delete_->setToolTip(words("Delete highlighted %1", words_.booking, true));
    print_ = new QPushButton(words("Print"), this);
    print_->setToolTip(words("Print the %1 of this list up to a day", words_.bookings, true));
    close_ = new QPushButton(words("Close"), this);
    help_ = new QPushButton(words("Help"), this);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {insert_, edit_, delete_, print_}) buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(close_);
    buttons->addWidget(help_);
    for (QPushButton* b : {insert_, edit_, delete_, print_, close_, help_}) {
        b->setAutoDefault(false);
        accepted(b);
    }

    auto* main = new QVBoxLayout(this);
    main->addLayout(top);
    main->addWidget(tabs_, 1);
    main->addWidget(others_);
    main->addLayout(buttons);

    connect(from_, &framework::DateEntry::valueAccepted, this, [this](store::Date d) {
        if (d.isNull()) from_->setValue(store::today());
        refresh();
    });
    connect(tabs_, &QTabWidget::currentChanged, this, [this] { refresh(); });
    resize(QSize(views_[0]->horizontalHeader()->length() + 60, 520));
}

std::string BROWSEALL::listKey(Tab t) {
    switch (t) {
        case ByDate:
            return "List";
        case ByResource:
            return db().SYP.OPTIMMANY == 1 ? "List7" : "List:3";
        case ByClient:
            return "List6";
        case ByGroup:
            return "List:5";
    }
    return {};
}

bool BROWSEALL::INIT() {
    if (!WindowProcedure::INIT()) return false;
    for (int t = 0; t < 4; ++t) framework::restoreColumnWidths(*views_[t], listKey(Tab(t)));
    refresh();
    setTimer(30 * 1000);
    views_[ByDate]->setFocus();
    return true;
}

void BROWSEALL::KILL() {
    for (int t = 0; t < 4; ++t) framework::saveColumnWidths(*views_[t], listKey(Tab(t)));
    WindowProcedure::KILL();
}

int BROWSEALL::tab() const {
    return tabs_->currentIndex();
}

void BROWSEALL::setTab(Tab t) {
    tabs_->setCurrentIndex(t);
}

void BROWSEALL::refresh() {
    const Tab t = Tab(tab());
    framework::BusyCursor busy;
    const store::Date from = from_->value().isNull() ? store::today() : from_->value();
    static const BookingList::Kind kinds[] = {BookingList::ByDate, BookingList::ByResource,
                                              BookingList::ByClient, BookingList::ByGroup};
    // A blank resource, client or group leaves its list empty.
    if (t != ByDate && selection_[t].empty())
        models_[t]->reset(nullptr);
    else
        models_[t]->reset(std::make_unique<BookingList>(db(), kinds[t], selection_[t], from));
    if (!models_[t]->error().empty())
        masterdata::ui::refusal(windowTitle(), q(models_[t]->error()));
}

void BROWSEALL::BUTTONCONTROL() {
    const bool any = models_[tab()]->rowCount() > 0;
    const int level = store::session().accessLevel;
    insert_->setEnabled(store::may(level, store::Right::Book));
    edit_->setEnabled(any);
    print_->setEnabled(any);
    delete_->setEnabled(any && store::may(level, store::Right::Book));
}

void BROWSEALL::RACREFRESH() {
    others_->clear();
    const QModelIndex current = views_[tab()]->currentIndex();
    const Occurrence* o = models_[tab()]->row(current.isValid() ? current.row() : -1);
    if (!o) return;
    for (const auto& [resource, units] : scan::otherResources(db(), o->number, o->prime))
        new QTreeWidgetItem(others_, {q(resource), QString::number(units)});
}

void BROWSEALL::acceptEntry(Tab t, bool lookUp) {
    QLineEdit* e = entries_[t];
    e->setModified(false);
    const std::string typed = e->text().trimmed().toStdString();
    std::string found;
    if (!lookUp) {
        if (typed.empty()) {
            selection_[t].clear();
            refresh();
            return;
        }
        found = t == ByResource ? findResource(db(), typed)
                : t == ByClient ? findClient(db(), typed)
                                : findGroup(db(), typed);
    }
    if (found.empty()) {
        const char* list = t == ByResource ? "BROWSERESOURCE"
                           : t == ByClient ? "BROWSECLIENT"
                                           : "BROWSEGROUPS";
        if (framework::callWindow(list, db(), this, store::SelectRecord) !=
            store::RequestCompleted) {
            // A cancelled look-up leaves the typed text, and the list as it was.
            e->setFocus();
            return;
        }
        found = t == ByResource ? db().RES.RESOURCE.str()
                : t == ByClient ? db().CLI.CLIENT.str()
                                : db().GRO.GROUP.str();
    }
    selection_[t] = found;
    e->setText(q(found));
    e->setModified(false);
    refresh();
}

bool BROWSEALL::takeHighlighted() {
    const QModelIndex current = views_[tab()]->currentIndex();
    const Occurrence* o = models_[tab()]->row(current.isValid() ? current.row() : -1);
    if (!o) return false;
    booking::clickOccurrence(db(), o->number, o->date, o->start, o->end);
    return true;
}

void BROWSEALL::runForm(int request) {
    if (request == store::ChangeRecord && !takeHighlighted()) return;
    store::session().GlobalRequest = request;
    const int r = booking::ui::UPDATEACT(db(), this);
    ownChange_ = r == store::RequestCompleted;
    refresh();
}

void BROWSEALL::deleteHighlighted() {
    if (!takeHighlighted()) return;
    // The booking as it was listed: a delete finds out whether another station changed it.
    const QModelIndex current = views_[tab()]->currentIndex();
    const booking::ListedBooking* listed = models_[tab()]->listed(current.row());
    const int r = booking::ui::DELACT(db(), this, listed);
    ownChange_ = r == store::RequestCompleted;
    refresh();
}

void BROWSEALL::TAKEACCEPTED(QObject* control) {
    for (int t = ByResource; t <= ByGroup; ++t)
        if (control == lookups_[t]) return acceptEntry(Tab(t), true);
    if (control == insert_) {
        runForm(store::InsertRecord);
    } else if (control == edit_) {
        runForm(store::ChangeRecord);
    } else if (control == delete_) {
        deleteHighlighted();
    } else if (control == print_) {
        static const BookingList::Kind kinds[] = {BookingList::ByDate, BookingList::ByResource,
                                                  BookingList::ByClient, BookingList::ByGroup};
        const store::Date from = from_->value().isNull() ? store::today() : from_->value();
        reports::ui::printBookingList(db(), kinds[tab()], selection_[tab()], from, this);
        refresh();
    } else if (control == close_) {
        reject();
    } else if (control == help_) {
        showHelp();
    }
}

void BROWSEALL::TAKEEVENT() {
    if (framework::program().alertSearch) framework::program().alertSearch();
}

// --- BROWSEBYNAME -----------------------------------------------------------------------

BROWSEBYNAME::BROWSEBYNAME(store::Store& db, QWidget* parent)
    : WindowProcedure(db, "BROWSEBYNAME", parent) {
    helpTopic = "~Browse_by_Name_Window";
    placementSection = "BROWSEBYNAME";
    useTables({Tbl::ACTIVITY, Tbl::DATES, Tbl::RESACT});
    words_ = booking::Words::of(db.SYP);
    setWindowTitle(words("Browse %1 Alphabetically", words_.bookings));

    auto text = [&db](Tbl t, store::Field field) {
        return [&db, t, field](const std::byte* r) {
            const store::FieldDecl& f = db.table(t).decl().field(field);
            return store::isText(f.type) ? q(std::string(store::trimRight(store::getText(f, r))))
                                         : QString::number(store::getNumber(f, r));
        };
    };
    auto time = [&db](store::Field field) {
        return [&db, field](const std::byte* r) {
            const store::FieldDecl& f = db.table(Tbl::DATES).decl().field(field);
            return q(store::shortTime(store::Time(store::LONG(store::getNumber(f, r)))));
        };
    };
    nameModel_ = new framework::BrowseModel(db.Access(Tbl::ACTIVITY), store::ACT::NAME_KEY, this);
    nameModel_->setColumns({
        {q(words_.booking), text(Tbl::ACTIVITY, store::ACT::NAME), 200},
        {q(words_.client), text(Tbl::ACTIVITY, store::ACT::CLIENT), 150},
        {words("Primary %1", words_.resource), text(Tbl::ACTIVITY, store::ACT::PRIME), 100},
        {words("Units"), text(Tbl::ACTIVITY, store::ACT::UNITS), 50},
        {words("Number"), text(Tbl::ACTIVITY, store::ACT::ACTNUMBER), 70},
    });
    dateModel_ = new framework::BrowseModel(db.Access(Tbl::DATES), store::DAT::ACTDATES_KEY, this);
    dateModel_->setColumns({
        {words("Date"),
         [&db](const std::byte* r) {
             const store::FieldDecl& f = db.table(Tbl::DATES).decl().field(store::DAT::DATE);
             return q(store::shortDate(store::Date(store::LONG(store::getNumber(f, r)))));
         },
         100},
        {words("Start"), time(store::DAT::TIME), 60},
        {words("End"), time(store::DAT::ENDTIME), 60},
    });

    locator_ = new QLineEdit(this);
    auto* locate = new QLabel(words("&Locate:"), this);
    locate->setBuddy(locator_);
    names_ = listView(this);
    names_->setModel(nameModel_);
    dates_ = listView(this);
    dates_->setModel(dateModel_);
    const QFontMetrics m = names_->fontMetrics();
    const int widths[] = {m.horizontalAdvance(QString(24, 'x')),
                          m.horizontalAdvance(QString(18, 'x')),
                          m.horizontalAdvance(words("Primary %1", words_.resource)) + 16,
                          m.horizontalAdvance("Units") + 16, m.horizontalAdvance("Number") + 16};
    for (int i = 0; i < 5; ++i) names_->setColumnWidth(i, widths[i]);
    others_ = new QTreeWidget(this);
    others_->setColumnCount(2);
    others_->setHeaderLabels({words("Other %1", words_.resources), words("Units")});
    others_->setRootIsDecorated(false);
    close_ = new QPushButton(words("Close"), this);
    help_ = new QPushButton(words("Help"), this);
    for (QPushButton* b : {close_, help_}) {
        b->setAutoDefault(false);
        accepted(b);
    }
    auto* top = new QHBoxLayout;
    top->addWidget(locate);
    top->addWidget(locator_, 1);
    auto* side = new QVBoxLayout;
    side->addWidget(dates_, 2);
    side->addWidget(others_, 1);
    auto* lists = new QHBoxLayout;
    lists->addWidget(names_, 5);
    lists->addLayout(side, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(close_);
    buttons->addWidget(help_);
    auto* main = new QVBoxLayout(this);
    main->addLayout(top);
    main->addLayout(lists, 1);
    main->addLayout(buttons);
    resize(1000, 480);

    connect(locator_, &QLineEdit::textEdited, this, [this, &db](const QString& typed) {
        std::vector<std::byte> values(db.table(Tbl::ACTIVITY).recordSize());
        store::clearRecord(db.table(Tbl::ACTIVITY).decl(), values.data());
        store::setText(db.table(Tbl::ACTIVITY).decl().field(store::ACT::NAME), values.data(),
                       typed.toStdString());
        nameModel_->locate(values.data(), 1);
    });
    watch(locator_);
    framework::leadDownIntoList(locator_, [this]() -> QAbstractItemView* { return names_; });
    connect(nameModel_, &QAbstractItemModel::modelReset, this, [this] {
        if (nameModel_->rowCount() > 0) names_->selectRow(0);
        highlighted();
    });
    connect(names_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { highlighted(); });
}

BROWSEBYNAME::~BROWSEBYNAME() = default;

bool BROWSEBYNAME::INIT() {
    if (!WindowProcedure::INIT()) return false;
    framework::restoreColumnWidths(*names_, "BrwNameList");
    framework::restoreColumnWidths(*dates_, "BrwNameList:3");
    nameModel_->reload();
    locator_->setFocus();
    return true;
}

void BROWSEBYNAME::KILL() {
    framework::saveColumnWidths(*names_, "BrwNameList");
    framework::saveColumnWidths(*dates_, "BrwNameList:3");
    WindowProcedure::KILL();
}

void BROWSEBYNAME::highlighted() {
    others_->clear();
    const QModelIndex current = names_->currentIndex();
    const std::byte* record = current.isValid() ? nameModel_->record(current.row()) : nullptr;
    std::vector<std::byte> range(db().table(Tbl::DATES).recordSize());
    store::clearRecord(db().table(Tbl::DATES).decl(), range.data());
    if (!record) {
        // Nothing highlighted: no booking's dates (number 0 has none).
        dateModel_->setRange(1, range.data());
        dateModel_->reload();
        return;
    }
    const store::TableDecl& act = db().table(Tbl::ACTIVITY).decl();
    const store::LONG number =
        store::LONG(store::getNumber(act.field(store::ACT::ACTNUMBER), record));
    const std::string prime(store::trimRight(store::getText(act.field(store::ACT::PRIME), record)));
    store::setNumber(db().table(Tbl::DATES).decl().field(store::DAT::ACTNUMBER), range.data(),
                     number);
    dateModel_->setRange(1, range.data());
    dateModel_->reload();
    for (const auto& [resource, units] : scan::otherResources(db(), number, prime))
        new QTreeWidgetItem(others_, {q(resource), QString::number(units)});
}

bool BROWSEBYNAME::TAKEFIELDEVENT(QObject* control, QEvent* event) {
    // Down in the locator moves into the list, onto the row it found.
    if (control != locator_ || event->type() != QEvent::KeyPress ||
        static_cast<QKeyEvent*>(event)->key() != Qt::Key_Down)
        return false;
    names_->setFocus();
    if (!names_->currentIndex().isValid() && nameModel_->rowCount() > 0) names_->selectRow(0);
    return true;
}

void BROWSEBYNAME::TAKEACCEPTED(QObject* control) {
    if (control == close_) reject();
    if (control == help_) showHelp();
}

// ---------------------------------------------------------------------------------------

void registerBrowses() {
    // The frame's menu and the scans' Browse buttons call them.
    framework::defineWindow("BROWSEALL", [](store::Store& db, QWidget* parent, int) {
        BROWSEALL w(db, parent);
        w.CALL();
        return int(store::RequestCompleted);
    });
    framework::defineWindow("BROWSEBYNAME", [](store::Store& db, QWidget* parent, int) {
        BROWSEBYNAME w(db, parent);
        w.CALL();
        return int(store::RequestCompleted);
    });
}

}  // namespace scan::ui
