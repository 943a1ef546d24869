// Sectors and their edges, coordinates as typed, and the course between
// places (checked against the geodesic tools in the command-line tests).

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "output/bearing.h"
#include "output/coastline.h"
#include "output/magnetic.h"

using namespace velm;

TEST(Bearing, SectorsOfBothDivisionsWithEdgesClockwise)
{
    struct Case {
        double azimuth;
        SectorDivision division;
        int sector;
        double margin;
        int neighbour;
    };
    constexpr auto E = SectorDivision::Even45;
    constexpr auto U = SectorDivision::Uneven3060;
    const Case cases[] = {
        {0, E, 0, 22.5, 7},       {22.5, E, 1, 0, 0},     {22.4, E, 0, 0.1, 1},  {337.5, E, 0, 0, 7},
        {360, E, 0, 22.5, 7},     {-22.5, E, 0, 0, 7},    {-0.5, E, 0, 22, 7},   {180, E, 4, 22.5, 3},
        {292.5, E, 7, 0, 6},      {345, U, 0, 0, 7},      {15, U, 1, 0, 0},      {14.9, U, 0, 0.1, 1},
        {75, U, 2, 0, 1},         {105, U, 3, 0, 2},      {135, U, 3, 30, 2},    {165, U, 4, 0, 3},
        {195, U, 5, 0, 4},        {255, U, 6, 0, 5},      {285, U, 7, 0, 6},     {344.99, U, 7, 0.01, 0},
    };
    for (const Case &c : cases) {
        const SectorFix fix = sectorOf(c.azimuth, c.division, 3);
        EXPECT_EQ(fix.sector, c.sector) << c.azimuth;
        EXPECT_NEAR(fix.margin, c.margin, 1e-9) << c.azimuth;
        EXPECT_EQ(fix.neighbour, c.neighbour) << c.azimuth;
        EXPECT_EQ(fix.nearEdge, c.margin < 3) << c.azimuth;
    }
    EXPECT_EQ(sectorText(sectorOf(23, E, 3)), "北東（境界付近: 北東／北）");
    EXPECT_EQ(sectorText(sectorOf(23, E, 0.2)), "北東");
}

TEST(Bearing, CoordinatesAsTyped)
{
    struct Case {
        const char *text;
        double lat, lon;
    };
    const Case good[] = {
        {"35.6895,139.6917", 35.6895, 139.6917},
        {" -33.8688 , 151.2093 ", -33.8688, 151.2093},
        {"35.6895 139.6917", 35.6895, 139.6917},
        {"35°41'22\"N 139°46'1\"E", 35 + 41 / 60.0 + 22 / 3600.0, 139 + 46 / 60.0 + 1 / 3600.0},
        {"139°46'1\"E 35°41'22\"N", 35 + 41 / 60.0 + 22 / 3600.0, 139 + 46 / 60.0 + 1 / 3600.0},
        {"北緯35度41分22秒 東経139度46分1秒", 35 + 41 / 60.0 + 22 / 3600.0, 139 + 46 / 60.0 + 1 / 3600.0},
        {"33°52'S, 151°12'E", -(33 + 52 / 60.0), 151.2},
        {"90,180", 90, 180},
    };
    for (const Case &c : good) {
        std::string error;
        const auto p = parseCoordinates(c.text, error);
        ASSERT_TRUE(p) << c.text << " " << error;
        EXPECT_NEAR(p->lat, c.lat, 1e-9) << c.text;
        EXPECT_NEAR(std::abs(p->lon), std::abs(c.lon), 1e-9) << c.text;
    }
    for (const char *bad : {"東京", "35.6", "91,0", "0,181", "35,139,1", "N E", "35°N 36°N", "nan,0", ""}) {
        std::string error;
        EXPECT_FALSE(parseCoordinates(bad, error)) << bad;
        EXPECT_NE(error.find("座標"), std::string::npos) << bad;
    }
}

TEST(Bearing, SamePlaceHasNoDirection)
{
    std::string error;
    EXPECT_FALSE(courseBetween({35, 139}, {35, 139}, BearingPath::Geodesic, error));
    EXPECT_NE(error.find("同じ地点"), std::string::npos);
    EXPECT_FALSE(courseBetween({90, 0}, {90, 100}, BearingPath::Rhumb, error));
    const auto east = courseBetween({0, 0}, {0, 10}, BearingPath::Rhumb, error);
    ASSERT_TRUE(east);
    EXPECT_DOUBLE_EQ(east->azimuth, 90);
    EXPECT_EQ(sectorOf(east->azimuth, SectorDivision::Even45, 3).sector, 2);
}

TEST(Bearing, DeclinationOfTheWorldMagneticModel2025)
{
    // Test values published with the model: year, height (km), lat, lon, D.
    const struct {
        double year, km, lat, lon, declination;
    } published[] = {{2025.0, 28, 89, -121, -99.77},  {2025.0, 48, 80, -96, -29.91},
                     {2025.5, 6, -36, -137, 20.28},   {2027.5, 0, -13, -59, -17.49}};
    for (const auto &p : published) {
        std::string error;
        const auto d = magneticDeclinationAt(VELM_DATA_DIR, {p.lat, p.lon}, p.year, p.km * 1000, error);
        ASSERT_TRUE(d) << error;
        EXPECT_NEAR(*d, p.declination, 0.006) << p.lat << " " << p.lon;
    }
    std::string error;
    EXPECT_TRUE(magneticDeclination(VELM_DATA_DIR, {35.68, 139.69}, 2029, 12, 31, error));
    EXPECT_FALSE(magneticDeclination(VELM_DATA_DIR, {35.68, 139.69}, 2030, 1, 1, error));
    EXPECT_NE(error.find("WMM2025"), std::string::npos);
    EXPECT_FALSE(magneticDeclination(VELM_DATA_DIR, {35.68, 139.69}, 2024, 12, 31, error));
    EXPECT_FALSE(magneticDeclination("/nonexistent", {35.68, 139.69}, 2026, 1, 1, error));
    EXPECT_NE(error.find("読めません"), std::string::npos);
}

// The direction map's projection: the geodesic azimuth from the centre is
// the direction on the map and the distance from it the geodesic distance.
TEST(Bearing, AzimuthalEquidistantMapKeepsDirectionsFromTheCentre)
{
    const GeoPoint tokyo{35.6812, 139.7671};
    const MapPoint centre = projectPoint(tokyo, tokyo);
    EXPECT_NEAR(centre.x, 0, 1e-6);
    EXPECT_NEAR(centre.y, 0, 1e-6);
    for (const GeoPoint to : {GeoPoint{34.6937, 135.5022}, GeoPoint{43.0618, 141.3545}, GeoPoint{35.6812, 150.0},
                              GeoPoint{-33.8688, 151.2093}, GeoPoint{51.5074, -0.1278}}) {
        std::string error;
        const std::optional<Course> course = courseBetween(tokyo, to, BearingPath::Geodesic, error);
        ASSERT_TRUE(course) << error;
        const MapPoint p = projectPoint(tokyo, to);
        EXPECT_NEAR(normalizedAzimuth(std::atan2(p.x, p.y) * 180 / M_PI), course->azimuth, 1e-3);
        EXPECT_NEAR(std::hypot(p.x, p.y), course->distanceKm, 0.01);
    }
}

TEST(Bearing, CoastlinesOfTheShippedShorelinesAndARefusedFile)
{
    std::string error;
    const std::optional<Coastlines> coast = readCoastlines(DefaultCoastlineFile, error);
    ASSERT_TRUE(coast) << error;
    // The coarse shorelines: thousands of points, all on the globe.
    EXPECT_GT(coast->points(), 5000u);
    for (const auto &line : coast->lines)
        for (const GeoPoint &g : line)
            ASSERT_TRUE(g.lat >= -90 && g.lat <= 90 && g.lon >= -180 && g.lon <= 180);
    // Projected about Tokyo: nothing beyond the rim, no line across the tear.
    const ProjectedCoast map = projectCoastlines(*coast, {35.6812, 139.7671});
    EXPECT_GT(map.lines.size(), coast->lines.size() / 2);
    for (const auto &line : map.lines)
        for (std::size_t i = 0; i < line.size(); ++i) {
            ASSERT_LE(std::hypot(line[i].x, line[i].y), 19000.01);
            if (i > 0) {
                ASSERT_LE(std::hypot(line[i].x - line[i - 1].x, line[i].y - line[i - 1].y), 1500.01);
            }
        }

    const std::string bogus = ::testing::TempDir() + "/not-coastlines.nc";
    std::ofstream(bogus) << "CDF but not really";
    EXPECT_FALSE(readCoastlines(bogus, error));
    EXPECT_NE(error.find("海岸線のファイル"), std::string::npos) << error;
    EXPECT_FALSE(readCoastlines(::testing::TempDir() + "/missing.nc", error));
}
