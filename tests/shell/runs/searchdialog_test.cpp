// The search dialog: a run with a matter from the shipped data fills the list
// window with the same rows and counts as the search itself finds; no match,
// the stop button, bad limits and a missing matters file.

#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include "evaluation/numbers.h"
#include "evaluation/sencheck.h"
#include "output/search.h"
#include "shell/app/app.h"
#include "shell/lists/listwindow.h"
#include "shell/common/messages.h"
#include "shell/runs/searchdialog.h"
#include "shell_fixtures.h"

using namespace velm;

namespace {

const CivilTime Start{2024, 1, 1, 10, 45, 0};
const QString MatterName = QStringLiteral("吉方位（総合）");

// The dialog and the list window over the shipped data files.
struct Fixture {
    QTemporaryDir dir;
    AppSettings settings{dir.path(), dir.path()};
    ConstData names = MakeConstData();
    TListF list{settings};
    CivilTime start = Start;
    TSrcSF dialog{settings, names, [this](QWidget *) { return std::optional<CivilTime>(start); },
                  [] { return EngineOptions{}; }};

    explicit Fixture(const QString &folder = QStringLiteral(VELM_DATA_DIR))
    {
        setProgramFolder(folder);
        dialog.setListWindow(&list);
        dialog.show();
    }

    void type(const char *name, const QString &text)
    {
        auto *e = dialog.findChild<QLineEdit *>(QLatin1String(name));
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Delete);
        QTest::keyClicks(e, text);
    }
    void click(const char *name)
    {
        auto *b = dialog.findChild<QAbstractButton *>(QLatin1String(name));
        ASSERT_NE(b, nullptr) << name;
        if (qobject_cast<QRadioButton *>(b))
            b->click();
        else
            QTest::mouseClick(b, Qt::LeftButton);
        EXPECT_TRUE(runEnds(dialog));
    }
    bool idle() const { return dialog.findChild<QWidget *>(QStringLiteral("BtnPnl"))->isEnabled() && !dialog.findChild<QWidget *>(QStringLiteral("SrcPnl"))->isVisible(); }
};

// What the search itself finds for the same settings.
SearchOutcome expected(int kind, std::int64_t limit, std::int64_t maxMatches)
{
    SearchSettings s;
    s.start = Start;
    s.kind = kind;
    s.limit = limit;
    s.maxMatches = maxMatches;
    SenMatterLoad matter = loadSenMatter(VELM_DATA_DIR "/Senji.Dat", MatterName.toStdString());
    EXPECT_TRUE(matter.ok) << matter.message;
    return SrcProc(s, matter.matter, readNumbersFile(VELM_DATA_DIR "/SuuFile.Dat").tables, MakeConstData());
}

} // namespace

TEST(SrcSF, ShowsTheMatterListAndStoredLimits)
{
    Fixture f;
    EXPECT_EQ(f.dialog.windowTitle(), QStringLiteral("検索一覧表の作成指定"));
    EXPECT_EQ(f.dialog.findChild<QComboBox *>(QStringLiteral("SenBox"))->currentText(), MatterName);
    EXPECT_GT(f.dialog.findChild<QComboBox *>(QStringLiteral("SenBox"))->count(), 5);
    EXPECT_EQ(f.dialog.HouiBox()->count(), 9);
    EXPECT_EQ(f.dialog.HouiBox()->currentText(), QStringLiteral("全方位"));
    EXPECT_EQ(f.dialog.findChild<QButtonGroup *>(QStringLiteral("RG1"))->checkedId(), KindDay);
    EXPECT_EQ(f.dialog.findChild<QLineEdit *>(QStringLiteral("SrcE"))->text(), QStringLiteral("500"));
    EXPECT_EQ(f.dialog.findChild<QLineEdit *>(QStringLiteral("CntE"))->text(), QStringLiteral("100"));
    EXPECT_TRUE(f.idle());
}

TEST(SrcSF, RunFillsTheListWindow)
{
    RecordedMessages messages;
    const SearchOutcome want = expected(KindHour, 120, 100);
    ASSERT_GT(want.matches, 0);
    Fixture f;
    f.click("RG1_3");
    f.type("SrcE", QStringLiteral("120"));
    f.click("OKBtn");

    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join(QLatin1Char('|')).toStdString();
    EXPECT_FALSE(f.dialog.isVisible());
    EXPECT_EQ(f.dialog.result(), QDialog::Accepted);
    ASSERT_TRUE(f.list.isVisible());
    EXPECT_EQ(f.list.windowTitle(), QStringLiteral("検索一覧表"));
    EXPECT_EQ(f.list.SenL()->text(), QStringLiteral(" 占事「吉方位（総合）」 方位「全方位」 "));
    EXPECT_EQ(f.list.findChild<QLabel *>(QStringLiteral("CntL"))->text(), QString::number(want.matches) + QStringLiteral("/120"));
    ASSERT_EQ(f.list.list().dataRowCount(), want.matches);
    const std::vector<ListRow> wantRows = want.rows();
    for (std::size_t i = 0; i < wantRows.size(); ++i)
        EXPECT_EQ(f.list.list().rows[i + 1], wantRows[i]) << i;
    // An hour search from 10:45 lists the even hours of its steps.
    EXPECT_EQ(f.list.list().rows[1][0], "時盤");
    // The limits are kept for the next start.
    EXPECT_EQ(f.settings.searchLimit(), QStringLiteral("120"));
}

TEST(SrcSF, NoMatchSaysSoAndStaysOpen)
{
    RecordedMessages messages;
    Fixture f;
    f.type("SrcE", QStringLiteral("0"));
    f.click("OKBtn");
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_EQ(messages.texts[0], QStringLiteral("条件に合うものは、見つかりませんでした。"));
    EXPECT_TRUE(f.dialog.isVisible());
    EXPECT_TRUE(f.idle());
    EXPECT_FALSE(f.list.isVisible());
}

TEST(SrcSF, AWalkCutShortByTheCalendarEndSaysSo)
{
    RecordedMessages messages;
    Fixture f;
    f.start = CivilTime{9999, 12, 31, 10, 0, 0};
    f.click("RG1_3");
    f.click("OKBtn");
    ASSERT_FALSE(messages.texts.isEmpty());
    EXPECT_EQ(messages.texts[0], QStringLiteral("日付が9999年12月31日を超えるため、9999/12/31 22:00までの7件で検索を終えました。"));
}

TEST(SrcSF, StopButtonShowsTheMatchesSoFar)
{
    RecordedMessages messages;
    Fixture f;
    f.click("RG1_3");
    f.type("SrcE", QStringLiteral("5000000"));
    f.type("CntE", QStringLiteral("5000000"));
    int waves = 0;
    QObject::connect(&f.dialog, &TSrcSF::progressed, [&](qint64, qint64) {
        ++waves;
        EXPECT_TRUE(f.dialog.findChild<QWidget *>(QStringLiteral("SrcPnl"))->isVisible());
        EXPECT_FALSE(f.dialog.findChild<QWidget *>(QStringLiteral("BtnPnl"))->isEnabled());
        QTest::mouseClick(f.dialog.findChild<QPushButton *>(QStringLiteral("StopBtn")), Qt::LeftButton);
    });
    f.click("OKBtn");
    EXPECT_GE(waves, 1); // the run hears the stop at its next wave or soon after
    ASSERT_TRUE(f.list.isVisible());
    f.list.fillAll(); // the window makes its rows a block at a time as it shows them
    const QStringList counts = f.list.findChild<QLabel *>(QStringLiteral("CntL"))->text().split(QLatin1Char('/'));
    ASSERT_EQ(counts.size(), 2);
    EXPECT_EQ(counts[0].toLongLong(), f.list.list().dataRowCount());
    EXPECT_GT(counts[1].toLongLong(), 0);
    EXPECT_LT(counts[1].toLongLong(), 5000000);
}

TEST(SrcSF, BadLimitOrMissingFileLeavesTheDialogUsable)
{
    RecordedMessages messages;
    {
        Fixture f;
        f.type("CntE", QStringLiteral("abc"));
        f.click("OKBtn");
        ASSERT_EQ(messages.texts.size(), 1);
        EXPECT_TRUE(messages.texts[0].contains(QStringLiteral("該当上限")));
        EXPECT_TRUE(f.idle());
        EXPECT_FALSE(f.list.isVisible());
    }
    messages.clear();
    ScratchProgram program{{"Senji.Idx"}};
    Fixture f(program.path());
    f.click("OKBtn");
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].contains(QStringLiteral("見つかりません"))) << messages.texts[0].toStdString();
    EXPECT_TRUE(f.idle());
    EXPECT_FALSE(f.list.isVisible());
}
