// The tools dialog and menu: adding and deleting rows through the dialog's
// own edits and buttons, the menu that follows the table up to the first
// empty title, starting a tool from the menu, the stored "SG1" text, and the
// refusals (a comma, a full table, missing title or program).

#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include "shell/common/messages.h"
#include "shell/tools/toolsmenu.h"
#include "shell_fixtures.h"

using namespace velm;

namespace {

QString emptyTable()
{
    return QString(40, QLatin1Char(','));
}

struct Run {
    QString program;
    QStringList arguments;
    QString folder;
};

struct Fixture {
    QTemporaryDir dir;
    AppSettings settings{dir.path(), dir.path()};
    QMenu menu;
    std::unique_ptr<TTools> tools;
    QList<Run> runs;
    bool runSucceeds = true;
    RecordedMessages messages;

    // stored: the "SG1" text before the dialog is made; null for none at all.
    explicit Fixture(const QString &stored = emptyTable())
    {
        if (!stored.isNull())
            settings.store().setText(QStringLiteral("Tool"), QStringLiteral("SG1"), stored);
        make();
    }
    void make()
    {
        tools = std::make_unique<TTools>(settings, &menu);
        tools->runProgram = [this](const QString &program, const QStringList &arguments, const QString &folder) {
            runs << Run{program, arguments, folder};
            return runSucceeds;
        };
        tools->chooseProgram = [](QWidget *) { return QStringLiteral("/opt/tools/ruler"); };
        tools->show();
    }
    void type(int edit, const QString &text)
    {
        QLineEdit *e = tools->findChild<QLineEdit *>(QStringLiteral("Edit%1").arg(edit));
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Delete);
        // keyClicks knows only ASCII keys; Japanese arrives as typed text.
        for (const QChar ch : text)
            QTest::sendKeyEvent(QTest::Click, e, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
    void click(const char *name)
    {
        auto *b = tools->findChild<QPushButton *>(QLatin1String(name));
        ASSERT_NE(b, nullptr) << name;
        QTest::mouseClick(b, Qt::LeftButton);
    }
    void add(const QString &title, const QString &program, const QString &params, const QString &folder)
    {
        type(1, title);
        type(2, program);
        type(3, params);
        type(4, folder);
        click("Button1");
    }
    void selectRow(int row)
    {
        QTableWidget *grid = tools->findChild<QTableWidget *>(QStringLiteral("SG1"));
        const QRect cell = grid->visualRect(grid->model()->index(row, 0));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    }
    QStringList entries() const
    {
        QStringList texts;
        const QList<QAction *> items = menu.actions();
        for (qsizetype i = 2; i < items.size(); ++i)
            texts << items.at(i)->text();
        return texts;
    }
};

} // namespace

TEST(Tools, FirstStartOffersACalculatorAndTheReadme)
{
    Fixture f{QString()};
    const ToolTable &t = f.tools->table();
    EXPECT_EQ(t.row(0).title, QStringLiteral("電卓"));
    EXPECT_FALSE(t.row(0).program.isEmpty());
    EXPECT_EQ(t.row(1).title, QStringLiteral("Readme"));
    EXPECT_EQ(t.row(1).parameters, QStringLiteral("Readme.txt"));
    EXPECT_EQ(t.usedRows(), 2);

    // The menu: the dialog's own entry, a separator, then the tools.
    const QList<QAction *> items = f.menu.actions();
    ASSERT_EQ(items.size(), 4);
    EXPECT_EQ(items.at(0)->text(), QStringLiteral("ﾂｰﾙの設定(&S)"));
    EXPECT_EQ(items.at(0), f.menu.findChild<QAction *>(QStringLiteral("ToolItem")));
    EXPECT_TRUE(items.at(1)->isSeparator());
    EXPECT_EQ(f.entries(), (QStringList{QStringLiteral("電卓"), QStringLiteral("Readme")}));
    EXPECT_EQ(f.tools->windowTitle(), QStringLiteral("ﾂｰﾙの設定"));
}

TEST(Tools, DeletingTheFirstOfThreeMovesTheOthersUpWithTheirFolders)
{
    Fixture f;
    f.add(QStringLiteral("一"), QStringLiteral("/bin/one"), {}, QStringLiteral("/work/one/"));
    f.add(QStringLiteral("二"), QStringLiteral("/bin/two"), {}, QStringLiteral("/work/two/"));
    f.add(QStringLiteral("三"), QStringLiteral("/bin/three"), QStringLiteral("-x"), QStringLiteral("/work/three/"));
    EXPECT_EQ(f.entries(), (QStringList{QStringLiteral("一"), QStringLiteral("二"), QStringLiteral("三")}));
    EXPECT_EQ(f.tools->findChild<QTableWidget *>(QStringLiteral("SG1"))->item(2, 3)->text(), QStringLiteral("/work/three/"));

    f.selectRow(0);
    EXPECT_EQ(f.tools->findChild<QLineEdit *>(QStringLiteral("Edit1"))->text(), QStringLiteral("一")); // the row came into the edits
    f.click("Button2");

    const ToolTable &t = f.tools->table();
    EXPECT_EQ(t.row(0), (ToolEntry{QStringLiteral("二"), QStringLiteral("/bin/two"), {}, QStringLiteral("/work/two/")}));
    EXPECT_EQ(t.row(1), (ToolEntry{QStringLiteral("三"), QStringLiteral("/bin/three"), QStringLiteral("-x"), QStringLiteral("/work/three/")}));
    EXPECT_EQ(t.row(2), ToolEntry{});
    EXPECT_EQ(f.tools->findChild<QTableWidget *>(QStringLiteral("SG1"))->item(1, 3)->text(), QStringLiteral("/work/three/"));
    EXPECT_TRUE(f.tools->findChild<QTableWidget *>(QStringLiteral("SG1"))->item(2, 0)->text().isEmpty());
    EXPECT_EQ(f.entries(), (QStringList{QStringLiteral("二"), QStringLiteral("三")}));
    EXPECT_TRUE(f.messages.texts.isEmpty());
}

TEST(Tools, AnEmptyTitleEndsTheMenu)
{
    Fixture f{QStringLiteral("甲,/bin/a,,,,/bin/b,,,丙,/bin/c,,,") + QString(28, QLatin1Char(','))};
    EXPECT_EQ(f.entries(), QStringList{QStringLiteral("甲")});
    EXPECT_EQ(f.tools->table().usedRows(), 1);
    // A new tool fills the gap and the row behind it shows again.
    f.add(QStringLiteral("乙"), QStringLiteral("/bin/b"), {}, {});
    EXPECT_EQ(f.entries(), (QStringList{QStringLiteral("甲"), QStringLiteral("乙"), QStringLiteral("丙")}));
}

TEST(Tools, AMenuEntryStartsItsProgram)
{
    QTemporaryDir work;
    Fixture f;
    f.add(QStringLiteral("暦"), QStringLiteral("/usr/bin/koyomi"), QStringLiteral("-a \"two words\" b"), work.path());
    f.add(QStringLiteral("地図"), QStringLiteral("/usr/bin/map"), {}, work.path());
    f.menu.actions().at(3)->trigger(); // the second tool
    ASSERT_EQ(f.runs.size(), 1);
    EXPECT_EQ(f.runs[0].program, QStringLiteral("/usr/bin/map"));
    EXPECT_TRUE(f.runs[0].arguments.isEmpty());
    EXPECT_EQ(f.runs[0].folder, work.path());

    f.menu.actions().at(2)->trigger();
    ASSERT_EQ(f.runs.size(), 2);
    EXPECT_EQ(f.runs[1].program, QStringLiteral("/usr/bin/koyomi"));
    EXPECT_EQ(f.runs[1].arguments, (QStringList{QStringLiteral("-a"), QStringLiteral("two words"), QStringLiteral("b")}));
    EXPECT_TRUE(f.messages.texts.isEmpty());

    // A program that does not start is told, naming the tool.
    f.runSucceeds = false;
    f.menu.actions().at(2)->trigger();
    ASSERT_EQ(f.messages.texts.size(), 1);
    EXPECT_TRUE(f.messages.texts[0].startsWith(QStringLiteral("「暦」を起動できませんでした。")));

    // A working folder that is gone is told without trying to start.
    f.add(QStringLiteral("A&B"), QStringLiteral("/usr/bin/ab"), {}, QStringLiteral("/no/such/folder/"));
    EXPECT_EQ(f.menu.actions().at(4)->text(), QStringLiteral("A&&B")); // shown with its "&"
    f.menu.actions().at(4)->trigger();
    EXPECT_EQ(f.runs.size(), 3); // the two starts and the one that failed
    ASSERT_EQ(f.messages.texts.size(), 2);
    EXPECT_TRUE(f.messages.texts[1].contains(QStringLiteral("/no/such/folder/")));
}

TEST(Tools, ClosingStoresTheTableAndItReadsBack)
{
    Fixture f;
    f.add(QStringLiteral("電卓"), QStringLiteral("gnome-calculator"), {}, {});
    f.add(QStringLiteral("メモ"), QStringLiteral("xdg-open"), QStringLiteral("memo.txt"), QStringLiteral("/home/u/"));
    f.click("CloseBtn");
    const QString stored = f.settings.store().text(QStringLiteral("Tool"), QStringLiteral("SG1"));
    EXPECT_EQ(stored, QStringLiteral("電卓,gnome-calculator,,,メモ,xdg-open,memo.txt,/home/u/,") + QString(32, QLatin1Char(',')));

    // A new dialog over the same settings (as at the next start) reads the same table and menu.
    const ToolTable before = f.tools->table();
    f.tools.reset();
    f.menu.clear();
    f.make();
    EXPECT_EQ(f.tools->table(), before);
    EXPECT_EQ(f.entries(), (QStringList{QStringLiteral("電卓"), QStringLiteral("メモ")}));

    // A short or overlong text: missing texts are empty, extra ones dropped.
    EXPECT_EQ(ToolTable::fromText(QStringLiteral("a,b")).toText(), QStringLiteral("a,b,") + QString(38, QLatin1Char(',')));
    EXPECT_EQ(ToolTable::fromText(stored + QStringLiteral("x,y,")).toText(), stored);
}

TEST(Tools, RefusesWhatTheTableCannotHold)
{
    Fixture f;
    f.add(QStringLiteral("a,b"), QStringLiteral("/bin/a"), {}, {});
    f.add(QStringLiteral("ok"), QStringLiteral("/bin/a"), QStringLiteral("x,y"), {});
    ASSERT_EQ(f.messages.texts.size(), 2);
    EXPECT_EQ(f.messages.texts[0], QStringLiteral("タイトルに「,」(ｶﾝﾏ)は使えません。"));
    EXPECT_EQ(f.messages.texts[1], QStringLiteral("ファイルに「,」(ｶﾝﾏ)は使えません。"));
    EXPECT_EQ(f.tools->table().usedRows(), 0);

    f.messages.clear();
    f.add({}, QStringLiteral("/bin/a"), {}, {});
    f.add(QStringLiteral("名"), {}, {}, {});
    EXPECT_EQ(f.messages.texts, (QStringList{QStringLiteral("タイトルを入力してください。"), QStringLiteral("プログラムを入力してください。")}));
    EXPECT_EQ(f.tools->table().usedRows(), 0);

    // Ten tools fill the table; the eleventh is refused and nothing is lost.
    f.messages.clear();
    for (int i = 0; i < 10; ++i)
        f.add(QString::number(i), QStringLiteral("/bin/a"), {}, {});
    EXPECT_TRUE(f.messages.texts.isEmpty());
    f.add(QStringLiteral("十一"), QStringLiteral("/bin/a"), {}, {});
    ASSERT_EQ(f.messages.texts.size(), 1);
    EXPECT_TRUE(f.messages.texts[0].startsWith(QStringLiteral("ﾂｰﾙは10件まで登録できます。")));
    EXPECT_EQ(f.entries().size(), 10);
    EXPECT_EQ(f.entries().last(), QStringLiteral("9"));
}

TEST(Tools, BrowseFillsProgramAndFolder)
{
    Fixture f;
    f.click("BitBtn1");
    EXPECT_EQ(f.tools->findChild<QLineEdit *>(QStringLiteral("Edit2"))->text(), QStringLiteral("/opt/tools/ruler"));
    EXPECT_EQ(f.tools->findChild<QLineEdit *>(QStringLiteral("Edit4"))->text(), QStringLiteral("/opt/tools/"));
}
