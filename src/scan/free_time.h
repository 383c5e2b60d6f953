#pragma once

#include <string>
#include <vector>

#include "scan/occupancy.h"
#include "store/datetime.h"

namespace scan {

/// A resource that must be free, and how many of its units are wanted (1 for a resource
/// of one unit).
struct WantedResource {
    std::string resource;
    int units = 1;     // units wanted
    int capacity = 1;  // RES:UNITS: 1 or less is a single resource
};

/// A special period (SPE:STARTDATE to SPE:ENDDATE, both included).
struct SpecialPeriod {
    store::LONG first = 0, last = 0;
};

/// What "Find free time" looks for.
struct FreeTimeQuestion {
    std::vector<WantedResource> resources;
    store::Length length;          // how long the booking is to be
    store::Date first, last;       // the period searched, both included
    store::Time dayStart, dayEnd;  // the working hours a booking must lie within
    bool weekends = false;         // whether Saturdays and Sundays may be offered
    bool specialDays = false;      // whether days of a special period may be offered
    std::vector<SpecialPeriod> specials;
    int limit = 20;  // how many periods to list at most
};

/// A period offered: the date and the times as the booking form would store them (a
/// start typed on the whole minute is kept 400 hundredths after it).
struct FreePeriod {
    store::LONG date = 0;
    store::Time typedStart;  // the whole minute the user would type
    store::LONG start = 0;   // as stored: typedStart + 400
    store::LONG end = 0;     // as stored: typedStart + length
    friend bool operator==(const FreePeriod&, const FreePeriod&) = default;
};

/// Whether every wanted resource is free for [start, end) of a date by the rules of the
/// booking checks: no other booking of a single resource collides with it, and a pooled
/// resource's busiest instant stays within its capacity with the wanted units added.
bool isFree(const FreeTimeQuestion& q, const Occupancy& occupancy, store::LONG date,
            store::LONG start, store::LONG end);

/// The first free periods in date and time order: on each day that counts, every start on
/// a whole minute within the working hours at which the wanted resources are all free for
/// the length, while they were not free a minute earlier (or the working day begins
/// there). The occupancy must cover the resources and the period. Nothing is read per
/// candidate: a day's candidates are the working day's start and the ends of its
/// occurrences.
std::vector<FreePeriod> findFreeTime(const FreeTimeQuestion& q, const Occupancy& occupancy);

/// What is wrong with a question, as the user is told; "" when nothing is.
std::string freeTimeProblem(const FreeTimeQuestion& q);

}  // namespace scan

namespace store {
class Store;
}

namespace scan {

/// The special periods that touch [low, high], read along SPE:DATE_KEY. The SPECIAL
/// buffer is kept.
std::vector<SpecialPeriod> specialPeriods(store::Store& db, store::Date low, store::Date high);

/// Reads what the question needs (the occupancy of its resources over its period, one read
/// per resource) and finds the free periods. RESACT, DATES and SPECIAL must be open. False,
/// with the engine's text in `error`, when the store could not be read.
bool searchFreeTime(store::Store& db, const FreeTimeQuestion& q, std::vector<FreePeriod>& found,
                    std::string& error);

}  // namespace scan
