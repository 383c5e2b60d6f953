#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "store/fixed_string.h"

namespace scan {

/// A colour as red, green and blue.
struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(Rgb, Rgb) = default;
};

inline constexpr Rgb kBlue{0, 0, 255};
inline constexpr Rgb kRed{255, 0, 0};
inline constexpr Rgb kGreen{0, 128, 0};
inline constexpr Rgb kYellow{255, 255, 0};
inline constexpr Rgb kCyan{0, 255, 255};
inline constexpr Rgb kDarkRed{128, 0, 0};
inline constexpr Rgb kLightOrange{255, 224, 192};
inline constexpr Rgb kBlack{0, 0, 0};

/// The fonts the scans name; the painter maps them onto the desktop's own faces.
enum class Face { Label, Small };

/// The face, size and weight of a scan label.
struct Font {
    Face face = Face::Label;
    int points = 8;
    bool bold = false;
    friend bool operator==(Font, Font) = default;
};

/// One drawn thing of a scan, in window units.
struct Item {
    enum Kind {
        Box,    // a booking box or an availability cell: filled in `colour`, clickable
        Text,   // a box's text, drawn over its box
        Label,  // a static text, on `background` when it has one
        Line,   // a line from (x, y), `w` long when horizontal, `h` long when vertical
    };
    Kind kind = Label;
    int id = 0;  // unique within one layout, whatever its kind
    int x = 0, y = 0, w = 0, h = 0;
    Rgb colour = kBlack;
    std::optional<Rgb> background;
    Font font;
    std::string text;
    /// For a box: the occurrence a click on it opens (an index into ScanLayout::boxes),
    /// -1 when it opens none.
    int box = -1;
    /// For a box: what its tool tip says of the booking.
    std::string tip;
};

/// What a click on a box opens: the occurrence of the box list.
struct BoxEntry {
    int id = 0;  // the box's identifier
    store::LONG number = 0, date = 0, start = 0, end = 0;
};

/// Every item of one drawing of a scan, and the box list that maps clicked boxes back to
/// occurrences.
struct ScanLayout {
    std::vector<Item> items;
    std::vector<BoxEntry> boxes;
    /// The extent of what is drawn, in window units.
    int width = 0, height = 0;
    /// Set when there is nothing to draw, with the reason the window shows.
    std::string note;
    /// The time grid of the day scans: the top of its first row, the row height and the
    /// number of rows ("Before" and "After" included); count 0 for a scan without one. A
    /// printed sheet that splits the day over pages shows a run of these rows per page.
    struct Rows {
        int top = 0, height = 0, count = 0;
    } rows;

    /// The box list entry of a box identifier; nullptr for an identifier that opens nothing.
    const BoxEntry* boxOf(int id) const;
    /// The item of an identifier; nullptr when there is none.
    const Item* item(int id) const;
    /// Grows width and height to cover an item.
    void cover(const Item& i);
};

/// Hands out identifiers in series, each starting where the windows number it (booking
/// boxes from 101, their texts from 1001, ...). A series that runs into the next one's
/// range goes on far above every series, so identifiers stay unique however many boxes,
/// slots or members a scan draws.
class Numbering {
  public:
    /// Declares a series: its first identifier and the first that is no longer its own.
    void series(int name, int first, int limit);
    int next(int name);

  private:
    struct Series {
        int next = 0, limit = 0;
    };
    std::map<int, Series> series_;
    int overflow_ = 1'000'000;
};

}  // namespace scan
