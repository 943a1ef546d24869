// The quick search dialog over a real main window: a match at the start opens
// its charts at once, the day and hour walks keep the start's minutes, the
// limit and bad input, the question about an unchecked chart kind, a close
// in the middle of a run, and the stored limit.

#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include "engine/koyomi.h"
#include "output/charttext.h"
#include "output/quicksearch.h"
#include "output/walk.h"
#include "shell/app/app.h"
#include "shell/runs/quicksearchdialog.h"
#include "shell/main/dateentry.h"
#include "shell/main/mainwindow.h"
#include "shell/common/messages.h"
#include "shell_fixtures.h"

using namespace velm;

namespace {

class ESrcFTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings = std::make_unique<AppSettings>(program.path(), config.path());
        main = std::make_unique<TMainF>(*settings);
        main->showAtStart();
        dialog = std::make_unique<TESrcF>(*main, *settings);
        dialog->show();
    }

    void TearDown() override
    {
        dialog.reset();
        main.reset();
    }

    // Picks item `item` of group CBn as the user does.
    void pick(int n, int item)
    {
        auto *b = dialog->findChild<QRadioButton *>(QStringLiteral("CB%1_%2").arg(n).arg(item));
        ASSERT_NE(b, nullptr) << n << ":" << item;
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(4, b->height() / 2));
        ASSERT_TRUE(b->isChecked());
    }
    // The stem, branch, dun and ju of the chart of `kind` at `t`.
    void pickPillarOf(int kind, const CivilTime &t)
    {
        const Koyomi k = DateToKyu(t, KoyomiOptions{});
        const auto i = static_cast<std::size_t>(kind);
        pick(1, kind);
        pick(2, k.BanKan[i] + 1);
        pick(3, k.BanShi[i] + 1);
        pick(4, k.BanTon[i]);
        pick(5, k.BanKyoku[i] + 1);
    }
    void typeLimit(const QString &text)
    {
        QLineEdit *e = dialog->findChild<QLineEdit *>(QStringLiteral("CntE"));
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Delete);
        QTest::keyClicks(e, text);
    }
    void run()
    {
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("Button1")), Qt::LeftButton);
        EXPECT_TRUE(runEnds(*dialog));
    }
    bool hasChart(int kind, const CivilTime &t) const
    {
        return main->charts()->chartWindow(QString::fromStdString(chartTitle(kind, t))) != nullptr;
    }

    ScratchProgram program;
    QTemporaryDir config;
    RecordedMessages messages{ui::Answer::Yes};
    std::unique_ptr<AppSettings> settings;
    std::unique_ptr<TMainF> main;
    std::unique_ptr<TESrcF> dialog;
};

} // namespace

TEST_F(ESrcFTest, ShowsEveryChoiceWithItsFirstItemChecked)
{
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("簡易検索作盤"));
    const int counts[] = {4, 11, 13, 2, 10};
    for (int n = 1; n <= 5; ++n) {
        ASSERT_NE(dialog->findChild<QButtonGroup *>(QStringLiteral("CB%1").arg(n)), nullptr);
        EXPECT_EQ(dialog->findChild<QButtonGroup *>(QStringLiteral("CB%1").arg(n))->buttons().size(), counts[n - 1]) << n;
        EXPECT_EQ(dialog->findChild<QButtonGroup *>(QStringLiteral("CB%1").arg(n))->checkedId(), 0) << n;
    }
    EXPECT_EQ(dialog->findChild<QButtonGroup *>(QStringLiteral("CB%1").arg(1))->button(3)->text(), QStringLiteral("時盤"));
    EXPECT_EQ(dialog->findChild<QButtonGroup *>(QStringLiteral("CB%1").arg(2))->button(1)->text(), QStringLiteral("甲"));
    EXPECT_EQ(dialog->findChild<QButtonGroup *>(QStringLiteral("CB%1").arg(3))->button(12)->text(), QStringLiteral("亥"));
    EXPECT_EQ(dialog->findChild<QButtonGroup *>(QStringLiteral("CB%1").arg(4))->button(1)->text(), QStringLiteral("陰"));
    EXPECT_EQ(dialog->findChild<QButtonGroup *>(QStringLiteral("CB%1").arg(5))->button(0)->text(), QStringLiteral("不問"));
    EXPECT_EQ(dialog->findChild<QButtonGroup *>(QStringLiteral("CB%1").arg(5))->button(9)->text(), QStringLiteral("９局"));
    EXPECT_EQ(dialog->findChild<QLineEdit *>(QStringLiteral("CntE"))->text(), QStringLiteral("500"));
    EXPECT_EQ(dialog->findChild<QLabel *>(QStringLiteral("CntL"))->text(), QStringLiteral("検索件数　"));
    EXPECT_EQ(dialog->findChild<QPushButton *>(QStringLiteral("Button1"))->text(), QStringLiteral("検索作盤実行"));
}

TEST_F(ESrcFTest, AMatchAtTheStartOpensItsChartsAtOnce)
{
    const CivilTime start{2024, 3, 1, 10, 45, 0};
    main->setMoment(start);
    pickPillarOf(KindDay, start);
    run();
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join(QLatin1Char('|')).toStdString();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dialog->findChild<QLabel *>(QStringLiteral("CntL"))->text(), QStringLiteral("検索件数：    0件"));
    EXPECT_EQ(main->findChild<QLineEdit *>(QStringLiteral("TimeE"))->text(), QStringLiteral("10:45"));
    EXPECT_EQ(main->findChild<DateEntry *>(QStringLiteral("DateE"))->date(), QDate(2024, 3, 1));
    EXPECT_TRUE(hasChart(KindDay, start));
}

TEST_F(ESrcFTest, NothingFoundWithinTheLimit)
{
    const CivilTime start{2024, 3, 1, 10, 45, 0};
    main->setMoment(start);
    pickPillarOf(KindDay, start); // would match at once, but nothing may be examined
    int waves = 0;
    QObject::connect(dialog.get(), &TESrcF::progressed, [&](qint64) { ++waves; });
    typeLimit(QStringLiteral("0"));
    run();
    ASSERT_EQ(messages.texts, QStringList{QStringLiteral("該当作盤は、ありませんでした。")});
    EXPECT_EQ(waves, 0);
    EXPECT_EQ(dialog->findChild<QLabel *>(QStringLiteral("CntL"))->text(), QStringLiteral("検索件数：    0件"));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(main->charts()->chartWindows().isEmpty());

    // 甲 never pairs with 丑: the whole limit is walked.
    messages.clear();
    pick(2, 1);
    pick(3, 2);
    typeLimit(QStringLiteral("40"));
    run();
    ASSERT_EQ(messages.texts, QStringList{QStringLiteral("該当作盤は、ありませんでした。")});
    EXPECT_EQ(dialog->findChild<QLabel *>(QStringLiteral("CntL"))->text(), QStringLiteral("検索件数：   40件"));
    EXPECT_TRUE(dialog->findChild<QPushButton *>(QStringLiteral("Button1"))->isEnabled());
    EXPECT_TRUE(main->charts()->chartWindows().isEmpty());
}

TEST_F(ESrcFTest, DayChartOfJiaZiKeepsTheStartsTimeOfDay)
{
    const CivilTime start{2023, 10, 17, 14, 20, 0};
    main->setMoment(start);
    // The dun of the next 甲子 day, so that the search can stop there.
    int days = 0;
    Koyomi k;
    for (; days < 60; ++days) {
        k = DateToKyu(walkMoment(start, KindDay, days), KoyomiOptions{});
        if (k.BanKan[2] == 0 && k.BanShi[2] == 0)
            break;
    }
    ASSERT_GT(days, 0); // not the start itself
    ASSERT_LT(days, 60);
    pick(1, KindDay);
    pick(2, 1);
    pick(3, 1);
    pick(4, k.BanTon[2]);
    run();
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join(QLatin1Char('|')).toStdString();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(main->findChild<QLineEdit *>(QStringLiteral("TimeE"))->text(), QStringLiteral("14:20"));
    EXPECT_EQ(main->findChild<DateEntry *>(QStringLiteral("DateE"))->date(), QDate(2023, 10, 17).addDays(days));
    EXPECT_EQ(main->entry()->koyomi().BanKan[2], 0);
    EXPECT_EQ(main->entry()->koyomi().BanShi[2], 0);
    EXPECT_EQ(dialog->findChild<QLabel *>(QStringLiteral("CntL"))->text(), QStringLiteral("検索件数：%1件").arg(days, 5));
}

TEST_F(ESrcFTest, HourSearchFromHalfPastNineOpensHalfPastEleven)
{
    const CivilTime start{2024, 3, 1, 9, 30, 0};
    const CivilTime second{2024, 3, 1, 11, 30, 0};
    main->setMoment(start);
    pickPillarOf(KindHour, second);
    run();
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(main->findChild<QLineEdit *>(QStringLiteral("TimeE"))->text(), QStringLiteral("11:30"));
    EXPECT_EQ(main->findChild<DateEntry *>(QStringLiteral("DateE"))->date(), QDate(2024, 3, 1));
    EXPECT_EQ(dialog->findChild<QLabel *>(QStringLiteral("CntL"))->text(), QStringLiteral("検索件数：    1件"));
    EXPECT_TRUE(hasChart(KindHour, second));
}

TEST_F(ESrcFTest, AnUncheckedKindIsCheckedOnlyWhenTheUserAgrees)
{
    const CivilTime start{2024, 3, 1, 10, 45, 0};
    main->setMoment(start);
    main->entry()->setBanGrp(KindMonth, false);
    pickPillarOf(KindMonth, start);
    messages.answer = ui::Answer::No;
    run();
    ASSERT_EQ(messages.texts, QStringList{QStringLiteral("システム設定で、『月盤』はチェックされていませんが、チェックしますか？")});
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(main->BanGrp(KindMonth));
    EXPECT_TRUE(main->charts()->chartWindows().isEmpty());

    messages.clear();
    messages.answer = ui::Answer::Yes;
    run();
    EXPECT_EQ(messages.texts.size(), 1);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(main->BanGrp(KindMonth));
    EXPECT_TRUE(hasChart(KindMonth, start));
}

TEST_F(ESrcFTest, BadLimitRunsNothing)
{
    int waves = 0;
    QObject::connect(dialog.get(), &TESrcF::progressed, [&](qint64) { ++waves; });
    for (const QString &bad : {QStringLiteral("abc"), QStringLiteral("-1"), QString()}) {
        messages.clear();
        typeLimit(bad);
        run();
        ASSERT_EQ(messages.texts.size(), 1) << bad.toStdString();
        EXPECT_TRUE(messages.texts[0].contains(QStringLiteral("検索上限"))) << messages.texts[0].toStdString();
    }
    EXPECT_EQ(waves, 0);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->findChild<QLabel *>(QStringLiteral("CntL"))->text(), QStringLiteral("検索件数　"));
    EXPECT_TRUE(main->charts()->chartWindows().isEmpty());
}

TEST_F(ESrcFTest, ClosingDuringARunStopsIt)
{
    pick(1, KindHour);
    pick(2, 1);
    pick(3, 2); // 甲丑: never found
    typeLimit(QStringLiteral("5000000"));
    int waves = 0;
    QObject::connect(dialog.get(), &TESrcF::progressed, [&](qint64) {
        ++waves;
        EXPECT_TRUE(dialog->running());
        EXPECT_FALSE(dialog->findChild<QPushButton *>(QStringLiteral("Button1"))->isEnabled());
        if (waves == 3)
            QTest::keyClick(dialog.get(), Qt::Key_Escape);
    });
    run();
    EXPECT_EQ(waves, 3);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(dialog->running());
    EXPECT_TRUE(messages.texts.isEmpty());
    EXPECT_TRUE(main->charts()->chartWindows().isEmpty());
    // The next opening starts idle, with the limit as left.
    dialog->show();
    EXPECT_TRUE(dialog->findChild<QPushButton *>(QStringLiteral("Button1"))->isEnabled());
    EXPECT_EQ(dialog->findChild<QLabel *>(QStringLiteral("CntL"))->text(), QStringLiteral("検索件数　"));
}

TEST_F(ESrcFTest, LimitIsStoredAndReadAtTheNextStart)
{
    typeLimit(QStringLiteral("1234"));
    dialog->close();
    EXPECT_EQ(settings->store().text(QStringLiteral("Sys"), QStringLiteral("ESrc")), QStringLiteral("1234"));
    TESrcF again(*main, *settings);
    EXPECT_EQ(again.findChild<QLineEdit *>(QStringLiteral("CntE"))->text(), QStringLiteral("1234"));
}
