// Chart-data list rows and the chart-data files a separate web program reads
// byte for byte.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <regex>
#include <sstream>

#include "engine/codec.h"
#include "engine/koyomi.h"
#include "evaluation/patterns.h"
#include "output/chartdata.h"
#include "output/walk.h"

using namespace velm;
namespace fs = std::filesystem;

namespace {

std::string readBytes(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Lines of a CR LF file; fails the test on a bare LF.
std::vector<std::string> crlfLines(const std::string &bytes)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find("\r\n", start);
        EXPECT_NE(end, std::string::npos) << "unterminated last line";
        if (end == std::string::npos)
            end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        EXPECT_EQ(line.find('\n'), std::string::npos);
        lines.push_back(line);
        start = end + 2;
    }
    return lines;
}

std::vector<std::string> words(const std::string &line)
{
    std::istringstream in(line);
    return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

class TempDir {
public:
    TempDir()
    {
        std::string pattern = (fs::temp_directory_path() / "velm-bdata-XXXXXX").string();
        m_path = ::mkdtemp(pattern.data());
    }
    ~TempDir() { fs::remove_all(m_path); }
    const fs::path &path() const { return m_path; }

private:
    fs::path m_path;
};

ChartFileOptions oneYear(const fs::path &folder, int year)
{
    ChartFileOptions o;
    o.folder = folder.string();
    o.fromYear = year;
    o.toYear = year;
    return o;
}

const std::regex CodePalaces{"([0-9]{6},){8}[0-9]{6} "};

} // namespace

// ---------------------------------------------------------------- the list

TEST(ChartDataRow, HourChartOfTheWorkedExample)
{
    // 2024-03-01 12:00, a Friday: 甲辰 丙寅 甲子 庚午, term period 啓蟄 上元,
    // yang ju 1. 庚午 lies in the 甲子 xun (head under 戊), and 庚午 on a 甲 day
    // is the 五不遇時. The duty door 休 starts at palace 1 (where 戊 lies in
    // yang ju 1) and moves six palaces on to 兌 (palace 7).
    std::string row = FindProc(CivilTime{2024, 3, 1, 12, 0, 0}, KindHour, KoyomiOptions{}, LayingMethod::Rotating);
    ASSERT_EQ(row.rfind("時盤,2024/03/01,12,金,甲辰,丙寅,甲子,庚午,啓蟄上元,陽１局,戊,五不遇時,休-兌,", 0), 0u) << row;
    std::size_t commas = 0;
    for (char c : row)
        commas += c == ',';
    EXPECT_EQ(commas, 14u);
    EXPECT_EQ(row.back(), ',');
}

TEST(ChartDataRow, OtherKindsShowThePlainTerm)
{
    // 雨水 began on 2024-02-19; 甲辰 heads its own xun, which hides under 壬;
    // the sixty-year rule puts 2004..2063 on 陰遁７局.
    Koyomi k = DateToKyu(CivilTime{2024, 3, 1, 10, 0, 0}, KoyomiOptions{});
    ChartRecord year = BanCreate(k, KindYear, LayingMethod::Rotating, &standardPatternDetector());
    ChartDataRow row = chartDataRow(CivilTime{2024, 3, 1, 10, 45, 0}, k, year);
    EXPECT_EQ(row[0], "年盤");
    EXPECT_EQ(row[2], "10");
    EXPECT_EQ(row[8], "雨水");
    EXPECT_EQ(row[9], "陰７局");
    EXPECT_EQ(row[10], "壬");
    EXPECT_EQ(row[13], "３"); // 2024 is a 三碧 year
}

TEST(ChartDataList, HourWalkFromQuarterToTheHour)
{
    ChartDataListOptions o;
    o.start = CivilTime{2024, 3, 1, 10, 45, 0};
    o.kind = KindHour;
    o.count = 13;
    ChartDataList list = ListProc(o);
    ASSERT_EQ(list.count, 13);
    ASSERT_EQ(list.rows.size(), 13u);
    EXPECT_EQ(list.rows[0].rfind("時盤,2024/03/01,10,金,", 0), 0u) << list.rows[0];
    EXPECT_EQ(list.rows[1].rfind("時盤,2024/03/01,12,金,", 0), 0u) << list.rows[1];
    EXPECT_EQ(list.rows[12].rfind("時盤,2024/03/02,10,土,", 0), 0u) << list.rows[12];
}

TEST(ChartDataList, NothingMadeOrStopped)
{
    ChartDataListOptions o;
    o.start = CivilTime{2024, 3, 1, 10, 0, 0};
    for (long count : {0L, -3L}) {
        o.count = count;
        ChartDataList list = ListProc(o);
        EXPECT_EQ(list.count, 0);
        EXPECT_TRUE(list.rows.empty());
    }

    // Stopping keeps the rows made before the stop.
    o.count = 100;
    ChartDataList list = ListProc(o, [](long made) { return made < 16; });
    EXPECT_TRUE(list.cancelled);
    EXPECT_EQ(list.count, 16);
    EXPECT_EQ(list.rows.size(), 16u);

    list = ListProc(o, [](long) { return false; });
    EXPECT_EQ(list.count, 0);
}

TEST(ChartDataList, ListModelSplitsEachRowIntoItsColumns)
{
    ChartDataListOptions o;
    o.start = CivilTime{2024, 3, 1, 12, 0, 0};
    o.kind = KindHour;
    o.count = 2;
    ChartDataList list = ListProc(o);
    ListModel model = chartDataListModel(list);
    EXPECT_EQ(model.SenL, " 作盤データ  ");
    EXPECT_EQ(model.CntL, "2");
    EXPECT_EQ(listKindOf(model.SenL), ListKind::ChartData);
    ASSERT_EQ(model.rows.size(), 3u);
    EXPECT_EQ(model.rows[0][1], "日  付");
    EXPECT_EQ(model.rows[0][12], "直使");
    const ListRow want{"時盤", "2024/03/01", "12", "金", "甲辰", "丙寅", "甲子", "庚午",
                       "啓蟄上元", "陽１局", "戊", "五不遇時", "休-兌", "７", ""};
    EXPECT_EQ(model.rows[1], want);
    EXPECT_EQ(model.rows[2][2], "14");
    EXPECT_EQ(model.rows[2][14], "");

    // The count is of moments made, even when a row could not be made; a row
    // text without its final comma loses nothing but the unterminated tail.
    ChartDataList odd;
    odd.count = 5;
    odd.rows = {"a,b,,d", ""};
    model = chartDataListModel(odd);
    EXPECT_EQ(model.CntL, "5");
    ASSERT_EQ(model.rows.size(), 3u);
    EXPECT_EQ(model.rows[1][0], "a");
    EXPECT_EQ(model.rows[1][2], "");
    EXPECT_EQ(model.rows[1][3], "");
    EXPECT_EQ(model.rows[2], ListRow{});
}

// A long list goes to its file row by row, in the very bytes of the whole
// list written at once; the walk ends on the calendar's last day.
TEST(ChartDataList, StreamedListFileHasTheBytesOfTheWholeList)
{
    TempDir dir;
    ChartDataListOptions o;
    o.start = CivilTime{9999, 12, 20, 10, 45, 0};
    o.kind = KindHour;
    o.count = 2'147'483'647;
    EXPECT_EQ(chartDataListLength(o), 11 * 12 + 7);
    const ChartDataList whole = ListProc(o);
    EXPECT_TRUE(whole.ended);
    EXPECT_EQ(whole.last, (CivilTime{9999, 12, 31, 22, 45, 0}));
    ASSERT_EQ(writeListFile((dir.path() / "whole.csv").string(), chartDataListModel(whole)), "");

    const std::string streamed = (dir.path() / "streamed.csv").string();
    ChartDataList made;
    const std::string message = writeListFileStream(
        streamed, ChartDataSenL, std::to_string(chartDataListLength(o)), chartDataCaptionRow(),
        [&](const ListRowSink &add) {
            made = ListProc(o, {}, [&](const std::string &row) { return add(chartDataListRow(row)); });
            return std::string();
        });
    ASSERT_EQ(message, "");
    EXPECT_TRUE(made.rows.empty()); // nothing kept in memory
    EXPECT_EQ(made.count, whole.count);
    EXPECT_EQ(readBytes(streamed), readBytes(dir.path() / "whole.csv"));

    // A refused producer or an unwritable cell leaves the old file as it was.
    const std::string before = readBytes(streamed);
    EXPECT_EQ(writeListFileStream(streamed, ChartDataSenL, "1", chartDataCaptionRow(),
                                  [](const ListRowSink &) { return std::string("やめました"); }),
              "やめました");
    EXPECT_NE(writeListFileStream(streamed, ChartDataSenL, "1", chartDataCaptionRow(),
                                  [](const ListRowSink &add) {
                                      EXPECT_FALSE(add(ListRow{"a,b"}));
                                      return std::string();
                                  }),
              "");
    EXPECT_EQ(readBytes(streamed), before);
}

// ---------------------------------------------------------------- the files

TEST(ChartDataFiles, YearMonthFileOf2004)
{
    // The first lines as the web program reads them: 立春 2003 and 立春 2004
    // with their year charts (July 1), then the month from 大雪 2003.
    // Checked by hand in the fixture: the flying stars of every line (六白,
    // 五黄 and 四緑 in the centre), the earth plates of 陰遁７局 (years, with 庚
    // hiding 甲申 in the centre) and 陰遁１局 (month), and the whole of the
    // 甲子-month line: a 伏吟 chart with stars, doors and deities at home and
    // 直符 at palace 1 running backward.
    TempDir dir;
    ChartFileOptions o = oneYear(dir.path(), 2004);
    o.dayHour = false;
    ChartFileResult r = writeChartDataFiles(o);
    ASSERT_TRUE(r.ok()) << r.message;
    ASSERT_EQ(r.written, (std::vector<std::string>{(dir.path() / "2004.dat").string()}));

    const std::string bytes = readBytes(dir.path() / "2004.dat");
    const std::string head = readBytes(fs::path(VELM_TEST_DATA_DIR) / "bdata-2004-head.dat");
    ASSERT_FALSE(head.empty());
    EXPECT_EQ(bytes.substr(0, head.size()), head);

    std::vector<std::string> lines = crlfLines(bytes);
    ASSERT_EQ(lines.size(), 15u);
    // Dates of the month-opening terms of 2004, 小寒 (January 6) to 大雪
    // (December 7), as the almanac of that year gives them.
    const char *months[] = {"0204", "0204", "1207", "0106", "0204", "0305", "0404", "0505",
                            "0605", "0707", "0807", "0907", "1008", "1107", "1207"};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].substr(0, 4), months[i]) << i;
        EXPECT_TRUE(std::regex_match(lines[i].substr(9), CodePalaces)) << lines[i];
        EXPECT_EQ(lines[i][8], ' ');
    }
}

TEST(ChartDataFiles, TextOutputNamesTheItems)
{
    TempDir dir;
    ChartFileOptions o = oneYear(dir.path(), 2004);
    o.dayHour = false;
    o.output = ChartFileOutput::Text;
    ASSERT_TRUE(writeChartDataFiles(o).ok());
    CodecResult text = decodeCp932(readBytes(dir.path() / "2004.dat"));
    ASSERT_TRUE(text.ok);
    std::vector<std::string> lines = crlfLines(text.text);
    ASSERT_EQ(lines.size(), 15u);
    // The 甲子-month line of the fixture: 丁 輔 三 丁 杜 雀 in the south-east,
    // and a centre with no star, door or deity.
    EXPECT_EQ(lines[2].substr(0, 9 + 18), "12072152 丁輔三丁杜雀");
    EXPECT_NE(lines[2].find(",癸　四癸　　,"), std::string::npos) << lines[2];
    EXPECT_EQ(lines[2].back(), ' ');
}

TEST(ChartDataFiles, LeapFebruaryAndDayLines)
{
    TempDir dir;
    ChartFileOptions o = oneYear(dir.path(), 2004);
    std::vector<std::string> feb = dayFileLines(2004, 2, o);
    ASSERT_EQ(feb.size(), 29u);
    EXPECT_EQ(dayFileLines(2003, 2, o).size(), 28u);
    EXPECT_EQ(dayFileLines(2100, 2, o).size(), 28u); // no leap year
    std::vector<std::string> mar = dayFileLines(2004, 3, o);
    ASSERT_EQ(mar.size(), 31u);

    for (std::size_t d = 0; d < feb.size(); ++d) {
        std::vector<std::string> w = words(feb[d]);
        ASSERT_EQ(w.size(), 15u) << feb[d];
        char mmdd[16];
        std::snprintf(mmdd, sizeof mmdd, "02%02d", static_cast<int>(d + 1));
        EXPECT_EQ(w[0], mmdd);
        EXPECT_EQ(feb[d].back(), ' ');
        EXPECT_TRUE(std::regex_match(feb[d].substr(5), std::regex{"(([0-9]{6},){8}[0-9]{6} ){14}"}));
        // The last hour chart is the 0:30 chart of the following day.
        const std::string next = d + 1 < feb.size() ? feb[d + 1] : mar[0];
        EXPECT_EQ(w[14], words(next)[2]) << d;
    }

    // The day chart takes the facts of 0:30, as the first hour chart does.
    Koyomi k = DateToKyu(CivilTime{2004, 2, 29, 0, 30, 0}, o.koyomi);
    ChartRecord day = BanCreate(k, KindDay, o.method, &standardPatternDetector());
    ChartRecord hour = BanCreate(k, KindHour, o.method, &standardPatternDetector());
    std::vector<std::string> w = words(feb[28]);
    EXPECT_EQ(w[1] + " ", chartPalaceText(day.Ban, ChartFileOutput::Code, o.names));
    EXPECT_EQ(w[2] + " ", chartPalaceText(hour.Ban, ChartFileOutput::Code, o.names));
    // 22:30 is the twelfth step of two hours.
    Koyomi late = DateToKyu(walkMoment(CivilTime{2004, 2, 29, 0, 30, 0}, KindHour, 11), o.koyomi);
    EXPECT_EQ(late.BanShi[3], 11); // 亥
    EXPECT_EQ(w[13] + " ", chartPalaceText(BanCreate(late, KindHour, o.method, &standardPatternDetector()).Ban,
                                           ChartFileOutput::Code, o.names));
}

TEST(ChartDataFiles, BothFolderLayoutsHoldTheSameBytes)
{
    TempDir dir;
    // A folder typed without, and one with, a trailing separator.
    ChartFileOptions same = oneYear(dir.path() / "same", 2004);
    ChartFileOptions years = oneYear(dir.path() / "years" / "deep", 2004);
    years.folder += "/";
    years.layout = ChartFileLayout::YearFolders;
    ChartFileResult a = writeChartDataFiles(same);
    ChartFileResult b = writeChartDataFiles(years);
    ASSERT_TRUE(a.ok()) << a.message;
    ASSERT_TRUE(b.ok()) << b.message;
    ASSERT_EQ(a.written.size(), 13u);
    ASSERT_EQ(b.written.size(), 13u);

    const fs::path s = dir.path() / "same";
    const fs::path y = dir.path() / "years" / "deep";
    EXPECT_EQ(a.written[0], (s / "2004.dat").string());
    EXPECT_EQ(a.written[2], (s / "200402.dat").string());
    EXPECT_EQ(b.written[0], (y / "2004.dat").string());
    EXPECT_EQ(b.written[2], (y / "2004" / "02.dat").string());
    EXPECT_EQ(b.written[12], (y / "2004" / "12.dat").string());
    for (const std::string &path : b.written)
        EXPECT_EQ(path.find("//"), std::string::npos) << path;

    EXPECT_EQ(readBytes(s / "2004.dat"), readBytes(y / "2004.dat"));
    for (int m = 1; m <= 12; ++m) {
        char name[16];
        std::snprintf(name, sizeof name, "%02d.dat", m);
        const std::string bytes = readBytes(s / ("2004" + std::string(name)));
        EXPECT_EQ(bytes, readBytes(y / "2004" / name)) << m;
        EXPECT_EQ(crlfLines(bytes).size(), static_cast<std::size_t>(daysInMonth(2004, m)));
    }
}

TEST(ChartDataFiles, AFileThatCannotBeMadeEndsTheRunAndKeepsEarlierFiles)
{
    TempDir dir;
    // A folder where March's file should go.
    fs::create_directories(dir.path() / "200403.dat");
    ChartFileResult r = writeChartDataFiles(oneYear(dir.path(), 2004));
    EXPECT_EQ(r.status, ChartFileResult::Status::Failed);
    EXPECT_NE(r.message.find("200403.dat"), std::string::npos) << r.message;
    ASSERT_EQ(r.written.size(), 3u);
    for (const char *name : {"2004.dat", "200401.dat", "200402.dat"})
        EXPECT_GT(fs::file_size(dir.path() / name), 0u) << name;
    EXPECT_FALSE(fs::exists(dir.path() / "200404.dat"));

    // Year folders: a plain file named 2005 blocks the second year's folder.
    TempDir two;
    std::ofstream(two.path() / "2005") << "x";
    ChartFileOptions o = oneYear(two.path(), 2004);
    o.toYear = 2005;
    o.layout = ChartFileLayout::YearFolders;
    o.yearMonth = false;
    r = writeChartDataFiles(o);
    EXPECT_EQ(r.status, ChartFileResult::Status::Failed);
    EXPECT_NE(r.message.find("2005"), std::string::npos) << r.message;
    EXPECT_EQ(r.written.size(), 12u);
    EXPECT_TRUE(fs::exists(two.path() / "2004" / "12.dat"));

    // Same folder, day files alone: the output folder is not created, so the
    // first day file fails and names itself.
    TempDir three;
    o = oneYear(three.path() / "missing", 2004);
    o.yearMonth = false;
    r = writeChartDataFiles(o);
    EXPECT_EQ(r.status, ChartFileResult::Status::Failed);
    EXPECT_NE(r.message.find("200401.dat"), std::string::npos) << r.message;
    EXPECT_TRUE(r.written.empty());
}

TEST(ChartDataFiles, ProgressAndCancel)
{
    TempDir dir;
    std::vector<std::string> statuses;
    ChartFileResult r = writeChartDataFiles(oneYear(dir.path(), 2004), [&](std::string_view s) {
        if (statuses.empty() || statuses.back() != s)
            statuses.emplace_back(s);
        return s != "2004年3月の日時データ作成中！";
    });
    EXPECT_EQ(r.status, ChartFileResult::Status::Cancelled);
    EXPECT_EQ(statuses, (std::vector<std::string>{"年データ作成中！", "月データ作成中！", "日時データ作成中！",
                                                  "2004年1月の日時データ作成中！", "2004年2月の日時データ作成中！",
                                                  "2004年3月の日時データ作成中！"}));
    EXPECT_EQ(r.written.size(), 3u);
    EXPECT_FALSE(fs::exists(dir.path() / "200403.dat"));
}

TEST(ChartDataFiles, BadOptionsWriteNothing)
{
    TempDir dir;
    const fs::path out = dir.path() / "out";
    const std::vector<std::function<void(ChartFileOptions &)>> spoilers{
        [](ChartFileOptions &o) { o.fromYear = 2005; }, // after the last year
        [](ChartFileOptions &o) { o.fromYear = 1; },    // no previous year
        [](ChartFileOptions &o) { o.toYear = 9999; },   // no following day
        [](ChartFileOptions &o) { o.yearMonth = o.dayHour = false; },
        [](ChartFileOptions &o) { o.folder.clear(); }};
    for (const auto &spoil : spoilers) {
        ChartFileOptions o = oneYear(out, 2004);
        spoil(o);
        ChartFileResult r = writeChartDataFiles(o);
        EXPECT_EQ(r.status, ChartFileResult::Status::Failed);
        EXPECT_FALSE(r.message.empty());
        EXPECT_EQ(r.message, chartFileOptionsError(o));
    }
    EXPECT_FALSE(fs::exists(out));
}
