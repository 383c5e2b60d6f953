// Folders that are not right, data of another release, and failures in the middle of a
// stage: each says what is wrong, and nothing is lost.
#include <signal.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "converter/old_layouts.h"
#include "converter_fixture.h"
#include "store/tables.h"

namespace converter::test {
namespace {

namespace fs = std::filesystem;
using store::Tbl;

class BadFolder : public ConvertTest {
  protected:
    /// Converting changes nothing and says so with a message containing `words`.
    void expectRefused(Release r, const std::string& words) {
        const std::string before = readFile(dir.file("RESDATA.TPS"));
        const bool hadBackup = fs::exists(dir.file("Resdata.old"));
        user.clearAsked();
        EXPECT_EQ(Outcome::NothingDone, convert(r));
        ASSERT_EQ(1u, user.asked.size());
        EXPECT_NE(std::string::npos, user.lastText().find(words)) << user.lastText();
        EXPECT_EQ(kCaption, user.asked.back().caption);
        EXPECT_EQ(before, readFile(dir.file("RESDATA.TPS")));
        EXPECT_EQ(hadBackup, fs::exists(dir.file("Resdata.old")));
        EXPECT_EQ("", progress.stages);  // no stage began
    }
    void writeSample(Release r) {
        SampleStore s(r);
        addTrialRecords(s);
        write(s);
    }
};

TEST_F(BadFolder, FoldersWithoutAStoreAreRefused) {
    expectRefused(Release::R31, "There is no RESDATA.TPS in " + folder());
    EXPECT_EQ(Outcome::NothingDone, convertFolder(folder() + "/not-there", Release::R31));
    EXPECT_NE(std::string::npos, user.lastText().find("does not exist"));
    EXPECT_FALSE(fs::exists(folder() + "/not-there"));

    // A file of another kind under the store's name.
    std::ofstream(dir.file("RESDATA.TPS")) << "Shopping list: milk, bread, stamps.\n";
    expectRefused(Release::R31, "is not a data file of this program");
    // An empty file holds no table at all.
    std::ofstream(dir.file("RESDATA.TPS"), std::ios::trunc).close();
    expectRefused(Release::R2X, "holds none of the tables");
}

TEST_F(BadFolder, ATruncatedStoreIsRefusedBeforeAnythingChanges) {
    SampleStore s(Release::R31);
    for (int i = 1; i <= 3000; ++i)
        s.add("DATES").set("ACTNUMBER", i).set("DATE", 80000 + i).set("DATETEXT", "some date");
    write(s);
    fs::resize_file(dir.file("RESDATA.TPS"), fs::file_size(dir.file("RESDATA.TPS")) * 2 / 3);
    expectRefused(Release::R31, "or it is damaged");
}

TEST_F(BadFolder, AReadOnlyStoreIsRefused) {
    writeSample(Release::R31);
    fs::permissions(dir.file("RESDATA.TPS"),
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    expectRefused(Release::R31, "read-only");
}

TEST_F(BadFolder, AMissingTableIsNamed) {
    SampleStore s(Release::R31);
    addTrialRecords(s);
    s.leaveOut("CLIENT");
    write(s);
    expectRefused(Release::R31, "The table CLIENT is missing");
    // A table a stage of this run writes first need not be there: 2.x has no SYSPREF.
}

TEST_F(BadFolder, AnUnreadableUsersFileIsNamedWhateverTheRelease) {
    // The main program reads the users file after any conversion, not only after the
    // one that writes it.
    writeSample(Release::R320);
    std::ofstream(dir.file("USERS.TPS"), std::ios::trunc) << "Not the users at all.\n";
    const std::string users = readFile(dir.file("USERS.TPS"));
    expectRefused(Release::R320, "USERS.TPS in " + folder() + " cannot be read");
    EXPECT_EQ(users, readFile(dir.file("USERS.TPS")));
}

TEST_F(BadFolder, ATableWithoutOneOfItsColumnsIsNotConverted) {
    writeSample(Release::R31);
    {
        // ACTIVITY's NAME renamed by hand; the catalogue still names release 3.1's layout.
        sqlite3* raw = nullptr;
        ASSERT_EQ(SQLITE_OK, sqlite3_open(dir.file("RESDATA.TPS").c_str(), &raw));
        ASSERT_EQ(SQLITE_OK,
                  sqlite3_exec(raw,
                               "PRAGMA writable_schema = 1; UPDATE sqlite_master SET sql = "
                               "replace(sql, '\"NAME\"', '\"TITLE\"') WHERE type = 'table' "
                               "AND name = 'ACTIVITY';",
                               nullptr, nullptr, nullptr));
        sqlite3_close(raw);
    }
    // Converted, every booking would have been named "NAME".
    expectRefused(Release::R31, "ACTIVITY");
    EXPECT_EQ(Outcome::NothingDone, convert(Release::R31));
}

TEST_F(BadFolder, DataOfAnotherReleaseIsNamedAndLeftAlone) {
    writeSample(Release::R320);
    expectRefused(Release::R31, "not in the layout of release 3.1: it looks like release 3.20");
    expectRefused(Release::R2X, "it looks like release 3.20");
}

TEST_F(BadFolder, OldReleasesAreToldApart) {
    for (Release r : {Release::R2X, Release::R30, Release::R31}) {
        TempDir d;
        SampleStore s(r);
        addTrialRecords(s);
        ASSERT_EQ(0, s.write(d.path.string())) << s.problem();
        for (const ReleaseInfo& other : convertibleReleases()) {
            if (other.release == r) continue;
            user.clearAsked();
            EXPECT_EQ(Outcome::NothingDone, convertFolder(d.path.string(), other.release));
            EXPECT_NE(std::string::npos, user.lastText().find(std::string("looks like release ") +
                                                              releaseInfo(r).name + "."))
                << other.name << ": " << user.lastText();
        }
    }
}

TEST_F(BadFolder, ConvertingTwiceChangesNothingTheSecondTime) {
    writeSample(Release::R31);
    const std::string original = readFile(dir.file("RESDATA.TPS"));
    ASSERT_EQ(Outcome::Completed, convert(Release::R31));
    progress.stages.clear();
    const std::string users = readFile(dir.file("USERS.TPS"));
    for (Release r : {Release::R31, Release::R320})
        expectRefused(r, "is already in the layout of release 3.21");
    EXPECT_EQ(store::Icon::Information, user.asked.back().icon);
    // Resdata.old still holds the data as it was before the conversion.
    EXPECT_EQ(original, readFile(dir.file("Resdata.old")));
    EXPECT_EQ(users, readFile(dir.file("USERS.TPS")));
}

// --- failures in the middle of a stage ------------------------------------------------

/// Lets no file grow past its size at the moment a given record is read, as a full disk
/// would, until the stage ends.
struct DiskFull : Recorder {
    std::string table;
    long long atRecord;
    std::string file;
    bool struck = false;

    DiskFull(std::string t, long long at, std::string f)
        : table(std::move(t)), atRecord(at), file(std::move(f)) {
        ::signal(SIGXFSZ, SIG_IGN);
    }
    ~DiskFull() override { lift(); }
    void recordRead(const std::string& source, long long count) override {
        Recorder::recordRead(source, count);
        if (struck || source != table || count != atRecord) return;
        struck = true;
        const rlim_t size = rlim_t(fs::file_size(file));
        rlimit l{size, RLIM_INFINITY};
        ::setrlimit(RLIMIT_FSIZE, &l);
    }
    void stageFinished(char s) override {
        lift();
        Recorder::stageFinished(s);
    }
    void lift() {
        rlimit l{RLIM_INFINITY, RLIM_INFINITY};
        ::setrlimit(RLIMIT_FSIZE, &l);
    }
};

class FailureInAStage : public ConvertTest {
  protected:
    /// A 3.1 folder whose clients alone take some megabytes.
    void writeBig(Release r) {
        SampleStore s(r);
        addTrialRecords(s);
        for (int i = 0; i < 3000; ++i)
            s.add("CLIENT")
                .set("CLIENT", "Client " + std::to_string(i))
                .set("NOTES", std::string(900, char('a' + i % 26)));
        for (int i = 0; i < 20000; ++i)
            s.add("DATES")
                .set("ACTNUMBER", 100 + i)
                .set("DATE", 80000 + i % 400)
                .set("TIME", 2880001 + i);
        write(s);
    }
    /// The table opens in the layout given and holds `n` records.
    void expectLayout(const store::TableDecl& d, long long n) {
        store::Engine e(folder());
        store::Table t(d);
        ASSERT_EQ(0, e.open(t, false)) << d.name << " " << d.prefix;
        EXPECT_EQ(n, e.records(t)) << d.name;
    }
    void expectNoTemporaryTables() {
        store::Engine e(folder());
        for (const char* name : {"CONV0001", "CONV0002", "CONV0003", "CONV0004"}) {
            store::TableDecl d = store::tableDecl(Tbl::CLIENT);
            d.name = name;
            store::Table t(d);
            EXPECT_EQ(store::FileNotFoundErr, e.open(t, false)) << name;
        }
    }
};

TEST_F(FailureInAStage, AFailingTableOfStageCIsLeftAsItWasAndStageDStillRuns) {
    writeBig(Release::R31);
    const std::string original = readFile(dir.file("RESDATA.TPS"));
    DiskFull full("RESDATA\\!CLIENT", 2000, dir.file("RESDATA.TPS"));
    EXPECT_EQ(Outcome::Failed, convertFolder(folder(), Release::R31, &full));
    ASSERT_TRUE(full.struck);
    EXPECT_EQ("C+C-D+D-", full.stages);

    // The failure named the table and the system's reason; the end says the conversion
    // is not complete instead of "Conversion Completed".
    const std::vector<std::string> texts = user.texts();
    ASSERT_EQ(2u, texts.size());
    EXPECT_EQ(0u, texts[0].find("Error: RESDATA\\!CLIENT ")) << texts[0];
    EXPECT_NE(std::string::npos, texts[0].find("File too large")) << texts[0];
    EXPECT_NE(std::string::npos, texts[1].find("Conversion not completed")) << texts[1];

    // The bookings were converted before; the clients and what follows are untouched, and
    // stage D brought the preferences to today's layout.
    expectLayout(store::tableDecl(Tbl::ACTIVITY), 3);
    expectLayout(oldDecl(Old::INC), 3002);
    expectLayout(oldDecl(Old::IND), 3);
    expectLayout(oldDecl(Old::INF), 20009);
    expectLayout(store::tableDecl(Tbl::SYSPREF), 1);
    expectNoTemporaryTables();
    EXPECT_FALSE(fs::exists(dir.file("USERS.TPS")));
    EXPECT_EQ(original, readFile(dir.file("Resdata.old")));

    // A second run finds the tables of two releases and refuses, keeping Resdata.old.
    user.clearAsked();
    EXPECT_EQ(Outcome::NothingDone, convert(Release::R31));
    EXPECT_NE(std::string::npos, user.lastText().find("not all in the layout of one release"));
    EXPECT_EQ(original, readFile(dir.file("Resdata.old")));

    // With Resdata.old put back, the conversion goes through.
    fs::copy_file(dir.file("Resdata.old"), dir.file("RESDATA.TPS"),
                  fs::copy_options::overwrite_existing);
    user.clearAsked();
    ASSERT_EQ(Outcome::Completed, convert(Release::R31)) << user.lastText();
    expectTodaysStore();
}

TEST_F(FailureInAStage, AFailureInStageAEndsTheRun) {
    writeBig(Release::R2X);
    const std::string original = readFile(dir.file("RESDATA.TPS"));
    DiskFull full("RESDATA\\!DATES", 15000, dir.file("RESDATA.TPS"));
    EXPECT_EQ(Outcome::Failed, convertFolder(folder(), Release::R2X, &full));
    ASSERT_TRUE(full.struck);
    EXPECT_EQ("A+A-", full.stages);  // no later stage ran
    // The new dates are written out when they replace the old ones: a copy that fails
    // there is reported by the stop box.
    ASSERT_EQ(1u, user.asked.size());
    EXPECT_TRUE(user.asked[0].stopBox);
    EXPECT_EQ("File System Error (File too large) COPYING DATES", user.lastText());
    // The dates were the first table: the folder is exactly as it was.
    EXPECT_EQ(original, readFile(dir.file("RESDATA.TPS")));
    EXPECT_EQ(original, readFile(dir.file("Resdata.old")));
    expectNoTemporaryTables();
}

}  // namespace
}  // namespace converter::test
