// The direction heat map driven as a user would: its cells hold the numbers
// calendar's scores in the score colours, a click opens the cell's chart
// (asking first for an unchecked kind), the hint describes the cell's palace,
// the picture is exported at its full size, and the controls are kept.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include "evaluation/patterns.h"
#include "output/calendar.h"
#include "output/charttext.h"
#include "shell/common/strings.h"
#include "shell/lists/heatmapwindow.h"
#include "shell/main/mainwindow.h"
#include "shell_fixtures.h"

using namespace velm;

namespace {

class HeatFTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings = std::make_unique<AppSettings>(program.path(), config.path());
        main = std::make_unique<TMainF>(*settings);
        main->setMoment(CivilTime{2024, 3, 10, 14, 20, 0});
        heat = std::make_unique<THeatF>(*main, *settings);
        heat->resize(1000, 700);
        heat->showHeatMap();
    }
    void TearDown() override
    {
        heat.reset();
        main.reset();
    }
    const HeatPicture &picture() const { return *heat->canvas()->picture(); }
    // Index of the cell of day d, double-hour s in an hour map.
    QPoint centreOf(int cell) const { return heat->canvas()->cellRect(cell).center(); }

    ScratchProgram program{DataFiles::Program};
    QTemporaryDir config;
    RecordedMessages messages;
    std::unique_ptr<AppSettings> settings;
    std::unique_ptr<TMainF> main;
    std::unique_ptr<THeatF> heat;
};

TEST_F(HeatFTest, CellsAreTheCalendarsScoresInTheScoreColours)
{
    ASSERT_TRUE(heat->canvas()->picture()) << messages.all().toStdString();
    EXPECT_EQ(heat->windowTitle(), QStringLiteral("方位ヒートマップ"));
    // A month of double-hours from the main window's date.
    EXPECT_EQ(picture().map.start, (CivilTime{2024, 3, 10, 0, 0, 0}));
    EXPECT_EQ(picture().map.days, 31);
    EXPECT_EQ(picture().grid.columns, 12);

    CalendarOptions o;
    o.entry = CivilTime{2024, 3, 10, 0, 30, 0};
    o.rows = 15;
    const NumbersFile numbers = readNumbersFile(program.filePath(QStringLiteral("SuuFile.Dat")).toStdString());
    const CalendarList list = buildCalendar(o, numbers.tables);
    heat->DirBox()->setCurrentIndex(heat->DirBox()->findText(QStringLiteral("北")));
    for (std::size_t r = 3; r < list.rows.size(); ++r) {
        const HeatCell &cell = picture().map.cells[r - 3];
        EXPECT_EQ(cell.moment, list.rows[r].moment);
        EXPECT_EQ(heatValueText(cell, picture().direction), list.rows[r].cells[6]);
    }
    // The picture shows the cell's colour.
    const QImage shown = heat->canvas()->grab().toImage();
    const QPoint centre = centreOf(4);
    const QColor face = PColor(qs(heatValueText(picture().map.cells[4], 5)), pcolorSettings(*settings));
    EXPECT_EQ(shown.pixelColor(heat->canvas()->cellRect(4).topLeft() + QPoint(4, 3)), face) << centre.x();

    // 立春 2024 falls late in the afternoon of 02/04: the 18:00 cell is marked
    // as the calendar marks its row, the morning is not.
    heat->StartE()->setDate(QDate(2024, 2, 1));
    const HeatCell &evening = picture().map.cells[3 * 12 + 9];
    ASSERT_EQ(evening.moment, (CivilTime{2024, 2, 4, 18, 0, 0}));
    EXPECT_TRUE(heat->termMark(evening).contains(QStringLiteral("立春"))) << heat->termMark(evening).toStdString();
    EXPECT_TRUE(heat->cellHint(3 * 12 + 9).endsWith(heat->termMark(evening)));
    EXPECT_TRUE(heat->termMark(picture().map.cells[3 * 12 + 4]).isEmpty());

    // Day charts lay out by week; a Sunday starts each row.
    heat->StartE()->setDate(QDate(2024, 3, 10));
    heat->KindBox()->setCurrentIndex(1);
    EXPECT_EQ(picture().map.kind, KindDay);
    EXPECT_EQ(picture().grid.columnCaptions.front(), "日");
    EXPECT_EQ(picture().grid.at(0, 0), 0); // 2024-03-10 is a Sunday
}

TEST_F(HeatFTest, AClickOpensTheChartOfTheCellAfterAskingForItsKind)
{
    ASSERT_TRUE(heat->canvas()->picture());
    main->setBanGrp(KindHour, false);
    messages.answer = ui::Answer::No;
    QTest::mouseClick(heat->canvas(), Qt::LeftButton, {}, centreOf(12 + 5)); // 03/11 10:00
    EXPECT_TRUE(messages.saw(QStringLiteral("『時盤』")));
    EXPECT_TRUE(main->chartWindows().isEmpty());

    messages.answer = ui::Answer::Yes;
    QTest::mouseClick(heat->canvas(), Qt::LeftButton, {}, centreOf(12 + 5));
    EXPECT_TRUE(main->BanGrp(KindHour));
    EXPECT_TRUE(main->chartWindow(QStringLiteral("時盤:24/03/11 10時"))) << messages.all().toStdString();

    // The hint is the chart window's description of the palace shown.
    const HeatCell &cell = picture().map.cells[17];
    const Koyomi k = DateToKyu(cell.moment, KoyomiOptions{});
    const ChartRecord chart = BanCreate(k, KindHour, LayingMethod::Rotating, &standardPatternDetector());
    const QString hint = heat->cellHint(17);
    EXPECT_TRUE(hint.startsWith(QStringLiteral("2024/03/11 10:00 時盤 "))) << hint.toStdString();
    EXPECT_TRUE(hint.endsWith(qs(palaceHint(palaceText(chart.Ban, heatPalace(cell, HeatBest), main->constData()), "\n"))));
}

TEST_F(HeatFTest, ExportMakesThePictureAtItsFullSize)
{
    ASSERT_TRUE(heat->canvas()->picture());
    QTemporaryDir out;
    heat->saveFileName = [&](QWidget *) { return out.filePath(QStringLiteral("heat")); };
    heat->ExpBtnClick(); // no extension: a PNG
    const QImage png(out.filePath(QStringLiteral("heat.png")));
    EXPECT_EQ(png.size(), heat->canvas()->naturalSize());
    EXPECT_GT(png.height(), 31 * heat->canvas()->fontMetrics().height());

    heat->saveFileName = [&](QWidget *) { return out.filePath(QStringLiteral("heat.pdf")); };
    heat->ExpBtnClick();
    QFile pdf(out.filePath(QStringLiteral("heat.pdf")));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.read(5) == "%PDF-");
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.all().toStdString();
}

TEST_F(HeatFTest, ControlsAreKept)
{
    heat->SpanBox()->setCurrentIndex(0);
    heat->KindBox()->setCurrentIndex(1);
    heat->DirBox()->setCurrentIndex(4);
    heat->SenBox()->setCurrentIndex(1);
    EXPECT_EQ(picture().map.days, 7);
    const QString matter = heat->SenBox()->currentText();
    heat->close();
    heat = std::make_unique<THeatF>(*main, *settings);
    EXPECT_EQ(heat->SpanBox()->currentIndex(), 0);
    EXPECT_EQ(heat->KindBox()->currentIndex(), 1);
    EXPECT_EQ(heat->DirBox()->currentIndex(), 4);
    EXPECT_EQ(heat->SenBox()->currentText(), matter);
}

} // namespace
