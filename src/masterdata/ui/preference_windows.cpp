#include "masterdata/ui/preference_windows.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "framework/browse.h"
#include "framework/date_time_entry.h"
#include "framework/form.h"
#include "framework/program.h"
#include "masterdata/preferences.h"
#include "masterdata/ui/windows.h"
#include "store/datetime.h"
#include "store/error_class.h"
#include "store/record_image.h"
#include "store/session.h"
#include "store/store.h"
#include "store/terms.h"

namespace masterdata::ui {

PreferenceHooks& preferenceHooks() {
    static PreferenceHooks hooks;
    return hooks;
}

namespace {

using namespace store;
using framework::TimeEntry;

constexpr int kTimerMilliseconds = 30 * 1000;

/// The organisation's words that the windows' texts take in place of "%1".
enum class Word { Booking, Bookings };

/// One of the windows' own texts: translated, then the term merged in. The term is read
/// from the form's own SYSPREF buffer, unsaved words included, so that the captions of
/// the system preference window follow what is being typed.
QString textOf(Store& db, const char* source, std::optional<Word> w = {}) {
    const std::string text = framework::program().translate ? framework::program().translate(source)
                                                            : std::string(source);
    if (!w) return QString::fromStdString(text);
    return QString::fromStdString(mergeTerms(
        text, Terms::of(db.SYP), *w == Word::Booking ? Term::BookingSingular : Term::BookingPlural,
        Term::None, Term::None, TermCase::ByPosition, framework::lowerAnyScript));
}

void tell(const QString& caption, const QString& text, Icon icon = Icon::Exclamation) {
    questions().message(caption.toStdString(), text.toStdString(), icon, BUTTON_OK, BUTTON_OK);
}

/// What the system and the user preference windows share: the record's first twelve
/// fields are laid out alike in both tables, so the drop lists of lengths, the look-ups
/// of the default client and resource and the checks of the working day serve both.
class PreferenceForm : public framework::FormProcedure {
  public:
    PreferenceForm(Store& db, Tbl table, const char* name, QWidget* parent)
        : FormProcedure(db, table, name, parent) {
        allowInsert = false;
        allowDelete = false;
        useTables({Tbl::DURLIST, Tbl::ROUTINEA, Tbl::CLIENT, Tbl::RESOURCE});
    }
    ~PreferenceForm() override {
        for (const QMetaObject::Connection& c : listWatches_) disconnect(c);
    }

  protected:
    void KILL() override {
        closing_ = true;
        FormProcedure::KILL();
    }

    QString T(const char* source, std::optional<Word> w = {}) { return textOf(db(), source, w); }

    /// The fields of the scan rows: the working day's begin and end, the scan's
    /// interval, width, height and text.
    struct ScanFields {
        Field beginDay, endDay, interval, scanSize, height, scanText;
    };
    /// Adds the scan rows both windows show to `form`, each bound to its field; `captions`
    /// name the rows in the order of ScanFields.
    void addScanRows(QFormLayout& form, QWidget* parent, const ScanFields& f,
                     const std::array<const char*, 6>& captions);

    const FieldDecl& field(Field f) { return fm().decl().field(f); }
    long long number(Field f) { return getNumber(field(f), fm().buffer()); }

    /// A drop list of lengths shown as hh:mm whose choice goes straight into a length
    /// field of the buffer.
    QComboBox* lengthList(const char* objectName, Field f) {
        auto* list = new QComboBox(this);
        list->setObjectName(objectName);
        lengthLists_.push_back({list, f});
        connect(list, &QComboBox::currentIndexChanged, this, [this, list, f](int i) {
            if (i >= 0) setNumber(field(f), fm().buffer(), list->itemData(i).toLongLong());
        });
        return list;
    }
    /// Offers `lengths`, and the buffer's own value when the list lacks it, so that a
    /// length no longer listed is kept rather than lost; the buffer's value is selected.
    void fillLengths(QComboBox* list, std::vector<LONG> lengths) {
        Field f;
        for (auto& [l, n] : lengthLists_)
            if (l == list) f = n;
        const LONG current = LONG(number(f));
        if (current != 0 && std::find(lengths.begin(), lengths.end(), current) == lengths.end()) {
            lengths.push_back(current);
            std::sort(lengths.begin(), lengths.end());
        }
        const QSignalBlocker quiet(list);
        list->clear();
        for (LONG l : lengths)
            list->addItem(QString::fromStdString(lengthText(l)), QVariant::fromValue<qlonglong>(l));
        list->setCurrentIndex(list->findData(QVariant::fromValue<qlonglong>(current)));
    }
    /// The fixed choice of scan intervals.
    void fillIntervals(QComboBox* list) {
        std::vector<LONG> lengths;
        for (int minutes : {5, 10, 15, 20, 30, 60}) lengths.push_back(lengthFromMinutes(minutes));
        fillLengths(list, lengths);
    }
    /// A drop list of names bound to a text field; typing a name of one's own is allowed.
    QComboBox* nameList(const char* objectName, Field f) {
        auto* list = new QComboBox(this);
        list->setObjectName(objectName);
        list->setEditable(true);
        list->lineEdit()->setMaxLength(field(f).width);
        list->setInsertPolicy(QComboBox::NoInsert);
        bind(list, f);
        return list;
    }
    void fillNames(QComboBox* list, const std::vector<std::string>& names) {
        const QString text = list->currentText();
        const QSignalBlocker quiet(list);
        list->clear();
        for (const std::string& n : names) list->addItem(QString::fromStdString(n));
        list->setCurrentText(text);
    }
    /// The scan text choice; a stored value outside it is offered too.
    QComboBox* scanTextList(Field f) {
        auto* list = new QComboBox(this);
        list->setObjectName("ScanText");
        for (const char* t : {"No Text", "Booking", "Client", "Mixed"}) list->addItem(t);
        scanText_ = {list, f};
        bind(list, f);
        return list;
    }

    /// An entry for the default client or resource with its look-up button.
    QWidget* lookUpRow(QLineEdit* entry, bool client) {
        auto* row = new QWidget(this);
        auto* layout = new QHBoxLayout(row);
        layout->setContentsMargins(0, 0, 0, 0);
        auto* button = new QPushButton("...", row);
        button->setObjectName(client ? "LookUpClient" : "LookUpResource");
        button->setAutoDefault(false);
        button->setFocusPolicy(Qt::TabFocus);
        button->setMaximumWidth(button->fontMetrics().horizontalAdvance("...") + 24);
        layout->addWidget(entry, 1);
        layout->addWidget(button);
        connect(entry, &QLineEdit::editingFinished, this,
                [this, entry, client] { checkLookUp(entry, client); });
        watch(entry);
        connect(button, &QPushButton::clicked, this,
                [this, entry, client] { lookUp(entry, client); });
        (client ? client_ : resource_) = entry;
        return row;
    }
    /// The look-up of an entry: opens the list for selection and copies the pick, cut to
    /// the entry. A cancelled look-up leaves the value and puts the focus back.
    bool lookUp(QLineEdit* entry, bool client) {
        const char* list = client ? "BROWSECLIENT" : "BROWSERESOURCE";
        if (!hasWindow(list)) {
            tell(windowTitle(), T(client ? "No client called \"%1\" is on file."
                                         : "No resource called \"%1\" is on file.")
                                    .replace("%1", entry->text().trimmed()));
            entry->setFocus();
            return false;
        }
        lookingUp_ = true;
        const int response = callWindow(list, db(), this, SelectRecord);
        lookingUp_ = false;
        if (response == RequestCompleted) {
            const std::string picked = client ? db().CLI.CLIENT.str() : db().RES.RESOURCE.str();
            const std::size_t width = client ? kDefaultClientWidth : kDefaultResourceWidth;
            entry->setText(QString::fromStdString(std::string(trimRight(picked.substr(0, width)))));
            return true;
        }
        entry->setFocus();
        entry->selectAll();
        return false;
    }
    /// A value that names no client or resource opens the look-up; blank is allowed.
    bool checkLookUp(QLineEdit* entry, bool client) {
        // A window on its way out checks nothing more: leaving it is not leaving the entry.
        if (lookingUp_ || closing_ || !isVisible()) return true;
        const std::string value = entry->text().toStdString();
        if (trimRight(value).empty()) return true;
        const std::string found =
            client ? findDefaultClient(db(), value) : findDefaultResource(db(), value);
        if (!found.empty()) {
            if (entry->text().toStdString() != found) entry->setText(QString::fromStdString(found));
            return true;
        }
        return lookUp(entry, client);
    }

    /// Enter in a look-up entry accepts it first: a value the user did not pick keeps the
    /// window from taking Enter as OK.
    bool TAKEFIELDEVENT(QObject* control, QEvent* event) override {
        if (event->type() != QEvent::KeyPress || (control != client_ && control != resource_))
            return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter) return false;
        auto* entry = static_cast<QLineEdit*>(control);
        return !checkLookUp(entry, entry == client_);
    }

    /// Runs a list window by name, then fills the drop lists again; a list started as a
    /// window of its own fills them again when it closes.
    void runList(const char* name, const std::function<void()>& refresh) {
        const QWidgetList before = QApplication::topLevelWidgets();
        callWindow(name, db(), this, NoRequest);
        refresh();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (!before.contains(w) && w->objectName() == QLatin1String(name))
                listWatches_.push_back(connect(w, &QObject::destroyed, this, refresh));
    }
    /// A control with its button beside it, on one row.
    QWidget* besideButton(QWidget* control, QWidget* button) {
        auto* row = new QWidget(this);
        auto* layout = new QHBoxLayout(row);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(control, 1);
        layout->addWidget(button);
        return row;
    }
    QPushButton* listButton(const char* objectName, const QString& caption, const QString& tip,
                            const char* window, std::function<void()> refresh) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(objectName);
        b->setToolTip(tip);
        b->setAutoDefault(false);
        b->setEnabled(hasWindow(window));
        connect(b, &QPushButton::clicked, this,
                [this, window, refresh] { runList(window, refresh); });
        return b;
    }

    /// Shows what the bindings do not: the length lists and an unlisted scan text.
    virtual void showUnbound() {
        for (auto& [list, f] : lengthLists_) {
            const QSignalBlocker quiet(list);
            const int i = list->findData(QVariant::fromValue<qlonglong>(number(f)));
            if (i < 0 && number(f) != 0) {
                list->addItem(QString::fromStdString(lengthText(LONG(number(f)))),
                              QVariant::fromValue<qlonglong>(number(f)));
                list->setCurrentIndex(list->count() - 1);
            } else {
                list->setCurrentIndex(i);
            }
        }
        if (auto [list, f] = scanText_; list) {
            const QString stored =
                QString::fromStdString(std::string(getText(field(f), fm().buffer())));
            if (!stored.isEmpty() && list->findText(stored) < 0) list->addItem(stored);
            const QSignalBlocker quiet(list);
            list->setCurrentText(stored);
        }
    }

    /// Brings the page holding a control to the front and the focus to it.
    void focusOn(QWidget* control) {
        for (QWidget* w = control; w->parentWidget(); w = w->parentWidget())
            if (auto* tabs = qobject_cast<QTabWidget*>(w->parentWidget()->parentWidget());
                tabs && tabs->indexOf(w) >= 0)
                tabs->setCurrentWidget(w);
        control->setFocus();
    }

    /// The checks of the form before the record's own: look-ups, then the working day.
    bool VALIDATE() override {
        if (client_ && !checkLookUp(client_, true)) return false;
        if (resource_ && !checkLookUp(resource_, false)) return false;
        UPDATEBUFFER();
        const std::string problem = scanDayProblem(
            LONG(number(SYP::BEGINDAY)), LONG(number(SYP::ENDDAY)), LONG(number(SYP::INTERVAL)));
        if (!problem.empty()) {
            tell(windowTitle(), T(problem.c_str()));
            if (beginDay_) focusOn(beginDay_);
            return false;
        }
        return true;
    }
    /// The default start typed on the minute is kept as the booking form keeps starts.
    void offsetStart() {
        setNumber(field(SYP::STARTTIME), fm().buffer(), defaultStart(LONG(number(SYP::STARTTIME))));
    }
    /// After a refusal by the record's own field checks: the focus to the field refused.
    void focusRefused() {
        if (height_ && (number(SYP::HEIGHT) < 6 || number(SYP::HEIGHT) > 20)) focusOn(height_);
    }
    /// Tells the user how a save ended: true when saved. Another station's change is put on
    /// show for the user to decide again; a refusal takes the focus to the field refused.
    bool saveEnded(const PreferenceResult& r) {
        switch (r.outcome) {
            case PreferenceResult::Done:
                readAt_ = fm().POSITION();
                return true;
            case PreferenceResult::ChangedElsewhere:
                DISPLAY();
                showUnbound();
                readAt_ = fm().POSITION();
                return false;
            case PreferenceResult::Refused:
                focusRefused();
                return false;
            case PreferenceResult::Failed:
                tell(T(kSafeguardCaption), QString::fromStdString(cancelledText(r)));
                return false;
        }
        return false;
    }

    QLineEdit* client_ = nullptr;
    QLineEdit* resource_ = nullptr;
    TimeEntry* beginDay_ = nullptr;
    QSpinBox* height_ = nullptr;
    RecordPosition readAt_;

  private:
    std::vector<std::pair<QComboBox*, Field>> lengthLists_;
    std::pair<QComboBox*, Field> scanText_{nullptr, {}};
    std::vector<QMetaObject::Connection> listWatches_;
    bool lookingUp_ = false;
    bool closing_ = false;
};

QLabel* note(const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setWordWrap(true);
    return l;
}

QSpinBox* spin(QWidget* parent, const char* objectName) {
    auto* s = new QSpinBox(parent);
    s->setObjectName(objectName);
    return s;
}

TimeEntry* timeEntry(QWidget* parent, const char* objectName) {
    auto* e = new TimeEntry(parent);
    e->setObjectName(objectName);
    return e;
}

void PreferenceForm::addScanRows(QFormLayout& form, QWidget* parent, const ScanFields& f,
                                 const std::array<const char*, 6>& captions) {
    beginDay_ = timeEntry(parent, "BeginDay");
    bind(beginDay_, f.beginDay);
    form.addRow(T(captions[0]), beginDay_);
    auto* endDay = timeEntry(parent, "EndDay");
    bind(endDay, f.endDay);
    form.addRow(T(captions[1]), endDay);
    auto* interval = lengthList("Interval", f.interval);
    fillIntervals(interval);
    form.addRow(T(captions[2]), interval);
    auto* width = spin(parent, "ScanSize");
    bind(width, f.scanSize);
    width->setMinimum(1);
    form.addRow(T(captions[3]), width);
    height_ = spin(parent, "Height");
    bind(height_, f.height);
    form.addRow(T(captions[4]), height_);
    form.addRow(T(captions[5]), scanTextList(f.scanText));
}

/// The system preferences: the rules for everybody, the defaults of new users, special
/// days, booking numbers and the organisation's terms.
class SYSPREFWINDOW : public PreferenceForm {
  public:
    SYSPREFWINDOW(Store& db, QWidget* parent)
        : PreferenceForm(db, Tbl::SYSPREF, "SYSPREF", parent) {
        helpTopic = "~System_Preferences_Window";
        useTables({Tbl::SPECIAL, Tbl::CONTROL, Tbl::USERPREF});
    }

  protected:
    bool INIT() override {
        if (!PreferenceForm::INIT()) return false;
        if (!loaded_) {
            fm().THROW(22);
            return false;
        }
        showUnbound();
        if (!may(session().accessLevel, Right::AdministerSystem)) {
            // Only a system administrator changes the rules; others may look.
            setReadOnly(true);
            for (QWidget* w : findChildren<QWidget*>()) {
                const bool control = qobject_cast<QCheckBox*>(w) ||
                                     qobject_cast<QRadioButton*>(w) ||
                                     qobject_cast<QComboBox*>(w) || qobject_cast<QPushButton*>(w);
                if (control && w->objectName() != "Cancel" && w->objectName() != "Help")
                    w->setEnabled(false);
            }
        }
        setTimer(kTimerMilliseconds);
        return true;
    }

    void BUILD() override {
        setWindowTitle(T("System Preferences"));
        loaded_ = fm().SET(-1) == Level_Benign && fm().NEXT() == Level_Benign;
        readAt_ = fm().POSITION();

        auto* tabs = new QTabWidget(this);
        tabs->setObjectName("Pages");
        tabs->addTab(generalPage(), T("General"));
        tabs->addTab(userPage(), T("User settings"));
        tabs->addTab(specialPage(), T("Special Days"));
        tabs->addTab(maintenancePage(), T("Maintenance"));
        tabs->addTab(labelsPage(), T("Labels"));

        auto* layout = new QVBoxLayout(this);
        setMinimumWidth(560);  // every page's tab in sight
        layout->addWidget(tabs);
        layout->addWidget(statusLabel());
        layout->addWidget(okCancel());
    }

    void showUnbound() override {
        PreferenceForm::showUnbound();
        const std::string alert = db().SYP.ALERT.str();
        const QSignalBlocker q1(alertNone_), q2(alertAll_), q3(alertUser_);
        if (storedAlert(alert) == kAlertAll)
            alertAll_->setChecked(true);
        else if (storedAlert(alert) == kAlertUserOnly)
            alertUser_->setChecked(true);
        else
            alertNone_->setChecked(true);
        alertLead_->setEnabled(alertLeadApplies(alert));
    }

    bool TAKECOMPLETED() override {
        if (readOnly()) return true;  // only shown: nothing to save
        UPDATEBUFFER();
        if (!entriesValid() || !VALIDATE()) return false;
        offsetStart();
        if (applyToUsers_->isChecked() &&
            questions().message(windowTitle().toStdString(),
                                T("The preferences and the lists of durations and routine names "
                                  "of every existing user will be replaced by these settings. "
                                  "Do you want to go on?")
                                    .toStdString(),
                                Icon::Question, BUTTON_YES | BUTTON_NO, BUTTON_NO) != BUTTON_YES) {
            focusOn(applyToUsers_);
            return false;
        }
        PreferenceResult r;
        {
            std::optional<framework::BusyCursor> busy;
            if (applyToUsers_->isChecked()) busy.emplace();
            r = saveSystemPreferences(db(), readAt_, applyToUsers_->isChecked());
        }
        if (r.outcome == PreferenceResult::Refused && db().SYP.ADVANCEDAYS < 0)
            focusOn(advanceDays_);
        if (!saveEnded(r)) return false;
        if (preferenceHooks().sysPrefSaved) preferenceHooks().sysPrefSaved();
        return true;
    }

    void TAKEEVENT() override {
        if (preferenceHooks().alertSearch) preferenceHooks().alertSearch();
    }

  private:
    QWidget* generalPage() {
        auto* page = new QWidget(this);
        auto* form = new QFormLayout(page);
        auto check = [&](const char* name, const char* text, const char* tip, Field f,
                         std::optional<Word> w = {}) {
            auto* c = new QCheckBox(T(text, w), page);
            c->setObjectName(name);
            if (tip) c->setToolTip(T(tip, w));
            bind(c, f);
            form->addRow(c);
            return c;
        };
        check("NoConflict", "Disallow conflicts", "Prohibit any conflict in %1", SYP::NOCONFLICT,
              Word::Bookings);
        check("Lock", "Lock %1", "Lock %1 as default", SYP::LOCK, Word::Bookings);
        check("Actual", "Enable actual times", "Include actual times", SYP::ACTUAL);
        check("OptimMany", "Optimize for many %1", "Optimize database for many %1", SYP::OPTIMMANY,
              Word::Bookings);

        auto* tries = spin(page, "AccessTries");
        bind(tries, SYP::ACCESSTRIES);
        tries->setRange(0, 255);  // three digits, as many as the field holds
        form->addRow(T("Log in tries allowed:"), tries);

        advanceDays_ = spin(page, "AdvanceDays");
        advanceDays_->setToolTip(T("How far ahead can users book"));
        bind(advanceDays_, SYP::ADVANCEDAYS);
        form->addRow(T("Maximum days in advance:"), advanceDays_);

        auto* backup = spin(page, "BackupHours");
        backup->setToolTip(T("Hours between internal back ups"));
        bind(backup, SYP::BACKUPHOURS);
        backup->setMinimum(0);
        form->addRow(T("Hours between backups:"), backup);
        form->addRow(
            note(T("Internal back up only.  Regular external back up still required."), page));

        check("ClientGeneral", "Allow general users to add clients", nullptr, SYP::CLIENTGENERAL);

        auto* alert = new QGroupBox(T("Alert"), page);
        alert->setObjectName("Alert");
        auto* row = new QHBoxLayout(alert);
        alertNone_ = new QRadioButton(T("None"), alert);
        alertNone_->setObjectName("AlertNone");
        alertAll_ = new QRadioButton(T("All"), alert);
        alertAll_->setObjectName("AlertAll");
        alertUser_ = new QRadioButton(T("User only"), alert);
        alertUser_->setObjectName("AlertUserOnly");
        for (auto [button, value] : {std::pair{alertNone_, kAlertNone},
                                     {alertAll_, kAlertAll},
                                     {alertUser_, kAlertUserOnly}}) {
            row->addWidget(button);
            connect(button, &QRadioButton::toggled, this, [this, value](bool on) {
                if (!on) return;
                db().SYP.ALERT = value;
                alertLead_->setEnabled(alertLeadApplies(value));
            });
        }
        form->addRow(alert);

        auto* lead = new QWidget(page);
        auto* leadRow = new QHBoxLayout(lead);
        leadRow->setContentsMargins(0, 0, 0, 0);
        alertLead_ = spin(lead, "AlertLead");
        bind(alertLead_, SYP::ALERTLEAD);
        alertLead_->setMinimum(0);
        leadRow->addWidget(alertLead_);
        leadRow->addWidget(new QLabel(T("minutes"), lead));
        leadRow->addStretch();
        form->addRow(T("Alert lead time:"), lead);
        return page;
    }

    QWidget* userPage() {
        auto* page = new QWidget(this);
        auto* form = new QFormLayout(page);

        auto* start = timeEntry(page, "StartTime");
        bind(start, SYP::STARTTIME);
        form->addRow(T("Default start:"), start);

        duration_ = lengthList("Duration", SYP::DURATION);
        fillLengths(duration_, ownerDurations(db(), kSystemListOwner));
        form->addRow(
            T("Default duration:"),
            besideButton(duration_, listButton("RoutineDurations", T("Routine durations"),
                                               T("Change common durations of %1", Word::Bookings),
                                               "BROWSEDUR2", [this] {
                                                   fillLengths(
                                                       duration_,
                                                       ownerDurations(db(), kSystemListOwner));
                                               })));

        name_ = nameList("Name", SYP::NAME);
        fillNames(name_, ownerNames(db(), kSystemListOwner));
        form->addRow(
            T("Default %1", Word::Booking),
            besideButton(name_,
                         listButton("RoutineNames", T("Routine %1", Word::Bookings),
                                    T("Change list of commonly used names for %1", Word::Bookings),
                                    "BROWSEROUTINE2", [this] {
                                        fillNames(name_, ownerNames(db(), kSystemListOwner));
                                    })));

        auto* client = new QLineEdit(page);
        client->setObjectName("Client");
        bind(client, SYP::CLIENT);
        form->addRow(T("Default client"), lookUpRow(client, true));
        auto* resource = new QLineEdit(page);
        resource->setObjectName("Resource");
        bind(resource, SYP::RESOURCE);
        form->addRow(T("Default Resource"), lookUpRow(resource, false));

        auto* weekend = new QCheckBox(T("Flag weekend as conflict"), page);
        weekend->setObjectName("Weekend");
        bind(weekend, SYP::WEEKEND);
        form->addRow(weekend);

        auto* scan = new QGroupBox(T("Scan"), page);
        auto* scanForm = new QFormLayout(scan);
        addScanRows(
            *scanForm, scan,
            {SYP::BEGINDAY, SYP::ENDDAY, SYP::INTERVAL, SYP::SCANSIZE, SYP::HEIGHT, SYP::SCANTEXT},
            {"Begin day:", "End day:", "Interval:", "Scan width:", "Scan height:", "Scan text:"});
        form->addRow(scan);

        applyToUsers_ = new QCheckBox(T("Apply to existing users"), page);
        applyToUsers_->setObjectName("ApplyToUsers");
        applyToUsers_->setToolTip(
            T("Change the preferences of all exisitng users to these settings"));
        form->addRow(applyToUsers_);
        return page;
    }

    QWidget* specialPage() {
        auto* page = new QWidget(this);
        auto* layout = new QVBoxLayout(page);
        special_ = new framework::BrowseModel(db().Access(Tbl::SPECIAL), SPE::DATE_KEY, this);
        auto date = [](const std::byte* rec, Field f) {
            const FieldDecl& d = tableDecl(Tbl::SPECIAL).field(f);
            return QString::fromStdString(shortDate(Date(LONG(getNumber(d, rec)))));
        };
        special_->setColumns({
            {T("Start Date"), [date](const std::byte* r) { return date(r, SPE::STARTDATE); }, 90},
            {T("End Date"), [date](const std::byte* r) { return date(r, SPE::ENDDATE); }, 90},
            {T("Description"),
             [](const std::byte* r) {
                 const FieldDecl& d = tableDecl(Tbl::SPECIAL).field(SPE::DESCRIPTION);
                 return QString::fromStdString(std::string(getText(d, r)));
             },
             180},
        });
        specialList_ = new QTableView(page);
        specialList_->setObjectName("SpecialDays");
        specialList_->setModel(special_);
        specialList_->setSelectionBehavior(QAbstractItemView::SelectRows);
        specialList_->setSelectionMode(QAbstractItemView::SingleSelection);
        specialList_->verticalHeader()->hide();
        specialList_->horizontalHeader()->setStretchLastSection(true);
        special_->reload();
        layout->addWidget(specialList_, 1);

        auto* buttons = new QHBoxLayout;
        auto button = [&](const char* name, const char* text, int request) {
            auto* b = new QPushButton(T(text), page);
            b->setObjectName(name);
            b->setAutoDefault(false);
            b->setEnabled(hasWindow("UPDATESPECIAL"));
            connect(b, &QPushButton::clicked, this, [this, request] { runSpecial(request); });
            buttons->addWidget(b);
        };
        button("Insert", "Insert", InsertRecord);
        button("Change", "Change", ChangeRecord);
        button("Delete", "Delete", DeleteRecord);
        buttons->addStretch();
        buttons->addWidget(listButton("AddFile", T("Add File"),
                                      T("Add one or five year Special days file to list"),
                                      "FIVEYEAR", [this] { special_->reload(); }));
        layout->addLayout(buttons);
        connect(specialList_, &QTableView::doubleClicked, this,
                [this] { runSpecial(ChangeRecord); });
        return page;
    }

    /// Runs the special-day form on the highlighted period (or a new one) and shows the
    /// list again afterwards.
    void runSpecial(int request) {
        if (request != InsertRecord) {
            const int row = specialList_->currentIndex().row();
            if (row < 0 ||
                db().Access(Tbl::SPECIAL).TRYREGET(special_->position(row)) != Level_Benign)
                return;
        }
        callWindow("UPDATESPECIAL", db(), this, request);
        special_->reload();
    }

    QWidget* maintenancePage() {
        auto* page = new QWidget(this);
        auto* layout = new QVBoxLayout(page);
        auto* reset = new QPushButton(T("Reset control file"), page);
        reset->setObjectName("ResetControlFile");
        reset->setToolTip(T("Reset numbers for new bookings"));
        reset->setAutoDefault(false);
        connect(reset, &QPushButton::clicked, this, [this] { resetNumbers(); });
        auto* rebuild = new QPushButton(T("Rebuild file keys"), page);
        rebuild->setObjectName("RebuildKeys");
        rebuild->setToolTip(T("Rebuilds All File Keys"));
        rebuild->setAutoDefault(false);
        connect(rebuild, &QPushButton::clicked, this, [this] { rebuildKeys(); });
        layout->addWidget(reset);
        layout->addWidget(rebuild);
        layout->addStretch();
        return page;
    }

    void resetNumbers() {
        std::string failure;
        const LONG added = resetControlFile(db(), &failure);
        if (added == 0) {
            tell(T(kSafeguardCaption),
                 QString::fromStdString(cancelledText({PreferenceResult::Failed, failure})));
            return;
        }
        tell(T("Reset control file"),
             T("The next new %1 will be numbered %2.", Word::Booking)
                 .replace("%2", QString::number(added + 1)),
             Icon::Information);
    }

    void rebuildKeys() {
        std::string failure;
        bool ok;
        {
            framework::BusyCursor busy;
            ok = rebuildFileKeys(db(), &failure);
        }
        if (ok)
            tell(T("Rebuild file keys"), T("The keys of every file have been rebuilt."),
                 Icon::Information);
        else
            tell(T("Rebuild file keys"), T("The keys could not be rebuilt: %1")
                                             .replace("%1", QString::fromStdString(failure)));
    }

    QWidget* labelsPage() {
        auto* page = new QWidget(this);
        auto* grid = new QGridLayout(page);
        grid->addWidget(new QLabel(T("Tembrix term:"), page), 0, 0);
        grid->addWidget(new QLabel(T("Your term (singular)"), page), 0, 1);
        grid->addWidget(new QLabel(T("Your term (plural)"), page), 0, 2);
        const struct {
            const char* term;
            Field singular, plural;
        } rows[] = {{"Booking", SYP::LABELS1_1, SYP::LABELS1_2},
                    {"Resource", SYP::LABELS2_1, SYP::LABELS2_2},
                    {"Client", SYP::LABELS3_1, SYP::LABELS3_2}};
        int r = 1;
        for (const auto& row : rows) {
            grid->addWidget(new QLabel(T(row.term), page), r, 0);
            for (int c : {1, 2}) {
                auto* e = new QLineEdit(page);
                e->setObjectName(QString("%1%2").arg(row.term).arg(c == 1 ? "Singular" : "Plural"));
                bind(e, c == 1 ? row.singular : row.plural);
                grid->addWidget(e, r, c);
            }
            ++r;
        }
        grid->setRowStretch(r, 1);
        return page;
    }

    bool loaded_ = false;
    QComboBox* duration_ = nullptr;
    QComboBox* name_ = nullptr;
    QSpinBox* advanceDays_ = nullptr;
    QRadioButton *alertNone_ = nullptr, *alertAll_ = nullptr, *alertUser_ = nullptr;
    QSpinBox* alertLead_ = nullptr;
    QCheckBox* applyToUsers_ = nullptr;
    framework::BrowseModel* special_ = nullptr;
    QTableView* specialList_ = nullptr;
};

/// The logged-in user's own preferences: his defaults for new bookings and his scans.
class USERPREFWINDOW : public PreferenceForm {
  public:
    USERPREFWINDOW(Store& db, QWidget* parent)
        : PreferenceForm(db, Tbl::USERPREF, "USERPREF", parent) {
        helpTopic = "~User_Preferences_Window";
    }

  protected:
    bool INIT() override {
        if (!PreferenceForm::INIT()) return false;
        showUnbound();
        return true;
    }

    void BUILD() override {
        setWindowTitle(T("User Preferences"));
        const std::string user = session().GlobalUserName;
        // The record start-up read, read again: another window may have used the buffer.
        fm().table().clearBuffer();
        db().USP.USERNAME = user;
        if (fm().TRYFETCH(USP::USERNAME_KEY) == Level_Benign) {
            readAt_ = fm().POSITION();
        } else {
            // Without a record of his own the user starts from the system defaults; OK adds it.
            fm().PRIMERECORD();
            db().USP.USERNAME = user;
            copySystemDefaults(db().SYP, db().USP);
            readAt_ = RecordPosition{};
        }

        auto* form = new QFormLayout;
        auto* start = timeEntry(this, "StartTime");
        bind(start, USP::STARTTIME);
        form->addRow(T("Default start"), start);

        duration_ = lengthList("Duration", USP::DURATION);
        fillLengths(duration_, ownerDurations(db(), user));
        form->addRow(T("Default duration"),
                     besideButton(duration_, listButton("RoutineDurations", T("Routine durations"),
                                                        {}, "BROWSEDURA", [this, user] {
                                                            fillLengths(duration_,
                                                                        ownerDurations(db(), user));
                                                        })));

        name_ = nameList("Name", USP::NAME);
        fillNames(name_, ownerNames(db(), user));
        form->addRow(T("Default %1", Word::Booking),
                     besideButton(name_, listButton("RoutineNames", T("Routine %1", Word::Bookings),
                                                    {}, "BROWSEROUTINE", [this, user] {
                                                        fillNames(name_, ownerNames(db(), user));
                                                    })));

        auto* resource = new QLineEdit(this);
        resource->setObjectName("Resource");
        bind(resource, USP::RESOURCE);
        form->addRow(T("Default resource for new %1 (optional)", Word::Bookings),
                     lookUpRow(resource, false));
        auto* client = new QLineEdit(this);
        client->setObjectName("Client");
        bind(client, USP::CLIENT);
        form->addRow(T("Default client for new %1 (optional)", Word::Bookings),
                     lookUpRow(client, true));

        auto* weekend = new QCheckBox(T("Flag weekend as conflict"), this);
        weekend->setObjectName("Weekend");
        bind(weekend, USP::WEEKEND);
        form->addRow(weekend);

        addScanRows(
            *form, this,
            {USP::BEGINDAY, USP::ENDDAY, USP::INTERVAL, USP::SCANSIZE, USP::HEIGHT, USP::SCANTEXT},
            {"Begin regular day", "End regular day", "Scan interval", "Scan width", "Scan height",
             "Scan text"});

        auto* layout = new QVBoxLayout(this);
        setMinimumWidth(520);
        layout->addLayout(form);
        layout->addWidget(statusLabel());
        layout->addWidget(okCancel());
    }

    bool TAKECOMPLETED() override {
        if (readOnly()) return true;  // only shown: nothing to save
        UPDATEBUFFER();
        if (!entriesValid() || !VALIDATE()) return false;
        offsetStart();
        // Saved, the session's preferences buffer holds the values as saved.
        return saveEnded(saveUserPreferences(db(), readAt_));
    }

  private:
    QComboBox* duration_ = nullptr;
    QComboBox* name_ = nullptr;
};

}  // namespace

void definePreferenceWindows(Store& db) {
    (void)db;
    defineWindow("SYSPREF", [](Store& db, QWidget* parent, int) {
        SYSPREFWINDOW w(db, parent);
        return w.CALL();
    });
    defineWindow("USERPREF", [](Store& db, QWidget* parent, int) {
        USERPREFWINDOW w(db, parent);
        return w.CALL();
    });
}

}  // namespace masterdata::ui
