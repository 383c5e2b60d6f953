#include "reports/document.h"

#include <utility>

namespace reports {

std::string TextItem::shownText(int pageNumber, int pageCount) const {
    if (!pageNumbers) return text;
    // One pass, so a "%2" that the page number produced could never be replaced again.
    std::string out;
    out.reserve(text.size() + 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && (text[i + 1] == '1' || text[i + 1] == '2')) {
            out += std::to_string(text[i + 1] == '1' ? pageNumber : pageCount);
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

TextItem& Page::addText(Rect rect, std::string text, Font font, Align align) {
    TextItem t;
    t.rect = rect;
    t.text = std::move(text);
    t.font = std::move(font);
    t.align = align;
    return std::get<TextItem>(items.emplace_back(std::move(t)));
}

LineItem& Page::addLine(int x1, int y1, int x2, int y2, int width, Rgb colour) {
    return std::get<LineItem>(items.emplace_back(LineItem{x1, y1, x2, y2, width, colour}));
}

BoxItem& Page::addBox(Rect rect, int penWidth, std::optional<Rgb> fill) {
    BoxItem b;
    b.rect = rect;
    b.penWidth = penWidth;
    b.fill = fill;
    return std::get<BoxItem>(items.emplace_back(b));
}

Rect PageSetup::body() const {
    return {margins.left, margins.top, width() - margins.left - margins.right,
            height() - margins.top - margins.bottom};
}

Page& Document::newPage() {
    return pages.emplace_back();
}

TextItem& BandArea::text(Rect r, std::string text, Font font, Align align) const {
    return page_->addText(shifted(r), std::move(text), std::move(font), align);
}

LineItem& BandArea::line(int x1, int y1, int x2, int y2, int width) const {
    return page_->addLine(x1 + left_, y1 + top_, x2 + left_, y2 + top_, width);
}

BoxItem& BandArea::box(Rect r, int penWidth, std::optional<Rgb> fill) const {
    return page_->addBox(shifted(r), penWidth, fill);
}

void PageFlow::setHeader(int height, Decorator draw) {
    headerHeight_ = height > 0 ? height : 0;
    header_ = std::move(draw);
}

void PageFlow::setFooter(int height, Decorator draw) {
    footerHeight_ = height > 0 ? height : 0;
    footer_ = std::move(draw);
}

void PageFlow::startPage() {
    doc_.newPage();
    page_ = doc_.pageCount() - 1;
    open_ = true;
    Page& page = doc_.pages[page_];
    const Rect body = doc_.setup.body();
    if (header_) header_(BandArea(page, body.x, body.y, body.width, headerHeight_), page_ + 1);
    if (footer_)
        footer_(BandArea(page, body.x, body.bottom() - footerHeight_, body.width, footerHeight_),
                page_ + 1);
    y_ = bodyTop();
}

BandArea PageFlow::place(int height) {
    if (height < 0) height = 0;
    // A fresh page takes any band: moving it on would only leave empty pages behind.
    if (!open_ || (y_ + height > bodyBottom() && y_ > bodyTop())) startPage();
    const Rect body = doc_.setup.body();
    BandArea area(doc_.pages[page_], body.x, y_, body.width, height);
    y_ += height;
    return area;
}

void PageFlow::keepRoom(int height) {
    if (open_ && roomLeft() < height && y_ > bodyTop()) open_ = false;
}

void PageFlow::pageBreak() {
    open_ = false;
}

int PageFlow::roomLeft() const {
    if (!open_) return 0;
    const int room = bodyBottom() - y_;
    return room > 0 ? room : 0;
}

void PageFlow::finish() {
    if (doc_.pages.empty()) startPage();
}

std::string csvField(const std::string& value) {
    std::string out = "\"";
    for (char c : value) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

std::string csvText(const std::vector<std::vector<std::string>>& table) {
    std::string out;
    for (const auto& row : table) {
        for (std::size_t i = 0; i < row.size(); ++i) out += (i ? "," : "") + csvField(row[i]);
        out += "\r\n";
    }
    return out;
}

}  // namespace reports
