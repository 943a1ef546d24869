#include "evaluation/sencheck.h"

#include "evaluation/numbers.h"

namespace velm {

namespace {

// Runs a palace test in the direction the found direction allows; an
// excluded palace (bit p of `excluded`) is never examined and never passes.
template <typename Passes>
CheckResult examine(std::uint8_t found, int direction, std::uint16_t excluded, Passes passes)
{
    if (found < NoDirection)
        direction = found;
    if (direction == AllDirections) {
        // Every passing palace sets the found direction in ascending order, so
        // the highest one is what remains: look from the top and stop there.
        for (int p = 8; p >= 1; --p)
            if (((excluded >> p) & 1) == 0 && passes(static_cast<std::size_t>(p)))
                return {true, static_cast<std::uint8_t>(p)};
        return {false, found};
    }
    if (direction >= 1 && direction <= 8)
        return {((excluded >> direction) & 1) == 0 && passes(static_cast<std::size_t>(direction)), found};
    return {false, found};
}

std::string faultText(const Matter &m, int group, int row, std::string_view what, const std::string &text)
{
    return "占事「" + m.name + "」の条件" + std::to_string(group + 1) + "の" + std::to_string(row + 1) + "行目の"
        + std::string(what) + "「" + text + "」が、数字ではありません。";
}

std::string rangeText(const Matter &m, int group, int row, std::string_view what, const std::string &text)
{
    return "占事「" + m.name + "」の条件" + std::to_string(group + 1) + "の" + std::to_string(row + 1) + "行目の"
        + std::string(what) + "「" + text + "」は、ありえない番号です。";
}

} // namespace

SenMatter compileMatter(const Matter &m)
{
    SenMatter out;
    out.name = m.name;
    for (int g = 0; g < MatterGroupCount; ++g) {
        if (m.text(g, CellElement, 0).empty())
            continue; // a group without a first condition is not in use
        SenGroup group;
        for (int r = 0; r < MatterRowCount; ++r) {
            if (m.text(g, CellElement, r).empty())
                continue; // an empty row holds
            const std::optional<int> kind = parseCell(m.code(g, CellElement, r));
            const std::optional<int> op = parseCell(m.code(g, CellOperator, r));
            const std::optional<int> target = parseCell(m.code(g, CellTarget, r));
            if (!kind)
                out.faults.push_back(faultText(m, g, r, "要素の番号", m.code(g, CellElement, r)));
            if (!op)
                out.faults.push_back(faultText(m, g, r, "条件式の番号", m.code(g, CellOperator, r)));
            if (!target)
                out.faults.push_back(faultText(m, g, r, "対象の番号", m.code(g, CellTarget, r)));
            if (!kind || !op || !target)
                continue;
            // Codes the editor never writes: a hand-edited or damaged file. The
            // matter cannot mean what its texts say, so it is refused whole
            // rather than searched with a condition that silently never holds.
            if (*kind < ElemSuuchi || *kind >= MatterElementCount) {
                out.faults.push_back(rangeText(m, g, r, "要素の番号", m.code(g, CellElement, r)));
                continue;
            }
            if (*kind != ElemSuuchi && (*target < 0 || *target > lastTargetCode(*kind))) {
                out.faults.push_back(rangeText(m, g, r, "対象の番号", m.code(g, CellTarget, r)));
                continue;
            }

            SenCondition c;
            c.kind = static_cast<std::uint8_t>(*kind);
            if (*kind == ElemSuuchi || *target == 0) {
                const std::optional<double> x = parseThreshold(m.text(g, CellTarget, r));
                if (!x) {
                    out.faults.push_back(faultText(m, g, r, "数値", m.text(g, CellTarget, r)));
                    continue;
                }
                c.test = SenCondition::Test::Number;
                c.threshold = *x;
            } else if (*kind == ElemKaku) {
                c.test = *op == 0 ? SenCondition::Test::PatternEqual : SenCondition::Test::PatternNotEqual;
                c.value = *target;
            } else {
                c.test = *op == 0 ? SenCondition::Test::Equal : SenCondition::Test::NotEqual;
                c.row = static_cast<std::uint8_t>(*kind - 1);
                // Doors and deities are numbered from 1 in the chart as in the
                // target list; stems, stem pairs, stars and nine-stars from 0.
                c.value = (*kind == ElemMon || *kind == ElemShin) ? *target : *target - 1;
            }
            group.rows[group.count++] = c;
        }
        out.groups[out.groupCount++] = group;
    }
    return out;
}

SenMatterLoad loadSenMatter(const std::string &datPath, std::string_view name)
{
    SenMatterLoad load;
    MatterLoad read = readMatter(datPath, name);
    load.warnings = std::move(read.warnings);
    if (!read.matter) {
        load.message = std::move(read.message);
        return load;
    }
    load.matter = compileMatter(*read.matter);
    load.ok = load.matter.usable();
    if (!load.ok) {
        for (const std::string &fault : load.matter.faults) {
            if (!load.message.empty())
                load.message += "\n";
            load.message += fault;
        }
    }
    return load;
}

CheckResult SuuCheck(std::uint8_t found, int direction, int kind, double threshold, const SuuScores &scores,
                     std::uint16_t excluded)
{
    if (kind == ElemSuuchi)
        return examine(found, direction, excluded, [&](std::size_t p) { return scores.BanSuu[ElementCount][p] >= threshold; });
    if (kind < 1 || kind > ElementCount)
        return {false, found};
    const auto &row = scores.SuuBase[static_cast<std::size_t>(kind - 1)];
    return examine(found, direction, excluded, [&](std::size_t p) { return row[p] >= threshold; });
}

CheckResult HosCheck(std::uint8_t found, int direction, int kind, int target, int op, const BanRows &CurBan,
                     std::uint16_t excluded)
{
    if (kind < ElemTenBan || kind > ElemShiHaku)
        return {false, found};
    // 64 bits: any int a file holds minus one must not overflow.
    const std::int64_t value = (kind == ElemMon || kind == ElemShin) ? target : std::int64_t{target} - 1;
    const auto &row = CurBan[static_cast<std::size_t>(kind - 1)];
    if (op == 0)
        return examine(found, direction, excluded, [&](std::size_t p) { return row[p] == value; });
    return examine(found, direction, excluded, [&](std::size_t p) { return row[p] != value; });
}

namespace {

CheckResult patternCheck(std::uint8_t found, int direction, int value, bool equal, const BanRows &CurBan,
                         std::uint16_t excluded)
{
    return examine(found, direction, excluded, [&](std::size_t p) {
        for (std::size_t s = 0; s < 5; ++s) {
            const int slot = CurBan[Kaku0 + s][p];
            if (slot != 0 && (slot == value) == equal)
                return true;
        }
        return false;
    });
}

} // namespace

CheckResult KakCheck(std::uint8_t found, int direction, int target, int op, const BanRows &CurBan,
                     std::uint16_t excluded)
{
    return patternCheck(found, direction, target, op == 0, CurBan, excluded);
}

CheckResult CellCheck(const SenCondition &c, std::uint8_t found, int direction, const BanRows &CurBan,
                      const SuuScores &scores, std::uint16_t excluded)
{
    using Test = SenCondition::Test;
    switch (c.test) {
    case Test::Number:
        return SuuCheck(found, direction, c.kind, c.threshold, scores, excluded);
    case Test::Equal: {
        const auto &row = CurBan[c.row];
        return examine(found, direction, excluded, [&](std::size_t p) { return row[p] == c.value; });
    }
    case Test::NotEqual: {
        const auto &row = CurBan[c.row];
        return examine(found, direction, excluded, [&](std::size_t p) { return row[p] != c.value; });
    }
    case Test::PatternEqual:
        return patternCheck(found, direction, c.value, true, CurBan, excluded);
    case Test::PatternNotEqual:
        return patternCheck(found, direction, c.value, false, CurBan, excluded);
    case Test::Never:
        break;
    }
    return {false, found};
}

SenResult SenCheck(const SenMatter &matter, int direction, const BanRows &CurBan, const SuuScores &scores,
                   std::uint16_t excluded)
{
    if (!matter.usable())
        return {};
    // The reported direction is that of the last matching group, so the
    // groups are tried from the last and the first match decides. A group's
    // found direction starts afresh; once a row fails the group cannot match,
    // and nothing it found would be reported.
    for (int g = matter.groupCount - 1; g >= 0; --g) {
        const SenGroup &group = matter.groups[static_cast<std::size_t>(g)];
        std::uint8_t found = NoDirection;
        bool holds = true;
        for (int r = 0; r < group.count && holds; ++r) {
            const CheckResult check = CellCheck(group.rows[static_cast<std::size_t>(r)], found, direction, CurBan, scores, excluded);
            holds = check.pass;
            found = check.found;
        }
        if (holds)
            return {true, found};
    }
    return {};
}

} // namespace velm
