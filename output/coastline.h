#pragma once

// The world's coastlines for the direction map, from the GSHHG shorelines
// that Debian ships (gmt-gshhg-low, netCDF files of 20° bins),
// and their projection on an azimuthal-equidistant map centred on the home
// base: the direction of a point from the centre is its geodesic azimuth,
// its distance from the centre the geodesic distance.

#include <optional>
#include <string>
#include <vector>

#include "output/bearing.h"

namespace velm {

// Where the Debian package puts its low-resolution shorelines (about 100,000
// points: Japan's coasts recognisable at a few hundred kilometres).
inline constexpr const char *DefaultCoastlineFile = "/usr/share/gmt-gshhg/binned_GSHHS_l.nc";

struct Coastlines {
    // Pieces of shoreline (sea against land, and lakes), each an open line.
    std::vector<std::vector<GeoPoint>> lines;
    std::size_t points() const;
};

// Reads the shorelines of a binned GSHHG file; empty, with the message, when
// the file is missing or not such a file.
std::optional<Coastlines> readCoastlines(const std::string &path, std::string &error);

// A point on the map: kilometres east and north of the centre.
struct MapPoint {
    float x = 0;
    float y = 0;
};

// The coastlines projected about `centre`, once per centre. Near the
// antipode the projection tears (one point of the earth becomes the rim of
// the map): a line is broken where it jumps across, and points beyond
// `maxKm` from the centre are left out.
struct ProjectedCoast {
    GeoPoint centre;
    std::vector<std::vector<MapPoint>> lines;
};
ProjectedCoast projectCoastlines(const Coastlines &coast, GeoPoint centre, double maxKm = 19000);

// One point of the azimuthal-equidistant map about `centre`.
MapPoint projectPoint(GeoPoint centre, GeoPoint point);

} // namespace velm
