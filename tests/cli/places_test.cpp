// velm-cli places and bearing: the place book from the command line, and
// bearings checked against GeographicLib's own solvers (GeodSolve,
// RhumbSolve) on random pairs worldwide and on the awkward cases.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "cli_run.h"

namespace fs = std::filesystem;

namespace {

struct DataFolder {
    fs::path dir = fs::temp_directory_path() / ("velm-places-" + std::to_string(::getpid()) + "-" +
                                                ::testing::UnitTest::GetInstance()->current_test_info()->name());
    DataFolder()
    {
        fs::remove_all(dir);
        fs::create_directories(dir);
        for (const char *name : {"SuuFile.Dat", "Senji.Dat", "Senji.Idx", "SetuFile.Dat", "wmm2025.wmm", "wmm2025.wmm.cof"})
            fs::copy_file(fs::path(VELM_DATA_DIR) / name, dir / name);
    }
    ~DataFolder() { fs::remove_all(dir); }
    std::string arg() const { return " --data " + dir.string(); }
};

// A number after "key": in a JSON line.
double number(const std::string &json, const std::string &key, std::size_t from = 0)
{
    const std::size_t at = json.find("\"" + key + "\":", from);
    if (at == std::string::npos)
        return NAN;
    return std::strtod(json.c_str() + at + key.size() + 3, nullptr);
}

std::string text(const std::string &json, const std::string &key)
{
    const std::size_t at = json.find("\"" + key + "\":\"");
    if (at == std::string::npos)
        return {};
    const std::size_t start = at + key.size() + 4;
    return json.substr(start, json.find('"', start) - start);
}

// One line of a GeographicLib solver per input line.
std::vector<std::string> solve(const std::string &tool, const std::string &input)
{
    const fs::path in = fs::temp_directory_path() / ("velm-solve-" + std::to_string(::getpid()));
    std::ofstream(in) << input;
    FILE *pipe = ::popen((tool + " < " + in.string()).c_str(), "r");
    std::vector<std::string> lines;
    char buf[512];
    while (pipe && std::fgets(buf, sizeof buf, pipe))
        lines.emplace_back(buf);
    if (pipe)
        ::pclose(pipe);
    fs::remove(in);
    return lines;
}

std::string coord(double v)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.12f", v);
    return buf;
}

double azimuthDifference(double a, double b)
{
    const double d = std::fmod(std::abs(a - b), 360.0);
    return std::min(d, 360.0 - d);
}

} // namespace

TEST(CliPlaces, AddListHomeRemoveAndTheirErrors)
{
    DataFolder d;
    EXPECT_EQ(cli("places add 自宅 35.6895,139.6917 --home --note 本宅" + d.arg()).status, 0);
    EXPECT_EQ(cli("places add 大阪 \"34°41'37\\\"N\" \"135°30'8\\\"E\"" + d.arg()).status, 0);
    CliRun dup = cliWithErrors("places add 大阪 1,2" + d.arg());
    EXPECT_EQ(dup.status, 1);
    EXPECT_NE(dup.out.find("もう登録されています"), std::string::npos) << dup.out;
    EXPECT_EQ(cliWithErrors("places add 海 95,0" + d.arg()).status, 2);
    EXPECT_EQ(cli("places list" + d.arg()).out,
              "　　\t大阪\t34.693611,135.502222\n基点\t自宅\t35.689500,139.691700\t本宅\n");
    EXPECT_EQ(cli("places home" + d.arg()).out, "自宅\t35.689500,139.691700\n");
    EXPECT_EQ(cli("places home 大阪" + d.arg()).status, 0);
    const CliRun json = cli("places list --json" + d.arg());
    EXPECT_NE(json.out.find("{\"name\":\"大阪\",\"lat\":34.693611111,\"lon\":135.502222222,\"note\":\"\",\"home\":true}"),
              std::string::npos)
        << json.out;
    EXPECT_EQ(cli("places remove 自宅" + d.arg()).status, 0);
    EXPECT_EQ(cliWithErrors("places remove 自宅" + d.arg()).status, 1);
    EXPECT_EQ(countLines(cli("places list" + d.arg()).out), 1);

    // A data folder whose VELM.db is not a database: refused, left alone.
    DataFolder broken;
    std::ofstream(broken.dir / "VELM.db") << "not a database";
    CliRun refused = cliWithErrors("places list" + broken.arg());
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.out.find("データベースとして読めません"), std::string::npos) << refused.out;
}

TEST(CliBearing, AgreesWithGeographicLibsSolversWorldwide)
{
    DataFolder d;
    std::mt19937 random(20251209);
    std::uniform_real_distribution<double> lat(-90, 90), lon(-180, 180);
    std::vector<std::array<double, 4>> pairs{
        {0, 0, 0, 180},           // antipodes on the equator
        {35, 139, -35, -41},      // antipodes
        {90, 0, 35, 139},         // from the north pole
        {-90, 0, 10, 10},         // from the south pole
        {35, 139, 90, 0},         // to the pole
        {35, 179.9, 35, -179.9},  // across the date line
        {-10, -179.5, 20, 179.5}, // the other way across it
        {0, 0, 0, 0.00001},       // a metre apart
    };
    for (int i = 0; i < 60; ++i)
        pairs.push_back({lat(random), lon(random), lat(random), lon(random)});
    std::string input;
    for (const auto &p : pairs)
        input += coord(p[0]) + " " + coord(p[1]) + " " + coord(p[2]) + " " + coord(p[3]) + "\n";
    for (const char *path : {"geodesic", "rhumb"}) {
        const bool geodesic = std::string(path) == "geodesic";
        const std::vector<std::string> reference = solve(geodesic ? "GeodSolve -i -p 9" : "RhumbSolve -i -p 9", input);
        ASSERT_EQ(reference.size(), pairs.size()) << "GeodSolve/RhumbSolve (geographiclib-tools) missing?";
        for (std::size_t k = 0; k < pairs.size(); ++k) {
            const auto &p = pairs[k];
            double azimuth = 0, second = 0, metres = 0;
            std::istringstream line(reference[k]);
            if (geodesic)
                line >> azimuth >> second >> metres;
            else
                line >> azimuth >> metres;
            const CliRun run = cli("bearing --json --path " + std::string(path) + " --from " + coord(p[0]) + "," +
                                   coord(p[1]) + " --to " + coord(p[2]) + "," + coord(p[3]) + d.arg());
            ASSERT_EQ(run.status, 0) << reference[k];
            EXPECT_LT(azimuthDifference(number(run.out, "azimuth"), azimuth), 1e-6) << path << " " << run.out;
            EXPECT_NEAR(number(run.out, "distanceKm") * 1000, metres, 1.0) << path << " " << run.out;
            const double a = number(run.out, "azimuth");
            EXPECT_GE(a, 0);
            EXPECT_LT(a, 360);
            // The sector by the rule, from the reference azimuth.
            const double r = std::fmod(azimuth + 360 + 22.5, 360.0);
            static const char *names[] = {"北", "北東", "東", "南東", "南", "南西", "西", "北西"};
            if (std::abs(std::fmod(r, 45.0)) > 1e-6 && 45 - std::fmod(r, 45.0) > 1e-6) {
                EXPECT_EQ(text(run.out, "sector"), names[static_cast<int>(r / 45)]) << run.out;
            }
        }
    }
}

TEST(CliBearing, PlacesLaidOnSectorEdgesFallClockwise)
{
    DataFolder d;
    // Points 3,000 km from Tokyo along each edge azimuth of both divisions.
    const struct {
        double azimuth;
        const char *sectors;
        const char *sector;
    } edges[] = {{22.5, "45", "北東"},     {67.5, "45", "東"},       {337.5, "45", "北"},  {202.5, "45", "南西"},
                 {15, "30-60", "北東"},    {75, "30-60", "東"},      {105, "30-60", "南東"}, {345, "30-60", "北"},
                 {255, "30-60", "西"},     {195, "30-60", "南西"}};
    std::string input;
    for (const auto &e : edges)
        input += "35.6895 139.6917 " + coord(e.azimuth) + " 3000000\n";
    const std::vector<std::string> ends = solve("GeodSolve -p 12", input);
    ASSERT_EQ(ends.size(), std::size(edges));
    for (std::size_t k = 0; k < ends.size(); ++k) {
        double lat = 0, lon = 0;
        std::istringstream(ends[k]) >> lat >> lon;
        const CliRun run = cli("bearing --json --from 35.6895,139.6917 --to " + coord(lat) + "," + coord(lon) +
                               " --sectors " + edges[k].sectors + d.arg());
        EXPECT_EQ(text(run.out, "sector"), edges[k].sector) << run.out;
        EXPECT_NEAR(number(run.out, "marginDegrees"), 0, 1e-8) << run.out;
        EXPECT_NE(run.out.find("\"nearEdge\":true"), std::string::npos);
    }
}

TEST(CliBearing, FromHomeToSavedPlacesAsTextAndJson)
{
    DataFolder d;
    ASSERT_EQ(cli("places add 自宅 35.6895,139.6917 --home" + d.arg()).status, 0);
    ASSERT_EQ(cli("places add 大阪 34.6937,135.5023" + d.arg()).status, 0);
    const CliRun json = cli("bearing --to 大阪 --json" + d.arg());
    ASSERT_EQ(json.status, 0);
    EXPECT_EQ(json.out.rfind("{\"from\":{\"name\":\"自宅\",\"lat\":35.689500000,\"lon\":139.691700000},"
                             "\"to\":{\"name\":\"大阪\",\"lat\":34.693700000,\"lon\":135.502300000},\"azimuth\":",
                             0),
              0u)
        << json.out;
    for (const char *key : {"\"sector\":\"西\"", "\"marginDegrees\":", "\"distanceKm\":397.18", "\"path\":\"geodesic\"",
                            "\"north\":\"true\"", "\"direction\":2"})
        EXPECT_NE(json.out.find(key), std::string::npos) << key << json.out;
    EXPECT_EQ(json.out.find("declination"), std::string::npos);
    const CliRun shown = cli("bearing --to 大阪 --sectors 30-60" + d.arg());
    // Osaka lies 0.07° inside 西 of the 30°/60° division.
    EXPECT_NE(shown.out.find("方位 西（30°/60°区分、境界まで 0.07°）  境界付近: 西／南西\n"), std::string::npos)
        << shown.out;

    struct Bad {
        const char *args;
        const char *says;
    } bad[] = {{"bearing --to 未登録の地", "登録されておらず"},
               {"bearing --to 自宅", "同じ地点"},
               {"bearing --to 大阪 --path great", "geodesic か rhumb"},
               {"bearing --to 大阪 --sectors 30", "45 か 30-60"},
               {"bearing --to 大阪 --margin -1", "--margin"},
               {"bearing --to 95,0", "座標"},
               {"bearing --from 大阪", "使い方"}};
    for (const Bad &b : bad) {
        const CliRun run = cliWithErrors(std::string(b.args) + d.arg());
        EXPECT_EQ(run.status, 2) << b.args;
        EXPECT_NE(run.out.find(b.says), std::string::npos) << b.args << ": " << run.out;
    }
    DataFolder empty;
    EXPECT_NE(cliWithErrors("bearing --to 大阪" + empty.arg()).out.find("基点が登録されていません"), std::string::npos);
    EXPECT_FALSE(fs::exists(empty.dir / "VELM.db")); // a question does not create the book
}

TEST(CliPlaces, CitiesOfTheGazetteerByTheirJapaneseNames)
{
    DataFolder d;
    const CliRun osaka = cli("places find 大阪" + d.arg());
    ASSERT_EQ(osaka.status, 0);
    EXPECT_EQ(osaka.out.rfind("大阪市\t大阪府\t日本\t34.69", 0), 0u) << osaka.out;
    EXPECT_EQ(cli("places find osaka" + d.arg()).out, osaka.out);
    // A name several cities share lists them, and "/REGION" picks one.
    const CliRun many = cliWithErrors("bearing --from 東京 --to ハミルトン" + d.arg());
    EXPECT_EQ(many.status, 2);
    EXPECT_NE(many.out.find("件あります"), std::string::npos) << many.out;
    EXPECT_NE(many.out.find("ハミルトン（"), std::string::npos) << many.out;
    const CliRun one = cli("bearing --json --from 東京 --to ハミルトン/カナダ" + d.arg());
    EXPECT_EQ(one.status, 0) << one.out;
    EXPECT_NE(one.out.find("\"to\":{\"name\":\"ハミルトン\",\"lat\":43.2"), std::string::npos) << one.out;
    // A saved place without coordinates takes its city's.
    ASSERT_EQ(cli("places add 札幌 --home" + d.arg()).status, 0);
    EXPECT_EQ(cli("places home" + d.arg()).out.rfind("札幌\t43.06", 0), 0u);
    EXPECT_NE(cliWithErrors("places add 自宅" + d.arg()).out.find("地名辞書にもありません"), std::string::npos);
}

TEST(CliBearing, WalksTakeTheDirectionOfADestination)
{
    DataFolder d;
    ASSERT_EQ(cli("places add 自宅 35.6895,139.6917 --home" + d.arg()).status, 0);
    ASSERT_EQ(cli("places add 大阪 34.6937,135.5023" + d.arg()).status, 0);
    // 大阪 is 西, direction 2, of the 45° division.
    EXPECT_EQ(cli("heatmap 2026-01-01 --days 3 --to 大阪" + d.arg()).out,
              cli("heatmap 2026-01-01 --days 3 --direction 2" + d.arg()).out);
    const std::string search = std::string("search 2026-01-01 00:00 --matter 吉方位（総合） --kind 3 --limit 20");
    EXPECT_EQ(cli(search + " --to 大阪 --from 35.6895,139.6917" + d.arg()).out,
              cli(search + " --direction 2" + d.arg()).out);
    // 0.07° from the edge of the 30°/60° division: refused unless allowed.
    const CliRun edge = cliWithErrors("heatmap 2026-01-01 --days 3 --to 大阪 --sectors 30-60" + d.arg());
    EXPECT_EQ(edge.status, 2);
    EXPECT_NE(edge.out.find("--allow-edge"), std::string::npos) << edge.out;
    EXPECT_EQ(cli("heatmap 2026-01-01 --days 3 --to 大阪 --sectors 30-60 --allow-edge" + d.arg()).status, 0);
    EXPECT_EQ(cliWithErrors("heatmap 2026-01-01 --days 3 --to 大阪 --direction 2" + d.arg()).status, 2);
    EXPECT_EQ(cliWithErrors("heatmap 2026-01-01 --days 3 --sectors 30-60" + d.arg()).status, 2);
    // The calendar keeps --from N as its row offset; a place there is the start.
    const CliRun calendar = cli("calendar 2026-01-01 01 --rows 3 --from 1 --to 大阪 --csv" + d.arg());
    ASSERT_EQ(calendar.status, 0);
    const CliRun fromPlace = cli("calendar 2026-01-01 01 --rows 3 --from 自宅 --to 大阪 --csv" + d.arg());
    ASSERT_EQ(fromPlace.status, 0);
    EXPECT_EQ(countLines(calendar.out), countLines(fromPlace.out));
    EXPECT_NE(calendar.out, cli("calendar 2026-01-01 01 --rows 3 --from 1 --csv" + d.arg()).out);
}

TEST(CliBearing, MagneticNorthWithinTheModelsYears)
{
    DataFolder d;
    const std::string route = "bearing --json --from 35.6895,139.6917 --to 34.6937,135.5023";
    const CliRun magnetic = cli(route + " --north magnetic --date 2026-06-01" + d.arg());
    ASSERT_EQ(magnetic.status, 0) << magnetic.out;
    const double declination = number(magnetic.out, "declination");
    EXPECT_NEAR(declination, -7.6, 0.5) << magnetic.out; // west in Tokyo
    EXPECT_NEAR(number(magnetic.out, "azimuth"), number(cli(route + d.arg()).out, "azimuth") - declination, 1e-6);
    EXPECT_EQ(text(magnetic.out, "north"), "magnetic");
    const CliRun late = cliWithErrors(route + " --north magnetic --date 2030-01-01" + d.arg());
    EXPECT_EQ(late.status, 2);
    EXPECT_NE(late.out.find("2025～2029年"), std::string::npos) << late.out;
}
