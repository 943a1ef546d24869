#include "evaluation/matters.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "engine/symbols.h"
#include "engine/textfile.h"
#include "evaluation/numbers.h"

namespace velm {

namespace {

// One UTF-8 code point at s[i]; advances i. A stray byte counts as itself.
char32_t nextCodePoint(std::string_view s, std::size_t &i)
{
    const auto c = static_cast<unsigned char>(s[i]);
    int len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
    if (i + static_cast<std::size_t>(len) > s.size())
        len = 1;
    char32_t cp = len == 1 ? c : len == 2 ? (c & 0x1Fu) : len == 3 ? (c & 0x0Fu) : (c & 0x07u);
    for (int k = 1; k < len; ++k)
        cp = (cp << 6) | (static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]) & 0x3Fu);
    i += static_cast<std::size_t>(len);
    return cp;
}

// The cased letters Shift-JIS holds: ASCII, full-width Latin, Greek, Cyrillic.
char32_t foldCase(char32_t c)
{
    if ((c >= U'A' && c <= U'Z') || (c >= 0xFF21 && c <= 0xFF3A) || (c >= 0x0391 && c <= 0x03A9 && c != 0x03A2)
        || (c >= 0x0410 && c <= 0x042F))
        return c + 0x20;
    if (c == 0x0401) // Ё
        return 0x0451;
    return c;
}

std::string fileNameOf(const std::string &path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string lineText(int line)
{
    return std::to_string(line) + "行目";
}

// "条件3の2行目": group and row as the editor numbers them.
std::string placeText(int group, int row)
{
    return "条件" + std::to_string(group + 1) + "の" + std::to_string(row + 1) + "行目";
}

bool hasLineBreak(std::string_view s)
{
    return s.find_first_of("\r\n") != std::string_view::npos;
}

std::size_t commaCount(std::string_view s)
{
    return static_cast<std::size_t>(std::count(s.begin(), s.end(), ','));
}

// Splits a values line into up to `count` fields; the rest stay empty.
// Returns the number of fields beyond `count` that hold text.
template <std::size_t N>
int splitValues(std::string_view line, std::array<std::string, N> &out)
{
    std::size_t i = 0;
    while (!line.empty() && i < N) {
        const std::size_t comma = line.find(',');
        // Files the program writes end every cell with a comma; a hand-edited
        // line may lack the last one, and its text is still meant.
        out[i++] = std::string(line.substr(0, comma));
        line = comma == std::string_view::npos ? std::string_view() : line.substr(comma + 1);
    }
    int extra = 0;
    while (!line.empty()) {
        const std::size_t comma = line.find(',');
        if (comma != 0)
            ++extra;
        line = comma == std::string_view::npos ? std::string_view() : line.substr(comma + 1);
    }
    return extra;
}

std::string joinValues(const std::array<std::string, MatterCellCount> &cells)
{
    std::string line;
    for (const std::string &cell : cells) {
        line += cell;
        line += ',';
    }
    return line;
}

// Why a matter cannot be stored as it is; empty when it can.
std::string unstorableReason(const Matter &matter)
{
    if (matter.name.empty())
        return "占事名を指定して下さい。";
    // A comma is harmless in the name line, which is never split.
    if (hasLineBreak(matter.name))
        return "占事名に、改行は使えません。";
    for (int g = 0; g < MatterGroupCount; ++g)
        for (int c = 0; c < 3; ++c)
            for (int r = 0; r < MatterRowCount; ++r)
                for (const std::string *cell : {&matter.text(g, c, r), &matter.code(g, c, r)})
                    if (cell->find_first_of(",\r\n") != std::string::npos)
                        return "占事「" + matter.name + "」の" + placeText(g, r) + "の「" + *cell
                            + "」に、カンマか改行が含まれています。";
    return {};
}

constexpr std::array<std::string_view, 2> ElementOperators{OpEqual, OpNotEqual};
constexpr std::array<std::string_view, 2> NumberOperators{OpEqual, OpAtLeast};

} // namespace

std::string Matter::textLine() const
{
    return joinValues(texts);
}

std::string Matter::codeLine() const
{
    return joinValues(codes);
}

Matter Matter::fromLines(std::string name, std::string_view textLine, std::string_view codeLine)
{
    Matter m;
    m.name = std::move(name);
    splitValues(textLine, m.texts);
    splitValues(codeLine, m.codes);
    return m;
}

bool sameMatterName(std::string_view a, std::string_view b)
{
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size())
        if (foldCase(nextCodePoint(a, i)) != foldCase(nextCodePoint(b, j)))
            return false;
    return i == a.size() && j == b.size();
}

std::span<const std::string_view> operatorList(int element)
{
    if (element == ElemSuuchi)
        return NumberOperators;
    if (element > ElemSuuchi && element < MatterElementCount)
        return ElementOperators;
    return {};
}

static_assert(lastTargetCode(ElemTenBan) == static_cast<int>(StemName.size()));
static_assert(lastTargetCode(ElemTenChiKan) == static_cast<int>(StemName.size() * StemName.size()));
static_assert(lastTargetCode(ElemMon) == static_cast<int>(DoorName.size()) - 1);
static_assert(lastTargetCode(ElemShiHaku) == static_cast<int>(NineStarName.size()));

std::vector<std::string> targetList(int element, const ConstData &names)
{
    std::vector<std::string> list;
    if (element < 0 || element >= MatterElementCount)
        return list;
    list.emplace_back(NumberTargetName);
    switch (element) {
    case ElemTenBan:
    case ElemChiBan:
        for (std::string_view s : StemName)
            list.emplace_back(s);
        break;
    case ElemTenChiKan:
        for (std::string_view heaven : StemName)
            for (std::string_view earth : StemName)
                list.push_back(std::string(heaven) + std::string(earth));
        break;
    case ElemMon:
        for (std::size_t d = 1; d < DoorName.size(); ++d)
            list.push_back(std::string(DoorName[d]) + "門");
        break;
    case ElemSei:
        for (std::size_t s = 0; s < 9; ++s)
            list.push_back("天" + names.StarChar[s]);
        break;
    case ElemShin:
        for (std::size_t d = 1; d < names.DeityName.size(); ++d)
            list.push_back(names.DeityName[d]);
        break;
    case ElemShiHaku:
        for (std::string_view s : NineStarName)
            list.emplace_back(s);
        break;
    case ElemKaku:
        for (std::size_t k = 1; k < names.PatternName.size(); ++k)
            list.push_back(names.PatternName[k]);
        break;
    default:
        break;
    }
    return list;
}

std::optional<std::string> normalizeThreshold(std::string_view typed)
{
    std::string out;
    for (std::size_t i = 0; i < typed.size();) {
        const char32_t c = nextCodePoint(typed, i);
        if (c == U' ' || c == 0x3000 || c == U'\t')
            out += ' ';
        else if (c >= 0xFF10 && c <= 0xFF19) // full-width digits
            out += static_cast<char>('0' + (c - 0xFF10));
        else if (c == 0xFF0B)
            out += '+';
        else if (c == 0xFF0D || c == 0x2212) // full-width hyphen-minus, minus sign
            out += '-';
        else if (c == 0xFF0E)
            out += '.';
        else if (c < 0x80)
            out += static_cast<char>(c);
        else
            return std::nullopt;
    }
    const std::size_t first = out.find_first_not_of(' ');
    if (first == std::string::npos)
        return std::nullopt;
    out = out.substr(first, out.find_last_not_of(' ') - first + 1);

    // [+-]digits[.digits]: what a person types as a score, nothing that a
    // floating-point reader would also take ("1e3", "inf").
    std::size_t p = 0;
    if (out[p] == '+' || out[p] == '-')
        ++p;
    const std::size_t intStart = p;
    while (p < out.size() && out[p] >= '0' && out[p] <= '9')
        ++p;
    if (p == intStart)
        return std::nullopt;
    if (p < out.size() && out[p] == '.') {
        const std::size_t fracStart = ++p;
        while (p < out.size() && out[p] >= '0' && out[p] <= '9')
            ++p;
        if (p == fracStart)
            return std::nullopt;
    }
    if (p != out.size())
        return std::nullopt;
    return out;
}

std::optional<double> parseThreshold(std::string_view text)
{
    const std::optional<std::string> norm = normalizeThreshold(text);
    if (!norm)
        return std::nullopt;
    const char *first = norm->data();
    const char *last = first + norm->size();
    if (*first == '+')
        ++first;
    double value = 0;
    auto [end, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || end != last || !std::isfinite(value))
        return std::nullopt;
    return value;
}

EditResult addCondition(Matter &matter, int group, const ConditionInput &input, const ConstData &names)
{
    EditResult result;
    if (group < 0 || group >= MatterGroupCount) {
        result.message = "条件を選んで下さい。";
        return result;
    }
    const std::span<const std::string_view> ops = operatorList(input.element);
    if (ops.empty()) {
        result.message = "要素を選んで下さい。";
        return result;
    }
    if (input.operatorIndex < 0 || static_cast<std::size_t>(input.operatorIndex) >= ops.size()) {
        result.message = "条件式を選んで下さい。";
        return result;
    }
    const std::vector<std::string> targets = targetList(input.element, names);
    if (input.target < 0 || static_cast<std::size_t>(input.target) >= targets.size()) {
        result.message = "対象を選んで下さい。";
        return result;
    }
    int row = 0;
    while (row < MatterRowCount && !matter.text(group, CellElement, row).empty())
        ++row;
    if (row == MatterRowCount) {
        result.message = "これ以上追加できません";
        return result;
    }

    const bool number = isNumberCondition(input.element, input.target);
    std::string targetText;
    if (number) {
        // A threshold the search cannot read would make the whole matter
        // silently fail, so it is refused here rather than stored.
        std::optional<std::string> norm = normalizeThreshold(input.number);
        if (!norm) {
            result.message = "数値「" + input.number + "」は、数字で指定して下さい。";
            return result;
        }
        targetText = std::move(*norm);
    } else {
        targetText = targets[static_cast<std::size_t>(input.target)];
    }

    matter.text(group, CellElement, row) = std::string(MatterElementName[static_cast<std::size_t>(input.element)]);
    matter.code(group, CellElement, row) = std::to_string(input.element);
    // A number condition always tests "at least"; its code keeps the chosen index.
    matter.text(group, CellOperator, row)
        = std::string(number ? OpAtLeast : ops[static_cast<std::size_t>(input.operatorIndex)]);
    matter.code(group, CellOperator, row) = std::to_string(input.operatorIndex);
    matter.text(group, CellTarget, row) = std::move(targetText);
    matter.code(group, CellTarget, row) = number ? "0" : std::to_string(input.target);
    result.ok = true;
    result.row = row;
    return result;
}

std::optional<ConditionInput> conditionAt(const Matter &matter, int group, int row)
{
    if (group < 0 || group >= MatterGroupCount || row < 0 || row >= MatterRowCount)
        return std::nullopt;
    const std::optional<int> element = parseCell(matter.code(group, CellElement, row));
    if (!element || *element < 0 || *element >= MatterElementCount)
        return std::nullopt;
    ConditionInput input;
    input.element = *element;
    input.operatorIndex = parseCell(matter.code(group, CellOperator, row)).value_or(0);
    if (input.operatorIndex < 0 || input.operatorIndex > 1)
        input.operatorIndex = 0;
    input.target = input.element == ElemSuuchi ? 0 : parseCell(matter.code(group, CellTarget, row)).value_or(0);
    if (input.target < 0)
        input.target = 0;
    input.number = isNumberCondition(input.element, input.target) ? matter.text(group, CellTarget, row) : "0";
    return input;
}

bool hasCondition(const Matter &matter, int group, int row)
{
    if (group < 0 || group >= MatterGroupCount || row < 0 || row >= MatterRowCount)
        return false;
    return !matter.text(group, CellElement, row).empty();
}

void deleteCondition(Matter &matter, int group, int row)
{
    if (group < 0 || group >= MatterGroupCount || row < 0 || row >= MatterRowCount)
        return;
    for (int c = 0; c < 3; ++c) {
        for (int r = row; r + 1 < MatterRowCount; ++r) {
            matter.text(group, c, r) = std::move(matter.text(group, c, r + 1));
            matter.code(group, c, r) = std::move(matter.code(group, c, r + 1));
        }
        matter.text(group, c, MatterRowCount - 1).clear();
        matter.code(group, c, MatterRowCount - 1).clear();
    }
}

void clearConditions(Matter &matter)
{
    for (std::string &s : matter.texts)
        s.clear();
    for (std::string &s : matter.codes)
        s.clear();
}

// ---- "Senji.Dat" -----------------------------------------------------------

int MattersFile::indexOf(std::string_view name) const
{
    for (std::size_t i = 0; i < records.size(); ++i)
        if (sameMatterName(records[i].name, name))
            return static_cast<int>(i);
    return -1;
}

std::optional<Matter> MattersFile::find(std::string_view name) const
{
    const int i = indexOf(name);
    if (i < 0)
        return std::nullopt;
    return records[static_cast<std::size_t>(i)].matter();
}

bool MattersFile::saveOrReplace(const Matter &matter)
{
    const int i = indexOf(matter.name);
    if (i >= 0) {
        MatterRecord &rec = records[static_cast<std::size_t>(i)];
        rec.name = matter.name;
        rec.textLine = matter.textLine();
        rec.codeLine = matter.codeLine();
        return true;
    }
    records.push_back(MatterRecord{matter.name, matter.textLine(), matter.codeLine(), 0});
    return false;
}

bool MattersFile::remove(std::string_view name)
{
    const int i = indexOf(name);
    if (i < 0)
        return false;
    records.erase(records.begin() + i);
    return true;
}

std::vector<std::string> MattersFile::lines() const
{
    std::vector<std::string> out;
    out.reserve(records.size() * 3);
    for (const MatterRecord &rec : records) {
        out.push_back(rec.name);
        out.push_back(rec.textLine);
        out.push_back(rec.codeLine);
    }
    return out;
}

MattersFile readMattersFile(const std::string &path)
{
    MattersFile result;
    TextFile file = StFileRead(path);
    if (!file.ok()) {
        switch (file.status) {
        case TextFile::Status::Missing: result.status = MattersFile::Status::Missing; break;
        case TextFile::Status::BadEncoding: result.status = MattersFile::Status::BadEncoding; break;
        default: result.status = MattersFile::Status::Unreadable; break;
        }
        result.error = file.message;
        return result;
    }
    const auto fail = [&](MattersFile::Status status, std::string message) {
        result.status = status;
        result.error = std::move(message);
        result.records.clear();
        result.warnings.clear();
        return result;
    };

    std::vector<std::string> &lines = file.lines;
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i].find('\0') != std::string::npos) // UTF-16 text decodes as NULs
            return fail(MattersFile::Status::BadEncoding,
                        "『" + path + "』の" + lineText(static_cast<int>(i) + 1)
                            + "は、S-JISのテキストではありません。");

    // Empty lines at the end hold nothing.
    std::size_t n = lines.size();
    while (n > 0 && lines[n - 1].empty())
        --n;

    for (std::size_t i = 0; i < n; i += 3) {
        MatterRecord rec;
        rec.line = static_cast<int>(i) + 1;
        rec.name = lines[i];
        if (rec.name.empty())
            return fail(MattersFile::Status::Malformed,
                        "『" + path + "』の" + lineText(rec.line) + "に、占事名がありません。");
        if (commaCount(rec.name) >= MatterCellCount)
            return fail(MattersFile::Status::Malformed,
                        "『" + path + "』の" + lineText(rec.line)
                            + "は、占事名ではなく条件の行です。行が抜けているか、余分な行があります。");
        const bool hasText = i + 1 < n;
        const bool hasCode = i + 2 < n;
        if (hasText)
            rec.textLine = lines[i + 1];
        if (hasCode)
            rec.codeLine = lines[i + 2];

        // A values line without a single comma is a name out of its place,
        // unless the file was cut off within it.
        for (int k = 1; k <= 2; ++k) {
            const std::size_t at = i + static_cast<std::size_t>(k);
            if (at < n && at + 1 < n && !lines[at].empty() && commaCount(lines[at]) == 0)
                return fail(MattersFile::Status::Malformed,
                            "『" + path + "』の" + lineText(static_cast<int>(at) + 1)
                                + "は、条件の行ではありません。行が抜けているか、余分な行があります。");
        }

        std::array<std::string, MatterCellCount> codes{};
        std::array<std::string, MatterCellCount> texts{};
        const int extraCodes = splitValues(rec.codeLine, codes);
        const int extraTexts = splitValues(rec.textLine, texts);
        for (const std::string &code : codes)
            if (!code.empty() && !parseCell(code))
                return fail(MattersFile::Status::Malformed,
                            "『" + path + "』の" + lineText(rec.line + 2) + "（占事「" + rec.name
                                + "」の番号の行）に、数字でない値「" + code + "」があります。");
        if (extraCodes > 0 || extraTexts > 0)
            result.warnings.push_back("『" + path + "』の占事「" + rec.name + "」は、値が"
                                      + std::to_string(MatterCellCount)
                                      + "個を超えています。超えた分は使いません。");
        if (!hasCode)
            result.warnings.push_back("『" + path + "』の最後の占事「" + rec.name
                                      + "」は、行が足りません。足りない行は空欄として読みました。");
        for (const MatterRecord &earlier : result.records)
            if (sameMatterName(earlier.name, rec.name)) {
                result.warnings.push_back("『" + path + "』の" + lineText(rec.line) + "の占事「" + rec.name
                                          + "」は、" + lineText(earlier.line)
                                          + "と同じ名前です。先にある方が使われます。");
                break;
            }
        result.records.push_back(std::move(rec));
    }
    return result;
}

std::string writeMattersFile(const std::string &path, const MattersFile &file)
{
    if (!file.ok())
        return "『" + path + "』は正しく読み込めなかったため、上書きしません。";
    for (const MatterRecord &rec : file.records) {
        if (rec.name.empty() || hasLineBreak(rec.name) || hasLineBreak(rec.textLine) || hasLineBreak(rec.codeLine))
            return "『" + path + "』に保存できません。占事「" + rec.name + "」の名前か条件に、改行が含まれています。";
    }
    return writeTextFileAtomic(path, file.lines());
}

// ---- "Senji.Idx" -----------------------------------------------------------

int MatterList::indexOf(std::string_view name) const
{
    for (std::size_t i = 0; i < names.size(); ++i)
        if (sameMatterName(names[i], name))
            return static_cast<int>(i);
    return -1;
}

MatterListLoad readMatterList(const std::string &path)
{
    MatterListLoad load;
    TextFile file = StFileRead(path);
    if (file.status == TextFile::Status::Missing) {
        load.list.names = {"不問"};
        load.message = "『" + fileNameOf(path) + "』が、見つかりません。";
        return load;
    }
    bool bad = !file.ok();
    std::string message = file.message;
    for (std::size_t i = 0; !bad && i < file.lines.size(); ++i)
        if (file.lines[i].find('\0') != std::string::npos) {
            bad = true;
            message = "『" + path + "』の" + lineText(static_cast<int>(i) + 1) + "は、S-JISのテキストではありません。";
        }
    if (bad) {
        load.list.names = {"不問"};
        load.list.readFailed = true;
        load.message = message;
        return load;
    }
    for (std::string &line : file.lines)
        if (!line.empty())
            load.list.names.push_back(std::move(line));
    return load;
}

std::string writeMatterList(const std::string &path, const MatterList &list)
{
    if (list.readFailed)
        return "『" + path + "』は正しく読み込めなかったため、上書きしません。";
    for (const std::string &name : list.names)
        if (hasLineBreak(name))
            return "『" + path + "』に保存できません。占事名「" + name + "」に改行が含まれています。";
    return writeTextFileAtomic(path, list.names);
}

std::vector<std::string> unlistedMatters(const MatterList &list, const MattersFile &file)
{
    std::vector<std::string> out;
    for (const MatterRecord &rec : file.records)
        if (list.indexOf(rec.name) < 0) {
            bool seen = false;
            for (const std::string &s : out)
                seen = seen || sameMatterName(s, rec.name);
            if (!seen)
                out.push_back(rec.name);
        }
    return out;
}

// ---- The editor's file operations ------------------------------------------

MatterLoad readMatter(const std::string &datPath, std::string_view name)
{
    MatterLoad load;
    MattersFile file = readMattersFile(datPath);
    if (!file.ok()) {
        load.message = file.error;
        return load;
    }
    load.warnings = std::move(file.warnings);
    load.matter = file.find(name);
    if (!load.matter)
        load.message = "占事「" + std::string(name) + "」の条件が『" + datPath + "』にありません。";
    return load;
}

MatterSave saveMatter(const std::string &datPath, const Matter &matter, MatterList &list)
{
    MatterSave save;
    save.message = unstorableReason(matter);
    if (!save.message.empty())
        return save;
    MattersFile file = readMattersFile(datPath);
    if (!file.ok()) {
        save.message = file.error;
        return save;
    }
    file.saveOrReplace(matter);
    save.message = writeMattersFile(datPath, file);
    if (!save.message.empty())
        return save;
    const int item = list.indexOf(matter.name);
    if (item < 0) {
        list.names.insert(list.names.begin(), matter.name);
        save.added = true;
    } else {
        list.names[static_cast<std::size_t>(item)] = matter.name; // the spelling just saved
    }
    save.ok = true;
    return save;
}

MatterSave deleteMatter(const std::string &datPath, std::string_view name, MatterList &list)
{
    MatterSave result;
    MattersFile file = readMattersFile(datPath);
    if (!file.ok()) {
        result.message = file.error;
        return result;
    }
    if (file.remove(name)) {
        result.message = writeMattersFile(datPath, file);
        if (!result.message.empty())
            return result;
    }
    const int item = list.indexOf(name);
    if (item >= 0)
        list.names.erase(list.names.begin() + item);
    result.ok = true;
    return result;
}

std::string exportMattersCsv(const std::string &datPath, const std::string &csvPath)
{
    MattersFile file = readMattersFile(datPath);
    if (!file.ok())
        return file.error;
    std::string header;
    for (int g = 1; g <= MatterGroupCount; ++g)
        header += ",条件" + std::to_string(g) + ",,";
    std::vector<std::string> lines;
    lines.reserve(file.records.size() * 8);
    for (const MatterRecord &rec : file.records) {
        const Matter m = rec.matter();
        lines.push_back(m.name);
        lines.push_back(header);
        for (int r = 0; r < MatterRowCount; ++r) {
            std::string row = "And,";
            for (int column = 0; column < MatterColumnCount; ++column) {
                row += m.texts[static_cast<std::size_t>(column * MatterRowCount + r)];
                row += ',';
            }
            lines.push_back(std::move(row));
        }
        lines.emplace_back();
    }
    return writeTextFileAtomic(csvPath, lines);
}

} // namespace velm
