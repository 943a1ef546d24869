// The chart-data file generator: a run writes the same files, byte for byte,
// as the generator itself; both layouts; a folder from the browser; an
// unwritable folder; bad entries; closing while the files are written.

#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QCheckBox>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "output/chartdata.h"
#include "shell/app/app.h"
#include "shell/runs/chartdatafilesdialog.h"
#include "shell/main/mainwindow.h"
#include "shell/common/messages.h"
#include "shell_fixtures.h"

using namespace velm;

namespace {

struct Fixture {
    QTemporaryDir program;
    QTemporaryDir out;
    AppSettings settings{program.path(), program.path()};
    ConstData names = MakeConstData();
    TDMakeF dialog{settings, names, [] { return EngineOptions{}; }};
    QStringList statuses;

    Fixture()
    {
        QObject::connect(&dialog, &TDMakeF::statusChanged, [this](const QString &s) { statuses << s; });
        dialog.chooseFolder = [](QWidget *, const QString &, const QString &) -> QString {
            ADD_FAILURE() << "folder browser not expected";
            return {};
        };
        dialog.show();
    }

    void type(QLineEdit *e, const QString &text)
    {
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Delete);
        bool ascii = true;
        for (QChar c : text)
            ascii = ascii && c.unicode() < 0x80;
        if (ascii)
            QTest::keyClicks(e, text);
        else
            e->insert(text); // as an input method commits it
    }
    void years(const QString &from, const QString &to)
    {
        type(dialog.findChild<QLineEdit *>(QStringLiteral("FYearE")), from);
        type(dialog.findChild<QLineEdit *>(QStringLiteral("EYearE")), to);
    }
    void folder(const QString &path) { type(dialog.findChild<QLineEdit *>(QStringLiteral("DirE")), path); }
    void pick(const char *name) { dialog.findChild<QRadioButton *>(QLatin1String(name))->click(); }
    void run()
    {
        QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("Button1")), Qt::LeftButton);
        EXPECT_TRUE(runEnds(dialog));
    }
};

// Every file under `folder`, relative, sorted.
QStringList filesUnder(const QString &folder)
{
    QStringList files;
    QDir root(folder);
    for (const QFileInfo &info : root.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (info.isDir()) {
            for (const QString &f : filesUnder(info.filePath()))
                files << info.fileName() + QLatin1Char('/') + f;
        } else {
            files << info.fileName();
        }
    }
    files.sort();
    return files;
}

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// The files the generator writes itself, into a folder of their own.
QString reference(const QTemporaryDir &dir, int year, ChartFileOutput output, ChartFileLayout layout)
{
    ChartFileOptions o;
    o.folder = dir.path().toStdString();
    o.fromYear = year;
    o.toYear = year;
    o.output = output;
    o.layout = layout;
    const ChartFileResult r = writeChartDataFiles(o);
    EXPECT_TRUE(r.ok()) << r.message;
    return dir.path();
}

void expectSameFiles(const QString &got, const QString &want)
{
    const QStringList files = filesUnder(want);
    EXPECT_EQ(filesUnder(got), files);
    for (const QString &f : files)
        EXPECT_EQ(contents(got + QLatin1Char('/') + f), contents(want + QLatin1Char('/') + f)) << f.toStdString();
}

QStringList sameFolderNames(int year)
{
    QStringList names{QString::number(year) + QStringLiteral(".dat")};
    for (int m = 1; m <= 12; ++m)
        names << QStringLiteral("%1%2.dat").arg(year).arg(m, 2, 10, QLatin1Char('0'));
    names.sort();
    return names;
}

} // namespace

TEST(DMakeF, OpensWithItsDefaults)
{
    Fixture f;
    EXPECT_EQ(f.dialog.windowTitle(), QStringLiteral("CGI 用 作盤データ生成"));
    EXPECT_EQ(f.dialog.findChild<QLineEdit *>(QStringLiteral("DirE"))->text(), QDir(f.program.path()).filePath(QStringLiteral("cgidata/")));
    EXPECT_TRUE(f.dialog.findChild<QCheckBox *>(QStringLiteral("CG1_0"))->isChecked());
    EXPECT_TRUE(f.dialog.findChild<QCheckBox *>(QStringLiteral("CG1_1"))->isChecked());
    EXPECT_EQ(f.dialog.findChild<QCheckBox *>(QStringLiteral("CG1_0"))->text(), QStringLiteral("年月データ"));
    EXPECT_EQ(f.dialog.findChild<QCheckBox *>(QStringLiteral("CG1_1"))->text(), QStringLiteral("日時データ"));
    EXPECT_EQ(f.dialog.findChild<QLineEdit *>(QStringLiteral("FYearE"))->text(), QString::number(QDate::currentDate().year()));
    EXPECT_EQ(f.dialog.findChild<QLineEdit *>(QStringLiteral("EYearE"))->text(), QString::number(QDate::currentDate().year() + 1));
    EXPECT_EQ(f.dialog.findChild<QButtonGroup *>(QStringLiteral("RG1"))->checkedButton()->text(), QStringLiteral("コード"));
    EXPECT_EQ(f.dialog.findChild<QButtonGroup *>(QStringLiteral("RG2"))->checkedButton()->text(), QStringLiteral("同一フォルダ(200301.dat～200312.dat)"));
    EXPECT_EQ(f.dialog.findChild<QButtonGroup *>(QStringLiteral("RG2"))->button(0)->text(), QStringLiteral("年フォルダ＋日時データ(2003/01～12.dat)"));
    EXPECT_EQ(f.dialog.findChild<QLabel *>(QStringLiteral("DispL"))->text(), QStringLiteral("処理中の内容"));
    EXPECT_EQ(f.dialog.findChild<QPushButton *>(QStringLiteral("Button1"))->text(), QStringLiteral("データ生成実行！"));
    EXPECT_EQ(f.dialog.findChild<QPushButton *>(QStringLiteral("OKBtn"))->text(), QStringLiteral("閉じる"));
    QStringList labels;
    for (QLabel *l : f.dialog.findChildren<QLabel *>())
        labels << l->text();
    EXPECT_TRUE(labels.contains(QStringLiteral("出力開始年：")));
    EXPECT_TRUE(labels.contains(QStringLiteral("出力終了年：")));
    EXPECT_TRUE(labels.contains(QStringLiteral("出力フォルダ：")));
}

TEST(DMakeF, OneYearSameFolderMatchesTheGeneratorByteForByte)
{
    RecordedMessages messages;
    Fixture f;
    const QString target = f.out.filePath(QStringLiteral("cgi/data")); // made by the run
    f.folder(target + QLatin1Char('/'));
    f.years(QStringLiteral("2004"), QStringLiteral("2004"));
    f.run();

    EXPECT_TRUE(messages.texts.isEmpty()) << messages.all().toStdString();
    EXPECT_EQ(filesUnder(target), sameFolderNames(2004));
    QTemporaryDir want;
    expectSameFiles(target, reference(want, 2004, ChartFileOutput::Code, ChartFileLayout::SameFolder));

    // The status went through every step and ends at the done text, idle again.
    ASSERT_FALSE(f.statuses.isEmpty());
    EXPECT_EQ(f.statuses.first(), QStringLiteral("年データ作成中！"));
    EXPECT_TRUE(f.statuses.contains(QStringLiteral("月データ作成中！")));
    EXPECT_TRUE(f.statuses.contains(QStringLiteral("日時データ作成中！")));
    EXPECT_TRUE(f.statuses.contains(QStringLiteral("2004年1月の日時データ作成中！")));
    EXPECT_TRUE(f.statuses.contains(QStringLiteral("2004年12月の日時データ作成中！")));
    EXPECT_EQ(f.statuses.last(), QStringLiteral("生成終了しました！"));
    EXPECT_EQ(f.dialog.findChild<QLabel *>(QStringLiteral("DispL"))->text(), QStringLiteral("生成終了しました！"));
    EXPECT_TRUE(f.dialog.findChild<QPushButton *>(QStringLiteral("Button1"))->isEnabled());
    EXPECT_FALSE(f.dialog.running());
}

TEST(DMakeF, YearFoldersWithTextsFromTheBrowserFolder)
{
    RecordedMessages messages;
    Fixture f;
    // The browser gives a folder without a trailing separator.
    QString caption;
    f.dialog.chooseFolder = [&](QWidget *, const QString &c, const QString &) {
        caption = c;
        return f.out.path();
    };
    QTest::mouseClick(static_cast<QWidget *>(f.dialog.findChild<QAbstractButton *>(QStringLiteral("OpenBtn"))), Qt::LeftButton);
    EXPECT_EQ(caption, QStringLiteral("出力先のフォルダを指定してください。"));
    EXPECT_EQ(f.dialog.findChild<QLineEdit *>(QStringLiteral("DirE"))->text(), f.out.path());

    f.years(QStringLiteral("2004"), QStringLiteral("2004"));
    f.pick("RG1_1");
    f.pick("RG2_0");
    f.dialog.findChild<QCheckBox *>(QStringLiteral("CG1_0"))->click(); // day files only
    f.run();

    EXPECT_TRUE(messages.texts.isEmpty()) << messages.all().toStdString();
    QStringList want;
    for (int m = 1; m <= 12; ++m)
        want << QStringLiteral("2004/%1.dat").arg(m, 2, 10, QLatin1Char('0'));
    EXPECT_EQ(filesUnder(f.out.path()), want);
    QTemporaryDir ref;
    reference(ref, 2004, ChartFileOutput::Text, ChartFileLayout::YearFolders);
    for (const QString &file : want)
        EXPECT_EQ(contents(f.out.filePath(file)), contents(ref.filePath(file))) << file.toStdString();
    EXPECT_EQ(f.dialog.findChild<QLabel *>(QStringLiteral("DispL"))->text(), QStringLiteral("生成終了しました！"));
}

TEST(DMakeF, CancelledBrowserKeepsTheFolder)
{
    Fixture f;
    const QString before = f.dialog.findChild<QLineEdit *>(QStringLiteral("DirE"))->text();
    f.dialog.chooseFolder = [](QWidget *, const QString &, const QString &) { return QString(); };
    QTest::mouseClick(static_cast<QWidget *>(f.dialog.findChild<QAbstractButton *>(QStringLiteral("OpenBtn"))), Qt::LeftButton);
    EXPECT_EQ(f.dialog.findChild<QLineEdit *>(QStringLiteral("DirE"))->text(), before);
}

TEST(DMakeF, UnwritableFileIsNamedAndEarlierFilesStay)
{
    RecordedMessages messages;
    Fixture f;
    // The year-month file goes in; then the day file's name is taken by a folder.
    const QString blocker = f.out.filePath(QStringLiteral("200403.dat"));
    ASSERT_TRUE(QDir().mkpath(blocker));
    f.folder(f.out.path());
    f.years(QStringLiteral("2004"), QStringLiteral("2005"));
    f.run();

    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].contains(QStringLiteral("200403.dat"))) << messages.all().toStdString();
    EXPECT_EQ(filesUnder(f.out.path()),
              (QStringList{QStringLiteral("2004.dat"), QStringLiteral("200401.dat"), QStringLiteral("200402.dat")}));
    EXPECT_NE(f.dialog.findChild<QLabel *>(QStringLiteral("DispL"))->text(), QStringLiteral("生成終了しました！"));
    EXPECT_TRUE(f.dialog.findChild<QPushButton *>(QStringLiteral("Button1"))->isEnabled());

    // Day files alone into a folder that does not exist: the first one is named.
    messages.clear();
    const QString missing = f.out.filePath(QStringLiteral("missing"));
    f.folder(missing);
    f.dialog.findChild<QCheckBox *>(QStringLiteral("CG1_0"))->click();
    f.years(QStringLiteral("2004"), QStringLiteral("2004"));
    f.run();
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].contains(QStringLiteral("200401.dat"))) << messages.all().toStdString();
    EXPECT_FALSE(QFileInfo::exists(missing));
}

TEST(DMakeF, BadEntriesWriteNothing)
{
    RecordedMessages messages;
    Fixture f;
    f.folder(f.out.path());
    struct Case {
        QString from, to;
        QString message;
    };
    const QList<Case> cases{
        {QStringLiteral("2006"), QStringLiteral("2004"), QStringLiteral("出力開始年が、出力終了年より後になっています。")},
        {QStringLiteral("二千"), QStringLiteral("2004"),
         QStringLiteral("『二千』は、出力開始年として正しくありません。西暦の年を数字で入力して下さい。")},
        {QStringLiteral("2004"), QString(),
         QStringLiteral("『』は、出力終了年として正しくありません。西暦の年を数字で入力して下さい。")},
        {QStringLiteral("1"), QStringLiteral("2004"), QStringLiteral("出力年は、2～9998の範囲で指定して下さい。")},
        {QStringLiteral("2004"), QStringLiteral("9999"), QStringLiteral("出力年は、2～9998の範囲で指定して下さい。")},
    };
    for (const Case &c : cases) {
        messages.clear();
        f.years(c.from, c.to);
        f.run();
        EXPECT_EQ(messages.all(), c.message) << c.from.toStdString() << "-" << c.to.toStdString();
    }

    messages.clear();
    f.years(QStringLiteral("2004"), QStringLiteral("2004"));
    f.dialog.findChild<QCheckBox *>(QStringLiteral("CG1_0"))->click();
    f.dialog.findChild<QCheckBox *>(QStringLiteral("CG1_1"))->click();
    f.run();
    EXPECT_EQ(messages.all(), QStringLiteral("出力データを、１つ以上チェックして下さい。"));

    messages.clear();
    f.dialog.findChild<QCheckBox *>(QStringLiteral("CG1_1"))->click();
    f.folder(QString());
    f.run();
    EXPECT_EQ(messages.all(), QStringLiteral("出力フォルダを指定して下さい。"));

    EXPECT_TRUE(filesUnder(f.out.path()).isEmpty());
    EXPECT_TRUE(f.statuses.isEmpty());
    EXPECT_EQ(f.dialog.findChild<QLabel *>(QStringLiteral("DispL"))->text(), QStringLiteral("処理中の内容"));
}

TEST(DMakeF, FullWidthYearsAreRead)
{
    RecordedMessages messages;
    Fixture f;
    f.folder(f.out.path());
    f.years(QStringLiteral("２００４"), QStringLiteral("２００４"));
    f.dialog.findChild<QCheckBox *>(QStringLiteral("CG1_1"))->click();
    f.run();
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.all().toStdString();
    EXPECT_EQ(filesUnder(f.out.path()), QStringList{QStringLiteral("2004.dat")});
}

TEST(DMakeF, StaysResponsiveAndClosingStopsTheRun)
{
    RecordedMessages messages;
    Fixture f;
    f.folder(f.out.path());
    f.years(QStringLiteral("2004"), QStringLiteral("2006"));
    bool disabledWhileRunning = false;
    // Events are heard while the files are written: close at the second month.
    QObject::connect(&f.dialog, &TDMakeF::statusChanged, [&](const QString &s) {
        if (s == QStringLiteral("2004年2月の日時データ作成中！")) {
            disabledWhileRunning = !f.dialog.findChild<QPushButton *>(QStringLiteral("Button1"))->isEnabled() && !f.dialog.findChild<QLineEdit *>(QStringLiteral("DirE"))->isEnabled();
            QTimer::singleShot(0, f.dialog.findChild<QPushButton *>(QStringLiteral("OKBtn")), [&] { QTest::mouseClick(f.dialog.findChild<QPushButton *>(QStringLiteral("OKBtn")), Qt::LeftButton); });
        }
    });
    f.run();

    EXPECT_TRUE(disabledWhileRunning);
    EXPECT_FALSE(f.dialog.isVisible());
    EXPECT_FALSE(f.dialog.running());
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.all().toStdString();
    // The files written before the close stay; the run ends there, long before
    // its three years are written.
    const QStringList written = filesUnder(f.out.path());
    EXPECT_TRUE(written.contains(QStringLiteral("2004.dat"))) << written.join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(written.contains(QStringLiteral("200401.dat"))) << written.join(QLatin1Char(' ')).toStdString();
    EXPECT_FALSE(written.contains(QStringLiteral("2005.dat"))) << written.join(QLatin1Char(' ')).toStdString();
}

TEST(DMakeF, MainWindowCommandShowsItModally)
{
    ScratchProgram program;
    AppSettings settings(program.path(), program.path());
    RecordedMessages messages;
    TMainF main(settings);
    QString title;
    QString folder;
    bool modal = false;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<TDMakeF *>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        title = dialog->windowTitle();
        folder = dialog->findChild<QLineEdit *>(QStringLiteral("DirE"))->text();
        modal = dialog->isModal();
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("OKBtn")), Qt::LeftButton);
    });
    CGIBtnClick(main, settings, &main);
    EXPECT_EQ(title, QStringLiteral("CGI 用 作盤データ生成"));
    EXPECT_EQ(folder, program.filePath(QStringLiteral("cgidata/")));
    EXPECT_TRUE(modal);
    EXPECT_TRUE(main.findChildren<TDMakeF *>().isEmpty()); // freed when closed
}
