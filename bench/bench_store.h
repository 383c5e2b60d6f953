#pragma once

// The store the benchmarks share: 1,000,000 occurrences over 200 resources (50,000 weekly
// bookings of 20 occurrences, each on one resource; R180 to R199 pooled with five units),
// spread over five years from 2024. Generated in a fresh folder that is removed afterwards,
// or kept in the folder TEMBRIX_BENCH_DIR names and reused when it already holds the
// occurrences.

#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "store/datetime.h"
#include "store/error_class.h"
#include "store/file_manager.h"
#include "store/store.h"

namespace bench {

using store::LONG;
using store::Tbl;
using Clock = std::chrono::steady_clock;

inline constexpr int kResources = 200;
inline constexpr int kPooledFrom = 180;  // R180..R199 have 5 units each
inline constexpr int kBookings = 50'000;
inline constexpr int kPerBooking = 20;  // weekly occurrences
inline constexpr long long kOccurrences = 1LL * kBookings * kPerBooking;
inline const LONG kFirstDay = store::Date::fromMDY(1, 1, 2024).value;
inline constexpr int kDays = 5 * 365;

inline std::string temporaryFolder;
inline const char* programName = "bench";

// The conditions of the partial indexes of the keys the look-up goes through: without them
// SQLite may not use the indexes at all.
#define kIndexed                                      \
    "NOT (r.RESOURCE = '') AND NOT (d.ACTNUMBER = 0 " \
    "AND d.DATE = 0 AND d.TIME = 0 AND d.ENDTIME = 0)"

[[noreturn]] inline void die(const std::string& what) {
    std::fprintf(stderr, "%s: %s\n", programName, what.c_str());
    if (!temporaryFolder.empty()) std::filesystem::remove_all(temporaryFolder);
    std::exit(1);
}

inline LONG hour(int h) {
    return store::Time::fromHMS(h, 0).value;
}

inline std::string code(int r) {
    char c[8];
    std::snprintf(c, sizeof c, "R%03d", r);
    return c;
}

inline void exec(sqlite3* db, const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK)
        die(sql + ": " + (error ? error : "?"));
}

inline long long scalar(sqlite3* db, const std::string& sql) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) return -1;
    long long v = sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int64(st, 0) : -1;
    sqlite3_finalize(st);
    return v;
}

/// Creates the tables through the store (their layout, keys and catalog), then fills them
/// with raw statements in one transaction.
inline void generate(const std::string& folder) {
    {
        store::ErrorClass errors;
        errors.INIT();
        store::Store db(folder, errors);
        db.DCTINIT();
        for (int i = 0; i < store::kTableCount; ++i) {
            store::FileManager& fm = db.Access(Tbl(i));
            if (fm.OPEN() != store::Level_Benign || fm.USEFILE() != store::Level_Benign)
                die("cannot create the tables");
            fm.CLOSE();
        }
        db.DCTKILL();
    }
    sqlite3* db = nullptr;
    if (sqlite3_open((folder + "/RESDATA.TPS").c_str(), &db) != SQLITE_OK) die("open");
    exec(db, "BEGIN");
    std::mt19937 random(7);
    auto prepare = [db](const char* sql) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK)
            die(std::string(sql) + ": " + sqlite3_errmsg(db));
        return st;
    };
    sqlite3_stmt* res = prepare("INSERT INTO RESOURCE (RESOURCE, NAME, UNITS) VALUES (?1, ?1, ?2)");
    sqlite3_stmt* act =
        prepare("INSERT INTO ACTIVITY (ACTNUMBER, NAME, CLIENT) VALUES (?1, 'B', 'C')");
    sqlite3_stmt* dat =
        prepare("INSERT INTO DATES (ACTNUMBER, DATE, TIME, ENDTIME) VALUES (?1, ?2, ?3, ?4)");
    sqlite3_stmt* rac =
        prepare("INSERT INTO RESACT (ACTNUMBER, RESOURCE, UNITS) VALUES (?1, ?2, ?3)");
    for (int r = 0; r < kResources; ++r) {
        const std::string c = code(r);
        sqlite3_bind_text(res, 1, c.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(res, 2, r >= kPooledFrom ? 5 : 1);
        sqlite3_step(res);
        sqlite3_reset(res);
    }
    for (int b = 1; b <= kBookings; ++b) {
        sqlite3_bind_int(act, 1, b);
        sqlite3_step(act);
        sqlite3_reset(act);
        const std::string c = code(b % kResources);
        sqlite3_bind_int(rac, 1, b);
        sqlite3_bind_text(rac, 2, c.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(rac, 3, b % kResources >= kPooledFrom ? 2 : 1);
        sqlite3_step(rac);
        sqlite3_reset(rac);
        const LONG first = kFirstDay + LONG(random() % (kDays - 7 * kPerBooking));
        const int h = 8 + int(random() % 10);
        for (int w = 0; w < kPerBooking; ++w) {
            sqlite3_bind_int(dat, 1, b);
            sqlite3_bind_int(dat, 2, first + 7 * w);
            sqlite3_bind_int(dat, 3, hour(h) + 400);
            sqlite3_bind_int(dat, 4, hour(h + 1));
            sqlite3_step(dat);
            sqlite3_reset(dat);
        }
    }
    for (sqlite3_stmt* st : {res, act, dat, rac}) sqlite3_finalize(st);
    exec(db, "INSERT INTO CONTROL (NUMBER) VALUES (" + std::to_string(kBookings) + ")");
    exec(db, "COMMIT");
    sqlite3_close(db);
}

inline double seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

inline double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

/// The folder of the benchmark store, generated when it does not hold the occurrences yet.
inline std::string openFolder() {
    std::string folder;
    if (const char* keep = std::getenv("TEMBRIX_BENCH_DIR")) {
        folder = keep;
        std::filesystem::create_directories(folder);
    } else {
        char tmpl[] = "/tmp/tembrix-booking-bench-XXXXXX";
        if (!::mkdtemp(tmpl)) die("no temporary folder");
        folder = temporaryFolder = tmpl;
    }
    {
        sqlite3* probe = nullptr;
        long long have = -1;
        if (std::filesystem::exists(folder + "/RESDATA.TPS") &&
            sqlite3_open((folder + "/RESDATA.TPS").c_str(), &probe) == SQLITE_OK)
            have = scalar(probe, "SELECT count(*) FROM DATES");
        if (probe) sqlite3_close(probe);
        if (have != kOccurrences) {
            std::filesystem::remove(folder + "/RESDATA.TPS");
            std::filesystem::remove(folder + "/USERS.TPS");
            std::printf("generating %lld occurrences over %d resources...\n", kOccurrences,
                        kResources);
            const auto t0 = Clock::now();
            generate(folder);
            std::printf("generated in %.1f s\n", seconds(Clock::now() - t0));
        }
    }

    return folder;
}

/// Removes a generated folder; a kept one stays.
inline void cleanUp() {
    if (!temporaryFolder.empty()) std::filesystem::remove_all(temporaryFolder);
}

}  // namespace bench
