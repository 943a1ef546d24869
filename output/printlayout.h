#pragma once

// Cutting a grid into printed pages. The grid is measured in screen pixels
// (row heights, column widths at the grid's resolution); the page in printer
// pixels. The fixed rows and columns (captions, the kind/date/hour/weekday
// columns) are repeated on every page when asked, and the pages run down the
// row pages of the first column strip, then down those of the next strip.
//
// Rows and columns of size 0 (hidden rows, the hidden direction column) take
// no space and never make a page of their own.

#include <string>
#include <utility>
#include <vector>

namespace velm {

// Margins in millimetres as the page is laid out.
struct PrintMargins {
    int left = 10;
    int top = 10;
    int right = 10;
    int bottom = 5;
    int title = 0; // added to the top margin before the grid
};

// The margins the preview's entries give: negative entries count as 0, and
// the bottom always keeps 5 mm more than entered (so never less than 5 mm),
// room for the printer's own unprintable edge.
PrintMargins marginsFromEntries(int top, int bottom, int left, int right);

struct PrintLayoutInput {
    bool hasGrid = false;
    int pageWidth = 0;    // printable page in printer pixels
    int pageHeight = 0;
    int printerDpiX = 0;  // printer resolution, dots per inch
    int printerDpiY = 0;
    int gridDpiX = 96;    // the grid's (screen) resolution
    int gridDpiY = 96;
    PrintMargins margins;
    std::vector<int> rowHeights;  // screen pixels; 0: hidden
    std::vector<int> colWidths;   // screen pixels; 0: hidden
    int fixedRows = 1;
    int fixedCols = 0;
    bool drawFixedArea = true;
    // Height in screen pixels taken above the grid by the title line; the
    // grid is drawn that much lower, so the pages keep room for it.
    int titleHeight = 0;
    // "幅に合わせる": a grid wider than the printable width is drawn smaller,
    // text and rows alike, so that all its columns fit across one page.
    // Off, the columns run on over further pages at screen scale.
    bool fitWidth = false;
};

// One page: column page and row page, both counted from 1.
struct PagePos {
    int colPage = 1;
    int rowPage = 1;
    friend bool operator==(const PagePos &, const PagePos &) = default;
};

struct PrintLayout {
    bool hasGrid = false;
    double ratioX = 1.0; // printer pixels per grid pixel: dpi ratio times fitScale
    double ratioY = 1.0;
    double fitScale = 1.0; // below 1 when the grid was drawn smaller to fit the width
    int picturesPerRow = 0; // pictures only: how many stand side by side
    int leftPx = 0;      // margins in printer pixels
    int topPx = 0;
    int rightPx = 0;
    int bottomPx = 0;
    int printableWidth = 0;
    int printableHeight = 0;
    int fixedWidth = 0;  // printer pixels of the fixed columns (0 without DrawFixedArea)
    int fixedHeight = 0;
    int fixedRows = 0;   // as drawn: 0 without DrawFixedArea
    int fixedCols = 0;
    int rowCount = 0;
    int colCount = 0;
    std::vector<int> rowStarts; // first row of each row page
    std::vector<int> colStarts; // first column of each column page
    int totalPages = 0;

    int rowPages() const { return static_cast<int>(rowStarts.size()); }
    int colPages() const { return static_cast<int>(colStarts.size()); }
    // Rows [first, last) of row page p (1..); empty outside the range.
    std::pair<int, int> rowsOf(int rowPage) const;
    std::pair<int, int> colsOf(int colPage) const;
    // Every page in print order: column strip outer, row pages inner.
    std::vector<PagePos> pageOrder() const;
    // The page after / before `p` in that order; p itself when there is none.
    PagePos nextPage(PagePos p) const;
    PagePos priorPage(PagePos p) const;
    bool hasNext(PagePos p) const { return nextPage(p) != p; }
    bool hasPrior(PagePos p) const { return priorPage(p) != p; }
};

// Millimetres to device pixels at a resolution: Trunc(mm / 25.4 * dpi).
int mmToPixels(double mm, int dpi);

PrintLayout computePrintLayout(const PrintLayoutInput &in);

// Pictures of one size (charts, in screen pixels) set out in rows as many
// to a row as the printable width takes, at least one, with `gap` screen
// pixels between them; the rows are paged as grid rows are, one strip wide.
// The input's rows and columns are ignored.
PrintLayout computePictureLayout(PrintLayoutInput in, int count, int width, int height, int gap);

// "縦" + row page + ":横" + column page + " /全 " + total + "頁" (UTF-8).
std::string pagePositionText(PagePos p, int totalPages);

} // namespace velm
