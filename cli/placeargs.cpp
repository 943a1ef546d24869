#include "cli/placeargs.h"

#include <charconv>
#include <cmath>
#include <filesystem>

#include "cli/datadir.h"

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
        return FlagResult::Taken;
    }
    if (a != "--to" && a != "--path" && a != "--north" && a != "--date" && a != "--sectors" && a != "--margin" &&
        !(withFrom && a == "--from"))
        return FlagResult::NotMine;
    const std::string *value = takeValue(args, i, error);
    if (!value)
        return FlagResult::Bad;
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
    if (text.find_first_of("0123456789") != std::string::npos)
        error = coordinateError;
    else
        error = "地点「" + text + "」は登録されていません（登録した名前か、緯度,経度で指定して下さい）";
    return std::nullopt;
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
        error = "磁北はまだ使えません（地磁気モデルがありません）";
        return std::nullopt;
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

} // namespace velm::cli
