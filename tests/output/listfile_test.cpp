// List model and list files: the kind rule, byte-exact round trips, damaged
// files that must leave everything as it was, and the score format.

#include "output/listfile.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

#include <gtest/gtest.h>

#include "engine/textfile.h"

namespace velm {
namespace {

namespace fs = std::filesystem;

std::string fixture(const std::string &name)
{
    return std::string(VELM_TEST_DATA_DIR) + "/" + name;
}

std::string bytesOf(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class TempDir {
public:
    TempDir()
        : m_path(fs::temp_directory_path() / ("velm-listfile-" + std::to_string(::getpid())))
    {
        fs::remove_all(m_path);
        fs::create_directories(m_path);
    }
    ~TempDir() { fs::remove_all(m_path); }
    std::string file(const std::string &name) const { return (m_path / name).string(); }
    int entries() const
    {
        return static_cast<int>(std::distance(fs::directory_iterator(m_path), fs::directory_iterator()));
    }

private:
    fs::path m_path;
};

void writeBytes(const std::string &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

ListRow row(std::initializer_list<const char *> cells)
{
    ListRow r;
    std::size_t i = 0;
    for (const char *c : cells)
        r[i++] = c;
    return r;
}

TEST(FormatScore, TwoDecimalsWithoutNegativeZero)
{
    struct Case {
        double value;
        const char *text;
    };
    const Case cases[] = {
        {12.5, "12.50"},   {-7.0, "-7.00"},  {100.0, "100.00"}, {0.0, "0.00"},
        {-0.0, "0.00"},    {-0.001, "0.00"}, {-0.004999, "0.00"}, {1e-300, "0.00"},
        {-1e-300, "0.00"}, {-0.006, "-0.01"},
        // Exact binary ties round away from zero, as the decimal text does.
        {0.125, "0.13"},   {-0.125, "-0.13"}, {0.375, "0.38"},
        // Just below a tie in binary: stays below.
        {2.675, "2.67"},   {1.005, "1.00"},  {0.995, "0.99"},
        // A weighted score: 33 % of -5.
        {-5.0 * 33 / 100, "-1.65"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(formatScore(c.value), c.text) << c.value;
}

TEST(ListKind, DecidedFromTheTitle)
{
    EXPECT_EQ(listKindOf(" 占事「旅行」 方位「全方位」 "), ListKind::Search);
    EXPECT_EQ(listKindOf(" 作盤データ  "), ListKind::ChartData);
    // "作盤" is tested second and wins.
    EXPECT_EQ(listKindOf(" 占事「作盤」 方位「 北」 "), ListKind::ChartData);
    EXPECT_EQ(listKindOf(""), ListKind::Other);
    EXPECT_EQ(listKindOf("2024/03/10 13:00 ～ 2024/03/11 07:00"), ListKind::Other);
    EXPECT_EQ(listKindOf("占"), ListKind::Other);
}

TEST(ListFile, ReadsASearchList)
{
    ListFileRead r = readListFile(fixture("list-search.csv"));
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.model.SenL, " 占事「旅行」 方位「全方位」 ");
    EXPECT_EQ(r.model.CntL, "3/57");
    ASSERT_EQ(r.model.rows.size(), 4u);
    EXPECT_EQ(r.model.dataRowCount(), 3);
    EXPECT_EQ(r.model.rows[0][1], "日  付");
    EXPECT_EQ(r.model.rows[0][6], " 北");
    EXPECT_EQ(r.model.rows[1][4], "　　　　");
    EXPECT_EQ(r.model.rows[1][9], "-12.25");
    EXPECT_EQ(r.model.rows[2][4], "五不遇時");
    EXPECT_EQ(r.model.rows[3][14], "8");
    // Direction 5 (坎, north) marks column 6; 1 (乾, north-west) column 13;
    // 8 (巽, south-east) column 9.
    EXPECT_EQ(markedColumn(r.model.rows[1]), 6);
    EXPECT_EQ(markedColumn(r.model.rows[2]), 13);
    EXPECT_EQ(markedColumn(r.model.rows[3]), 9);
    ListRow other;
    EXPECT_EQ(markedColumn(other), std::nullopt); // chart-data rows: none
    other[14] = "9";                              // a chosen direction marks the centre
    EXPECT_EQ(markedColumn(other), 5);
    other[14] = "x";
    EXPECT_EQ(markedColumn(other), std::nullopt);
    EXPECT_EQ(listKindOf(r.model.SenL), ListKind::Search);
}

TEST(ListFile, RoundTripKeepsEveryByte)
{
    TempDir dir;
    for (const char *name : {"list-search.csv", "list-search-direction.csv"}) {
        ListFileRead r = readListFile(fixture(name));
        ASSERT_TRUE(r.ok()) << r.error;
        const std::string out = dir.file(name);
        ASSERT_EQ(writeListFile(out, r.model), "");
        EXPECT_EQ(bytesOf(out), bytesOf(fixture(name))) << name;
    }
}

// A long search keeps far more rows than any master file has lines: every
// list the program saves must open again.
TEST(ListFile, ListsLargerThanAMasterFileOpenAgain)
{
    TempDir dir;
    ListModel model = readListFile(fixture("list-search.csv")).model;
    ASSERT_GE(model.rows.size(), 2u);
    const auto row = model.rows.back();
    while (static_cast<std::int64_t>(model.rows.size()) * 90 < MaxTextFileBytes + 1024 * 1024)
        model.rows.push_back(row);
    const std::string out = dir.file("long.csv");
    ASSERT_EQ(writeListFile(out, model), "");
    ASSERT_GT(static_cast<std::int64_t>(fs::file_size(out)), MaxTextFileBytes);
    ListFileRead r = readListFile(out);
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.model.rows.size(), model.rows.size());
}

TEST(ListFile, ToleratesLfAMissingFinalCommaAndTrailingBlankLines)
{
    ListFileRead r = readListFile(fixture("list-chartdata.csv"));
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.model.SenL, " 作盤データ  ");
    EXPECT_EQ(r.model.CntL, "2");
    ASSERT_EQ(r.model.rows.size(), 3u);
    EXPECT_EQ(r.model.rows[2][13], "九紫");
    EXPECT_EQ(r.model.rows[2][14], "");
    EXPECT_EQ(listKindOf(r.model.SenL), ListKind::ChartData);

    // Saved again it is in the program's own form, and reads back the same.
    TempDir dir;
    const std::string out = dir.file("again.csv");
    ASSERT_EQ(writeListFile(out, r.model), "");
    const std::string bytes = bytesOf(out);
    EXPECT_EQ(bytes.find("九紫"), std::string::npos);           // not UTF-8 on disk
    EXPECT_NE(bytes.find("\x8B\xE3\x8E\x87"), std::string::npos); // 九紫 in CP932
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 4);
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\r'), 4);
    EXPECT_NE(bytes.find("\x8B\xE3\x8E\x87,,\r\n"), std::string::npos); // 15 commas again
    ListFileRead again = readListFile(out);
    ASSERT_TRUE(again.ok());
    EXPECT_EQ(again.model.rows, r.model.rows);
}

TEST(ListFile, TitleLineSplitsAtTheLastComma)
{
    TempDir dir;
    // A matter name may hold a comma; the count never does.
    ListModel model = ListModel::fresh();
    model.SenL = " 占事「旅行,出張」 方位「全方位」 ";
    model.CntL = "2/10";
    model.rows.push_back(row({"日盤", "2024/03/10", "13", "日", "　　　　", "1.00"}));
    const std::string path = dir.file("comma.csv");
    ASSERT_EQ(writeListFile(path, model), "");
    ListFileRead r = readListFile(path);
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.model.SenL, model.SenL);
    EXPECT_EQ(r.model.CntL, "2/10");
    EXPECT_EQ(r.model.rows, model.rows);

    // A first line without a comma is all count and no title.
    writeBytes(path, "abc\r\n盤,,,,,,,,,,,,,,,\r\n");
    r = readListFile(path);
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.model.SenL, "");
    EXPECT_EQ(r.model.CntL, "abc");
    EXPECT_EQ(listKindOf(r.model.SenL), ListKind::Other);
}

TEST(ListFile, DamagedFilesGiveAnErrorAndNoRows)
{
    struct Case {
        const char *name;
        ListFileRead::Status status;
        const char *inMessage;
    };
    const Case cases[] = {
        {"list-empty.csv", ListFileRead::Status::Empty, "空のファイル"},
        {"list-header-only.csv", ListFileRead::Status::Malformed, "不完全"},
        {"list-truncated.csv", ListFileRead::Status::Malformed, "3行目は、項目が足りません。(6/15項目)"},
        {"list-missing-fields.csv", ListFileRead::Status::Malformed, "3行目は、項目が足りません。"},
        {"list-extra-fields.csv", ListFileRead::Status::Malformed, "3行目は、項目が多すぎます"},
        {"list-utf8.csv", ListFileRead::Status::BadEncoding, "S-JIS"},
        {"list-no-such-file.csv", ListFileRead::Status::Missing, "』が、見つかりません。"},
    };
    for (const Case &c : cases) {
        const std::string path = fixture(c.name);
        const std::string before = bytesOf(path);
        ListFileRead r = readListFile(path);
        EXPECT_FALSE(r.ok()) << c.name;
        EXPECT_EQ(r.status, c.status) << c.name;
        EXPECT_NE(r.error.find(c.inMessage), std::string::npos) << c.name << ": " << r.error;
        EXPECT_NE(r.error.find(path), std::string::npos) << c.name;
        EXPECT_TRUE(r.model.rows.empty()) << c.name;
        EXPECT_EQ(bytesOf(path), before) << c.name;
    }
}

TEST(ListFile, RefusedWritesLeaveTheOldFile)
{
    TempDir dir;
    const std::string path = dir.file("keep.csv");
    writeBytes(path, bytesOf(fixture("list-search.csv")));
    const std::string before = bytesOf(path);

    ListModel good = readListFile(path).model;
    ASSERT_EQ(good.rows.size(), 4u);

    ListModel comma = good;
    comma.rows[2][7] = "1,5";
    ListModel lineBreak = good;
    lineBreak.rows[1][0] = "日盤\r\n";
    ListModel countComma = good;
    countComma.CntL = "3,57";
    ListModel notCp932 = good;
    notCp932.SenL = " 占事「🀄」 ";
    ListModel noCaptions = good;
    noCaptions.rows.clear();

    for (const ListModel *m : {&comma, &lineBreak, &countComma, &notCp932, &noCaptions}) {
        const std::string error = writeListFile(path, *m);
        EXPECT_NE(error, "");
        EXPECT_NE(error.find(path), std::string::npos) << error;
        EXPECT_EQ(bytesOf(path), before) << error;
        EXPECT_EQ(dir.entries(), 1) << "temporary file left behind";
    }
    EXPECT_NE(writeListFile(path, comma).find("2行7列"), std::string::npos);
}

TEST(ListLayout, SearchListColumnsByWidestCell)
{
    ListFileRead r = readListFile(fixture("list-search.csv"));
    ASSERT_TRUE(r.ok());
    const ListLayout wide = listLayout(r.model, listInitialWidths());
    EXPECT_EQ(wide.kind, ListKind::Search);
    EXPECT_EQ(wide.caption, "検索一覧表");
    // Flag cells are always 8 bytes, so a search list has 55-pixel columns.
    for (int c = 4; c <= 13; ++c)
        EXPECT_EQ(wide.widths[static_cast<std::size_t>(c)], 55) << c;
    EXPECT_EQ(wide.widths[14], 0);
    EXPECT_EQ(wide.targetWidth, 4 * 30 + 10 * 55 + 42);
    EXPECT_EQ(wide.captions[13], "北西");
    EXPECT_EQ(wide.captions[4], "");
    EXPECT_FALSE(wide.captions[0].has_value());

    // Only edited cells shorter than 8 bytes give 40-pixel palace columns.
    ListModel edited = r.model;
    for (std::size_t i = 1; i < edited.rows.size(); ++i)
        for (std::size_t c = 4; c <= 13; ++c)
            edited.rows[i][c] = "1.00";
    const ListLayout narrow = listLayout(edited, listInitialWidths());
    EXPECT_EQ(narrow.widths[4], 55);
    EXPECT_EQ(narrow.widths[5], 40);
    EXPECT_EQ(narrow.widths[13], 40);
    EXPECT_EQ(narrow.targetWidth, 4 * 30 + 55 + 9 * 40 + 42);

    ListModel copy = edited;
    applyListCaptions(copy, narrow);
    EXPECT_EQ(copy.rows[0][5], "中宮");
    EXPECT_EQ(copy.rows[0][0], "盤");
}

TEST(ListLayout, ChartDataAndOtherLists)
{
    ListFileRead r = readListFile(fixture("list-chartdata.csv"));
    ASSERT_TRUE(r.ok());
    std::array<int, ListColumnCount> current = listInitialWidths();
    current[13] = 44;
    const ListLayout data = listLayout(r.model, current);
    EXPECT_EQ(data.caption, "作盤データ一覧表");
    const int expected[] = {30, 30, 30, 30, 30, 30, 30, 30, 55, 40, 30, 55, 35, 44, 0};
    for (std::size_t c = 0; c < ListColumnCount; ++c)
        EXPECT_EQ(data.widths[c], expected[c]) << c;
    EXPECT_EQ(data.targetWidth, 30 * 8 + 55 + 40 + 30 + 55 + 35 + 44 + 42);
    EXPECT_EQ(data.captions[8], "節気");
    EXPECT_EQ(data.captions[11], "");

    ListModel other = r.model;
    other.SenL = "";
    const ListLayout plain = listLayout(other, current);
    EXPECT_EQ(plain.kind, ListKind::Other);
    EXPECT_EQ(plain.caption, "");
    EXPECT_EQ(plain.widths, current);
    EXPECT_FALSE(plain.targetWidth.has_value());
    for (const auto &caption : plain.captions)
        EXPECT_FALSE(caption.has_value());
}

TEST(ListRows, ChartRequestAndDeletion)
{
    RowMoment m = rowMoment(row({"時盤", "2024/03/10", "14"}));
    ASSERT_TRUE(m.ok());
    EXPECT_EQ(m.kind, 3);
    EXPECT_EQ(*m.moment, (CivilTime{2024, 3, 10, 14, 0, 0}));
    EXPECT_EQ(rowMoment(row({"年盤", "2024/3/1", "5"})).moment, (CivilTime{2024, 3, 1, 5, 0, 0}));
    EXPECT_EQ(formatListWeekday(CivilTime{2000, 1, 1, 0, 0, 0}), "土");

    // Not a chart row: nothing to do, nothing to say.
    for (const char *kind : {"盤", "刻盤", ""}) {
        RowMoment none = rowMoment(row({kind, "2024/03/10", "14"}));
        EXPECT_EQ(none.kind, 9) << kind;
        EXPECT_EQ(none.error, "");
    }
    RowMoment badDate = rowMoment(row({"日盤", "2024/02/30", "13"}));
    EXPECT_FALSE(badDate.ok());
    EXPECT_EQ(badDate.error, "『2024/02/30』は、正しい日付ではありません。");
    EXPECT_FALSE(rowMoment(row({"日盤", "2024/02/03", "24"})).ok());
    EXPECT_FALSE(rowMoment(row({"日盤", "2024-02-03", "13"})).ok());
    EXPECT_EQ(uncheckedKindQuestion("時盤"),
              "システム設定で、『時盤』はチェックされていませんが、チェックしますか？");

    ListModel model = readListFile(fixture("list-search.csv")).model;
    ASSERT_EQ(model.rows.size(), 4u);
    EXPECT_FALSE(deleteListRow(model, 0)); // the caption row stays
    EXPECT_FALSE(deleteListRow(model, 4));
    EXPECT_TRUE(deleteListRow(model, 2));
    ASSERT_EQ(model.rows.size(), 3u);
    EXPECT_EQ(model.rows[2][1], "2024/04/02");
    EXPECT_EQ(model.CntL, "3/57");
}

} // namespace
} // namespace velm
