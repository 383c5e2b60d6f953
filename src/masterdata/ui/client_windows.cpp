#include "masterdata/ui/client_windows.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "framework/program.h"
#include "masterdata/ui/list_actions.h"
#include "masterdata/ui/window_words.h"
#include "masterdata/ui/windows.h"
#include "store/datetime.h"
#include "store/error_class.h"
#include "store/questions.h"
#include "store/record_image.h"
#include "store/session.h"
#include "store/store.h"

namespace masterdata::ui {

using namespace store;

namespace {

/// The text a field of the record shows in a list.
QString fieldText(Store& db, Tbl table, Field field, const std::byte* record) {
    const FieldDecl& f = db.table(table).decl().field(field);
    return QString::fromStdString(std::string(getText(f, record))).trimmed();
}

/// Adds a button to the browse's row of buttons, before its Close button.
void addBrowseButton(framework::BrowseProcedure& browse, QPushButton* button) {
    auto* close = browse.findChild<QPushButton*>("Close");
    for (QObject* child : browse.layout()->children()) {
        auto* row = qobject_cast<QBoxLayout*>(child);
        if (row && row->indexOf(close) >= 0) {
            row->insertWidget(row->indexOf(close) - 1, button);
            return;
        }
    }
}

}  // namespace

// --- UPDATECLIENT --------------------------------------------------------------------

ClientForm::ClientForm(Store& db, QWidget* parent)
    : FormProcedure(db, Tbl::CLIENT, "UPDATECLIENT", parent) {
    helpTopic = "~Update_Client_Window";
    placementSection = "UPDATECLIENT";
    words_ = readSystemWords(db);
    rights_ = clientRights(session().accessLevel, words_.clientGeneral);
    allowInsert = rights_.insert;
    allowDelete = rights_.remove;
    // Without the right to change, a client is still shown, read-only.
    allowChange = true;
}

bool ClientForm::INIT() {
    if (session().GlobalRequest == DeleteRecord && rights_.remove) {
        // The client goes with its bookings and their resource rows, in one transaction.
        session().GlobalRequest = NoRequest;
        const Level l = deleteClient(db(), true);
        session().GlobalResponse = l == Level_Benign ? RequestCompleted : RequestCancelled;
        return false;
    }
    if (!FormProcedure::INIT()) return false;
    statusLabel()->setText(
        words(request() == InsertRecord ? "Record Will Be Added" : "Record Will Be Changed"));
    if (request() == ChangeRecord && !rights_.change) setReadOnly(true);
    return true;
}

void ClientForm::BUILD() {
    setWindowTitle(words("Add/Update %1", words_.client));
    name_ = new QLineEdit(this);
    name_->setObjectName("Client");
    name_->setToolTip(words("Name (person or organization) of the client"));
    auto* contact = new QLineEdit(this);
    contact->setObjectName("Contact");
    contact->setToolTip(words("Contact person for organizational client"));
    auto* phone = new QLineEdit(this);
    phone->setObjectName("Phone");
    phone->setToolTip(words("Phone number"));
    auto* fax = new QLineEdit(this);
    fax->setObjectName("Fax");
    auto* email = new QLineEdit(this);
    email->setObjectName("Email");
    email->setToolTip(words("E-mail address"));
    address_ = new QPlainTextEdit(this);
    address_->setObjectName("Address");
    address_->setToolTip(words("Mailing address"));
    address_->setTabChangesFocus(true);
    notes_ = new QPlainTextEdit(this);
    notes_->setObjectName("Notes");
    notes_->setToolTip(words("Notes on %1", words_.client, true));
    notes_->setTabChangesFocus(true);

    bind(name_, CLI::CLIENT);
    bind(contact, CLI::CONTACT);
    bind(phone, CLI::PHONE);
    bind(fax, CLI::FAX);
    bind(email, CLI::EMAIL);
    bind(address_, CLI::ADDRESS);
    bind(notes_, CLI::NOTES);

    auto* general = new QWidget(this);
    auto* form = new QFormLayout(general);
    form->addRow(words("%1:", words_.client), name_);
    form->addRow(words("Contact person"), contact);
    form->addRow(words("Phone"), phone);
    form->addRow(words("Fax number"), fax);
    form->addRow(words("E-mail"), email);
    form->addRow(words("Address"), address_);
    auto* tabs = new QTabWidget(this);
    tabs->setObjectName("Tabs");
    tabs->addTab(general, words("General"));
    tabs->addTab(notes_, words("Notes"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addWidget(statusLabel());
    layout->addWidget(okCancel());
    resize(480, 420);
}

bool ClientForm::VALIDATE() {
    auto refuse = [this](QWidget* where, const QString& text) {
        refusal(windowTitle(), text);
        where->setFocus();
        return false;
    };
    if (name_->text().trimmed().isEmpty())
        return refuse(name_, words("Enter the name of the %1.", words_.client, true));
    // The address and notes are kept in fields of a fixed size: text beyond it would be
    // lost without a word, so it is refused instead.
    const TableDecl& d = db().table(Tbl::CLIENT).decl();
    const int addressWidth = d.field(CLI::ADDRESS).width;
    const int notesWidth = d.field(CLI::NOTES).width;
    if (int(address_->toPlainText().toUtf8().size()) > addressWidth)
        return refuse(address_, words("The address is too long: it may hold %1 characters.",
                                      std::to_string(addressWidth)));
    if (int(notes_->toPlainText().toUtf8().size()) > notesWidth)
        return refuse(notes_, words("The notes are too long: they may hold %1 characters.",
                                    std::to_string(notesWidth)));
    db().CLI.USERNAME = session().GlobalUserName;
    db().CLI.DATECHANGED = today().value;
    db().CLI.TIMECHANGED = now().value;
    return true;
}

// --- BROWSECLIENT --------------------------------------------------------------------

ClientBrowse::ClientBrowse(Store& db, bool select, QWidget* parent)
    : BrowseProcedure(db, Tbl::CLIENT, CLI::CLIENT_KEY, "BROWSECLIENT", parent) {
    helpTopic = "~Browse_Clients_Window";
    placementSection = "BROWSECLIENT";
    listFormatKey = "BrwClient";
    words_ = readSystemWords(db);
    rights_ = clientRights(session().accessLevel, words_.clientGeneral);
    setWindowTitle(words("Browse %1", words_.clients));
    setColumns({{QString::fromStdString(words_.client),
                 [&db](const std::byte* r) { return fieldText(db, Tbl::CLIENT, CLI::CLIENT, r); },
                 30 * fontMetrics().averageCharWidth()}});
    setForm([this](int request) { return callWindow("UPDATECLIENT", this->db(), this, request); });
    setSelectMode(select);
    // Everyone may open a client: those without the right to change see it read-only.
    setUpdatesAllowed(rights_.insert, true, rights_.remove && !select);

    auto tip = [this](const char* name, const char* text) {
        if (auto* b = findChild<QPushButton*>(name))
            b->setToolTip(words(text, words_.client, true));
    };
    tip("Select", "Select highlighted %1");
    tip("Insert", "Add new %1");
    tip("Change", "Change highlighted %1");
    tip("Delete", "Delete highlighted %1");
    if (auto* change = findChild<QPushButton*>("Change")) change->setText(words("&Edit/View"));

    // An insert from the look-up returns the new client to the caller at once.
    auto* insertButton = findChild<QPushButton*>("Insert");
    disconnect(insertButton, &QPushButton::clicked, this, nullptr);
    connect(insertButton, &QPushButton::clicked, this, &ClientBrowse::insert);

    auto* print = new QPushButton(words("&Print"), this);
    print->setObjectName("Print");
    print->setToolTip(words("Print list"));
    print->setEnabled(hasWindow("PRINTCLIENT"));
    connect(print, &QPushButton::clicked, this,
            [this] { callWindow("PRINTCLIENT", this->db(), this, NoRequest); });
    addBrowseButton(*this, print);
    addListActions(*this);
}

void ClientBrowse::insert() {
    if (!selectMode()) {
        runForm(InsertRecord);
        return;
    }
    // The form leaves the new client in the CLIENT buffer, where the caller takes it.
    if (callWindow("UPDATECLIENT", db(), this, InsertRecord) != RequestCompleted) {
        model().reload();
        return;
    }
    session().GlobalResponse = RequestCompleted;
    accept();
}

// --- definitions ---------------------------------------------------------------------

void defineClientWindows(Store& db) {
    (void)db;
    defineWindow("UPDATECLIENT", [](Store& db, QWidget* parent, int) {
        ClientForm form(db, parent);
        return form.CALL();
    });
    defineWindow("BROWSECLIENT", [](Store& db, QWidget* parent, int request) {
        session().GlobalRequest = NoRequest;
        if (request == SelectRecord) {
            ClientBrowse browse(db, true, parent);
            return browse.CALL();
        }
        auto* browse = new ClientBrowse(db, false, parent);
        browse->START();
        return int(RequestCompleted);
    });
}

}  // namespace masterdata::ui
