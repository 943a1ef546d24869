// The explanation editor: texts typed over several lines reach the file as one
// line with "/r", the step buttons at the ends of a list, and files that are
// short, unreadable or not Shift-JIS.

#include <gtest/gtest.h>

#include <memory>

#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "engine/constdata.h"
#include "engine/textfile.h"
#include "shell/app/app.h"
#include "shell/settings/appsettings.h"
#include "shell/common/helpwindow.h"
#include "shell/common/messages.h"
#include "shell/editors/explanationseditor.h"
#include "shell_fixtures.h"

using namespace velm;

namespace {

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

class SetuFTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings = std::make_unique<AppSettings>(program.path(), config.path());
    }
    void TearDown() override
    {
        window.reset();
    }

    TSetuF &open()
    {
        if (!window)
            window = std::make_unique<TSetuF>(*settings, names);
        window->show();
        return *window;
    }
    void click(const char *name)
    {
        auto *b = window->findChild<QPushButton *>(QLatin1String(name));
        ASSERT_NE(b, nullptr) << name;
        QTest::mouseClick(b, Qt::LeftButton);
    }
    void typeInMemo(const QString &text)
    {
        QPlainTextEdit *memo = window->Memo1();
        memo->setFocus();
        memo->selectAll();
        QTest::keyClick(memo, Qt::Key_Delete);
        typeMore(text);
    }
    // Japanese arrives through the input method as committed text; line
    // breaks are Return keys.
    void typeMore(const QString &text)
    {
        QPlainTextEdit *memo = window->Memo1();
        const QStringList lines = text.split('\n');
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (i > 0)
                QTest::keyClick(memo, Qt::Key_Return);
            QInputMethodEvent commit;
            commit.setCommitString(lines[i]);
            QApplication::sendEvent(memo, &commit);
        }
    }
    std::vector<std::string> fileLines()
    {
        return StFileRead(path().toStdString()).lines;
    }
    QString path() const { return program.filePath(QStringLiteral("SetuFile.Dat")); }

    ScratchProgram program{{"SetuFile.Dat", "VELMWIN.html"}};
    QTemporaryDir config;
    RecordedMessages messages{ui::Answer::No};
    std::unique_ptr<AppSettings> settings;
    ConstData names = MakeConstData();
    std::unique_ptr<TSetuF> window;
};

} // namespace

TEST_F(SetuFTest, TwoLinesAreStoredWithSlashRAndComeBackAsTwoLines)
{
    const std::vector<std::string> before = fileLines();
    ASSERT_EQ(before.size(), 202u);
    TSetuF &w = open();
    EXPECT_EQ(w.windowTitle(), "説明文の編集");
    EXPECT_GE(w.minimumWidth(), 480);
    EXPECT_GE(w.minimumHeight(), 200);
    QSignalSpy saved(&w, &TSetuF::textsSaved);
    EXPECT_EQ(w.findChild<QComboBox *>(QStringLiteral("HosiBox"))->count(), 10);
    EXPECT_EQ(w.Memo1()->toPlainText().toStdString(), setuToShown(before[0], "\n"));

    // 八門, second target (生門): line 111.
    w.findChild<QComboBox *>(QStringLiteral("ShuBox"))->setCurrentIndex(2);
    EXPECT_EQ(w.findChild<QComboBox *>(QStringLiteral("HosiBox"))->count(), 8);
    EXPECT_EQ(w.findChild<QComboBox *>(QStringLiteral("HosiBox"))->currentIndex(), 0);
    click("DownBtn");
    EXPECT_EQ(w.findChild<QComboBox *>(QStringLiteral("HosiBox"))->currentText(), "生門");
    typeInMemo("一行目");
    QTest::keyClick(w.Memo1(), Qt::Key_Return);
    typeMore("二行目");
    // Stepping away and back keeps the text in memory.
    click("DownBtn");
    click("UpBtn");
    EXPECT_EQ(w.Memo1()->toPlainText(), "一行目\n二行目");
    EXPECT_TRUE(saved.isEmpty()); // nothing written before closing

    click("CloseBtn");
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(saved.count(), 1);
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('|').toStdString();
    std::vector<std::string> after = fileLines();
    ASSERT_EQ(after.size(), 202u);
    EXPECT_EQ(after[111], "一行目/r二行目");
    after[111] = before[111];
    EXPECT_EQ(after, before); // every other line as it was
    EXPECT_FALSE(QFile::exists(path() + ".tmp~"));

    // Reopened, the editor reads the file afresh and shows two lines.
    open();
    EXPECT_EQ(w.findChild<QComboBox *>(QStringLiteral("ShuBox"))->currentIndex(), 0);
    w.findChild<QComboBox *>(QStringLiteral("ShuBox"))->setCurrentIndex(2);
    w.findChild<QComboBox *>(QStringLiteral("HosiBox"))->setCurrentIndex(1);
    EXPECT_EQ(w.Memo1()->toPlainText(), "一行目\n二行目");

    // A "/r" the user types reads back as a line break.
    typeInMemo("前/r後");
    w.close(); // the close box stores as 閉じる does
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(fileLines()[111], "前/r後");
    open();
    w.findChild<QComboBox *>(QStringLiteral("ShuBox"))->setCurrentIndex(2);
    w.findChild<QComboBox *>(QStringLiteral("HosiBox"))->setCurrentIndex(1);
    EXPECT_EQ(w.Memo1()->toPlainText(), "前\n後");
}

TEST_F(SetuFTest, StepButtonsAtTheEndsOfTheTargetList)
{
    TSetuF &w = open();
    QPushButton *up = w.findChild<QPushButton *>(QStringLiteral("UpBtn"));
    QPushButton *down = w.findChild<QPushButton *>(QStringLiteral("DownBtn"));
    EXPECT_EQ(up->toolTip(), "前の編集対象");
    EXPECT_EQ(down->toolTip(), "次の編集対象");
    EXPECT_FALSE(up->isEnabled());
    EXPECT_TRUE(down->isEnabled());

    w.findChild<QComboBox *>(QStringLiteral("ShuBox"))->setCurrentIndex(3); // 九星: 9 targets
    EXPECT_EQ(w.findChild<QComboBox *>(QStringLiteral("HosiBox"))->count(), 9);
    EXPECT_EQ(w.findChild<QComboBox *>(QStringLiteral("HosiBox"))->itemText(0), "天禽");
    for (int i = 0; i < 8; ++i)
        click("DownBtn");
    EXPECT_EQ(w.findChild<QComboBox *>(QStringLiteral("HosiBox"))->currentIndex(), 8);
    EXPECT_TRUE(up->isEnabled());
    EXPECT_FALSE(down->isEnabled());
    click("UpBtn");
    EXPECT_TRUE(up->isEnabled());
    EXPECT_TRUE(down->isEnabled());

    // Choosing a target directly updates the buttons as well.
    w.findChild<QComboBox *>(QStringLiteral("HosiBox"))->setCurrentIndex(0);
    EXPECT_FALSE(up->isEnabled());
    EXPECT_TRUE(down->isEnabled());

    // A new kind starts at its first target.
    w.findChild<QComboBox *>(QStringLiteral("HosiBox"))->setCurrentIndex(5);
    w.findChild<QComboBox *>(QStringLiteral("ShuBox"))->setCurrentIndex(6); // 格局: 58 targets, no pattern 59
    EXPECT_EQ(w.findChild<QComboBox *>(QStringLiteral("HosiBox"))->count(), 58);
    EXPECT_EQ(w.findChild<QComboBox *>(QStringLiteral("HosiBox"))->currentIndex(), 0);
    EXPECT_FALSE(up->isEnabled());
    w.findChild<QComboBox *>(QStringLiteral("HosiBox"))->setCurrentIndex(57);
    EXPECT_FALSE(down->isEnabled());
    EXPECT_EQ(w.Memo1()->toPlainText().toStdString(), setuToShown(fileLines()[201], "\n"));

    // Nothing changed: closing leaves the file alone.
    const QByteArray bytes = bytesOf(path());
    QSignalSpy saved(&w, &TSetuF::textsSaved);
    click("CloseBtn");
    EXPECT_EQ(bytesOf(path()), bytes);
    EXPECT_TRUE(saved.isEmpty());

    // 天地干 lists heaven stem then earth stem.
    open();
    w.findChild<QComboBox *>(QStringLiteral("ShuBox"))->setCurrentIndex(1);
    EXPECT_EQ(w.findChild<QComboBox *>(QStringLiteral("HosiBox"))->count(), 100);
    EXPECT_EQ(w.findChild<QComboBox *>(QStringLiteral("HosiBox"))->itemText(12), "乙丙");
}

TEST_F(SetuFTest, AShortFileIsToldAndSavedAsFullLength)
{
    writeBytes(path(), "\x8d\x62\r\nb\r\nc\r\n"); // 甲, b, c
    TSetuF &w = open();
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].contains("3行しかありません")) << messages.texts[0].toStdString();
    EXPECT_EQ(w.Memo1()->toPlainText(), "甲");
    // Targets beyond the end of the file show empty and can be written.
    w.findChild<QComboBox *>(QStringLiteral("ShuBox"))->setCurrentIndex(6);
    w.findChild<QComboBox *>(QStringLiteral("HosiBox"))->setCurrentIndex(57);
    EXPECT_EQ(w.Memo1()->toPlainText(), "");
    typeInMemo("最後");
    QSignalSpy saved(&w, &TSetuF::textsSaved);
    click("CloseBtn");
    EXPECT_EQ(saved.count(), 1);
    const std::vector<std::string> lines = fileLines();
    ASSERT_EQ(lines.size(), 202u);
    EXPECT_EQ(lines[0], "甲");
    EXPECT_EQ(lines[2], "c");
    EXPECT_EQ(lines[100], "");
    EXPECT_EQ(lines[201], "最後");

    // Even without an edit a short file is padded, so the pane finds every line.
    writeBytes(path(), "a\r\n");
    open();
    click("CloseBtn");
    EXPECT_EQ(fileLines().size(), 202u);
}

TEST_F(SetuFTest, AFileThatCannotBeReadIsNeverOverwritten)
{
    // Not Shift-JIS: what decoded is shown, nothing can be typed, nothing is written.
    const QByteArray bad = "first\r\n\x85\x40\xff\xfe\r\nthird\r\n";
    writeBytes(path(), bad);
    TSetuF &w = open();
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].contains("編集できません")) << messages.texts[0].toStdString();
    EXPECT_TRUE(w.Memo1()->isReadOnly());
    QSignalSpy saved(&w, &TSetuF::textsSaved);
    click("DownBtn");
    click("CloseBtn");
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(bytesOf(path()), bad);
    EXPECT_TRUE(saved.isEmpty());

    // A file without read permission (root reads everything, so only then).
    if (::geteuid() != 0) {
        const QByteArray good = bytesOf(QStringLiteral(VELM_DATA_DIR "/SetuFile.Dat"));
        writeBytes(path(), good);
        QFile::setPermissions(path(), QFileDevice::WriteOwner);
        messages.clear();
        open();
        ASSERT_EQ(messages.texts.size(), 1);
        EXPECT_TRUE(messages.texts[0].contains("読めません")) << messages.texts[0].toStdString();
        EXPECT_TRUE(w.Memo1()->isReadOnly());
        click("CloseBtn");
        EXPECT_FALSE(w.isVisible());
        QFile::setPermissions(path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        EXPECT_EQ(bytesOf(path()), good);
    }
}

TEST_F(SetuFTest, AMissingFileIsToldAndTypedTextsMakeANewOne)
{
    QFile::remove(path());
    TSetuF &w = open();
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].contains("見つかりません")) << messages.texts[0].toStdString();
    EXPECT_EQ(w.Memo1()->toPlainText(), "");
    click("CloseBtn"); // nothing typed: no empty file appears
    EXPECT_FALSE(QFile::exists(path()));

    open();
    typeInMemo("新しい説明");
    click("CloseBtn");
    const std::vector<std::string> lines = fileLines();
    ASSERT_EQ(lines.size(), 202u);
    EXPECT_EQ(lines[0], "新しい説明");
}

TEST_F(SetuFTest, ACharacterShiftJisCannotHoldIsNamedAndNothingIsLost)
{
    const QByteArray bytes = bytesOf(path());
    TSetuF &w = open();
    typeInMemo(QString::fromUtf8("晴れ\xF0\x9F\x98\x80"));
    click("DownBtn");
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].contains(QString::fromUtf8("「\xF0\x9F\x98\x80」"))) << messages.texts[0].toStdString();
    // Still on the text to mend, typed text kept.
    EXPECT_EQ(w.findChild<QComboBox *>(QStringLiteral("HosiBox"))->currentIndex(), 0);
    EXPECT_FALSE(w.findChild<QPushButton *>(QStringLiteral("UpBtn"))->isEnabled());
    EXPECT_EQ(w.Memo1()->toPlainText(), QString::fromUtf8("晴れ\xF0\x9F\x98\x80"));

    // Closing asks; "no" keeps the window open.
    messages.clear();
    messages.answer = ui::Answer::No;
    click("CloseBtn");
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(messages.texts.size(), 2); // the character, then the question
    // "Yes" drops that text; the file is untouched.
    messages.answer = ui::Answer::Yes;
    click("CloseBtn");
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(bytesOf(path()), bytes);
}

TEST_F(SetuFTest, HelpOpensItsTopicAndTheMemoTakesTheExplanationFont)
{
    FontSetting setu{QStringLiteral("IPAGothic"), 14};
    settings->setExplanationFont(setu);
    TSetuF &w = open();
    EXPECT_EQ(w.Memo1()->font().family(), setu.name);
    EXPECT_EQ(w.Memo1()->font().pointSize(), 14);
    click("HelpBtn");
    ASSERT_NE(currentHelpWindow(), nullptr);
    EXPECT_EQ(currentHelpWindow()->currentTopic(), SetuHelpTopic);
    EXPECT_TRUE(messages.texts.isEmpty());
}
