#pragma once

#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "store/datetime.h"
#include "store/fixed_string.h"

namespace store {
class Store;
}

namespace booking {

/// Who is alerted, as SYP:ALERT says: "All", "User Only", anything else switches alerts off.
enum class AlertMode { Off, All, UserOnly };
AlertMode alertMode(std::string_view sypAlert);

/// The moment an alert search or window works from: now, the horizon the lead time
/// reaches, and how far that horizon passes midnight into tomorrow.
struct AlertTimes {
    store::LONG today = 0, tomorrow = 0;
    store::LONG now = 0, horizon = 0;
    /// The horizon as a time of tomorrow when it passes the end of today ("23:59:59"),
    /// else 0.
    store::LONG overflow = 0;

    static AlertTimes at(store::LONG today, store::LONG now, int leadMinutes);
};

/// The due test: whether an occurrence dated `date` and starting at `time` starts between
/// now and the horizon. Only today's and tomorrow's occurrences can be due, and tomorrow's
/// only when the horizon passes midnight.
bool isDue(const AlertTimes& t, store::LONG date, store::LONG time);

/// One occurrence that is due, with what the alert window shows of its booking.
struct DueOccurrence {
    store::LONG ACTNUMBER = 0, DATE = 0, TIME = 0, ENDTIME = 0;
    std::string name, client, prime, username;

    auto key() const { return std::make_tuple(ACTNUMBER, DATE, TIME, ENDTIME); }
};

/// The due ones among `candidates`, in their order; with UserOnly only those whose
/// booking the user made (ACT:USERNAME).
std::vector<DueOccurrence> dueAmong(const std::vector<DueOccurrence>& candidates,
                                    const AlertTimes& t, AlertMode mode, const std::string& user);

/// The occurrences due at `t`, with their bookings, read through DAT:DATETIME_KEY from now
/// to the horizon on tables of its own (the program's record buffers are left alone, so
/// that a form open meanwhile keeps its booking). Empty when the tables cannot be read.
std::vector<DueOccurrence> readDue(store::Store& db, const AlertTimes& t, AlertMode mode,
                                   const std::string& user);

/// The resources of a booking (RAC:RESOURCE), in resource order, read on a table of its own.
std::vector<std::string> bookingResources(store::Store& db, store::LONG number);

struct AlertTables;

/// ALERTSEARCH with its memory for one program run: when it last searched and which
/// occurrences an alert has shown.
class AlertSearch {
  public:
    AlertSearch();
    ~AlertSearch();
    AlertSearch(const AlertSearch&) = delete;
    AlertSearch& operator=(const AlertSearch&) = delete;

    /// Searches when SYP:ALERT asks for alerts and, with a lead of n minutes, more than
    /// n × 10 seconds have passed since the last search (at once the first time). Returns
    /// the occurrences due now when at least one of them has not been shown yet, and
    /// counts them all as shown; otherwise nothing.
    std::vector<DueOccurrence> search(store::Store& db, store::ClockReading clock);

    /// The throttle alone: whether a search is due at `clock` with this lead.
    bool searchDue(store::ClockReading clock, int leadMinutes) const;

  private:
    bool searched_ = false;
    store::LONG lastDate_ = 0, lastTime_ = 0;
    std::set<std::tuple<store::LONG, store::LONG, store::LONG, store::LONG>> shown_;
    /// Kept open from one search to the next. REQUIRES: the store outlives the search or
    /// is not searched again.
    std::unique_ptr<AlertTables> tables_;
};

/// The program's one search.
AlertSearch& programAlerts();

}  // namespace booking
