#include "output/coastline.h"

#include <cmath>
#include <cstdint>
#include <type_traits>

#include <GeographicLib/AzimuthalEquidistant.hpp>
#include <GeographicLib/Geodesic.hpp>
#include <netcdf.h>

namespace velm {
namespace {

// An open netCDF file, closed on every path out.
class NcFile {
public:
    explicit NcFile(const std::string &path) { m_status = nc_open(path.c_str(), NC_NOWRITE, &m_id); }
    ~NcFile()
    {
        if (m_status == NC_NOERR)
            nc_close(m_id);
    }
    NcFile(const NcFile &) = delete;
    NcFile &operator=(const NcFile &) = delete;
    int status() const { return m_status; }

    // A whole variable of `count` values; false when it is missing or of another size.
    template <typename T>
    bool read(const char *name, std::size_t count, std::vector<T> &into) const
    {
        int var = 0;
        if (nc_inq_varid(m_id, name, &var) != NC_NOERR)
            return false;
        int dims = 0;
        if (nc_inq_varndims(m_id, var, &dims) != NC_NOERR || dims != 1)
            return false;
        int dim = 0;
        std::size_t length = 0;
        if (nc_inq_vardimid(m_id, var, &dim) != NC_NOERR || nc_inq_dimlen(m_id, dim, &length) != NC_NOERR
            || length != count)
            return false;
        into.resize(count);
        if (count == 0)
            return true;
        int status = NC_NOERR;
        if constexpr (std::is_same_v<T, int>)
            status = nc_get_var_int(m_id, var, into.data());
        else
            status = nc_get_var_short(m_id, var, into.data());
        return status == NC_NOERR;
    }
    std::optional<int> scalar(const char *name) const
    {
        std::vector<int> v;
        if (!read(name, 1, v))
            return std::nullopt;
        return v[0];
    }

private:
    int m_id = -1;
    int m_status = NC_NOERR;
};

// Shoreline levels: 1 sea against land (for Antarctica its ice front), 2
// lakes; islands in lakes and ponds in them are too small to matter at the
// map's scale, and Antarctica's grounding line (level 6) lies under the ice.
constexpr int LastLevel = 2;

} // namespace

std::size_t Coastlines::points() const
{
    std::size_t n = 0;
    for (const auto &line : lines)
        n += line.size();
    return n;
}

std::optional<Coastlines> readCoastlines(const std::string &path, std::string &error)
{
    const NcFile file(path);
    const std::string named = "海岸線のファイル「" + path + "」";
    if (file.status() != NC_NOERR) {
        error = named + "を読めません: " + nc_strerror(file.status());
        return std::nullopt;
    }
    const auto binMinutes = file.scalar("Bin_size_in_minutes");
    const auto binsAcross = file.scalar("N_bins_in_360_longitude_range");
    const auto bins = file.scalar("N_bins_in_file");
    const auto segments = file.scalar("N_segments_in_file");
    const auto points = file.scalar("N_points_in_file");
    std::vector<int> firstSegment, segmentInfo, firstPoint;
    std::vector<short> segmentCount, dx, dy;
    const bool read = binMinutes && binsAcross && bins && segments && points && *binMinutes > 0 && *binsAcross > 0
                      && *bins >= 0 && *segments >= 0 && *points >= 0
                      && file.read("Id_of_first_segment_in_a_bin", std::size_t(*bins), firstSegment)
                      && file.read("N_segments_in_a_bin", std::size_t(*bins), segmentCount)
                      && file.read("Embedded_npts_levels_exit_entry_for_a_segment", std::size_t(*segments), segmentInfo)
                      && file.read("Id_of_first_point_in_a_segment", std::size_t(*segments), firstPoint)
                      && file.read("Relative_longitude_from_SW_corner_of_bin", std::size_t(*points), dx)
                      && file.read("Relative_latitude_from_SW_corner_of_bin", std::size_t(*points), dy);
    if (!read) {
        error = named + "は海岸線のデータではありません。";
        return std::nullopt;
    }

    Coastlines coast;
    const double binSize = *binMinutes / 60.0;
    for (int b = 0; b < *bins; ++b) {
        // Bins run west to east from 0°, rows from the north pole down.
        const double west = (b % *binsAcross) * binSize;
        const double south = 90.0 - (b / *binsAcross + 1) * binSize;
        const int first = firstSegment[std::size_t(b)];
        for (int s = first; s < first + segmentCount[std::size_t(b)]; ++s) {
            if (s < 0 || s >= *segments)
                break;
            const auto info = static_cast<std::uint32_t>(segmentInfo[std::size_t(s)]);
            const int level = static_cast<int>((info >> 6) & 7);
            const int count = static_cast<int>(info >> 9);
            if (level < 1 || level > LastLevel || count < 2)
                continue;
            const int start = firstPoint[std::size_t(s)];
            if (start < 0 || start + count > *points)
                continue;
            std::vector<GeoPoint> line;
            line.reserve(std::size_t(count));
            for (int p = start; p < start + count; ++p) {
                // Offsets are unsigned 16-bit fractions of the bin.
                const double fx = static_cast<std::uint16_t>(dx[std::size_t(p)]) / 65535.0;
                const double fy = static_cast<std::uint16_t>(dy[std::size_t(p)]) / 65535.0;
                double lon = west + fx * binSize;
                if (lon > 180)
                    lon -= 360;
                line.push_back({south + fy * binSize, lon});
            }
            coast.lines.push_back(std::move(line));
        }
    }
    if (coast.lines.empty()) {
        error = named + "に海岸線がありません。";
        return std::nullopt;
    }
    return coast;
}

MapPoint projectPoint(GeoPoint centre, GeoPoint point)
{
    static const GeographicLib::AzimuthalEquidistant projection(GeographicLib::Geodesic::WGS84());
    double x = 0, y = 0, azimuth = 0, scale = 0;
    projection.Forward(centre.lat, centre.lon, point.lat, point.lon, x, y, azimuth, scale);
    return {static_cast<float>(x / 1000.0), static_cast<float>(y / 1000.0)};
}

ProjectedCoast projectCoastlines(const Coastlines &coast, GeoPoint centre, double maxKm)
{
    // A jump longer than this between neighbouring points of the coarse
    // shoreline (points lie at most a few hundred kilometres apart) is the
    // tear around the antipode, not a coast.
    constexpr float TearKm = 1500;
    ProjectedCoast out;
    out.centre = centre;
    const auto maxSquared = static_cast<float>(maxKm * maxKm);
    for (const auto &line : coast.lines) {
        std::vector<MapPoint> piece;
        piece.reserve(line.size());
        auto flush = [&] {
            if (piece.size() >= 2)
                out.lines.push_back(std::move(piece));
            piece = {};
        };
        for (const GeoPoint &g : line) {
            const MapPoint p = projectPoint(centre, g);
            if (!std::isfinite(p.x) || !std::isfinite(p.y) || p.x * p.x + p.y * p.y > maxSquared) {
                flush();
                continue;
            }
            if (!piece.empty()) {
                const float ddx = p.x - piece.back().x, ddy = p.y - piece.back().y;
                if (ddx * ddx + ddy * ddy > TearKm * TearKm)
                    flush();
            }
            piece.push_back(p);
        }
        flush();
    }
    return out;
}

} // namespace velm
