#pragma once

// The colour rule for numbers (scores in charts, panels, calendar, print) and
// the text colour that reads on a background.

#include <array>

#include <QColor>
#include <QString>
#include <QtGlobal>

namespace velm {

class AppSettings;

struct PColorSettings {
    // "数値1".."数値4" 以上の色, highest first: the first threshold a number
    // reaches gives its colour.
    std::array<int, 4> thresholds{10, 5, 0, -5};
    // 色１..色４ for the thresholds, 色５ below all of them. The settings keep
    // them as blue-green-red integers 0xFFFF8E, 0xCCFFBB, 0x9DFFFF, 0xFFA6FF, 0x8888FF.
    std::array<QColor, 5> colours{QColor(0x8E, 0xFF, 0xFF), QColor(0xBB, 0xFF, 0xCC),
                                  QColor(0xFF, 0xFF, 0x9D), QColor(0xFF, 0xA6, 0xFF),
                                  QColor(0xFF, 0x88, 0x88)};

    // From the stored values "ED0".."ED3" and "Color0".."Color4" (blue-green-red).
    static PColorSettings fromStored(const std::array<int, 4> &ED, const std::array<quint32, 5> &Color);
    // Colour k as the settings store it (blue-green-red, red in the low byte).
    quint32 storedColour(int k) const;
};

// The colour rule as the user's settings hold it.
PColorSettings pcolorSettings(const AppSettings &settings);

// Colour of a number. NaN reaches no threshold and stays white.
QColor PColor(double value, const PColorSettings &settings);
// Colour of a number as a cell shows it ("12.50"); white for a text that is
// not a number.
QColor PColor(const QString &number, const PColorSettings &settings);

// White or black, whichever reads on the background.
QColor FColor(const QColor &background);

} // namespace velm
