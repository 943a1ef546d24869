// The fixed-position views: every home in every grid, the deity switch,
// closing and showing again, and placements that are damaged or off screen.

#include <gtest/gtest.h>

#include <vector>

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include "output/charttext.h"
#include "shell/charts/fixedviews.h"
#include "shell/settings/settingsstore.h"

using namespace velm;

namespace {

QString at(const QTableWidget *grid, int palace)
{
    const QTableWidgetItem *item = grid->item(PalaceRow[static_cast<std::size_t>(palace)],
                                              PalaceColumn[static_cast<std::size_t>(palace)]);
    return item ? item->text() : QString();
}

QStringList palaces(const QTableWidget *grid)
{
    QStringList out;
    for (int p = 0; p < 9; ++p)
        out << at(grid, p);
    return out;
}

QStringList split(const char *cells)
{
    return QString::fromUtf8(cells).split(QLatin1Char(','));
}

} // namespace

// Palace index order: 中 乾 兌 艮 離 坎 坤 震 巽.
TEST(Teii, EveryHomeOfEveryGrid)
{
    QTemporaryDir dir;
    SettingsStore store(dir.path());
    TTeiiF teii(MakeConstData(), store);
    EXPECT_EQ(teii.windowTitle(), "定位盤");
    EXPECT_EQ(palaces(teii.findChild<QTableWidget *>(QStringLiteral("SG1"))), split("中,乾,兌,艮,離,坎,坤,震,巽"));
    EXPECT_EQ(palaces(teii.findChild<QTableWidget *>(QStringLiteral("SG2"))), split(",開,驚,生,景,休,死,傷,杜"));
    EXPECT_EQ(palaces(teii.findChild<QTableWidget *>(QStringLiteral("SG3"))), split("禽,心,柱,任,英,蓬,内,冲,輔"));
    EXPECT_EQ(palaces(teii.findChild<QTableWidget *>(QStringLiteral("SG4"))), split(",地,雀,符,合,天,陳,蛇,陰"));
    EXPECT_EQ(palaces(teii.findChild<QTableWidget *>(QStringLiteral("SG5"))), split("五,六,七,八,九,一,二,三,四"));
    // The captions stand above their grids in this order.
    QStringList captions;
    for (const QLabel *label : teii.findChildren<QLabel *>())
        captions << label->text();
    EXPECT_EQ(captions, split("【方位】,【八門】,【九星】,【八神】陽,【紫白】"));

    // A user's special character for 内 reaches the star grid.
    TTeiiF chosen(MakeConstData({"8D91", "B4B2", "93AB"}), store);
    EXPECT_EQ(at(chosen.findChild<QTableWidget *>(QStringLiteral("SG3")), 6), "国");

    TTeii2F terms(store);
    EXPECT_EQ(terms.windowTitle(), "節気盤");
    EXPECT_EQ(palaces(terms.findChild<QTableWidget *>(QStringLiteral("SG1"))),
              split(",立冬小雪大雪,秋分寒露霜降,立春雨水啓蟄,夏至小暑大暑,冬至小寒大寒,立秋処暑白露,春分清明穀雨,"
                    "立夏小満芒種"));
}

// All three columns and rows of every grid are in sight, and each cell holds
// its text without cutting it: one character, or one term per line.
TEST(Teii, EveryCellIsInSight)
{
    QTemporaryDir dir;
    SettingsStore store(dir.path());
    TTeiiF teii(MakeConstData(), store);
    TTeii2F terms(store);
    teii.show();
    terms.show();
    std::vector<std::pair<const QTableWidget *, QSize>> grids; // grid, text that must fit in a cell
    for (int n = 1; n <= 5; ++n) {
        const QFontMetrics fm(teii.findChild<QTableWidget *>(QStringLiteral("SG%1").arg(n))->font());
        grids.emplace_back(teii.findChild<QTableWidget *>(QStringLiteral("SG%1").arg(n)), QSize(fm.horizontalAdvance(QStringLiteral("離")), fm.height()));
    }
    const QFontMetrics fm(terms.findChild<QTableWidget *>(QStringLiteral("SG1"))->font());
    grids.emplace_back(terms.findChild<QTableWidget *>(QStringLiteral("SG1")), QSize(fm.horizontalAdvance(QStringLiteral("冬至")), 3 * fm.lineSpacing()));
    for (const auto &[grid, text] : grids) {
        const QRect viewport = grid->viewport()->rect();
        const QRect last = grid->visualItemRect(grid->item(2, 2));
        EXPECT_TRUE(viewport.contains(last)) << grid->parentWidget()->windowTitle().toStdString();
        EXPECT_GE(grid->columnWidth(0), text.width());
        EXPECT_GE(grid->rowHeight(0), text.height());
        EXPECT_LE(grid->width(), grid->window()->width());
    }
}

TEST(Teii, FirstShownAtTheRightOfTheChartsWithTheirTitlesInSight)
{
    QTemporaryDir dir;
    SettingsStore store(dir.path());
    TTeiiF teii(MakeConstData(), store);
    TTeii2F terms(store);
    // Below the menu and toolbars: inside the chart area, side by side.
    const QRect charts(100, 120, 900, 600);
    placeFixedViews(teii, terms, charts);
    for (QWidget *w : {static_cast<QWidget *>(&teii), static_cast<QWidget *>(&terms)}) {
        EXPECT_TRUE(charts.contains(w->geometry())) << w->windowTitle().toStdString();
        EXPECT_GT(w->width(), QFontMetrics(QApplication::font()).horizontalAdvance(w->windowTitle()) + 40);
    }
    EXPECT_LT(terms.geometry().right(), teii.geometry().left());
    // Once placed, or with a placement of their own, they stay where they are.
    teii.move(40, 30);
    placeFixedViews(teii, terms, charts);
    EXPECT_EQ(teii.pos(), QPoint(40, 30));
    teii.close();
    TTeiiF stored(MakeConstData(), store);
    TTeii2F fresh(store);
    placeFixedViews(stored, fresh, charts);
    EXPECT_EQ(stored.pos(), QPoint(40, 30));
    EXPECT_TRUE(charts.contains(fresh.geometry()));
}

TEST(Teii, DeitySwitchSurvivesClosingAndAnyButton)
{
    QTemporaryDir dir;
    SettingsStore store(dir.path());
    TTeiiF teii(MakeConstData(), store);
    teii.show();
    QTest::mouseClick(teii.findChild<QTableWidget *>(QStringLiteral("SG4"))->viewport(), Qt::RightButton); // any press switches
    EXPECT_EQ(teii.deityCaption(), "【八神】陰");
    EXPECT_EQ(palaces(teii.findChild<QTableWidget *>(QStringLiteral("SG4"))), split(",天,符,雀,陰,地,蛇,陳,合"));
    // Closing only hides: shown again, it still holds the yin arrangement.
    teii.close();
    EXPECT_FALSE(teii.isVisible());
    teii.show();
    EXPECT_FALSE(teii.yangShown());
    EXPECT_EQ(at(teii.findChild<QTableWidget *>(QStringLiteral("SG4")), 5), "地");
    // Presses elsewhere leave the deities alone.
    QTest::mouseClick(teii.findChild<QTableWidget *>(QStringLiteral("SG1"))->viewport(), Qt::LeftButton);
    EXPECT_EQ(teii.deityCaption(), "【八神】陰");
}

TEST(Teii, PlacementOfBothWindowsAcrossInstances)
{
    QTemporaryDir dir;
    SettingsStore store(dir.path());
    QPoint teiiAt;
    QPoint termsAt;
    {
        TTeiiF teii(MakeConstData(), store);
        TTeii2F terms(store);
        const QPoint designed = terms.pos();
        teii.show();
        terms.show();
        teii.move(40, 30);
        terms.move(210, 60);
        teiiAt = teii.pos();
        termsAt = terms.pos();
        ASSERT_NE(termsAt, designed);
        teii.close();
        terms.close();
    }
    TTeiiF teii(MakeConstData(), store);
    TTeii2F terms(store);
    EXPECT_EQ(teii.pos(), teiiAt);
    EXPECT_EQ(terms.pos(), termsAt);
    EXPECT_FALSE(teii.isVisible());
    EXPECT_FALSE(terms.isVisible());
    // Each window keeps to its own sub-key.
    EXPECT_TRUE(store.contains("Teii", "TeiiFWinPlace1"));
    EXPECT_TRUE(store.contains("Teii2", "Teii2FWinPlace1"));
}

TEST(Teii, DamagedOrUnreachablePlacement)
{
    QTemporaryDir dir;
    SettingsStore store(dir.path());
    const QPoint designed = TTeii2F(store).pos();

    // Damaged records leave the designed position.
    store.setBinary("Teii2", "Teii2FWinPlace1", QByteArray(44, '\xff'));
    EXPECT_EQ(TTeii2F(store).pos(), designed);
    store.setBinary("Teii2", "Teii2FWinPlace1", placementRecord(QRect(10, 10, 100, 100), false).left(40));
    EXPECT_EQ(TTeii2F(store).pos(), designed);

    // A placement on a screen that is gone lands on the one that is there.
    store.setBinary("Teii", "TeiiFWinPlace1", placementRecord(QRect(9000, -5000, 90, 400), false));
    TTeiiF teii(MakeConstData(), store);
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(area.contains(QRect(teii.pos(), QSize(90, 400)))) << teii.pos().x() << "," << teii.pos().y();
    EXPECT_FALSE(teii.isVisible());
}
