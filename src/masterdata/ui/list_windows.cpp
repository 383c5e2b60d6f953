#include "masterdata/ui/list_windows.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <vector>

#include "framework/date_time_entry.h"
#include "framework/program.h"
#include "masterdata/preferences.h"
#include "masterdata/ui/list_actions.h"
#include "masterdata/ui/lookup_cal.h"
#include "masterdata/ui/window_words.h"
#include "masterdata/ui/windows.h"
#include "store/questions.h"
#include "store/record_image.h"
#include "store/session.h"
#include "store/store.h"

namespace masterdata::ui {

using namespace store;

namespace {

/// A record image with only the owner field set, for limiting a list to one owner.
std::vector<std::byte> ownerRange(Store& db, Tbl table, Field ownerField,
                                  const std::string& owner) {
    const TableDecl& d = db.table(table).decl();
    std::vector<std::byte> values(d.recordSize);
    clearRecord(d, values.data());
    setText(d.field(ownerField), values.data(), owner);
    return values;
}

QString tipOf(const char* text, const std::string& word = {}) {
    return words(text, word, true);
}

void setTip(QWidget& window, const char* name, const QString& tip) {
    if (auto* b = window.findChild<QPushButton*>(name)) b->setToolTip(tip);
}

/// The browse for a window started from the frame or a preferences window: a select
/// request runs it modally, anything else starts it as a window of its own.
template <class Make>
int runBrowse(int request, Make make) {
    session().GlobalRequest = NoRequest;
    if (request == SelectRecord) {
        auto browse = make(true);
        const int response = browse->CALL();
        delete browse;
        return response;
    }
    make(false)->START();
    return RequestCompleted;
}

}  // namespace

// --- durations -----------------------------------------------------------------------

DurationBrowse::DurationBrowse(Store& db, const std::string& name, std::string owner,
                               std::string formName, QWidget* parent)
    : BrowseProcedure(db, Tbl::DURLIST, DUR::USERNAME_KEY, name, parent) {
    placementSection = name;
    listFormatKey = "BrwDurations";
    setWindowTitle(words("Browse Durations"));
    const std::vector<std::byte> range = ownerRange(db, Tbl::DURLIST, DUR::USERNAME, owner);
    model().setRange(1, range.data());
    setColumns({{words("HH:MM"),
                 [](const std::byte* r) {
                     return QString::fromStdString(
                         lengthText(reinterpret_cast<const DURLIST*>(r)->DURATION));
                 },
                 90}});
    setForm(
        [this, formName](int request) { return callWindow(formName, this->db(), this, request); });
    // A length is added or deleted, never changed.
    setUpdatesAllowed(true, false, true);
    if (auto* change = findChild<QPushButton*>("Change")) change->hide();
    setTip(*this, "Insert", tipOf("Add new duration"));
    setTip(*this, "Delete", tipOf("Delete highlighted duration"));
    addListActions(*this);
    // One narrow column: the standard eleven lengths and one more show whole.
    resize(360, height());
    fitRows(12);
}

void DurationBrowse::LOCATE(const QString& text) {
    if (text.trimmed().isEmpty()) {
        BrowseProcedure::LOCATE(text);
        return;
    }
    // "1:30" goes to the length 1:30, "1" to one hour; half-typed text to what it reads.
    Time t = framework::TimeEntry::parse(text);
    if (t.isNull()) t = framework::TimeEntry::parse(text + "0");
    if (t.isNull()) t = framework::TimeEntry::parse(text + "00");
    if (t.isNull()) return;
    BrowseProcedure::LOCATE(QString::number(t.value));
}

DurationForm::DurationForm(Store& db, const std::string& name, std::string owner, QWidget* parent)
    : FormProcedure(db, Tbl::DURLIST, name, parent), owner_(std::move(owner)) {
    placementSection = name;
}

bool DurationForm::INIT() {
    if (!FormProcedure::INIT()) return false;
    statusLabel()->setText(
        words(request() == InsertRecord ? "Adding a DURLIST Record" : "Changing a DURLIST Record"));
    return true;
}

void DurationForm::BUILD() {
    setWindowTitle(words("Add/Update Routine Duration"));
    duration_ = new framework::TimeEntry(this);
    duration_->setObjectName("Duration");
    duration_->setToolTip(tipOf("Length of duration"));
    bind(duration_, DUR::DURATION);
    auto* form = new QFormLayout;
    form->addRow(words("Duration:"), duration_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(statusLabel());
    layout->addWidget(okCancel());
}

void DurationForm::PRIMEFIELDS() {
    db().DUR.USERNAME = owner_;
}

bool DurationForm::VALIDATE() {
    if (Length(db().DUR.DURATION).hundredths() <= 0) {
        refusal(windowTitle(), words("Enter a duration longer than 00:00, as hh:mm."));
        duration_->setFocus();
        return false;
    }
    return true;
}

// --- routine names -------------------------------------------------------------------

RoutineBrowse::RoutineBrowse(Store& db, const std::string& name, std::string owner,
                             std::string formName, bool select, QWidget* parent)
    : BrowseProcedure(db, Tbl::ROUTINEA, ROU::USERNAME_KEY, name, parent) {
    placementSection = name;
    listFormatKey = "BrwRoutine";
    const SystemWords w = readSystemWords(db);
    setWindowTitle(words("Browse Routine %1", w.bookings));
    const std::vector<std::byte> range = ownerRange(db, Tbl::ROUTINEA, ROU::USERNAME, owner);
    model().setRange(1, range.data());
    setColumns({{words("%1", w.booking),
                 [](const std::byte* r) {
                     return QString::fromStdString(reinterpret_cast<const ROUTINEA*>(r)->NAME.str())
                         .trimmed();
                 },
                 50 * fontMetrics().averageCharWidth()}});
    setForm(
        [this, formName](int request) { return callWindow(formName, this->db(), this, request); });
    setSelectMode(select);
    setTip(*this, "Insert", tipOf("Add new routine %1", w.booking));
    setTip(*this, "Delete", tipOf("Remove routine %1", w.booking));
    setTip(*this, "Select", tipOf("Select highlighted %1", w.booking));
    addListActions(*this);
}

RoutineForm::RoutineForm(Store& db, const std::string& name, std::string owner, QWidget* parent)
    : FormProcedure(db, Tbl::ROUTINEA, name, parent), owner_(std::move(owner)) {
    placementSection = name;
    words_ = readSystemWords(db);
}

bool RoutineForm::INIT() {
    if (!FormProcedure::INIT()) return false;
    statusLabel()->setText(
        words(request() == InsertRecord ? "Record Will Be Added" : "Record Will Be Changed"));
    return true;
}

void RoutineForm::BUILD() {
    setWindowTitle(words("Update Routine %1", words_.booking));
    name_ = new QLineEdit(this);
    name_->setObjectName("Name");
    name_->setToolTip(tipOf("Name of routine %1", words_.booking));
    bind(name_, ROU::NAME);
    auto* form = new QFormLayout;
    form->addRow(words("%1:", words_.booking), name_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(statusLabel());
    layout->addWidget(okCancel());
    resize(420, height());
}

void RoutineForm::PRIMEFIELDS() {
    db().ROU.USERNAME = owner_;
}

bool RoutineForm::VALIDATE() {
    if (name_->text().trimmed().isEmpty()) {
        refusal(windowTitle(), words("Enter the name of the routine %1.", words_.booking, true));
        name_->setFocus();
        return false;
    }
    return true;
}

// --- special days --------------------------------------------------------------------

SpecialForm::SpecialForm(Store& db, QWidget* parent)
    : FormProcedure(db, Tbl::SPECIAL, "UPDATESPECIAL", parent) {
    helpTopic = "~Update_Special_Days_Window";
    placementSection = "UPDATESPECIAL";
}

void SpecialForm::BUILD() {
    setWindowTitle(words("Add/Update Special Day Period"));
    description_ = new QLineEdit(this);
    description_->setObjectName("Description");
    description_->setToolTip(tipOf("What the period is called"));
    start_ = new framework::DateEntry(this);
    start_->setObjectName("StartDate");
    start_->setToolTip(tipOf("Starting date of period"));
    end_ = new framework::DateEntry(this);
    end_->setObjectName("EndDate");
    end_->setToolTip(tipOf("Ending date of period"));
    bind(description_, SPE::DESCRIPTION);
    bind(start_, SPE::STARTDATE);
    bind(end_, SPE::ENDDATE);
    QPushButton* calStart = calButton(start_, this);
    calStart->setObjectName("CalStart");
    QPushButton* calEnd = calButton(end_, this);
    calEnd->setObjectName("CalEnd");
    // A start picked on the calendar or typed before the end is known is offered as the
    // end too, so that a one-day period needs one date.
    connect(start_, &framework::DateEntry::valueAccepted, this, [this](Date d) {
        if (end_->value().isNull() && end_->text().trimmed().isEmpty() && !d.isNull())
            end_->setValue(d);
    });

    auto dateRow = [this](framework::DateEntry* entry, QPushButton* cal) {
        auto* row = new QHBoxLayout;
        row->addWidget(entry, 1);
        row->addWidget(cal);
        return row;
    };
    auto* form = new QFormLayout;
    form->addRow(words("Description:"), description_);
    form->addRow(words("Start date"), dateRow(start_, calStart));
    form->addRow(words("End date:"), dateRow(end_, calEnd));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(statusLabel());
    layout->addWidget(okCancel());
    setTabOrder(description_, start_);
    setTabOrder(start_, calStart);
    setTabOrder(calStart, end_);
    setTabOrder(end_, calEnd);
}

bool SpecialForm::VALIDATE() {
    const Date start(db().SPE.STARTDATE), end(db().SPE.ENDDATE);
    const std::string problem = specialPeriodProblem(start, end);
    if (problem.empty()) return true;
    refusal(windowTitle(), words(problem.c_str()));
    (start.isNull() ? start_ : end_)->setFocus();
    return false;
}

// --- the special-days file -----------------------------------------------------------

SpecialImport TRANSFERFILE(Store& db, const std::string& path) {
    SpecialImport result;
    {
        framework::BusyCursor busy;
        result = importSpecialDays(db, path);
    }
    const QString caption = words("Five and one year files");
    if (!result.problem.empty()) {
        refusal(caption, words(result.problem.c_str()));
    } else {
        questions().message(
            caption.toStdString(),
            words("%1 special day periods were added.", std::to_string(result.added)).toStdString(),
            Icon::Information, BUTTON_OK, BUTTON_OK);
    }
    return result;
}

FiveYearWindow::FiveYearWindow(Store& db, QWidget* parent)
    : WindowProcedure(db, "FIVEYEAR", parent) {
    helpTopic = "~Special_Days_Set";
    placementSection = "FIVEYEAR";
}

bool FiveYearWindow::INIT() {
    setWindowTitle(words("Five and one year files"));
    path_ = new QLineEdit(this);
    path_->setObjectName("File");
    path_->setMaxLength(144);
    auto* look = new QPushButton("...", this);
    look->setObjectName("LookUp");
    look->setToolTip(tipOf("Look up file"));
    look->setAutoDefault(false);
    connect(look, &QPushButton::clicked, this, &FiveYearWindow::lookUp);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(words("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName("OK");
    ok->setDefault(true);
    buttons->addButton(words("Cancel"), QDialogButtonBox::RejectRole)->setObjectName("Cancel");
    buttons->addButton(words("Help"), QDialogButtonBox::HelpRole)->setObjectName("Help");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, &WindowProcedure::showHelp);

    auto* prompt = new QLabel(words("Select file to add to special days"), this);
    prompt->setBuddy(path_);
    auto* row = new QHBoxLayout;
    row->addWidget(path_, 1);
    row->addWidget(look);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addLayout(row);
    layout->addWidget(buttons);
    resize(520, sizeHint().height());
    if (!WindowProcedure::INIT()) return false;
    path_->setFocus();
    return true;
}

void FiveYearWindow::lookUp() {
    path_->clear();
    const std::string chosen = questions().chooseFile(
        UserQuestions::FileKind::Open, words("Choose Special Day File").toStdString(), {},
        words("Special Day Files (*.tps)").toStdString());
    if (!chosen.empty()) path_->setText(QString::fromStdString(chosen));
    path_->setFocus();
}

bool FiveYearWindow::TAKECOMPLETED() {
    const std::string path = path_->text().trimmed().toStdString();
    if (path.empty()) return false;
    // A file that cannot be used leaves the window open, so that another can be chosen.
    if (!TRANSFERFILE(db(), path).problem.empty()) {
        path_->setFocus();
        path_->selectAll();
        return false;
    }
    return true;
}

// --- definitions ---------------------------------------------------------------------

void defineListWindows(Store& db) {
    (void)db;
    struct Owned {
        const char* browse;
        const char* form;
        bool system;
    };
    for (Owned o : {Owned{"BROWSEDUR2", "ADDDURA2", true}, Owned{"BROWSEDURA", "ADDDURA", false}}) {
        const auto owner = [system = o.system] {
            return system ? std::string(kSystemListOwner) : session().GlobalUserName;
        };
        defineWindow(o.browse, [o, owner](Store& db, QWidget* parent, int request) {
            return runBrowse(request, [&](bool) {
                return new DurationBrowse(db, o.browse, owner(), o.form, parent);
            });
        });
        defineWindow(o.form, [o, owner](Store& db, QWidget* parent, int) {
            DurationForm form(db, o.form, owner(), parent);
            return form.CALL();
        });
    }
    for (Owned o : {Owned{"BROWSEROUTINE2", "ADDROUTINEACT2", true},
                    Owned{"BROWSEROUTINE", "ADDROUTINEACT", false}}) {
        const auto owner = [system = o.system] {
            return system ? std::string(kSystemListOwner) : session().GlobalUserName;
        };
        defineWindow(o.browse, [o, owner](Store& db, QWidget* parent, int request) {
            return runBrowse(request, [&](bool select) {
                return new RoutineBrowse(db, o.browse, owner(), o.form, select, parent);
            });
        });
        defineWindow(o.form, [o, owner](Store& db, QWidget* parent, int) {
            RoutineForm form(db, o.form, owner(), parent);
            return form.CALL();
        });
    }
    defineWindow("UPDATESPECIAL", [](Store& db, QWidget* parent, int) {
        SpecialForm form(db, parent);
        return form.CALL();
    });
    defineWindow("FIVEYEAR", [](Store& db, QWidget* parent, int) {
        FiveYearWindow w(db, parent);
        return w.CALL();
    });
}

}  // namespace masterdata::ui
