#include "output/printlayout.h"

#include <algorithm>
#include <cmath>

namespace velm {

namespace {

int scaled(int pixels, double ratio)
{
    return static_cast<int>(std::trunc(pixels * ratio));
}

// Page starts along one axis. A page takes items while the fixed part and the
// running sum stay below the printable size; an item that reaches it exactly
// ends its page; one that overshoots moves to the next page, unless it is the
// first of its page, which then stays alone (a row taller than the page is
// printed cut rather than never).
std::vector<int> pageStarts(const std::vector<int> &sizes, int first, double ratio, int fixed, int printable)
{
    const int count = static_cast<int>(sizes.size());
    std::vector<int> starts{first};
    int pageFirst = first;
    long long sum = 0;
    int i = first;
    while (i < count) {
        const int size = std::max(0, sizes[static_cast<std::size_t>(i)]);
        sum += scaled(size, ratio);
        const long long used = fixed + sum;
        int next = -1;
        if (used < printable) {
            ++i;
            continue;
        }
        if (used == printable || i == pageFirst) {
            next = i + 1;
            ++i;
        } else {
            next = i; // measured again on the new page
        }
        sum = 0;
        pageFirst = next;
        if (next < count)
            starts.push_back(next);
    }
    // A page holding only hidden items would print blank.
    while (starts.size() > 1) {
        const int s = starts.back();
        const bool anyShown = std::any_of(sizes.begin() + s, sizes.end(), [](int v) { return v > 0; });
        if (anyShown)
            break;
        starts.pop_back();
    }
    return starts;
}

std::pair<int, int> range(const std::vector<int> &starts, int page, int count)
{
    if (page < 1 || page > static_cast<int>(starts.size()))
        return {0, 0};
    const int first = starts[static_cast<std::size_t>(page - 1)];
    const int last = page < static_cast<int>(starts.size()) ? starts[static_cast<std::size_t>(page)] : count;
    return {first, std::max(first, last)};
}

} // namespace

PrintMargins marginsFromEntries(int top, int bottom, int left, int right)
{
    PrintMargins m;
    m.top = std::max(0, top);
    m.bottom = std::max(0, bottom) + 5;
    m.left = std::max(0, left);
    m.right = std::max(0, right);
    m.title = 0;
    return m;
}

int mmToPixels(double mm, int dpi)
{
    return static_cast<int>(std::trunc(mm / 25.4 * dpi));
}

PrintLayout computePrintLayout(const PrintLayoutInput &in)
{
    PrintLayout out;
    if (!in.hasGrid || in.printerDpiX <= 0 || in.printerDpiY <= 0 || in.gridDpiX <= 0 || in.gridDpiY <= 0)
        return out;
    out.hasGrid = true;
    out.ratioX = static_cast<double>(in.printerDpiX) / in.gridDpiX;
    out.ratioY = static_cast<double>(in.printerDpiY) / in.gridDpiY;
    out.leftPx = mmToPixels(in.margins.left, in.printerDpiX);
    out.topPx = mmToPixels(in.margins.top + in.margins.title, in.printerDpiY);
    out.rightPx = mmToPixels(in.margins.right, in.printerDpiX);
    out.bottomPx = mmToPixels(in.margins.bottom, in.printerDpiY);
    out.printableWidth = in.pageWidth - out.leftPx - out.rightPx;
    out.printableHeight = in.pageHeight - out.topPx - out.bottomPx;
    out.rowCount = static_cast<int>(in.rowHeights.size());
    out.colCount = static_cast<int>(in.colWidths.size());
    out.fixedRows = in.drawFixedArea ? std::clamp(in.fixedRows, 0, out.rowCount) : 0;
    out.fixedCols = in.drawFixedArea ? std::clamp(in.fixedCols, 0, out.colCount) : 0;
    if (in.fitWidth && out.printableWidth > 0) {
        long long total = 0;
        for (int w : in.colWidths)
            total += std::max(0, w);
        const double wide = total * out.ratioX;
        if (wide > out.printableWidth) {
            // One scale for both axes keeps the text in proportion to its cells.
            out.fitScale = out.printableWidth / wide;
            out.ratioX *= out.fitScale;
            out.ratioY *= out.fitScale;
        }
    }

    for (int r = 0; r < out.fixedRows; ++r)
        out.fixedHeight += scaled(std::max(0, in.rowHeights[static_cast<std::size_t>(r)]), out.ratioY);
    for (int c = 0; c < out.fixedCols; ++c)
        out.fixedWidth += scaled(std::max(0, in.colWidths[static_cast<std::size_t>(c)]), out.ratioX);
    const int title = scaled(std::max(0, in.titleHeight), out.ratioY);

    out.rowStarts = pageStarts(in.rowHeights, out.fixedRows, out.ratioY, out.fixedHeight + title,
                               out.printableHeight);
    out.colStarts = pageStarts(in.colWidths, out.fixedCols, out.ratioX, out.fixedWidth, out.printableWidth);
    out.totalPages = out.rowPages() * out.colPages();
    return out;
}

PrintLayout computePictureLayout(PrintLayoutInput in, int count, int width, int height, int gap)
{
    in.rowHeights.clear();
    in.colWidths.clear();
    in.drawFixedArea = false;
    in.fitWidth = false;
    if (count <= 0 || width <= 0 || height <= 0)
        return {}; // nothing to print
    const PrintLayout page = computePrintLayout(in);
    if (!page.hasGrid)
        return page;
    // The gap follows every picture, so n pictures take n x (width + gap).
    const int step = scaled(width + std::max(0, gap), page.ratioX);
    const int perRow = std::clamp(step > 0 ? page.printableWidth / step : 1, 1, count);
    const int rows = (count + perRow - 1) / perRow;
    in.rowHeights.assign(static_cast<std::size_t>(rows), height + std::max(0, gap));
    in.colWidths.assign(1, perRow * (width + std::max(0, gap)));
    PrintLayout out = computePrintLayout(in);
    out.picturesPerRow = perRow;
    return out;
}

std::pair<int, int> PrintLayout::rowsOf(int rowPage) const
{
    return range(rowStarts, rowPage, rowCount);
}

std::pair<int, int> PrintLayout::colsOf(int colPage) const
{
    return range(colStarts, colPage, colCount);
}

std::vector<PagePos> PrintLayout::pageOrder() const
{
    std::vector<PagePos> pages;
    for (int c = 1; c <= colPages(); ++c)
        for (int r = 1; r <= rowPages(); ++r)
            pages.push_back({c, r});
    return pages;
}

PagePos PrintLayout::nextPage(PagePos p) const
{
    if (p.rowPage < rowPages())
        return {p.colPage, p.rowPage + 1};
    if (p.colPage < colPages())
        return {p.colPage + 1, 1};
    return p;
}

PagePos PrintLayout::priorPage(PagePos p) const
{
    if (p.rowPage > 1)
        return {p.colPage, p.rowPage - 1};
    if (p.colPage > 1)
        return {p.colPage - 1, rowPages()};
    return p;
}

std::string pagePositionText(PagePos p, int totalPages)
{
    return "縦" + std::to_string(p.rowPage) + ":横" + std::to_string(p.colPage) + " /全 " +
           std::to_string(totalPages) + "頁";
}

} // namespace velm
