#pragma once

// The direction from one place to another, as a practitioner of 方位取り
// reads it: the initial azimuth of the geodesic on WGS84 (the direction on an
// azimuthal-equidistant map centred on the start) or the constant course of
// the rhumb line (a Mercator map), the distance, and the sector of the chosen
// division it falls in with its margin to the nearest sector edge.

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace velm {

struct GeoPoint {
    double lat = 0; // degrees, north positive
    double lon = 0; // degrees, east positive
};

enum class BearingPath { Geodesic, Rhumb };
enum class SectorDivision {
    Even45,    // eight of 45° centred on the points of the compass
    Uneven3060 // 30° on the cardinal points, 60° on the intercardinal ones
};

// Sectors clockwise from north, as the calendar orders its columns.
inline constexpr std::array<std::string_view, 8> SectorName{"北", "北東", "東", "南東", "南", "南西", "西", "北西"};
// The palace index (1 北西 … 8 南東, as search and heat map number
// directions) of each sector.
inline constexpr std::array<int, 8> SectorPalace{5, 3, 7, 8, 4, 6, 2, 1};

// The azimuth at which a sector begins (its counter-clockwise edge), in [0, 360).
double sectorStart(int sector, SectorDivision division);

struct SectorFix {
    int sector = 0;      // 0 北 … 7 北西
    double margin = 0;   // degrees to the nearer edge of the sector
    int neighbour = 0;   // the sector across that edge
    bool nearEdge = false; // margin below the chosen margin: "境界付近"
};

// The sector of an azimuth (degrees, any value). An azimuth exactly on an
// edge belongs to the sector clockwise from it.
SectorFix sectorOf(double azimuth, SectorDivision division, double marginDegrees);

struct Course {
    double azimuth = 0;    // true north, [0, 360)
    double distanceKm = 0; // along the path
};

// The course from `from` to `to`; empty, with the message, when the two are
// the same point or a coordinate is out of range.
std::optional<Course> courseBetween(GeoPoint from, GeoPoint to, BearingPath path, std::string &error);

// An angle brought into [0, 360).
double normalizedAzimuth(double degrees);

// Coordinates as the user types them: decimal degrees "35.6895,139.6917"
// (a comma or blanks between), or degrees, minutes and seconds with
// hemisphere letters, "35°41'22\"N 139°46'1\"E" (度分秒 and 北緯/東経
// accepted as well). Empty, with the message, when it is not coordinates.
std::optional<GeoPoint> parseCoordinates(std::string_view text, std::string &error);

// "北東" or "北東（境界付近: 北東／東）".
std::string sectorText(const SectorFix &fix);

} // namespace velm
