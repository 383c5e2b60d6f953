#pragma once

#include <string>
#include <vector>

#include "booking/entries.h"
#include "booking/words.h"
#include "store/tables.h"

namespace store {
class Store;
}

namespace booking {

/// ASCIFILE: the lines of the text that describes the booking in the ACT, ACN and REP
/// buffers, with the occurrence shown (date, start, end), its resources and occurrences as
/// the form holds them, so that a booking not saved yet is described as it stands.
std::vector<std::string> ASCIFILE(store::Store& db, const Words& words, store::LONG date,
                                  store::LONG start, store::LONG end,
                                  const std::vector<ResourceEntry>& resources,
                                  const std::vector<DateEntry>& occurrences);

/// RESOURCETEXT: every resource but the primary one, with its units, joined by ", ".
std::string RESOURCETEXT(const std::string& prime, const std::vector<ResourceEntry>& resources);
/// REPEATROUTINE: the repeat line ("Repeat: ...") or, for irregular dates, the lines of
/// IRREGULARREPEAT; the blank line that follows is not included.
std::vector<std::string> REPEATROUTINE(int type, const store::REPACT& rule,
                                       const std::vector<DateEntry>& occurrences);

/// Writes the lines to the working file "ASCIFILE" in `folder`, asks for the name to save
/// it as ("Save booking as text file") and moves it there. Cancelling leaves the working
/// file in place. Returns the path written, or "" when nothing was saved; `error` tells
/// why a chosen file could not be written.
std::string saveTextFile(const std::vector<std::string>& lines, const std::string& folder,
                         std::string& error);

}  // namespace booking
