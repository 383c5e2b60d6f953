#include "framework/report_renderer.h"

#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <algorithm>
#include <cmath>
#include <type_traits>
#include <vector>

namespace framework {

namespace {

constexpr double kThou = 1000.0;  // report units per inch

QColor colourOf(reports::Rgb c) {
    return QColor(c.red, c.green, c.blue);
}

QRectF rectOf(const reports::Rect& r) {
    return QRectF(r.x, r.y, r.width, r.height);
}

// The painter works in thousandths of an inch, so a font's size is given in those units:
// a point is 1/72 inch. Hinting is off so that a text breaks at the same words on the
// screen at any zoom as on paper.
QFont fontOf(const reports::Font& f) {
    QFont font(QString::fromStdString(f.family));
    font.setPixelSize(std::max(1, int(std::lround(f.pointSize * kThou / 72.0))));
    font.setBold(f.bold);
    font.setItalic(f.italic);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

int textFlags(const reports::TextItem& t) {
    int flags = 0;
    switch (t.align) {
        case reports::Align::Left:
            flags |= Qt::AlignLeft;
            break;
        case reports::Align::Center:
            flags |= Qt::AlignHCenter;
            break;
        case reports::Align::Right:
            flags |= Qt::AlignRight;
            break;
    }
    switch (t.valign) {
        case reports::VAlign::Top:
            flags |= Qt::AlignTop;
            break;
        case reports::VAlign::Middle:
            flags |= Qt::AlignVCenter;
            break;
        case reports::VAlign::Bottom:
            flags |= Qt::AlignBottom;
            break;
    }
    if (t.wrap) flags |= Qt::TextWordWrap;
    if (!t.clip) flags |= Qt::TextDontClip;
    return flags;
}

// A pen of width thou thousandths of an inch; never thinner than one device dot, so a
// thin line neither vanishes on the screen at a small zoom nor on a fine printer.
QPen penOf(int thou, reports::Rgb colour, double dotThou) {
    QPen pen(colourOf(colour));
    pen.setWidthF(std::max(double(thou > 0 ? thou : 5), dotThou));
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

void paintText(QPainter& p, const reports::TextItem& t, int pageNumber, int pageCount) {
    // drawText keeps the text inside its rectangle unless the flags say otherwise.
    p.setFont(fontOf(t.font));
    p.setPen(colourOf(t.colour));
    p.drawText(rectOf(t.rect), textFlags(t),
               QString::fromStdString(t.shownText(pageNumber, pageCount)));
}

bool fail(std::string* error, const std::string& text) {
    if (error) *error = text;
    return false;
}

// Paints the pages of doc listed in order (indexes from 0), each on a sheet of its own.
bool paintPages(QPagedPaintDevice& device, const reports::Document& doc,
                const std::vector<int>& order, std::string* error) {
    if (order.empty()) return fail(error, "There is no page to print.");
    const reports::PageSetup& s = doc.setup;
    const QPageSize size(QSizeF(s.paperWidth / kThou, s.paperHeight / kThou), QPageSize::Inch,
                         QString(), QPageSize::FuzzyMatch);
    const QPageLayout layout(size,
                             s.orientation == reports::Orientation::Landscape
                                 ? QPageLayout::Landscape
                                 : QPageLayout::Portrait,
                             QMarginsF(0, 0, 0, 0));
    // Page positions are measured from the paper's corner, not from the printable area.
    if (auto* printer = dynamic_cast<QPrinter*>(&device)) printer->setFullPage(true);
    device.setPageLayout(layout);

    QPainter painter;
    if (!painter.begin(&device)) return fail(error, "The printer or file could not be opened.");
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (i > 0 && !device.newPage()) {
            painter.end();
            return fail(error, "The printer did not accept a new page.");
        }
        ReportRenderer::paintPage(painter, doc, order[i], device.logicalDpiX(),
                                  device.logicalDpiY());
    }
    if (!painter.end()) return fail(error, "The pages could not be finished.");
    return true;
}

std::vector<int> rangeOf(const reports::Document& doc, int first, int last) {
    first = std::max(first, 1);
    last = std::min(last, doc.pageCount());
    std::vector<int> order;
    for (int p = first; p <= last; ++p) order.push_back(p - 1);
    return order;
}

}  // namespace

void ReportRenderer::paintPage(QPainter& painter, const reports::Document& doc, int index,
                               double dpiX, double dpiY) {
    if (index < 0 || index >= doc.pageCount() || dpiX <= 0 || dpiY <= 0) return;
    painter.save();
    painter.scale(dpiX / kThou, dpiY / kThou);
    // Geometry stays crisp; only text is smoothed.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    const double dotThou = kThou / std::min(dpiX, dpiY);
    const int pageCount = doc.pageCount();
    for (const reports::Item& item : doc.pages[index].items) {
        std::visit(
            [&](const auto& it) {
                using T = std::decay_t<decltype(it)>;
                if constexpr (std::is_same_v<T, reports::TextItem>) {
                    paintText(painter, it, index + 1, pageCount);
                } else if constexpr (std::is_same_v<T, reports::LineItem>) {
                    painter.setPen(penOf(it.width, it.colour, dotThou));
                    painter.drawLine(QPointF(it.x1, it.y1), QPointF(it.x2, it.y2));
                } else {
                    painter.setPen(it.penWidth > 0 ? penOf(it.penWidth, it.penColour, dotThou)
                                                   : QPen(Qt::NoPen));
                    painter.setBrush(it.fill ? QBrush(colourOf(*it.fill)) : QBrush(Qt::NoBrush));
                    painter.drawRect(rectOf(it.rect));
                    painter.setBrush(Qt::NoBrush);
                }
            },
            item);
    }
    painter.restore();
}

bool paintDocument(QPagedPaintDevice& device, const reports::Document& doc, int first, int last,
                   std::string* error) {
    return paintPages(device, doc, rangeOf(doc, first, last), error);
}

bool printDocument(QPrinter& printer, const reports::Document& doc, int currentPage,
                   std::string* error) {
    std::vector<int> pages;
    switch (printer.printRange()) {
        case QPrinter::PageRange:
            pages = printer.fromPage() > 0
                        ? rangeOf(doc, printer.fromPage(),
                                  printer.toPage() > 0 ? printer.toPage() : doc.pageCount())
                        : rangeOf(doc, 1, doc.pageCount());
            break;
        case QPrinter::CurrentPage:
            pages = rangeOf(doc, currentPage, currentPage);
            break;
        case QPrinter::AllPages:
        case QPrinter::Selection:
            pages = rangeOf(doc, 1, doc.pageCount());
            break;
    }
    if (printer.pageOrder() == QPrinter::LastPageFirst) std::reverse(pages.begin(), pages.end());
    // A printer that cannot make copies itself gets every page as often as asked.
    const int copies = printer.supportsMultipleCopies() ? 1 : std::max(1, printer.copyCount());
    std::vector<int> order;
    if (printer.collateCopies()) {
        for (int c = 0; c < copies; ++c) order.insert(order.end(), pages.begin(), pages.end());
    } else {
        for (int p : pages) order.insert(order.end(), std::size_t(copies), p);
    }
    return paintPages(printer, doc, order, error);
}

bool writePdf(const reports::Document& doc, const std::string& path, std::string* error) {
    const QString file = QString::fromStdString(path);
    {
        // Opened here first so that a place that cannot be written is reported with the
        // system's own reason rather than a bare failure of the PDF writer.
        QFile probe(file);
        if (!probe.open(QIODevice::WriteOnly))
            return fail(error, "The file \"" + path +
                                   "\" cannot be written: " + probe.errorString().toStdString());
    }
    bool ok = false;
    {
        QPdfWriter writer(file);
        writer.setTitle(QString::fromStdString(doc.title));
        writer.setCreator("Tembrix");
        writer.setResolution(1200);
        ok = paintDocument(writer, doc, 1, doc.pageCount(), error);
    }
    if (!ok) QFile::remove(file);
    return ok;
}

QPrinter& programPrinter() {
    // Never destroyed: it is used until the very end of the program.
    static QPrinter* printer = new QPrinter(QPrinter::HighResolution);
    return *printer;
}

int QtTextMeasurer::textHeight(const reports::TextItem& item) const {
    const QFontMetricsF metrics(fontOf(item.font));
    const QRectF bounds = metrics.boundingRect(QRectF(0, 0, std::max(1, item.rect.width), 1e9),
                                               textFlags(item) & ~Qt::AlignVertical_Mask,
                                               QString::fromStdString(item.text));
    return int(std::ceil(bounds.height()));
}

}  // namespace framework
