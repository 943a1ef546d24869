#include "output/charttext.h"

#include <cstdio>

#include "engine/codec.h"
#include "engine/ju.h"
#include "engine/symbols.h"

namespace velm {
namespace {

constexpr const char *BlankSlice = "　　　　";

std::string patternSlice(const BanRows &ban, int slot, int palace, const ConstData &names)
{
    int number = ban[static_cast<std::size_t>(Kaku0 + slot)][static_cast<std::size_t>(palace)];
    if (number < 0 || number >= PatternCount)
        number = 0;
    // Names are padded to four full-width characters; an empty entry shows blank.
    std::string name = names.PatternName[static_cast<std::size_t>(number)];
    int width = cp932Width(name);
    while (width < 8) {
        name += width <= 6 ? "　" : " ";
        width += width <= 6 ? 2 : 1;
    }
    return cutCp932(name, 8);
}

template <typename Table>
std::string_view at(const Table &table, int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= table.size())
        return "　";
    return table[static_cast<std::size_t>(index)];
}

std::string trimBlanks(std::string_view s)
{
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return std::string(s);
}

} // namespace

int palaceAt(int column, int row)
{
    for (int p = 0; p < 9; ++p)
        if (PalaceColumn[static_cast<std::size_t>(p)] == column && PalaceRow[static_cast<std::size_t>(p)] == row)
            return p;
    return -1;
}

PalaceText palaceText(const BanRows &ban, int palace, const ConstData &names)
{
    const auto i = static_cast<std::size_t>(palace);
    PalaceText text;
    std::string s0;
    s0 += at(StemName, ban[TenKan][i]);
    s0 += " ";
    s0 += at(names.StarChar, ban[Sei][i]);
    s0 += " ";
    s0 += at(NumeralKanji, ban[KyuSeiBan][i]);
    text[0] = padCp932(s0, 8);

    std::string s1;
    s1 += at(StemName, ban[ChiKan][i]);
    s1 += " ";
    s1 += at(DoorName, ban[Mon][i]);
    s1 += " ";
    s1 += at(DeityChar, ban[Shin][i]);
    text[1] = padCp932(s1, 8);

    text[2] = patternSlice(ban, 2, palace, names);
    text[3] = patternSlice(ban, 1, palace, names);
    text[4] = patternSlice(ban, 0, palace, names);
    text[5] = patternSlice(ban, 3, palace, names);
    text[6] = patternSlice(ban, 4, palace, names);
    return text;
}

ChartLabels chartLabels(const ChartRecord &chart, const Koyomi &koyomi, const ConstData &names)
{
    const int k = chart.BanShu;
    ChartLabels labels;
    labels.Label5 = "直使:" + std::string(at(DoorName, chart.ChokuFuMoto)) + "-"
        + std::string(at(TrigramName, chart.ChokuShiKyu));
    labels.Label6 = "直符:" + std::string(at(names.StarChar, RingToKyu[static_cast<std::size_t>(chart.ChokuFuKyu % 9)]))
        + "-" + std::string(at(TrigramName, RingToKyu[static_cast<std::size_t>(chart.JiKanKyu % 9)]));
    labels.Label7 = " [" + std::string(at(StemName, koyomi.BanKan[static_cast<std::size_t>(k)]))
        + std::string(at(BranchName, koyomi.BanShi[static_cast<std::size_t>(k)])) + "]";
    labels.KyokuL = std::string(at(DunName, koyomi.BanTon[static_cast<std::size_t>(k)]))
        + std::string(at(NumeralFull, koyomi.BanKyoku[static_cast<std::size_t>(k)])) + "局";
    int jun = KSToJun(koyomi.BanKan[static_cast<std::size_t>(k)], koyomi.BanShi[static_cast<std::size_t>(k)]);
    labels.JunL = "旬首[" + std::string(at(StemName, jun)) + "]";
    labels.TyuL = std::string(at(FlagName, chart.BanFlagNo));
    return labels;
}

std::string chartTitle(int kind, const CivilTime &moment)
{
    char buf[64];
    if (kind == KindHour)
        std::snprintf(buf, sizeof buf, "%02d/%02d/%02d %02d", moment.year % 100, moment.month,
                      moment.day, moment.hour);
    else
        std::snprintf(buf, sizeof buf, "%04d/%02d/%02d", moment.year, moment.month, moment.day);
    std::string title = std::string(at(KindChar, kind)) + "盤:" + buf;
    if (kind == KindHour)
        title += "時";
    return title;
}

std::string palaceHint(const PalaceText &text, const std::string &lineBreak)
{
    std::string hint;
    if (text[5] != BlankSlice)
        hint = text[5];
    if (text[6] != BlankSlice) {
        if (!hint.empty())
            hint += lineBreak;
        hint += text[6];
    }
    if (hint.empty())
        hint = "ｸﾘｯｸすると日付ﾃﾞｰﾀが変更されます";
    return hint;
}

std::vector<std::string> chartCopyLines(const std::string &title, const ChartLabels &labels,
                                        const std::array<PalaceText, 9> &palaces)
{
    std::vector<std::string> lines;
    lines.push_back(title + labels.Label7);
    lines.push_back(labels.KyokuL + " " + labels.JunL + " " + labels.TyuL);
    lines.push_back("┌────┬────┬────┐");
    for (int row = 0; row < 3; ++row) {
        for (int k = 0; k < 5; ++k) {
            std::string line = "│";
            for (int col = 0; col < 3; ++col)
                line += palaces[static_cast<std::size_t>(palaceAt(col, row))][static_cast<std::size_t>(k)] + "│";
            lines.push_back(line);
        }
        if (row < 2)
            lines.push_back("├────┼────┼────┤");
    }
    lines.push_back("└────┴────┴────┘");
    return lines;
}

std::vector<std::string> palaceCopyLines(const std::string &title, int palace, const PalaceText &text)
{
    std::vector<std::string> lines;
    lines.push_back(title);
    lines.push_back(std::string(at(TrigramName, palace)) + "宮(" + trimBlanks(at(DirectionName, palace)) + ")");
    lines.push_back("┌────┐");
    for (int k = 0; k < 5; ++k)
        lines.push_back("│" + text[static_cast<std::size_t>(k)] + "│");
    lines.push_back("└────┘");
    return lines;
}

} // namespace velm
