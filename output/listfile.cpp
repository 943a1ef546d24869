#include "output/listfile.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "engine/codec.h"
#include "engine/datetime.h"
#include "engine/symbols.h"
#include "engine/textfile.h"
#include "output/chartdata.h"

namespace velm {
namespace {

constexpr std::array<std::string_view, 7> WeekdayName{"日", "月", "火", "水", "木", "金", "土"};

// Widths of columns 4..12 of a chart-data list.
constexpr std::array<int, 9> ChartDataWidths{30, 30, 30, 30, 55, 40, 30, 55, 35};

std::optional<int> parseDigits(std::string_view text, std::size_t maxDigits)
{
    if (text.empty() || text.size() > maxDigits)
        return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

// "yyyy/mm/dd" as the date cells hold it; one-digit months and days are
// accepted as the platform's date reading accepted them.
std::optional<CivilTime> parseListDate(std::string_view text)
{
    const std::size_t a = text.find('/');
    const std::size_t b = a == std::string_view::npos ? a : text.find('/', a + 1);
    if (b == std::string_view::npos)
        return std::nullopt;
    auto y = parseDigits(text.substr(0, a), 4);
    auto m = parseDigits(text.substr(a + 1, b - a - 1), 2);
    auto d = parseDigits(text.substr(b + 1), 2);
    if (!y || !m || !d || *y < 1 || *m < 1 || *m > 12 || *d < 1 || *d > daysInMonth(*y, *m))
        return std::nullopt;
    CivilTime t;
    t.year = *y;
    t.month = *m;
    t.day = *d;
    return t;
}

// Bytes of the UTF-8 character that starts the text (0 for an empty text).
std::size_t firstCharLength(std::string_view text)
{
    if (text.empty())
        return 0;
    const auto lead = static_cast<unsigned char>(text[0]);
    std::size_t n = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    return n <= text.size() ? n : text.size();
}

bool hasLineBreak(std::string_view s)
{
    return s.find_first_of("\r\n") != std::string_view::npos;
}

std::string fileMessage(const std::string &path, const std::string &reason)
{
    return "『" + path + "』" + reason;
}

std::string rowLine(const ListRow &row)
{
    std::string line;
    for (const std::string &cell : row) {
        line += cell;
        line += ',';
    }
    return line;
}

} // namespace

std::string formatScore(double value)
{
    if (!std::isfinite(value))
        return "0.00";
    // With a 64-bit mantissa, a double times 100 is exact, so the rounding
    // below sees the value itself and never a product rounded toward a tie.
    static_assert(LDBL_MANT_DIG >= 60, "scores need an exact 100 x value");
    const long double scaled = static_cast<long double>(value) * 100.0L;
    if (std::fabs(scaled) >= 9.0e17L) {
        char buf[400];
        std::snprintf(buf, sizeof buf, "%.2f", value);
        return buf;
    }
    const long long cents = std::llround(scaled); // half away from zero
    const unsigned long long magnitude = cents < 0 ? static_cast<unsigned long long>(-cents)
                                                   : static_cast<unsigned long long>(cents);
    // Written by hand: searches format hundreds of thousands of scores.
    char buf[40];
    char *p = buf;
    if (cents < 0)
        *p++ = '-';
    p = std::to_chars(p, buf + sizeof buf, magnitude / 100).ptr;
    *p++ = '.';
    *p++ = static_cast<char>('0' + magnitude % 100 / 10);
    *p++ = static_cast<char>('0' + magnitude % 10);
    return std::string(buf, p);
}

namespace {

// Zero-padded decimal of a non-negative value into `width` characters.
char *digits(char *p, int value, int width)
{
    for (int i = width - 1; i >= 0; --i) {
        p[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    return p + width;
}

} // namespace

std::string formatListDate(const CivilTime &t)
{
    if (t.year < 0 || t.year > 9999 || t.month < 0 || t.month > 99 || t.day < 0 || t.day > 99) {
        char buf[48];
        std::snprintf(buf, sizeof buf, "%04d/%02d/%02d", t.year, t.month, t.day);
        return buf;
    }
    char buf[10];
    char *p = digits(buf, t.year, 4);
    *p++ = '/';
    p = digits(p, t.month, 2);
    *p++ = '/';
    digits(p, t.day, 2);
    return std::string(buf, 10);
}

std::string formatListHour(const CivilTime &t)
{
    if (t.hour < 0 || t.hour > 99) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%02d", t.hour);
        return buf;
    }
    char buf[2];
    digits(buf, t.hour, 2);
    return std::string(buf, 2);
}

std::string formatListWeekday(const CivilTime &t)
{
    const int w = weekday(dayNumberFromCivil(t.year, t.month, t.day)); // 0 = Sunday
    return std::string(WeekdayName[static_cast<std::size_t>(w)]);
}

ListModel ListModel::fresh()
{
    ListModel model;
    model.rows.emplace_back();
    for (std::size_t c = 0; c < ListFixedCaptions.size(); ++c)
        model.rows[0][c] = ListFixedCaptions[c];
    return model;
}

ListKind listKindOf(std::string_view SenL)
{
    ListKind kind = ListKind::Other;
    if (SenL.find("占事") != std::string_view::npos)
        kind = ListKind::Search;
    if (SenL.find("作盤") != std::string_view::npos)
        kind = ListKind::ChartData;
    return kind;
}

std::array<int, ListColumnCount> listInitialWidths()
{
    std::array<int, ListColumnCount> widths{};
    widths.fill(30);
    widths[ListCol::Flag] = 55;
    widths[ListColumnCount - 1] = 0;
    return widths;
}

bool listCellWide(std::string_view cell)
{
    // Valid UTF-8 (every list's cells are) is never narrower in bytes than
    // in CP932: most cells of a long list are ruled out by their size alone.
    return cell.size() >= 8 && cp932Width(cell) >= 8;
}

ListLayout listLayout(const ListModel &model, const std::array<int, ListColumnCount> &currentWidths)
{
    return listLayout(model, currentWidths, false);
}

ListLayout listLayout(const ListModel &model, const std::array<int, ListColumnCount> &currentWidths,
                      bool wideRowsBeyond)
{
    ListLayout layout;
    layout.kind = listKindOf(model.SenL);
    layout.widths = currentWidths;
    constexpr int Last = ListColumnCount - 1;

    switch (layout.kind) {
    case ListKind::Search: {
        layout.caption = "検索一覧表";
        layout.captions[ListCol::Flag] = std::string();
        for (int c = 5; c <= 13; ++c)
            layout.captions[static_cast<std::size_t>(c)] =
                std::string(DirectionName[static_cast<std::size_t>(RingToKyu[static_cast<std::size_t>(c - 5)])]);
        bool wide = wideRowsBeyond;
        for (std::size_t r = 1; r < model.rows.size() && !wide; ++r)
            for (int c = 4; c <= Last - 1 && !wide; ++c)
                wide = listCellWide(model.rows[r][static_cast<std::size_t>(c)]);
        layout.widths[4] = 55;
        for (int c = 5; c <= Last - 1; ++c)
            layout.widths[static_cast<std::size_t>(c)] = wide ? 55 : 40;
        layout.widths[Last] = 0;
        break;
    }
    case ListKind::ChartData:
        layout.caption = "作盤データ一覧表";
        for (std::size_t c = ListCol::FirstPillar; c <= ListCol::CentreStar; ++c)
            layout.captions[c] = std::string(ChartDataCaptions[c]);
        for (std::size_t i = 0; i < ChartDataWidths.size(); ++i)
            layout.widths[ListCol::FirstPillar + i] = ChartDataWidths[i];
        break;
    case ListKind::Other:
        return layout;
    }
    int sum = 0;
    for (int w : layout.widths)
        sum += w;
    layout.targetWidth = sum + 42;
    return layout;
}

void applyListCaptions(ListModel &model, const ListLayout &layout)
{
    if (model.rows.empty())
        model.rows.emplace_back();
    for (std::size_t c = 0; c < ListColumnCount; ++c)
        if (layout.captions[c])
            model.rows[0][c] = *layout.captions[c];
}

std::optional<int> markedColumn(const ListRow &row)
{
    const std::string &cell = row[ListCol::Mark];
    auto d = parseDigits(cell, 9);
    if (!d)
        return std::nullopt;
    return ListCol::FirstPalace + KyuToRing[static_cast<std::size_t>(*d % 9)];
}

bool deleteListRow(ListModel &model, int row)
{
    if (row < 1 || row >= static_cast<int>(model.rows.size()))
        return false;
    model.rows.erase(model.rows.begin() + row);
    return true;
}

std::optional<CivilTime> listCellMoment(std::string_view date, std::string_view hour)
{
    auto t = parseListDate(date);
    auto h = parseDigits(hour, 2);
    if (!t || !h || *h > 23)
        return std::nullopt;
    t->hour = *h;
    return t;
}

RowMoment rowMoment(const ListRow &row)
{
    RowMoment result;
    const std::string_view kindCell = row[ListCol::Kind];
    result.kind = MojiToShu(kindCell.substr(0, firstCharLength(kindCell)));
    if (result.kind > 3)
        return result;
    auto date = parseListDate(row[ListCol::Date]);
    if (!date) {
        result.error = "『" + row[ListCol::Date] + "』は、正しい日付ではありません。";
        return result;
    }
    auto hour = parseDigits(row[ListCol::Hour], 2);
    if (!hour || *hour > 23) {
        result.error = "『" + row[ListCol::Hour] + "』は、正しい時刻ではありません。";
        return result;
    }
    date->hour = *hour;
    result.moment = date;
    return result;
}

std::string uncheckedKindQuestion(std::string_view kindCell)
{
    return "システム設定で、『" + std::string(kindCell) + "』はチェックされていませんが、チェックしますか？";
}

std::string listTitleFault(const std::string &path, std::string_view SenL, std::string_view CntL)
{
    if (hasLineBreak(SenL) || hasLineBreak(CntL) || CntL.find(',') != std::string_view::npos)
        return fileMessage(path, "に書けません。見出しに改行かカンマがあります。");
    return {};
}

std::string listRowFault(const std::string &path, std::size_t r, const ListRow &row)
{
    for (std::size_t c = 0; c < ListColumnCount; ++c) {
        const std::string &cell = row[c];
        if (hasLineBreak(cell) || cell.find(',') != std::string::npos)
            return fileMessage(path, "に書けません。" + std::to_string(r) + "行" + std::to_string(c)
                                         + "列のセルに、改行かカンマがあります。");
    }
    return {};
}

std::string listEncodingFault(const std::string &path, std::size_t lineNo)
{
    return "『" + path + "』の" + std::to_string(lineNo) + "行目に、S-JISで書けない文字があります。";
}

std::vector<std::string> listFileLines(const ListModel &model)
{
    std::vector<std::string> lines;
    lines.reserve(model.rows.size() + 1);
    lines.push_back(model.SenL + "," + model.CntL);
    for (const ListRow &row : model.rows)
        lines.push_back(rowLine(row));
    return lines;
}

std::string writeListFile(const std::string &path, const ListModel &model, SpecialTarget special)
{
    if (std::string fault = listTitleFault(path, model.SenL, model.CntL); !fault.empty())
        return fault;
    if (model.rows.empty())
        return fileMessage(path, "に書けません。見出し行がありません。");
    for (std::size_t r = 0; r < model.rows.size(); ++r)
        if (std::string fault = listRowFault(path, r, model.rows[r]); !fault.empty())
            return fault;
    return writeTextFileAtomic(path, listFileLines(model), special);
}

std::string writeListFileStream(const std::string &path, std::string_view SenL, std::string_view CntL,
                                const ListRow &captions, const ListRowProducer &produce,
                                SpecialTarget special)
{
    if (std::string fault = listTitleFault(path, SenL, CntL); !fault.empty())
        return fault;
    AtomicFile file(path, special);
    std::string fault;      // a text that cannot be written as it is
    std::size_t lineNo = 0;
    // Lines are gathered and written in large pieces: one system call per
    // few thousand rows, not one per row.
    constexpr std::size_t Piece = std::size_t{1} << 18;
    std::string pending;
    const auto flush = [&] {
        if (!pending.empty() && !file.write(pending))
            fault = file.commit(); // the writer's own message for its failure
        pending.clear();
    };
    const auto going = [&] { return fault.empty(); };
    const auto line = [&](const std::string &text) {
        ++lineNo;
        CodecResult encoded = encodeCp932(text);
        if (!encoded.ok) {
            fault = listEncodingFault(path, lineNo);
            return;
        }
        pending += encoded.text;
        pending += "\r\n";
        if (pending.size() >= Piece)
            flush();
    };
    const ListRowSink add = [&](const ListRow &row) {
        if (going()) {
            fault = listRowFault(path, lineNo - 1, row);
            if (fault.empty())
                line(rowLine(row));
        }
        return going();
    };
    line(std::string(SenL) + "," + std::string(CntL));
    add(captions);
    if (going()) {
        std::string refused = produce(add);
        if (going())
            fault = std::move(refused);
    }
    if (going())
        flush();
    // Without commit() the temporary file goes and the old file stays.
    return going() ? file.commit() : fault;
}

ListFileRead readListFile(const std::string &path)
{
    ListFileRead result;
    TextFile file = StFileRead(path, MaxListFileBytes);
    switch (file.status) {
    case TextFile::Status::Ok:
        break;
    case TextFile::Status::Missing:
        result.status = ListFileRead::Status::Missing;
        result.error = file.message;
        return result;
    case TextFile::Status::Unreadable:
        result.status = ListFileRead::Status::Unreadable;
        result.error = file.message;
        return result;
    case TextFile::Status::BadEncoding:
        result.status = ListFileRead::Status::BadEncoding;
        result.error = file.message;
        return result;
    }

    std::vector<std::string> &lines = file.lines;
    while (!lines.empty() && lines.back().empty())
        lines.pop_back();
    if (lines.empty()) {
        result.status = ListFileRead::Status::Empty;
        result.error = fileMessage(path, "は、空のファイルです。");
        return result;
    }
    if (lines.size() < 2) {
        result.status = ListFileRead::Status::Malformed;
        result.error = fileMessage(path, "は、一覧表ファイルとして不完全です。(見出し行がありません)");
        return result;
    }

    ListModel model;
    const std::string &head = lines[0];
    const std::size_t comma = head.rfind(',');
    if (comma == std::string::npos) {
        model.CntL = head;
    } else {
        model.SenL = head.substr(0, comma);
        model.CntL = head.substr(comma + 1);
    }

    model.rows.reserve(lines.size() - 1);
    for (std::size_t n = 1; n < lines.size(); ++n) {
        // The final comma may be missing; as the cells are taken up to each
        // comma, one is appended first.
        const std::string line = lines[n] + ",";
        ListRow row;
        int fields = 0;
        int extra = 0; // non-empty fields beyond the fifteenth
        std::size_t start = 0;
        for (std::size_t end; (end = line.find(',', start)) != std::string::npos; start = end + 1) {
            if (fields < ListColumnCount)
                row[static_cast<std::size_t>(fields)] = line.substr(start, end - start);
            else if (end > start)
                ++extra;
            ++fields;
        }
        const std::string lineNo = std::to_string(n + 1);
        if (fields < ListColumnCount) {
            result.status = ListFileRead::Status::Malformed;
            result.error = fileMessage(path, "の" + lineNo + "行目は、項目が足りません。("
                                                 + std::to_string(fields) + "/15項目)");
            return result;
        }
        if (extra > 0) {
            result.status = ListFileRead::Status::Malformed;
            result.error = fileMessage(path, "の" + lineNo + "行目は、項目が多すぎます。(15項目を超えています)");
            return result;
        }
        model.rows.push_back(std::move(row));
    }
    result.model = std::move(model);
    return result;
}

} // namespace velm
