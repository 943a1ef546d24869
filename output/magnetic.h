#pragma once

// Magnetic north: the declination of the World Magnetic Model 2025 (its
// coefficients shipped with the program as "wmm2025.wmm" and
// "wmm2025.wmm.cof", read by GeographicLib's MagneticModel). The model holds
// from 2025-01-01 to the end of 2029; outside it magnetic north is refused.

#include <optional>
#include <string>

#include "output/bearing.h"

namespace velm {

inline constexpr const char *MagneticModelName = "wmm2025";
inline constexpr int MagneticFirstYear = 2025;
inline constexpr int MagneticLastYear = 2029;

// The declination (degrees, east positive) on the ground at `at` on the
// date, from the model files in `folder`; empty, with the message, outside
// the model's years or when its files cannot be read.
std::optional<double> magneticDeclination(const std::string &folder, GeoPoint at, int year, int month, int day,
                                          std::string &error);
// The same at a decimal year (2025.0 ..< 2030.0) and a height above the ellipsoid.
std::optional<double> magneticDeclinationAt(const std::string &folder, GeoPoint at, double year, double heightMetres,
                                            std::string &error);

} // namespace velm
