#include "cli/gridprint.h"

#include <algorithm>
#include <vector>

#include "engine/codec.h"

namespace velm::cli {

void printGrid(std::ostream &out, const ListModel &model)
{
    constexpr int Shown = ListColumnCount - 1;
    std::array<int, Shown> widths{};
    std::vector<std::array<int, Shown>> cellWidths(model.rows.size());
    for (std::size_t r = 0; r < model.rows.size(); ++r) {
        for (int c = 0; c < Shown; ++c) {
            const int w = cp932Width(model.rows[r][static_cast<std::size_t>(c)]);
            cellWidths[r][static_cast<std::size_t>(c)] = w;
            widths[static_cast<std::size_t>(c)] = std::max(widths[static_cast<std::size_t>(c)], w);
        }
    }

    out << model.SenL << "  " << model.CntL << "\n";
    std::string line;
    for (std::size_t r = 0; r < model.rows.size(); ++r) {
        line.clear();
        for (int c = 0; c < Shown; ++c) {
            const std::string &cell = model.rows[r][static_cast<std::size_t>(c)];
            const int pad = widths[static_cast<std::size_t>(c)] - cellWidths[r][static_cast<std::size_t>(c)];
            const int left = r == 0 ? pad / 2 : pad;
            if (c > 0)
                line += ' ';
            line.append(static_cast<std::size_t>(left), ' ');
            line += cell;
            line.append(static_cast<std::size_t>(pad - left), ' ');
        }
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        line += '\n';
        out << line;
    }
}

} // namespace velm::cli
