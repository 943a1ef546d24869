#include "evaluation/numbers.h"

#include <algorithm>
#include <charconv>

#include "engine/codec.h"
#include "engine/textfile.h"

namespace velm {

namespace {

constexpr int FileLineCount = NumberTableCount + 1; // the tables, then 暗剣

const std::string &emptyText()
{
    static const std::string empty;
    return empty;
}

std::string lineLabel(int lineNo)
{
    return std::to_string(lineNo) + "行目";
}

// Integers of one table outside the range the editor accepts (a file edited
// by hand). Scoring uses them as they are, so the user is told, once per
// table, where the first one sits. Texts that are no integer at all are
// absent values, which scoring already reports where it needs them.
std::optional<std::string> rangeWarning(const std::string &path, const NumberTables &tables, NumberTable table)
{
    const NumberTableShape &shape = shapeOf(table);
    int count = 0;
    std::string first;
    for (int c = 1; c <= shape.columns; ++c) {
        for (int r = 1; r <= shape.rows; ++r) {
            const std::optional<int> v = tables.value(table, c, r);
            if (!v || (*v >= shape.minimum && *v <= shape.maximum))
                continue;
            if (count++ == 0)
                first = std::to_string(c) + "列" + std::to_string(r) + "行の[" + tables.cell(table, c, r) + "]";
        }
    }
    if (count == 0)
        return std::nullopt;
    std::string message = "『" + path + "』の" + lineLabel(static_cast<int>(table) + 1) + "(" + std::string(shape.name)
        + ")の" + first + "は、設定できる範囲(" + std::to_string(shape.minimum) + "～"
        + std::to_string(shape.maximum) + ")の外です。";
    if (count > 1)
        message += "範囲外の値はほかにも" + std::to_string(count - 1) + "個あります。";
    return message + "そのまま使います。";
}

bool holdsANumber(const NumberTables &tables)
{
    for (int t = 0; t < NumberTableCount; ++t) {
        const auto table = static_cast<NumberTable>(t);
        for (int c = 1; c <= shapeOf(table).columns; ++c)
            for (int r = 1; r <= shapeOf(table).rows; ++r)
                if (tables.value(table, c, r))
                    return true;
    }
    return false;
}

// Why a cell is no value: digits too many for any table are out of range
// (below for a minus sign), anything else is not an integer.
CellFault::Kind outOfIntRange(std::string_view text)
{
    std::size_t digits = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
    const bool allDigits = digits < text.size()
        && std::all_of(text.begin() + static_cast<std::ptrdiff_t>(digits), text.end(),
                       [](char c) { return c >= '0' && c <= '9'; });
    if (!allDigits)
        return CellFault::Kind::NotInteger;
    return text[0] == '-' ? CellFault::Kind::BelowMinimum : CellFault::Kind::AboveMaximum;
}

} // namespace

std::optional<int> parseCell(std::string_view text)
{
    const char *first = text.data();
    const char *last = text.data() + text.size();
    const char *digits = first;
    if (digits != last && (*digits == '+' || *digits == '-'))
        ++digits;
    if (digits == last || *digits < '0' || *digits > '9')
        return std::nullopt;
    // from_chars takes a minus sign but not a plus; a typed "+5" is an integer too.
    if (*first == '+')
        first = digits;
    int value = 0;
    auto [end, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || end != last)
        return std::nullopt;
    return value;
}

NumberTables::NumberTables()
    : m_anKenText("0")
    , m_anKen(0)
{
    for (int t = 0; t < NumberTableCount; ++t) {
        const auto n = static_cast<std::size_t>(cellCount(static_cast<NumberTable>(t)));
        m_texts[static_cast<std::size_t>(t)].assign(n, std::string());
        m_values[static_cast<std::size_t>(t)].assign(n, std::nullopt);
    }
}

const std::string &NumberTables::cell(NumberTable t, int column, int row) const
{
    const int i = index(t, column, row);
    if (i < 0)
        return emptyText();
    return m_texts[static_cast<std::size_t>(t)][static_cast<std::size_t>(i)];
}

void NumberTables::setCell(NumberTable t, int column, int row, std::string text)
{
    const int i = index(t, column, row);
    if (i < 0)
        return;
    const auto ti = static_cast<std::size_t>(t);
    m_values[ti][static_cast<std::size_t>(i)] = parseCell(text);
    m_texts[ti][static_cast<std::size_t>(i)] = std::move(text);
}

void NumberTables::setAnE(std::string text)
{
    m_anKen = parseCell(text);
    m_anKenText = std::move(text);
}

bool NumberTables::operator==(const NumberTables &other) const
{
    // The parsed values follow from the texts.
    return m_texts == other.m_texts && m_anKenText == other.m_anKenText;
}

NumbersFile readNumbersFile(const std::string &path)
{
    NumbersFile result;
    TextFile file = StFileRead(path);
    if (!file.ok()) {
        switch (file.status) {
        case TextFile::Status::Missing: result.status = NumbersFile::Status::Missing; break;
        case TextFile::Status::BadEncoding: result.status = NumbersFile::Status::BadEncoding; break;
        default: result.status = NumbersFile::Status::Unreadable; break;
        }
        result.error = file.message;
        return result;
    }

    const int lineCount = static_cast<int>(file.lines.size());
    for (int t = 0; t < NumberTableCount; ++t) {
        const auto table = static_cast<NumberTable>(t);
        const NumberTableShape &shape = shapeOf(table);
        const int lineNo = t + 1;
        if (t >= lineCount)
            break; // reported below, with the other missing lines

        std::string_view rest = file.lines[static_cast<std::size_t>(t)];
        int cells = 0;
        for (int c = 1; c <= shape.columns; ++c) {
            for (int r = 1; r <= shape.rows; ++r) {
                if (rest.empty())
                    continue;
                std::size_t comma = rest.find(',');
                // Files the program writes end every cell with a comma; a hand-edited
                // line may lack the last one, and its value is still meant.
                std::string_view text = rest.substr(0, comma);
                rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
                result.tables.setCell(table, c, r, std::string(text));
                ++cells;
            }
        }
        const int expected = cellCount(table);
        if (cells < expected) {
            result.warnings.push_back("『" + path + "』の" + lineLabel(lineNo) + "(" + std::string(shape.name)
                                      + ")は" + std::to_string(expected) + "個の値のうち"
                                      + std::to_string(cells) + "個しかありません。残りは空欄です。");
        } else if (!rest.empty()) {
            result.warnings.push_back("『" + path + "』の" + lineLabel(lineNo) + "(" + std::string(shape.name)
                                      + ")の" + std::to_string(expected)
                                      + "個を超える値は読み捨てました。");
        }
        if (std::optional<std::string> warning = rangeWarning(path, result.tables, table))
            result.warnings.push_back(std::move(*warning));
    }

    // An empty file, or text that is no numbers file at all, must not pass for
    // tables of nothing but zeros: it is refused like a missing file.
    if (!holdsANumber(result.tables)) {
        NumbersFile refused;
        refused.status = NumbersFile::Status::NoTables;
        refused.error = "『" + path + "』に、読める数値表がありません。";
        return refused;
    }

    if (lineCount >= FileLineCount) {
        result.tables.setAnE(file.lines[FileLineCount - 1]);
    } else {
        // No 暗剣 line: absent like the missing table cells, so the shortage shows
        // instead of silently reading as 0.
        result.tables.setAnE(std::string());
        std::string missing;
        for (int lineNo = lineCount + 1; lineNo <= FileLineCount; ++lineNo) {
            if (!missing.empty())
                missing += "、";
            missing += std::to_string(lineNo);
        }
        result.warnings.push_back("『" + path + "』は" + std::to_string(FileLineCount) + "行のうち"
                                  + std::to_string(lineCount) + "行しかありません。" + missing
                                  + "行目の値は空欄です。");
    }
    if (lineCount > FileLineCount) {
        result.warnings.push_back("『" + path + "』の" + std::to_string(FileLineCount + 1)
                                  + "行目以降は読み捨てました。");
    }
    return result;
}

std::vector<std::string> numbersFileLines(const NumberTables &tables)
{
    std::vector<std::string> lines;
    lines.reserve(FileLineCount);
    for (int t = 0; t < NumberTableCount; ++t) {
        const auto table = static_cast<NumberTable>(t);
        const NumberTableShape &shape = shapeOf(table);
        std::string line;
        for (int c = 1; c <= shape.columns; ++c) {
            for (int r = 1; r <= shape.rows; ++r) {
                line += tables.cell(table, c, r);
                line += ',';
            }
        }
        lines.push_back(std::move(line));
    }
    lines.push_back(tables.AnE());
    return lines;
}

std::string writeNumbersFile(const std::string &path, const NumberTables &tables)
{
    // A comma inside a cell would shift every later cell of its table on the next
    // read, and a line break every later table: refuse rather than lose them.
    for (int t = 0; t < NumberTableCount; ++t) {
        const auto table = static_cast<NumberTable>(t);
        const NumberTableShape &shape = shapeOf(table);
        for (int c = 1; c <= shape.columns; ++c) {
            for (int r = 1; r <= shape.rows; ++r) {
                const std::string &text = tables.cell(table, c, r);
                if (text.find_first_of(",\r\n") != std::string::npos)
                    return "『" + path + "』に保存できません。" + std::string(shape.name) + "の"
                        + std::to_string(c) + "列" + std::to_string(r) + "行の[" + text
                        + "]に、カンマか改行が含まれています。";
            }
        }
    }
    if (tables.AnE().find_first_of("\r\n") != std::string::npos)
        return "『" + path + "』に保存できません。暗剣による数値[" + tables.AnE()
            + "]に改行が含まれています。";
    return writeTextFileAtomic(path, numbersFileLines(tables));
}

std::vector<CellFault> checkTable(NumberTables &tables, NumberTable t)
{
    std::vector<CellFault> faults;
    const NumberTableShape &shape = shapeOf(t);
    for (int c = 1; c <= shape.columns; ++c) {
        for (int r = 1; r <= shape.rows; ++r) {
            if (tables.cell(t, c, r).empty())
                tables.setCell(t, c, r, std::to_string(shape.defaultValue));
            const std::optional<int> v = tables.value(t, c, r);
            std::optional<CellFault::Kind> kind;
            if (!v)
                kind = outOfIntRange(tables.cell(t, c, r));
            else if (*v < shape.minimum)
                kind = CellFault::Kind::BelowMinimum;
            else if (*v > shape.maximum)
                kind = CellFault::Kind::AboveMaximum;
            if (kind) {
                faults.push_back({t, c, r, *kind});
                break; // one report per column; the next column goes on
            }
        }
    }
    return faults;
}

TablesCheck checkTables(NumberTables &tables)
{
    TablesCheck check;
    for (int t = 0; t < NumberTableCount; ++t) {
        std::vector<CellFault> faults = checkTable(tables, static_cast<NumberTable>(t));
        check.faults.insert(check.faults.end(), faults.begin(), faults.end());
    }
    check.anKenOk = tables.anKen().has_value();
    return check;
}

} // namespace velm
