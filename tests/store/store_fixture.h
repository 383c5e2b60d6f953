#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "store/error_class.h"
#include "store/scripted_questions.h"
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

/// The test's first station with its folder and a scripted user.
class StoreTest : public ::testing::Test {
  protected:
    TempDir dir;
    ScriptedQuestions user;
    Station a{dir.path};
    Store& db = *a.db;

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

}  // namespace store::test
