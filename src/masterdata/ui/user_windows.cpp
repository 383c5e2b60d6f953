#include "masterdata/ui/user_windows.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>
#include <cstring>

#include "framework/browse.h"
#include "framework/form.h"
#include "framework/program.h"
#include "masterdata/group_save.h"
#include "masterdata/selection_lists.h"
#include "masterdata/tag_lists.h"
#include "masterdata/ui/list_forms.h"
#include "masterdata/ui/master_ui.h"
#include "masterdata/ui/windows.h"
#include "masterdata/user_save.h"
#include "masterdata/users.h"
#include "store/datetime.h"
#include "store/error_class.h"
#include "store/questions.h"
#include "store/record_image.h"
#include "store/session.h"
#include "store/store.h"

namespace masterdata::ui {

using namespace store;
using framework::BrowseColumn;

namespace {

QString qs(std::string_view s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

/// "Last changed:" as a form shows it: who, on which day, at what time.
QString lastChanged(std::string_view who, LONG date, LONG time) {
    QStringList parts;
    if (!who.empty()) parts << qs(who);
    if (date) parts << QString::fromStdString(shortDate(Date(date)));
    if (time) parts << QString::fromStdString(shortTime(Time(time)));
    return parts.join("  ");
}

// --- BROWSEUSERS ---------------------------------------------------------------------------

/// The list of users in four orders.
class BrowseUsers : public framework::BrowseProcedure {
  public:
    BrowseUsers(Store& db, QWidget* parent)
        : BrowseProcedure(db, Tbl::USERS, USE::USERNAME_KEY, "BROWSEUSERS", parent) {
        helpTopic = "~Browse_Users";
        placementSection = "BROWSEUSERS";
        listFormatKey = "BrwUserList";
        setWindowTitle(text("Browse Users"));
        translatedAlready(*this);
        const TableDecl& d = db.table(Tbl::USERS).decl();
        auto textOf = [&d](Field field) {
            const FieldDecl f = d.field(field);
            return [f](const std::byte* r) { return qs(getText(f, r)); };
        };
        const FieldDecl level = d.field(USE::ACCESSLEVEL), fail = d.field(USE::FAILFLAG);
        setColumns({
            {text("User name"), textOf(USE::USERNAME), framework::textColumnWidth(*this, 15)},
            {text("Last name"), textOf(USE::LASTNAME), 120},
            {text("First name"), textOf(USE::FIRSTNAME), 100},
            {text("Department"), textOf(USE::DEPARTMENT), 140},
            {text("Access Level"),
             [level](const std::byte* r) { return QString::number(getNumber(level, r)); }, 80},
            {text("Suspended"),
             [fail](const std::byte* r) { return getNumber(fail, r) ? text("Yes") : QString(); },
             70},
        });
        setForm(
            [this](int request) { return callWindow("UPDATEUSER", this->db(), this, request); });
        const bool admin = may(session().accessLevel, Right::AdministerSystem);
        setUpdatesAllowed(admin, true, admin);
        retitle(*this, "Insert", nullptr, "Add new user");
        retitle(*this, "Change", "&Edit/View", "Change highlighted user");
        retitle(*this, "Delete", nullptr, "Remove highlighted user");
        resize(720, 420);
    }

  protected:
    void BUILD() override {
        // One tab per order, each searched by its leading field.
        auto* tabs = new QTabBar(this);
        tabs->setObjectName("Tabs");
        for (const char* t : {"By user name", "By last name", "By department", "By access level"})
            tabs->addTab(text(t));
        if (auto* box = qobject_cast<QVBoxLayout*>(layout())) box->insertWidget(0, tabs);
        connect(tabs, &QTabBar::currentChanged, this, [this](int index) {
            static const int keys[] = {USE::USERNAME_KEY, USE::LASTNAME_KEY, USE::DEPARTMENT_KEY,
                                       USE::ACCESSLEVEL_KEY};
            model().setKey(keys[index]);
            locator()->clear();
            model().reload();
        });
    }
};

// --- UPDATEUSER ----------------------------------------------------------------------------

/// The user form.
class UpdateUser : public KeptRecordForm {
  public:
    UpdateUser(Store& db, QWidget* parent) : KeptRecordForm(db, Tbl::USERS, "UPDATEUSER", parent) {
        useTables({Tbl::SYSPREF, Tbl::RESOURCE, Tbl::RESUSER, Tbl::USERPREF, Tbl::DURLIST,
                   Tbl::ROUTINEA, Tbl::USGRPUS});
        helpTopic = "~Update_User";
        placementSection = "UPDATEUSER";
        setWindowTitle(text("Add/Update User"));
        translatedAlready(*this);
        // Users are maintained by system administrators alone.
        allowInsert = allowChange = allowDelete =
            may(session().accessLevel, Right::AdministerSystem);
    }

  protected:
    void BUILD() override {
        const QString plural = resourceWord(db(), true);
        username_ = new QLineEdit(this);
        username_->setObjectName("UserName");
        username_->setToolTip(text("User log in name (ID)"));
        lastname_ = new QLineEdit(this);
        lastname_->setObjectName("LastName");
        lastname_->setToolTip(text("Surname of user"));
        firstname_ = new QLineEdit(this);
        firstname_->setObjectName("FirstName");
        department_ = new QLineEdit(this);
        department_->setObjectName("Department");
        department_->setToolTip(text("Office or department of user"));
        password_ = new QLineEdit(this);
        password_->setObjectName("Password");
        confirm_ = new QLineEdit(this);
        confirm_->setObjectName("Password2");
        for (QLineEdit* e : {password_, confirm_}) {
            e->setEchoMode(QLineEdit::Password);
            e->setToolTip(text("User password"));
        }
        suspended_ = new QCheckBox(text("Suspended for password failure"), this);
        suspended_->setObjectName("Suspended");
        suspended_->setToolTip(text("User has exceeded allowable log in failures"));
        authorizeAll_ = new QCheckBox(text("Authorize for all %1", plural, true), this);
        authorizeAll_->setObjectName("AuthorizeAll");
        authorizeAll_->setToolTip(text("Let this user book all %1", plural, true));
        changed_ = new QLabel(this);
        changed_->setObjectName("LastChanged");
        notes_ = new QPlainTextEdit(this);
        notes_->setObjectName("Notes");
        notes_->setTabChangesFocus(true);

        bind(username_, USE::USERNAME);
        bind(lastname_, USE::LASTNAME);
        bind(firstname_, USE::FIRSTNAME);
        bind(department_, USE::DEPARTMENT);
        bind(password_, USE::PASSWORD);
        bind(suspended_, USE::FAILFLAG);
        bind(notes_, USE::NOTES);
        confirm_->setMaxLength(password_->maxLength());

        auto* rights = new QGroupBox(text("Access rights"), this);
        auto* rl = new QVBoxLayout(rights);
        levels_ = new QButtonGroup(this);
        const char* options[] = {"View (read-only) user", "General user", "Resource administrator",
                                 "System administrator"};
        for (int i = 0; i < 4; ++i) {
            auto* r = new QRadioButton(text(options[i]), rights);
            r->setObjectName(QString("Level%1").arg(i));
            levels_->addButton(r, i);
            rl->addWidget(r);
        }
        connect(levels_, &QButtonGroup::idToggled, this, [this](int, bool) { levelChosen(); });

        auto* general = new QWidget(this);
        auto* form = new QFormLayout;
        form->addRow(text("User name (ID)"), username_);
        form->addRow(text("Last name"), lastname_);
        form->addRow(text("First name"), firstname_);
        form->addRow(text("Department"), department_);
        form->addRow(text("Password:"), password_);
        form->addRow(text("Confirm password:"), confirm_);
        form->addRow(QString(), suspended_);
        form->addRow(QString(), authorizeAll_);
        form->addRow(text("Last changed:"), changed_);
        auto* g = new QHBoxLayout(general);
        g->addLayout(form, 1);
        g->addWidget(rights, 0, Qt::AlignTop);
        layGeneralAndNotes(general, notes_, QString());
        tabChain({username_, lastname_, firstname_, department_, password_, confirm_, suspended_,
                  authorizeAll_, levels_->button(0)});
    }

    bool INIT() override {
        if (!FormProcedure::INIT()) return false;
        // The system defaults a new user's preferences are made from.
        const auto ticket = db().Access(Tbl::SYSPREF).SAVEBUFFER();
        const bool defaults = readSystemPreferences(db());
        db().Access(Tbl::SYSPREF).RESTOREBUFFER(ticket, !defaults);
        if (!defaults && framework::STOP(db().engine().status().message() + " SYSPREF")) {
            if (db().errors().endProgram) db().errors().endProgram(3);
        }
        keepRecord(db().USE.USERNAME.str());
        statusLabel()->setText(
            text(request() == InsertRecord ? "Record Will Be Added" : "Record Will Be Changed"));
        confirm_->setText(password_->text());
        const int level = std::min<int>(db().USE.ACCESSLEVEL, SystemAdministrator);
        levels_->button(level)->setChecked(true);
        changed_->setText(
            lastChanged(db().USE.CHANGENAME.view(), db().USE.DATECHANGED, db().USE.TIMECHANGED));
        levelChosen();
        return true;
    }

    bool TAKECOMPLETED() override {
        if (readOnly()) return true;
        restoreRecord();
        db().USE.ACCESSLEVEL = BYTE(std::max(0, levels_->checkedId()));
        UserEdit edit;
        edit.request = request();
        edit.original = original_;
        edit.position = position_;
        edit.password = password_->text().toStdString();
        edit.confirmation = confirm_->text().toStdString();
        edit.authorizeAll = authorizeAll_->isChecked();
        edit.changed = recordChanged() || edit.password != db().USE.PASSWORD.str();
        const SaveResult r = saveUser(db(), edit);
        return saveEnded(r, [this, &r] {
            if (r.outcome == SaveResult::Refused) {
                password_->setFocus();
                password_->selectAll();
            } else {
                username_->setFocus();
            }
        });
    }

  private:
    /// A view-only user cannot be authorized for resources.
    void levelChosen() {
        const bool viewer = levels_->checkedId() == ViewOnly;
        if (viewer) authorizeAll_->setChecked(false);
        authorizeAll_->setEnabled(!viewer && !readOnly());
    }

    QLineEdit *username_ = nullptr, *lastname_ = nullptr, *firstname_ = nullptr,
              *department_ = nullptr, *password_ = nullptr, *confirm_ = nullptr;
    QCheckBox *suspended_ = nullptr, *authorizeAll_ = nullptr;
    QLabel* changed_ = nullptr;
    QPlainTextEdit* notes_ = nullptr;
    QButtonGroup* levels_ = nullptr;
};

// --- BROWSEUSERGROUPS ----------------------------------------------------------------------

/// The list of user groups; a look-up in select mode.
class BrowseUserGroups : public framework::BrowseProcedure {
  public:
    BrowseUserGroups(Store& db, QWidget* parent, bool selectMode)
        : BrowseProcedure(db, Tbl::USERGRP, USG::GROUP_KEY, "BROWSEUSERGROUPS", parent) {
        helpTopic = "~Browse_User_Groups";
        placementSection = "BROWSEUSERGROUPS";
        setWindowTitle(text("Browse User Groups"));
        translatedAlready(*this);
        const FieldDecl f = db.table(Tbl::USERGRP).decl().field(USG::GROUP);
        setColumns(
            {{text("User groups"), [f](const std::byte* r) { return qs(getText(f, r)); }, 200}});
        setForm([this](int request) {
            return callWindow("UPDATEUSERGROUP", this->db(), this, request);
        });
        setSelectMode(selectMode);
        // Only a system administrator makes or removes user groups.
        const bool admin = may(session().accessLevel, Right::AdministerSystem);
        setUpdatesAllowed(admin, true, admin);
        retitle(*this, "Select", nullptr, "Select highlighted user group");
        retitle(*this, "Insert", nullptr, "Add new user group");
        retitle(*this, "Change", "&Edit/View", "Change the highlighted user group");
        retitle(*this, "Delete", nullptr, "Delete the highlighted user group");
        changed_ = new QLabel(this);
        changed_->setObjectName("LastChanged");
        auto* row = new QHBoxLayout;
        row->addWidget(new QLabel(text("Last Changed:"), this));
        row->addWidget(changed_, 1);
        if (auto* box = qobject_cast<QVBoxLayout*>(layout())) box->insertLayout(2, row);
        auto show = [this] {
            const int r = list()->currentIndex().isValid() ? list()->currentIndex().row() : -1;
            const std::byte* rec = model().record(r);
            if (!rec) return changed_->clear();
            const TableDecl& d = this->db().table(Tbl::USERGRP).decl();
            changed_->setText(lastChanged(getText(d.field(USG::LASTCHANGEDBY), rec),
                                          LONG(getNumber(d.field(USG::DATECHANGED), rec)),
                                          LONG(getNumber(d.field(USG::TIMECHANGED), rec))));
        };
        connect(list()->selectionModel(), &QItemSelectionModel::currentRowChanged, this, show);
        connect(&model(), &QAbstractItemModel::modelReset, this, show);
        resize(380, 400);
    }

  private:
    QLabel* changed_;
};

// --- UPDATEUSERGROUP -----------------------------------------------------------------------

/// The user-group form, with the group's users.
class UpdateUserGroup : public GroupForm {
  public:
    UpdateUserGroup(Store& db, QWidget* parent)
        : GroupForm(db, Tbl::USERGRP, "UPDATEUSERGROUP", USG::GROUP, Right::AdministerSystem,
                    parent) {
        useTables({Tbl::USGRPUS, Tbl::USERS});
        helpTopic = "~Update_User_Group";
        placementSection = "UPDATEUSERGROUP";
        setWindowTitle(text("Add/Update User Group"));
    }

  protected:
    Captions captions() override {
        return {QString(), text("Add a user to group"), text("Remove highlighted user from group"),
                text("User group"), text("Users in group")};
    }

    std::vector<std::string> storedMembers(const std::string& name) override {
        return userGroupMembers(db(), name);
    }

    std::vector<std::string> chooseMembers() override {
        std::vector<std::string> chosen;
        userTags().clear();
        if (callWindow("BROWSEUSERSM", db(), this, SelectRecord) == RequestCompleted)
            chosen = userTags();
        userTags().clear();
        return chosen;
    }

    SaveResult save(const GroupEdit& edit) override { return saveUserGroup(db(), edit); }
};

// --- BROWSEUSERSM --------------------------------------------------------------------------

/// The multiple-selection list of general users.
class BrowseUsersM : public SelectionWindow {
  public:
    BrowseUsersM(Store& db, QWidget* parent) : SelectionWindow(db, "BROWSEUSERSM", parent) {
        useTables({Tbl::USERS});
        helpTopic = "~Browse_Users_Multiple";
        placementSection = "BROWSEUSERSM";
        setWindowTitle(text("Browse General Users - Multiple Select"));
        table_ = new TagTable({text("User name"), text("Last name"), text("First name"),
                               text("Department"), text("Access Level")},
                              this);
        table_->setObjectName("List");
        lay(table_, 600, 400);
    }

  protected:
    bool INIT() override {
        if (!WindowProcedure::INIT()) return false;
        framework::BusyCursor busy;
        for (const UserRow& u : generalUsers(db()))
            table_->addRow({QString::fromStdString(u.username), QString::fromStdString(u.lastname),
                            QString::fromStdString(u.firstname),
                            QString::fromStdString(u.department), QString::number(u.accessLevel)},
                           QString::fromStdString(u.username));
        if (table_->rowCount() > 0) table_->selectRow(0);
        table_->setFocus();
        return true;
    }

    bool TAKECOMPLETED() override {
        // With nothing tagged, the highlighted user is the one chosen.
        const std::vector<int> chosen = chosenOrSay();
        if (chosen.empty()) return false;
        userTags().clear();
        for (int r : chosen) userTags().push_back(table_->key(r).toStdString());
        return true;
    }

    TagTable* current() const override { return table_; }

  private:
    TagTable* table_;
};

}  // namespace

void defineUserWindows(Store& db) {
    (void)db;
    defineWindow("BROWSEUSERS", [](Store& db, QWidget* parent, int) {
        (new BrowseUsers(db, parent))->START();
        return int(RequestCompleted);
    });
    defineWindow("UPDATEUSER", [](Store& db, QWidget* parent, int request) {
        if (request == DeleteRecord && db.USE.USERNAME == session().GlobalUserName) {
            // The user logged in here cannot remove the record the session runs under.
            questions().message("Add/Update User",
                                "You cannot delete the user you are logged in as",
                                Icon::Exclamation, BUTTON_OK, BUTTON_OK);
            return int(RequestCancelled);
        }
        return modal<UpdateUser>(db, parent, request);
    });
    defineWindow("BROWSEUSERGROUPS", browse<BrowseUserGroups>);
    defineWindow("UPDATEUSERGROUP", modal<UpdateUserGroup>);
    defineWindow("BROWSEUSERSM", modal<BrowseUsersM>);
}

}  // namespace masterdata::ui
