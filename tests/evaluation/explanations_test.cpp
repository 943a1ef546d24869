#include "evaluation/explanations.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/constdata.h"
#include "engine/koyomi.h"
#include "engine/symbols.h"
#include "evaluation/numbers.h"
#include "evaluation/patterns.h"
#include "evaluation/suusan.h"

namespace velm {
namespace {

namespace fs = std::filesystem;

// Line n of this fixture reads "説明n", except line 114 (景門) and line 198
// (pattern 55) which hold an in-line break.
const std::string Numbered = std::string(VELM_TEST_DATA_DIR) + "/setu-numbered.Dat";
const std::string Short = std::string(VELM_TEST_DATA_DIR) + "/setu-short.Dat"; // 150 lines "短n"
const std::string Utf16 = std::string(VELM_TEST_DATA_DIR) + "/setu-utf16.Dat";
const std::string DefaultFile = std::string(VELM_DATA_DIR) + "/SetuFile.Dat";
const std::string HelpFile = std::string(VELM_DATA_DIR) + "/VELMWIN.html";

std::string readBytes(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string numbered(int line)
{
    return "説明" + std::to_string(line);
}

std::vector<std::string> split(const std::string &text, const std::string &sep)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        std::size_t at = text.find(sep, start);
        parts.push_back(text.substr(start, at - start));
        if (at == std::string::npos)
            return parts;
        start = at + sep.size();
    }
}

class SetuFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "velm-setu-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
    }
    void TearDown() override { fs::remove_all(m_dir); }
    fs::path m_dir;
};

// --- line addressing ----------------------------------------------------------

TEST(SetuLines, EachChartRowReachesItsKindOfLine)
{
    struct Row {
        int row;
        int code;
        int line;
    };
    const Row rows[] = {
        {TenKan, 0, 0},       {TenKan, 9, 9},         {ChiKan, 3, 3},      {TenChiKan, 0, 10},
        {TenChiKan, 99, 109}, {TenChiKan, 62, 72},    {Mon, 1, 110},       {Mon, 8, 117},
        {Sei, 0, 118},        {Sei, 6, 124},          {Sei, 8, 126},       {Shin, 1, 127},
        {Shin, 8, 134},       {KyuSeiBan, 0, 135},    {KyuSeiBan, 8, 143}, {Kaku0, 1, 144},
        {Kaku0 + 4, 58, 201}, {Kaku0 + 2, 55, 198},
    };
    SetuTexts texts = SetuTexts::load(Numbered);
    ASSERT_TRUE(texts.ok()) << texts.error();
    for (const Row &r : rows) {
        EXPECT_EQ(setuLineOf(r.row, r.code), r.line) << r.row << "/" << r.code;
        if (r.line != 114 && r.line != 198) {
            EXPECT_EQ(SetuLineRead(texts, r.row, r.code), numbered(r.line)) << r.row << "/" << r.code;
        }
    }
    // Codes that name no symbol of the row would land on the neighbouring
    // kind's line (door 0 on the pair 癸癸, star 9 on 直符); they read empty.
    const Row none[] = {{Mon, 0, -1},   {Shin, 0, -1}, {Sei, 9, -1},  {Kaku0, 0, -1},
                        {Kaku0, 59, -1}, {TenKan, 10, -1}, {12, 1, -1}, {-1, 0, -1}};
    for (const Row &r : none) {
        EXPECT_EQ(setuLineOf(r.row, r.code), -1) << r.row << "/" << r.code;
        EXPECT_EQ(SetuLineRead(texts, r.row, r.code), "") << r.row << "/" << r.code;
    }
}

TEST(SetuLines, EditorListsAndChartRowsAgree)
{
    const ConstData names = MakeConstData();
    // kind -> the chart row showing it and the code of its first item.
    const int rowOf[SetuKindCount] = {TenKan, TenChiKan, Mon, Sei, Shin, KyuSeiBan, Kaku0};
    const int firstCode[SetuKindCount] = {0, 0, 1, 0, 1, 0, 1};
    std::set<int> seen;
    for (int k = 0; k < SetuKindCount; ++k) {
        const std::vector<std::string> targets = setuTargets(k, names);
        ASSERT_EQ(static_cast<int>(targets.size()), SetuKindItemCount[static_cast<std::size_t>(k)]) << k;
        for (int i = 0; i < static_cast<int>(targets.size()); ++i) {
            const int line = setuKindLine(k, i);
            EXPECT_EQ(line, setuLineOf(rowOf[k], firstCode[k] + i)) << k << "/" << i;
            seen.insert(line);
        }
        EXPECT_EQ(setuKindLine(k, -1), -1);
        EXPECT_EQ(setuKindLine(k, static_cast<int>(targets.size())), -1); // pattern 59 has no entry
    }
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(SetuLineCount)); // every line, once

    EXPECT_EQ(setuTargets(1, names)[16], "乙庚");
    EXPECT_EQ(setuTargets(2, names).front(), "休門");
    EXPECT_EQ(setuTargets(3, names)[6], "天内"); // the special character of the star
    EXPECT_EQ(setuTargets(4, names)[1], "騰蛇");
    EXPECT_EQ(setuTargets(6, names)[54], "五不遇時");
    EXPECT_EQ(setuTargets(6, names)[18], ""); // pattern 19 is unused
    EXPECT_TRUE(setuTargets(7, names).empty());
}

// --- "/r" ---------------------------------------------------------------------

TEST(SetuBreaks, TypedLinesBecomeOneStoredLineAndBack)
{
    EXPECT_EQ(setuToStored("一\n二\r三\r\n"), "一/r二/r三/r"); // any edit control's breaks
    EXPECT_EQ(setuToShown("一/r二/", "\n"), "一\n二/");          // a slash alone stays
    // "/r" typed by the user has no escape: it reads back as a break.
    EXPECT_EQ(setuToShown(setuToStored("a/rb")), "a\r\nb");

    SetuTexts texts;
    ASSERT_TRUE(texts.setText(2, 4, "景門一\r\n景門二")); // 景門
    EXPECT_EQ(texts.line(114), "景門一/r景門二");
    EXPECT_EQ(texts.text(2, 4), "景門一\r\n景門二");
    EXPECT_EQ(SetuLineRead(texts, Mon, 5), "景門一\r\n景門二");
    EXPECT_TRUE(texts.modified());
    EXPECT_FALSE(texts.setText(6, 58, "x")); // no pattern 59
}

// --- the file -------------------------------------------------------------------

TEST_F(SetuFileTest, SavingWhatWasReadGivesTheSameBytes)
{
    for (const std::string &source : {Numbered, DefaultFile}) {
        SetuTexts texts = SetuTexts::load(source);
        ASSERT_TRUE(texts.ok()) << texts.error();
        EXPECT_TRUE(texts.warning().empty());
        const fs::path copy = m_dir / "SetuFile.Dat";
        ASSERT_EQ(texts.save(copy.string()), "");
        EXPECT_EQ(readBytes(copy), readBytes(source)) << source;
    }
}

TEST_F(SetuFileTest, EditsReachTheFileAndOnlyTheirLine)
{
    const fs::path path = m_dir / "SetuFile.Dat";
    fs::copy_file(Numbered, path);
    SetuTexts texts = SetuTexts::load(path.string());
    ASSERT_TRUE(texts.setText(6, 54, "時干が日干を剋す。\n大事は避ける。"));
    ASSERT_EQ(texts.save(path.string()), "");
    EXPECT_FALSE(texts.modified());

    SetuTexts again = SetuTexts::load(path.string());
    ASSERT_TRUE(again.ok());
    ASSERT_EQ(again.lines().size(), static_cast<std::size_t>(SetuLineCount));
    EXPECT_EQ(again.text(6, 54), "時干が日干を剋す。\r\n大事は避ける。");
    for (int n = 0; n < SetuLineCount; ++n) {
        if (n != 198 && n != 114) {
            EXPECT_EQ(again.line(n), numbered(n)) << n;
        }
    }
}

TEST_F(SetuFileTest, AShortFileReadsEmptyTextsAndASaveCompletesIt)
{
    SetuTexts texts = SetuTexts::load(Short);
    EXPECT_TRUE(texts.ok());
    EXPECT_EQ(texts.fileLineCount(), 150);
    EXPECT_NE(texts.warning().find("150"), std::string::npos) << texts.warning();
    ASSERT_EQ(texts.lines().size(), static_cast<std::size_t>(SetuLineCount));
    EXPECT_EQ(texts.line(149), "短149");
    EXPECT_EQ(texts.line(150), "");
    EXPECT_EQ(texts.text(6, 57), "");                  // the last pattern, beyond the file
    EXPECT_EQ(SetuLineRead(texts, Kaku0, 55), "");    // 五不遇時 too
    EXPECT_EQ(texts.line(500), "");

    const fs::path path = m_dir / "SetuFile.Dat";
    ASSERT_EQ(texts.save(path.string()), "");
    std::string expected = readBytes(Short);
    for (int n = 150; n < SetuLineCount; ++n)
        expected += "\r\n";
    EXPECT_EQ(readBytes(path), expected);
    SetuTexts again = SetuTexts::load(path.string());
    EXPECT_EQ(again.fileLineCount(), SetuLineCount);
    EXPECT_TRUE(again.warning().empty());
}

TEST_F(SetuFileTest, ALongerFileKeepsItsExtraLines)
{
    const fs::path path = m_dir / "SetuFile.Dat";
    std::string bytes = readBytes(Numbered) + "extra\r\n";
    std::ofstream(path, std::ios::binary) << bytes;
    SetuTexts texts = SetuTexts::load(path.string());
    EXPECT_EQ(texts.lines().size(), static_cast<std::size_t>(SetuLineCount + 1));
    ASSERT_EQ(texts.save(path.string()), "");
    EXPECT_EQ(readBytes(path), bytes);
}

TEST_F(SetuFileTest, UnreadableFilesAreReportedAndNeverOverwritten)
{
    // Not CP932 but UTF-16: the message names the file, and a save refuses.
    const fs::path path = m_dir / "SetuFile.Dat";
    fs::copy_file(Utf16, path);
    SetuTexts bad = SetuTexts::load(path.string());
    EXPECT_EQ(bad.status(), SetuTexts::Status::BadEncoding);
    EXPECT_EQ(bad.error(), "『" + path.string() + "』は、UTF-16で書かれています。S-JISのテキストとして保存して下さい。");
    bad.setText(0, 0, "上書き");
    const std::string message = bad.save(path.string());
    EXPECT_NE(message.find(path.string()), std::string::npos) << message;
    EXPECT_EQ(readBytes(path), readBytes(Utf16));

    // Missing: the standard message and empty texts; the memo still composes.
    const fs::path missing = m_dir / "none.Dat";
    SetuTexts none = SetuTexts::load(missing.string());
    EXPECT_EQ(none.status(), SetuTexts::Status::Missing);
    EXPECT_EQ(none.error(), "『" + missing.string() + "』が、見つかりません。");
    EXPECT_EQ(none.lines().size(), static_cast<std::size_t>(SetuLineCount));
    EXPECT_EQ(SetuLineRead(none, TenKan, 0), "");

    // A text CP932 cannot hold: the save names the line, the old file stays.
    const fs::path good = m_dir / "good.Dat";
    fs::copy_file(Numbered, good);
    SetuTexts texts = SetuTexts::load(good.string());
    texts.setText(0, 2, "丙\u00e9"); // é has no CP932 code
    EXPECT_NE(texts.save(good.string()).find("3行目"), std::string::npos);
    EXPECT_EQ(readBytes(good), readBytes(Numbered));
}

// --- the explanation pane --------------------------------------------------------

struct HourChart {
    Koyomi koyomi;
    ChartRecord chart;
    std::string note;
};

// The hour chart of 2024-03-01 12:00: 甲 day, 庚午 hour, so 五不遇時. Laid by
// the rotating-plate method (no star in the centre). Palace 震 (index 7) holds
// heaven 甲 over earth 庚, 景門, 天蓬, 直符, 五黄 and the patterns 22 and 34.
HourChart hourChart(LayingMethod method = LayingMethod::Rotating)
{
    HourChart h;
    h.koyomi = DateToKyu(CivilTime{2024, 3, 1, 12, 0, 0}, KoyomiOptions{}, false);
    h.chart = BanCreate(h.koyomi, KindHour, method, &standardPatternDetector());
    h.note = std::string(FlagName[static_cast<std::size_t>(h.chart.BanFlagNo)]);
    return h;
}

TEST(SetuMemo, APalaceListsEveryRowWithItsText)
{
    const HourChart h = hourChart();
    ASSERT_EQ(h.note, "五不遇時");
    const ConstData names = MakeConstData();
    const SetuTexts texts = SetuTexts::load(Numbered);
    const std::vector<std::string> expected{
        "[天盤]<甲尊>", numbered(0), "",
        "[地盤]<庚儀>", numbered(6), "",
        "[天地盤]<甲庚>", numbered(16), "",
        "[八門]<景門>", "景門一\r\n景門二", "",
        "[九星]<天蓬>", numbered(123), "",
        "[八神]<直符>", numbered(127), "",
        "[紫白]<五黄>", numbered(139), "",
        "[格局]<" + names.PatternName[22] + ">", numbered(165), "", // two patterns, two headings
        "[格局]<" + names.PatternName[34] + ">", numbered(177), "",
        "", "",
        "[格局]<五不遇時>", "五不遇時一\r\n五不遇時二"};
    EXPECT_EQ(memoEntries(h.chart.Ban, 7, texts, names, h.note), expected);

    // Without the note the memo ends after the empty pattern rows.
    std::vector<std::string> plain(expected.begin(), expected.end() - 2);
    EXPECT_EQ(memoEntries(h.chart.Ban, 7, texts, names, "　　　　"), plain);
    EXPECT_EQ(memoEntries(h.chart.Ban, 7, texts, names, "五不遇時 "), plain); // exactly the note
}

TEST(SetuMemo, TheCentreKeepsTheSeparatorsOfWhatItLacks)
{
    const ConstData names = MakeConstData();
    const SetuTexts texts = SetuTexts::load(Numbered);
    const HourChart rotating = hourChart(LayingMethod::Rotating);
    // Centre: 壬 over 壬, no door, no star, no deity, 七赤.
    const std::vector<std::string> expected{
        "[天盤]<壬儀>", numbered(8), "",
        "[地盤]<壬儀>", numbered(8), "",
        "[天地盤]<壬壬>", numbered(98), "",
        "", "", "",
        "[紫白]<七赤>", numbered(141), "", "", "", "", ""};
    EXPECT_EQ(memoEntries(rotating.chart.Ban, 0, texts, names, "　　　　"), expected);

    // The flying-palace method puts a star in the centre, and it is listed.
    const HourChart flying = hourChart(LayingMethod::Flying);
    const int star = flying.chart.Ban[Sei][0];
    ASSERT_LE(star, 8);
    const std::vector<std::string> entries = memoEntries(flying.chart.Ban, 0, texts, names, "　　　　");
    ASSERT_GT(entries.size(), 12u);
    EXPECT_EQ(entries[10], "[九星]<天" + names.StarChar[static_cast<std::size_t>(star)] + ">");
    EXPECT_EQ(entries[11], numbered(118 + star));
}

TEST(SetuMemo, PanelViewsFollowTheScores)
{
    const HourChart h = hourChart();
    const ConstData names = MakeConstData();
    const SetuTexts texts = SetuTexts::load(Numbered);
    const NumbersFile numbers = readNumbersFile(std::string(VELM_DATA_DIR) + "/SuuFile.Dat");
    ASSERT_TRUE(numbers.ok()) << numbers.error;
    const SuuScores scores = SuuSan(h.chart, h.koyomi, numbers.tables, LayingMethod::Rotating);

    const PanelView view = PnlRead(h.chart.Ban, scores, 7, texts, names, h.note);
    EXPECT_EQ(view.TyuL, "五不遇時 ");
    EXPECT_EQ(view.kyu.HouiBox, 7);
    EXPECT_EQ(view.kyu.HouiPnl, "震");
    EXPECT_EQ(view.memo.SuuPnl, scoreText(scores.BanSuu[8][7]));
    const std::vector<std::string> memo = split(view.memo.Memo1, "\r\n");
    ASSERT_EQ(memo.size(), 33u); // 31 entries, two of them two lines
    EXPECT_EQ(memo.front(), "[天盤]<甲尊>");
    EXPECT_EQ(memo[10], "景門一");
    EXPECT_EQ(memo[11], "景門二");
    EXPECT_EQ(memo.back(), "五不遇時二");

    const ScoreGrids first = SGDisp(scores, 7);
    for (std::size_t e = 0; e < 4; ++e) {
        EXPECT_EQ(first.SG1[1][e], std::to_string(scores.SuuBase[e][7])) << e;
        EXPECT_EQ(first.SG1[3][e], std::to_string(scores.SuuBase[e + 4][7])) << e;
        EXPECT_EQ(first.SG1[0][e], SG1Caption0[e]);
        EXPECT_EQ(first.SG2[2][e], SG2Caption2[e]);
        EXPECT_EQ(first.SG2[1][e], scoreText(scores.BanSuu[8][e + 1])) << e;
        EXPECT_EQ(first.SG2[3][e], scoreText(scores.BanSuu[8][e + 5])) << e;
    }
    // SG2 is the same whichever palace is picked.
    for (int p = 0; p < 9; ++p)
        EXPECT_EQ(SGDisp(scores, p).SG2, first.SG2) << p;

    const PanelView outside = PnlRead(h.chart.Ban, scores, 9, texts, names, h.note);
    EXPECT_TRUE(outside.memo.Memo1.empty());
    EXPECT_TRUE(outside.kyu.HouiPnl.empty());
}

TEST(SetuMemo, ScoresShowTwoDecimals)
{
    EXPECT_EQ(scoreText(12.5), "12.50");
    EXPECT_EQ(scoreText(-3.0), "-3.00");
    EXPECT_EQ(scoreText(-0.001), "0.00"); // no "-0.00"
}

// --- the shipped data --------------------------------------------------------------

TEST(SetuDefaults, EveryUsedSymbolHasAText)
{
    const SetuTexts texts = SetuTexts::load(DefaultFile);
    ASSERT_TRUE(texts.ok()) << texts.error();
    EXPECT_EQ(texts.fileLineCount(), SetuLineCount);
    EXPECT_TRUE(texts.warning().empty());
    // Pattern numbers that no rule marks and that have no name.
    const std::set<int> unused{19, 20, 46, 47, 48, 49, 50, 51, 52, 53, 54, 56, 57, 58};
    for (int n = 0; n < SetuLineCount; ++n) {
        const bool expectEmpty = n >= 144 && unused.count(n - 143) > 0;
        EXPECT_EQ(texts.line(n).empty(), expectEmpty) << "line " << n;
    }
    EXPECT_FALSE(SetuLineRead(texts, Kaku0, GoFuguPattern).empty());
}

TEST(SetuDefaults, TheHelpFileHasEveryTopic)
{
    const std::string html = readBytes(HelpFile);
    ASSERT_FALSE(html.empty()) << HelpFile;
    for (const char *topic : {"10000", "10001", "20002", "3001", "30000", "40001", "40010", "40020", "40030",
                              "40040"})
        EXPECT_NE(html.find(std::string("<section id=\"") + topic + "\">"), std::string::npos) << topic;
}

} // namespace
} // namespace velm
