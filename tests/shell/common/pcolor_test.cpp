// The colour rule for numbers and the readable text colour.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "shell/settings/appsettings.h"
#include "shell/common/pcolor.h"

using namespace velm;

TEST(PColorRule, ThresholdsAndTextColour)
{
    PColorSettings s;
    EXPECT_EQ(PColor(10.0, s), s.colours[0]);
    EXPECT_EQ(PColor(9.99, s), s.colours[1]);
    EXPECT_EQ(PColor(5.0, s), s.colours[1]);
    EXPECT_EQ(PColor(0.0, s), s.colours[2]);
    EXPECT_EQ(PColor(-5.0, s), s.colours[3]);
    EXPECT_EQ(PColor(-5.01, s), s.colours[4]);
    EXPECT_EQ(PColor(QStringLiteral("12.50"), s), s.colours[0]);
    EXPECT_EQ(PColor(QStringLiteral("abc"), s), QColor(Qt::white));
    EXPECT_EQ(FColor(QColor(Qt::black)), QColor(Qt::white));
    EXPECT_EQ(FColor(QColor(Qt::white)), QColor(Qt::black));
    EXPECT_EQ(FColor(QColor(0, 0, 0x80)), QColor(Qt::white));
}

// Each threshold belongs to the colour above it; just below falls through.
TEST(PColorRule, BoundariesOfEveryThreshold)
{
    PColorSettings s;
    const double justBelow = 0.01; // scores are shown with two decimals
    EXPECT_EQ(PColor(1e9, s), s.colours[0]);
    EXPECT_EQ(PColor(10.0 - justBelow, s), s.colours[1]);
    EXPECT_EQ(PColor(5.0 - justBelow, s), s.colours[2]);
    EXPECT_EQ(PColor(-justBelow, s), s.colours[3]);
    EXPECT_EQ(PColor(-5.0 - justBelow, s), s.colours[4]);
    EXPECT_EQ(PColor(-1e9, s), s.colours[4]);
    // The text of a cell: "-0.00" never appears, "0.00" is the third colour.
    EXPECT_EQ(PColor(QStringLiteral("0.00"), s), s.colours[2]);
    EXPECT_EQ(PColor(QStringLiteral(" -5.00 "), s), s.colours[3]);
    EXPECT_EQ(PColor(QStringLiteral("-5.01"), s), s.colours[4]);
}

TEST(PColorRule, EqualThresholdsAndOddInput)
{
    PColorSettings s;
    s.thresholds = {10, 10, 0, -5}; // accepted by the settings window
    EXPECT_EQ(PColor(10.0, s), s.colours[0]);
    EXPECT_EQ(PColor(9.0, s), s.colours[2]);
    // Anything that is not a number stays white, whatever the thresholds.
    for (const char *text : {"", " ", "--", "1.2.3", "nan", "inf", "１０"})
        EXPECT_EQ(PColor(QString::fromUtf8(text), s), QColor(Qt::white)) << text;
    EXPECT_EQ(PColor(std::numeric_limits<double>::quiet_NaN(), s), QColor(Qt::white));
}

TEST(PColorRule, DefaultsAreTheStoredDefaults)
{
    const PColorSettings s;
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(s.storedColour(k), DefaultColors[static_cast<std::size_t>(k)]) << k;
        EXPECT_EQ(s.colours[static_cast<std::size_t>(k)], colorFromBgr(DefaultColors[static_cast<std::size_t>(k)]));
    }
    EXPECT_EQ(s.thresholds, DefaultThresholds);
    // Red sits in the low byte: 0x8888FF is a light red.
    EXPECT_EQ(s.colours[4], QColor(0xFF, 0x88, 0x88));

    const PColorSettings stored = PColorSettings::fromStored({20, 3, 1, 0}, {0x0000FF, 0x00FF00, 0xFF0000, 0, 0x808080});
    EXPECT_EQ(stored.thresholds[0], 20);
    EXPECT_EQ(stored.colours[0], QColor(Qt::red));
    EXPECT_EQ(stored.colours[2], QColor(Qt::blue));
    EXPECT_EQ(stored.storedColour(1), 0x00FF00u);
    EXPECT_EQ(PColor(2.0, stored), QColor(Qt::blue));
    EXPECT_EQ(PColor(-1.0, stored), QColor(0x80, 0x80, 0x80));
}

TEST(FColorRule, LightnessCutAtFifty)
{
    // Mid grey 0x80 has lightness 50 and still gets white text; 0x83 is 51.
    EXPECT_EQ(FColor(QColor(0x80, 0x80, 0x80)), QColor(Qt::white));
    EXPECT_EQ(FColor(QColor(0x82, 0x82, 0x82)), QColor(Qt::white));
    EXPECT_EQ(FColor(QColor(0x83, 0x83, 0x83)), QColor(Qt::black));
    // Green weighs most, blue least.
    EXPECT_EQ(FColor(QColor(0, 0xFF, 0)), QColor(Qt::black));
    EXPECT_EQ(FColor(QColor(0, 0, 0xFF)), QColor(Qt::white));
    EXPECT_EQ(FColor(QColor(0x00, 0x80, 0x80)), QColor(Qt::white)); // the active chart's teal
    // Every default score colour is light and takes black text.
    const PColorSettings s;
    for (const QColor &c : s.colours)
        EXPECT_EQ(FColor(c), QColor(Qt::black)) << c.name().toStdString();
}
