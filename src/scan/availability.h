#pragma once

#include <string>
#include <vector>

#include "scan/occupancy.h"
#include "scan/scan_items.h"
#include "scan/scans.h"

namespace scan {

/// The slots of a day grid that an occurrence covers (MARKDATE): slot 1 is the "Before"
/// row, slot scanRows(p) the "After" row; an occurrence counts in every slot from the one
/// holding its start to the one holding its end.
struct SlotRange {
    int first = 0, last = 0;
};
SlotRange MARKDATE(const ScanPrefs& p, store::LONG start, store::LONG end);

/// SCANFREE: for each slot of each day of the week holding `reference`, how many
/// occurrence-and-resource pairs of the group's members fall into it; a slot without a
/// cell is free for every member. Only a cell of exactly one occurrence opens it.
ScanLayout layoutFree(const ScanPrefs& p, store::Date reference,
                      const std::vector<std::string>& members, const Occupancy& occupancy);

/// SCANPOOLED: for each slot of the week, the units of a pooled resource taken and their
/// share of its `capacity` ("3 75%"). No cell opens a booking.
ScanLayout layoutPooled(const ScanPrefs& p, store::Date reference, const std::string& resource,
                        int capacity, const Occupancy& occupancy);

/// The colour of a share of a pooled resource's capacity: up to 50 % green, 51 to 99 %
/// yellow, 100 % and over (and anything below 0) red.
Rgb loadColour(int percent);

}  // namespace scan
