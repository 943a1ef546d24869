#include "output/bearing.h"

#include <cmath>
#include <vector>

#include <GeographicLib/DMS.hpp>
#include <GeographicLib/Geodesic.hpp>
#include <GeographicLib/Rhumb.hpp>

namespace velm {
namespace {

constexpr std::array<double, 8> Uneven3060Starts{345, 15, 75, 105, 165, 195, 255, 285};

// Closer than this the two places are one: no direction leads from one to the other.
constexpr double SamePlaceMetres = 0.001;

void replaceAll(std::string &text, std::string_view from, std::string_view to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

std::vector<std::string> words(const std::string &text)
{
    std::vector<std::string> out;
    std::string word;
    for (char c : text) {
        if (c == ' ' || c == '\t') {
            if (!word.empty())
                out.push_back(std::move(word));
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty())
        out.push_back(std::move(word));
    return out;
}

} // namespace

double normalizedAzimuth(double degrees)
{
    double a = std::fmod(degrees, 360.0);
    if (a < 0)
        a += 360.0;
    // A tiny negative angle rounds to 360 when moved up; -0 reads as 0.
    if (a >= 360.0 || a == 0)
        a = 0;
    return a;
}

double sectorStart(int sector, SectorDivision division)
{
    if (division == SectorDivision::Uneven3060)
        return Uneven3060Starts[static_cast<std::size_t>(sector)];
    return normalizedAzimuth(sector * 45.0 - 22.5);
}

SectorFix sectorOf(double azimuth, SectorDivision division, double marginDegrees)
{
    const double a = normalizedAzimuth(azimuth);
    SectorFix fix;
    for (int k = 0; k < 8; ++k) {
        const double lo = sectorStart(k, division);
        const double width = normalizedAzimuth(sectorStart((k + 1) % 8, division) - lo);
        // Half open, [lo, lo + width): an edge belongs to the sector after it.
        const double into = normalizedAzimuth(a - lo);
        if (into < width) {
            const double left = width - into;
            fix.sector = k;
            fix.margin = std::min(into, left);
            fix.neighbour = into <= left ? (k + 7) % 8 : (k + 1) % 8;
            fix.nearEdge = fix.margin < marginDegrees;
            return fix;
        }
    }
    return fix; // not reached: the sectors cover the circle
}

std::optional<Course> courseBetween(GeoPoint from, GeoPoint to, BearingPath path, std::string &error)
{
    for (const GeoPoint &p : {from, to})
        if (!std::isfinite(p.lat) || !std::isfinite(p.lon) || std::abs(p.lat) > 90 || std::abs(p.lon) > 180) {
            error = "緯度は -90～90 度、経度は -180～180 度で指定して下さい。";
            return std::nullopt;
        }
    double metres = 0;
    double azimuth = 0;
    if (path == BearingPath::Geodesic) {
        double azi2 = 0;
        GeographicLib::Geodesic::WGS84().Inverse(from.lat, from.lon, to.lat, to.lon, metres, azimuth, azi2);
    } else {
        GeographicLib::Rhumb::WGS84().Inverse(from.lat, from.lon, to.lat, to.lon, metres, azimuth);
    }
    if (!(metres >= SamePlaceMetres)) {
        error = "出発地と目的地が同じ地点です。方位は決まりません。";
        return std::nullopt;
    }
    // Kept to 1e-9° (a tenth of a millimetre at 6,000 km), as printed: a
    // place laid out on a sector edge then reads as on it, whatever the
    // last bits of the series say.
    return Course{normalizedAzimuth(std::round(azimuth * 1e9) / 1e9), metres / 1000.0};
}

std::optional<GeoPoint> parseCoordinates(std::string_view given, std::string &error)
{
    std::string text(given);
    // The Japanese ways of writing the same marks.
    replaceAll(text, "　", " ");
    replaceAll(text, "，", ",");
    replaceAll(text, "、", ",");
    replaceAll(text, "度", "d");
    replaceAll(text, "分", "'");
    replaceAll(text, "秒", "\"");
    for (const auto &[prefix, letter] : {std::pair{"北緯", "N"}, std::pair{"南緯", "S"}, std::pair{"東経", "E"},
                                         std::pair{"西経", "W"}}) {
        const std::size_t at = text.find(prefix);
        if (at == std::string::npos)
            continue;
        // The hemisphere goes after the number it belongs to.
        text.erase(at, std::string_view(prefix).size());
        const std::size_t number = text.find_first_not_of(' ', at); // blanks after the prefix
        const std::size_t end = number == std::string::npos ? number : text.find_first_of(", ", number);
        text.insert(end == std::string::npos ? text.size() : end, letter);
    }
    std::vector<std::string> parts;
    if (const std::size_t comma = text.find(','); comma != std::string::npos) {
        if (text.find(',', comma + 1) != std::string::npos)
            parts = {};
        else
            parts = {text.substr(0, comma), text.substr(comma + 1)};
        for (std::string &p : parts) {
            const std::vector<std::string> w = words(p);
            p.clear();
            for (const std::string &x : w)
                p += x;
        }
    } else {
        parts = words(text);
    }
    const auto hasDigit = [](const std::string &s) { return s.find_first_of("0123456789") != std::string::npos; };
    if (parts.size() != 2 || !hasDigit(parts[0]) || !hasDigit(parts[1])) {
        error = "座標として読めません: " + std::string(given) + "（例: 35.6895,139.6917 や 35°41'22\"N 139°46'1\"E）";
        return std::nullopt;
    }
    try {
        double lat = 0;
        double lon = 0;
        GeographicLib::DMS::DecodeLatLon(parts[0], parts[1], lat, lon);
        if (!std::isfinite(lat) || !std::isfinite(lon) || std::abs(lon) > 180)
            throw GeographicLib::GeographicErr("longitude");
        return GeoPoint{lat, lon};
    } catch (const GeographicLib::GeographicErr &) {
        error = "座標として読めません: " + std::string(given) + "（緯度は -90～90 度、経度は -180～180 度）";
        return std::nullopt;
    }
}

std::string sectorText(const SectorFix &fix)
{
    std::string out(SectorName[static_cast<std::size_t>(fix.sector)]);
    if (fix.nearEdge)
        out += "（境界付近: " + out + "／" + std::string(SectorName[static_cast<std::size_t>(fix.neighbour)]) + "）";
    return out;
}

} // namespace velm
