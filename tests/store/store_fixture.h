#pragma once

#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "store/error_class.h"
#include "store/scripted_questions.h"
#include "store/server_config.h"
#include "store/store.h"

namespace store::test {

/// A data folder of its own for one test, removed afterwards.
struct TempDir {
    std::filesystem::path path;
    TempDir() {
        char tmpl[] = "/tmp/tembrix-test-XXXXXX";
        path = ::mkdtemp(tmpl);
    }
    ~TempDir() { std::filesystem::remove_all(path); }
    std::string file(const char* name) const { return (path / name).string(); }
};

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

/// A digest of a file's bytes, for telling whether a file was changed.
inline std::size_t fileHash(const std::string& path) {
    return std::hash<std::string>{}(readFile(path));
}

/// One workstation: its own error reporter and its own store on the shared folder. The
/// program's end is recorded instead of happening.
struct Station {
    ErrorClass errors;
    std::vector<int> exits;
    std::unique_ptr<Store> db;

    explicit Station(const std::filesystem::path& folder, EngineOptions options = {}) {
        errors.INIT();
        errors.endProgram = [this](int code) { exits.push_back(code); };
        db = std::make_unique<Store>(folder.string(), errors, options);
        db->DCTINIT();
    }
    FileManager& fm(Tbl t) { return db->Access(t); }
    RelationManager& rm(Tbl t) { return db->Relate(t); }
};

/// Where a test's store lives: the folder's own files, or a database on the test server.
enum class StoreKind { Files, Server };

inline std::string storeKindName(const ::testing::TestParamInfo<StoreKind>& info) {
    return info.param == StoreKind::Files ? "Files" : "Server";
}

inline void PrintTo(StoreKind kind, std::ostream* os) {
    *os << (kind == StoreKind::Files ? "the folder's files" : "a server");
}

/// For StoreKind::Server, a database of its own on the test server, named in the folder's
/// server file so that every station on the folder uses it, and dropped afterwards. The
/// server is the one TEMBRIX_TEST_SERVER names (libpq parameters without a database, for a
/// role that may create databases and roles; scripts/pg_test_server.sh starts a throw-away
/// one).
class ServerDatabase {
  public:
    ServerDatabase(const std::filesystem::path& folder, StoreKind kind);
    ~ServerDatabase();
    ServerDatabase(const ServerDatabase&) = delete;
    ServerDatabase& operator=(const ServerDatabase&) = delete;

    bool used() const { return !name_.empty(); }
    /// Why the database could not be made; empty when it was (or none was asked for).
    const std::string& problem() const { return problem_; }
    /// In SetUp: a test on a server that is not there fails under CI (CI=true) and is
    /// skipped, saying why, elsewhere.
    void require() const;
    /// Runs SQL on the test's database as a hand or another program would; the server's
    /// message when it fails, else empty.
    std::string exec(const std::string& sql) const;
    /// The first value a query on the test's database gives, as the server spells it.
    std::string value(const std::string& sql) const;

  private:
    std::string admin_;
    std::string name_;
    std::string problem_;
};

inline ServerDatabase::ServerDatabase(const std::filesystem::path& folder, StoreKind kind) {
    if (kind != StoreKind::Server) return;
    const char* server = std::getenv("TEMBRIX_TEST_SERVER");
    if (!server || !*server) {
        problem_ =
            "no test server: TEMBRIX_TEST_SERVER is not set (scripts/pg_test_server.sh starts one)";
        return;
    }
    admin_ = std::string(server) + " dbname=postgres";
    static int made = 0;
    const std::string name =
        "tembrix_test_" + std::to_string(::getpid()) + "_" + std::to_string(++made);
    PGconn* c = PQconnectdb(admin_.c_str());
    if (PQstatus(c) == CONNECTION_OK) {
        // Bytes as the files keep them, in byte order, whatever the server's own locale.
        PGresult* r = PQexec(c, ("CREATE DATABASE " + name +
                                 " TEMPLATE template0 ENCODING 'SQL_ASCII' LC_COLLATE 'C' "
                                 "LC_CTYPE 'C'")
                                    .c_str());
        if (PQresultStatus(r) == PGRES_COMMAND_OK) name_ = name;
        PQclear(r);
    }
    if (name_.empty())
        problem_ = "the test server cannot be used: " + std::string(PQerrorMessage(c));
    PQfinish(c);
    if (!name_.empty()) {
        std::ofstream out(folder / kServerFileName);
        out << "# The test's own database\n" << server << " dbname=" << name_ << "\n";
    }
}

inline ServerDatabase::~ServerDatabase() {
    if (name_.empty()) return;
    PGconn* c = PQconnectdb(admin_.c_str());
    if (PQstatus(c) == CONNECTION_OK)
        PQclear(PQexec(c, ("DROP DATABASE IF EXISTS " + name_ + " WITH (FORCE)").c_str()));
    PQfinish(c);
}

inline std::string ServerDatabase::exec(const std::string& sql) const {
    PGconn* c =
        PQconnectdb((admin_.substr(0, admin_.rfind(" dbname=")) + " dbname=" + name_).c_str());
    std::string error;
    PGresult* r = PQexec(c, sql.c_str());
    if (PQresultStatus(r) != PGRES_COMMAND_OK && PQresultStatus(r) != PGRES_TUPLES_OK)
        error = PQerrorMessage(c);
    PQclear(r);
    PQfinish(c);
    return error;
}

inline std::string ServerDatabase::value(const std::string& sql) const {
    PGconn* c =
        PQconnectdb((admin_.substr(0, admin_.rfind(" dbname=")) + " dbname=" + name_).c_str());
    PGresult* r = PQexec(c, sql.c_str());
    std::string out;
    if (PQresultStatus(r) == PGRES_TUPLES_OK && PQntuples(r) > 0) out = PQgetvalue(r, 0, 0);
    PQclear(r);
    PQfinish(c);
    return out;
}

inline void ServerDatabase::require() const {
    if (problem_.empty()) return;
    const char* ci = std::getenv("CI");
    if (ci && std::string(ci) == "true")
        GTEST_FAIL() << problem_;
    else
        GTEST_SKIP() << problem_;
}

/// The test's first station with its folder and a scripted user, on a store of the kind
/// `Base` says: ::testing::Test for the folder's files, ::testing::TestWithParam<StoreKind>
/// for either kind.
template <class Base>
class StoreFixture : public Base {
  protected:
    static StoreKind kindOf(const Base* self) {
        if constexpr (std::is_base_of_v<::testing::WithParamInterface<StoreKind>, Base>)
            return self->GetParam();
        else
            return StoreKind::Files;
    }

    TempDir dir;
    ServerDatabase server{dir.path, kindOf(this)};
    ScriptedQuestions user;
    Station a{dir.path};
    Store& db = *a.db;

    bool onServer() const { return server.used(); }
    /// Opens every table through its relation manager.
    void openAll(Station& s) {
        for (int i = 0; i < kTableCount; ++i) ASSERT_EQ(Level_Benign, s.rm(Tbl(i)).OPEN());
    }

    void addClient(Station& s, const char* name) {
        s.fm(Tbl::CLIENT).PRIMERECORD();
        s.db->CLI.CLIENT = name;
        ASSERT_EQ(Level_Benign, s.fm(Tbl::CLIENT).INSERT()) << user.lastText();
    }
    void addBooking(Station& s, int number, const char* name, const char* client) {
        s.fm(Tbl::ACTIVITY).PRIMERECORD();
        s.db->ACT.ACTNUMBER = number;
        s.db->ACT.NAME = name;
        s.db->ACT.CLIENT = client;
        ASSERT_EQ(Level_Benign, s.fm(Tbl::ACTIVITY).INSERT()) << user.lastText();
    }
    void addDate(Station& s, int number, int date, int time, int end) {
        s.fm(Tbl::DATES).PRIMERECORD();
        s.db->DAT.ACTNUMBER = number;
        s.db->DAT.DATE = date;
        s.db->DAT.TIME = time;
        s.db->DAT.ENDTIME = end;
        ASSERT_EQ(Level_Benign, s.fm(Tbl::DATES).INSERT()) << user.lastText();
    }
    void addResAct(Station& s, int number, const char* resource) {
        s.fm(Tbl::RESACT).PRIMERECORD();
        s.db->RAC.ACTNUMBER = number;
        s.db->RAC.RESOURCE = resource;
        ASSERT_EQ(Level_Benign, s.fm(Tbl::RESACT).INSERT()) << user.lastText();
    }

    /// Every value of one text field, walking key `key` from the start.
    template <class Get>
    std::vector<std::string> walk(Station& s, Tbl t, int key, Get get) {
        std::vector<std::string> out;
        FileManager& fm = s.fm(t);
        EXPECT_EQ(Level_Benign, fm.SET(key));
        while (fm.NEXT() == Level_Benign) out.push_back(get());
        return out;
    }
    long long count(Station& s, Tbl t) { return s.db->engine().records(s.db->table(t)); }
};

/// A store test on the folder's own files.
using StoreTest = StoreFixture<::testing::Test>;

/// A store test that runs on either kind of store (instantiated with both kinds).
class AnyStoreTest : public StoreFixture<::testing::TestWithParam<StoreKind>> {
  protected:
    void SetUp() override { server.require(); }
};

/// Runs the AnyStoreTest-derived fixture's tests on both kinds of store.
#define TEMBRIX_ON_BOTH_STORES(Fixture)                                                       \
    INSTANTIATE_TEST_SUITE_P(                                                                 \
        Stores, Fixture,                                                                      \
        ::testing::Values(::store::test::StoreKind::Files, ::store::test::StoreKind::Server), \
        ::store::test::storeKindName)

}  // namespace store::test
