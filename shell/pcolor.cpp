#include "shell/pcolor.h"

namespace velm {

QColor PColor(double value, const PColorSettings &s)
{
    QColor result(Qt::white);
    for (std::size_t k = 0; k < 4; ++k) {
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
    return ok ? PColor(value, s) : QColor(Qt::white);
}

QColor FColor(const QColor &c)
{
    const int lightness = static_cast<int>((0.299 * c.red() + 0.587 * c.green() + 0.114 * c.blue()) / 256 * 100);
    return lightness <= 50 ? QColor(Qt::white) : QColor(Qt::black);
}

} // namespace velm
