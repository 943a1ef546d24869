// The fixed-position views, the about box, the notice and the title window.

#include <gtest/gtest.h>

#include <QLabel>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include "output/charttext.h"
#include "shell/charts/fixedviews.h"
#include "shell/settings/settingsstore.h"
#include "shell/tools/titlewindows.h"

using namespace velm;

namespace {

QString at(QTableWidget *grid, int palace)
{
    const QTableWidgetItem *item = grid->item(PalaceRow[static_cast<std::size_t>(palace)],
                                              PalaceColumn[static_cast<std::size_t>(palace)]);
    return item ? item->text() : QString();
}

} // namespace

TEST(FixedViews, HomesOfEveryElement)
{
    QTemporaryDir dir;
    SettingsStore store(dir.path());
    TTeiiF teii(MakeConstData(), store);
    // Palace indexes: 1 乾 2 兌 3 艮 4 離 5 坎 6 坤 7 震 8 巽.
    EXPECT_EQ(at(teii.findChild<QTableWidget *>(QStringLiteral("SG1")), 5), "坎");
    EXPECT_EQ(at(teii.findChild<QTableWidget *>(QStringLiteral("SG2")), 1), "開");
    EXPECT_EQ(at(teii.findChild<QTableWidget *>(QStringLiteral("SG2")), 5), "休");
    EXPECT_EQ(at(teii.findChild<QTableWidget *>(QStringLiteral("SG2")), 8), "杜");
    EXPECT_EQ(at(teii.findChild<QTableWidget *>(QStringLiteral("SG2")), 0), "");
    EXPECT_EQ(at(teii.findChild<QTableWidget *>(QStringLiteral("SG3")), 6), "内");
    EXPECT_EQ(at(teii.findChild<QTableWidget *>(QStringLiteral("SG5")), 5), "一");
    EXPECT_EQ(at(teii.findChild<QTableWidget *>(QStringLiteral("SG5")), 0), "五");
    // Yang: 乾 地, 兌 雀, 艮 符, 離 合, 坎 天, 坤 陳, 震 蛇, 巽 陰.
    const QString yang[9] = {"", "地", "雀", "符", "合", "天", "陳", "蛇", "陰"};
    const QString yin[9] = {"", "天", "符", "雀", "陰", "地", "蛇", "陳", "合"};
    for (int p = 1; p <= 8; ++p)
        EXPECT_EQ(at(teii.findChild<QTableWidget *>(QStringLiteral("SG4")), p), yang[p]) << p;
    EXPECT_EQ(teii.deityCaption(), "【八神】陽");
    teii.show();
    QTest::mouseClick(teii.findChild<QTableWidget *>(QStringLiteral("SG4"))->viewport(), Qt::LeftButton);
    for (int p = 1; p <= 8; ++p)
        EXPECT_EQ(at(teii.findChild<QTableWidget *>(QStringLiteral("SG4")), p), yin[p]) << p;
    EXPECT_EQ(teii.deityCaption(), "【八神】陰");
    QTest::mouseClick(teii.findChild<QTableWidget *>(QStringLiteral("SG4"))->viewport(), Qt::LeftButton);
    EXPECT_EQ(teii.deityCaption(), "【八神】陽");
    EXPECT_TRUE(teii.yangShown());

    TTeii2F terms(store);
    EXPECT_EQ(at(terms.findChild<QTableWidget *>(QStringLiteral("SG1")), 5), "冬至小寒大寒");
    EXPECT_EQ(at(terms.findChild<QTableWidget *>(QStringLiteral("SG1")), 1), "立冬小雪大雪");
    EXPECT_EQ(at(terms.findChild<QTableWidget *>(QStringLiteral("SG1")), 0), "");
}

TEST(FixedViews, PlacementSurvivesARestart)
{
    QTemporaryDir dir;
    {
        SettingsStore store(dir.path());
        TTeiiF teii(MakeConstData(), store);
        teii.show();
        teii.move(123, 77);
        teii.close();
    }
    SettingsStore store(dir.path());
    const auto rect = placementRect(store.binary("Teii", "TeiiFWinPlace1"));
    ASSERT_TRUE(rect.has_value());
    TTeiiF again(MakeConstData(), store);
    EXPECT_FALSE(again.isVisible()); // reading never shows it
    EXPECT_EQ(again.pos(), rect->topLeft());
    EXPECT_FALSE(placementRect(QByteArray("short")).has_value());
}

TEST(TitleWindows, AboutLinkNoticeAndTitle)
{
    TAboutBox about(QStringLiteral("VELM"), QStringLiteral("http://support.example/"));
    QUrl opened;
    about.findChild<TURLLink *>(QStringLiteral("URLLink"))->open = [&](const QUrl &url) {
        opened = url;
        return true;
    };
    about.show();
    QTest::mouseClick(about.findChild<TURLLink *>(QStringLiteral("URLLink")), Qt::LeftButton);
    EXPECT_EQ(opened, QUrl("http://support.example/"));
    EXPECT_EQ(about.windowTitle(), "ﾊﾞｰｼﾞｮﾝ情報");
    EXPECT_EQ(about.captionText(), "VELM");

    TMsgF notice;
    notice.notify(QStringLiteral("お知らせ"), 2, 10);
    EXPECT_EQ(notice.text(), "お知らせ");
    EXPECT_EQ(notice.barColour(), QColor(Qt::red));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !notice.isVisible(); }, 5000));

    auto title = std::make_unique<TTitlef1>(QStringLiteral("VELM 0.1"));
    EXPECT_EQ(title->versionText(), "VELM 0.1");
    EXPECT_EQ(title->size(), QSize(401, 239));
}
