#include "shell/common/pcolor.h"

#include <cmath>

#include "shell/settings/appsettings.h"

namespace velm {

PColorSettings PColorSettings::fromStored(const std::array<int, 4> &ED, const std::array<quint32, 5> &Color)
{
    PColorSettings s;
    s.thresholds = ED;
    for (std::size_t k = 0; k < Color.size(); ++k)
        s.colours[k] = colorFromBgr(Color[k]);
    return s;
}

quint32 PColorSettings::storedColour(int k) const
{
    if (k < 0 || k >= static_cast<int>(colours.size()))
        return 0xFFFFFF;
    return bgrFromColor(colours[static_cast<std::size_t>(k)]);
}

QColor PColor(double value, const PColorSettings &s)
{
    // Walk the thresholds highest first. A value below the last one takes
    // 色５; a NaN compares false everywhere and stays white.
    QColor result(Qt::white);
    for (std::size_t k = 0; k < s.thresholds.size(); ++k) {
        if (value >= s.thresholds[k])
            return s.colours[k];
        if (value < s.thresholds[3])
            result = s.colours[4];
    }
    return result;
}

QColor PColor(const QString &number, const PColorSettings &s)
{
    bool ok = false;
    const double value = number.trimmed().toDouble(&ok);
    // "nan" and "inf" parse, but no cell ever holds them as a number.
    if (!ok || !std::isfinite(value))
        return QColor(Qt::white);
    return PColor(value, s);
}

QColor FColor(const QColor &c)
{
    // Perceived lightness in whole percent, truncated: mid grey 0x80 is 50 and
    // still gets white text.
    const double luma = 0.299 * c.red() + 0.587 * c.green() + 0.114 * c.blue();
    const int lightness = static_cast<int>(luma / 256 * 100);
    return lightness <= 50 ? QColor(Qt::white) : QColor(Qt::black);
}

PColorSettings pcolorSettings(const AppSettings &settings)
{
    PColorSettings s;
    for (int k = 0; k < 4; ++k)
        s.thresholds[static_cast<std::size_t>(k)] = settings.scoreThreshold(k);
    for (int k = 0; k < 5; ++k)
        s.colours[static_cast<std::size_t>(k)] = colorFromBgr(settings.scoreColour(k));
    return s;
}

} // namespace velm
