// The window framework: forms with their standard actions, and browse lists that page
// through large tables, locate, and select.
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QVBoxLayout>

#include <QComboBox>

#include "framework/browse.h"
#include "framework/drop_list.h"
#include "framework/form.h"
#include "framework/ini_file.h"
#include "framework/program.h"
#include "framework_fixture.h"
#include "store/record_image.h"
#include "store/session.h"

namespace framework::test {
namespace {

using namespace store;

/// A small client form, as the maintenance windows build theirs.
class ClientForm : public FormProcedure {
  public:
    ClientForm(Store& db) : FormProcedure(db, Tbl::CLIENT, "UPDATECLIENT") {}
    QLineEdit* name = nullptr;
    QLineEdit* phone = nullptr;

  protected:
    void BUILD() override {
        name = new QLineEdit(this);
        name->setObjectName("Name");
        phone = new QLineEdit(this);
        bind(name, CLI::CLIENT);
        bind(phone, CLI::PHONE);
        auto* l = new QVBoxLayout(this);
        l->addWidget(name);
        l->addWidget(phone);
        l->addWidget(statusLabel());
        l->addWidget(okCancel());
    }
};

class WindowTest : public store::test::StoreTest {
  protected:
    void SetUp() override {
        frameworkApp();
        openAll(a);
        session() = Session{};
    }
    int callForm(int request, std::function<void(ClientForm&)> step) {
        ClientForm form(db);
        session().GlobalRequest = request;
        // Tied to the form, so that a form that never opens leaves no step behind.
        QTimer::singleShot(0, &form, [&] { step(form); });
        return form.CALL();
    }
};

TEST_F(WindowTest, AnInsertFormPrimesAddsAndCloses) {
    const int response = callForm(InsertRecord, [](ClientForm& f) {
        EXPECT_EQ("Record will be Added", f.statusLabel()->text().toStdString());
        EXPECT_EQ(50, f.name->maxLength());
        f.name->setText("Harbour Lights");
        f.phone->setText("555-1234");
        press(&f, "OK");
    });
    EXPECT_EQ(RequestCompleted, response);
    db.CLI.CLIENT = "harbour lights";
    ASSERT_EQ(Level_Benign, a.fm(Tbl::CLIENT).FETCH(CLI::CLIENT_KEY));
    EXPECT_EQ("555-1234", db.CLI.PHONE.str());
}

TEST_F(WindowTest, ADuplicateKeepsTheFormOpen) {
    addClient(a, "Acme");
    int attempts = 0;
    const int response = callForm(InsertRecord, [&](ClientForm& f) {
        f.name->setText("ACME");
        press(&f, "OK");
        attempts += f.isVisible();
        EXPECT_EQ("Adding this record creates a duplicate entry for the key: Client Alpha",
                  user.lastText());
        f.name->setText("Acme 2");
        press(&f, "OK");
    });
    EXPECT_EQ(1, attempts);
    EXPECT_EQ(RequestCompleted, response);
    EXPECT_EQ(2, count(a, Tbl::CLIENT));
}

TEST_F(WindowTest, ClosingAChangedFormAsksWhetherToSave) {
    addClient(a, "Acme");
    db.CLI.CLIENT = "Acme";
    a.fm(Tbl::CLIENT).FETCH(CLI::CLIENT_KEY);
    user.answer(BUTTON_NO);
    int response = callForm(ChangeRecord, [](ClientForm& f) {
        EXPECT_EQ("Record will be Changed", f.statusLabel()->text().toStdString());
        f.phone->setText("999");
        f.reject();
    });
    EXPECT_EQ(RequestCancelled, response);
    EXPECT_EQ("Do you want to save the changes to this record?", user.lastText());
    EXPECT_EQ(unsigned(BUTTON_YES | BUTTON_NO | BUTTON_CANCEL), user.asked.back().buttons);

    // Cancel stays in the form; Yes then saves as OK would.
    db.CLI.CLIENT = "Acme";
    a.fm(Tbl::CLIENT).FETCH(CLI::CLIENT_KEY);
    user.answer(BUTTON_CANCEL);
    user.answer(BUTTON_YES);
    response = callForm(ChangeRecord, [](ClientForm& f) {
        f.phone->setText("777");
        f.reject();
        EXPECT_TRUE(f.isVisible());
        f.reject();
    });
    EXPECT_EQ(RequestCompleted, response);
    db.CLI.CLIENT = "Acme";
    a.fm(Tbl::CLIENT).FETCH(CLI::CLIENT_KEY);
    EXPECT_EQ("777", db.CLI.PHONE.str());
}

TEST_F(WindowTest, AChangeByAnotherStationIsShownNotOverwritten) {
    addClient(a, "Acme");
    db.CLI.CLIENT = "Acme";
    a.fm(Tbl::CLIENT).FETCH(CLI::CLIENT_KEY);
    callForm(ChangeRecord, [&](ClientForm& f) {
        store::test::Station b(dir.path);
        b.rm(Tbl::CLIENT).OPEN();
        b.db->CLI.CLIENT = "Acme";
        b.fm(Tbl::CLIENT).FETCH(CLI::CLIENT_KEY);
        b.db->CLI.PHONE = "from b";
        ASSERT_EQ(Level_Benign, b.fm(Tbl::CLIENT).UPDATE());
        f.phone->setText("from a");
        press(&f, "OK");
        EXPECT_TRUE(f.isVisible());
        EXPECT_EQ("from b", f.phone->text().toStdString());
        EXPECT_NE(std::string::npos, user.lastText().find("changed by another station"));
        f.phone->setText("from a, knowingly");
        press(&f, "OK");
    });
    db.CLI.CLIENT = "Acme";
    a.fm(Tbl::CLIENT).FETCH(CLI::CLIENT_KEY);
    EXPECT_EQ("from a, knowingly", db.CLI.PHONE.str());
}

TEST_F(WindowTest, ADeleteRequestIsConfirmedWhenTheFormOpens) {
    addClient(a, "Acme");
    addBooking(a, 1, "Visit", "Acme");
    db.CLI.CLIENT = "Acme";
    a.fm(Tbl::CLIENT).FETCH(CLI::CLIENT_KEY);
    user.answer(BUTTON_NO);
    EXPECT_EQ(RequestCancelled, callForm(DeleteRecord, [](ClientForm&) {}));
    EXPECT_EQ(1, count(a, Tbl::CLIENT));
    user.answer(BUTTON_YES);
    EXPECT_EQ(RequestCompleted, callForm(DeleteRecord, [](ClientForm&) {}));
    EXPECT_EQ(0, count(a, Tbl::CLIENT));
    EXPECT_EQ(0, count(a, Tbl::ACTIVITY));
}

TEST_F(WindowTest, ARefusedRequestSaysSo) {
    ClientForm form(db);
    form.allowInsert = false;
    session().GlobalRequest = InsertRecord;
    EXPECT_EQ(RequestCancelled, form.CALL());
    EXPECT_EQ("This form cannot be used to insert a record", user.lastText());
}

// --- browse lists ------------------------------------------------------------------------

class BrowseTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_EQ(Level_Benign, a.fm(Tbl::CLIENT).USEFILE());
        ASSERT_EQ(0, db.engine().begin(3));
        for (int i = 0; i < 5000; ++i) {
            a.fm(Tbl::CLIENT).PRIMERECORD();
            char name[32];
            std::snprintf(name, sizeof name, "Client %04d", i);
            db.CLI.CLIENT = name;
            ASSERT_EQ(0, db.engine().add(db.table(Tbl::CLIENT)));
        }
        ASSERT_EQ(0, db.engine().commit());
    }
    std::unique_ptr<BrowseProcedure> browse() {
        auto b =
            std::make_unique<BrowseProcedure>(db, Tbl::CLIENT, CLI::CLIENT_KEY, "BROWSECLIENT");
        auto field = [this](store::Field f) {
            return [this, f](const std::byte* r) {
                return QString::fromStdString(
                    std::string(getText(db.table(Tbl::CLIENT).decl().field(f), r)));
            };
        };
        b->setColumns({{"Client", field(CLI::CLIENT)}, {"Phone", field(CLI::PHONE)}});
        return b;
    }
    static QString cell(BrowseProcedure& b, int row) {
        return b.model().data(b.model().index(row, 0), Qt::DisplayRole).toString();
    }
};

TEST_F(BrowseTest, ALargeTableOpensAPageAtATimeAndLocates) {
    BrowseProcedure* b = browse().release();
    b->START();
    BrowseModel& m = b->model();
    EXPECT_LE(m.rowCount(), 3 * BrowseModel::kPage);  // not the whole table
    EXPECT_EQ("Client 0000", cell(*b, 0).toStdString());
    while (m.canFetchMore({})) m.fetchMore({});
    EXPECT_EQ(5000, m.rowCount());
    EXPECT_EQ("Client 4999", cell(*b, 4999).toStdString());

    // The locator jumps into the middle; scrolling up brings what lies before.
    b->locator()->setText("client 31");
    emit b->locator()->textEdited("client 31");
    EXPECT_EQ("Client 3100", cell(*b, 0).toStdString());
    EXPECT_FALSE(m.atStart());
    EXPECT_EQ(BrowseModel::kPage, m.fetchPrevious());
    EXPECT_EQ("Client 3040", cell(*b, 0).toStdString());
    EXPECT_EQ("Client 3100", cell(*b, BrowseModel::kPage).toStdString());
    // Past the end: the list shows its last records.
    emit b->locator()->textEdited("zzz");
    EXPECT_EQ("Client 4999", cell(*b, m.rowCount() - 1).toStdString());
    b->close();
}

TEST_F(BrowseTest, SelectModeLeavesTheHighlightedRecordInTheBuffer) {
    auto b = browse();
    b->setSelectMode(true);
    QTimer::singleShot(0, b.get(), [&] {
        emit b->locator()->textEdited("Client 0042");
        b->list()->selectRow(0);
        press(b.get(), "Select");
    });
    EXPECT_EQ(RequestCompleted, b->CALL());
    EXPECT_EQ("Client 0042", db.CLI.CLIENT.str());
}

TEST_F(BrowseTest, ButtonsRunTheFormAndTheListFollows) {
    BrowseProcedure* b = browse().release();
    b->setForm([&](int request) {
        ClientForm f(db);
        session().GlobalRequest = request;
        QTimer::singleShot(0, &f, [&] {
            if (request == InsertRecord) f.name->setText("Aardvark Ltd");
            if (request == ChangeRecord) f.name->setText("Client 0000 renamed");
            press(&f, "OK");
        });
        return f.CALL();
    });
    b->START();
    press(b, "Insert");
    EXPECT_EQ("Aardvark Ltd", cell(*b, b->list()->currentIndex().row()).toStdString());
    b->list()->selectRow(b->model().rowOf(a.fm(Tbl::CLIENT).POSITION()) + 1);
    press(b, "Change");
    EXPECT_EQ("Client 0000 renamed", cell(*b, b->list()->currentIndex().row()).toStdString());
    user.answer(BUTTON_YES);
    press(b, "Delete");
    EXPECT_EQ(5000, count(a, Tbl::CLIENT));
    b->close();
}

TEST_F(BrowseTest, ColumnWidthsAreKeptInTheConfigurationFile) {
    IniFile ini(dir.file("tembrixm.INI"));
    program().ini = &ini;
    {
        BrowseProcedure* b = browse().release();
        b->listFormatKey = "BrwTest";
        b->START();
        b->list()->setColumnWidth(0, 321);
        b->close();
    }
    EXPECT_EQ(0u, ini.get("List formats", "BrwTest", "").find("321,"));
    BrowseProcedure* b = browse().release();
    b->listFormatKey = "BrwTest";
    b->START();
    EXPECT_EQ(321, b->list()->columnWidth(0));
    b->close();
    program().ini = nullptr;
}

}  // namespace
}  // namespace framework::test

namespace framework::test {
namespace {

TEST_F(WindowTest, DropListsOfferTheRecordsOfOneOwner) {
    for (auto [user, minutes] : {std::pair{"SysPref", 30}, {"SysPref", 15}, {"ANNA", 60}}) {
        db.DUR.USERNAME = user;
        db.DUR.DURATION = minutes * 6000 + 1;
        ASSERT_EQ(Level_Benign, a.fm(Tbl::DURLIST).INSERT());
    }
    db.DUR.USERNAME = "SysPref";
    db.DUR.DURATION = 0;
    QComboBox list;
    EXPECT_EQ(2,
              fillDropList(list, a.fm(Tbl::DURLIST), DUR::USERNAME_KEY, 1, [](const std::byte* r) {
                  return std::to_string((reinterpret_cast<const DURLIST*>(r)->DURATION - 1) / 6000);
              }));
    EXPECT_EQ("15", list.itemText(0).toStdString());
    EXPECT_EQ("30", list.itemText(1).toStdString());
    EXPECT_EQ("SysPref", db.DUR.USERNAME.str());  // the buffer is as it was
}

}  // namespace
}  // namespace framework::test
