#pragma once

#include <functional>
#include <string>

#include "reports/document.h"
#include "store/datetime.h"

namespace reports::bands {

// What the listings share: one line's height, their fonts, and the bands every listing
// prints the same way.

constexpr int kLine = 220;
inline const Font kTitle{"Sans Serif", 13, true};
inline const Font kHead{"Sans Serif", 9, true};
inline const Font kBody{"Sans Serif", 9};

/// The weekday's name ("Monday"), translated.
std::string weekdayOf(store::Date d);
/// A time in the short format; blank for 0 (an actual time not recorded).
std::string timeText(store::LONG t);

/// The height a wrapped text needs in its width: measured when the window side gave a
/// measurer, else estimated from the characters of each line.
int heightOf(const TextMeasurer* measure, const TextItem& item);

/// Places a labelled text that may run over several lines ("Notes:") from x to width, the
/// label in the first labelWidth.
void labelledText(PageFlow& flow, int x, int labelWidth, int width, const std::string& label,
                  const std::string& text, const TextMeasurer* measure);

/// The header and footer of a listing: the title, a line under it (the day or the
/// period; none when empty), the column headings drawn by `headings` at `top` in a room of
/// headingHeight, and the footer "Report date:" with today and "Page n of m".
void decorate(PageFlow& flow, const std::string& title, const std::string& subtitle,
              int headingHeight, const std::function<void(const BandArea&, int top)>& headings);

}  // namespace reports::bands
