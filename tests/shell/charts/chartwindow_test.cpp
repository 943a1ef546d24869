// The chart window: what each palace shows, the labels, hints, clicks, the
// two clipboard copies and the active look.
//
// Expected palace texts are those of the laid charts the engine tests check
// (2024-03-01 12:00 hour chart: 庚午, yang ju 1, 旬首 戊, 五不遇時).

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QFile>
#include <QTemporaryDir>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>
#include <QToolTip>

#include "engine/koyomi.h"
#include "output/listfile.h"
#include "shell/charts/chartwindow.h"

using namespace velm;

namespace {

NumberTables defaultTables()
{
    return readNumbersFile(VELM_DATA_DIR "/SuuFile.Dat").tables;
}

std::unique_ptr<TBanF> hourWindow(const CivilTime &moment, LayingMethod method, BanDisplay display = {},
                                  const QString &title = QStringLiteral("時盤:24/03/01 12時"))
{
    const Koyomi k = DateToKyu(moment, KoyomiOptions{}, false);
    const NumberTables tables = defaultTables();
    const ConstData names = MakeConstData();
    return std::make_unique<TBanF>(layChart(k, KindHour, method, &tables, &names), title,
                                   CivilTime{2024, 3, 1, 12, 0, 0}, display);
}

// The hour chart of 2024-03-01 12:00.
std::unique_ptr<TBanF> exampleWindow(LayingMethod method, BanDisplay display = {})
{
    return hourWindow(CivilTime{2024, 3, 1, 12, 0, 0}, method, display);
}

QRect cellRect(const TBanF &w, int palace)
{
    QTableWidget *g = w.findChild<QTableWidget *>(QStringLiteral("SG1"));
    return g->visualRect(g->model()->index(PalaceRow[static_cast<std::size_t>(palace)],
                                           PalaceColumn[static_cast<std::size_t>(palace)]));
}

QStringList linesOf(const TBanF &w, int palace)
{
    return w.cellLines(PalaceColumn[static_cast<std::size_t>(palace)], PalaceRow[static_cast<std::size_t>(palace)]);
}

QString hintOf(const TBanF &w, int palace)
{
    return w.cellHint(PalaceColumn[static_cast<std::size_t>(palace)], PalaceRow[static_cast<std::size_t>(palace)]);
}

void pressPalace(TBanF &w, int palace, Qt::MouseButton button = Qt::LeftButton)
{
    QTest::mouseClick(w.findChild<QTableWidget *>(QStringLiteral("SG1"))->viewport(), button, {}, cellRect(w, palace).center());
}

QLabel *labelWithText(const TBanF &w, const QString &text)
{
    for (QLabel *label : w.findChildren<QLabel *>())
        if (label->text() == text)
            return label;
    return nullptr;
}

const QString DefaultHint = QStringLiteral("ｸﾘｯｸすると日付ﾃﾞｰﾀが変更されます");
const QString Blank = QStringLiteral("　　　　");

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

TEST(BanWindow, BothMethodsFillTheirOwnCells)
{
    auto flying = exampleWindow(LayingMethod::Flying);
    auto rotating = exampleWindow(LayingMethod::Rotating);
    // Top row 巽 離 坤, bottom row 艮 坎 乾: the stars differ between the
    // methods, the stems and doors do not.
    EXPECT_EQ(flying->cellLines(0, 0)[0], "丙 内 六");
    EXPECT_EQ(rotating->cellLines(0, 0)[0], "丙 任 六");
    EXPECT_EQ(flying->cellLines(1, 0)[0], "庚 柱 二");
    EXPECT_EQ(rotating->cellLines(1, 0)[0], "庚 冲 二");
    EXPECT_EQ(flying->cellLines(2, 0)[1], "己 開 合");
    EXPECT_EQ(rotating->cellLines(2, 2)[0], "己 内 八");
    EXPECT_EQ(rotating->cellLines(0, 2)[1], "丙 杜 天");
    EXPECT_EQ(rotating->cellLines(2, 1)[1], "丁 休 陳");
    // The rotating plate leaves the centre without a star.
    EXPECT_EQ(rotating->cellLines(1, 1)[0], "壬 　 七");
    // Every cell shows slices 0..4 of the palace that sits there.
    for (const auto *w : {flying.get(), rotating.get()})
        for (int p = 0; p < 9; ++p) {
            const QStringList lines = linesOf(*w, p);
            ASSERT_EQ(lines.size(), 5);
            for (int k = 0; k < 5; ++k)
                EXPECT_EQ(lines[k].toStdString(), w->palaceTexts()[static_cast<std::size_t>(p)][static_cast<std::size_t>(k)]);
        }
    EXPECT_EQ(rotating->labels().KyokuL, "陽１局");
    EXPECT_EQ(rotating->labels().JunL, "旬首[戊]");
    EXPECT_EQ(rotating->labels().TyuL, "五不遇時");
    EXPECT_EQ(rotating->labels().Label7, " [庚午]");
}

TEST(BanWindow, DutyLabelsOnlyWithCB4)
{
    BanDisplay on;
    on.showDutyDoorAndStar = true;
    auto shown = exampleWindow(LayingMethod::Flying, on);
    shown->show();
    QLabel *door = labelWithText(*shown, "直使:休-兌");
    QLabel *star = labelWithText(*shown, "直符:蓬-震");
    ASSERT_TRUE(door && star);
    EXPECT_TRUE(door->isVisible());
    EXPECT_TRUE(star->isVisible());
    ASSERT_TRUE(labelWithText(*shown, "五不遇時"));
    EXPECT_TRUE(labelWithText(*shown, "五不遇時")->isVisible());
    EXPECT_TRUE(labelWithText(*shown, "陽１局")->isVisible());

    auto hidden = exampleWindow(LayingMethod::Flying);
    hidden->show();
    ASSERT_TRUE(labelWithText(*hidden, "直使:休-兌"));
    EXPECT_FALSE(labelWithText(*hidden, "直使:休-兌")->isVisible());
    EXPECT_LT(hidden->height(), shown->height());
}

TEST(BanWindow, PatternLinesAndHints)
{
    auto w = exampleWindow(LayingMethod::Flying);
    // No patterns (坎): blank lines 3 to 5 and the grid's own hint.
    EXPECT_EQ(linesOf(*w, 5).mid(2), QStringList({Blank, Blank, Blank}));
    EXPECT_EQ(hintOf(*w, 5), DefaultHint);
    // One pattern (乾): on line 5, lines 3 and 4 blank.
    EXPECT_EQ(linesOf(*w, 1).mid(2), QStringList({Blank, Blank, "　反吟　"}));
    EXPECT_EQ(hintOf(*w, 1), DefaultHint);

    // Five patterns (離 of 2024-03-07 06:00): slots 2, 1, 0 in the cell,
    // slots 3 and 4 as a two-line hint.
    auto five = hourWindow(CivilTime{2024, 3, 7, 6, 0, 0}, LayingMethod::Rotating);
    EXPECT_EQ(linesOf(*five, 4).mid(2), QStringList({"　伏干　", "　日格　", "　戦格　"}));
    EXPECT_EQ(hintOf(*five, 4), "　雲干　\n　伏吟　");

    // The hint the user sees when resting on the cell.
    five->show();
    QWidget *viewport = five->findChild<QTableWidget *>(QStringLiteral("SG1"))->viewport();
    const QPoint at = cellRect(*five, 4).center();
    QHelpEvent help(QEvent::ToolTip, at, viewport->mapToGlobal(at));
    QApplication::sendEvent(viewport, &help);
    EXPECT_EQ(QToolTip::text(), "　雲干　\n　伏吟　");
    const QPoint plain = cellRect(*five, 0).center();
    QHelpEvent help2(QEvent::ToolTip, plain, viewport->mapToGlobal(plain));
    QApplication::sendEvent(viewport, &help2);
    EXPECT_EQ(QToolTip::text(), DefaultHint);
    QToolTip::hideText();
}

TEST(BanWindow, ScoreColoursFollowTheSetting)
{
    BanDisplay on;
    auto coloured = exampleWindow(LayingMethod::Rotating, on);
    coloured->show();
    for (int p = 0; p < 9; ++p) {
        const double total = coloured->scores().BanSuu[8][static_cast<std::size_t>(p)];
        EXPECT_EQ(linesOf(*coloured, p).size(), 5);
        EXPECT_EQ(coloured->cellBackground(PalaceColumn[static_cast<std::size_t>(p)], PalaceRow[static_cast<std::size_t>(p)]),
                  PColor(QString::fromStdString(formatScore(total)), on.colours))
            << "palace " << p;
    }
    // What is painted: the score colour fills the cell.
    const QImage image = coloured->findChild<QTableWidget *>(QStringLiteral("SG1"))->viewport()->grab().toImage();
    const QRect north = cellRect(*coloured, 5);
    EXPECT_EQ(image.pixelColor(north.left() + 1, north.bottom() - 2),
              coloured->cellBackground(1, 2));

    BanDisplay off;
    off.colourChartsByScore = false;
    auto plain = exampleWindow(LayingMethod::Rotating, off);
    plain->show();
    EXPECT_FALSE(plain->cellBackground(1, 2).isValid());
    const QImage plainImage = plain->findChild<QTableWidget *>(QStringLiteral("SG1"))->viewport()->grab().toImage();
    const QRect cell = cellRect(*plain, 5);
    EXPECT_EQ(plainImage.pixelColor(cell.left() + 1, cell.bottom() - 2),
              plain->findChild<QTableWidget *>(QStringLiteral("SG1"))->palette().color(QPalette::Base));
}

TEST(BanWindow, CellsHoldFiveLinesOfTheChartFont)
{
    for (int size : {10, 14, 24}) {
        BanDisplay display;
        display.banFontSize = size;
        auto w = exampleWindow(LayingMethod::Flying, display);
        const QFontMetrics fm(w->findChild<QTableWidget *>(QStringLiteral("SG1"))->font());
        EXPECT_EQ(w->findChild<QTableWidget *>(QStringLiteral("SG1"))->font().pointSize(), size);
        for (int p = 0; p < 9; ++p) {
            // The painted cell lies inside the 1-pixel grid line.
            const QRect cell = cellRect(*w, p).adjusted(0, 0, -1, -1);
            const int lineHeight = cell.height() / 5;
            EXPECT_GE(lineHeight, fm.height()) << "size " << size;
            EXPECT_LE(1 + 4 * lineHeight + fm.height(), cell.height()) << "size " << size;
            for (const QString &line : linesOf(*w, p))
                EXPECT_LE(fm.horizontalAdvance(line) + 2, cell.width()) << "size " << size;
        }
        // The grid shows all nine cells whole.
        const QSize inside = w->findChild<QTableWidget *>(QStringLiteral("SG1"))->viewport()->size();
        EXPECT_GE(inside.width(), 3 * w->findChild<QTableWidget *>(QStringLiteral("SG1"))->columnWidth(0));
        EXPECT_GE(inside.height(), 3 * w->findChild<QTableWidget *>(QStringLiteral("SG1"))->rowHeight(0));
    }
    BanDisplay broken;
    broken.banFontSize = 0;
    EXPECT_EQ(exampleWindow(LayingMethod::Flying, broken)->findChild<QTableWidget *>(QStringLiteral("SG1"))->font().pointSize(), 10);
}

TEST(BanWindow, PressingACellReportsItsPalace)
{
    auto w = exampleWindow(LayingMethod::Flying);
    w->show();
    QSignalSpy palaces(w.get(), &TBanF::palaceClicked);
    QSignalSpy clicks(w.get(), &TBanF::windowClicked);
    for (int p = 0; p < 9; ++p)
        pressPalace(*w, p);
    ASSERT_EQ(palaces.count(), 9);
    for (int p = 0; p < 9; ++p)
        EXPECT_EQ(palaces[p][0].toInt(), p);
    EXPECT_EQ(clicks.count(), 9);
    EXPECT_EQ(w->lastPalace(), 8);
    EXPECT_EQ(w->findChild<QAction *>(QStringLiteral("CP2"))->text(), "巽宮(南東)のみコピー");

    // The grid's border and the labels are the window, not a palace.
    palaces.clear();
    clicks.clear();
    QTest::mouseClick(w->findChild<QTableWidget *>(QStringLiteral("SG1")), Qt::LeftButton, {}, QPoint(0, 0));
    QTest::mouseClick(labelWithText(*w, "陽１局"), Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(palaces.count(), 0);
    EXPECT_EQ(clicks.count(), 2);
    EXPECT_EQ(w->lastPalace(), 8);
}

TEST(BanWindow, AnUntitledWindowKeepsTheMainDate)
{
    auto w = hourWindow(CivilTime{2024, 3, 1, 12, 0, 0}, LayingMethod::Flying, {}, QString());
    EXPECT_EQ(w->windowTitle(), "BanF");
    w->show();
    QSignalSpy palaces(w.get(), &TBanF::palaceClicked);
    QSignalSpy clicks(w.get(), &TBanF::windowClicked);
    pressPalace(*w, 3);
    QTest::mouseClick(w.get(), Qt::LeftButton, {}, QPoint(1, 1));
    EXPECT_EQ(clicks.count(), 0);
    ASSERT_EQ(palaces.count(), 1);
    EXPECT_EQ(palaces[0][0].toInt(), 3);
}

TEST(BanWindow, CopiesGoToTheClipboardInBoxes)
{
    auto w = exampleWindow(LayingMethod::Flying);
    w->show();
    EXPECT_EQ(w->findChild<QAction *>(QStringLiteral("CP1"))->text(), "盤をｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰ");
    w->findChild<QAction *>(QStringLiteral("CP1"))->trigger();
    const QStringList chart = QApplication::clipboard()->text().split('\n');
    ASSERT_EQ(chart.size(), 21);
    EXPECT_EQ(chart[0], "時盤:24/03/01 12時 [庚午]");
    EXPECT_EQ(chart[1], "陽１局 旬首[戊] 五不遇時");
    EXPECT_EQ(chart[2], "┌────┬────┬────┐");
    EXPECT_EQ(chart[3], "│丙 内 六│庚 柱 二│辛 英 四│");
    EXPECT_EQ(chart[8], "├────┼────┼────┤");
    EXPECT_EQ(chart[12], "│　雲干　│　　　　│　　　　│");
    EXPECT_EQ(chart[13], "│ 飛宮格 │　　　　│　　　　│");
    EXPECT_EQ(chart[14], "├────┼────┼────┤");
    EXPECT_EQ(chart[15], "│癸 心 一│丁 任 三│己 輔 八│");
    EXPECT_EQ(chart[19], "│　　　　│　　　　│　反吟　│");
    EXPECT_EQ(chart[20], "└────┴────┴────┘");

    // Nothing pressed yet: no palace to copy.
    EXPECT_FALSE(w->findChild<QAction *>(QStringLiteral("CP2"))->isEnabled());
    EXPECT_EQ(w->findChild<QAction *>(QStringLiteral("CP2"))->text(), "宮(東南)のみコピー");

    pressPalace(*w, 0);
    EXPECT_EQ(w->findChild<QAction *>(QStringLiteral("CP2"))->text(), "中宮のみコピー");
    pressPalace(*w, 5);
    EXPECT_EQ(w->findChild<QAction *>(QStringLiteral("CP2"))->text(), "坎宮( 北)のみコピー");
    w->findChild<QAction *>(QStringLiteral("CP2"))->trigger();
    const QStringList palace = QApplication::clipboard()->text().split('\n');
    ASSERT_EQ(palace.size(), 9);
    EXPECT_EQ(palace[0], "時盤:24/03/01 12時");
    EXPECT_EQ(palace[1], "坎宮(北)");
    EXPECT_EQ(palace[2], "┌────┐");
    EXPECT_EQ(palace[3], "│丁 任 三│");
    EXPECT_EQ(palace[4], "│甲 傷 地│");
    EXPECT_EQ(palace[8], "└────┘");
}

TEST(BanWindow, SavesAsPngSvgAndPdfDrawnAsOnScreen)
{
    auto w = exampleWindow(LayingMethod::Flying);
    w->show();
    EXPECT_EQ(w->findChild<QAction *>(QStringLiteral("SaveImageItem"))->text(), "画像として保存…");
    QTemporaryDir dir;
    const struct {
        const char *name;
        QByteArray start;
    } files[] = {{"chart.png", "\x89PNG"}, {"chart.svg", "<?xml"}, {"chart.pdf", "%PDF"}};
    for (const auto &f : files) {
        const QString path = dir.filePath(QLatin1String(f.name));
        w->saveImageName = [&](QWidget *, const QString &suggested) {
            EXPECT_EQ(suggested, "時盤_24-03-01 12時.png");
            return path;
        };
        w->findChild<QAction *>(QStringLiteral("SaveImageItem"))->trigger();
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << f.name;
        const QByteArray bytes = file.readAll();
        EXPECT_TRUE(bytes.startsWith(f.start)) << f.name;
        if (f.start == "<?xml") { // the same texts as on screen
            EXPECT_TRUE(bytes.contains("辛")) << f.name;
        }
    }
    // Twice the screen's pixels.
    const QImage png(dir.filePath("chart.png"));
    EXPECT_EQ(png.size(), w->printSize() * 2);
}

TEST(BanWindow, RightClickingAPalaceCopiesThatPalace)
{
    auto w = exampleWindow(LayingMethod::Flying);
    w->show();
    pressPalace(*w, 5);
    pressPalace(*w, 1, Qt::RightButton);
    QWidget *viewport = w->findChild<QTableWidget *>(QStringLiteral("SG1"))->viewport();
    const QPoint at = cellRect(*w, 1).center();
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
    QApplication::sendEvent(viewport, &menuEvent);
    ASSERT_TRUE(w->findChild<QMenu *>(QStringLiteral("PopupMenu1"))->isVisible());
    const QList<QAction *> items = w->findChild<QMenu *>(QStringLiteral("PopupMenu1"))->actions();
    // The two copies, a separator, the print preview, the picture, a
    // separator, the comparison of the schools and the journal.
    ASSERT_EQ(items.size(), 8);
    EXPECT_EQ(items[6]->text(), "流派比較");
    EXPECT_EQ(items[7], w->journalAction());
    EXPECT_EQ(items[1]->text(), "乾宮(北西)のみコピー");
    EXPECT_EQ(items[3], w->findChild<QAction *>(QStringLiteral("CP3")));
    EXPECT_EQ(items[3]->text(), "印刷ﾌﾟﾚﾋﾞｭｰ");
    items[1]->trigger();
    w->findChild<QMenu *>(QStringLiteral("PopupMenu1"))->hide();
    const QStringList palace = QApplication::clipboard()->text().split('\n');
    ASSERT_EQ(palace.size(), 9);
    EXPECT_EQ(palace[1], "乾宮(北西)");
    EXPECT_EQ(palace[3], "│己 輔 八│");
    EXPECT_EQ(palace[7], "│　反吟　│");
}

TEST(BanWindow, OnlyTheActiveChartLooksActive)
{
    QWidget top;
    auto *area = new QMdiArea(&top);
    top.resize(900, 600);
    area->resize(900, 600);
    const Koyomi k = DateToKyu(CivilTime{2024, 3, 1, 12, 0, 0}, KoyomiOptions{}, false);
    const NumberTables tables = defaultTables();
    const ConstData names = MakeConstData();
    auto *older = new TBanF(layChart(k, KindHour, LayingMethod::Flying, &tables, &names),
                            QStringLiteral("時盤:24/03/01 12時"), CivilTime{2024, 3, 1, 12, 0, 0}, {});
    auto *newer = new TBanF(layChart(k, KindDay, LayingMethod::Flying, &tables, &names),
                            QStringLiteral("日盤:2024/03/01"), CivilTime{2024, 3, 1, 12, 0, 0}, {});
    QMdiSubWindow *olderSub = area->addSubWindow(older);
    QMdiSubWindow *newerSub = area->addSubWindow(newer);
    top.show();
    QSignalSpy olderActivated(older, &TBanF::activated);
    area->setActiveSubWindow(newerSub);
    EXPECT_TRUE(newer->activeLook());
    EXPECT_FALSE(older->activeLook());

    area->setActiveSubWindow(olderSub);
    EXPECT_TRUE(older->activeLook());
    EXPECT_FALSE(newer->activeLook());
    EXPECT_EQ(olderActivated.count(), 1);
    EXPECT_EQ(older->palette().color(QPalette::Window), QColor(0x00, 0x80, 0x80));
    EXPECT_EQ(labelWithText(*older, "陽１局")->palette().color(QPalette::WindowText), QColor(Qt::white));
    EXPECT_EQ(labelWithText(*older, "五不遇時")->palette().color(QPalette::WindowText), QColor(Qt::yellow));
    EXPECT_EQ(labelWithText(*newer, "五不遇時"), nullptr); // the day chart has its own note
    EXPECT_EQ(newer->palette().color(QPalette::Window), QApplication::palette().color(QPalette::Button));
    EXPECT_EQ(labelWithText(*newer, newer->labels().JunL.c_str())->palette().color(QPalette::WindowText),
              QColor(Qt::black));

    // The main window losing and regaining activation changes nothing.
    QApplication::setActiveWindow(nullptr);
    QApplication::setActiveWindow(&top);
    EXPECT_TRUE(older->activeLook());
    EXPECT_FALSE(newer->activeLook());

    // "×" closes the chart's own sub-window.
    newer->findChild<QToolButton *>()->click();
    EXPECT_TRUE(newerSub->isHidden() || !area->subWindowList().contains(newerSub));
}
