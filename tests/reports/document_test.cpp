#include "reports/document.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace reports {
namespace {

// A letter page with half-inch margins: the body runs from y 500 to 10500.
Document letter() {
    Document doc;
    doc.title = "Test";
    return doc;
}

// The texts of one page, in drawing order, as shown on that page.
std::vector<std::string> texts(const Document& doc, int index) {
    std::vector<std::string> out;
    for (const Item& item : doc.pages[index].items)
        if (auto* t = std::get_if<TextItem>(&item))
            out.push_back(t->shownText(index + 1, doc.pageCount()));
    return out;
}

TEST(PageSetupTest, LandscapeSwapsTheSidesAndTheBodyFollows) {
    PageSetup s;
    EXPECT_EQ(8500, s.width());
    EXPECT_EQ(11000, s.height());
    EXPECT_EQ((Rect{500, 500, 7500, 10000}), s.body());

    s.orientation = Orientation::Landscape;
    s.margins = {250, 300, 400, 500};
    EXPECT_EQ(11000, s.width());
    EXPECT_EQ(8500, s.height());
    EXPECT_EQ((Rect{250, 300, 11000 - 650, 8500 - 800}), s.body());
}

TEST(TextItemTest, PageNumbersAreFilledOnlyWhereAsked) {
    TextItem t;
    t.text = "Page %1 of %2";
    EXPECT_EQ("Page %1 of %2", t.shownText(2, 7)) << "a plain text keeps its percent signs";
    t.pageNumbers = true;
    EXPECT_EQ("Page 2 of 7", t.shownText(2, 7));
    t.text = "Page %1/%2 (100%)";
    EXPECT_EQ("Page 12/12 (100%)", t.shownText(12, 12));
    // The number put in for %1 is never taken for a placeholder itself.
    t.text = "%1%2";
    EXPECT_EQ("2110", t.shownText(21, 10));
}

TEST(RgbTest, PackedValuesHoldRedInTheLowestByte) {
    EXPECT_EQ((Rgb{255, 255, 0}), Rgb::fromPacked(0xFFFF));
    EXPECT_EQ((Rgb{0, 0, 255}), Rgb::fromPacked(0xFF0000));
    EXPECT_EQ((Rgb{0x12, 0x34, 0x56}), Rgb::fromPacked(0x563412));
}

TEST(PageFlowTest, BandsStackUnderTheHeaderAndBreakBeforeTheFooter) {
    Document doc = letter();
    PageFlow flow(doc);
    flow.setHeader(1000, [](const BandArea& a, int n) {
        a.text({0, 0, a.width(), 200}, "Header " + std::to_string(n));
    });
    flow.setFooter(500, [](const BandArea& a, int) {
        a.text({0, 100, a.width(), 200}, "Page %1 of %2").pageNumbers = true;
    });
    // The body between header and footer runs from 1500 to 10000: room for 4 bands of
    // 2000, the fifth goes to page 2.
    std::vector<int> tops, pages;
    for (int i = 0; i < 5; ++i) {
        BandArea band = flow.place(2000);
        tops.push_back(band.top());
        pages.push_back(&band.page() == &doc.pages[0] ? 1 : 2);
        band.text({100, 0, 1000, 200}, "Band " + std::to_string(i + 1));
    }
    flow.finish();

    EXPECT_EQ((std::vector<int>{1500, 3500, 5500, 7500, 1500}), tops);
    EXPECT_EQ((std::vector<int>{1, 1, 1, 1, 2}), pages);
    ASSERT_EQ(2, doc.pageCount());
    EXPECT_EQ((std::vector<std::string>{"Header 1", "Page 1 of 2", "Band 1", "Band 2", "Band 3",
                                        "Band 4"}),
              texts(doc, 0));
    EXPECT_EQ((std::vector<std::string>{"Header 2", "Page 2 of 2", "Band 5"}), texts(doc, 1));

    // Band items are placed relative to the band: x from the left margin, y from its top.
    const auto& band5 = std::get<TextItem>(doc.pages[1].items[2]);
    EXPECT_EQ((Rect{600, 1500, 1000, 200}), band5.rect);
    // The footer sits at the bottom of the body.
    const auto& footer = std::get<TextItem>(doc.pages[0].items[1]);
    EXPECT_EQ(10000 + 100, footer.rect.y);
}

TEST(PageFlowTest, ABandThatFillsTheRoomExactlyStaysOnThePage) {
    Document doc = letter();
    PageFlow flow(doc);
    flow.place(4000);
    EXPECT_EQ(6000, flow.roomLeft());
    flow.place(6000);
    EXPECT_EQ(0, flow.roomLeft());
    EXPECT_EQ(1, doc.pageCount());
    flow.place(1);
    EXPECT_EQ(2, doc.pageCount());
}

TEST(PageFlowTest, OversizedBandsTakeAFreshPageWithoutLeavingEmptyOnes) {
    Document doc = letter();
    PageFlow flow(doc);
    // Taller than the whole body: placed at the top of the first page, not moved on.
    EXPECT_EQ(500, flow.place(20000).top());
    EXPECT_EQ(1, doc.pageCount());
    // The next one cannot fit under it and starts page 2; a second giant band after a
    // normal one again starts a page of its own, once.
    flow.place(100);
    EXPECT_EQ(2, doc.pageCount());
    EXPECT_EQ(500, flow.place(20000).top());
    EXPECT_EQ(3, doc.pageCount());
}

TEST(PageFlowTest, KeepRoomAndPageBreakStartNewPagesOnlyWhenNeeded) {
    Document doc = letter();
    PageFlow flow(doc);
    flow.keepRoom(500);  // nothing started yet: nothing to do
    flow.pageBreak();
    EXPECT_EQ(0, doc.pageCount());

    flow.place(9000);
    flow.keepRoom(500);  // 1000 left: stays
    EXPECT_EQ(500 + 9000, flow.place(100).top());
    flow.keepRoom(1000);  // 900 left: a group heading would be orphaned, so move on
    EXPECT_EQ(500, flow.place(100).top());
    EXPECT_EQ(2, doc.pageCount());

    flow.pageBreak();
    flow.pageBreak();  // twice in a row still makes one new page
    flow.place(100);
    EXPECT_EQ(3, doc.pageCount());
}

TEST(PageFlowTest, FinishGivesAnEmptyReportOnePageWithHeaderAndFooter) {
    Document doc = letter();
    PageFlow flow(doc);
    int headers = 0;
    flow.setHeader(300, [&](const BandArea&, int) { ++headers; });
    flow.finish();
    EXPECT_EQ(1, doc.pageCount());
    EXPECT_EQ(1, headers);
    flow.finish();
    EXPECT_EQ(1, doc.pageCount()) << "finish never adds a page to a report that has one";
}

TEST(PageFlowTest, PagesStayPutWhileTheFlowAddsMore) {
    Document doc = letter();
    PageFlow flow(doc);
    BandArea first = flow.place(9000);
    for (int i = 0; i < 50; ++i) flow.place(9000);
    // The first band's page must still be valid after many pages were added.
    first.text({0, 0, 100, 100}, "late");
    EXPECT_EQ("late", std::get<TextItem>(doc.pages[0].items.back()).text);
    EXPECT_EQ(51, doc.pageCount());
}

}  // namespace
}  // namespace reports
