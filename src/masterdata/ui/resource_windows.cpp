#include "masterdata/ui/resource_windows.h"

#include <QApplication>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <cstring>
#include <map>

#include "framework/browse.h"
#include "framework/drop_list.h"
#include "framework/form.h"
#include "framework/ini_file.h"
#include "framework/program.h"
#include "masterdata/group_save.h"
#include "masterdata/resource_save.h"
#include "masterdata/selection_lists.h"
#include "masterdata/tag_lists.h"
#include "masterdata/ui/list_forms.h"
#include "masterdata/ui/master_ui.h"
#include "masterdata/ui/windows.h"
#include "store/datetime.h"
#include "store/questions.h"
#include "store/record_image.h"
#include "store/session.h"
#include "store/store.h"

namespace masterdata::ui {

using namespace store;
using framework::BrowseColumn;
using framework::BrowseModel;

namespace {

QString qs(std::string_view s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

QTableView* listView(QWidget* parent, BrowseModel* model, const char* name) {
    auto* v = new QTableView(parent);
    v->setObjectName(name);
    v->setModel(model);
    v->setSelectionBehavior(QAbstractItemView::SelectRows);
    v->setSelectionMode(QAbstractItemView::SingleSelection);
    v->setEditTriggers(QAbstractItemView::NoEditTriggers);
    v->verticalHeader()->hide();
    framework::fitColumns(*v);
    return v;
}

/// A tab page listing one group's members: the "Group:" drop list above the list.
QWidget* membersPage(QWidget* parent, QComboBox* group, QWidget* list) {
    auto* page = new QWidget(parent);
    auto* layout = new QVBoxLayout(page);
    auto* row = new QHBoxLayout;
    auto* label = new QLabel(text("&Group:"), page);
    label->setBuddy(group);
    row->addWidget(label);
    row->addWidget(group, 1);
    layout->addLayout(row);
    layout->addWidget(list);
    return page;
}

// --- BROWSERESOURCE ------------------------------------------------------------------------

/// The resource list: every resource on one tab, a chosen group's on the other; a look-up
/// in select mode.
class BrowseResource : public framework::WindowProcedure {
  public:
    BrowseResource(Store& db, QWidget* parent, bool selectMode)
        : WindowProcedure(db, "BROWSERESOURCE", parent), select_(selectMode) {
        useTables({Tbl::RESOURCE, Tbl::GROUPRES, Tbl::GROUP});
        helpTopic = "~Browse_Resources";
        placementSection = "BROWSERESOURCE";
        const QString plural = resourceWord(db, true), singular = resourceWord(db, false);
        setWindowTitle(text("Browse %1", plural));

        // A long name of thirty characters of ordinary text shows whole.
        const int longName = fontMetrics().horizontalAdvance(QString(30, 'n')) + 16;
        all_ = new BrowseModel(db.Access(Tbl::RESOURCE), RES::RESOURCE_KEY, this);
        const TableDecl& rd = db.table(Tbl::RESOURCE).decl();
        auto resField = [&rd](Field f) { return rd.field(f); };
        all_->setColumns({
            {singular,
             [f = resField(RES::RESOURCE)](const std::byte* r) { return qs(getText(f, r)); }, 110},
            {text("Long Name"),
             [f = resField(RES::NAME)](const std::byte* r) { return qs(getText(f, r)); }, longName},
            {text("Units"),
             [f = resField(RES::UNITS)](const std::byte* r) {
                 return QString::number(getNumber(f, r));
             },
             60},
        });
        members_ = new BrowseModel(db.Access(Tbl::GROUPRES), GRP::GROUP_KEY, this);
        const TableDecl& gd = db.table(Tbl::GROUPRES).decl();
        const FieldDecl code = gd.field(GRP::RESOURCES);
        members_->setColumns({
            {singular, [code](const std::byte* r) { return qs(getText(code, r)); }, 110},
            {text("Long Name"),
             [this, code](const std::byte* r) {
                 return describe(std::string(getText(code, r))).first;
             },
             longName},
            {text("Units"),
             [this, code](const std::byte* r) {
                 return describe(std::string(getText(code, r))).second;
             },
             60},
        });

        tabs_ = new QTabWidget(this);
        tabs_->setObjectName("Tabs");
        allView_ = listView(this, all_, "AllList");
        auto* allPage = new QWidget(this);
        auto* allLayout = new QVBoxLayout(allPage);
        allLayout->addWidget(allView_);
        printAll_ = button(allPage, "PrintAll", text("Print"), text("Print list"));
        allLayout->addWidget(printAll_, 0, Qt::AlignLeft);
        tabs_->addTab(allPage, text("All %1", plural, true));

        groupView_ = listView(this, members_, "GroupList");
        group_ = new QComboBox(this);
        group_->setObjectName("Group");
        QWidget* groupPage = membersPage(this, group_, groupView_);
        printGroup_ = button(groupPage, "PrintGroup", text("Print"), text("Print list"));
        static_cast<QVBoxLayout*>(groupPage->layout())->addWidget(printGroup_, 0, Qt::AlignLeft);
        connect(printAll_, &QPushButton::clicked, this,
                [this] { callWindow("PRINTALLRESOURCES", this->db(), this, NoRequest); });
        connect(printGroup_, &QPushButton::clicked, this, [this] {
            // The group printed is the one chosen, handed over in the GROUP buffer.
            this->db().GRO.GROUP = group_->currentText().toStdString();
            callWindow("PRINTGROUPRESOURCES", this->db(), this, NoRequest);
        });
        tabs_->addTab(groupPage, text("Group %1", plural, true));

        locator_ = new QLineEdit(this);
        locator_->setObjectName("Locator");

        select_b_ =
            button(this, "Select", text("&Select"), text("Select highlighted %1", singular, true));
        insert_ = button(this, "Insert", text("&Insert"), text("Add new %1", singular, true));
        change_ = button(this, "Change", text("&Edit/View"),
                         text("View or change highlighted %1", singular, true));
        delete_ =
            button(this, "Delete", text("&Delete"), text("Delete highlighted %1", singular, true));
        auto* close = button(this, "Close", text("Close"));
        auto* help = button(this, "Help", text("Help"));
        select_b_->setVisible(select_);

        framework::layBrowse(
            *this, text("&Locate:"), locator_, tabs_, {select_b_, insert_, change_, delete_}, close,
            help, [this]() -> QAbstractItemView* { return onGroupTab() ? groupView_ : allView_; });
        resize(560, 420);
        translatedAlready(*this, true);

        connect(select_b_, &QPushButton::clicked, this, [this] { select(); });
        connect(insert_, &QPushButton::clicked, this, [this] { runForm(InsertRecord); });
        connect(change_, &QPushButton::clicked, this, [this] { runForm(ChangeRecord); });
        connect(delete_, &QPushButton::clicked, this, [this] { runForm(DeleteRecord); });
        connect(close, &QPushButton::clicked, this, &QDialog::reject);
        connect(help, &QPushButton::clicked, this, &WindowProcedure::showHelp);
        connect(locator_, &QLineEdit::textEdited, this, [this](const QString& t) { LOCATE(t); });
        connect(tabs_, &QTabWidget::currentChanged, this, [this] {
            locator_->clear();
            updateButtons();
        });
        connect(group_, &QComboBox::currentTextChanged, this, [this] { reloadGroup(); });
        for (QTableView* v : {allView_, groupView_})
            connect(v, &QTableView::doubleClicked, this, [this] {
                if (select_)
                    select();
                else
                    runForm(ChangeRecord);
            });
        for (BrowseModel* m : {all_, members_})
            connect(m, &QAbstractItemModel::modelReset, this, [this, m] {
                QTableView* v = m == all_ ? allView_ : groupView_;
                if (m->rowCount() > 0) v->selectRow(0);
                updateButtons();
            });
    }

  protected:
    bool INIT() override {
        if (!WindowProcedure::INIT()) return false;
        mayChange_ = !select_ && may(session().accessLevel, Right::AdministerResources);
        framework::fillDropList(
            *group_, db().Access(Tbl::GROUP), GRO::GROUP_KEY, 0, [&](const std::byte* r) {
                return std::string(getText(db().table(Tbl::GROUP).decl().field(GRO::GROUP), r));
            });
        // Both lists take the column widths the user left.
        for (QTableView* v : {allView_, groupView_})
            framework::restoreColumnWidths(*v, "BrwResList");
        all_->reload();
        reloadGroup();
        locator_->setFocus();
        // Enter picks the highlighted resource in a look-up, and opens it otherwise.
        (select_ ? select_b_ : change_)->setDefault(true);
        return true;
    }

    void KILL() override {
        if (!killed_) framework::saveColumnWidths(*allView_, "BrwResList");
        killed_ = true;
        WindowProcedure::KILL();
    }

  private:
    bool onGroupTab() const { return tabs_->currentIndex() == 1; }
    BrowseModel* model() const { return onGroupTab() ? members_ : all_; }
    QTableView* view() const { return onGroupTab() ? groupView_ : allView_; }

    /// Long name and units of a group's member, read by its key.
    std::pair<QString, QString> describe(const std::string& code) {
        auto it = described_.find(code);
        if (it != described_.end()) return it->second;
        std::pair<QString, QString> d;
        if (const auto r = describeResource(db(), code))
            d = {QString::fromStdString(r->name), QString::number(r->units)};
        return described_[code] = d;
    }

    void reloadGroup() {
        described_.clear();
        const TableDecl& d = db().table(Tbl::GROUPRES).decl();
        std::vector<std::byte> range(d.recordSize);
        clearRecord(d, range.data());
        setText(d.field(GRP::GROUP), range.data(), group_->currentText().toStdString());
        members_->setRange(1, range.data());
        members_->reload();
    }

    void LOCATE(const QString& t) {
        if (t.isEmpty()) return onGroupTab() ? reloadGroup() : all_->reload();
        if (onGroupTab()) {
            const TableDecl& d = db().table(Tbl::GROUPRES).decl();
            std::vector<std::byte> seek(members_->rangeValues(),
                                        members_->rangeValues() + d.recordSize);
            setText(d.field(GRP::RESOURCES), seek.data(), t.toStdString());
            members_->locate(seek.data(), 2);
        } else {
            const TableDecl& d = db().table(Tbl::RESOURCE).decl();
            std::vector<std::byte> seek(d.recordSize);
            clearRecord(d, seek.data());
            setText(d.field(RES::RESOURCE), seek.data(), t.toStdString());
            all_->locate(seek.data(), 1);
        }
    }

    void updateButtons() {
        const bool any = model()->rowCount() > 0;
        insert_->setEnabled(mayChange_);
        delete_->setEnabled(mayChange_ && any);
        change_->setEnabled(any);
        select_b_->setEnabled(any);
        printAll_->setEnabled(hasWindow("PRINTALLRESOURCES"));
        printGroup_->setEnabled(hasWindow("PRINTGROUPRESOURCES") &&
                                !group_->currentText().isEmpty());
    }

    /// Puts the highlighted resource into the RESOURCE buffer, read afresh.
    bool takeHighlighted() {
        const int row = view()->currentIndex().isValid() ? view()->currentIndex().row() : -1;
        if (row < 0 || !model()->record(row)) return false;
        FileManager& fm = db().Access(Tbl::RESOURCE);
        if (!onGroupTab()) {
            if (fm.TRYREGET(all_->position(row)) == Level_Benign) return true;
            all_->reload();
            return false;
        }
        const FieldDecl& code = db().table(Tbl::GROUPRES).decl().field(GRP::RESOURCES);
        const std::string c(getText(code, members_->record(row)));
        fm.PRIMERECORD();
        db().RES.RESOURCE = c;
        if (fm.USEFILE() == Level_Benign && fm.TRYFETCH(RES::RESOURCE_KEY) == Level_Benign)
            return true;
        reloadGroup();
        return false;
    }

    void select() {
        if (!takeHighlighted()) return;
        session().GlobalResponse = RequestCompleted;
        accept();
    }

    void runForm(int request) {
        if (request == InsertRecord ? !mayChange_ : !takeHighlighted()) return;
        if (request == DeleteRecord && !mayChange_) return;
        const int row = view()->currentIndex().row();
        callWindow("UPDATERESOURCE", db(), this, request);
        const RecordPosition at = db().Access(Tbl::RESOURCE).POSITION();
        all_->reloadAt(at);
        if (int r = all_->rowOf(at); r >= 0) allView_->selectRow(r);
        reloadGroup();
        if (onGroupTab() && row >= 0 && row < members_->rowCount()) groupView_->selectRow(row);
        updateButtons();
    }

    bool select_;
    bool mayChange_ = false;
    bool killed_ = false;
    BrowseModel *all_, *members_;
    QTableView *allView_, *groupView_;
    QTabWidget* tabs_;
    QComboBox* group_;
    QLineEdit* locator_;
    QPushButton *select_b_, *insert_, *change_, *delete_, *printAll_, *printGroup_;
    std::map<std::string, std::pair<QString, QString>> described_;
};

// --- UPDATERESOURCE ------------------------------------------------------------------------

/// The resource form, with the users authorized to book the resource.
class UpdateResource : public NameListForm {
  public:
    UpdateResource(Store& db, QWidget* parent)
        : NameListForm(db, Tbl::RESOURCE, "UPDATERESOURCE", parent) {
        useTables({Tbl::RESUSER, Tbl::GROUPRES, Tbl::USGRPUS, Tbl::USERGRP});
        helpTopic = "~Update_Resource";
        placementSection = "UPDATERESOURCE";
        setWindowTitle(text("Add/Update %1", resourceWord(db, false)));
        translatedAlready(*this);
        // Only resource administrators add or remove resources; others may look.
        allowInsert = allowDelete = may(session().accessLevel, Right::AdministerResources);
    }

  protected:
    void BUILD() override {
        const QString word = resourceWord(db(), false);
        code_ = new QLineEdit(this);
        code_->setObjectName("Resource");
        code_->setToolTip(text("Enter short name of %1 (less than 16 characters)", word, true));
        name_ = new QLineEdit(this);
        name_->setObjectName("Name");
        units_ = new QSpinBox(this);
        units_->setObjectName("Units");
        units_->setToolTip(text("Enter the number of units of this %1 available", word, true));
        users_ = names_ = new QListWidget(this);
        users_->setObjectName("Users");
        users_->setToolTip(text("General users currently authorized to book this %1", word, true));
        notes_ = new QPlainTextEdit(this);
        notes_->setObjectName("Notes");
        notes_->setTabChangesFocus(true);
        insert_ = button(this, "Insert", text("&Insert"), text("Add new user to list"));
        delete_ =
            button(this, "Delete", text("&Delete"), text("Delete highlighted user from list"));
        addGroup_ = button(this, "AddGroup", text("Add &group"),
                           text("Add all users in a user group to list"));
        deleteGroup_ = button(this, "DeleteGroup", text("Delete g&roup"),
                              text("Remove all users in a user group from list"));

        bind(code_, RES::RESOURCE);
        bind(name_, RES::NAME);
        bind(units_, RES::UNITS);
        bind(notes_, RES::NOTES);
        units_->setRange(1, 32767);

        auto* general = new QWidget(this);
        auto* form = new QFormLayout;
        form->addRow(text("%1 short name (required):", word), code_);
        form->addRow(text("Long name (optional):"), name_);
        form->addRow(text("Units"), units_);
        auto* listRow = listWithButtons(users_, {insert_, delete_, addGroup_, deleteGroup_});
        auto* g = new QVBoxLayout(general);
        g->addLayout(form);
        g->addWidget(new QLabel(text("General users authorized to book"), general));
        g->addLayout(listRow);
        layGeneralAndNotes(general, notes_, text("Notes on %1", word, true));
        tabChain({code_, name_, units_, users_, insert_, delete_, addGroup_, deleteGroup_});

        connect(insert_, &QPushButton::clicked, this, [this] { insertUsers(); });
        connect(delete_, &QPushButton::clicked, this, [this] { removeHighlighted(); });
        connect(addGroup_, &QPushButton::clicked, this, [this] { userGroup(true); });
        connect(deleteGroup_, &QPushButton::clicked, this, [this] { userGroup(false); });
    }

    void PRIMEFIELDS() override {
        db().RES.UNITS = 1;
        db().RES.DATE = today().value;
        db().RES.NOTES.clear();
    }

    bool INIT() override {
        if (!FormProcedure::INIT()) return false;
        keepRecord(db().RES.RESOURCE.str());
        if (request() == ChangeRecord) {
            framework::BusyCursor busy;
            loadNames(authorizedUsers(db(), original_));
        }
        showList();
        // Below resource administrator a resource can be looked at, not changed.
        const bool readOnly = !may(session().accessLevel, Right::AdministerResources);
        setReadOnly(readOnly);
        for (QPushButton* b : {insert_, delete_, addGroup_, deleteGroup_}) b->setEnabled(!readOnly);
        return true;
    }

    bool TAKECOMPLETED() override {
        if (readOnly()) return true;
        restoreRecord();
        ResourceEdit edit;
        edit.request = request();
        edit.original = original_;
        edit.position = position_;
        edit.users = list_;
        edit.loaded = loaded_;
        return saveEnded(saveResource(db(), edit), [this] {
            code_->setFocus();
            code_->selectAll();
        });
    }

  private:
    void insertUsers() {
        userTags().clear();
        if (callWindow("BROWSEUSERSM", db(), this, SelectRecord) == RequestCompleted)
            for (const std::string& u : userTags()) list_.add(u);
        userTags().clear();
        showList();
    }

    void userGroup(bool add) {
        if (callWindow("BROWSEUSERGROUPS", db(), this, SelectRecord) != RequestCompleted) return;
        for (const std::string& u : userGroupMembers(db(), db().USG.GROUP.str())) {
            if (add)
                list_.add(u);
            else
                list_.remove(u);
        }
        showList();
    }

    QLineEdit *code_ = nullptr, *name_ = nullptr;
    QSpinBox* units_ = nullptr;
    QPlainTextEdit* notes_ = nullptr;
    QListWidget* users_ = nullptr;
    QPushButton *insert_ = nullptr, *delete_ = nullptr, *addGroup_ = nullptr,
                *deleteGroup_ = nullptr;
};

// --- BROWSEGROUPS --------------------------------------------------------------------------

/// The list of resource groups; a look-up in select mode.
class BrowseGroups : public framework::BrowseProcedure {
  public:
    BrowseGroups(Store& db, QWidget* parent, bool selectMode)
        : BrowseProcedure(db, Tbl::GROUP, GRO::GROUP_KEY, "BROWSEGROUPS", parent) {
        const bool select = selectMode;
        helpTopic = "~Browse_Groups";
        placementSection = "BROWSEGROUPS";
        setWindowTitle(text("Browse %1 Groups", resourceWord(db, false)));
        const FieldDecl f = db.table(Tbl::GROUP).decl().field(GRO::GROUP);
        setColumns({{text("Group"), [f](const std::byte* r) { return qs(getText(f, r)); }, 200}});
        setForm([this](int request) {
            return callWindow("UPDATERESOURCEGROUP", this->db(), this, request);
        });
        setSelectMode(select);
        const bool mayChange = !select && may(session().accessLevel, Right::AdministerResources);
        setUpdatesAllowed(mayChange, true, mayChange);
        retitle(*this, "Select", nullptr, "Select highlighted group");
        retitle(*this, "Insert", nullptr, "Add new group");
        retitle(*this, "Change", "&Edit/View", "View or change the highlighted group");
        retitle(*this, "Delete", nullptr, "Delete highlighted group");
        auto* print = button(this, "Print", text("&Print"),
                             text("Print the resources of the highlighted group"));
        print->setEnabled(hasWindow("PRINTGROUPRESOURCES"));
        connect(print, &QPushButton::clicked, this, [this] {
            // The group printed is the one highlighted, handed over in the GROUP buffer.
            if (takeHighlighted()) callWindow("PRINTGROUPRESOURCES", this->db(), this, NoRequest);
        });
        translatedAlready(*print);
        translatedAlready(*this);
        // Beside the list's other buttons, before the stretch that keeps Close apart.
        auto* close = findChild<QPushButton*>("Close");
        QLayout* box = layout();
        for (int i = 0; close && box && i < box->count(); ++i) {
            auto* row = qobject_cast<QHBoxLayout*>(box->itemAt(i)->layout());
            if (row && row->indexOf(close) > 0) {
                row->insertWidget(row->indexOf(close) - 1, print);
                break;
            }
        }
        resize(360, 400);
    }
};

// --- UPDATERESOURCEGROUP -------------------------------------------------------------------

/// The group form, with the group's resources.
class UpdateResourceGroup : public GroupForm {
  public:
    UpdateResourceGroup(Store& db, QWidget* parent)
        : GroupForm(db, Tbl::GROUP, "UPDATERESOURCEGROUP", GRO::GROUP, Right::AdministerResources,
                    parent) {
        useTables({Tbl::GROUPRES, Tbl::RESOURCE});
        helpTopic = "~Update_Group";
        placementSection = "UPDATERESOURCEGROUP";
        setWindowTitle(text("Add/Update %1 Group", resourceWord(db, false)));
    }

  protected:
    Captions captions() override {
        const QString word = resourceWord(db(), false), plural = resourceWord(db(), true);
        return {text("Name of %1 group", word, true), text("Add a %1 to group", word, true),
                text("Remove highlighted %1 from group", word, true), text("Group name"),
                text("%1 in group", plural)};
    }

    std::vector<std::string> storedMembers(const std::string& name) override {
        return groupMembers(db(), name);
    }

    std::vector<std::string> chooseMembers() override {
        std::vector<std::string> chosen;
        resourceTags().clear();
        if (callWindow("BROWSERESOURCEM", db(), this, SelectRecord) == RequestCompleted)
            for (const TaggedResource& t : resourceTags()) chosen.push_back(t.resource);
        resourceTags().clear();
        return chosen;
    }

    SaveResult save(const GroupEdit& edit) override {
        const SaveResult r = saveResourceGroup(db(), edit);
        if (r.outcome == SaveResult::Refused && request() == ChangeRecord) QApplication::beep();
        return r;
    }
};

// --- BROWSERESOURCEM -----------------------------------------------------------------------

/// The multiple-selection list of resources: all of them, or one group's.
class BrowseResourceM : public SelectionWindow {
  public:
    BrowseResourceM(Store& db, QWidget* parent) : SelectionWindow(db, "BROWSERESOURCEM", parent) {
        useTables({Tbl::RESOURCE, Tbl::GROUPRES, Tbl::GROUP, Tbl::RESUSER});
        helpTopic = "~Browse_Resources_Multiple";
        placementSection = "BROWSERESOURCEM";
        const QString plural = resourceWord(db, true), singular = resourceWord(db, false);
        setWindowTitle(text("Browse %1", plural) + " - " + text("Multiple Select"));
        const QStringList headings{singular, text("Long Name"), text("Units")};
        all_ = new TagTable(headings, this);
        all_->setObjectName("AllList");
        members_ = new TagTable(headings, this);
        members_->setObjectName("GroupList");
        group_ = new QComboBox(this);
        group_->setObjectName("Group");
        tabs_ = new QTabWidget(this);
        tabs_->setObjectName("Tabs");
        tabs_->addTab(all_, text("List all %1", plural, true));
        tabs_->addTab(membersPage(this, group_, members_),
                      text("List only %1 of specified group", plural, true));
        lay(tabs_, 520, 420);
        connect(group_, &QComboBox::currentTextChanged, this,
                [this] { fill(*members_, groupRows_, group_->currentText()); });
    }

  protected:
    bool INIT() override {
        if (!WindowProcedure::INIT()) return false;
        framework::fillDropList(
            *group_, db().Access(Tbl::GROUP), GRO::GROUP_KEY, 0, [&](const std::byte* r) {
                return std::string(getText(db().table(Tbl::GROUP).decl().field(GRO::GROUP), r));
            });
        fill(*all_, allRows_, {});
        fill(*members_, groupRows_, group_->currentText());
        all_->setFocus();
        return true;
    }

    bool TAKECOMPLETED() override {
        // The tag list holds what was tagged on the tab in view, with each resource's units.
        // With nothing tagged, the highlighted resource is the one chosen.
        const std::vector<ResourceRow>& rows = current() == all_ ? allRows_ : groupRows_;
        const std::vector<int> chosen = chosenOrSay();
        if (chosen.empty()) return false;
        resourceTags().clear();
        for (int r : chosen)
            if (r < int(rows.size())) resourceTags().push_back({rows[r].resource, rows[r].units});
        return true;
    }

    TagTable* current() const override { return tabs_->currentIndex() == 0 ? all_ : members_; }

  private:
    void fill(TagTable& table, std::vector<ResourceRow>& rows, const QString& group) {
        framework::BusyCursor busy;
        rows = tabs_ && &table == members_ && group.isEmpty()
                   ? std::vector<ResourceRow>{}
                   : selectableResources(db(), group.toStdString(), session().GlobalUserName,
                                         session().accessLevel);
        table.clearRows();
        for (const ResourceRow& r : rows)
            table.addRow({QString::fromStdString(r.resource), QString::fromStdString(r.name),
                          QString::number(r.units)},
                         QString::fromStdString(r.resource));
        if (table.rowCount() > 0) table.selectRow(0);
    }

    TagTable *all_, *members_;
    QComboBox* group_;
    QTabWidget* tabs_ = nullptr;
    std::vector<ResourceRow> allRows_, groupRows_;
};

// --- REBUILDALL ----------------------------------------------------------------------------

/// Rebuilds the all-resources group's membership as soon as it opens, then closes.
class RebuildAll : public framework::WindowProcedure {
  public:
    RebuildAll(Store& db, QWidget* parent) : WindowProcedure(db, "REBUILDALL", parent) {
        useTables({Tbl::GROUPRES, Tbl::RESOURCE, Tbl::GROUP});
        setWindowTitle(text("Rebuilding \"ALL\" group list"));
        auto* layout = new QVBoxLayout(this);
        auto* label = new QLabel(text("Rebuilding \"ALL\" group list"), this);
        label->setObjectName("Progress");
        layout->addWidget(label);
        resize(320, 80);
        translatedAlready(*this, true);
    }

  protected:
    bool INIT() override {
        if (!may(session().accessLevel, Right::AdministerResources)) return false;
        if (!WindowProcedure::INIT()) return false;
        QTimer::singleShot(0, this, [this] {
            {
                framework::BusyCursor busy;
                rebuildAllResources(db());
            }
            accept();
        });
        return true;
    }
};

}  // namespace

void defineResourceWindows(Store& db) {
    (void)db;
    defineWindow("BROWSERESOURCE", browse<BrowseResource>);
    defineWindow("BROWSEGROUPS", browse<BrowseGroups>);
    defineWindow("UPDATERESOURCE", modal<UpdateResource>);
    defineWindow("UPDATERESOURCEGROUP", [](Store& db, QWidget* parent, int request) {
        if (request == DeleteRecord && !mayDeleteGroup(db.GRO.GROUP.str())) {
            questions().message(text("Add/Update %1 Group", resourceWord(db, false)).toStdString(),
                                text(kAllResourcesStays).toStdString(), Icon::Exclamation,
                                BUTTON_OK, BUTTON_OK);
            return int(RequestCancelled);
        }
        return modal<UpdateResourceGroup>(db, parent, request);
    });
    defineWindow("BROWSERESOURCEM", modal<BrowseResourceM>);
    defineWindow("REBUILDALL", modal<RebuildAll>);
}

}  // namespace masterdata::ui
