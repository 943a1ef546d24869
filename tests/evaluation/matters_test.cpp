#include "evaluation/matters.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "engine/textfile.h"
#include "evaluation/sencheck.h"

namespace velm {
namespace {

namespace fs = std::filesystem;

const std::string DataDir = VELM_DATA_DIR;
const std::string Fixtures = VELM_TEST_DATA_DIR;

std::string bytesOf(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A scratch folder per test with copies of the named files.
class MattersFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path()
            / ("velm-matters-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string copy(const std::string &from, const std::string &as = "Senji.Dat")
    {
        fs::copy_file(from, dir / as, fs::copy_options::overwrite_existing);
        return (dir / as).string();
    }
    fs::path dir;
};

TEST(MatterDefaults, LoadCleanlyAndAgreeWithTheEditorLists)
{
    const MattersFile file = readMattersFile(DataDir + "/Senji.Dat");
    ASSERT_TRUE(file.ok()) << file.error;
    EXPECT_TRUE(file.warnings.empty());
    ASSERT_GE(file.records.size(), 8u);

    const MatterListLoad list = readMatterList(DataDir + "/Senji.Idx");
    EXPECT_TRUE(list.message.empty()) << list.message;
    ASSERT_EQ(list.list.names.size(), file.records.size());
    for (std::size_t i = 0; i < file.records.size(); ++i)
        EXPECT_EQ(list.list.names[i], file.records[i].name);
    EXPECT_TRUE(unlistedMatters(list.list, file).empty());

    // Every condition reads back into the editing boxes and, added again with
    // them, gives the same cells: the file speaks the editor's lists.
    const ConstData names = MakeConstData();
    for (const MatterRecord &rec : file.records) {
        const Matter m = rec.matter();
        EXPECT_TRUE(compileMatter(m).usable()) << m.name;
        Matter rebuilt;
        rebuilt.name = m.name;
        for (int g = 0; g < MatterGroupCount; ++g)
            for (int r = 0; r < MatterRowCount && hasCondition(m, g, r); ++r) {
                const std::optional<ConditionInput> in = conditionAt(m, g, r);
                ASSERT_TRUE(in) << m.name << g << r;
                EXPECT_TRUE(addCondition(rebuilt, g, *in, names).ok);
            }
        EXPECT_EQ(rebuilt, m) << m.name;
    }
}

TEST_F(MattersFiles, RoundTripKeepsEveryByte)
{
    for (const std::string &source : {DataDir + "/Senji.Dat", Fixtures + "/matters-two.Dat"}) {
        const MattersFile file = readMattersFile(source);
        ASSERT_TRUE(file.ok()) << file.error;
        const std::string out = (dir / "out.Dat").string();
        ASSERT_EQ(writeMattersFile(out, file), "");
        EXPECT_EQ(bytesOf(out), bytesOf(source)) << source;
    }
    const MatterListLoad idx = readMatterList(DataDir + "/Senji.Idx");
    ASSERT_EQ(writeMatterList((dir / "out.Idx").string(), idx.list), "");
    EXPECT_EQ(bytesOf(dir / "out.Idx"), bytesOf(DataDir + "/Senji.Idx"));
}

TEST(MatterNames, CompareWithoutLetterCase)
{
    EXPECT_TRUE(sameMatterName("Travel", "tRAVEL"));
    EXPECT_TRUE(sameMatterName("ＡＢＣ占", "ａｂｃ占"));
    EXPECT_TRUE(sameMatterName("Ωα", "ωΑ"));
    EXPECT_FALSE(sameMatterName("求財", "求財 "));
    EXPECT_FALSE(sameMatterName("はな", "ハナ")); // kana are not letter case
    EXPECT_FALSE(sameMatterName("ABC", "ＡＢＣ"));  // nor is width

    const MattersFile file = readMattersFile(Fixtures + "/matters-two.Dat");
    ASSERT_TRUE(file.ok());
    EXPECT_EQ(file.indexOf("TRAVEL"), 0);
    EXPECT_EQ(file.indexOf("ａｂｃ占"), 1);
    EXPECT_EQ(file.indexOf("Trave"), -1);
    EXPECT_EQ(file.find("travel")->name, "Travel");
}

TEST_F(MattersFiles, SaveReplacesInPlaceAndPutsNewNamesFirst)
{
    const std::string dat = copy(DataDir + "/Senji.Dat");
    const MattersFile before = readMattersFile(dat);
    MatterList list = readMatterList(DataDir + "/Senji.Idx").list;
    const ConstData names = MakeConstData();

    // Replace the third matter: only its two value lines change.
    Matter m = *before.find(before.records[2].name);
    ASSERT_TRUE(addCondition(m, 9, ConditionInput{ElemMon, 0, 1, "0"}, names).ok);
    MatterSave saved = saveMatter(dat, m, list);
    ASSERT_TRUE(saved.ok) << saved.message;
    EXPECT_FALSE(saved.added);
    MattersFile after = readMattersFile(dat);
    ASSERT_EQ(after.records.size(), before.records.size());
    for (std::size_t i = 0; i < after.records.size(); ++i) {
        EXPECT_EQ(after.records[i].name, before.records[i].name);
        if (i != 2) {
            EXPECT_EQ(after.records[i].textLine, before.records[i].textLine);
        }
    }
    EXPECT_EQ(*after.find(m.name), m);

    // A new matter goes to the end of the file and the top of the list.
    Matter fresh;
    fresh.name = "新しい占事";
    ASSERT_TRUE(addCondition(fresh, 0, ConditionInput{ElemSuuchi, 1, 0, "５０"}, names).ok);
    saved = saveMatter(dat, fresh, list);
    ASSERT_TRUE(saved.ok) << saved.message;
    EXPECT_TRUE(saved.added);
    EXPECT_EQ(list.names.front(), "新しい占事");
    after = readMattersFile(dat);
    EXPECT_EQ(after.records.back().name, "新しい占事");
    EXPECT_EQ(after.records.back().matter().text(0, CellTarget, 0), "50");
    ASSERT_EQ(writeMatterList((dir / "Senji.Idx").string(), list), "");
    EXPECT_EQ(readMatterList((dir / "Senji.Idx").string()).list.names.front(), "新しい占事");

    // Refused before anything is written.
    const std::string unchanged = bytesOf(dat);
    Matter bad = fresh;
    bad.name.clear();
    EXPECT_EQ(saveMatter(dat, bad, list).message, "占事名を指定して下さい。");
    bad = fresh;
    bad.text(1, CellTarget, 0) = "1,000"; // a comma would shift every later cell
    EXPECT_FALSE(saveMatter(dat, bad, list).ok);
    EXPECT_EQ(bytesOf(dat), unchanged);
}

TEST_F(MattersFiles, DeleteRemovesThreeLinesAndToleratesAnUnlistedName)
{
    const std::string dat = copy(Fixtures + "/matters-two.Dat");
    MatterList list = readMatterList(Fixtures + "/matters-two.Idx").list;
    MatterSave del = deleteMatter(dat, "travel", list);
    ASSERT_TRUE(del.ok) << del.message;
    EXPECT_EQ(list.names, std::vector<std::string>{"ＡＢＣ占"});
    const TextFile left = StFileRead(dat);
    ASSERT_EQ(left.lines.size(), 3u);
    EXPECT_EQ(left.lines[0], "ＡＢＣ占");

    // Listed but not in the file: only the list item goes, the file is kept.
    const std::string kept = bytesOf(dat);
    list.names.insert(list.names.begin(), "幽霊");
    EXPECT_FALSE(readMatter(dat, "幽霊").matter);
    del = deleteMatter(dat, "幽霊", list);
    EXPECT_TRUE(del.ok);
    EXPECT_EQ(list.names, std::vector<std::string>{"ＡＢＣ占"});
    EXPECT_EQ(bytesOf(dat), kept);
}

TEST_F(MattersFiles, DamagedFilesAreNamedAndNeverOverwritten)
{
    struct Case {
        const char *fixture;
        MattersFile::Status status;
        const char *inMessage;
    };
    const Case cases[] = {
        {"matters-utf16.Dat", MattersFile::Status::BadEncoding, "S-JIS"},
        {"matters-utf8.Dat", MattersFile::Status::BadEncoding, "S-JIS"},
        {"matters-badcode.Dat", MattersFile::Status::Malformed, "3行目"},
        {"matters-misaligned.Dat", MattersFile::Status::Malformed, "3行目"},
    };
    for (const Case &c : cases) {
        const std::string dat = copy(Fixtures + "/" + c.fixture);
        const std::string original = bytesOf(dat);
        const MattersFile file = readMattersFile(dat);
        EXPECT_EQ(file.status, c.status) << c.fixture;
        EXPECT_NE(file.error.find("『" + dat + "』"), std::string::npos) << file.error;
        EXPECT_NE(file.error.find(c.inMessage), std::string::npos) << file.error;

        MatterList list{{"Travel"}, false};
        Matter m;
        m.name = "Travel";
        EXPECT_FALSE(saveMatter(dat, m, list).ok);
        EXPECT_FALSE(deleteMatter(dat, "Travel", list).ok);
        EXPECT_FALSE(writeMattersFile(dat, file).empty());
        EXPECT_EQ(bytesOf(dat), original) << c.fixture;
        EXPECT_EQ(list.names.size(), 1u);
    }

    const MattersFile missing = readMattersFile((dir / "none.Dat").string());
    EXPECT_EQ(missing.status, MattersFile::Status::Missing);
    EXPECT_EQ(missing.error, "『" + (dir / "none.Dat").string() + "』が、見つかりません。");
}

TEST(MattersFile, ShortLastMatterReadsMissingCellsAsEmpty)
{
    const MattersFile file = readMattersFile(Fixtures + "/matters-truncated.Dat");
    ASSERT_TRUE(file.ok()) << file.error;
    ASSERT_EQ(file.records.size(), 2u);
    ASSERT_EQ(file.warnings.size(), 1u);
    EXPECT_NE(file.warnings[0].find("ＡＢＣ占"), std::string::npos);
    const Matter m = file.records[1].matter();
    EXPECT_EQ(m.text(0, CellElement, 0), "八神");
    EXPECT_EQ(m.code(0, CellElement, 0), "");
    // Texts without codes cannot be evaluated: reported, never a silent match.
    EXPECT_FALSE(compileMatter(m).usable());
}

TEST_F(MattersFiles, IndexFile)
{
    const MatterListLoad missing = readMatterList((dir / "Senji.Idx").string());
    EXPECT_EQ(missing.message, "『Senji.Idx』が、見つかりません。");
    EXPECT_EQ(missing.list.names, std::vector<std::string>{"不問"});
    EXPECT_FALSE(missing.list.readFailed);

    // Another editor saved it as UTF-16: kept as it is, whatever the session adds.
    const std::string idx = copy(Fixtures + "/matters-utf16.Dat", "Senji.Idx");
    const std::string original = bytesOf(idx);
    MatterListLoad bad = readMatterList(idx);
    EXPECT_TRUE(bad.list.readFailed);
    EXPECT_NE(bad.message.find(idx), std::string::npos);
    bad.list.names.insert(bad.list.names.begin(), "追加");
    EXPECT_FALSE(writeMatterList(idx, bad.list).empty());
    EXPECT_EQ(bytesOf(idx), original);

    const MattersFile two = readMattersFile(Fixtures + "/matters-two.Dat");
    EXPECT_EQ(unlistedMatters(MatterList{{"travel"}, false}, two), std::vector<std::string>{"ＡＢＣ占"});
}

TEST(MatterEditing, AddSelectDeleteAndClear)
{
    const ConstData names = MakeConstData();
    Matter m;
    // 八門 ＝ 休門 into group 3: grid columns 7, 8, 9 of row 1.
    EditResult r = addCondition(m, 2, ConditionInput{ElemMon, 0, 1, "0"}, names);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.row, 0);
    EXPECT_EQ(m.texts[(7 - 1) * 5], "八門");
    EXPECT_EQ(m.texts[(8 - 1) * 5], "＝");
    EXPECT_EQ(m.texts[(9 - 1) * 5], "休門");
    EXPECT_EQ(m.codes[(7 - 1) * 5], "4");
    EXPECT_EQ(m.codes[(8 - 1) * 5], "0");
    EXPECT_EQ(m.codes[(9 - 1) * 5], "1");

    // 数値 with 50: shown as ">=" 50, target code 0, operator code as chosen.
    r = addCondition(m, 2, ConditionInput{ElemSuuchi, 0, 0, "50"}, names);
    EXPECT_EQ(m.text(2, CellOperator, 1), ">=");
    EXPECT_EQ(m.text(2, CellTarget, 1), "50");
    EXPECT_EQ(m.code(2, CellTarget, 1), "0");
    EXPECT_EQ(m.code(2, CellOperator, 1), "0");
    // An element's number condition (target "数値") likewise.
    addCondition(m, 2, ConditionInput{ElemSei, 1, 0, " －５ "}, names);
    EXPECT_EQ(m.text(2, CellOperator, 2), ">=");
    EXPECT_EQ(m.text(2, CellTarget, 2), "-5");
    EXPECT_EQ(conditionAt(m, 2, 2)->number, "-5");
    addCondition(m, 2, ConditionInput{ElemKaku, 1, 18, "0"}, names);
    EXPECT_EQ(m.text(2, CellTarget, 3), "玉女守門");
    EXPECT_EQ(m.text(2, CellOperator, 3), "<>");

    EXPECT_FALSE(addCondition(m, 2, ConditionInput{ElemSuuchi, 1, 0, "abc"}, names).ok);
    EXPECT_FALSE(addCondition(m, 2, ConditionInput{ElemSuuchi, 1, 0, "1e3"}, names).ok);
    EXPECT_TRUE(addCondition(m, 2, ConditionInput{ElemTenChiKan, 0, 100, "0"}, names).ok);
    EXPECT_EQ(m.text(2, CellTarget, 4), "癸癸");
    EXPECT_EQ(targetList(ElemSei, names)[7], "天内"); // the default special character
    EXPECT_EQ(addCondition(m, 2, ConditionInput{ElemMon, 0, 1, "0"}, names).message, "これ以上追加できません");

    // Deleting row 2 moves rows 3..5 up in both tables.
    deleteCondition(m, 2, 1);
    EXPECT_EQ(m.text(2, CellElement, 1), "九星");
    EXPECT_EQ(m.code(2, CellTarget, 3), "100");
    EXPECT_FALSE(hasCondition(m, 2, 4));
    EXPECT_EQ(m.code(2, CellElement, 4), "");

    clearConditions(m);
    EXPECT_EQ(m, Matter{});
}

TEST_F(MattersFiles, ExportHasEightLinesPerMatter)
{
    const std::string csv = (dir / "out.csv").string();
    ASSERT_EQ(exportMattersCsv(Fixtures + "/matters-two.Dat", csv), "");
    const TextFile out = StFileRead(csv);
    ASSERT_EQ(out.lines.size(), 16u);
    EXPECT_EQ(out.lines[0], "Travel");
    EXPECT_TRUE(out.lines[1].starts_with(",条件1,,,条件2,,,条件3,,")) << out.lines[1];
    EXPECT_TRUE(out.lines[1].ends_with(",条件9,,,条件10,,")) << out.lines[1];
    EXPECT_EQ(out.lines[9], out.lines[1]);
    EXPECT_TRUE(out.lines[2].starts_with("And,八門,＝,開門,,,,")) << out.lines[2];
    EXPECT_TRUE(out.lines[3].starts_with("And,数値,>=,20,,,,")) << out.lines[3];
    EXPECT_EQ(std::count(out.lines[2].begin(), out.lines[2].end(), ','), 31);
    EXPECT_EQ(out.lines[7], "");
    EXPECT_EQ(out.lines[8], "ＡＢＣ占");

    EXPECT_NE(exportMattersCsv(Fixtures + "/matters-badcode.Dat", csv).find("matters-badcode.Dat"),
              std::string::npos);
}

} // namespace
} // namespace velm
