// Symbol tables, special characters, the codec and the master-file loader.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "engine/codec.h"
#include "engine/constdata.h"
#include "engine/symbols.h"
#include "engine/textfile.h"

using namespace velm;

namespace {

template <typename Table>
void expectWidthAtMost(const Table &table, int bytes, const char *name)
{
    for (const auto &text : table)
        EXPECT_LE(cp932Width(text), bytes) << name << ": " << text;
}

std::string tempPath(const std::string &name)
{
    auto dir = std::filesystem::temp_directory_path() / ("velm-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    return (dir / name).string();
}

} // namespace

TEST(Symbols, FixedWidthsAndSpecialEntries)
{
    expectWidthAtMost(StemName, 2, "StemName");
    expectWidthAtMost(StemRole, 4, "StemRole");
    expectWidthAtMost(NineStarName, 8, "NineStarName");
    expectWidthAtMost(DoorName, 2, "DoorName");
    expectWidthAtMost(DirectionName, 8, "DirectionName");
    expectWidthAtMost(TermName, 4, "TermName");
    expectWidthAtMost(PatternNameSource, 10, "PatternNameSource");
    EXPECT_EQ(DirectionName[2], " 西");
    EXPECT_EQ(DirectionName[4], " 南");
    EXPECT_EQ(DoorName[0], "　");
    EXPECT_EQ(PatternNameSource[21], " 伏宮格 ");
    EXPECT_EQ(cp932Width(PatternNameSource[21]), 8);
    for (int p = 0; p < 9; ++p)
        EXPECT_EQ(KyuToRing[RingToKyu[p]], p);
}

TEST(Symbols, MojiToShu)
{
    EXPECT_EQ(MojiToShu("年"), 0);
    EXPECT_EQ(MojiToShu("月"), 1);
    EXPECT_EQ(MojiToShu("日"), 2);
    EXPECT_EQ(MojiToShu("時"), 3);
    EXPECT_EQ(MojiToShu(""), 9);
    EXPECT_EQ(MojiToShu("刻"), 9);
    EXPECT_EQ(MojiToShu("年盤"), 9);
}

TEST(ConstData, DefaultsGiveTheUsualCharacters)
{
    ConstData data = MakeConstData();
    EXPECT_TRUE(data.messages.empty());
    EXPECT_EQ(data.StarChar[6], "内");
    EXPECT_EQ(data.DeityName[2], "騰蛇");
    EXPECT_EQ(data.PatternName[27], "ｴｲ入太白");
    EXPECT_EQ(data.PatternName[28], "太白入ｴｲ");
    EXPECT_EQ(data.PatternName[37], "騰蛇妖矯");
    EXPECT_EQ(data.PatternName[55], "五不遇時");
    EXPECT_EQ(data.PatternName[19], "");
    EXPECT_EQ(data.StarChar[9], "　");
}

TEST(ConstData, BadCodesLeaveEmptyCharactersAndOneMessageEach)
{
    ConstData data = MakeConstData({"93E", "B4B2", "XYZW"});
    ASSERT_EQ(data.messages.size(), 2u);
    EXPECT_EQ(data.messages[0], "文字ｺｰﾄﾞは、４文字で指定して下さい。");
    EXPECT_EQ(data.messages[1], "『XYZW』は、不正なS-JISｺｰﾄﾞです。");
    EXPECT_EQ(data.StarChar[6], "");
    EXPECT_EQ(data.DeityName[2], "蛇");
    EXPECT_EQ(data.PatternName[37], "蛇妖矯");
    EXPECT_EQ(data.PatternName[27], "ｴｲ入太白");
}

TEST(ConstData, EditChangeDecodesShiftJisPairs)
{
    EXPECT_EQ(EditChange("93E0").character, "内");
    EXPECT_EQ(EditChange("b4b2").character, "ｴｲ");
    EXPECT_EQ(EditChange("F040").character, "\uE000"); // user-defined area
    EXPECT_EQ(EditChange("F9FC").character, "\uE757");
    EXPECT_EQ(EditChange("").message, "文字ｺｰﾄﾞは、４文字で指定して下さい。");
    EXPECT_EQ(EditChange("93E0A").message, "文字ｺｰﾄﾞは、４文字で指定して下さい。");
    // Not a character at all: refused like a bad digit rather than stored broken.
    EXPECT_EQ(EditChange("0000").message, "『0000』は、不正なS-JISｺｰﾄﾞです。");
    EXPECT_EQ(EditChange("93FF").message, "『93FF』は、不正なS-JISｺｰﾄﾞです。");
    // A wide character cuts whole: a 2-byte star name keeps only whole characters.
    ConstData wide = MakeConstData({"82A0", "B4B2", "93AB"});
    EXPECT_EQ(wide.StarChar[6], "あ");
}

TEST(Codec, RoundTripAndWidths)
{
    const std::string text = "甲辰ｴｲ abc～";
    CodecResult bytes = encodeCp932(text);
    ASSERT_TRUE(bytes.ok);
    EXPECT_EQ(static_cast<int>(bytes.text.size()), cp932Width(text));
    CodecResult back = decodeCp932(bytes.text);
    ASSERT_TRUE(back.ok);
    EXPECT_EQ(back.text, text);

    EXPECT_EQ(cutCp932("靑龍返首X", 8), "靑龍返首");
    EXPECT_EQ(cutCp932("ab甲", 3), "ab"); // never half a character
    EXPECT_EQ(padCp932(" 西", 8), " 西     ");
}

TEST(Codec, ReportsWhatItCannotConvert)
{
    CodecResult bad = decodeCp932(std::string("ab\x81", 3)); // truncated pair
    EXPECT_FALSE(bad.ok);
    EXPECT_EQ(bad.errorOffset, 2u);
    CodecResult notCp932 = encodeCp932("a😀b");
    EXPECT_FALSE(notCp932.ok);
    EXPECT_EQ(notCp932.errorOffset, 1u);
}

TEST(TextFile, MissingFileMessage)
{
    TextFile f = StFileRead("/nonexistent/SetuFile.Dat");
    EXPECT_EQ(f.status, TextFile::Status::Missing);
    EXPECT_EQ(f.message, "『/nonexistent/SetuFile.Dat』が、見つかりません。");
    EXPECT_TRUE(f.lines.empty());
}

TEST(TextFile, WritesAtomicallyAndReadsBothLineEnds)
{
    std::string path = tempPath("lines.Dat");
    ASSERT_EQ(writeTextFileAtomic(path, {"甲,乙,", "", "ｴｲ"}), "");
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(bytes, "\x8d\x62,\x89\xb3,\r\n\r\n\xb4\xb2\r\n");
    TextFile f = StFileRead(path);
    ASSERT_TRUE(f.ok());
    EXPECT_EQ(f.lines, (std::vector<std::string>{"甲,乙,", "", "ｴｲ"}));

    // LF-only files read the same.
    ASSERT_EQ(writeBytesAtomic(path, "a\nb\n"), "");
    EXPECT_EQ(StFileRead(path).lines, (std::vector<std::string>{"a", "b"}));

    // A text CP932 cannot hold is refused and the old file kept.
    EXPECT_NE(writeTextFileAtomic(path, {"😀"}), "");
    EXPECT_EQ(StFileRead(path).lines, (std::vector<std::string>{"a", "b"}));
}

TEST(TextFile, BadEncodingNamesTheLine)
{
    std::string path = tempPath("bad.Dat");
    ASSERT_EQ(writeBytesAtomic(path, "ok\r\n\x81\r\nafter\r\n"), "");
    TextFile f = StFileRead(path);
    EXPECT_EQ(f.status, TextFile::Status::BadEncoding);
    EXPECT_EQ(f.badLine, 2);
    EXPECT_NE(f.message.find("2行目"), std::string::npos);
    EXPECT_EQ(f.lines.size(), 3u);
}

std::string bytesOf(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(TextFile, RefusesWhatIsNotACp932TextFile)
{
    // Nothing here may block or exhaust memory; each message names the file.
    const std::string fifo = tempPath("fifo.Dat");
    std::filesystem::remove(fifo);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string large = tempPath("large.Dat");
    std::filesystem::resize_file((std::ofstream(large), large), MaxTextFileBytes + 1); // sparse
    for (const std::string &path : {fifo, std::string("/dev/zero"), large}) {
        TextFile f = StFileRead(path);
        EXPECT_EQ(f.status, TextFile::Status::Unreadable) << path;
        EXPECT_NE(f.message.find("『" + path + "』"), std::string::npos) << f.message;
        EXPECT_TRUE(f.lines.empty());
    }
    EXPECT_NE(StFileRead(large).message.find("大きすぎる"), std::string::npos);

    struct Case {
        std::string bytes;
        const char *inMessage;
    };
    const Case cases[] = {
        {std::string("1\0,\0\r\0\n\0", 8), "UTF-16"},         // no byte-order mark
        {std::string("\xfe\xff\0" "1\0,", 6), "UTF-16"},        // big-endian, with one
        {std::string("a\r\nb\rc\0d\r\n", 10), "3行目に、NUL"}, // a stray NUL in CP932 text
    };
    const std::string path = tempPath("refused.Dat");
    for (const Case &c : cases) {
        ASSERT_EQ(writeBytesAtomic(path, c.bytes), "");
        TextFile f = StFileRead(path);
        EXPECT_EQ(f.status, TextFile::Status::BadEncoding) << c.inMessage;
        EXPECT_NE(f.message.find(c.inMessage), std::string::npos) << f.message;
        EXPECT_TRUE(f.lines.empty());
    }

    // CR alone ends a line as CR LF and LF do.
    ASSERT_EQ(writeBytesAtomic(path, "a\rb\r\rc\r\nd\ne"), "");
    EXPECT_EQ(StFileRead(path).lines, (std::vector<std::string>{"a", "b", "", "c", "d", "e"}));
}

TEST(TextFile, WriterKeepsLinksAndPermissionsAndLeavesNoTemporary)
{
    namespace fs = std::filesystem;
    const fs::path dir = tempPath("writer");
    fs::remove_all(dir);
    fs::create_directories(dir / "real");
    const std::string target = (dir / "real" / "SuuFile.Dat").string();
    const std::string link = (dir / "link.Dat").string();
    const std::string victim = (dir / "victim").string();
    ASSERT_EQ(writeBytesAtomic(target, "old"), "");
    ASSERT_EQ(::chmod(target.c_str(), 0600), 0);
    fs::create_symlink("real/SuuFile.Dat", link);
    ASSERT_EQ(writeBytesAtomic(victim, "victim"), "");
    // A link planted where a fixed temporary name would be.
    fs::create_symlink(victim, link + ".tmp~");
    fs::create_symlink(victim, target + ".tmp~");

    ASSERT_EQ(writeBytesAtomic(link, "new"), "");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(bytesOf(target), "new");
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(bytesOf(victim), "victim");
    fs::remove(link + ".tmp~");
    fs::remove(target + ".tmp~");
    {
        AtomicFile abandoned(target); // a writer that stops half way
        EXPECT_TRUE(abandoned.write("half"));
    }
    EXPECT_EQ(bytesOf(target), "new");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "real"), fs::directory_iterator()), 1);

    // A failed write (the target is a folder) leaves no temporary behind.
    fs::create_directories(dir / "real" / "folder");
    EXPECT_NE(writeBytesAtomic((dir / "real" / "folder").string(), "x"), "");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "real"), fs::directory_iterator()), 2);
}

// What is not the writer's to replace stays as it is, with a message naming
// it: no name, a read-only file (root included), a FIFO or a device. The
// command line writes into a FIFO or device as a shell redirection would.
TEST(TextFile, WriterReplacesOnlyWritableRegularFiles)
{
    namespace fs = std::filesystem;
    const fs::path dir = tempPath("targets");
    fs::remove_all(dir);
    fs::create_directories(dir);
    const auto entries = [&] { return std::distance(fs::directory_iterator(dir), fs::directory_iterator()); };

    EXPECT_NE(writeBytesAtomic("", "x").find("名前が空"), std::string::npos);

    const std::string locked = (dir / "locked.Dat").string();
    ASSERT_EQ(writeBytesAtomic(locked, "kept"), "");
    ASSERT_EQ(::chmod(locked.c_str(), 0444), 0);
    const std::string refused = writeBytesAtomic(locked, "new", SpecialTarget::WriteThrough);
    EXPECT_NE(refused.find("『" + locked + "』は、読み取り専用"), std::string::npos) << refused;
    EXPECT_EQ(bytesOf(locked), "kept");

    const std::string fifo = (dir / "fifo").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_NE(writeBytesAtomic(fifo, "x").find("通常のファイルではない"), std::string::npos);
    EXPECT_NE(writeBytesAtomic("/dev/null", "x").find("通常のファイルではない"), std::string::npos);
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_EQ(entries(), 2);

    // Written through: the reader gets the bytes, and the FIFO stays a FIFO.
    std::string read;
    std::thread reader([&] { read = bytesOf(fifo); });
    EXPECT_EQ(writeBytesAtomic(fifo, "through", SpecialTarget::WriteThrough), "");
    reader.join();
    EXPECT_EQ(read, "through");
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_EQ(writeBytesAtomic("/dev/null", "x", SpecialTarget::WriteThrough), "");
    EXPECT_TRUE(fs::is_character_file("/dev/null"));

    // The longest name a folder takes still gets its short temporary beside it.
    const std::string longest = (dir / std::string(240, 'n')).string();
    EXPECT_EQ(writeBytesAtomic(longest, "long"), "");
    EXPECT_EQ(bytesOf(longest), "long");
    EXPECT_EQ(entries(), 3);
}

// Ended by SIGTERM or SIGINT half way through a write, the program leaves
// neither its temporary nor a changed file.
TEST(TextFile, SignalsRemoveTheTemporary)
{
    namespace fs = std::filesystem;
    const fs::path dir = tempPath("signalled");
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string target = (dir / "list.csv").string();
    ASSERT_EQ(writeBytesAtomic(target, "old"), "");
    for (int signal : {SIGTERM, SIGINT}) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            removeTemporariesOnSignals();
            AtomicFile file(target);
            file.write("half");
            ::raise(signal);
            ::_exit(0); // not reached: the signal ends the program
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
        EXPECT_EQ(bytesOf(target), "old");
    }
}

TEST(TextFile, ConcurrentWritersNeverMixOrLoseContent)
{
    // Two writers to one path: both succeed, and the file is whole one or the other.
    const std::string path = tempPath("race.Dat");
    const std::string a(64 * 1024, 'a');
    const std::string b(48 * 1024, 'b');
    for (int round = 0; round < 50; ++round) {
        std::string ra, rb;
        std::thread ta([&] { ra = writeBytesAtomic(path, a); });
        std::thread tb([&] { rb = writeBytesAtomic(path, b); });
        ta.join();
        tb.join();
        ASSERT_EQ(ra, "") << round;
        ASSERT_EQ(rb, "") << round;
        const std::string now = bytesOf(path);
        ASSERT_TRUE(now == a || now == b) << round << ": " << now.size() << " bytes";
    }
}

TEST(TextFile, UnwritableFolderKeepsNothingHalfWritten)
{
    std::string msg = writeTextFileAtomic("/nonexistent-dir/x.Dat", {"a"});
    EXPECT_NE(msg.find("『/nonexistent-dir/x.Dat』に書き込めません。(ファイルまたはフォルダがありません)"),
              std::string::npos)
        << msg;
}
