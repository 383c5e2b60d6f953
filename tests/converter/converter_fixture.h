#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "../store/store_fixture.h"
#include "converter/converter.h"
#include "converter/sample_store.h"
#include "store/record_image.h"

namespace converter::test {

using store::test::readFile;
using store::test::Station;
using store::test::TempDir;

/// Remembers what the converter showed while it worked.
struct Recorder : ConvertObserver {
    std::string stages;  // "A+A-B+B-": started and finished
    std::string lastSource;
    long long lastCount = 0;
    long long records = 0;  // every record read, over all tables

    void stageStarted(char s) override { stages += std::string(1, s) + "+"; }
    void recordRead(const std::string& source, long long count) override {
        lastSource = source;
        lastCount = count;
        ++records;
    }
    void stageFinished(char s) override { stages += std::string(1, s) + "-"; }
};

/// A folder of its own for one test, with a scripted user and helpers that write an old
/// store into it, convert it, and read the result as the main program does.
class ConvertTest : public ::testing::Test {
  protected:
    TempDir dir;
    store::ScriptedQuestions user;
    Recorder progress;

    std::string folder() const { return dir.path.string(); }

    void write(SampleStore& s) { ASSERT_EQ(0, s.write(folder())) << s.problem(); }

    Outcome convert(Release r) { return convertFolder(folder(), r, &progress); }

    /// Every table of today opens in the main program's store: no table is left in an
    /// old layout, and none needs creating.
    void expectTodaysStore() {
        user.clearAsked();
        Station s(dir.path);
        for (int i = 0; i < store::kTableCount; ++i) {
            const store::Tbl t = store::Tbl(i);
            s.rm(t).OPEN();
            EXPECT_EQ(store::Level_Benign, s.fm(t).USEFILE()) << store::tableDecl(t).name;
        }
        EXPECT_TRUE(s.exits.empty());
        EXPECT_TRUE(user.asked.empty()) << user.lastText();
        user.clearAsked();
    }

    /// The records of a table of today in stored order, as record structs.
    template <class R>
    std::vector<R> rows(store::Tbl t) {
        Station s(dir.path);
        std::vector<R> out;
        s.rm(t).OPEN();
        EXPECT_EQ(store::Level_Benign, s.fm(t).SET(-1));
        while (s.fm(t).NEXT() == store::Level_Benign) {
            R r;
            std::memcpy(&r, s.db->table(t).buffer(), sizeof(R));
            out.push_back(r);
        }
        return out;
    }
};

}  // namespace converter::test
