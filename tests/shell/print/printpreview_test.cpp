// The print preview: page position and page buttons for a list that fits and
// for a grid three pages tall and two wide, printing every page to PDF,
// colour printing, hidden rows, the bottom margin, the printer set-up and
// print seams, the stored margins, a wide list fitted to the page width,
// chart windows on paper, and staying above a window that stays on top.

#include <memory>

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QPageLayout>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "engine/koyomi.h"
#include "evaluation/numbers.h"
#include "shell/charts/chartwindow.h"
#include "shell/lists/listwindow.h"
#include "shell/common/messages.h"
#include "shell/print/printpreview.h"
#include "shell_fixtures.h"

using namespace velm;

namespace {

QPushButton *button(QWidget &w, const char *name)
{
    auto *b = w.findChild<QPushButton *>(QLatin1String(name));
    EXPECT_NE(b, nullptr) << name;
    return b;
}

// A grid like the list's: 15 columns, the last hidden, captions in the header.
struct Grid {
    QStandardItemModel model{0, 15};
    QTableView view;

    Grid(int rows, int rowHeight, int palaceWidth)
    {
        QStringList captions{QStringLiteral("盤"), QStringLiteral("日  付"), QStringLiteral("時"),
                             QStringLiteral("曜"), QString()};
        for (int c = 5; c <= 13; ++c)
            captions << QStringLiteral("方%1").arg(c);
        captions << QString();
        model.setHorizontalHeaderLabels(captions);
        for (int r = 0; r < rows; ++r) {
            QList<QStandardItem *> items;
            items << new QStandardItem(r % 4 == 3 ? QStringLiteral("時盤") : QStringLiteral("日盤"))
                  << new QStandardItem(QStringLiteral("2024/03/%1").arg(r % 28 + 1, 2, 10, QLatin1Char('0')))
                  << new QStandardItem(QStringLiteral("13")) << new QStandardItem(QStringLiteral("火"))
                  << new QStandardItem(QStringLiteral("旬首中宮"));
            for (int c = 5; c <= 13; ++c)
                items << new QStandardItem(QString::number(c * 2 - 15) + QStringLiteral(".00"));
            items << new QStandardItem(QString::number(r % 4)); // kind / direction
            model.appendRow(items);
        }
        view.setModel(&model);
        view.verticalHeader()->hide();
        view.verticalHeader()->setMinimumSectionSize(0);
        view.verticalHeader()->setDefaultSectionSize(20);
        view.horizontalHeader()->setMinimumSectionSize(0);
        for (int r = 0; r < rows; ++r)
            view.setRowHeight(r, rowHeight);
        for (int c = 0; c < 4; ++c)
            view.setColumnWidth(c, 30);
        for (int c = 4; c <= 13; ++c)
            view.setColumnWidth(c, palaceWidth);
        view.setColumnHidden(14, true);
    }
};

// The preview over a PDF printer on A4 with no margins of its own.
struct Fixture {
    QTemporaryDir dir;
    AppSettings settings{dir.path(), dir.path()};
    TPrevF prev{settings};
    QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    int setupCalls = 0;
    int printCalls = 0;

    Fixture()
    {
        QPrinter &p = prev.printer();
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName(pdf);
        p.setPageSize(QPageSize(QPageSize::A4));
        p.setPageOrientation(QPageLayout::Portrait);
        p.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
        prev.pageSetupDialog = [this](QPrinter &, QWidget *) {
            ++setupCalls;
            return true;
        };
        prev.printDialog = [this](QPrinter &, QWidget *) {
            ++printCalls;
            return true;
        };
        // The page arithmetic below is that of screen scale; fitting is tested on its own.
        prev.findChild<QCheckBox *>(QStringLiteral("FitCB"))->setChecked(false);
    }

    void open(QTableView &grid, const QString &title = QStringLiteral(" 占事「求財」 方位「全方位」 "))
    {
        prev.setTarget(&grid, [title] { return title; });
        prev.show();
    }
    QString page() const { return prev.findChild<QLabel *>(QStringLiteral("PageLbl"))->text(); }
};

// Six pages: 25 rows of 100 pixels (ten to a page) and ten palace columns
// of 80 (seven to the first strip, three to the second).
std::unique_ptr<Grid> sixPageGrid()
{
    return std::make_unique<Grid>(25, 100, 80);
}

int pdfPages(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QString text = QString::fromLatin1(file.readAll());
    return static_cast<int>(text.count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?!s)"))));
}

int countColour(const QImage &image, QColor colour)
{
    const QRgb wanted = colour.rgb();
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) == wanted ? 1 : 0;
    return n;
}

bool hasColour(const QImage &image, QColor colour)
{
    return countColour(image, colour) > 0;
}

} // namespace

TEST(PrevF, ListThatFitsIsOnePageWithBothButtonsDisabled)
{
    Fixture f;
    Grid grid(5, 20, 40);
    f.open(grid.view);
    EXPECT_EQ(f.prev.windowTitle(), QStringLiteral("印刷ﾌﾟﾚﾋﾞｭｰ"));
    EXPECT_EQ(f.page(), QStringLiteral("縦1:横1 /全 1頁"));
    EXPECT_FALSE(button(f.prev, "btnPV_Prior")->isEnabled());
    EXPECT_FALSE(button(f.prev, "btnPV_Next")->isEnabled());
    // The page image is an A4 page at screen scale, and something is on it.
    const QImage image = f.prev.findChild<QLabel *>(QStringLiteral("Image1"))->pixmap().toImage();
    EXPECT_NEAR(double(image.height()) / image.width(), 297.0 / 210.0, 0.01);
    EXPECT_TRUE(hasColour(image, Qt::black));
    EXPECT_GE(f.prev.minimumWidth(), 600);
    EXPECT_GE(f.prev.minimumHeight(), 400);
}

TEST(PrevF, PagesRunDownEachStripThenAcross)
{
    Fixture f;
    auto grid = sixPageGrid();
    f.open(grid->view);
    EXPECT_EQ(f.page(), QStringLiteral("縦1:横1 /全 6頁"));
    QPushButton *next = button(f.prev, "btnPV_Next");
    QPushButton *prior = button(f.prev, "btnPV_Prior");
    EXPECT_TRUE(next->isEnabled());
    EXPECT_FALSE(prior->isEnabled()); // no page before the first
    const QImage first = f.prev.findChild<QLabel *>(QStringLiteral("Image1"))->pixmap().toImage();

    const QStringList expected{QStringLiteral("縦2:横1 /全 6頁"), QStringLiteral("縦3:横1 /全 6頁"),
                               QStringLiteral("縦1:横2 /全 6頁"), QStringLiteral("縦2:横2 /全 6頁"),
                               QStringLiteral("縦3:横2 /全 6頁")};
    for (const QString &text : expected) {
        ASSERT_TRUE(next->isEnabled()) << text.toStdString();
        QTest::mouseClick(next, Qt::LeftButton);
        EXPECT_EQ(f.page(), text);
        EXPECT_TRUE(prior->isEnabled());
    }
    EXPECT_FALSE(next->isEnabled());
    EXPECT_NE(f.prev.findChild<QLabel *>(QStringLiteral("Image1"))->pixmap().toImage(), first);

    QTest::mouseClick(prior, Qt::LeftButton);
    EXPECT_EQ(f.page(), QStringLiteral("縦2:横2 /全 6頁"));
    EXPECT_TRUE(next->isEnabled());
    for (int i = 0; i < 4; ++i)
        QTest::mouseClick(prior, Qt::LeftButton);
    EXPECT_EQ(f.page(), QStringLiteral("縦1:横1 /全 6頁"));
    EXPECT_FALSE(prior->isEnabled());

    // A redraw starts again at page 1.
    QTest::mouseClick(next, Qt::LeftButton);
    QTest::mouseClick(button(f.prev, "ReDrawBtn"), Qt::LeftButton);
    EXPECT_EQ(f.page(), QStringLiteral("縦1:横1 /全 6頁"));
    EXPECT_FALSE(prior->isEnabled());
}

TEST(PrevF, PrintsEveryPageToPdfAndKeepsThePreview)
{
    Fixture f;
    auto grid = sixPageGrid();
    f.open(grid->view);
    QTest::mouseClick(button(f.prev, "btnPV_Next"), Qt::LeftButton);
    QTest::mouseClick(button(f.prev, "PRNBtn"), Qt::LeftButton);
    EXPECT_EQ(f.printCalls, 1);
    EXPECT_EQ(pdfPages(f.pdf), 6);

    // Cancelled in the print dialog: nothing is printed.
    QFile::remove(f.pdf);
    f.prev.printDialog = [](QPrinter &, QWidget *) { return false; };
    QTest::mouseClick(button(f.prev, "PRNBtn"), Qt::LeftButton);
    EXPECT_FALSE(QFile::exists(f.pdf));
}

TEST(PrevF, PrinterThatCannotOpenIsReported)
{
    RecordedMessages messages;
    Fixture f;
    Grid grid(5, 20, 40);
    f.open(grid.view);
    f.prev.printer().setOutputFileName(f.dir.filePath(QStringLiteral("no/such/folder/out.pdf")));
    QTest::mouseClick(button(f.prev, "PRNBtn"), Qt::LeftButton);
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].startsWith(QStringLiteral("印刷できませんでした。")));
    EXPECT_EQ(f.page(), QStringLiteral("縦1:横1 /全 1頁"));
}

TEST(PrevF, RowTallerThanThePageHasAPageOfItsOwn)
{
    Fixture f;
    Grid grid(3, 20, 40);
    grid.view.setRowHeight(1, 3000);
    f.open(grid.view);
    EXPECT_EQ(f.page(), QStringLiteral("縦1:横1 /全 3頁"));
    EXPECT_EQ(f.prev.SGPrinter().layout().rowStarts, (std::vector<int>{1, 2, 3}));
}

TEST(PrevF, HiddenRowsDoNotPrint)
{
    Fixture f;
    auto grid = sixPageGrid();
    grid->view.setObjectName(QStringLiteral("CSG"));
    f.open(grid->view);
    const int withAll = f.prev.SGPrinter().totalPages();
    EXPECT_EQ(withAll, 6);
    // With all but five rows hidden, one page down is enough.
    for (int r = 5; r < 25; ++r)
        grid->view.setRowHidden(r, true);
    QTest::mouseClick(button(f.prev, "ReDrawBtn"), Qt::LeftButton);
    EXPECT_EQ(f.prev.SGPrinter().layout().rowPages(), 1);
    EXPECT_EQ(f.page(), QStringLiteral("縦1:横1 /全 2頁"));
    // The calendar keeps its caption row and first two charts on every page.
    EXPECT_EQ(f.prev.SGPrinter().layout().fixedRows, 3);
}

TEST(PrevF, ColourPrintingMarksDirectionsAndCalendarRows)
{
    Fixture f;
    Grid grid(4, 20, 40);
    f.open(grid.view);
    EXPECT_FALSE(hasColour(f.prev.findChild<QLabel *>(QStringLiteral("Image1"))->pixmap().toImage(), Qt::yellow));
    // The list marks the direction of each row in yellow.
    QTest::mouseClick(f.prev.findChild<QCheckBox *>(QStringLiteral("CB1")), Qt::LeftButton);
    EXPECT_TRUE(f.prev.findChild<QCheckBox *>(QStringLiteral("CB1"))->isChecked());
    EXPECT_TRUE(hasColour(f.prev.findChild<QLabel *>(QStringLiteral("Image1"))->pixmap().toImage(), Qt::yellow));

    // The calendar shades its year, month and day rows and colours its scores.
    grid.view.setObjectName(QStringLiteral("CSG"));
    QTest::mouseClick(button(f.prev, "ReDrawBtn"), Qt::LeftButton);
    const QImage calendar = f.prev.findChild<QLabel *>(QStringLiteral("Image1"))->pixmap().toImage();
    const int silver = countColour(calendar, QColor(0xC0, 0xC0, 0xC0));
    EXPECT_FALSE(hasColour(calendar, Qt::yellow));
    EXPECT_TRUE(hasColour(calendar, PColor(11.0, PColorSettings{})));

    // Without colour only the edges of letters may happen to be silver.
    QTest::mouseClick(f.prev.findChild<QCheckBox *>(QStringLiteral("CB1")), Qt::LeftButton);
    EXPECT_GT(silver, 20 * countColour(f.prev.findChild<QLabel *>(QStringLiteral("Image1"))->pixmap().toImage(), QColor(0xC0, 0xC0, 0xC0)));
}

TEST(PrevF, BottomMarginNeverBelowFiveMillimetres)
{
    Fixture f;
    Grid grid(5, 20, 40);
    f.open(grid.view);
    f.prev.findChild<QSpinBox *>(QStringLiteral("BottomE"))->setValue(0);
    QTest::mouseClick(button(f.prev, "ReDrawBtn"), Qt::LeftButton);
    EXPECT_EQ(f.prev.SGPrinter().BottomMargin, 5);
    EXPECT_EQ(f.prev.SGPrinter().layout().bottomPx, mmToPixels(5, f.prev.printer().logicalDpiY()));
    f.prev.findChild<QSpinBox *>(QStringLiteral("BottomE"))->setValue(12);
    QTest::mouseClick(button(f.prev, "ReDrawBtn"), Qt::LeftButton);
    EXPECT_EQ(f.prev.SGPrinter().BottomMargin, 17);
}

TEST(PrevF, PrinterSetUpRecomputesThePages)
{
    Fixture f;
    auto grid = sixPageGrid();
    f.open(grid->view);
    QTest::mouseClick(button(f.prev, "btnPV_Next"), Qt::LeftButton);
    f.prev.pageSetupDialog = [&f](QPrinter &p, QWidget *) {
        ++f.setupCalls;
        p.setPageOrientation(QPageLayout::Landscape);
        return true;
    };
    QTest::mouseClick(button(f.prev, "PRSetBtn"), Qt::LeftButton);
    EXPECT_EQ(f.setupCalls, 1);
    // Landscape: every column fits across, the rows need more pages down.
    EXPECT_EQ(f.prev.SGPrinter().layout().colPages(), 1);
    EXPECT_EQ(f.page(), QString::fromStdString(pagePositionText({1, 1}, f.prev.SGPrinter().totalPages())));
}

TEST(PrevF, WideListFitsThePageWidthUnlessAskedNotTo)
{
    Fixture f;
    auto grid = sixPageGrid();
    f.open(grid->view);
    EXPECT_EQ(f.prev.SGPrinter().layout().colPages(), 2);
    const QImage wide = f.prev.findChild<QLabel *>(QStringLiteral("Image1"))->pixmap().toImage();
    QTest::mouseClick(f.prev.findChild<QCheckBox *>(QStringLiteral("FitCB")), Qt::LeftButton);
    ASSERT_TRUE(f.prev.findChild<QCheckBox *>(QStringLiteral("FitCB"))->isChecked());
    const PrintLayout &fit = f.prev.SGPrinter().layout();
    EXPECT_EQ(fit.colPages(), 1);
    EXPECT_LT(fit.fitScale, 1.0);
    EXPECT_EQ(f.page(), QString::fromStdString(pagePositionText({1, 1}, fit.rowPages())));
    EXPECT_LT(fit.rowPages(), 3); // smaller rows: fewer pages down
    EXPECT_NE(f.prev.findChild<QLabel *>(QStringLiteral("Image1"))->pixmap().toImage(), wide);
    QTest::mouseClick(button(f.prev, "PRNBtn"), Qt::LeftButton);
    EXPECT_EQ(pdfPages(f.pdf), fit.rowPages());
}

TEST(PrevF, ChartsPrintAsOnScreen)
{
    Fixture f;
    const Koyomi k = DateToKyu(CivilTime{2024, 3, 1, 12, 0, 0}, KoyomiOptions{}, false);
    const NumberTables numbers = readNumbersFile(VELM_DATA_DIR "/SuuFile.Dat").tables;
    std::vector<std::unique_ptr<TBanF>> charts;
    std::vector<PrintPicture> pictures;
    for (int kind = 0; kind < 4; ++kind) {
        const ConstData names = MakeConstData();
        charts.push_back(std::make_unique<TBanF>(layChart(k, kind, LayingMethod::Rotating, &numbers, &names),
                                                 QStringLiteral("盤%1").arg(kind), CivilTime{2024, 3, 1, 12, 0, 0},
                                                 BanDisplay{}));
        TBanF *w = charts.back().get();
        pictures.push_back({w->printSize(), [w](QPainter &p) { w->paintChart(p); }});
    }
    // The active look is the screen's; on paper the labels stay dark.
    charts.front()->setActiveLook(true);
    f.prev.setTargetPictures(pictures, [] { return QStringLiteral("遁甲盤"); });
    f.prev.show();
    EXPECT_EQ(f.page(), QStringLiteral("縦1:横1 /全 1頁"));
    EXPECT_GT(f.prev.SGPrinter().layout().picturesPerRow, 1);
    const QImage page = f.prev.findChild<QLabel *>(QStringLiteral("Image1"))->pixmap().toImage();
    // Every palace keeps its score colour; the window's teal stays on screen.
    for (int p = 0; p < 9; ++p)
        EXPECT_TRUE(hasColour(page, charts[3]->cellBackground(PalaceColumn[p], PalaceRow[p]))) << p;
    EXPECT_FALSE(hasColour(page, QColor(0x00, 0x80, 0x80)));
    EXPECT_TRUE(charts.front()->activeLook());
    QTest::mouseClick(button(f.prev, "PRNBtn"), Qt::LeftButton);
    EXPECT_EQ(pdfPages(f.pdf), 1);

    // Thirty charts run on over further pages, row by row.
    for (int i = 0; i < 26; ++i)
        pictures.push_back(pictures.front());
    f.prev.setTargetPictures(pictures, [] { return QStringLiteral("遁甲盤"); });
    const PrintLayout &l = f.prev.SGPrinter().layout();
    const auto [first, last] = l.rowsOf(1);
    const int perPage = l.picturesPerRow * (last - first);
    EXPECT_EQ(l.totalPages, (30 + perPage - 1) / perPage);
    EXPECT_GT(l.totalPages, 1);
    EXPECT_EQ(f.page(), QString::fromStdString(pagePositionText({1, 1}, l.totalPages)));
}

TEST(PrevF, MarginsAndColourAreStoredOnClose)
{
    QTemporaryDir dir;
    {
        AppSettings settings(dir.path(), dir.path());
        TPrevF prev(settings);
        EXPECT_EQ(prev.findChild<QSpinBox *>(QStringLiteral("TopE"))->value(), 10);
        EXPECT_EQ(prev.findChild<QSpinBox *>(QStringLiteral("BottomE"))->value(), 5);
        EXPECT_EQ(prev.findChild<QSpinBox *>(QStringLiteral("LeftE"))->value(), 10);
        EXPECT_EQ(prev.findChild<QSpinBox *>(QStringLiteral("RightE"))->value(), 10);
        EXPECT_FALSE(prev.findChild<QCheckBox *>(QStringLiteral("CB1"))->isChecked());
        EXPECT_TRUE(prev.findChild<QCheckBox *>(QStringLiteral("FitCB"))->isChecked());
        prev.show();
        prev.findChild<QCheckBox *>(QStringLiteral("FitCB"))->setChecked(false);
        prev.findChild<QSpinBox *>(QStringLiteral("TopE"))->setValue(15);
        prev.findChild<QSpinBox *>(QStringLiteral("BottomE"))->setValue(0);
        prev.findChild<QSpinBox *>(QStringLiteral("LeftE"))->setValue(20);
        prev.findChild<QSpinBox *>(QStringLiteral("RightE"))->setValue(7);
        prev.findChild<QCheckBox *>(QStringLiteral("CB1"))->setChecked(true);
        QTest::mouseClick(button(prev, "CloseBtn"), Qt::LeftButton);
        EXPECT_FALSE(prev.isVisible());
        EXPECT_EQ(settings.store().integer(QStringLiteral("PRN"), QStringLiteral("TopMgn")), 15);
        EXPECT_TRUE(settings.store().boolean(QStringLiteral("PRN"), QStringLiteral("Color")));
        EXPECT_TRUE(settings.sync().isEmpty());
    }
    AppSettings settings(dir.path(), dir.path());
    TPrevF prev(settings);
    EXPECT_EQ(prev.findChild<QSpinBox *>(QStringLiteral("TopE"))->value(), 15);
    EXPECT_EQ(prev.findChild<QSpinBox *>(QStringLiteral("BottomE"))->value(), 0);
    EXPECT_EQ(prev.findChild<QSpinBox *>(QStringLiteral("LeftE"))->value(), 20);
    EXPECT_EQ(prev.findChild<QSpinBox *>(QStringLiteral("RightE"))->value(), 7);
    EXPECT_TRUE(prev.findChild<QCheckBox *>(QStringLiteral("CB1"))->isChecked());
    EXPECT_FALSE(prev.findChild<QCheckBox *>(QStringLiteral("FitCB"))->isChecked());
}

TEST(PrevF, ListWindowPreviewRunsModallyWithItsTitle)
{
    QTemporaryDir dir;
    AppSettings settings(dir.path(), dir.path());
    TPrevF prev(settings);
    prev.printer().setOutputFormat(QPrinter::PdfFormat);
    TListF list(settings);
    ListModel model = ListModel::fresh();
    model.SenL = " 占事「求財」 方位「全方位」 ";
    model.CntL = "1/12";
    ListRow row;
    row[0] = "日盤";
    row[1] = "2024/03/05";
    row[2] = "14";
    row[14] = "2";
    model.rows.push_back(row);
    list.showList(model, true); // stays on top

    QStringList titles;
    list.setPreview([&](QTableView *grid) {
        prev.previewGrid(grid, [&list, &titles] {
            titles << list.SenL()->text();
            return list.SenL()->text();
        });
    });
    QString shown;
    bool wasModal = false;
    bool above = false;
    QTimer::singleShot(0, &prev, [&] {
        shown = prev.findChild<QLabel *>(QStringLiteral("PageLbl"))->text();
        wasModal = prev.isModal() && prev.isVisible();
        // The list's own dialog, on top like the list, so it cannot fall behind it.
        above = prev.parentWidget() == &list && prev.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        prev.reject();
    });
    QTest::mouseClick(list.findChild<QPushButton *>(QStringLiteral("PrevBtn")), Qt::LeftButton);
    EXPECT_TRUE(wasModal);
    EXPECT_TRUE(above);
    EXPECT_EQ(prev.parentWidget(), nullptr);
    EXPECT_FALSE(prev.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(shown, QStringLiteral("縦1:横1 /全 1頁"));
    ASSERT_FALSE(titles.isEmpty());
    EXPECT_EQ(titles.front(), QStringLiteral(" 占事「求財」 方位「全方位」 "));
    // After closing, the preview holds no grid that could go away: it has no pages left.
    EXPECT_EQ(prev.SGPrinter().totalPages(), 0);
}
