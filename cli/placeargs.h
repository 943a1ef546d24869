#pragma once

// The options that name places and a direction between them, shared by
// `bearing` and by the walks that take --to PLACE in place of a direction.

#include <optional>
#include <string>
#include <vector>

#include "cli/args.h"
#include "output/bearing.h"
#include "output/gazetteer.h"
#include "output/placebook.h"

namespace velm::cli {

struct DirectionOptions {
    std::string from; // empty: the home base
    std::string to;
    BearingPath path = BearingPath::Geodesic;
    bool magnetic = false;
    std::optional<CivilTime> date; // of the declination; today when absent
    SectorDivision sectors = SectorDivision::Even45;
    double margin = 3;
    bool allowEdge = false;
    bool given = false; // any of these options was given
};

// Takes --from, --to, --path, --north, --date, --sectors, --margin or
// --allow-edge at args[i] (advancing i past its value). `withFrom` false
// leaves --from to the command (calendar's row offset).
FlagResult takeDirectionOption(const std::vector<std::string> &args, std::size_t &i, DirectionOptions &into,
                               std::string &error, bool withFrom = true);

// A PLACE word: a saved name, coordinates ("LAT,LON", 度分秒) or a city of
// the gazetteer ("大阪", "府中/広島県" to choose among cities of one name).
// `book` may be null (no place book yet). A city name that several cities
// share is refused with the list of them.
std::optional<Place> resolvePlace(const std::string &text, const PlaceBook *book, std::string &error);

// The cities of the gazetteer a name (with an optional "/REGION") finds;
// empty, with the message, when the gazetteer cannot be read.
std::vector<GazetteerCity> findCities(const std::string &text, std::string &error);

struct Direction {
    Place from;
    Place to;
    Course course;                    // true north
    std::optional<double> declination; // east positive, when magnetic
    double azimuth = 0;               // from the chosen north
    SectorFix fix;
};

// The direction the options name, read against the place book of the data
// folder (opened only when it exists).
std::optional<Direction> resolveDirection(const DirectionOptions &options, const std::string &dataDir,
                                          std::string &error);

// For search, calendar and heat map: the palace index (1..8) of the
// direction, or 0 with the message when it is near a sector edge and
// --allow-edge was not given.
int directionPalace(const Direction &direction, const DirectionOptions &options, std::string &error);

// The palace index (1..8) a walk takes for --to: 0 when no direction option
// was given, nullopt with the message when the place cannot be found, the
// options stand without --to, --to comes beside --direction (`directionGiven`),
// or the direction is near an edge (unless --allow-edge). The direction found
// is named on standard error.
std::optional<int> walkDirection(const DirectionOptions &options, const std::string &dataDir, std::string &error,
                                 bool directionGiven = false);

// The place book of the data folder, created when missing.
std::unique_ptr<PlaceBook> openPlaceBook(const std::string &dataDir, std::string &error);

} // namespace velm::cli
