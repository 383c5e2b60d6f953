#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace reports {

// Every length of a report document is a whole number of thousandths of an inch, measured
// from the top-left corner of the paper. One renderer turns them into screen pixels,
// printer dots or PDF units, so a report is laid out once for every target.

/// A colour as red, green and blue, 0 to 255 each.
struct Rgb {
    std::uint8_t red = 0, green = 0, blue = 0;

    static constexpr Rgb black() { return {0, 0, 0}; }
    static constexpr Rgb white() { return {255, 255, 255}; }
    /// A colour value packed with red in the lowest byte, then green, then blue, the way
    /// the scan reports' fill colours are given (0xFFFF is yellow).
    static constexpr Rgb fromPacked(std::uint32_t value) {
        return {std::uint8_t(value & 0xFF), std::uint8_t((value >> 8) & 0xFF),
                std::uint8_t((value >> 16) & 0xFF)};
    }
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

/// A rectangle on the page: left, top, width and height.
struct Rect {
    int x = 0, y = 0, width = 0, height = 0;

    int right() const { return x + width; }
    int bottom() const { return y + height; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

/// The face, size and style of a text item.
struct Font {
    std::string family = "Sans Serif";
    double pointSize = 10;
    bool bold = false;
    bool italic = false;
    friend bool operator==(const Font&, const Font&) = default;
};

enum class Align { Left, Center, Right };
enum class VAlign { Top, Middle, Bottom };

/// A text in a rectangle. Lines are separated by '\n'; with wrap set, long lines break
/// at word boundaries to fit the width. With clip set (the default) nothing is drawn
/// outside the rectangle, so a long client name never runs into the next column.
struct TextItem {
    Rect rect;
    std::string text;
    Font font;
    Align align = Align::Left;
    VAlign valign = VAlign::Top;
    bool wrap = false;
    bool clip = true;
    Rgb colour = Rgb::black();
    /// When set, "%1" in the text stands for the number of the page the item is on and
    /// "%2" for the number of pages of the document, both filled in when the page is
    /// drawn ("Page %1 of %2"), so a footer can be placed before the page count is known.
    bool pageNumbers = false;

    /// The text as it is shown on page pageNumber (counted from 1) of pageCount.
    std::string shownText(int pageNumber, int pageCount) const;
};

/// A straight line. A width of 0 draws the thinnest line the target can show.
struct LineItem {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    int width = 0;
    Rgb colour = Rgb::black();
};

/// A rectangle with an optional border (penWidth 0 means none) and an optional fill.
struct BoxItem {
    Rect rect;
    int penWidth = 10;
    Rgb penColour = Rgb::black();
    std::optional<Rgb> fill;
};

using Item = std::variant<TextItem, LineItem, BoxItem>;

/// One page: its items, drawn in the order they were added (later ones on top).
struct Page {
    std::vector<Item> items;

    TextItem& addText(Rect rect, std::string text, Font font = {}, Align align = Align::Left);
    LineItem& addLine(int x1, int y1, int x2, int y2, int width = 0, Rgb colour = Rgb::black());
    BoxItem& addBox(Rect rect, int penWidth = 10, std::optional<Rgb> fill = std::nullopt);
};

enum class Orientation { Portrait, Landscape };

/// The margins of a page, in thousandths of an inch.
struct Margins {
    int left = 500, top = 500, right = 500, bottom = 500;
};

/// The paper, its orientation and the margins the page flow keeps free.
struct PageSetup {
    /// The paper as it stands in portrait, the shorter side first.
    int paperWidth = 8500, paperHeight = 11000;
    Orientation orientation = Orientation::Portrait;
    Margins margins;

    static constexpr int kLetterWidth = 8500, kLetterHeight = 11000;
    static constexpr int kA4Width = 8268, kA4Height = 11693;

    /// The page as it is drawn: landscape swaps the paper's sides.
    int width() const { return orientation == Orientation::Portrait ? paperWidth : paperHeight; }
    int height() const { return orientation == Orientation::Portrait ? paperHeight : paperWidth; }
    /// The part of the page inside the margins.
    Rect body() const;
};

/// A report ready to be shown, printed or written to a file: its title (the preview's
/// caption and the suggested file name), the page set-up and the pages. Pages are kept
/// where adding a page never moves the others, so a page reference stays valid.
struct Document {
    std::string title;
    PageSetup setup;
    std::deque<Page> pages;
    /// The report's rows as a table, the header row first, holding the same rows and
    /// values the pages print; what "Save as CSV" writes. Empty for a report that is no
    /// list.
    std::vector<std::vector<std::string>> table;

    int pageCount() const { return int(pages.size()); }
    /// Appends an empty page and returns it.
    Page& newPage();
};

/// Measures how tall a text item's text becomes in its width. Report code uses it to size
/// bands that hold text of unknown length (notes); the window side provides the real one,
/// measured with the fonts the renderer draws with.
class TextMeasurer {
  public:
    virtual ~TextMeasurer() = default;
    /// The height the text of item needs at the item's width, font and wrap setting.
    virtual int textHeight(const TextItem& item) const = 0;
};

/// Where a band was placed: its page and its top-left corner. The helpers add items at
/// positions relative to that corner.
class BandArea {
  public:
    BandArea(Page& page, int left, int top, int width, int height)
        : page_(&page), left_(left), top_(top), width_(width), height_(height) {}

    Page& page() const { return *page_; }
    int left() const { return left_; }
    int top() const { return top_; }
    int width() const { return width_; }
    int height() const { return height_; }

    TextItem& text(Rect r, std::string text, Font font = {}, Align align = Align::Left) const;
    LineItem& line(int x1, int y1, int x2, int y2, int width = 0) const;
    BoxItem& box(Rect r, int penWidth = 10, std::optional<Rgb> fill = std::nullopt) const;

  private:
    Rect shifted(Rect r) const { return {r.x + left_, r.y + top_, r.width, r.height}; }

    Page* page_;
    int left_, top_, width_, height_;
};

/// Lays bands one under the other down the pages of a document, starting a new page when
/// the next band does not fit above the footer. Every page gets the header at the top of
/// its body and the footer at the bottom; both are drawn as the page is started, with
/// the page's number, so a footer text with pageNumbers set shows "Page n of m".
class PageFlow {
  public:
    /// Draws a header or footer into its area; the int is the page number, from 1.
    using Decorator = std::function<void(const BandArea&, int pageNumber)>;

    /// REQUIRES: doc outlives the flow. Pages already in doc are kept; the flow adds its
    /// own after them.
    explicit PageFlow(Document& doc) : doc_(doc) {}

    void setHeader(int height, Decorator draw);
    void setFooter(int height, Decorator draw);

    /// Places a band of the given height under the previous one, on a new page when it
    /// does not fit in the room left. A band taller than a whole page body is placed at
    /// the top of a fresh page and runs into the footer; report code splits such content.
    BandArea place(int height);
    /// Starts a new page unless the room left holds height (keeps a heading together with
    /// the first line under it).
    void keepRoom(int height);
    /// Ends the current page; the next band starts a new one.
    void pageBreak();
    /// The room left on the current page, 0 when no page has been started.
    int roomLeft() const;
    /// Makes sure the document has at least one page (a report without any records still
    /// prints its header and footer).
    void finish();

  private:
    void startPage();
    int bodyTop() const { return doc_.setup.body().y + headerHeight_; }
    int bodyBottom() const { return doc_.setup.body().bottom() - footerHeight_; }

    Document& doc_;
    Decorator header_, footer_;
    int headerHeight_ = 0, footerHeight_ = 0;
    int page_ = -1;  // index of the current page in doc_.pages, -1 before the first
    int y_ = 0;      // top of the next band on the current page
    bool open_ = false;
};

/// One CSV field: quoted, with its quotes doubled.
std::string csvField(const std::string& value);

/// A table as CSV: a line per row, every field quoted, lines ended by CR LF, UTF-8 as
/// the texts are; what a spreadsheet opens.
std::string csvText(const std::vector<std::vector<std::string>>& table);

}  // namespace reports
