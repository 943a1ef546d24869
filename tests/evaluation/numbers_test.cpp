#include "evaluation/numbers.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

namespace velm {
namespace {

namespace fs = std::filesystem;

const std::string DefaultFile = std::string(VELM_DATA_DIR) + "/SuuFile.Dat";

std::string readBytes(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const fs::path &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

class TempDir : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "velm-numbers-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
    }
    void TearDown() override { fs::remove_all(m_dir); }
    fs::path m_dir;
};

bool allAbsent(const NumberTables &tables)
{
    for (int t = 0; t < NumberTableCount; ++t) {
        const auto table = static_cast<NumberTable>(t);
        for (int c = 1; c <= shapeOf(table).columns; ++c)
            for (int r = 1; r <= shapeOf(table).rows; ++r)
                if (!tables.cell(table, c, r).empty())
                    return false;
    }
    return true;
}

TEST(NumberCells, ADecimalIntegerAndNothingElse)
{
    struct Row {
        const char *text;
        std::optional<int> value;
    };
    const Row rows[] = {{"-5", -5}, {"+5", 5},   {"007", 7}, {"", {}},   {"1.5", {}}, {" 3", {}},
                        {"１", {}}, {"+-5", {}}, {"-", {}},  {"0x10", {}}, {"2147483648", {}}};
    for (const Row &row : rows)
        EXPECT_EQ(parseCell(row.text), row.value) << '"' << row.text << '"';
}

TEST(NumberCells, CaptionsAndCellsOutsideTheTableAreAbsent)
{
    NumberTables tables;
    EXPECT_EQ(tables.anKen(), 0); // the editor's "0"
    for (auto [column, row] : {std::pair{0, 1}, {1, 0}, {10, 1}})
        tables.setCell(NumberTable::KanSG, column, row, "1");
    tables.setCell(NumberTable::KsSG, 1, 10, "1"); // star value 9 has no row
    EXPECT_TRUE(allAbsent(tables));
    EXPECT_EQ(tables.value(NumberTable::KanSG, 0, 1), std::nullopt);
    EXPECT_EQ(tables.value(NumberTable::KsSG, 1, 10), std::nullopt);

    tables.setCell(NumberTable::KanSG, 9, 10, "12");
    tables.setCell(NumberTable::KanSG, 9, 10, "x"); // re-typed: absent again
    EXPECT_EQ(tables.value(NumberTable::KanSG, 9, 10), std::nullopt);
}

TEST_F(TempDir, DefaultFileIsCompleteAndRoundTripsByteForByte)
{
    NumbersFile file = readNumbersFile(DefaultFile);
    ASSERT_TRUE(file.ok()) << file.error;
    EXPECT_TRUE(file.warnings.empty());
    NumberTables checked = file.tables;
    EXPECT_TRUE(checkTables(checked).ok()); // integers within the editor's ranges
    EXPECT_EQ(checked, file.tables);         // and no empty cell to fill

    const NumberTables &t = file.tables;
    for (int c = 2; c <= 9; ++c) { // outer palaces
        for (int door : {1, 2, 8})  // 休 生 開
            EXPECT_GT(*t.value(NumberTable::HmSG, c, door), 0);
        for (int pattern = 1; pattern <= 18; ++pattern)
            EXPECT_GT(*t.value(NumberTable::KakuSG, c, pattern), 0);
        for (int pattern = 21; pattern <= 45; ++pattern)
            EXPECT_LT(*t.value(NumberTable::KakuSG, c, pattern), 0);
    }

    const fs::path copy = m_dir / "SuuFile.Dat";
    ASSERT_EQ(writeNumbersFile(copy.string(), file.tables), "");
    EXPECT_EQ(readBytes(copy), readBytes(DefaultFile));
    EXPECT_EQ(readNumbersFile(copy.string()).tables, file.tables);
}

TEST_F(TempDir, CellsKeepTheirTextThroughTheFile)
{
    // Texts as typed, integers or not: the editor may hold any of them until
    // its check runs, and a file written by hand may carry them.
    NumberTables tables;
    tables.setCell(NumberTable::PerSG, 1, 8, "+050");
    tables.setCell(NumberTable::KanLSG, 9, 100, "-0");
    tables.setCell(NumberTable::KakuSG, 5, 30, "abc");
    tables.setCell(NumberTable::KsPSG, 3, 4, "1.5");
    tables.setCell(NumberTable::HmPSG, 5, 8, "全角");
    tables.setAnE("-999");

    const fs::path path = m_dir / "odd.Dat";
    ASSERT_EQ(writeNumbersFile(path.string(), tables), "");
    const std::string bytes = readBytes(path);
    NumbersFile read = readNumbersFile(path.string());
    EXPECT_TRUE(read.ok() && read.warnings.empty());
    EXPECT_EQ(read.tables, tables);
    ASSERT_EQ(writeNumbersFile(path.string(), read.tables), "");
    EXPECT_EQ(readBytes(path), bytes);
}

TEST(NumbersFileRead, ShortFileLoadsWhatIsThereAndNamesTheMissingLines)
{
    // Line 1: ten weights for eight rows; line 2: five stem cells of ninety,
    // one of them not a number and one empty; lines 3..11 missing.
    const std::string path = std::string(VELM_TEST_DATA_DIR) + "/SuuFile_short.Dat";
    NumbersFile file = readNumbersFile(path);
    ASSERT_TRUE(file.ok()) << file.error;

    const NumberTables &t = file.tables;
    EXPECT_EQ(t.value(NumberTable::PerSG, 1, 8), 100);
    EXPECT_EQ(t.cell(NumberTable::KanSG, 1, 3), "x");
    EXPECT_EQ(t.value(NumberTable::KanSG, 1, 5), -4);
    EXPECT_EQ(t.cell(NumberTable::KanSG, 1, 6), "");
    EXPECT_EQ(t.anKen(), std::nullopt); // no 暗剣 line: absent, not a silent 0

    ASSERT_EQ(file.warnings.size(), 3u);
    EXPECT_NE(file.warnings[0].find("1行目(PerSG)の8個を超える値は読み捨て"), std::string::npos);
    EXPECT_NE(file.warnings[1].find("2行目(KanSG)は90個の値のうち5個"), std::string::npos);
    EXPECT_NE(file.warnings[2].find("『" + path + "』は11行のうち2行しかありません。3、4、5、6、7、8、9、10、11行目"),
              std::string::npos);
}

TEST_F(TempDir, LineEndsAndAMissingLastComma)
{
    // LF alone is read too; a last value without its comma still counts, and
    // lines beyond the eleventh are reported, not read.
    const std::string lines[] = {"1,2,3,4,5,6,7,8", "", "", "", "", "", "", "", "", "", "3", "junk"};
    std::string bytes;
    for (const std::string &line : lines)
        bytes += line + "\n";
    const fs::path path = m_dir / "lf.Dat";
    writeBytes(path, bytes);

    NumbersFile file = readNumbersFile(path.string());
    ASSERT_TRUE(file.ok());
    EXPECT_EQ(file.tables.value(NumberTable::PerSG, 1, 8), 8);
    EXPECT_EQ(file.tables.anKen(), 3);
    // Nine empty table lines and the twelfth line.
    ASSERT_EQ(file.warnings.size(), 10u);
    EXPECT_NE(file.warnings.back().find("12行目以降"), std::string::npos);
}

TEST(NumbersFileRead, MissingAndWronglyEncodedFilesGiveNoTables)
{
    const std::string missing = std::string(VELM_TEST_DATA_DIR) + "/no-such-SuuFile.Dat";
    NumbersFile none = readNumbersFile(missing);
    EXPECT_EQ(none.status, NumbersFile::Status::Missing);
    EXPECT_EQ(none.error, "『" + missing + "』が、見つかりません。");

    // The default numbers saved as UTF-16 by another editor.
    const std::string utf16 = std::string(VELM_TEST_DATA_DIR) + "/SuuFile_utf16.Dat";
    NumbersFile bad = readNumbersFile(utf16);
    EXPECT_EQ(bad.status, NumbersFile::Status::BadEncoding);
    EXPECT_NE(bad.error.find("『" + utf16 + "』"), std::string::npos) << bad.error;
    EXPECT_TRUE(allAbsent(bad.tables)); // no half-read tables to save over the file
}

TEST_F(TempDir, FilesWithoutAReadableTableAreRefusedByName)
{
    const std::string good = readBytes(DefaultFile);
    std::string crOnly;
    std::string utf16;
    for (char c : good) {
        if (c != '\n')
            crOnly += c;
        utf16 += c;
        utf16 += '\0';
    }
    std::string withNul = good;
    withNul.insert(good.find("\r\n") + 2, 1, '\0');
    struct Case {
        const char *name;
        std::string bytes;
        NumbersFile::Status status;
        const char *inMessage;
    };
    const Case cases[] = {
        {"empty", "", NumbersFile::Status::NoTables, "読める数値表がありません"},
        {"blank lines", "\r\n\r\n,,,\r\n", NumbersFile::Status::NoTables, "読める数値表がありません"},
        {"utf16 without mark", utf16, NumbersFile::Status::BadEncoding, "UTF-16"},
        {"nul", withNul, NumbersFile::Status::BadEncoding, "2行目に、NUL"},
    };
    const fs::path path = m_dir / "SuuFile.Dat";
    for (const Case &c : cases) {
        writeBytes(path, c.bytes);
        const NumbersFile file = readNumbersFile(path.string());
        EXPECT_EQ(file.status, c.status) << c.name;
        EXPECT_NE(file.error.find("『" + path.string() + "』"), std::string::npos) << c.name << file.error;
        EXPECT_NE(file.error.find(c.inMessage), std::string::npos) << c.name << file.error;
        EXPECT_TRUE(allAbsent(file.tables)) << c.name;
    }

    // Lines ended by CR alone are lines: the default numbers, nothing lost.
    writeBytes(path, crOnly);
    const NumbersFile cr = readNumbersFile(path.string());
    ASSERT_TRUE(cr.ok()) << cr.error;
    EXPECT_TRUE(cr.warnings.empty());
    EXPECT_EQ(cr.tables, readNumbersFile(DefaultFile).tables);
}

TEST_F(TempDir, CellsBeyondTheEditorsRangeAreNamedAndUsed)
{
    NumberTables tables = readNumbersFile(DefaultFile).tables;
    tables.setCell(NumberTable::KanSG, 3, 4, "2147483647");
    tables.setCell(NumberTable::KanSG, 9, 10, "-51");
    tables.setCell(NumberTable::PerSG, 1, 2, "1000"); // the edge of PerSG's range
    const fs::path path = m_dir / "SuuFile.Dat";
    ASSERT_EQ(writeNumbersFile(path.string(), tables), "");
    const NumbersFile file = readNumbersFile(path.string());
    ASSERT_TRUE(file.ok()) << file.error;
    ASSERT_EQ(file.warnings.size(), 1u);
    EXPECT_EQ(file.warnings[0], "『" + path.string() + "』の2行目(KanSG)の3列4行の[2147483647]は、設定できる範囲(-50～50)"
                                "の外です。範囲外の値はほかにも1個あります。そのまま使います。");
    EXPECT_EQ(file.tables, tables);
}

TEST_F(TempDir, WriteRefusesCellsThatWouldNotReadBack)
{
    const fs::path path = m_dir / "SuuFile.Dat";
    writeBytes(path, "old");
    struct Case {
        NumberTable table;
        const char *text;
    };
    for (const Case &c : {Case{NumberTable::KanSG, "1,2"}, Case{NumberTable::KakuSG, "3\r\n4"},
                          Case{NumberTable::KsSG, "☃"}}) {
        NumberTables tables;
        tables.setCell(c.table, 2, 3, c.text);
        const std::string error = writeNumbersFile(path.string(), tables);
        EXPECT_NE(error.find(path.string()), std::string::npos) << c.text;
        EXPECT_EQ(readBytes(path), "old") << c.text;
    }
    NumberTables tables;
    tables.setAnE("1\n2");
    EXPECT_NE(writeNumbersFile(path.string(), tables), "");
    EXPECT_EQ(readBytes(path), "old");
}

TEST(NumbersCheck, EmptyCellsTakeDefaultsAndOneFaultPerColumn)
{
    NumberTables tables;
    EXPECT_TRUE(checkTables(tables).ok());
    EXPECT_EQ(tables.cell(NumberTable::PerSG, 1, 4), "100");
    EXPECT_EQ(tables.cell(NumberTable::KakuSG, 9, 59), "0");

    tables.setCell(NumberTable::KanSG, 2, 1, "51");   // 甲 in 乾: over the maximum
    tables.setCell(NumberTable::KanSG, 2, 5, "x");    // same column: not reported
    tables.setCell(NumberTable::KanSG, 4, 3, "-51");  // another column
    tables.setCell(NumberTable::PerSG, 1, 2, "1000"); // the weights' wider range
    tables.setCell(NumberTable::HmPSG, 5, 8, "1.5");  // hidden columns are checked too
    tables.setAnE("-999");
    TablesCheck check = checkTables(tables);
    ASSERT_EQ(check.faults.size(), 3u);
    EXPECT_TRUE(check.anKenOk);
    EXPECT_EQ(check.faults[0].row, 1);
    EXPECT_EQ(check.faults[0].kind, CellFault::Kind::AboveMaximum);
    EXPECT_EQ(check.faults[1].kind, CellFault::Kind::BelowMinimum);
    EXPECT_EQ(check.faults[2].kind, CellFault::Kind::NotInteger);

    tables.setAnE("1.5");
    EXPECT_FALSE(checkTables(tables).anKenOk);

    // Digits too many for any integer are out of range, not "not an integer".
    NumberTables huge;
    huge.setCell(NumberTable::KanSG, 1, 1, "99999999999");
    huge.setCell(NumberTable::KanSG, 2, 1, "-99999999999");
    huge.setCell(NumberTable::KanSG, 3, 1, "+99999999999");
    huge.setCell(NumberTable::KanSG, 4, 1, "9999999999x");
    check = checkTables(huge);
    ASSERT_EQ(check.faults.size(), 4u);
    EXPECT_EQ(check.faults[0].kind, CellFault::Kind::AboveMaximum);
    EXPECT_EQ(check.faults[1].kind, CellFault::Kind::BelowMinimum);
    EXPECT_EQ(check.faults[2].kind, CellFault::Kind::AboveMaximum);
    EXPECT_EQ(check.faults[3].kind, CellFault::Kind::NotInteger);
}

} // namespace
} // namespace velm
