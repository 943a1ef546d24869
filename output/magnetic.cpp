#include "output/magnetic.h"

#include <GeographicLib/MagneticModel.hpp>

namespace velm {
namespace {

bool leap(int y)
{
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

// The date as a decimal year, at its noon.
double decimalYear(int year, int month, int day)
{
    static constexpr int before[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
    const int dayOfYear = before[month - 1] + day - 1 + (month > 2 && leap(year) ? 1 : 0);
    return year + (dayOfYear + 0.5) / (leap(year) ? 366.0 : 365.0);
}

} // namespace

std::optional<double> magneticDeclination(const std::string &folder, GeoPoint at, int year, int month, int day,
                                          std::string &error)
{
    if (year < MagneticFirstYear || year > MagneticLastYear || month < 1 || month > 12 || day < 1 || day > 31) {
        error = "磁北は世界磁気モデル WMM2025 の有効期間（" + std::to_string(MagneticFirstYear) + "～" +
                std::to_string(MagneticLastYear) + "年）の日付でだけ使えます";
        return std::nullopt;
    }
    return magneticDeclinationAt(folder, at, decimalYear(year, month, day), 0, error);
}

std::optional<double> magneticDeclinationAt(const std::string &folder, GeoPoint at, double year, double heightMetres,
                                            std::string &error)
{
    if (!(year >= MagneticFirstYear && year < MagneticLastYear + 1)) {
        error = "磁北は世界磁気モデル WMM2025 の有効期間（" + std::to_string(MagneticFirstYear) + "～" +
                std::to_string(MagneticLastYear) + "年）の日付でだけ使えます";
        return std::nullopt;
    }
    try {
        const GeographicLib::MagneticModel model(MagneticModelName, folder);
        double east = 0, north = 0, up = 0;
        model(year, at.lat, at.lon, heightMetres, east, north, up);
        double horizontal = 0, total = 0, declination = 0, inclination = 0;
        GeographicLib::MagneticModel::FieldComponents(east, north, up, horizontal, total, declination, inclination);
        return declination;
    } catch (const std::exception &) {
        error = "地磁気モデル「" + folder + "/" + MagneticModelName + ".wmm」が読めません";
        return std::nullopt;
    }
}

} // namespace velm
