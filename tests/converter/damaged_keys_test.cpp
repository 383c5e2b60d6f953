// Old folders whose keys are damaged or missing: the conversion ends in a folder the main
// program opens without a word, or it says what is wrong and never "Conversion Completed".
#include <sqlite3.h>

#include <filesystem>

#include "converter_fixture.h"
#include "store/tables.h"

namespace converter::test {
namespace {

namespace fs = std::filesystem;

class DamagedKeys : public ConvertTest {
  protected:
    /// Runs SQL on a store file of the folder as a hand or another program would; the
    /// users file is encrypted under the built-in owner password.
    void rawSql(const char* file, const std::string& sql) {
        sqlite3* raw = nullptr;
        ASSERT_EQ(SQLITE_OK, sqlite3_open(dir.file(file).c_str(), &raw));
        const std::string key =
            std::string(file) == "USERS.TPS" ? "PRAGMA key = 'Vortam';" : std::string();
        EXPECT_EQ(SQLITE_OK, sqlite3_exec(raw, (key + sql).c_str(), nullptr, nullptr, nullptr))
            << sqlite3_errmsg(raw) << "\n"
            << sql;
        sqlite3_close(raw);
    }

    /// The definitions of a table's keys as the file holds them, one a line.
    static std::string keysIn(const std::string& path, const char* table, bool users = false) {
        sqlite3* raw = nullptr;
        std::string out;
        if (sqlite3_open(path.c_str(), &raw) == SQLITE_OK) {
            if (users) sqlite3_exec(raw, "PRAGMA key = 'Vortam';", nullptr, nullptr, nullptr);
            sqlite3_stmt* st = nullptr;
            sqlite3_prepare_v2(raw,
                               "SELECT sql FROM sqlite_master WHERE type = 'index' AND "
                               "tbl_name = ?1 AND sql IS NOT NULL ORDER BY name",
                               -1, &st, nullptr);
            sqlite3_bind_text(st, 1, table, -1, SQLITE_STATIC);
            while (sqlite3_step(st) == SQLITE_ROW)
                out +=
                    reinterpret_cast<const char*>(sqlite3_column_text(st, 0)) + std::string("\n");
            sqlite3_finalize(st);
        }
        sqlite3_close(raw);
        return out;
    }

    /// Drops every key of a table, as a damaged folder lacks them.
    void dropKeys(const char* table) {
        const bool users = std::string(table) == "USERS" && fs::exists(dir.file("USERS.TPS"));
        const char* file = users ? "USERS.TPS" : "RESDATA.TPS";
        const std::string keys = keysIn(dir.file(file), table, users);
        ASSERT_NE("", keys) << table << " has no keys to lose";
        std::string sql;
        for (std::size_t at = 0; (at = keys.find("INDEX ", at)) != std::string::npos;) {
            const std::size_t end = keys.find(" ON ", at);
            sql += "DROP INDEX " + keys.substr(at + 6, end - at - 6) + ";";
            at = end;
        }
        rawSql(file, sql);
        ASSERT_EQ("", keysIn(dir.file(file), table, users)) << table;
    }

    /// The keys of a table as the main program makes them in a new folder.
    static std::string todaysKeys(const char* table) {
        store::test::TempDir fresh;
        {
            Station s(fresh.path);
            for (int i = 0; i < store::kTableCount; ++i) s.rm(store::Tbl(i)).OPEN();
            for (int i = 0; i < store::kTableCount; ++i) s.fm(store::Tbl(i)).USEFILE();
        }
        return keysIn(fresh.file("RESDATA.TPS"), table);
    }

    /// A folder of the release whose tables have lost every key converts with
    /// "Conversion Completed", and the main program then opens it without a word.
    void expectCompletedWithout(Release r, const std::vector<const char*>& damaged) {
        SampleStore s(r);
        addTrialRecords(s);
        write(s);
        for (const char* table : damaged) dropKeys(table);
        user.clearAsked();
        ASSERT_EQ(Outcome::Completed, convert(r)) << user.lastText();
        EXPECT_EQ("Conversion Completed", user.lastText());
        // No "key file is invalid. Key must be rebuilt." at the first start.
        expectTodaysStore();
    }
};

TEST_F(DamagedKeys, MissingKeysOfTablesNoStageWritesAreBuiltBeforeCompletedFrom31) {
    // Stage C writes the bookings, clients, resources, users, dates and group members.
    expectCompletedWithout(Release::R31,
                           {"GROUP", "SPECIAL", "USERPREF", "USGRPUS", "RESUSER", "DURLIST"});
}

TEST_F(DamagedKeys, MissingKeysOfTablesNoStageWritesAreBuiltBeforeCompletedFrom320) {
    // Stage D writes only the preferences; the users file is kept too.
    expectCompletedWithout(Release::R320, {"GROUP", "SPECIAL", "USERPREF", "USGRPUS", "RESACT",
                                           "DATES", "GROUPRES", "USERS"});
}

TEST_F(DamagedKeys, AKeyRedefinedByHandIsBuiltAsDeclared) {
    SampleStore s(Release::R320);
    addTrialRecords(s);
    write(s);
    rawSql("RESDATA.TPS",
           "DROP INDEX \"SPECIAL_DATE_KEY\";"
           "CREATE UNIQUE INDEX \"SPECIAL_DATE_KEY\" ON \"SPECIAL\" (\"DESCRIPTION\");");
    ASSERT_EQ(Outcome::Completed, convert(Release::R320)) << user.lastText();
    EXPECT_EQ(todaysKeys("SPECIAL"), keysIn(dir.file("RESDATA.TPS"), "SPECIAL"));
}

TEST_F(DamagedKeys, KeysTheRecordsDuplicateAreNamedAndResdataOldIsTheWayBack) {
    SampleStore s(Release::R31);
    addTrialRecords(s);
    write(s);
    // A second group of the same name, which the unique key cannot hold.
    dropKeys("GROUP");
    rawSql("RESDATA.TPS", "INSERT INTO \"GROUP\" (\"GROUP\") VALUES ('All resources');");
    const std::string original = readFile(dir.file("RESDATA.TPS"));

    EXPECT_EQ(Outcome::Failed, convert(Release::R31));
    for (const std::string& text : user.texts())
        EXPECT_EQ(std::string::npos, text.find("Conversion Completed")) << text;
    const std::string last = user.lastText();
    EXPECT_EQ(0u, last.find("Conversion not completed")) << last;
    EXPECT_NE(std::string::npos, last.find("the table GROUP")) << last;
    EXPECT_NE(std::string::npos, last.find("Creates Duplicate Key")) << last;
    EXPECT_NE(std::string::npos, last.find("Resdata.old")) << last;
    EXPECT_EQ(store::Icon::Exclamation, user.asked.back().icon);
    EXPECT_EQ(original, readFile(dir.file("Resdata.old")));
}

}  // namespace
}  // namespace converter::test
