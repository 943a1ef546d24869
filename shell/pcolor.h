#pragma once

// The colour rule for numbers (scores everywhere) and the text colour that
// reads on a background.

#include <array>
#include <optional>

#include <QColor>
#include <QString>

namespace velm {

struct PColorSettings {
    // "数値1".."数値4" 以上の色: the first threshold a number reaches gives its colour.
    std::array<int, 4> thresholds{10, 5, 0, -5};
    // 色１..色４ for the thresholds, 色５ below all of them.
    std::array<QColor, 5> colours{QColor(0x8E, 0xFF, 0xFF), QColor(0xBB, 0xFF, 0xCC),
                                  QColor(0xFF, 0xFF, 0x9D), QColor(0xFF, 0xA6, 0xFF),
                                  QColor(0xFF, 0x88, 0x88)};
};

// White for text that is not a number.
QColor PColor(const QString &number, const PColorSettings &settings);
QColor PColor(double value, const PColorSettings &settings);

// White or black, whichever reads on the background.
QColor FColor(const QColor &background);

} // namespace velm
