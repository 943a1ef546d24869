// Cutting a grid into pages. The printer here has 254 dpi (1 mm = 10 pixels)
// and the grid 127 dpi, so every grid pixel is two printer pixels and the
// expected page starts can be counted by hand.

#include "output/printlayout.h"

#include <vector>

#include <gtest/gtest.h>

namespace velm {
namespace {

// An A4 page (210 x 297 mm) at 254 dpi; margins left/right 10, top 10, bottom 5.
PrintLayoutInput a4(std::vector<int> rows, std::vector<int> cols)
{
    PrintLayoutInput in;
    in.hasGrid = true;
    in.pageWidth = 2100;
    in.pageHeight = 2970;
    in.printerDpiX = in.printerDpiY = 254;
    in.gridDpiX = in.gridDpiY = 127;
    in.margins = marginsFromEntries(10, 0, 10, 10);
    in.rowHeights = std::move(rows);
    in.colWidths = std::move(cols);
    in.fixedRows = 1;
    in.fixedCols = 4;
    return in;
}

std::vector<int> listColumns(int palaceWidth)
{
    std::vector<int> cols{25, 25, 25, 25};
    for (int c = 4; c <= 13; ++c)
        cols.push_back(palaceWidth);
    cols.push_back(0); // the hidden direction column
    return cols;
}

TEST(PrintLayout, MarginsAndPrintableArea)
{
    const PrintLayout l = computePrintLayout(a4({14, 15}, listColumns(30)));
    EXPECT_DOUBLE_EQ(l.ratioX, 2.0);
    EXPECT_EQ(l.leftPx, 100);
    EXPECT_EQ(l.topPx, 100);
    EXPECT_EQ(l.rightPx, 100);
    EXPECT_EQ(l.bottomPx, 50); // bottom entry 0 still leaves 5 mm
    EXPECT_EQ(l.printableWidth, 1900);
    EXPECT_EQ(l.printableHeight, 2820);
    EXPECT_EQ(l.fixedHeight, 28);
    EXPECT_EQ(l.fixedWidth, 200);
}

TEST(PrintLayout, BottomMarginKeepsFiveMillimetresMoreThanEntered)
{
    EXPECT_EQ(marginsFromEntries(10, 0, 10, 10).bottom, 5);
    EXPECT_EQ(marginsFromEntries(10, 7, 10, 10).bottom, 12);
    EXPECT_EQ(marginsFromEntries(10, -3, 10, 10).bottom, 5);
    EXPECT_EQ(marginsFromEntries(-1, 0, -2, -3).top, 0);
    EXPECT_EQ(mmToPixels(10, 1200), 472); // 472.44 truncated
}

TEST(PrintLayout, SmallListIsOnePage)
{
    const PrintLayout l = computePrintLayout(a4({14, 15, 15, 15}, listColumns(30)));
    EXPECT_EQ(l.totalPages, 1);
    EXPECT_EQ(l.rowStarts, (std::vector<int>{1}));
    EXPECT_EQ(l.colStarts, (std::vector<int>{4}));
    EXPECT_EQ(pagePositionText({1, 1}, l.totalPages), "縦1:横1 /全 1頁");
    EXPECT_FALSE(l.hasNext({1, 1}));
    EXPECT_FALSE(l.hasPrior({1, 1}));
}

TEST(PrintLayout, ThreeTallTwoWideRunsDownEachStrip)
{
    // Header 10 (20 printer px) + 28 rows of 50 (100 px) fill 2820 exactly:
    // a page ends after the row that reaches the printable height.
    std::vector<int> rows{10};
    rows.insert(rows.end(), 70, 50);
    // Fixed 4 x 25 (200 px) + 8 palace columns of 100 (200 px) = 1800 < 1900;
    // the ninth overshoots and begins the second strip.
    const PrintLayout l = computePrintLayout(a4(rows, listColumns(100)));
    EXPECT_EQ(l.rowStarts, (std::vector<int>{1, 29, 57}));
    EXPECT_EQ(l.colStarts, (std::vector<int>{4, 12}));
    EXPECT_EQ(l.totalPages, 6);
    EXPECT_EQ(l.rowsOf(3), (std::pair<int, int>{57, 71}));
    EXPECT_EQ(l.colsOf(2), (std::pair<int, int>{12, 15}));

    const std::vector<PagePos> order = l.pageOrder();
    const std::vector<PagePos> expected{{1, 1}, {1, 2}, {1, 3}, {2, 1}, {2, 2}, {2, 3}};
    EXPECT_EQ(order, expected);
    PagePos p{1, 1};
    for (std::size_t i = 1; i < expected.size(); ++i) {
        p = l.nextPage(p);
        EXPECT_EQ(p, expected[i]);
    }
    EXPECT_FALSE(l.hasNext(p));
    EXPECT_EQ(l.priorPage({2, 1}), (PagePos{1, 3}));
    EXPECT_EQ(pagePositionText({2, 3}, 6), "縦3:横2 /全 6頁");
}

TEST(PrintLayout, RowTallerThanThePageStandsAlone)
{
    // Row 2 does not fit after row 1, so it starts a page, where it still does
    // not fit: it stays alone and row 3 starts the next page.
    PrintLayout l = computePrintLayout(a4({14, 15, 2000, 15}, listColumns(30)));
    EXPECT_EQ(l.rowStarts, (std::vector<int>{1, 2, 3}));
    // The same as the very first row, and as the last row (no empty page after it).
    l = computePrintLayout(a4({14, 2000, 15}, listColumns(30)));
    EXPECT_EQ(l.rowStarts, (std::vector<int>{1, 2}));
    l = computePrintLayout(a4({14, 15, 2000}, listColumns(30)));
    EXPECT_EQ(l.rowStarts, (std::vector<int>{1, 2}));
    EXPECT_EQ(l.totalPages, 2);
}

TEST(PrintLayout, HiddenRowsTakeNoSpaceAndMakeNoBlankPage)
{
    // 28 shown rows fill the page exactly; hidden rows between them change
    // nothing, and hidden rows after them do not make a page of their own.
    std::vector<int> rows{10};
    for (int i = 0; i < 28; ++i) {
        rows.push_back(50);
        rows.push_back(0);
    }
    rows.insert(rows.end(), 5, 0);
    const PrintLayout l = computePrintLayout(a4(rows, listColumns(30)));
    EXPECT_EQ(l.totalPages, 1);

    rows.push_back(50); // one shown row after them: a second page
    EXPECT_EQ(computePrintLayout(a4(rows, listColumns(30))).totalPages, 2);
}

TEST(PrintLayout, TitleLineReservesRoom)
{
    std::vector<int> rows{10};
    rows.insert(rows.end(), 28, 50);
    PrintLayoutInput in = a4(rows, listColumns(30));
    EXPECT_EQ(computePrintLayout(in).totalPages, 1);
    in.titleHeight = 10; // the 28th row no longer fits
    EXPECT_EQ(computePrintLayout(in).rowStarts, (std::vector<int>{1, 28}));
}

TEST(PrintLayout, WithoutFixedAreaPagesStartAtRowZero)
{
    std::vector<int> rows{10};
    rows.insert(rows.end(), 30, 50);
    PrintLayoutInput in = a4(rows, listColumns(30));
    in.drawFixedArea = false;
    const PrintLayout l = computePrintLayout(in);
    EXPECT_EQ(l.fixedHeight, 0);
    EXPECT_EQ(l.fixedWidth, 0);
    // The caption row is an ordinary row now: 20 + 28 x 100 = 2820 exactly.
    EXPECT_EQ(l.rowStarts, (std::vector<int>{0, 29}));
    EXPECT_EQ(l.colStarts, (std::vector<int>{0}));
}

TEST(PrintLayout, FitWidthDrawsAWideListSmallerInsteadOfASecondStrip)
{
    // 1100 grid pixels across (2200 printer pixels) on 1900: two strips at
    // screen scale, 100 rows of 30 printer pixels two pages down.
    std::vector<int> rows{10};
    rows.insert(rows.end(), 100, 15);
    PrintLayoutInput in = a4(rows, listColumns(100));
    const PrintLayout wide = computePrintLayout(in);
    EXPECT_EQ(wide.colStarts, (std::vector<int>{4, 12}));
    EXPECT_EQ(wide.totalPages, 4);

    in.fitWidth = true;
    const PrintLayout fit = computePrintLayout(in);
    EXPECT_NEAR(fit.fitScale, 1900.0 / 2200.0, 1e-9);
    EXPECT_EQ(fit.colStarts, (std::vector<int>{4}));
    // Rows shrink with the columns: all hundred go on one page.
    EXPECT_EQ(fit.rowStarts, (std::vector<int>{1}));
    EXPECT_EQ(fit.totalPages, 1);
    int across = 0;
    for (int w : in.colWidths)
        across += static_cast<int>(w * fit.ratioX);
    EXPECT_LE(across, fit.printableWidth);
    EXPECT_GT(across, fit.printableWidth - 15);

    // A list that fits already is left exactly as it was.
    PrintLayoutInput narrow = a4(rows, listColumns(30));
    const PrintLayout before = computePrintLayout(narrow);
    narrow.fitWidth = true;
    const PrintLayout after = computePrintLayout(narrow);
    EXPECT_EQ(after.fitScale, 1.0);
    EXPECT_EQ(after.ratioX, before.ratioX);
    EXPECT_EQ(after.rowStarts, before.rowStarts);
    EXPECT_EQ(after.colStarts, before.colStarts);
}

TEST(PrintLayout, ChartsStandInRowsAcrossThePage)
{
    // A chart of 185 x 250 and a gap of 10: 390 x 520 printer pixels a place,
    // four across 1900, five rows down 2820.
    const PrintLayoutInput in = a4({}, {});
    PrintLayout l = computePictureLayout(in, 4, 185, 250, 10);
    EXPECT_EQ(l.picturesPerRow, 4);
    EXPECT_EQ(l.totalPages, 1);
    l = computePictureLayout(in, 24, 185, 250, 10);
    EXPECT_EQ(l.rowStarts, (std::vector<int>{0, 5}));
    EXPECT_EQ(l.rowsOf(2), (std::pair<int, int>{5, 6}));
    EXPECT_EQ(l.totalPages, 2);
    // One chart stands alone however small the page; a page too narrow still takes one.
    EXPECT_EQ(computePictureLayout(in, 1, 185, 250, 10).picturesPerRow, 1);
    EXPECT_EQ(computePictureLayout(in, 3, 1000, 250, 10).picturesPerRow, 1);
    EXPECT_EQ(computePictureLayout(in, 0, 185, 250, 10).totalPages, 0);
}

TEST(PrintLayout, NoGridNoPages)
{
    PrintLayoutInput in = a4({14, 15}, listColumns(30));
    in.hasGrid = false;
    const PrintLayout l = computePrintLayout(in);
    EXPECT_EQ(l.totalPages, 0);
    EXPECT_TRUE(l.pageOrder().empty());
    EXPECT_TRUE(l.rowStarts.empty());

    // A grid with only its caption row still prints one page of captions.
    const PrintLayout captions = computePrintLayout(a4({14}, listColumns(30)));
    EXPECT_EQ(captions.totalPages, 1);
    EXPECT_EQ(captions.rowsOf(1), (std::pair<int, int>{1, 1}));
}

} // namespace
} // namespace velm
