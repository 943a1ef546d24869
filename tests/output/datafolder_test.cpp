// Where the data files live: a build's own folder, an install's read-only one
// with the user's folder filled from the defaults, and the explicit choices.

#include "output/datafolder.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace velm {
namespace {

void put(const fs::path &p, const std::string &text)
{
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << text;
}

std::string get(const fs::path &p)
{
    std::stringstream s;
    s << std::ifstream(p, std::ios::binary).rdbuf();
    return s.str();
}

class DataFolderTest : public testing::Test {
protected:
    void SetUp() override
    {
        // One folder per test: ctest runs the tests of this file side by side.
        root = fs::path(testing::TempDir())
            / (std::string("datafolder-") + testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::permissions(root, fs::perms::owner_all, fs::perm_options::add, ignored);
        for (const char *d : {"build/bin", "ro/bin", "prefix/bin"})
            if (fs::exists(root / d))
                fs::permissions(root / d, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(root);
        for (const char *name : UserDataFiles) {
            put(root / "build/bin" / name, std::string("default ") + name);
            put(root / "ro/bin" / name, std::string("default ") + name);
            put(root / "prefix/share/velm" / name, std::string("default ") + name);
        }
        put(root / "prefix/share/velm/VELMWIN.html", "help 2");
        fs::create_directories(root / "prefix/bin");
        fs::permissions(root / "ro/bin", fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read
                                             | fs::perms::group_exec | fs::perms::others_read
                                             | fs::perms::others_exec);
    }
    void TearDown() override { fs::permissions(root / "ro/bin", fs::perms::owner_all, fs::perm_options::add); }

    fs::path root;
    std::error_code ignored;
};

TEST_F(DataFolderTest, ChoosesTheFolderByWhereTheProgramRuns)
{
    const std::string user = (root / "user").string();
    struct Case {
        const char *name;
        std::string given, environment, program;
        DataFolder::Source source;
        std::string folder, defaults;
    };
    const std::string build = (root / "build/bin").string();
    const std::string ro = (root / "ro/bin").string();
    const std::string installed = (root / "prefix/bin").string();
    const std::vector<Case> cases{
        {"--data", "/x", "/y", build, DataFolder::Source::Given, "/x", ""},
        {"environment", "", "/y", installed, DataFolder::Source::Environment, "/y", ""},
        {"a build", "", "", build, DataFolder::Source::Program, build, ""},
        // No write bit at all: read-only even for root.
        {"read-only program folder", "", "", ro, DataFolder::Source::User, user, ro},
        {"installed", "", "", installed, DataFolder::Source::User, user, (root / "prefix/share/velm").string()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const DataFolder d = chooseDataFolder(c.given, c.environment, c.program, user);
        EXPECT_EQ(d.source, c.source);
        EXPECT_EQ(d.folder, c.folder);
        EXPECT_EQ(d.defaults, c.defaults);
    }
}

TEST_F(DataFolderTest, FillsTheUsersFolderOnceAndKeepsTheirEdits)
{
    const fs::path user = root / "user";
    const fs::path installed = root / "prefix/bin";
    PreparedDataFolder p = prepareDataFolder("", "", installed.string(), user.string());
    EXPECT_TRUE(p.errors.empty());
    EXPECT_EQ(get(user / "SuuFile.Dat"), "default SuuFile.Dat");
    EXPECT_EQ(get(user / "VELMWIN.html"), "help 2");

    // The user's edits stay; a newer help file of the program replaces the old.
    put(user / "SuuFile.Dat", "mine");
    fs::remove(user / "Senji.Idx");
    put(root / "prefix/share/velm/VELMWIN.html", "help 3");
    p = prepareDataFolder("", "", installed.string(), user.string());
    EXPECT_TRUE(p.errors.empty());
    EXPECT_EQ(get(user / "SuuFile.Dat"), "mine");
    EXPECT_EQ(get(user / "Senji.Idx"), "default Senji.Idx");
    EXPECT_EQ(get(user / "VELMWIN.html"), "help 3");

    // A folder that cannot be made is reported, not ignored.
    put(root / "file", "x");
    p = prepareDataFolder("", "", installed.string(), (root / "file/VELM").string());
    EXPECT_EQ(p.errors.size(), 1u);
}

} // namespace
} // namespace velm
