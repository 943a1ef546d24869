#include "cli/placeargs.h"

#include <charconv>
#include <cstdio>
#include <cmath>
#include <ctime>
#include <filesystem>

#include "cli/datadir.h"
#include "output/magnetic.h"

namespace velm::cli {
namespace {

std::optional<double> parseDegrees(const std::string &text)
{
    double v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v))
        return std::nullopt;
    return v;
}

} // namespace

FlagResult takeDirectionOption(const std::vector<std::string> &args, std::size_t &i, DirectionOptions &into,
                               std::string &error, bool withFrom)
{
    const std::string &a = args[i];
    if (a == "--allow-edge") {
        into.allowEdge = true;
        into.given = true;
        return FlagResult::Taken;
    }
    if (a != "--to" && a != "--path" && a != "--north" && a != "--date" && a != "--sectors" && a != "--margin" &&
        !(withFrom && a == "--from"))
        return FlagResult::NotMine;
    const std::string *value = takeValue(args, i, error);
    if (!value)
        return FlagResult::Bad;
    into.given = true;
    const std::string &v = *value;
    if (a == "--from" || a == "--to") {
        if (v.empty()) {
            error = a + " の地点がありません";
            return FlagResult::Bad;
        }
        (a == "--from" ? into.from : into.to) = v;
    } else if (a == "--path") {
        if (v != "geodesic" && v != "rhumb") {
            error = "--path は geodesic か rhumb で指定して下さい: " + v;
            return FlagResult::Bad;
        }
        into.path = v == "rhumb" ? BearingPath::Rhumb : BearingPath::Geodesic;
    } else if (a == "--north") {
        if (v != "true" && v != "magnetic") {
            error = "--north は true か magnetic で指定して下さい: " + v;
            return FlagResult::Bad;
        }
        into.magnetic = v == "magnetic";
    } else if (a == "--date") {
        if (!(into.date = parseDate(v, error)))
            return FlagResult::Bad;
    } else if (a == "--sectors") {
        if (v != "45" && v != "30-60") {
            error = "--sectors は 45 か 30-60 で指定して下さい: " + v;
            return FlagResult::Bad;
        }
        into.sectors = v == "45" ? SectorDivision::Even45 : SectorDivision::Uneven3060;
    } else {
        const std::optional<double> m = parseDegrees(v);
        if (!m || *m < 0 || *m > 22.5) {
            error = "--margin は 0～22.5 の角度（度）で指定して下さい: " + v;
            return FlagResult::Bad;
        }
        into.margin = *m;
    }
    return FlagResult::Taken;
}

std::unique_ptr<PlaceBook> openPlaceBook(const std::string &dataDir, std::string &error)
{
    return PlaceBook::open(dataFile(dataDir, PlaceBookFile), error);
}

std::optional<Place> resolvePlace(const std::string &text, const PlaceBook *book, std::string &error)
{
    if (book) {
        std::string readError;
        if (std::optional<Place> saved = book->find(text, readError))
            return saved;
        if (!readError.empty()) {
            error = readError;
            return std::nullopt;
        }
    }
    std::string coordinateError;
    if (const std::optional<GeoPoint> p = parseCoordinates(text, coordinateError)) {
        Place place;
        place.name = text;
        place.lat = p->lat;
        place.lon = p->lon;
        return place;
    }
    // Words with digits were meant as coordinates: say what is wrong with them.
    if (text.find_first_of("0123456789") != std::string::npos) {
        error = coordinateError;
        return std::nullopt;
    }
    const std::vector<GazetteerCity> cities = findCities(text, error);
    if (cities.size() == 1) {
        Place place;
        place.name = cities[0].name;
        place.lat = cities[0].lat;
        place.lon = cities[0].lon;
        return place;
    }
    if (cities.empty()) {
        if (error.empty())
            error = "地点「" + text + "」は登録されておらず、地名辞書にもありません（登録した名前、都市名か、緯度,経度で指定して下さい）";
        return std::nullopt;
    }
    error = "「" + text + "」に当たる都市が " + std::to_string(cities.size()) +
            " 件あります。「名前/都道府県」か座標で指定して下さい:";
    for (std::size_t k = 0; k < cities.size() && k < 20; ++k)
        error += "\n  " + cities[k].label();
    return std::nullopt;
}

std::vector<GazetteerCity> findCities(const std::string &text, std::string &error)
{
    const std::optional<Gazetteer> gazetteer = Gazetteer::load(Gazetteer::defaultCatalogue(), error);
    if (!gazetteer)
        return {};
    const std::size_t slash = text.find('/');
    std::vector<GazetteerCity> cities = gazetteer->find(text.substr(0, slash));
    if (slash != std::string::npos) {
        // "府中/広島県", "府中/広島", "Portland/Oregon": the cities of that region or country.
        const std::string region = text.substr(slash + 1);
        std::erase_if(cities, [&region](const GazetteerCity &c) {
            return region.empty() || (c.region.rfind(region, 0) != 0 && c.country.rfind(region, 0) != 0);
        });
    }
    return cities;
}

std::optional<Direction> resolveDirection(const DirectionOptions &options, const std::string &dataDir,
                                          std::string &error)
{
    std::unique_ptr<PlaceBook> book;
    if (std::filesystem::exists(dataFile(dataDir, PlaceBookFile))) {
        book = openPlaceBook(dataDir, error);
        if (!book)
            return std::nullopt;
    }
    Direction d;
    if (options.from.empty()) {
        std::string readError;
        std::optional<Place> home = book ? book->home(readError) : std::nullopt;
        if (!home) {
            error = readError.empty() ? "基点が登録されていません（--from で出発地を指定するか、"
                                        "velm-cli places home NAME で基点を決めて下さい）"
                                      : readError;
            return std::nullopt;
        }
        d.from = *home;
    } else if (std::optional<Place> from = resolvePlace(options.from, book.get(), error)) {
        d.from = *from;
    } else {
        return std::nullopt;
    }
    if (options.to.empty()) {
        error = "--to で目的地を指定して下さい";
        return std::nullopt;
    }
    if (std::optional<Place> to = resolvePlace(options.to, book.get(), error))
        d.to = *to;
    else
        return std::nullopt;
    const std::optional<Course> course =
        courseBetween({d.from.lat, d.from.lon}, {d.to.lat, d.to.lon}, options.path, error);
    if (!course)
        return std::nullopt;
    d.course = *course;
    d.azimuth = course->azimuth;
    if (options.magnetic) {
        // The declination at the start, on the given date or today.
        CivilTime date;
        if (options.date) {
            date = *options.date;
        } else {
            const std::time_t now = std::time(nullptr);
            std::tm local{};
            localtime_r(&now, &local);
            date.year = local.tm_year + 1900;
            date.month = local.tm_mon + 1;
            date.day = local.tm_mday;
        }
        const std::optional<double> declination =
            magneticDeclination(dataDir, {d.from.lat, d.from.lon}, date.year, date.month, date.day, error);
        if (!declination)
            return std::nullopt;
        d.declination = declination;
        d.azimuth = normalizedAzimuth(course->azimuth - *declination);
    }
    d.fix = sectorOf(d.azimuth, options.sectors, options.margin);
    return d;
}

int directionPalace(const Direction &direction, const DirectionOptions &options, std::string &error)
{
    if (direction.fix.nearEdge && !options.allowEdge) {
        char margin[32];
        std::snprintf(margin, sizeof margin, "%.2f", direction.fix.margin);
        error = "「" + direction.to.name + "」の方位は" + sectorText(direction.fix) + "で、境界まで " + margin +
                "° しかありません。どちらの方位でも検索するなら --allow-edge を付けて下さい";
        return 0;
    }
    return SectorPalace[static_cast<std::size_t>(direction.fix.sector)];
}

std::optional<int> walkDirection(const DirectionOptions &options, const std::string &dataDir, std::string &error,
                                 bool directionGiven)
{
    if (!options.given)
        return 0;
    if (directionGiven) {
        error = "--direction と --to は同時に指定できません";
        return std::nullopt;
    }
    if (options.to.empty()) {
        error = "--from, --path, --north, --sectors, --margin, --allow-edge は --to と一緒に指定して下さい";
        return std::nullopt;
    }
    const std::optional<Direction> d = resolveDirection(options, dataDir, error);
    if (!d)
        return std::nullopt;
    const int palace = directionPalace(*d, options, error);
    if (palace == 0)
        return std::nullopt;
    char line[160];
    std::snprintf(line, sizeof line, "%.4f°（境界まで %.2f°）", d->azimuth, d->fix.margin);
    report("方位: " + d->from.name + " → " + d->to.name + " " + sectorText(d->fix) + " " + line);
    return palace;
}

} // namespace velm::cli
