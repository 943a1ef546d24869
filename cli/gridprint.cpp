#include "cli/gridprint.h"

#include <algorithm>
#include <thread>
#include <vector>

#include "engine/codec.h"
#include "engine/symbols.h"
#include "output/calendar.h"
#include "output/search.h"
#include "output/walkthreads.h"

namespace velm::cli {

void appendGridLine(std::string &line, const ListRow &row, const GridWidths &widths, bool caption)
{
    const std::size_t start = line.size();
    for (std::size_t c = 0; c < widths.size(); ++c) {
        const std::string &cell = row[c];
        const int pad = widths[c] - cp932Width(cell);
        const int left = caption ? pad / 2 : pad;
        if (c > 0)
            line += ' ';
        line.append(static_cast<std::size_t>(std::max(left, 0)), ' ');
        line += cell;
        line.append(static_cast<std::size_t>(std::max(pad - left, 0)), ' ');
    }
    while (line.size() > start && line.back() == ' ')
        line.pop_back();
    line += '\n';
}

void printGrid(std::ostream &out, const ListModel &model)
{
    GridWidths widths{};
    for (const ListRow &row : model.rows)
        for (std::size_t c = 0; c < widths.size(); ++c)
            widths[c] = std::max(widths[c], cp932Width(row[c]));

    out << model.SenL << "  " << model.CntL << "\n";
    std::string line;
    for (std::size_t r = 0; r < model.rows.size(); ++r) {
        line.clear();
        appendGridLine(line, model.rows[r], widths, r == 0);
        out << line;
    }
}

void printSearchGrid(std::ostream &out, std::string_view matter, int direction, const SearchOutcome &outcome,
                     int threads)
{
    const ListRow captions = searchCaptions();
    GridWidths widths = searchDataWidths(outcome);
    for (std::size_t c = 0; c < widths.size(); ++c)
        widths[c] = std::max(widths[c], cp932Width(captions[c]));

    std::string head = searchSenL(matter, searchDirectionText(direction)) + "  "
        + searchCntL(outcome.matches, outcome.examined) + "\n";
    appendGridLine(head, captions, widths, true);
    out << head;

    const SearchRowText rows(outcome, SearchRowText::Form::Grid, widths);
    constexpr std::size_t Block = 4096;
    const std::size_t n = outcome.rowCount();
    makeBlocksInOrder(
        (n + Block - 1) / Block,
        threads > 0 ? threads : static_cast<int>(std::max(1u, std::thread::hardware_concurrency())),
        [&](std::size_t b, std::string &text) { rows.append(b * Block, std::min(n, (b + 1) * Block), text); },
        [&](std::string_view text) {
            out.write(text.data(), static_cast<std::streamsize>(text.size()));
            return static_cast<bool>(out);
        });
}

void printCalendar(std::ostream &out, const CalendarList &list, const std::vector<CalendarRowFacts> &rows, int palace,
                   bool csv)
{
    const auto cellsOf = [palace](const CalendarRowFacts &row) {
        ListRow cells = calendarRowCells(row);
        if (palace > 0 && palace <= 8) {
            // Only the destination's direction keeps its scores on screen.
            const std::size_t keep = 5 + static_cast<std::size_t>(KyuToRing[static_cast<std::size_t>(palace)]);
            for (std::size_t c = 5; c <= 13; ++c)
                if (c != keep)
                    cells[c].clear();
        }
        return cells;
    };
    const ListRow captions = calendarCaptions();
    // Written in large pieces, a few thousand rows at a time.
    constexpr std::size_t Piece = std::size_t{1} << 16;
    std::string text;
    const auto flush = [&] {
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        text.clear();
    };
    if (csv) {
        const auto appendLine = [&text](const ListRow &row) {
            for (const std::string &cell : row) {
                text += cell;
                text += ',';
            }
            text += '\n';
        };
        text = list.SenL + "," + list.CntL + "\n";
        appendLine(captions);
        for (const CalendarRowFacts &row : rows) {
            appendLine(cellsOf(row));
            if (text.size() >= Piece)
                flush();
        }
        flush();
        return;
    }
    GridWidths widths{};
    const auto measure = [&widths](const ListRow &row) {
        for (std::size_t c = 0; c < widths.size(); ++c)
            widths[c] = std::max(widths[c], cp932Width(row[c]));
    };
    measure(captions);
    for (const CalendarRowFacts &row : rows)
        measure(cellsOf(row));
    text = list.SenL + "  " + list.CntL + "\n";
    appendGridLine(text, captions, widths, true);
    for (const CalendarRowFacts &row : rows) {
        appendGridLine(text, cellsOf(row), widths, false);
        if (text.size() >= Piece)
            flush();
    }
    flush();
}

} // namespace velm::cli
