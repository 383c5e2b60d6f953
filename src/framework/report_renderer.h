#pragma once

#include <string>

#include "reports/document.h"

class QPainter;
class QPagedPaintDevice;
class QPrinter;

namespace framework {

/// Paints report pages. The one place where thousandths of an inch become device units:
/// the preview, the printer and PDF files all draw through paintPage, so paper shows
/// exactly what the screen showed.
class ReportRenderer {
  public:
    /// Paints page index (from 0) of doc with painter, whose origin must be the page's
    /// top-left corner, at dpiX by dpiY device units per inch. The painter's state is
    /// left as it was found. An index outside the document paints nothing.
    static void paintPage(QPainter& painter, const reports::Document& doc, int index, double dpiX,
                          double dpiY);
};

/// Prints pages first..last (from 1, both included) of doc on device, one sheet each,
/// the paper set to the document's page size and orientation. A QPrinter or a QPdfWriter
/// may be passed. Returns false, with the reason in *error when given, when the device
/// cannot be opened (no printer, file not writable) or the range holds no page.
bool paintDocument(QPagedPaintDevice& device, const reports::Document& doc, int first, int last,
                   std::string* error = nullptr);

/// Prints doc on printer, the pages chosen in its print range: all, the range from
/// fromPage() to toPage(), or the current page (currentPage, from 1) when the print
/// dialog offered it. Returns false with *error as paintDocument does.
bool printDocument(QPrinter& printer, const reports::Document& doc, int currentPage = 1,
                   std::string* error = nullptr);

/// Writes doc to a PDF file at path, every page, without any window. Returns false with
/// *error when the file cannot be written; a partly written file is removed.
bool writePdf(const reports::Document& doc, const std::string& path, std::string* error = nullptr);

/// The program's printer: the one the frame's "Print setup..." configures, and the one
/// reports print on, with or without a preview. Created at first use, after the
/// application object.
QPrinter& programPrinter();

/// Measures text the way the renderer draws it, for report code that sizes bands to
/// their text. Needs the application object.
class QtTextMeasurer final : public reports::TextMeasurer {
  public:
    int textHeight(const reports::TextItem& item) const override;
};

}  // namespace framework
