// The divination-matters editor: the condition grid and its hidden codes,
// saving in place and at the top of the list, deleting with a question, the
// list written on close and the CSV export, with the files on disk compared
// byte for byte with what the matters model writes.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include "shell/app/app.h"
#include "shell/settings/appsettings.h"
#include "shell/common/messages.h"
#include "shell/editors/matterseditor.h"
#include "shell_fixtures.h"

using namespace velm;

namespace {

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class SenFTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings = std::make_unique<AppSettings>(program.path(), config.path());
    }
    void TearDown() override
    {
        window.reset();
    }

    TSenF &open()
    {
        window = std::make_unique<TSenF>(*settings, names, nullptr);
        window->show();
        return *window;
    }
    QString dat() const { return program.filePath("Senji.Dat"); }
    QString idx() const { return program.filePath("Senji.Idx"); }

    template <typename T>
    T *child(const char *name)
    {
        T *c = window->findChild<T *>(QLatin1String(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    void click(const char *name)
    {
        auto *b = child<QAbstractButton>(name);
        const bool radio = qobject_cast<QRadioButton *>(b) != nullptr;
        QTest::mouseClick(b, Qt::LeftButton, {}, radio ? QPoint(8, b->height() / 2) : QPoint());
    }
    // Picks an item of a drop-down list with the keyboard, as a user would.
    void choose(const char *name, int item)
    {
        auto *box = child<QComboBox>(name);
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Home);
        for (int i = 0; i < item; ++i)
            QTest::keyClick(box, Qt::Key_Down);
        ASSERT_EQ(box->currentIndex(), item) << name;
    }
    void type(const char *name, const QString &text)
    {
        auto *e = child<QLineEdit>(name);
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Delete);
        // keyClicks knows only ASCII keys; Japanese arrives as typed text.
        for (const QChar ch : text)
            QTest::sendKeyEvent(QTest::Click, e, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
    void clickCell(int row, int column)
    {
        QTableWidget *grid = window->findChild<QTableWidget *>(QStringLiteral("SG1"));
        grid->scrollToItem(grid->item(row, column));
        const QRect rect = grid->visualItemRect(grid->item(row, column));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, rect.center());
    }
    QString shown(int row, int column) const { return window->findChild<QTableWidget *>(QStringLiteral("SG1"))->item(row, column)->text(); }
    QString code(int row, int column) const { return window->findChild<QTableWidget *>(QStringLiteral("SG2"))->item(row, column)->text(); }

    // What the model writes for the file as it was, after `edit`.
    template <typename Edit>
    QByteArray expectedDat(Edit edit)
    {
        MattersFile file = readMattersFile(dat().toStdString());
        EXPECT_TRUE(file.ok());
        edit(file);
        const QString ref = scratch.filePath("ref.dat");
        EXPECT_EQ(writeMattersFile(ref.toStdString(), file), "");
        return bytesOf(ref);
    }
    QByteArray expectedIdx(const std::vector<std::string> &names)
    {
        const QString ref = scratch.filePath("ref.idx");
        EXPECT_EQ(writeMatterList(ref.toStdString(), MatterList{names, false}), "");
        return bytesOf(ref);
    }

    ScratchProgram program{{"Senji.Dat", "Senji.Idx"}};
    QTemporaryDir config, scratch;
    RecordedMessages messages{ui::Answer::Yes};
    std::unique_ptr<AppSettings> settings;
    ConstData names = MakeConstData();
    std::unique_ptr<TSenF> window;
};

} // namespace

TEST_F(SenFTest, OpensOnTheFirstMatterOfTheList)
{
    TSenF &w = open();
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('\n').toStdString();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("占事マスターの設定"));
    ASSERT_EQ(w.matterNames().size(), 10);
    EXPECT_EQ(w.matterNames().first(), QStringLiteral("吉方位（総合）"));
    EXPECT_EQ(child<QLineEdit>("SenE")->text(), QStringLiteral("吉方位（総合）"));
    EXPECT_EQ(w.findChild<QTableWidget *>(QStringLiteral("SG1"))->columnCount(), 31);
    EXPECT_EQ(w.findChild<QTableWidget *>(QStringLiteral("SG1"))->rowCount(), 6);
    EXPECT_FALSE(w.findChild<QTableWidget *>(QStringLiteral("SG2"))->isVisible());
    // Group 1 of the shipped first matter: 八門 ＝ 開門, then 数値 >= 30.
    EXPECT_EQ(shown(1, 1), QStringLiteral("八門"));
    EXPECT_EQ(shown(1, 3), QStringLiteral("開門"));
    EXPECT_EQ(code(1, 1), QStringLiteral("4"));
    EXPECT_EQ(code(1, 3), QStringLiteral("8"));
    EXPECT_EQ(shown(2, 0), QStringLiteral("And"));
    EXPECT_EQ(shown(0, 4), QStringLiteral("条件"));
    EXPECT_EQ(shown(0, 5), QStringLiteral("2"));
    EXPECT_EQ(code(0, 5), QString());

    // Another matter from the box loads its own table.
    choose("SenBox", 1);
    EXPECT_EQ(child<QLineEdit>("SenE")->text(), w.matterNames().at(1));
    const Matter expected = *readMattersFile(dat().toStdString()).find(w.matterNames().at(1).toStdString());
    EXPECT_EQ(w.current(), Matter(expected));
}

TEST_F(SenFTest, AddingConditionsFillsBothGrids)
{
    open();
    click("SGClrBtn");
    for (int c = 1; c <= 30; ++c)
        ASSERT_TRUE(shown(1, c).isEmpty() && code(1, c).isEmpty()) << c;

    // 八門 ＝ 休門 in group 3: columns 7, 8, 9 of row 1.
    click("RG1_2");
    choose("ShuBox", ElemMon);
    EXPECT_EQ(child<QRadioButton>("KBox0")->text(), QStringLiteral("＝"));
    EXPECT_EQ(child<QRadioButton>("KBox1")->text(), QStringLiteral("<>"));
    EXPECT_TRUE(child<QComboBox>("HosiBox")->isEnabled());
    choose("HosiBox", 1);
    EXPECT_EQ(child<QComboBox>("HosiBox")->currentText(), QStringLiteral("休門"));
    EXPECT_FALSE(child<QLineEdit>("SuuE")->isEnabled());
    click("SGAdd");
    EXPECT_EQ(shown(1, 7), QStringLiteral("八門"));
    EXPECT_EQ(shown(1, 8), QStringLiteral("＝"));
    EXPECT_EQ(shown(1, 9), QStringLiteral("休門"));
    EXPECT_EQ(code(1, 7), QStringLiteral("4"));
    EXPECT_EQ(code(1, 8), QStringLiteral("0"));
    EXPECT_EQ(code(1, 9), QStringLiteral("1"));

    // 数値 >= 50 goes to row 2 of the same group with target code 0.
    choose("ShuBox", ElemSuuchi);
    EXPECT_FALSE(child<QComboBox>("HosiBox")->isEnabled());
    EXPECT_TRUE(child<QLineEdit>("SuuE")->isEnabled());
    EXPECT_EQ(child<QRadioButton>("KBox1")->text(), QStringLiteral(">="));
    type("SuuE", QStringLiteral("50"));
    click("SGAdd");
    EXPECT_EQ(shown(2, 7), QStringLiteral("数値"));
    EXPECT_EQ(shown(2, 8), QStringLiteral(">="));
    EXPECT_EQ(shown(2, 9), QStringLiteral("50"));
    EXPECT_EQ(code(2, 9), QStringLiteral("0"));

    // A threshold that is no number is refused, not stored.
    type("SuuE", QStringLiteral("abc"));
    click("SGAdd");
    EXPECT_TRUE(shown(3, 7).isEmpty());
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts.last().contains(QStringLiteral("abc")));

    // Three more fill the group; the sixth is told off.
    type("SuuE", QStringLiteral("1"));
    for (int i = 0; i < 3; ++i)
        click("SGAdd");
    EXPECT_EQ(shown(5, 9), QStringLiteral("1"));
    click("SGAdd");
    EXPECT_EQ(messages.texts.last(), QStringLiteral("これ以上追加できません"));
    EXPECT_TRUE(shown(1, 10).isEmpty()) << "nothing spilled into group 4";
}

TEST_F(SenFTest, SelectingAndDeletingAConditionMovesTheRowsUp)
{
    open();
    click("SGClrBtn");
    auto *del = child<QPushButton>("SGDelBtn");
    click("RG1_1");
    for (int door : {1, 2, 3}) {
        choose("ShuBox", ElemMon);
        choose("HosiBox", door);
        click("SGAdd");
    }
    choose("ShuBox", ElemSuuchi);

    // A click on an empty row selects nothing to delete.
    clickCell(5, 5);
    EXPECT_FALSE(del->isEnabled());

    // A click on row 2 of group 2 brings its condition into the boxes.
    clickCell(2, 6);
    EXPECT_TRUE(child<QRadioButton>("RG1_1")->isChecked());
    EXPECT_EQ(child<QComboBox>("ShuBox")->currentText(), QStringLiteral("八門"));
    EXPECT_EQ(child<QComboBox>("HosiBox")->currentIndex(), 2);
    ASSERT_TRUE(del->isEnabled());
    click("SGDelBtn");
    EXPECT_EQ(shown(1, 6), QStringLiteral("休門"));
    EXPECT_EQ(shown(2, 6), QStringLiteral("傷門"));
    EXPECT_EQ(code(2, 6), QStringLiteral("3"));
    EXPECT_TRUE(shown(3, 4).isEmpty() && code(3, 6).isEmpty());
}

TEST_F(SenFTest, SavingAnExistingNameRewritesItInPlace)
{
    TSenF &w = open();
    const QByteArray idxBefore = bytesOf(idx());
    QSignalSpy changed(&w, &TSenF::mattersChanged);
    choose("SenBox", 3);
    const QString name = w.matterNames().at(3);
    click("RG1_9");
    choose("ShuBox", ElemKaku);
    choose("HosiBox", 5);
    click("SGAdd");
    const Matter edited = w.current();
    // The file as the model would write it, with this record replaced in place.
    const QByteArray expected = expectedDat([&](MattersFile &f) { EXPECT_TRUE(f.saveOrReplace(edited)); });

    click("SAddBtn");
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('\n').toStdString();
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(bytesOf(dat()), expected);
    const MattersFile reread = readMattersFile(dat().toStdString());
    ASSERT_EQ(reread.records.size(), 10u);
    EXPECT_EQ(QString::fromStdString(reread.records[3].name), name);
    EXPECT_EQ(reread.records[3].matter(), edited);
    EXPECT_EQ(w.matterNames().at(3), name);

    w.close();
    EXPECT_EQ(bytesOf(idx()), idxBefore) << "the order of the list is kept";
}

TEST_F(SenFTest, ANewMatterGoesToTheTopOfTheList)
{
    TSenF &w = open();
    const QStringList before = w.matterNames();
    QSignalSpy changed(&w, &TSenF::mattersChanged);
    type("SenE", QStringLiteral("  新しい占事　"));
    const Matter saved = [&] { Matter m = w.current(); m.name = "新しい占事"; return m; }();
    const QByteArray expected = expectedDat([&](MattersFile &f) { EXPECT_FALSE(f.saveOrReplace(saved)); });

    click("OKBtn"); // 閉じる saves, then closes
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('\n').toStdString();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(bytesOf(dat()), expected) << "appended at the end of the file";
    EXPECT_EQ(w.matterNames(), QStringList{QStringLiteral("新しい占事")} + before);
    EXPECT_EQ(child<QComboBox>("SenBox")->itemText(0), QStringLiteral("新しい占事"));

    std::vector<std::string> names;
    for (const QString &n : w.matterNames())
        names.push_back(n.toStdString());
    EXPECT_EQ(bytesOf(idx()), expectedIdx(names));
}

TEST_F(SenFTest, SavingWithoutANameWritesNothing)
{
    TSenF &w = open();
    const QByteArray datBefore = bytesOf(dat());
    type("SenE", QStringLiteral("　"));
    click("OKBtn");
    EXPECT_EQ(messages.texts, QStringList{QStringLiteral("占事名を指定して下さい。")});
    EXPECT_TRUE(w.isVisible()) << "閉じる closes only after a save";
    EXPECT_EQ(bytesOf(dat()), datBefore);
}

TEST_F(SenFTest, DeletingAsksFirst)
{
    TSenF &w = open();
    QSignalSpy changed(&w, &TSenF::mattersChanged);
    const QByteArray datBefore = bytesOf(dat());
    choose("SenBox", 2);
    const QString name = w.matterNames().at(2);
    const Matter onScreen = w.current();

    messages.answer = ui::Answer::No;
    click("SDelBtn");
    EXPECT_EQ(messages.texts, QStringList{QStringLiteral("占事「%1」を削除してよろしいですか？").arg(name)});
    EXPECT_EQ(bytesOf(dat()), datBefore);
    EXPECT_EQ(w.matterNames().size(), 10);
    EXPECT_EQ(changed.count(), 0);

    messages.answer = ui::Answer::Yes;
    const QByteArray expected = expectedDat([&](MattersFile &f) { EXPECT_TRUE(f.remove(name.toStdString())); });
    click("SDelBtn");
    EXPECT_EQ(bytesOf(dat()), expected);
    EXPECT_EQ(readMattersFile(dat().toStdString()).indexOf(name.toStdString()), -1);
    EXPECT_FALSE(w.matterNames().contains(name));
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(w.current(), onScreen) << "the table stays, so it can be saved again";

    w.close();
    std::vector<std::string> names;
    for (const QString &n : w.matterNames())
        names.push_back(n.toStdString());
    EXPECT_EQ(names.size(), 9u);
    EXPECT_EQ(bytesOf(idx()), expectedIdx(names));
}

TEST_F(SenFTest, AListedNameMissingFromTheFileLosesNothing)
{
    // "幻" is listed second but has no conditions in "Senji.Dat".
    QFile f(idx());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray listed = f.readAll();
    f.close();
    const qsizetype firstEnd = listed.indexOf("\r\n") + 2;
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(listed.left(firstEnd) + QByteArray("\x8c\xb6\r\n") + listed.mid(firstEnd)); // 幻 in Shift-JIS
    f.close();
    const QByteArray datBefore = bytesOf(dat());

    TSenF &w = open();
    ASSERT_TRUE(messages.texts.isEmpty());
    ASSERT_FALSE(shown(1, 1).isEmpty()) << "the first matter is on screen";
    choose("SenBox", 1);
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].contains(QStringLiteral("幻")));
    EXPECT_EQ(child<QLineEdit>("SenE")->text(), QStringLiteral("幻"));
    for (int c = 1; c <= 30; ++c)
        EXPECT_TRUE(shown(1, c).isEmpty() && code(1, c).isEmpty()) << "an empty table, not the previous matter's";

    click("SDelBtn");
    EXPECT_EQ(bytesOf(dat()), datBefore) << "no other matter goes";
    EXPECT_FALSE(w.matterNames().contains(QStringLiteral("幻")));
    EXPECT_EQ(w.matterNames().size(), 10);
    w.close();
    EXPECT_EQ(bytesOf(idx()), listed);
}

TEST_F(SenFTest, MissingListAndUnlistedMatters)
{
    QFile::remove(idx());
    TSenF &w = open();
    ASSERT_FALSE(messages.texts.isEmpty());
    EXPECT_EQ(messages.texts[0], QStringLiteral("『Senji.Idx』が、見つかりません。"));
    // "不問" as ever, then the matters of the file, which would be out of reach otherwise.
    const QStringList names = w.matterNames();
    ASSERT_EQ(names.size(), 11);
    EXPECT_EQ(names[0], QStringLiteral("不問"));
    EXPECT_EQ(names[1], QStringLiteral("吉方位（総合）"));
    w.close();
    EXPECT_TRUE(QFile::exists(idx()));
}

TEST_F(SenFTest, ExportWritesEightLinesPerMatter)
{
    TSenF &w = open();
    const QString csv = scratch.filePath("out.csv");
    QStringList captions;
    w.saveFileName = [&](QWidget *, const QString &caption) {
        captions << caption;
        return csv;
    };
    click("ExpBtn");
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('\n').toStdString();
    ASSERT_EQ(captions.size(), 1);
    const QList<QByteArray> lines = bytesOf(csv).split('\n');
    EXPECT_EQ(lines.size(), 10 * 8 + 1); // the text ends with a line break
    EXPECT_TRUE(lines[1].startsWith(",\x8f\xf0\x8c\x8f" "1,,")); // ",条件1,,"
    EXPECT_TRUE(lines[2].startsWith("And,"));

    // Cancelled: nothing is written.
    QFile::remove(csv);
    w.saveFileName = [](QWidget *, const QString &) { return QString(); };
    click("ExpBtn");
    EXPECT_FALSE(QFile::exists(csv));
}

TEST_F(SenFTest, AMissingMattersFileIsToldAndNothingIsWritten)
{
    TSenF &w = open();
    QFile::remove(dat());
    type("SenE", QStringLiteral("新規"));
    click("SAddBtn");
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].endsWith(QStringLiteral("』が、見つかりません。")));
    EXPECT_FALSE(QFile::exists(dat()));
    EXPECT_FALSE(w.matterNames().contains(QStringLiteral("新規")));
}
