#include "booking/ui/booking_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "booking/text_export.h"
#include "booking/ui/booking_dialogs.h"
#include "booking/ui/delete_windows.h"
#include "booking/ui/ui_text.h"
#include "framework/booking_changes.h"
#include "framework/date_time_entry.h"
#include "framework/ini_file.h"
#include "framework/program.h"
#include "masterdata/client_maintenance.h"
#include "masterdata/preferences.h"
#include "masterdata/tag_lists.h"
#include "masterdata/ui/lookup_cal.h"
#include "masterdata/ui/windows.h"
#include "reports/ui/printout_windows.h"
#include "store/error_class.h"
#include "store/file_manager.h"
#include "store/questions.h"
#include "store/session.h"
#include "store/store.h"

namespace booking::ui {

using store::LONG;
using store::Tbl;

namespace {

constexpr int kNameWidth = 50, kClientWidth = 50, kNotesWidth = 1000;

QString timeText(LONG t) {
    return t == 0 ? QString() : q(store::shortTime(store::Time(t)));
}

}  // namespace

UpdateAct::UpdateAct(store::Store& db, QWidget* parent)
    : WindowProcedure(db, "UPDATEACT", parent), form_(std::make_unique<BookingForm>(db)) {
    helpTopic = "~Update_Booking_Window";
    words_ = Words::of(db.SYP);
    form_->CHANGEREP = [this] { return CHANGEREP(this, words_); };
    form_->UPDATEUNITS = [this](const std::string& resource, int total) {
        return UPDATEUNITS(this, resource, total, words_);
    };
    build();
}

UpdateAct::~UpdateAct() = default;

void UpdateAct::build() {
    setWindowTitle(text("Add/Update %1", words_.booking));
    auto* outer = new QVBoxLayout(this);
    tabs_ = new QTabWidget(this);
    outer->addWidget(tabs_);

    general_ = new QWidget;
    auto* g = new QVBoxLayout(general_);
    auto* top = new QFormLayout;
    name_ = new QComboBox;
    name_->setEditable(true);
    name_->setInsertPolicy(QComboBox::NoInsert);
    name_->lineEdit()->setMaxLength(kNameWidth);
    name_->setToolTip(text("Name of %1", booking::lower(words_.booking)));
    top->addRow(text("%1 name:", words_.booking), name_);

    auto* clientRow = new QHBoxLayout;
    client_ = new QLineEdit;
    client_->setMaxLength(kClientWidth);
    client_->setToolTip(
        text("%1 for whom the %2 is made", words_.client, booking::lower(words_.booking)));
    clientLookup_ = new QPushButton("...");
    clientLookup_->setToolTip(text("Look up %1", booking::lower(words_.client)));
    clientRow->addWidget(client_, 1);
    clientRow->addWidget(clientLookup_);
    top->addRow(text("%1:", words_.client), clientRow);
    number_ = new QLabel;
    top->addRow(text("Number:"), number_);

    auto* dateRow = new QHBoxLayout;
    date_ = new framework::DateEntry;
    date_->setToolTip(text("Date of the %1", booking::lower(words_.booking)));
    cal_ = masterdata::ui::calButton(date_, this);
    dateRow->addWidget(date_, 1);
    dateRow->addWidget(cal_);
    top->addRow(text("Date:"), dateRow);

    startList_ = new QComboBox;
    startList_->setEditable(true);
    start_ = new framework::TimeEntry;
    startList_->setLineEdit(start_);
    startList_->setToolTip(text("Start time"));
    top->addRow(text("Start:"), startList_);
    duration_ = new QComboBox;
    duration_->setEditable(true);
    durationEntry_ = new framework::TimeEntry;
    duration_->setLineEdit(durationEntry_);
    duration_->setToolTip(text("Length of the %1 (hh:mm)", booking::lower(words_.booking)));
    top->addRow(text("Duration:"), duration_);
    end_ = new framework::TimeEntry;
    end_->setToolTip(text("End time"));
    top->addRow(text("End:"), end_);
    g->addLayout(top);

    actual_ = new QGroupBox(text("Actual times"));
    auto* act = new QFormLayout(actual_);
    actualStart_ = new framework::TimeEntry;
    actualEnd_ = new framework::TimeEntry;
    act->addRow(text("Started:"), actualStart_);
    act->addRow(text("Ended:"), actualEnd_);
    g->addWidget(actual_);

    lock_ = new QCheckBox(text("Lock"));
    lock_->setToolTip(
        text("Only you and administrators may change a locked %1", booking::lower(words_.booking)));
    g->addWidget(lock_);

    auto* repeatRow = new QHBoxLayout;
    description_ = new QLabel;
    description_->setWordWrap(true);
    // The rule's line takes the width the button leaves: a long rule wraps onto a second
    // line, never into a narrow strip of one word a line.
    description_->setMinimumWidth(description_->fontMetrics().averageCharWidth() * 40);
    description_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    repeat_ = new QPushButton(text("Repeat/Multi-Day"));
    repeat_->setToolTip(
        text("Repeat this %1 or make it span several days", booking::lower(words_.booking)));
    repeatRow->addWidget(description_, 1);
    repeatRow->addWidget(repeat_);
    g->addLayout(repeatRow);

    auto* resBox = new QGroupBox(q(words_.resources));
    auto* rl = new QHBoxLayout(resBox);
    resources_ = new QTreeWidget;
    resources_->setColumnCount(2);
    resources_->setHeaderLabels({q(words_.resource), text("Units")});
    resources_->setRootIsDecorated(false);
    resources_->header()->setStretchLastSection(false);
    int widths[2] = {160, 60};
    if (framework::program().ini) {
        const QStringList stored =
            q(framework::program().ini->get("List formats", "UpActList1", "80L(2)|@s15@40L@n6@"))
                .split(',');
        if (stored.size() == 2)
            for (int i = 0; i < 2; ++i)
                if (const int w = stored[i].toInt(); w > 0 && w < 2000) widths[i] = w;
    }
    for (int i = 0; i < 2; ++i) resources_->setColumnWidth(i, widths[i]);
    // The primary resource is named under the list, so that a long code never widens the
    // column of buttons beside it.
    primary_ = new QLabel;
    auto* listColumn = new QVBoxLayout;
    listColumn->addWidget(resources_, 1);
    listColumn->addWidget(primary_);
    rl->addLayout(listColumn, 1);
    auto* rb = new QVBoxLayout;
    insert_ = new QPushButton(text("Insert"));
    insert_->setToolTip(text("Add %1 to this %2", booking::lower(words_.resources),
                             booking::lower(words_.booking)));
    delete_ = new QPushButton(text("Delete"));
    delete_->setToolTip(text("Remove the highlighted %1", booking::lower(words_.resource)));
    addGroup_ = new QPushButton(text("Add group"));
    addGroup_->setToolTip(text("Add every %1 of a group", booking::lower(words_.resource)));
    deleteGroup_ = new QPushButton(text("Delete group"));
    deleteGroup_->setToolTip(text("Remove every %1 of a group", booking::lower(words_.resource)));
    makePrimary_ = new QPushButton(text("Make primary"));
    makePrimary_->setToolTip(
        text("Make the highlighted %1 the primary one", booking::lower(words_.resource)));
    for (QWidget* w : {static_cast<QWidget*>(insert_), static_cast<QWidget*>(delete_),
                       static_cast<QWidget*>(addGroup_), static_cast<QWidget*>(deleteGroup_),
                       static_cast<QWidget*>(makePrimary_)})
        rb->addWidget(w);
    rb->addStretch();
    rl->addLayout(rb);
    g->addWidget(resBox, 1);
    tabs_->addTab(general_, text("General"));

    notes_ = new QPlainTextEdit;
    notes_->setToolTip(text("Notes on %1", booking::lower(words_.booking)));
    tabs_->addTab(notes_, text("Notes"));

    auto* buttons = new QHBoxLayout;
    status_ = new QLabel;
    buttons->addWidget(status_, 1);
    ok_ = new QPushButton(text("OK"));
    ok_->setDefault(true);
    cancel_ = new QPushButton(text("Cancel"));
    print_ = new QPushButton(text("Print"));
    print_->setToolTip(text("Print this %1", booking::lower(words_.booking)));
    textFile_ = new QPushButton(text("Text File"));
    textFile_->setToolTip(text("Write this %1 to a text file", booking::lower(words_.booking)));
    help_ = new QPushButton(text("Help"));
    for (QPushButton* b : {ok_, cancel_, print_, textFile_, help_}) buttons->addWidget(b);
    outer->addLayout(buttons);

    for (QObject* c : {static_cast<QObject*>(clientLookup_), static_cast<QObject*>(repeat_),
                       static_cast<QObject*>(insert_), static_cast<QObject*>(delete_),
                       static_cast<QObject*>(addGroup_), static_cast<QObject*>(deleteGroup_),
                       static_cast<QObject*>(makePrimary_), static_cast<QObject*>(textFile_),
                       static_cast<QObject*>(print_)})
        accepted(c);
    connect(ok_, &QPushButton::clicked, this, &UpdateAct::accept);
    connect(cancel_, &QPushButton::clicked, this, &UpdateAct::reject);
    connect(help_, &QPushButton::clicked, this, &UpdateAct::showHelp);

    connect(date_, &framework::DateEntry::valueAccepted, this, [this](store::Date d) {
        form_->date = d.value;
        CONTROLPROP();
    });
    connect(start_, &framework::TimeEntry::valueAccepted, this, [this](store::Time t) {
        if (displaying_ || inOk_) return;
        if (t.value == (form_->start ? form_->start : -1)) return;  // untouched
        form_->startAccepted(t.value);
        display();
    });
    connect(startList_, qOverload<int>(&QComboBox::activated), this, [this](int i) {
        form_->startAccepted(startList_->itemData(i).toInt());
        display();
    });
    connect(durationEntry_, &framework::TimeEntry::valueAccepted, this, [this](store::Time t) {
        if (displaying_ || inOk_ || t.value == form_->duration) return;
        form_->durationAccepted(t.value);
        display();
    });
    connect(duration_, qOverload<int>(&QComboBox::activated), this, [this](int i) {
        form_->durationAccepted(duration_->itemData(i).toInt());
        display();
    });
    connect(end_, &framework::TimeEntry::valueAccepted, this, [this](store::Time t) {
        if (displaying_ || inOk_ || t.value == form_->end) return;
        form_->endAccepted(t.value);
        display();
    });
    connect(actualStart_, &framework::TimeEntry::valueAccepted, this,
            [this](store::Time t) { form_->actualStart = t.value; });
    connect(actualEnd_, &framework::TimeEntry::valueAccepted, this,
            [this](store::Time t) { form_->actualEnd = t.value; });
    connect(name_->lineEdit(), &QLineEdit::textEdited, this, [this](const QString& t) {
        db().ACT.NAME = s(t);
        CONTROLPROP();
    });
    connect(name_, &QComboBox::textActivated, this, [this](const QString& t) {
        db().ACT.NAME = s(t);
        CONTROLPROP();
    });
    connect(client_, &QLineEdit::textEdited, this, [this](const QString& t) {
        db().ACT.CLIENT = s(t);
        clientLookupCancelled_ = false;
        CONTROLPROP();
    });
    connect(client_, &QLineEdit::editingFinished, this, [this] {
        if (!displaying_ && !inOk_ && client_->isModified()) {
            client_->setModified(false);
            lookUpClient(false);
        }
    });
    connect(lock_, &QCheckBox::toggled, this, [this](bool on) { db().ACT.LOCK = on ? 1 : 0; });
    connect(notes_, &QPlainTextEdit::textChanged, this, [this] {
        if (displaying_) return;
        db().ACN.NOTES = s(notes_->toPlainText().left(kNotesWidth));
        CONTROLPROP();
    });
    watch(client_);
    watch(end_);

    setTabOrder(name_, client_);
    setTabOrder(client_, clientLookup_);
    setTabOrder(clientLookup_, date_);
    setTabOrder(date_, cal_);
    setTabOrder(cal_, startList_);
    setTabOrder(startList_, duration_);
    setTabOrder(duration_, end_);
    setTabOrder(end_, actualStart_);
    setTabOrder(actualStart_, actualEnd_);
    setTabOrder(actualEnd_, lock_);
    setTabOrder(lock_, repeat_);
    setTabOrder(repeat_, resources_);
    setTabOrder(resources_, insert_);
    setTabOrder(insert_, delete_);
    setTabOrder(delete_, addGroup_);
    setTabOrder(addGroup_, deleteGroup_);
    setTabOrder(deleteGroup_, makePrimary_);
    setTabOrder(makePrimary_, ok_);
    setTabOrder(ok_, cancel_);
    setTabOrder(cancel_, print_);
    setTabOrder(print_, textFile_);
    setTabOrder(textFile_, help_);
}

bool UpdateAct::INIT() {
    if (!WindowProcedure::INIT()) return false;
    const int request = store::session().GlobalRequest;
    if (!form_->open(request == store::ChangeRecord ? store::ChangeRecord : store::InsertRecord))
        return false;
    if (prime && !form_->changing()) prime(*form_);
    words_ = form_->words();
    status_->setText(text(form_->changing() ? "Record will be Changed" : "Record will be Added"));
    actual_->setVisible(db().SYP.ACTUAL == 1);
    {
        const QSignalBlocker b1(name_), b2(startList_), b3(duration_);
        for (const std::string& n : form_->names) name_->addItem(q(n));
        for (LONG t : form_->startTimes) startList_->addItem(timeText(t), int(t));
        for (LONG d : form_->durations) duration_->addItem(q(masterdata::lengthText(d)), int(d));
    }
    display();
    name_->setFocus();
    return true;
}

void UpdateAct::display() {
    displaying_ = true;
    store::Store& d = db();
    const QSignalBlocker b1(name_), b2(startList_), b3(duration_);
    name_->setEditText(q(d.ACT.NAME.str()));
    client_->setText(q(d.ACT.CLIENT.str()));
    client_->setModified(false);
    number_->setText(q(form_->numberText()));
    date_->setValue(store::Date(form_->date));
    start_->setStored(form_->start);
    durationEntry_->setStored(form_->duration);
    end_->setStored(form_->end);
    actualStart_->setStored(form_->actualStart);
    actualEnd_->setStored(form_->actualEnd);
    {
        const QSignalBlocker bl(lock_);
        lock_->setChecked(d.ACT.LOCK == 1);
    }
    {
        const QSignalBlocker bn(notes_);
        if (notes_->toPlainText() != q(d.ACN.NOTES.str()))
            notes_->setPlainText(q(d.ACN.NOTES.str()));
    }
    description_->setText(q(form_->description()));
    const int row = resources_->currentIndex().row();
    resources_->clear();
    for (const ResourceEntry& r : form_->resources())
        resources_->addTopLevelItem(
            new QTreeWidgetItem(QStringList{q(r.RESOURCE), QString::number(r.UNITS)}));
    if (resources_->topLevelItemCount() > 0)
        resources_->setCurrentItem(
            resources_->topLevelItem(std::clamp(row, 0, resources_->topLevelItemCount() - 1)));
    primary_->setText(d.ACT.PRIME.blank() ? QString() : text("Primary: %1", d.ACT.PRIME.str()));
    displaying_ = false;
    CONTROLPROP();
}

void UpdateAct::CONTROLPROP() {
    const bool may = form_->editingAllowed();
    repeat_->setEnabled(may && form_->repeatEnabled());
    const bool save = form_->saveEnabled();
    ok_->setEnabled(save);
    textFile_->setEnabled(save);
    // A booking that may only be viewed can still be printed.
    print_->setEnabled(save || form_->changing());
    general_->setEnabled(may);
    notes_->setReadOnly(!may);
    lock_->setEnabled(may && form_->lockEnabled());
    tabs_->tabBar()->setTabTextColor(1, form_->notesMarked() ? QColor(255, 0, 0) : QColor(0, 0, 0));
}

bool UpdateAct::pull() {
    for (framework::DateEntry* e : {date_})
        if (!e->checkInput(true)) return false;
    for (framework::TimeEntry* e : {start_, durationEntry_, end_, actualStart_, actualEnd_})
        if (!e->checkInput(true)) return false;
    form_->date = date_->value().value;
    if (start_->stored() != form_->start) form_->startAccepted(start_->stored());
    if (durationEntry_->stored() != form_->duration)
        form_->durationAccepted(durationEntry_->stored());
    if (end_->stored() != form_->end) form_->endAccepted(end_->stored());
    form_->actualStart = actualStart_->stored();
    form_->actualEnd = actualEnd_->stored();
    db().ACT.NAME = s(name_->currentText());
    db().ACT.CLIENT = s(client_->text());
    db().ACN.NOTES = s(notes_->toPlainText().left(kNotesWidth));
    return true;
}

void UpdateAct::focusField(FormField f) {
    QWidget* w = nullptr;
    switch (f) {
        case FormField::Date:
            w = date_;
            break;
        case FormField::Start:
            w = start_;
            break;
        case FormField::End:
            w = end_;
            break;
        case FormField::Name:
            w = name_;
            break;
        case FormField::Client:
            w = client_;
            break;
        case FormField::Resources:
            w = insert_;
            break;
        case FormField::None:
            break;
    }
    if (w) {
        tabs_->setCurrentIndex(0);
        w->setFocus();
    }
}

void UpdateAct::lookUpClient(bool always) {
    store::Store& d = db();
    const std::string typed = trim(s(client_->text()));
    if (!always && masterdata::readClient(d, typed)) {
        d.ACT.CLIENT = d.CLI.CLIENT.view();
        return;
    }
    d.CLI.CLIENT = typed;
    const int r = framework::callWindow("BROWSECLIENT", d, this, store::SelectRecord);
    if (r == store::RequestCompleted) {
        d.ACT.CLIENT = d.CLI.CLIENT.view();
        clientLookupCancelled_ = false;
        display();
        date_->setFocus();
    } else {
        clientLookupCancelled_ = true;
        client_->setFocus();
    }
}

void UpdateAct::insertResources() {
    masterdata::resourceTags().clear();
    if (framework::callWindow("BROWSERESOURCEM", db(), this, store::SelectRecord) ==
        store::RequestCompleted) {
        std::vector<std::pair<std::string, int>> chosen;
        for (const masterdata::TaggedResource& t : masterdata::resourceTags())
            chosen.push_back({t.resource, t.units});
        form_->insertResources(std::move(chosen));
    }
    masterdata::resourceTags().clear();
    display();
}

void UpdateAct::addGroup(bool add) {
    if (framework::callWindow("BROWSEGROUPS", db(), this, store::SelectRecord) !=
        store::RequestCompleted)
        return;
    const std::string group = db().GRO.GROUP.str();
    if (add) {
        if (!form_->addGroup(group)) {
            display();
            name_->setFocus();
            return;
        }
    } else {
        form_->deleteGroup(group);
    }
    display();
}

void UpdateAct::runRepeat() {
    if (!pull()) return;
    if (!form_->beforeRepeat()) {
        display();
        focusField(form_->focus());
        return;
    }
    const int r =
        REPEATACT(db(), this, form_->occurrenceList(), form_->current(), form_->startTimes);
    form_->afterRepeat(r == store::RequestCompleted);
    display();
}

void UpdateAct::writeTextFile() {
    if (!pull()) return;
    std::string error;
    const std::string folder = QDir::currentPath().toStdString();
    saveTextFile(form_->textLines(), folder, error);
    if (!error.empty())
        store::questions().message("Tembrix",
                                   s(text("The text file could not be written: %1", error)),
                                   store::Icon::Exclamation, store::BUTTON_OK, store::BUTTON_OK);
    // The form then goes on as if OK (or, for a user who may not save, Cancel) was pressed;
    // a save is announced before it happens, so that it never comes as a surprise.
    if (form_->saveEnabled() && (!form_->changing() || form_->edited()))
        store::questions().message(
            "Tembrix",
            s(text("The %1 is saved now, as OK saves it.", booking::lower(words_.booking))),
            store::Icon::Information, store::BUTTON_OK, store::BUTTON_OK);
    QTimer::singleShot(0, this, [this] {
        if (form_->saveEnabled()) {
            accept();
        } else {
            closingQuietly_ = true;
            reject();
        }
    });
}

void UpdateAct::TAKEACCEPTED(QObject* control) {
    // What was typed counts before any button acts, even where the entry kept the focus.
    if (control != textFile_ && control != repeat_ && control != print_ && !pull()) return;
    if (control == clientLookup_) {
        lookUpClient(true);
    } else if (control == repeat_) {
        runRepeat();
    } else if (control == insert_) {
        insertResources();
    } else if (control == delete_) {
        form_->deleteResource(resources_->currentIndex().row());
        display();
    } else if (control == addGroup_) {
        addGroup(true);
    } else if (control == deleteGroup_) {
        addGroup(false);
    } else if (control == makePrimary_) {
        form_->makePrimary(resources_->currentIndex().row());
        display();
    } else if (control == textFile_) {
        writeTextFile();
    } else if (control == print_) {
        // What was typed is printed as it stands, even before it is saved.
        if (form_->editingAllowed()) pull();
        reports::ui::PRINTBOOKING(db(), *form_, this);
    }
    CONTROLPROP();
}

void UpdateAct::TAKESELECTED(QObject* control) {
    if (displaying_ || inOk_) return;
    if (control == end_) {
        if (form_->end == 0) {
            form_->endFocused();
            display();
        }
    } else if (control == client_ && form_->editingAllowed() && !clientLookupCancelled_) {
        // A client not on file (a blank one included) is chosen from the list at once.
        if (!masterdata::readClient(db(), trim(s(client_->text()))))
            QTimer::singleShot(0, this, [this] { lookUpClient(true); });
    }
}

bool UpdateAct::TAKECOMPLETED() {
    if (!pull()) return false;
    inOk_ = true;
    OkOutcome outcome;
    {
        // A long rule takes a moment to check and save; its conflict dialogs show the
        // normal cursor.
        framework::BusyCursor busy;
        outcome = form_->OK();
    }
    inOk_ = false;
    if (outcome == OkOutcome::Completed) {
        store::session().GlobalResponse = store::RequestCompleted;
        return true;
    }
    if (outcome == OkOutcome::Cancelled) {
        store::session().GlobalResponse = store::RequestCancelled;
        // Nothing to save (or nothing that may be saved): the form closes without asking.
        closingQuietly_ = true;
        QTimer::singleShot(0, this, &UpdateAct::reject);
        return false;
    }
    display();
    focusField(form_->focus());
    return false;
}

bool UpdateAct::TAKECLOSEEVENT() {
    if (!closingQuietly_ && form_->editingAllowed()) {
        // Text in a date or time entry that is no date or time was typed by the user too;
        // everything else is read into the form first, so that a change still being typed
        // counts.
        bool unreadable = !date_->isValid();
        for (framework::TimeEntry* t : {start_, durationEntry_, end_, actualStart_, actualEnd_})
            unreadable = unreadable || !t->isValid();
        if (!unreadable) pull();
        if (unreadable || form_->edited()) {
            // No is the safe answer: it writes nothing. Yes runs OK with every check.
            switch (db().errors().MESSAGE(
                35, store::BUTTON_YES | store::BUTTON_NO | store::BUTTON_CANCEL,
                store::BUTTON_NO)) {
                case store::BUTTON_YES:
                    accept();  // saves and closes, or stays open when OK stays
                    return false;
                case store::BUTTON_NO:
                    break;
                default:
                    name_->setFocus();
                    return false;
            }
        }
    }
    store::session().GlobalResponse = store::RequestCancelled;
    return true;
}

int UPDATEACT(store::Store& db, QWidget* parent, std::function<void(BookingForm&)> prime) {
    store::session().GlobalResponse = store::RequestCancelled;
    auto* form = new UpdateAct(db, parent);
    form->prime = std::move(prime);
    form->setAttribute(Qt::WA_DeleteOnClose, false);
    form->CALL();
    const int response = store::session().GlobalResponse;
    delete form;
    if (response == store::RequestCompleted) emit framework::bookingChanges().changed();
    return response == store::RequestCompleted ? store::RequestCompleted : store::RequestCancelled;
}

void registerWindows(store::Store& db) {
    setTranslator([](const std::string& t) {
        return framework::program().translate ? framework::program().translate(t) : t;
    });
    installConflictWindow(db);
    framework::defineWindow(
        "UPDATEACT", [](store::Store& d, QWidget* parent, int) { return UPDATEACT(d, parent); });
    // The lists call DELACT with the occurrence in the DATES buffer; the frame's menu runs
    // the purge.
    framework::defineWindow(
        "DELACT", [](store::Store& d, QWidget* parent, int) { return DELACT(d, parent); });
    framework::defineWindow("BATCHDELETE", [](store::Store& d, QWidget* parent, int) {
        return BATCHDELETE(d, parent);
    });
}

}  // namespace booking::ui
