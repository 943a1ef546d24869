#pragma once

// Numbering conventions and the constant symbol tables.
//
// Chart kind 0..3 = year, month, day, hour. Stems 0..9 from 甲, branches 0..11
// from 子, sexagenary index 0..59 (0 = 甲子). Every nine-cell array is indexed by
// palace index = (palace number + 4) mod 9, so index 0 is the centre (palace 5)
// and index + 1 is the next palace in Lo Shu order 5 6 7 8 9 1 2 3 4. Ring
// position 0 is the centre, 1..8 run clockwise from the north.
//
// Texts are UTF-8 here; their CP932 widths match the fixed byte lengths the
// files and grids use (see static_asserts in the tests).

#include <array>
#include <string_view>

namespace velm {

enum ChartKind : int { KindYear = 0, KindMonth = 1, KindDay = 2, KindHour = 3 };

// palace index -> ring position, and back.
inline constexpr std::array<int, 9> KyuToRing{0, 8, 7, 2, 5, 1, 6, 3, 4};
inline constexpr std::array<int, 9> RingToKyu{0, 5, 3, 7, 8, 4, 6, 2, 1};

constexpr bool ringTablesInverse()
{
    for (int p = 0; p < 9; ++p)
        if (KyuToRing[RingToKyu[p]] != p || RingToKyu[KyuToRing[p]] != p)
            return false;
    return true;
}
static_assert(ringTablesInverse());

// Sexagenary index of a stem and branch of equal parity (0 = 甲子).
constexpr int sexagenary(int stem, int branch)
{
    return ((6 * stem - 5 * branch) % 60 + 60) % 60;
}
static_assert(sexagenary(0, 0) == 0 && sexagenary(9, 11) == 59 && sexagenary(5, 9) == 45);

inline constexpr std::array<std::string_view, 10> StemName{
    "甲", "乙", "丙", "丁", "戊", "己", "庚", "辛", "壬", "癸"};
inline constexpr std::array<std::string_view, 10> StemRole{
    "甲尊", "乙奇", "丙奇", "丁奇", "戊儀", "己儀", "庚儀", "辛儀", "壬儀", "癸儀"};
inline constexpr std::array<std::string_view, 12> BranchName{
    "子", "丑", "寅", "卯", "辰", "巳", "午", "未", "申", "酉", "戌", "亥"};
inline constexpr std::array<std::string_view, 9> NineStarName{
    "一白", "二黒", "三碧", "四緑", "五黄", "六白", "七赤", "八白", "九紫"};
inline constexpr std::array<std::string_view, 9> NumeralFull{
    "１", "２", "３", "４", "５", "６", "７", "８", "９"};
inline constexpr std::array<std::string_view, 9> NumeralKanji{
    "一", "二", "三", "四", "五", "六", "七", "八", "九"};
// Door 0 is the centre (none); 1..8 is the door whose home is ring position 1..8.
inline constexpr std::array<std::string_view, 9> DoorName{
    "　", "休", "生", "傷", "杜", "景", "死", "驚", "開"};
inline constexpr std::array<std::string_view, 9> DeityChar{
    "　", "符", "蛇", "陰", "合", "陳", "雀", "地", "天"};
// Constant sources of the two tables that take special characters; the
// start-up tables are built from them by MakeConstData.
inline constexpr std::array<std::string_view, 9> DeityNameSource{
    "　", "直符", "騰蛇", "太陰", "六合", "勾陳", "朱雀", "九地", "九天"};
inline constexpr std::array<std::string_view, 10> StarCharSource{
    "禽", "心", "柱", "任", "英", "蓬", "内", "冲", "輔", "　"};
inline constexpr std::array<std::string_view, 9> TrigramName{
    "中", "乾", "兌", "艮", "離", "坎", "坤", "震", "巽"};
// One-character directions keep their leading half-width blank.
inline constexpr std::array<std::string_view, 9> DirectionName{
    "中宮", "北西", " 西", "北東", " 南", " 北", "南西", " 東", "南東"};
inline constexpr std::array<std::string_view, 24> TermName{
    "冬至", "小寒", "大寒", "立春", "雨水", "啓蟄", "春分", "清明",
    "穀雨", "立夏", "小満", "芒種", "夏至", "小暑", "大暑", "立秋",
    "処暑", "白露", "秋分", "寒露", "霜降", "立冬", "小雪", "大雪"};
// Upper-yuan ju (1..9) of each term.
inline constexpr std::array<int, 24> TermJu{
    1, 2, 3, 8, 9, 1, 3, 4, 5, 4, 5, 6, 9, 8, 7, 2, 1, 9, 7, 6, 5, 6, 5, 4};
inline constexpr std::array<std::string_view, 5> SeasonName{
    "春月", "夏月", "秋月", "冬月", "土用"};
inline constexpr std::array<std::string_view, 3> YuanName{"上元", "中元", "下元"};
inline constexpr std::array<std::string_view, 2> DunName{"陽", "陰"};
// Stems 乙 丙 丁 癸 壬 辛 庚 己 戊: the earth-plate order read backward.
inline constexpr std::array<int, 9> ChiBanJun{1, 2, 3, 9, 8, 7, 6, 5, 4};
// Branch of each clock hour; hour 23 is already the next 子.
inline constexpr std::array<int, 24> HourBranch{
    0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 0};
inline constexpr std::array<std::string_view, 5> FlagName{
    "　　　　", "旬首中宮", "時干中宮", "直使中宮", "五不遇時"};
inline constexpr std::array<std::string_view, 4> KindChar{"年", "月", "日", "時"};

// Pattern texts with "●" where a special character goes (27, 28, 37); the
// start-up table is built from this by MakeConstData.
inline constexpr int PatternCount = 60;
inline constexpr std::array<std::string_view, PatternCount> PatternNameSource{
    "　　　　", "靑龍返首", "飛鳥跌穴", "　天遁　", "　地遁　", // 0-4
    "　人遁　", "　雲遁　", "　風遁　", "　龍遁　", "　虎遁　", // 5-9
    "　神遁　", "　鬼遁　", "乙奇得使", "丙奇得使", "丁奇得使", // 10-14
    "乙奇昇殿", "丙奇昇殿", "丁奇昇殿", "玉女守門", "",         // 15-19
    "　　　　", " 伏宮格 ", " 飛宮格 ", "　戦格　", "　大格　", // 20-24
    "　小格　", "　刑格　", "●ｹｲ入太白", "●太白入ｹｲ", "　歳格　", // 25-29
    "　月格　", "　日格　", "　時格　", "　伏干　", "　雲干　", // 30-34
    "靑龍逃走", "白虎猖狂", "●騰蛇妖矯", "朱雀投江", "　天羅　", // 35-39
    "　地網　", "三奇入墓", "六儀撃刑", "　伏吟　", "　反吟　", // 40-44
    "　門迫　", "", "", "", "",                                 // 45-49
    "", "", "", "", "",                                         // 50-54
    "五不遇時", "", "", "", ""};                                // 55-59

// Kind character ("年" "月" "日" "時") to chart kind; 9 for anything else.
int MojiToShu(std::string_view text);

} // namespace velm
