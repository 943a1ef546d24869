// The direction heat map driven as a user would: its cells hold the numbers
// calendar's scores in the score colours, a click opens the cell's chart
// (asking first for an unchecked kind), the hint describes the cell's palace,
// the picture is exported at its full size, and the controls are kept.

#include <algorithm>

#include <gtest/gtest.h>

#include <QCheckBox>
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
    const HeatPicture &picture() const { return *heat->findChild<HeatCanvas *>(QStringLiteral("HeatCanvas"))->picture(); }
    // Index of the cell of day d, double-hour s in an hour map.
    QPoint centreOf(int cell) const { return heat->findChild<HeatCanvas *>(QStringLiteral("HeatCanvas"))->cellRect(cell).center(); }

    ScratchProgram program{DataFiles::Program};
    QTemporaryDir config;
    RecordedMessages messages;
    std::unique_ptr<AppSettings> settings;
    std::unique_ptr<TMainF> main;
    std::unique_ptr<THeatF> heat;
};

TEST_F(HeatFTest, CellsAreTheCalendarsScoresInTheScoreColours)
{
    ASSERT_TRUE(heat->findChild<HeatCanvas *>(QStringLiteral("HeatCanvas"))->picture()) << messages.all().toStdString();
    EXPECT_EQ(heat->windowTitle(), QStringLiteral("方位ヒートマップ"));
    // On top as the calendar is, or it would open hidden behind it.
    EXPECT_EQ(heat->windowFlags().testFlag(Qt::WindowStaysOnTopHint), settings->calendarOnTop());
    // A month of double-hours from the main window's date.
    EXPECT_EQ(picture().map.start, (CivilTime{2024, 3, 10, 0, 0, 0}));
    EXPECT_EQ(picture().map.days, 31);
    EXPECT_EQ(picture().grid.columns, 12);

    CalendarOptions o;
    o.entry = CivilTime{2024, 3, 10, 0, 30, 0};
    o.rows = 15;
    const NumbersFile numbers = readNumbersFile(program.filePath(QStringLiteral("SuuFile.Dat")).toStdString());
    const CalendarList list = buildCalendar(o, numbers.tables);
    heat->findChild<QComboBox *>(QStringLiteral("DirBox"))->setCurrentIndex(heat->findChild<QComboBox *>(QStringLiteral("DirBox"))->findText(QStringLiteral("北")));
    for (std::size_t r = 3; r < list.rows.size(); ++r) {
        const HeatCell &cell = picture().map.cells[r - 3];
        EXPECT_EQ(cell.moment, list.rows[r].moment);
        EXPECT_EQ(heatValueText(cell, picture().direction), list.rows[r].cells[6]);
    }
    // The picture shows the cell's colour.
    const QImage shown = heat->findChild<HeatCanvas *>(QStringLiteral("HeatCanvas"))->grab().toImage();
    const QPoint centre = centreOf(4);
    const QColor face = PColor(qs(heatValueText(picture().map.cells[4], 5)), pcolorSettings(*settings));
    EXPECT_EQ(shown.pixelColor(heat->findChild<HeatCanvas *>(QStringLiteral("HeatCanvas"))->cellRect(4).topLeft() + QPoint(4, 3)), face) << centre.x();

    // 立春 2024 falls late in the afternoon of 02/04: the 18:00 cell is marked
    // as the calendar marks its row, the morning is not.
    heat->findChild<QDateEdit *>(QStringLiteral("StartE"))->setDate(QDate(2024, 2, 1));
    const HeatCell &evening = picture().map.cells[3 * 12 + 9];
    ASSERT_EQ(evening.moment, (CivilTime{2024, 2, 4, 18, 0, 0}));
    EXPECT_TRUE(heat->termMark(evening).contains(QStringLiteral("立春"))) << heat->termMark(evening).toStdString();
    EXPECT_TRUE(heat->cellHint(3 * 12 + 9).endsWith(heat->termMark(evening)));
    EXPECT_TRUE(heat->termMark(picture().map.cells[3 * 12 + 4]).isEmpty());

    // Day charts lay out by week; a Sunday starts each row.
    heat->findChild<QDateEdit *>(QStringLiteral("StartE"))->setDate(QDate(2024, 3, 10));
    heat->findChild<QComboBox *>(QStringLiteral("KindBox"))->setCurrentIndex(1);
    EXPECT_EQ(picture().map.kind, KindDay);
    EXPECT_EQ(picture().grid.columnCaptions.front(), "日");
    EXPECT_EQ(picture().grid.at(0, 0), 0); // 2024-03-10 is a Sunday
}

// Around the winter solstice of 2024 our school still reads 大雪 while the
// others turn yang at the entry: those hours are marked, when asked for, in
// the opposite corner from the term mark, and their hints name the three charts.
TEST_F(HeatFTest, HoursWhereTheSchoolsPartAreMarkedWhenAskedFor)
{
    auto *canvas = heat->findChild<HeatCanvas *>(QStringLiteral("HeatCanvas"));
    auto *start = heat->findChild<QDateEdit *>(QStringLiteral("StartE"));
    start->setDate(QDate(2024, 12, 22));
    ASSERT_TRUE(canvas->picture());
    EXPECT_FALSE(canvas->picture()->schoolsDiffer); // off by default

    settings->setSchoolMarks(true);
    heat->rebuild();
    const HeatPicture &pic = *canvas->picture();
    ASSERT_TRUE(pic.schoolsDiffer);
    const HeatCell &noon = pic.map.cells[6];
    ASSERT_EQ(noon.moment, (CivilTime{2024, 12, 22, 12, 0, 0}));
    EXPECT_TRUE(pic.schoolsDiffer(noon));
    EXPECT_TRUE(heat->cellHint(6).endsWith(QStringLiteral("流派で時盤が異なります：置閏 陰遁1局／拆補 陽遁4局／茅山 陽遁1局")))
        << heat->cellHint(6).toStdString();
    int marked = 0;
    for (const HeatCell &cell : pic.map.cells)
        marked += pic.schoolsDiffer(cell) ? 1 : 0;
    EXPECT_GT(marked, 0);
    EXPECT_LT(marked, static_cast<int>(pic.map.cells.size()));
    const auto legend = canvas->legend();
    EXPECT_TRUE(std::any_of(legend.begin(), legend.end(), [](const auto &e) { return e.text == QStringLiteral("流派で時盤が異なる"); }));
    // The mark is painted in its own corner.
    const QImage shown = canvas->grab().toImage();
    EXPECT_EQ(shown.pixelColor(canvas->cellRect(6).bottomRight() - QPoint(2, 2)), SchoolMarkColour);

    // Day charts have no such mark.
    heat->findChild<QComboBox *>(QStringLiteral("KindBox"))->setCurrentIndex(1);
    EXPECT_FALSE(canvas->picture()->schoolsDiffer);
}

TEST_F(HeatFTest, AClickOpensTheChartOfTheCellAfterAskingForItsKind)
{
    ASSERT_TRUE(heat->findChild<HeatCanvas *>(QStringLiteral("HeatCanvas"))->picture());
    main->entry()->setBanGrp(KindHour, false);
    messages.answer = ui::Answer::No;
    QTest::mouseClick(heat->findChild<HeatCanvas *>(QStringLiteral("HeatCanvas")), Qt::LeftButton, {}, centreOf(12 + 5)); // 03/11 10:00
    EXPECT_TRUE(messages.saw(QStringLiteral("『時盤』")));
    EXPECT_TRUE(main->charts()->chartWindows().isEmpty());

    messages.answer = ui::Answer::Yes;
    QTest::mouseClick(heat->findChild<HeatCanvas *>(QStringLiteral("HeatCanvas")), Qt::LeftButton, {}, centreOf(12 + 5));
    EXPECT_TRUE(main->BanGrp(KindHour));
    EXPECT_TRUE(main->charts()->chartWindow(QStringLiteral("時盤:24/03/11 10時"))) << messages.all().toStdString();

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
    ASSERT_TRUE(heat->findChild<HeatCanvas *>(QStringLiteral("HeatCanvas"))->picture());
    QTemporaryDir out;
    heat->saveFileName = [&](QWidget *) { return out.filePath(QStringLiteral("heat")); };
    heat->ExpBtnClick(); // no extension: a PNG
    const QImage png(out.filePath(QStringLiteral("heat.png")));
    EXPECT_EQ(png.size(), heat->findChild<HeatCanvas *>(QStringLiteral("HeatCanvas"))->naturalSize());
    EXPECT_GT(png.height(), 31 * heat->findChild<HeatCanvas *>(QStringLiteral("HeatCanvas"))->fontMetrics().height());

    heat->saveFileName = [&](QWidget *) { return out.filePath(QStringLiteral("heat.pdf")); };
    heat->ExpBtnClick();
    QFile pdf(out.filePath(QStringLiteral("heat.pdf")));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.read(5) == "%PDF-");
    // Each save is confirmed briefly, naming the file.
    ASSERT_EQ(messages.seen.size(), 2) << messages.all().toStdString();
    EXPECT_EQ(messages.seen[1].kind, ui::MessageKind::Notice);
    EXPECT_TRUE(messages.texts[1].contains(QStringLiteral("heat.pdf")));
}

TEST_F(HeatFTest, ThreeMonthsStayReadableWithALegendInTheWindowAndOnPaper)
{
    heat->findChild<QComboBox *>(QStringLiteral("SpanBox"))->setCurrentIndex(4); // 3か月
    ASSERT_TRUE(heat->findChild<HeatCanvas *>(QStringLiteral("HeatCanvas"))->picture());
    const int rows = picture().grid.rows;
    EXPECT_GE(rows, 89);
    // Rows keep room for their date: the window scrolls instead of squeezing them.
    const int rowHeight = heat->findChild<HeatCanvas *>(QStringLiteral("HeatCanvas"))->cellRect(12).top() - heat->findChild<HeatCanvas *>(QStringLiteral("HeatCanvas"))->cellRect(0).top();
    EXPECT_GE(rowHeight, heat->findChild<HeatCanvas *>(QStringLiteral("HeatCanvas"))->fontMetrics().height());
    EXPECT_GT(heat->findChild<HeatCanvas *>(QStringLiteral("HeatCanvas"))->height(), heat->height());

    // 最良 in a hue per direction, lighter for lower scores; the legend says so.
    heat->findChild<QCheckBox *>(QStringLiteral("HueBox"))->setChecked(true);
    std::vector<HeatCanvas::LegendEntry> legend = heat->findChild<HeatCanvas *>(QStringLiteral("HeatCanvas"))->legend();
    ASSERT_GE(legend.size(), 9u);
    EXPECT_EQ(legend[0].text, QStringLiteral("北"));
    EXPECT_EQ(legend[8].mark, HeatCanvas::LegendEntry::Lightness);
    const HeatPicture &hued = picture();
    EXPECT_NE(directionColour(5, 0.5).hue(), directionColour(1, 0.5).hue());
    EXPECT_GT(directionColour(5, 1).lightness(), directionColour(5, 0).lightness());
    for (std::size_t i = 0; i < 24; ++i) {
        const HeatCell &cell = hued.map.cells[i];
        EXPECT_EQ(hued.faceOf(cell).hue(), directionColour(heatPalace(cell, HeatBest), 0.5).hue()) << i;
    }
    // Without it, the charts' score colours and their thresholds.
    heat->findChild<QCheckBox *>(QStringLiteral("HueBox"))->setChecked(false);
    legend = heat->findChild<HeatCanvas *>(QStringLiteral("HeatCanvas"))->legend();
    ASSERT_GE(legend.size(), 5u);
    EXPECT_EQ(legend[0].text, QStringLiteral("10以上"));
    EXPECT_EQ(legend[4].text, QStringLiteral("-5未満"));
    EXPECT_EQ(legend[4].face, pcolorSettings(*settings).colours[4]);

    // The PNG is the whole picture; the PDF runs over portrait pages of rows.
    QTemporaryDir out;
    heat->saveFileName = [&](QWidget *) { return out.filePath(QStringLiteral("heat.pdf")); };
    heat->ExpBtnClick();
    QFile pdf(out.filePath(QStringLiteral("heat.pdf")));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    const int perPage = heat->findChild<HeatCanvas *>(QStringLiteral("HeatCanvas"))->rowsPerPage(297.0 / 210.0);
    EXPECT_GE(perPage, 20);
    EXPECT_EQ(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") + bytes.count("/Type /Page "),
              (rows + perPage - 1) / perPage);
}

TEST_F(HeatFTest, ControlsAreKept)
{
    heat->findChild<QComboBox *>(QStringLiteral("SpanBox"))->setCurrentIndex(0);
    heat->findChild<QComboBox *>(QStringLiteral("KindBox"))->setCurrentIndex(1);
    heat->findChild<QComboBox *>(QStringLiteral("DirBox"))->setCurrentIndex(4);
    heat->findChild<QComboBox *>(QStringLiteral("SenBox"))->setCurrentIndex(1);
    EXPECT_EQ(picture().map.days, 7);
    const QString matter = heat->findChild<QComboBox *>(QStringLiteral("SenBox"))->currentText();
    heat->close();
    heat = std::make_unique<THeatF>(*main, *settings);
    EXPECT_EQ(heat->findChild<QComboBox *>(QStringLiteral("SpanBox"))->currentIndex(), 0);
    EXPECT_EQ(heat->findChild<QComboBox *>(QStringLiteral("KindBox"))->currentIndex(), 1);
    EXPECT_EQ(heat->findChild<QComboBox *>(QStringLiteral("DirBox"))->currentIndex(), 4);
    EXPECT_EQ(heat->findChild<QComboBox *>(QStringLiteral("SenBox"))->currentText(), matter);
}

} // namespace
