#include "evaluation/explanations.h"

#include <cstdio>

#include "engine/symbols.h"
#include "engine/textfile.h"

namespace velm {

namespace {

// Codes each chart row can hold, [first, last]; rows above 7 are pattern slots.
struct CodeRange {
    int first;
    int last;
};
constexpr std::array<CodeRange, 8> RowCodes{{
    {0, 9},   // heaven stem
    {0, 9},   // earth stem
    {0, 99},  // stem pair
    {1, 8},   // door
    {0, 8},   // star value
    {1, 8},   // deity
    {0, 8},   // nine-star
    {1, 58},  // pattern
}};

int rowClass(int row)
{
    return row > 7 ? 7 : row;
}

const std::string &emptyText()
{
    static const std::string empty;
    return empty;
}

template <typename Table>
std::string at(const Table &table, int i)
{
    if (i < 0 || static_cast<std::size_t>(i) >= table.size())
        return {};
    return std::string(table[static_cast<std::size_t>(i)]);
}

} // namespace

int setuLineOf(int row, int code)
{
    if (row < 0 || row >= BanRowCount)
        return -1;
    const int r = rowClass(row);
    const CodeRange range = RowCodes[static_cast<std::size_t>(r)];
    if (code < range.first || code > range.last)
        return -1;
    return SetuRowBase[static_cast<std::size_t>(r)] + code;
}

int setuKindLine(int kind, int item)
{
    if (kind < 0 || kind >= SetuKindCount)
        return -1;
    if (item < 0 || item >= SetuKindItemCount[static_cast<std::size_t>(kind)])
        return -1;
    return SetuKindFirstLine[static_cast<std::size_t>(kind)] + item;
}

std::vector<std::string> setuTargets(int kind, const ConstData &names)
{
    std::vector<std::string> items;
    switch (kind) {
    case 0:
        for (std::string_view s : StemName)
            items.emplace_back(s);
        break;
    case 1:
        for (std::string_view heaven : StemName)
            for (std::string_view earth : StemName)
                items.push_back(std::string(heaven) + std::string(earth));
        break;
    case 2:
        for (int d = 1; d <= 8; ++d)
            items.push_back(at(DoorName, d) + "門");
        break;
    case 3:
        for (int s = 0; s <= 8; ++s)
            items.push_back("天" + at(names.StarChar, s));
        break;
    case 4:
        for (int d = 1; d <= 8; ++d)
            items.push_back(at(names.DeityName, d));
        break;
    case 5:
        for (std::string_view s : NineStarName)
            items.emplace_back(s);
        break;
    case 6:
        for (int p = 1; p <= 58; ++p)
            items.push_back(at(names.PatternName, p));
        break;
    default:
        break;
    }
    return items;
}

std::string setuToShown(std::string_view stored, std::string_view lineBreak)
{
    std::string out;
    out.reserve(stored.size());
    for (std::size_t i = 0; i < stored.size(); ++i) {
        if (stored[i] == '/' && i + 1 < stored.size() && stored[i + 1] == 'r') {
            out += lineBreak;
            ++i;
        } else {
            out += stored[i];
        }
    }
    return out;
}

std::string setuToStored(std::string_view shown)
{
    std::string out;
    out.reserve(shown.size());
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const char c = shown[i];
        if (c == '\r') {
            if (i + 1 < shown.size() && shown[i + 1] == '\n')
                ++i;
            out += "/r";
        } else if (c == '\n') {
            out += "/r";
        } else {
            out += c;
        }
    }
    return out;
}

SetuTexts::SetuTexts()
    : m_lines(SetuLineCount)
{
}

SetuTexts SetuTexts::load(const std::string &path)
{
    SetuTexts texts;
    TextFile file = StFileRead(path);
    switch (file.status) {
    case TextFile::Status::Ok: texts.m_status = Status::Ok; break;
    case TextFile::Status::Missing: texts.m_status = Status::Missing; break;
    case TextFile::Status::Unreadable: texts.m_status = Status::Unreadable; break;
    case TextFile::Status::BadEncoding: texts.m_status = Status::BadEncoding; break;
    }
    texts.m_error = file.message;
    if (file.status == TextFile::Status::Missing || file.status == TextFile::Status::Unreadable)
        return texts;

    texts.m_fileLineCount = static_cast<int>(file.lines.size());
    texts.m_lines = std::move(file.lines);
    if (texts.m_fileLineCount < SetuLineCount) {
        texts.m_lines.resize(SetuLineCount);
        texts.m_warning = "『" + path + "』には説明文が" + std::to_string(SetuLineCount) + "行のうち"
                          + std::to_string(texts.m_fileLineCount)
                          + "行しかありません。足りない説明文は空欄として扱い、保存の時に空行を補います。";
    }
    return texts;
}

const std::string &SetuTexts::line(int n) const
{
    if (n < 0 || static_cast<std::size_t>(n) >= m_lines.size())
        return emptyText();
    return m_lines[static_cast<std::size_t>(n)];
}

std::string SetuTexts::text(int kind, int item, std::string_view lineBreak) const
{
    const int n = setuKindLine(kind, item);
    if (n < 0)
        return {};
    return setuToShown(line(n), lineBreak);
}

bool SetuTexts::setText(int kind, int item, std::string_view shown)
{
    const int n = setuKindLine(kind, item);
    if (n < 0)
        return false;
    std::string stored = setuToStored(shown);
    std::string &slot = m_lines[static_cast<std::size_t>(n)];
    if (slot != stored) {
        slot = std::move(stored);
        m_modified = true;
    }
    return true;
}

std::string SetuTexts::save(const std::string &path)
{
    if (m_status == Status::Unreadable || m_status == Status::BadEncoding)
        return "『" + path + "』を正しく読めなかったため、上書きしませんでした。元のファイルはそのままです。";
    std::string message = writeTextFileAtomic(path, m_lines);
    if (message.empty())
        m_modified = false;
    return message;
}

std::string SetuLineRead(const SetuTexts &texts, int row, int code, std::string_view lineBreak)
{
    const int n = setuLineOf(row, code);
    if (n < 0)
        return {};
    return setuToShown(texts.line(n), lineBreak);
}

std::string setuSymbolName(const BanRows &CurBan, int row, int pos, const ConstData &names)
{
    if (row < 0 || row >= BanRowCount || pos < 0 || pos > 8)
        return {};
    const int code = CurBan[static_cast<std::size_t>(row)][static_cast<std::size_t>(pos)];
    if (setuLineOf(row, code) < 0)
        return {};
    switch (rowClass(row)) {
    case TenKan:
    case ChiKan:
        return at(StemRole, code);
    case TenChiKan:
        return at(StemName, code / 10) + at(StemName, code % 10);
    case Mon:
        return pos == 0 ? std::string() : at(DoorName, code) + "門";
    case Sei:
        return "天" + at(names.StarChar, code);
    case Shin:
        return pos == 0 ? std::string() : at(names.DeityName, code);
    case KyuSeiBan:
        return at(NineStarName, code);
    default:
        return at(names.PatternName, code);
    }
}

std::vector<std::string> memoEntries(const BanRows &CurBan, int pos, const SetuTexts &texts,
                                     const ConstData &names, std::string_view note,
                                     std::string_view lineBreak)
{
    std::vector<std::string> entries;
    if (pos < 0 || pos > 8)
        return entries;
    for (int row = 0; row < BanRowCount; ++row) {
        // Rows keep their places even when empty, so a palace reads the same
        // shape whichever symbols it holds.
        if (row > 0)
            entries.emplace_back();
        const std::string name = setuSymbolName(CurBan, row, pos, names);
        if (name.empty())
            continue;
        entries.push_back("[" + std::string(SetuRowLabel[static_cast<std::size_t>(row)]) + "]<" + name + ">");
        const int code = CurBan[static_cast<std::size_t>(row)][static_cast<std::size_t>(pos)];
        entries.push_back(SetuLineRead(texts, row, code, lineBreak));
    }
    if (note == FlagName[4]) {
        entries.push_back("[格局]<五不遇時>");
        entries.push_back(SetuLineRead(texts, Kaku0, GoFuguPattern, lineBreak));
    }
    return entries;
}

std::string scoreText(double value)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f", value);
    std::string text = buf;
    if (text == "-0.00")
        text = "0.00";
    return text;
}

MemoView MemoRead(const BanRows &CurBan, const SuuScores &scores, int pos, const SetuTexts &texts,
                  const ConstData &names, std::string_view note, std::string_view lineBreak)
{
    MemoView view;
    if (pos < 0 || pos > 8)
        return view;
    const std::vector<std::string> entries = memoEntries(CurBan, pos, texts, names, note, lineBreak);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (i > 0)
            view.Memo1 += lineBreak;
        view.Memo1 += entries[i];
    }
    view.SuuPnl = scoreText(scores.BanSuu[8][static_cast<std::size_t>(pos)]);
    return view;
}

KyuView KyuRead(int pos)
{
    KyuView view;
    if (pos < 0 || pos > 8)
        return view;
    view.HouiBox = pos;
    view.HouiPnl = std::string(TrigramName[static_cast<std::size_t>(pos)]);
    return view;
}

ScoreGrids SGDisp(const SuuScores &scores, int pos)
{
    ScoreGrids grids;
    for (std::size_t r = 0; r < 4; ++r) {
        grids.SG1[0][r] = SG1Caption0[r];
        grids.SG1[2][r] = SG1Caption2[r];
        grids.SG2[0][r] = SG2Caption0[r];
        grids.SG2[2][r] = SG2Caption2[r];
    }
    if (pos >= 0 && pos <= 8) {
        const auto p = static_cast<std::size_t>(pos);
        for (std::size_t e = 0; e < 4; ++e) {
            grids.SG1[1][e] = std::to_string(scores.SuuBase[e][p]);
            grids.SG1[3][e] = std::to_string(scores.SuuBase[e + 4][p]);
        }
    }
    for (std::size_t r = 0; r < 4; ++r) {
        grids.SG2[1][r] = scoreText(scores.BanSuu[8][r + 1]);
        grids.SG2[3][r] = scoreText(scores.BanSuu[8][r + 5]);
    }
    return grids;
}

PanelView PnlRead(const BanRows &CurBan, const SuuScores &scores, int pos, const SetuTexts &texts,
                  const ConstData &names, std::string_view note, std::string_view lineBreak)
{
    PanelView view;
    view.TyuL = std::string(note) + " ";
    view.memo = MemoRead(CurBan, scores, pos, texts, names, note, lineBreak);
    view.kyu = KyuRead(pos);
    view.grids = SGDisp(scores, pos);
    return view;
}

} // namespace velm
