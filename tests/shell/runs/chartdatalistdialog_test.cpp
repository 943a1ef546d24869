// The chart-data list dialog over a real main window and list window: the
// rows the list window shows, the stop button, nothing made, bad input, a
// close during a run, a long run that keeps the window alive, the help topic
// and the stored limit.

#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include "output/chartdata.h"
#include "shell/app/app.h"
#include "shell/runs/chartdatalistdialog.h"
#include "shell/common/helpwindow.h"
#include "shell/lists/listwindow.h"
#include "shell/main/mainwindow.h"
#include "shell/common/messages.h"
#include "shell_fixtures.h"

using namespace velm;

namespace {

const CivilTime Start{2024, 3, 1, 10, 45, 0};

class BDataFTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings = std::make_unique<AppSettings>(program.path(), config.path());
        main = std::make_unique<TMainF>(*settings);
        main->showAtStart();
        main->setMoment(Start);
        list = std::make_unique<TListF>(*settings);
        dialog = std::make_unique<TBDataF>(*main, *settings, *list);
        dialog->show();
    }

    void TearDown() override
    {
        dialog.reset();
        list.reset();
        main.reset();
    }

    void typeLimit(const QString &text)
    {
        QLineEdit *e = dialog->findChild<QLineEdit *>(QStringLiteral("SrcE"));
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Delete);
        // Full-width digits come from an input method, which commits them at once.
        for (QChar c : text)
            if (c.unicode() < 0x80)
                QTest::keyClick(e, c.toLatin1());
            else
                e->insert(c);
    }
    void click(const char *name)
    {
        auto *b = dialog->findChild<QAbstractButton *>(QLatin1String(name));
        ASSERT_NE(b, nullptr) << name;
        QTest::mouseClick(b, Qt::LeftButton, {}, qobject_cast<QRadioButton *>(b) ? QPoint(4, b->height() / 2) : QPoint());
        EXPECT_TRUE(runEnds(*dialog));
    }
    bool idle() const { return dialog->findChild<QWidget *>(QStringLiteral("BtnPnl"))->isEnabled() && !dialog->findChild<QWidget *>(QStringLiteral("SrcPnl"))->isVisible(); }
    QString cell(int row, int column) const
    {
        return QString::fromStdString(list->list().rows.at(static_cast<std::size_t>(row))[static_cast<std::size_t>(column)]);
    }

    ScratchProgram program;
    QTemporaryDir config;
    RecordedMessages messages;
    std::unique_ptr<AppSettings> settings;
    std::unique_ptr<TMainF> main;
    std::unique_ptr<TListF> list;
    std::unique_ptr<TBDataF> dialog;
};

} // namespace

TEST_F(BDataFTest, StartsIdleWithTheHourChartAndStoredLimit)
{
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("作盤ﾃﾞｰﾀ一覧表の作成指定"));
    EXPECT_EQ(dialog->findChild<QButtonGroup *>(QStringLiteral("RG1"))->checkedId(), KindHour);
    EXPECT_EQ(dialog->findChild<QButtonGroup *>(QStringLiteral("RG1"))->button(KindYear)->text(), QStringLiteral("年盤"));
    EXPECT_EQ(dialog->findChild<QLineEdit *>(QStringLiteral("SrcE"))->text(), QStringLiteral("300"));
    EXPECT_TRUE(idle());
    EXPECT_EQ(dialog->findChild<QPushButton *>(QStringLiteral("StopBtn"))->text(), QStringLiteral("作成中断"));
}

TEST_F(BDataFTest, HourChartsFromAQuarterToElevenFillTheListWindow)
{
    settings->setSearchListOnTop(true);
    typeLimit(QStringLiteral("１３")); // as an input method types it
    click("OKBtn");
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join(QLatin1Char('|')).toStdString();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    ASSERT_TRUE(list->isVisible());
    EXPECT_TRUE(list->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(list->windowTitle(), QStringLiteral("作盤データ一覧表"));
    EXPECT_EQ(list->listKind(), ListKind::ChartData);
    // Every shown column has a caption; the file's unnamed one is the flags'.
    for (int c = 0; c < ListColumnCount - 1; ++c)
        EXPECT_FALSE(list->findChild<QTableView *>(QStringLiteral("SG1"))->model()->headerData(c, Qt::Horizontal).toString().isEmpty()) << c;
    EXPECT_EQ(list->findChild<QTableView *>(QStringLiteral("SG1"))->model()->headerData(11, Qt::Horizontal).toString(), QStringLiteral("特記"));
    EXPECT_EQ(list->SenL()->text(), QStringLiteral(" 作盤データ  "));
    EXPECT_EQ(list->findChild<QLabel *>(QStringLiteral("CntL"))->text(), QStringLiteral("13"));
    ASSERT_EQ(list->list().dataRowCount(), 13);
    EXPECT_EQ(cell(1, 0), QStringLiteral("時盤"));
    EXPECT_EQ(cell(1, 1), QStringLiteral("2024/03/01"));
    EXPECT_EQ(cell(1, 2), QStringLiteral("10"));
    EXPECT_EQ(cell(2, 2), QStringLiteral("12"));
    EXPECT_EQ(cell(13, 1), QStringLiteral("2024/03/02"));
    EXPECT_EQ(cell(13, 2), QStringLiteral("10"));
    // The same rows as the list the core makes from 10:45.
    ChartDataListOptions o;
    o.start = Start;
    o.count = 13;
    const ListModel want = chartDataListModel(ListProc(o));
    for (int r = 1; r <= 13; ++r)
        EXPECT_EQ(list->list().rows[static_cast<std::size_t>(r)], want.rows[static_cast<std::size_t>(r)]) << r;
    EXPECT_EQ(settings->store().text(QStringLiteral("Sys"), QStringLiteral("BData")), QStringLiteral("１３"));
}

TEST_F(BDataFTest, StopKeepsTheRowsMade)
{
    settings->setSearchListOnTop(false); // the list is an ordinary window then
    click("RG1_2");
    typeLimit(QStringLiteral("5000"));
    int waves = 0;
    QObject::connect(dialog.get(), &TBDataF::progressed, [&](qint64 made) {
        ++waves;
        EXPECT_TRUE(dialog->findChild<QWidget *>(QStringLiteral("SrcPnl"))->isVisible());
        EXPECT_FALSE(dialog->findChild<QWidget *>(QStringLiteral("BtnPnl"))->isEnabled());
        EXPECT_EQ(dialog->findChild<QLabel *>(QStringLiteral("CntL"))->text(), QStringLiteral("作成件数：%1件").arg(made, 5));
        if (made == 32)
            QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("StopBtn")), Qt::LeftButton);
    });
    click("OKBtn");
    // The run hears the stop at its next wave or soon after.
    EXPECT_GE(waves, 3);
    EXPECT_TRUE(messages.texts.isEmpty());
    ASSERT_TRUE(list->isVisible());
    EXPECT_FALSE(list->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    const int rows = list->list().dataRowCount();
    EXPECT_GE(rows, 32);
    EXPECT_LT(rows, 5000);
    EXPECT_EQ(list->findChild<QLabel *>(QStringLiteral("CntL"))->text(), QString::number(rows));
    EXPECT_EQ(cell(1, 0), QStringLiteral("日盤"));
    EXPECT_EQ(cell(32, 1), QStringLiteral("2024/04/01"));
}

TEST_F(BDataFTest, NothingMadeSaysStoppedAndResets)
{
    typeLimit(QStringLiteral("0"));
    click("OKBtn");
    ASSERT_EQ(messages.texts, QStringList{QStringLiteral("作盤を中止しました。")});
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(idle());
    EXPECT_TRUE(dialog->findChild<QLabel *>(QStringLiteral("CntL"))->text().isEmpty());
    EXPECT_FALSE(list->isVisible());

    // Stopped at the first wave: the message when nothing was made yet, else
    // the rows made so far.
    messages.clear();
    typeLimit(QStringLiteral("100"));
    QObject::connect(dialog.get(), &TBDataF::progressed,
                     [&](qint64) { QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("StopBtn")), Qt::LeftButton); });
    click("OKBtn");
    EXPECT_TRUE(idle() || !dialog->isVisible());
    if (list->isVisible()) {
        EXPECT_TRUE(messages.texts.isEmpty());
        EXPECT_EQ(list->findChild<QLabel *>(QStringLiteral("CntL"))->text(), QString::number(list->list().dataRowCount()));
    } else {
        ASSERT_EQ(messages.texts, QStringList{QStringLiteral("作盤を中止しました。")});
        EXPECT_FALSE(list->hasRows());
    }
}

TEST_F(BDataFTest, BadLimitRunsNothing)
{
    int waves = 0;
    QObject::connect(dialog.get(), &TBDataF::progressed, [&](qint64) { ++waves; });
    for (const QString &bad : {QStringLiteral("abc"), QStringLiteral("-5"), QStringLiteral("1e3")}) {
        messages.clear();
        typeLimit(bad);
        click("OKBtn");
        ASSERT_EQ(messages.texts.size(), 1) << bad.toStdString();
        EXPECT_TRUE(messages.texts[0].contains(QStringLiteral("作成上限"))) << messages.texts[0].toStdString();
    }
    EXPECT_EQ(waves, 0);
    EXPECT_TRUE(idle());
    EXPECT_FALSE(list->isVisible());
}

TEST_F(BDataFTest, ClosingDuringARunShowsNoList)
{
    typeLimit(QStringLiteral("5000"));
    QObject::connect(dialog.get(), &TBDataF::progressed, [&](qint64 made) {
        if (made == 16)
            QTest::keyClick(dialog.get(), Qt::Key_Escape);
    });
    click("OKBtn");
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(dialog->running());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_TRUE(messages.texts.isEmpty());
    EXPECT_FALSE(list->isVisible());
    dialog->show();
    EXPECT_TRUE(idle());
}

TEST_F(BDataFTest, ALongRunLetsTheWindowBreathe)
{
    typeLimit(QStringLiteral("10000"));
    int waves = 0;
    QObject::connect(dialog.get(), &TBDataF::progressed, [&](qint64) { ++waves; });
    click("OKBtn");
    EXPECT_EQ(waves, 625); // once every sixteen moments
    ASSERT_TRUE(list->isVisible());
    EXPECT_EQ(list->list().dataRowCount(), 10000);
    EXPECT_EQ(list->findChild<QLabel *>(QStringLiteral("CntL"))->text(), QStringLiteral("10000"));
}

TEST_F(BDataFTest, HelpOpensItsTopic)
{
    click("HelpBtn");
    ASSERT_NE(currentHelpWindow(), nullptr);
    EXPECT_EQ(currentHelpWindow()->currentTopic(), 10001);
    EXPECT_TRUE(messages.texts.isEmpty());
}

TEST_F(BDataFTest, LimitIsStoredAndReadAtTheNextStart)
{
    typeLimit(QStringLiteral("77"));
    click("CancelBtn");
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(settings->store().text(QStringLiteral("Sys"), QStringLiteral("BData")), QStringLiteral("77"));
    TBDataF again(*main, *settings, *list);
    EXPECT_EQ(again.findChild<QLineEdit *>(QStringLiteral("SrcE"))->text(), QStringLiteral("77"));
}
