#include <gtest/gtest.h>
#include <unistd.h>

#include <QAction>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QRegularExpression>
#include <QScrollArea>
#include <QSpinBox>
#include <QTest>
#include <QWheelEvent>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

#include "framework/ini_file.h"
#include "framework/preview_window.h"
#include "framework/report_renderer.h"
#include "preview_test_app.h"
#include "store/scripted_questions.h"

namespace framework {
namespace {

using reports::Document;
using reports::Rect;
using reports::Rgb;

struct ScratchDir {
    std::filesystem::path path;
    ScratchDir() {
        char tmpl[] = "/tmp/tembrix-preview-XXXXXX";
        path = ::mkdtemp(tmpl);
    }
    ~ScratchDir() { std::filesystem::remove_all(path); }
    std::string file(const char* name) const { return (path / name).string(); }
};

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The pages of a PDF file: its page objects, not the page tree ("/Type /Pages").
int pdfPages(const std::string& pdf) {
    static const QRegularExpression page(R"(/Type\s*/Page(?![a-zA-Z]))");
    int n = 0;
    for (auto it = page.globalMatch(QString::fromLatin1(pdf)); it.hasNext(); it.next()) ++n;
    return n;
}

// A letter page per number, each with a heading "Page n", a box and a footer.
Document pages(int count, reports::Orientation orientation = reports::Orientation::Portrait) {
    Document doc;
    doc.title = "Bookings For Room 1";
    doc.setup.orientation = orientation;
    reports::PageFlow flow(doc);
    flow.setFooter(300, [](const reports::BandArea& a, int) {
        a.text({0, 0, a.width(), 250}, "Page %1 of %2", {}, reports::Align::Center).pageNumbers =
            true;
    });
    for (int i = 1; i <= count; ++i) {
        reports::BandArea band = flow.place(9000);
        band.text({0, 0, 4000, 400}, "Heading " + std::to_string(i), {"Sans Serif", 16, true});
        band.box({0, 600, 3000, 1500}, 20, Rgb{255, 255, 0});
        band.line(0, 2500, band.width(), 2500, 10);
    }
    return doc;
}

// The paper of every page of a PDF file in points, "w x h"; "" when the pages differ.
std::string paper(const std::string& pdf) {
    static const QRegularExpression box(R"(/MediaBox \[0 0 ([\d.]+) ([\d.]+)\])");
    std::string found;
    for (auto it = box.globalMatch(QString::fromLatin1(pdf)); it.hasNext();) {
        const auto m = it.next();
        const std::string size = std::to_string(int(std::lround(m.captured(1).toDouble()))) +
                                 " x " + std::to_string(int(std::lround(m.captured(2).toDouble())));
        if (!found.empty() && found != size) return {};
        found = size;
    }
    return found;
}

bool dark(QRgb c) {
    return qGray(c) < 100;
}

// Renders page index of doc at dpi onto a white image of the page's size.
QImage render(const Document& doc, int index, double dpi) {
    QImage img(int(doc.setup.width() * dpi / 1000), int(doc.setup.height() * dpi / 1000),
               QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    ReportRenderer::paintPage(p, doc, index, dpi, dpi);
    return img;
}

class PreviewTest : public ::testing::Test {
  protected:
    void SetUp() override { test::previewTestApp(); }
};

TEST_F(PreviewTest, RendererPutsItemsAtTheirPlaceAtAnyScale) {
    Document doc;
    reports::Page& page = doc.newPage();
    page.addBox({1000, 1000, 2000, 1000}, 0, Rgb::black());   // filled, no border
    page.addLine(0, 5000, 8500, 5000, 20);                    // a fiftieth of an inch thick
    page.addBox({4000, 7000, 1000, 1000}, 10, std::nullopt);  // border only

    for (double dpi : {100.0, 200.0}) {
        SCOPED_TRACE(dpi);
        const QImage img = render(doc, 0, dpi);
        const auto at = [&](double xThou, double yThou) {
            return img.pixel(int(xThou * dpi / 1000), int(yThou * dpi / 1000));
        };
        EXPECT_TRUE(dark(at(1500, 1500))) << "inside the filled box";
        EXPECT_TRUE(dark(at(2900, 1900)));
        EXPECT_FALSE(dark(at(900, 1500))) << "left of the box";
        EXPECT_FALSE(dark(at(3100, 1500))) << "right of the box";
        EXPECT_FALSE(dark(at(1500, 2100))) << "under the box";
        EXPECT_TRUE(dark(at(4000, 5000))) << "the line";
        EXPECT_FALSE(dark(at(4000, 5100)));
        EXPECT_TRUE(dark(at(4000, 7500))) << "the left border of the empty box";
        EXPECT_FALSE(dark(at(4500, 7500))) << "an unfilled box stays empty inside";
    }
}

TEST_F(PreviewTest, RendererClipsTextToItsRectangleUnlessTold) {
    Document doc;
    reports::Page& page = doc.newPage();
    const std::string longText(60, 'W');
    page.addText({500, 500, 1000, 400}, longText, {"Sans Serif", 12});
    page.addText({500, 1500, 1000, 400}, longText, {"Sans Serif", 12}).clip = false;
    const QImage img = render(doc, 0, 100);

    const auto inkIn = [&](int x0, int x1, int y0, int y1) {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                if (dark(img.pixel(x, y))) return true;
        return false;
    };
    EXPECT_TRUE(inkIn(50, 150, 50, 90)) << "the clipped text is drawn inside its box";
    EXPECT_FALSE(inkIn(152, 400, 50, 90)) << "and nothing beyond the right edge";
    EXPECT_TRUE(inkIn(152, 400, 150, 190)) << "an unclipped text runs on";
}

TEST_F(PreviewTest, MeasuredTextHeightIsTheHeightTheRendererFills) {
    reports::TextItem notes;
    notes.text =
        "Bring the projector and the long cable. The room must be set out for twenty "
        "people in rows, with a table for the speaker at the front and water for all.";
    notes.font = {"Sans Serif", 10};
    notes.wrap = true;
    notes.rect = {500, 500, 6000, 0};
    const QtTextMeasurer measure;
    const int wide = measure.textHeight(notes);
    notes.rect.width = 2000;
    const int narrow = measure.textHeight(notes);
    EXPECT_GT(wide, 100) << "at least one line of 10 points";
    EXPECT_GT(narrow, 2 * wide) << "a third of the width takes about three times the lines";

    // Drawn in a band of the measured height, the last line ends inside the band.
    notes.rect.height = narrow;
    notes.clip = false;
    Document doc;
    doc.newPage().items.push_back(notes);
    const QImage img = render(doc, 0, 200);
    const auto inkInRow = [&](int y) {
        for (int x = 100; x < 500; ++x)
            if (dark(img.pixel(x, y))) return true;
        return false;
    };
    const int bottom = (500 + narrow) * 200 / 1000;
    bool inkNearBottom = false;
    for (int y = bottom - 40; y < bottom; ++y) inkNearBottom = inkNearBottom || inkInRow(y);
    EXPECT_TRUE(inkNearBottom);
    for (int y = bottom + 2; y < bottom + 60; ++y) EXPECT_FALSE(inkInRow(y)) << y;
}

TEST_F(PreviewTest, PdfHoldsEveryPageOnTheDocumentsPaper) {
    ScratchDir dir;
    std::string error;
    ASSERT_TRUE(writePdf(pages(3), dir.file("portrait.pdf"), &error)) << error;
    const std::string pdf = readAll(dir.file("portrait.pdf"));
    EXPECT_EQ("%PDF", pdf.substr(0, 4));
    EXPECT_EQ(3, pdfPages(pdf));
    // Letter is 612 by 792 points; landscape turns it.
    EXPECT_EQ("612 x 792", paper(pdf));

    ASSERT_TRUE(writePdf(pages(2, reports::Orientation::Landscape), dir.file("landscape.pdf")));
    const std::string wide = readAll(dir.file("landscape.pdf"));
    EXPECT_EQ(2, pdfPages(wide));
    EXPECT_EQ("792 x 612", paper(wide));
}

TEST_F(PreviewTest, PdfToAPlaceThatCannotBeWrittenFailsWithTheReason) {
    std::string error;
    EXPECT_FALSE(writePdf(pages(1), "/nonexistent-folder/report.pdf", &error));
    EXPECT_NE(std::string::npos, error.find("/nonexistent-folder/report.pdf")) << error;
    EXPECT_FALSE(std::filesystem::exists("/nonexistent-folder/report.pdf"));
}

TEST_F(PreviewTest, PrintingTakesThePagesChosenInThePrintDialog) {
    ScratchDir dir;
    const Document doc = pages(5);
    const auto printed = [&](auto choose) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(dir.file("printed.pdf")));
        choose(printer);
        std::string error;
        EXPECT_TRUE(printDocument(printer, doc, 4, &error)) << error;
        return pdfPages(readAll(dir.file("printed.pdf")));
    };
    EXPECT_EQ(5, printed([](QPrinter&) {}));
    EXPECT_EQ(2, printed([](QPrinter& p) {
                  p.setPrintRange(QPrinter::PageRange);
                  p.setFromTo(2, 3);
              }));
    // A range running past the end prints up to the last page.
    EXPECT_EQ(2, printed([](QPrinter& p) {
                  p.setPrintRange(QPrinter::PageRange);
                  p.setFromTo(4, 9);
              }));
    EXPECT_EQ(1, printed([](QPrinter& p) { p.setPrintRange(QPrinter::CurrentPage); }));
    // Copies that the printer cannot make itself are printed as pages.
    const int copies = printed([](QPrinter& p) { p.setCopyCount(2); });
    QPrinter probe;
    probe.setOutputFormat(QPrinter::PdfFormat);
    EXPECT_EQ(probe.supportsMultipleCopies() ? 5 : 10, copies);
}

TEST_F(PreviewTest, NavigationByToolbarPageBoxAndKeys) {
    PreviewWindow w(pages(3), nullptr);
    w.show();
    int signals_ = 0;
    QObject::connect(&w, &PreviewWindow::pageChanged, [&](int) { ++signals_; });
    const auto act = [&](const char* name) { return w.findChild<QAction*>(name); };
    ASSERT_NE(nullptr, act("nextPage"));
    auto* pageBox = w.findChild<QSpinBox*>("pageNumber");
    ASSERT_NE(nullptr, pageBox);

    EXPECT_EQ(1, w.currentPage());
    EXPECT_FALSE(act("firstPage")->isEnabled());
    EXPECT_FALSE(act("previousPage")->isEnabled());
    act("nextPage")->trigger();
    EXPECT_EQ(2, w.currentPage());
    EXPECT_EQ(2, pageBox->value());
    act("lastPage")->trigger();
    EXPECT_EQ(3, w.currentPage());
    EXPECT_FALSE(act("nextPage")->isEnabled());
    EXPECT_FALSE(act("lastPage")->isEnabled());
    act("previousPage")->trigger();
    act("firstPage")->trigger();
    EXPECT_EQ(1, w.currentPage());
    EXPECT_EQ(4, signals_);

    pageBox->setValue(3);
    EXPECT_EQ(3, w.currentPage()) << "a typed page number is shown";
    w.setCurrentPage(99);
    EXPECT_EQ(3, w.currentPage()) << "kept within the document";

    // Page Up and Page Down turn pages wherever the focus is in the window.
    QApplication::setActiveWindow(&w);
    auto* pagesArea = w.findChild<QScrollArea*>("pages");
    QTest::keyClick(pagesArea, Qt::Key_PageUp);
    EXPECT_EQ(2, w.currentPage());
    QTest::keyClick(pagesArea, Qt::Key_PageDown);
    EXPECT_EQ(3, w.currentPage());
    QTest::keyClick(pagesArea, Qt::Key_Home);
    EXPECT_EQ(1, w.currentPage());
}

TEST_F(PreviewTest, ZoomStepsFitsAndTheMouseWheel) {
    PreviewWindow w(pages(2), nullptr);
    w.resize(700, 600);
    w.show();
    auto* area = w.findChild<QScrollArea*>("pages");
    QWidget* page = area->widget();

    EXPECT_EQ(PreviewWindow::ZoomMode::FitPage, w.zoomMode());
    // The whole page fits the window.
    EXPECT_LE(page->width(), area->viewport()->width());
    EXPECT_LE(page->height(), area->viewport()->height());

    w.setZoomPercent(100);
    const int dpi = page->logicalDpiX();
    EXPECT_NEAR(8.5 * dpi, page->width() - 32, 1) << "100 percent is the paper's real size";
    w.zoomIn();
    EXPECT_EQ(125, w.zoomPercent());
    w.findChild<QAction*>("zoomOut")->trigger();
    EXPECT_EQ(100, w.zoomPercent());
    for (int i = 0; i < 5; ++i) w.zoomOut();
    EXPECT_EQ(50, w.zoomPercent());
    EXPECT_FALSE(w.findChild<QAction*>("zoomOut")->isEnabled());
    w.setZoomPercent(1000);
    EXPECT_EQ(400, w.zoomPercent());
    EXPECT_FALSE(w.findChild<QAction*>("zoomIn")->isEnabled());
    w.setZoomPercent(110);
    w.zoomIn();
    EXPECT_EQ(125, w.zoomPercent()) << "from between the steps to the next one up";

    // Ctrl and the wheel zoom; the wheel alone is left to scrolling.
    const auto wheel = [&](int dy, Qt::KeyboardModifiers mods) {
        const QPointF at(10, 10);
        QWheelEvent e(at, area->viewport()->mapToGlobal(at), QPoint(), QPoint(0, dy), Qt::NoButton,
                      mods, Qt::NoScrollPhase, false);
        QApplication::sendEvent(area->viewport(), &e);
    };
    wheel(120, Qt::ControlModifier);
    EXPECT_EQ(150, w.zoomPercent());
    wheel(-120, Qt::ControlModifier);
    EXPECT_EQ(125, w.zoomPercent());
    wheel(-120, Qt::NoModifier);
    EXPECT_EQ(125, w.zoomPercent());

    w.findChild<QAction*>("fitWidth")->trigger();
    EXPECT_EQ(PreviewWindow::ZoomMode::FitWidth, w.zoomMode());
    EXPECT_LE(page->width(), area->viewport()->width());
    EXPECT_GT(page->width(), area->viewport()->width() - 40);
    // A wider window makes a fitted page larger.
    const int before = w.zoomPercent();
    w.resize(1000, 600);
    EXPECT_GT(w.zoomPercent(), before);
}

TEST_F(PreviewTest, PlacementIsKeptInItsSectionOfTheConfigurationFile) {
    ScratchDir dir;
    IniFile ini(dir.file("tembrixm.INI"));
    {
        PreviewWindow w(pages(1), &ini);
        w.show();
        w.setGeometry(80, 140, 700, 520);  // inside the test screen of 800 by 800
        w.findChild<QAction*>("close")->trigger();
    }
    EXPECT_EQ("No", ini.get(PreviewWindow::kSection, "Maximize", ""));
    EXPECT_EQ(80, ini.getInt("_PreviewWindow_", "XPos"));
    EXPECT_EQ(700, ini.getInt("_PreviewWindow_", "Width"));
    {
        PreviewWindow w(pages(1), &ini);
        EXPECT_EQ(QRect(80, 140, 700, 520), w.geometry()) << "the next preview opens there";
        w.showMaximized();
        QTest::keyClick(&w, Qt::Key_Escape);
        EXPECT_FALSE(w.isVisible()) << "Escape closes the preview";
    }
    EXPECT_EQ("Yes", ini.get(PreviewWindow::kSection, "Maximize", ""));
    EXPECT_EQ(80, ini.getInt("_PreviewWindow_", "XPos")) << "the normal place is kept";
    {
        PreviewWindow w(pages(1), &ini);
        w.show();
        EXPECT_TRUE(w.isMaximized());
    }
}

TEST_F(PreviewTest, SaveAsPdfAsksForTheFileAndReportsFailures) {
    ScratchDir dir;
    store::ScriptedQuestions questions;
    PreviewWindow w(pages(2), nullptr);

    // The name without ".pdf" gets it.
    questions.answerFile(dir.file("week"));
    EXPECT_TRUE(w.saveAsPdf());
    ASSERT_EQ(1u, questions.asked.size());
    EXPECT_EQ("Save as PDF", questions.asked[0].caption);
    EXPECT_EQ(2, pdfPages(readAll(dir.file("week.pdf"))));

    // That name now exists: replacing it is asked, and No keeps the old file.
    std::filesystem::resize_file(dir.file("week.pdf"), 10);
    questions.clearAsked();
    questions.answerFile(dir.file("week"));
    questions.answer(store::BUTTON_NO);
    EXPECT_FALSE(w.saveAsPdf());
    EXPECT_EQ(10u, std::filesystem::file_size(dir.file("week.pdf")));
    EXPECT_NE(std::string::npos, questions.lastText().find("already exists"));

    // Cancelling the file dialog does nothing more.
    questions.clearAsked();
    questions.answerFile("");
    EXPECT_FALSE(w.saveAsPdf());
    EXPECT_EQ(1u, questions.asked.size());

    // A file that cannot be written is reported.
    questions.clearAsked();
    questions.answerFile("/nonexistent-folder/week.pdf");
    EXPECT_FALSE(w.saveAsPdf());
    ASSERT_EQ(2u, questions.asked.size());
    EXPECT_EQ(store::Icon::Exclamation, questions.asked[1].icon);
    EXPECT_NE(std::string::npos, questions.asked[1].text.find("cannot be written"));
}

TEST_F(PreviewTest, AnEmptyDocumentShowsNothingToPrint) {
    store::ScriptedQuestions questions;
    PreviewWindow w(Document{}, nullptr);
    w.show();
    EXPECT_EQ(0, w.currentPage());
    EXPECT_FALSE(w.findChild<QAction*>("print")->isEnabled());
    EXPECT_FALSE(w.findChild<QAction*>("saveAsPdf")->isEnabled());
    EXPECT_FALSE(w.findChild<QAction*>("nextPage")->isEnabled());
    w.findChild<QAction*>("nextPage")->trigger();
    EXPECT_EQ(0, w.currentPage());
    EXPECT_FALSE(w.saveAsPdf());
    EXPECT_TRUE(questions.asked.empty());
}

}  // namespace
}  // namespace framework
