// velm-cli places and bearing.

#include "cli/cmd_places.h"

#include <cstdio>
#include <iostream>

#include "cli/datadir.h"
#include "cli/json.h"
#include "cli/options.h"
#include "cli/placeargs.h"

namespace velm::cli {
namespace {

constexpr const char *PlacesUsage =
    "使い方: velm-cli places list [--json] | add NAME [COORDINATES|CITY] [--note TEXT] [--home] | remove NAME | "
    "home [NAME] | find CITY  [--data DIR]";
constexpr const char *BearingUsage =
    "使い方: velm-cli bearing [--from PLACE] --to PLACE [--path geodesic|rhumb] [--north true|magnetic] "
    "[--date YYYY-MM-DD] [--sectors 45|30-60] [--margin DEG] [--json] [--data DIR]";

// Fixed decimals, never "-0.000".
std::string fixed(double value, int decimals)
{
    std::string text = jsonNumber(value, decimals);
    if (text.front() == '-' && text.find_first_of("123456789") == std::string::npos)
        text.erase(0, 1);
    return text;
}

std::string placeJson(const Place &p, bool withNote)
{
    JsonObject o;
    o.text("name", p.name).raw("lat", fixed(p.lat, 9)).raw("lon", fixed(p.lon, 9));
    if (withNote)
        o.text("note", p.note).raw("home", p.home ? "true" : "false");
    return o.str();
}

std::string coordinateText(const Place &p)
{
    return fixed(p.lat, 6) + "," + fixed(p.lon, 6);
}

int placesList(PlaceBook &book, bool json)
{
    std::string error;
    const std::vector<Place> places = book.places(error);
    if (!error.empty())
        return runFailure(error);
    for (const Place &p : places) {
        if (json)
            std::cout << placeJson(p, true) << "\n";
        else
            std::cout << (p.home ? "基点" : "　　") << "\t" << p.name << "\t" << coordinateText(p)
                      << (p.note.empty() ? "" : "\t" + p.note) << "\n";
    }
    return 0;
}

struct PlacesArgs {
    std::string note;
    bool home = false;
    bool json = false;
};

CommandLine placesCommandLine(PlacesArgs &into)
{
    CommandLine line;
    line.command = "places";
    line.words = "list|add NAME COORDINATES|remove NAME|home [NAME]";
    line.summary = "地点帳 (VELM.db) の地点を一覧・登録・削除し、自宅を決めます (find CITY で地名辞書を引きます)。";
    line.options = {
        switchOption("--json", "list と find を JSON で出力する", [&into] { into.json = true; }),
        valueOption("--note", "TEXT", "add: 地点の覚え書き",
                    [&into](const std::string &v, std::string &) {
                        into.note = v;
                        return true;
                    }),
        switchOption("--home", "add: その地点を自宅にする", [&into] { into.home = true; }),
        dataOption(),
    };
    return line;
}

struct BearingArgs {
    DirectionOptions options;
    bool json = false;
};

CommandLine bearingCommandLine(BearingArgs &into)
{
    CommandLine line;
    line.command = "bearing";
    line.summary = "二地点の間の方位と距離、その方位の宮を出力します。";
    for (Option &o : directionOptions(into.options)) {
        if (o.name == "--to")
            o.help = "目的地 (必須)";
        if (o.name != "--allow-edge")
            line.options.push_back(std::move(o));
    }
    line.options.push_back(switchOption("--json", "JSON で出力する", [&into] { into.json = true; }));
    line.options.push_back(dataOption());
    return line;
}

// The table as the command reads it: --allow-edge, which only the walks
// use, is taken so that the command can say so.
CommandLine bearingReading(BearingArgs &into)
{
    CommandLine line = bearingCommandLine(into);
    for (Option &o : directionOptions(into.options))
        if (o.name == "--allow-edge")
            line.options.push_back(std::move(o));
    return line;
}

} // namespace

CommandLine placesCommandLine()
{
    static PlacesArgs scratch;
    return placesCommandLine(scratch);
}

CommandLine bearingCommandLine()
{
    static BearingArgs scratch;
    return bearingCommandLine(scratch);
}

int runPlaces(const Args &given)
{
    Args args = given;
    std::string error;
    const std::optional<std::string> dataDir = takeDataDir(args, error);
    if (!dataDir)
        return usageError(error);
    std::vector<std::string> positional;
    PlacesArgs taken;
    const CommandLine line = placesCommandLine(taken);
    if (const std::optional<int> status = readCommandLine(line, args, positional))
        return *status;
    const std::string &note = taken.note;
    const bool home = taken.home;
    const bool json = taken.json;
    if (positional.empty())
        return usageError(PlacesUsage);
    const std::string sub = positional[0];
    const bool fits = (sub == "list" && positional.size() == 1) || (sub == "add" && positional.size() >= 2) || (sub == "find" && positional.size() == 2) ||
                      (sub == "remove" && positional.size() == 2) || (sub == "home" && positional.size() <= 2);
    if (!fits)
        return usageError(PlacesUsage);
    if (sub != "add" && (home || !note.empty()))
        return usageError("--note と --home は add にだけ付けられます");

    if (sub == "find") {
        // The gazetteer's cities of a name, for choosing coordinates.
        const std::vector<GazetteerCity> cities = findCities(positional[1], error);
        if (!error.empty())
            return runFailure(error);
        if (cities.empty())
            return runFailure("地名辞書に「" + positional[1] + "」はありません");
        for (const GazetteerCity &c : cities) {
            if (json)
                std::cout << JsonObject()
                                 .text("name", c.name)
                                 .text("region", c.region)
                                 .text("country", c.country)
                                 .raw("lat", fixed(c.lat, 6))
                                 .raw("lon", fixed(c.lon, 6))
                                 .integer("population", c.population)
                                 .str()
                          << "\n";
            else
                std::cout << c.name << "\t" << c.region << "\t" << c.country << "\t" << fixed(c.lat, 6) << ","
                          << fixed(c.lon, 6) << "\n";
        }
        return 0;
    }
    std::unique_ptr<PlaceBook> book = openPlaceBook(*dataDir, error);
    if (!book)
        return runFailure(error);
    if (sub == "list")
        return placesList(*book, json);
    if (sub == "add") {
        // The coordinates may come as one word or as two ("35°41'N" "139°46'E"),
        // or as a city of the gazetteer; without them the name is the city.
        std::string where;
        for (std::size_t k = 2; k < positional.size(); ++k)
            where += (k > 2 ? " " : "") + positional[k];
        if (where.empty())
            where = positional[1];
        std::optional<GeoPoint> p = parseCoordinates(where, error);
        if (!p) {
            if (where.find_first_of("0123456789") != std::string::npos)
                return usageError(error);
            error.clear();
            const std::optional<Place> city = resolvePlace(where, nullptr, error);
            if (!city)
                return usageError(error);
            p = GeoPoint{city->lat, city->lon};
        }
        Place place;
        place.name = positional[1];
        place.lat = p->lat;
        place.lon = p->lon;
        place.note = note;
        place.home = home;
        error = book->add(place);
        if (!error.empty())
            return runFailure(error);
        return 0;
    }
    if (sub == "remove") {
        error = book->remove(positional[1]);
        return error.empty() ? 0 : runFailure(error);
    }
    if (positional.size() == 2) {
        error = book->setHome(positional[1]);
        return error.empty() ? 0 : runFailure(error);
    }
    const std::optional<Place> current = book->home(error);
    if (!error.empty())
        return runFailure(error);
    if (!current)
        return runFailure("基点が登録されていません");
    if (json)
        std::cout << placeJson(*current, true) << "\n";
    else
        std::cout << current->name << "\t" << coordinateText(*current) << "\n";
    return 0;
}

int runBearing(const Args &given)
{
    Args args = given;
    std::string error;
    const std::optional<std::string> dataDir = takeDataDir(args, error);
    if (!dataDir)
        return usageError(error);
    BearingArgs taken;
    const CommandLine line = bearingReading(taken);
    std::vector<std::string> positional;
    switch (parseCommandLine(line, args, positional, error)) {
    case Parsed::Help:
        std::cout << commandHelp(bearingCommandLine(taken));
        return 0;
    case Parsed::Bad:
        return usageError(error);
    case Parsed::Ok:
        break;
    }
    if (!positional.empty())
        return usageError(BearingUsage);
    const DirectionOptions &options = taken.options;
    const bool json = taken.json;
    if (options.to.empty())
        return usageError(BearingUsage);
    if (options.allowEdge)
        return usageError("--allow-edge は search, calendar, heatmap のオプションです");
    const std::optional<Direction> d = resolveDirection(options, *dataDir, error);
    if (!d)
        return usageError(error);
    const char *path = options.path == BearingPath::Geodesic ? "geodesic" : "rhumb";
    const char *north = options.magnetic ? "magnetic" : "true";
    if (json) {
        JsonObject o;
        o.raw("from", placeJson(d->from, false)).raw("to", placeJson(d->to, false)).raw("azimuth", fixed(d->azimuth, 9));
        if (d->declination)
            o.raw("declination", fixed(*d->declination, 6));
        o.text("sector", SectorName[static_cast<std::size_t>(d->fix.sector)])
            .raw("marginDegrees", fixed(d->fix.margin, 9))
            .raw("distanceKm", fixed(d->course.distanceKm, 6))
            .text("path", path)
            .text("north", north)
            .text("sectors", options.sectors == SectorDivision::Even45 ? "45" : "30-60")
            .raw("nearEdge", d->fix.nearEdge ? "true" : "false")
            .text("neighbour", SectorName[static_cast<std::size_t>(d->fix.neighbour)])
            .integer("direction", SectorPalace[static_cast<std::size_t>(d->fix.sector)]);
        std::cout << o.str() << "\n";
        return 0;
    }
    std::cout << d->from.name << "（" << coordinateText(d->from) << "）→ " << d->to.name << "（"
              << coordinateText(d->to) << "）\n";
    std::cout << "方位角 " << fixed(d->azimuth, 4) << "°（" << (options.magnetic ? "磁北" : "真北") << "・"
              << (options.path == BearingPath::Geodesic ? "測地線" : "等角航路") << "）";
    if (d->declination)
        std::cout << "  偏角 " << fixed(*d->declination, 2) << "°";
    std::cout << "  距離 " << fixed(d->course.distanceKm, 3) << " km\n";
    const std::string sector(SectorName[static_cast<std::size_t>(d->fix.sector)]);
    std::cout << "方位 " << sector << "（" << (options.sectors == SectorDivision::Even45 ? "45°" : "30°/60°")
              << "区分、境界まで " << fixed(d->fix.margin, 2) << "°）";
    if (d->fix.nearEdge)
        std::cout << "  境界付近: " << sector << "／" << SectorName[static_cast<std::size_t>(d->fix.neighbour)];
    std::cout << "\n";
    return 0;
}

} // namespace velm::cli
