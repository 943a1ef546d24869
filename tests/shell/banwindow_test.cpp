// The chart window: what each palace shows, the labels, hints, clicks and
// the two clipboard copies.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>

#include "engine/koyomi.h"
#include "shell/banwindow.h"

using namespace velm;

namespace {

NumberTables defaultTables()
{
    return readNumbersFile(VELM_DATA_DIR "/SuuFile.Dat").tables;
}

// The hour chart of 2024-03-01 12:00 (庚午, yang ju 1).
std::unique_ptr<TBanF> exampleWindow(LayingMethod method, BanDisplay display = {})
{
    const Koyomi k = DateToKyu(CivilTime{2024, 3, 1, 12, 0, 0}, KoyomiOptions{}, false);
    return std::make_unique<TBanF>(k, KindHour, method, defaultTables(), MakeConstData(),
                                   QStringLiteral("時盤:24/03/01 12時"), QStringLiteral("2024/03/01 12:00"),
                                   display);
}

QPoint cellCentre(const TBanF &w, int column, int row)
{
    QTableWidget *g = w.grid();
    return QPoint(g->columnViewportPosition(column) + g->columnWidth(column) / 2,
                  g->rowViewportPosition(row) + g->rowHeight(row) / 2);
}

} // namespace

TEST(BanWindow, PalacesSitSouthUpEastLeft)
{
    auto w = exampleWindow(LayingMethod::Flying);
    // Palace 1 (坎, the north) is bottom centre: 丁 任 三 over 甲 傷 地.
    QStringList north = w->cellLines(1, 2);
    ASSERT_EQ(north.size(), 5);
    EXPECT_EQ(north[0], "丁 任 三");
    EXPECT_EQ(north[1], "甲 傷 地");
    // The centre: 壬 over 壬, no door or deity.
    EXPECT_EQ(w->cellLines(1, 1)[1], "壬 　 　");
    // 震 (east, left middle) holds its patterns on the lower lines.
    EXPECT_EQ(w->cellLines(0, 1)[4], " 飛宮格 ");
    EXPECT_EQ(w->cellLines(0, 1)[3], "　雲干　");
    EXPECT_EQ(w->labels().KyokuL, "陽１局");
    EXPECT_EQ(w->labels().JunL, "旬首[戊]");
    EXPECT_EQ(w->labels().TyuL, "五不遇時");
    EXPECT_EQ(w->cellHint(1, 2), "ｸﾘｯｸすると日付ﾃﾞｰﾀが変更されます");
}

TEST(BanWindow, ScoreColoursFollowTheSetting)
{
    BanDisplay on;
    auto coloured = exampleWindow(LayingMethod::Rotating, on);
    const double north = coloured->scores().BanSuu[8][5];
    EXPECT_EQ(coloured->cellBackground(1, 2), PColor(north, on.colours));
    BanDisplay off;
    off.CB3 = false;
    auto plain = exampleWindow(LayingMethod::Rotating, off);
    EXPECT_FALSE(plain->cellBackground(1, 2).isValid());
    // The rotating plate leaves the centre without a star.
    EXPECT_EQ(plain->cellLines(1, 1)[0], "壬 　 七");
}

TEST(BanWindow, PressingACellReportsItsPalace)
{
    auto w = exampleWindow(LayingMethod::Flying);
    w->show();
    QSignalSpy palaces(w.get(), &TBanF::palaceClicked);
    QSignalSpy clicks(w.get(), &TBanF::windowClicked);
    for (int p = 0; p < 9; ++p)
        QTest::mouseClick(w->grid()->viewport(), Qt::LeftButton, {},
                          cellCentre(*w, PalaceColumn[static_cast<std::size_t>(p)], PalaceRow[static_cast<std::size_t>(p)]));
    ASSERT_EQ(palaces.count(), 9);
    for (int p = 0; p < 9; ++p)
        EXPECT_EQ(palaces[p][0].toInt(), p);
    EXPECT_EQ(clicks.count(), 9);
    EXPECT_EQ(w->copyPalaceAction()->text(), "巽宮(南東)のみコピー");
}

TEST(BanWindow, CopiesGoToTheClipboardInBoxes)
{
    auto w = exampleWindow(LayingMethod::Flying);
    w->show();
    w->copyChartAction()->trigger();
    const QStringList chart = QApplication::clipboard()->text().split('\n');
    ASSERT_EQ(chart.size(), 21);
    EXPECT_EQ(chart[0], "時盤:24/03/01 12時 [庚午]");
    EXPECT_EQ(chart[1], "陽１局 旬首[戊] 五不遇時");
    EXPECT_EQ(chart[2], "┌────┬────┬────┐");

    QTest::mouseClick(w->grid()->viewport(), Qt::LeftButton, {}, cellCentre(*w, 1, 2));
    EXPECT_EQ(w->copyPalaceAction()->text(), "坎宮( 北)のみコピー");
    w->copyPalaceAction()->trigger();
    const QStringList palace = QApplication::clipboard()->text().split('\n');
    ASSERT_EQ(palace.size(), 9);
    EXPECT_EQ(palace[1], "坎宮(北)");
    EXPECT_EQ(palace[3], "│丁 任 三│");
}

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
