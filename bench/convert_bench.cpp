// Speed of the data converter on a 3.1 data folder with 1,000,000 occurrences (DATES) and
// 100,000 bookings (ACTIVITY), set against raw SQLite copying the same rows in the same
// run: once as INSERT ... SELECT inside SQLite, once row by row through prepared
// statements (the way a record engine reads and writes), each building the same indexes.
//
// Every run starts from a fresh copy of one generated folder; the folder is removed at
// the end. Google Benchmark's table shows records per second; a summary with the ratios
// ends the output.

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "converter/converter.h"
#include "converter/sample_store.h"
#include "store/scripted_questions.h"

namespace {

namespace fs = std::filesystem;
using converter::Release;

constexpr long long kDates = 1'000'000;
constexpr long long kBookings = 100'000;

fs::path workFolder;
fs::path pristine;  // the generated 3.1 folder, never changed
fs::path scratch;   // a copy of it for each run

[[noreturn]] void die(const std::string& what) {
    std::fprintf(stderr, "convert_bench: %s\n", what.c_str());
    std::error_code ignored;
    if (!workFolder.empty()) fs::remove_all(workFolder, ignored);
    std::exit(1);
}

void generate() {
    static const char* kinds[] = {"No Repeats", "Fixed Days", "Fixed Weeks", "Set Days",
                                  "Specific Weekday"};
    static const char* weeks[] = {"", "1st", "2nd", "Last"};
    converter::SampleStore s(Release::R31);
    converter::addTrialRecords(s);  // users, preferences, resources and clients
    for (long long b = 1; b <= kBookings; ++b) {
        const int k = int(b % 5);
        auto r = s.add("ACTIVITY");
        r.set("ACTNUMBER", 1000 + b)
            .set("NAME", "Booking number " + std::to_string(b))
            .set("CLIENT", "Client " + std::to_string(b % 500))
            .set("USERNAME", "ANNA")
            .set("CHANGEDATE", 80000 + b % 1000)
            .set("REPEATTYPE", kinds[k])
            .set("WEEK", weeks[b % 4])
            .set("REPNUMBER", k ? 1 : 0);
        if (b % 4 == 0) r.set("NOTES", "Projector and coffee for " + std::to_string(b % 30));
    }
    for (long long i = 0; i < kDates; ++i) {
        const long long booking = 1001 + i % kBookings;
        const long long day = 79000 + (i / kBookings) * 7 + booking % 5;
        s.add("DATES")
            .set("ACTNUMBER", booking)
            .set("DATE", day)
            .set("TIME", 2880001 + (booking % 40) * 90000)
            .set("ENDTIME", 3240001 + (booking % 40) * 90000)
            .set("DATETEXT", "14 Apr 2017")
            .set("DAYNAME", "Fri");
    }
    if (s.write(pristine.string()) != 0) die("generating: " + s.problem());
}

void freshCopy() {
    std::error_code ec;
    fs::remove_all(scratch, ec);
    fs::create_directories(scratch, ec);
    fs::copy_file(pristine / "RESDATA.TPS", scratch / "RESDATA.TPS", ec);
    if (ec) die("copying the store: " + ec.message());
}

std::map<std::string, double> rates;  // records per second, by benchmark
double checkSeconds = 0;  // the converter's checks and Resdata.old, before the first stage

/// Counts the records the converter reads, by table, and how long each table took from
/// its first record read to its last.
struct Counter : converter::ConvertObserver {
    using Clock = std::chrono::steady_clock;
    std::map<std::string, long long> records;
    std::map<std::string, std::pair<Clock::time_point, Clock::time_point>> span;
    void recordRead(const std::string& source, long long count) override {
        records[source] = count;
        if (count == 1 || (count & 1023) == 0) {
            auto [it, fresh] = span.try_emplace(source, Clock::now(), Clock::now());
            if (!fresh) it->second.second = Clock::now();
        }
    }
    Clock::time_point firstStage;
    void stageStarted(char) override {
        if (firstStage == Clock::time_point()) firstStage = Clock::now();
    }
    double rate(const std::string& source) {
        const double s =
            std::chrono::duration<double>(span[source].second - span[source].first).count();
        return s > 0 ? double(records[source]) / s : 0;
    }
};

void BM_Convert31(benchmark::State& state) {
    long long total = 0;
    for (auto _ : state) {
        state.PauseTiming();
        freshCopy();
        Counter counter;
        store::ScriptedQuestions user;
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        const converter::Outcome o =
            converter::convertFolder(scratch.string(), Release::R31, &counter);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        if (o != converter::Outcome::Completed) die("conversion: " + user.lastText());
        total = 0;
        for (const auto& [table, n] : counter.records) total += n;
        if (counter.records["RESDATA\\!DATES"] < kDates ||
            counter.records["RESDATA\\!ACTIVITY"] < kBookings)
            die("the conversion read other records than were generated");
        rates["converter"] = double(total) / seconds;
        checkSeconds = std::chrono::duration<double>(counter.firstStage - start).count();
        // Reading and writing alone, without the checks, the copy and the key builds.
        rates["converter, DATES read"] = counter.rate("RESDATA\\!DATES");
        rates["converter, ACTIVITY read"] = counter.rate("RESDATA\\!ACTIVITY");
    }
    state.counters["records"] = double(total);
    state.counters["records/s"] =
        benchmark::Counter(double(total) * double(state.iterations()), benchmark::Counter::kIsRate);
}

// --- raw SQLite ------------------------------------------------------------------------

struct Raw {
    sqlite3* db = nullptr;
    Raw() {
        if (sqlite3_open((scratch / "RESDATA.TPS").c_str(), &db) != SQLITE_OK) die("open");
        exec("PRAGMA cache_size = -16384");
    }
    ~Raw() { sqlite3_close(db); }
    void exec(const std::string& sql) {
        char* err = nullptr;
        if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK)
            die(sql.substr(0, 60) + ": " + (err ? err : "?"));
    }
};

const char* kDatesColumns = "ACTNUMBER, DATE, TIME, ACTUALSTART, ACTUALEND, ENDTIME";
const char* kActivityColumns =
    "ACTNUMBER, NAME, CLIENT, USERNAME, CHANGEDATE, CHANGETIME, LOCK, REPEATTYPE";

/// The new tables with the same columns and, once filled, the same indexes as the store
/// gives DATES and ACTIVITY.
void createTargets(Raw& r) {
    r.exec(
        "CREATE TABLE new_dates (_rid INTEGER PRIMARY KEY AUTOINCREMENT, _ver INTEGER NOT "
        "NULL DEFAULT 1, ACTNUMBER INTEGER, DATE INTEGER, TIME INTEGER, ACTUALSTART "
        "INTEGER, ACTUALEND INTEGER, ENDTIME INTEGER)");
    r.exec(
        "CREATE TABLE new_activity (_rid INTEGER PRIMARY KEY AUTOINCREMENT, _ver INTEGER "
        "NOT NULL DEFAULT 1, ACTNUMBER INTEGER, NAME TEXT COLLATE NOCASE, CLIENT TEXT "
        "COLLATE NOCASE, USERNAME TEXT, CHANGEDATE INTEGER, CHANGETIME INTEGER, LOCK "
        "INTEGER, REPEATTYPE INTEGER)");
}
void buildIndexes(Raw& r) {
    r.exec(
        "CREATE INDEX nd1 ON new_dates (DATE, TIME, ENDTIME) WHERE NOT (DATE = 0 AND TIME "
        "= 0 AND ENDTIME = 0)");
    r.exec("CREATE INDEX nd2 ON new_dates (ACTNUMBER) WHERE NOT (ACTNUMBER = 0)");
    r.exec(
        "CREATE UNIQUE INDEX nd3 ON new_dates (ACTNUMBER, DATE, TIME, ENDTIME) WHERE NOT "
        "(ACTNUMBER = 0 AND DATE = 0 AND TIME = 0 AND ENDTIME = 0)");
    r.exec("CREATE UNIQUE INDEX na1 ON new_activity (ACTNUMBER) WHERE NOT (ACTNUMBER = 0)");
    r.exec("CREATE INDEX na2 ON new_activity (NAME) WHERE NOT (NAME = '')");
    r.exec("CREATE INDEX na3 ON new_activity (CLIENT) WHERE NOT (CLIENT = '')");
}

void BM_RawInsertSelect(benchmark::State& state) {
    const double records = double(kDates + kBookings);
    for (auto _ : state) {
        state.PauseTiming();
        freshCopy();
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        {
            Raw r;
            r.exec("BEGIN IMMEDIATE");
            createTargets(r);
            r.exec(std::string("INSERT INTO new_dates (") + kDatesColumns + ") SELECT " +
                   kDatesColumns + " FROM DATES ORDER BY _rid");
            r.exec(std::string("INSERT INTO new_activity (") + kActivityColumns +
                   ") SELECT ACTNUMBER, NAME, CLIENT, USERNAME, CHANGEDATE, CHANGETIME, LOCK, "
                   "0 FROM ACTIVITY ORDER BY _rid");
            buildIndexes(r);
            r.exec("COMMIT");
        }
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        rates["raw INSERT ... SELECT"] = records / seconds;
    }
    state.counters["records/s"] =
        benchmark::Counter(records * double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_RawRowByRow(benchmark::State& state) {
    const double records = double(kDates + kBookings);
    for (auto _ : state) {
        state.PauseTiming();
        freshCopy();
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        {
            Raw r;
            r.exec("BEGIN IMMEDIATE");
            createTargets(r);
            for (const auto& [from, to, columns, n] :
                 {std::tuple{"DATES", "new_dates", kDatesColumns, 6},
                  std::tuple{"ACTIVITY", "new_activity", kActivityColumns, 8}}) {
                sqlite3_stmt *read = nullptr, *write = nullptr;
                std::string params;
                for (int i = 1; i <= n; ++i) params += (i > 1 ? ", ?" : "?") + std::to_string(i);
                sqlite3_prepare_v2(
                    r.db,
                    (std::string("SELECT ") + columns + " FROM " + from + " ORDER BY _rid").c_str(),
                    -1, &read, nullptr);
                sqlite3_prepare_v2(r.db,
                                   (std::string("INSERT INTO ") + to + " (" + columns +
                                    ") VALUES (" + params + ")")
                                       .c_str(),
                                   -1, &write, nullptr);
                if (!read || !write) die(sqlite3_errmsg(r.db));
                while (sqlite3_step(read) == SQLITE_ROW) {
                    for (int c = 0; c < n; ++c)
                        sqlite3_bind_value(write, c + 1, sqlite3_column_value(read, c));
                    if (sqlite3_step(write) != SQLITE_DONE) die(sqlite3_errmsg(r.db));
                    sqlite3_reset(write);
                }
                sqlite3_finalize(read);
                sqlite3_finalize(write);
            }
            buildIndexes(r);
            r.exec("COMMIT");
        }
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        rates["raw row by row"] = records / seconds;
    }
    state.counters["records/s"] =
        benchmark::Counter(records * double(state.iterations()), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_Convert31)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_RawInsertSelect)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_RawRowByRow)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    char tmpl[] = "/tmp/tembrix-convert-bench-XXXXXX";
    if (!::mkdtemp(tmpl)) die("no temporary folder");
    workFolder = tmpl;
    pristine = workFolder / "release31";
    scratch = workFolder / "run";
    std::printf("Generating a 3.1 data folder: %lld occurrences, %lld bookings ...\n", kDates,
                kBookings);
    std::fflush(stdout);
    const auto start = std::chrono::steady_clock::now();
    generate();
    std::printf("  done in %.1f s\n",
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    std::printf("\nRecords per second (%lld records of DATES and ACTIVITY):\n", kDates + kBookings);
    const double ours = rates.count("converter") ? rates["converter"] : 0;
    for (const auto& [name, rate] : rates) {
        std::printf("  %-24s %12.0f", name.c_str(), rate);
        if (name.rfind("raw", 0) == 0 && rate > 0 && ours > 0)
            std::printf("   converter / raw = %.2f", ours / rate);
        std::printf("\n");
    }
    std::printf("  (the converter's time includes %.1f s of checks and the copy to Resdata.old)\n",
                checkSeconds);
    std::error_code ignored;
    fs::remove_all(workFolder, ignored);
    return 0;
}
