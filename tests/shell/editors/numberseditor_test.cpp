// The numbers editor: captions and hidden columns, the check with its
// messages, saving and cancelling, the copy commands, the export and the
// colours of the cells.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include "engine/codec.h"
#include "shell/app/app.h"
#include "shell/settings/appsettings.h"
#include "shell/common/messages.h"
#include "shell/editors/numberseditor.h"
#include "clipping.h"
#include "shell_fixtures.h"

using namespace velm;

namespace {

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class SuuFTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings = std::make_unique<AppSettings>(program.path(), config.path());
    }
    void TearDown() override
    {
        window.reset();
    }

    TSuuF &open()
    {
        window = std::make_unique<TSuuF>(*settings, names, nullptr);
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        return *window;
    }
    void reshow()
    {
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    QString file() const { return program.filePath("SuuFile.Dat"); }

    // Types into a cell as the user would: Delete empties it, typing opens
    // its editor, Return hands the text to the grid.
    void type(NumberTable t, int column, int row, const QString &text)
    {
        window->findChild<QTabWidget *>(QStringLiteral("PageControl1"))->setCurrentIndex(window->pageOf(t));
        QTableWidget *g = window->findChild<QTableWidget *>(
            QString::fromUtf8(shapeOf(t).name.data(), static_cast<qsizetype>(shapeOf(t).name.size())));
        g->setFocus();
        window->setCurrentCell(t, column, row);
        QTest::keyClick(g, Qt::Key_Delete);
        if (text.isEmpty())
            return;
        QTest::keyClicks(g, text.left(1));
        auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        ASSERT_NE(editor, nullptr);
        QTest::keyClicks(editor, text.mid(1));
        QTest::keyClick(editor, Qt::Key_Return);
    }
    void click(const char *name)
    {
        auto *b = window->findChild<QAbstractButton *>(QLatin1String(name));
        ASSERT_NE(b, nullptr) << name;
        QTest::mouseClick(b, Qt::LeftButton);
    }

    ScratchProgram program{{"SuuFile.Dat"}};
    QTemporaryDir config;
    RecordedMessages messages;
    std::unique_ptr<AppSettings> settings;
    ConstData names = MakeConstData();
    std::unique_ptr<TSuuF> window;
};

} // namespace

TEST_F(SuuFTest, ShowsTheFileUnderItsCaptionsWithUnusedColumnsHidden)
{
    TSuuF &w = open();
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('|').toStdString();
    EXPECT_EQ(w.windowTitle(), "数値の設定");
    EXPECT_EQ(w.findChild<QTabWidget *>(QStringLiteral("PageControl1"))->currentIndex(), 0);
    ASSERT_EQ(w.findChild<QTabWidget *>(QStringLiteral("PageControl1"))->count(), 8);
    EXPECT_EQ(w.findChild<QTabWidget *>(QStringLiteral("PageControl1"))->tabText(3), "八門の数値");
    EXPECT_EQ(w.tables(), readNumbersFile(file().toStdString()).tables);

    EXPECT_EQ(w.cellText(NumberTable::PerSG, 0, 8), "格局");
    EXPECT_EQ(w.cellText(NumberTable::PerSG, 1, 0), "加算比率");
    EXPECT_EQ(w.cellText(NumberTable::KanSG, 0, 10), "癸");
    EXPECT_EQ(w.cellText(NumberTable::KanSG, 9, 0), "巽");
    EXPECT_EQ(w.cellText(NumberTable::KanLSG, 0, 1), "甲甲");
    EXPECT_EQ(w.cellText(NumberTable::KanLSG, 0, 12), "乙乙");
    EXPECT_EQ(w.cellText(NumberTable::KanLSG, 0, 100), "癸癸");
    EXPECT_EQ(w.cellText(NumberTable::HmSG, 0, 1), "休門");
    EXPECT_EQ(w.cellText(NumberTable::HmPSG, 5, 0), "囚");
    // The special characters come from the symbol tables of the run.
    EXPECT_EQ(w.cellText(NumberTable::KsSG, 0, 7), "天" + QString::fromStdString(names.StarChar[6]));
    EXPECT_EQ(w.cellText(NumberTable::KsSG, 10, 0), "");
    EXPECT_EQ(w.cellText(NumberTable::HsSG, 0, 2), QString::fromStdString(names.DeityName[2]));
    EXPECT_EQ(w.cellText(NumberTable::KyuSG, 0, 9), "九紫");
    EXPECT_EQ(w.cellText(NumberTable::KakuSG, 0, 1), QString::fromStdString(names.PatternName[1]));

    EXPECT_TRUE(w.findChild<QTableWidget *>(QStringLiteral("HmSG"))->isColumnHidden(0));
    EXPECT_TRUE(w.findChild<QTableWidget *>(QStringLiteral("HsSG"))->isColumnHidden(0));
    EXPECT_FALSE(w.findChild<QTableWidget *>(QStringLiteral("HmPSG"))->isColumnHidden(0));
    for (int c = 1; c < 5; ++c)
        EXPECT_TRUE(w.findChild<QTableWidget *>(QStringLiteral("HmPSG"))->isColumnHidden(c));
    EXPECT_TRUE(w.findChild<QTableWidget *>(QStringLiteral("KsSG"))->isColumnHidden(9)); // belongs to no palace
    EXPECT_EQ(w.findChild<QLineEdit *>(QStringLiteral("AnE"))->alignment() & Qt::AlignRight, Qt::AlignRight);

    // Every caption whole ("加算比率" included), and the grids grow with the dialog.
    for (int p = 0; p < 8; ++p) {
        w.findChild<QTabWidget *>(QStringLiteral("PageControl1"))->setCurrentIndex(p);
        EXPECT_EQ(clippedReport(&w), "") << p;
    }
    const QSize before = w.findChild<QTableWidget *>(QStringLiteral("KakuSG"))->size();
    w.resize(w.width() + 200, w.height() + 200);
    QApplication::processEvents();
    EXPECT_GT(w.findChild<QTableWidget *>(QStringLiteral("KakuSG"))->width(), before.width());
    EXPECT_GT(w.findChild<QTableWidget *>(QStringLiteral("KakuSG"))->height(), before.height());
    EXPECT_GT(w.findChild<QTableWidget *>(QStringLiteral("KakuSG"))->columnWidth(1), before.width() / 10);
}

TEST_F(SuuFTest, OkFillsEmptyCellsWithTheirDefaultsSavesAndCloses)
{
    TSuuF &w = open();
    QSignalSpy saved(&w, &TSuuF::numbersSaved);
    type(NumberTable::PerSG, 1, 3, QString());
    type(NumberTable::KanSG, 2, 4, QString());
    type(NumberTable::KanSG, 1, 1, QStringLiteral("-7"));
    EXPECT_EQ(w.cellText(NumberTable::PerSG, 1, 3), "");
    click("OKBtn");

    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('|').toStdString();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(saved.count(), 1);
    EXPECT_EQ(w.cellText(NumberTable::PerSG, 1, 3), "100");
    EXPECT_EQ(w.cellText(NumberTable::KanSG, 2, 4), "0");
    const NumbersFile back = readNumbersFile(file().toStdString());
    ASSERT_TRUE(back.ok());
    EXPECT_TRUE(back.warnings.empty());
    EXPECT_EQ(back.tables, w.tables());
    EXPECT_EQ(back.tables.value(NumberTable::PerSG, 1, 3), 100);
    EXPECT_EQ(back.tables.value(NumberTable::KanSG, 1, 1), -7);
    // CR LF lines, eleven of them.
    EXPECT_EQ(bytesOf(file()).count("\r\n"), 11);
}

TEST_F(SuuFTest, AValueAboveTheRangeIsToldAndNothingIsWritten)
{
    const QByteArray before = bytesOf(file());
    TSuuF &w = open();
    QSignalSpy saved(&w, &TSuuF::numbersSaved);
    type(NumberTable::KanSG, 3, 4, QStringLiteral("51")); // 丁 in 兌
    w.findChild<QTabWidget *>(QStringLiteral("PageControl1"))->setCurrentIndex(0);
    click("OKBtn");

    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_EQ(messages.texts[0], "「干の数値」の「丁＼兌」\n[51]は設定可能最大値より大きな値です");
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.findChild<QTabWidget *>(QStringLiteral("PageControl1"))->currentIndex(), 1);
    EXPECT_EQ(w.findChild<QTableWidget *>(QStringLiteral("KanSG"))->currentRow(), 3);
    EXPECT_EQ(w.findChild<QTableWidget *>(QStringLiteral("KanSG"))->currentColumn(), 2);
    EXPECT_EQ(saved.count(), 0);
    EXPECT_EQ(bytesOf(file()), before);

    // Below the range, and the wider range of the percentages.
    messages.clear();
    type(NumberTable::KanSG, 3, 4, QStringLiteral("-51"));
    type(NumberTable::PerSG, 1, 1, QStringLiteral("-1000"));
    type(NumberTable::PerSG, 1, 2, QStringLiteral("1000"));
    EXPECT_FALSE(w.SGCheck());
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_EQ(messages.texts[0], "「干の数値」の「丁＼兌」\n[-51]は設定可能最小値より小さな値です");

    // Full-width digits are the numbers they show; too many digits are out of range.
    messages.clear();
    w.setCellText(NumberTable::KanSG, 3, 4, QStringLiteral("－１２")); // as an input method commits it
    type(NumberTable::PerSG, 1, 1, QStringLiteral("99999999999"));
    EXPECT_FALSE(w.SGCheck());
    EXPECT_EQ(messages.texts, QStringList{"「全般的な設定」の「天盤＼加算比率」\n[99999999999]は設定可能最大値より大きな値です"});
    EXPECT_EQ(w.cellText(NumberTable::KanSG, 3, 4), "-12");
}

TEST_F(SuuFTest, EveryFaultyColumnOfEveryGridIsToldOnce)
{
    TSuuF &w = open();
    type(NumberTable::HmSG, 2, 1, QStringLiteral("abc"));  // 休門 in 乾
    type(NumberTable::HmSG, 2, 5, QStringLiteral("99"));   // same column: not told
    type(NumberTable::HmSG, 4, 2, QStringLiteral("1.5"));  // 生門 in 艮
    type(NumberTable::PerSG, 1, 1, QStringLiteral("1001"));
    w.findChild<QTableWidget *>(QStringLiteral("HmPSG"))->item(0, 2)->setText(QStringLiteral("x")); // hidden column 死
    w.findChild<QTableWidget *>(QStringLiteral("KakuSG"))->item(58, 8)->setText(QStringLiteral("60"));

    EXPECT_FALSE(w.SGCheck());
    EXPECT_EQ(messages.texts,
              QStringList({"「全般的な設定」の「天盤＼加算比率」\n[1001]は設定可能最大値より大きな値です",
                           "「八門の数値」の「休門＼乾」\n[abc]は整数ではありません",
                           "「八門の数値」の「生門＼艮」\n[1.5]は整数ではありません",
                           "「八門の数値」の「休門＼死」\n[x]は整数ではありません",
                           "「格局の数値」の「" + QString::fromStdString(names.PatternName[59])
                               + "＼巽」\n[60]は設定可能最大値より大きな値です"}));
    // The page of the last fault stays in front.
    EXPECT_EQ(w.findChild<QTabWidget *>(QStringLiteral("PageControl1"))->currentIndex(), 7);
}

TEST_F(SuuFTest, TheAnKenNumberMustBeAnInteger)
{
    const QByteArray before = bytesOf(file());
    TSuuF &w = open();
    w.findChild<QLineEdit *>(QStringLiteral("AnE"))->setText(QStringLiteral("1.5"));
    click("OKBtn");
    EXPECT_EQ(messages.texts, QStringList({"「暗剣による数値」の[1.5]は整数ではありません"}));
    EXPECT_EQ(w.findChild<QTabWidget *>(QStringLiteral("PageControl1"))->currentIndex(), 6);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(bytesOf(file()), before);

    messages.clear();
    w.findChild<QLineEdit *>(QStringLiteral("AnE"))->setText(QStringLiteral("-999")); // no range applies
    click("OKBtn");
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('|').toStdString();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(readNumbersFile(file().toStdString()).tables.anKen(), -999);
}

TEST_F(SuuFTest, CancelGoesBackToTheFileAndClosesOnlyOnValidValues)
{
    TSuuF &w = open();
    const NumberTables saved = w.tables();
    type(NumberTable::KanSG, 1, 1, QStringLiteral("77"));
    click("CancelBtn");
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('|').toStdString();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.tables(), saved);

    // The close box with unsaved edits asks: キャンセル keeps the window and
    // the edit, 破棄 goes back to the file, 保存 writes it.
    reshow();
    type(NumberTable::KanSG, 1, 1, QStringLiteral("77"));
    messages.answer = ui::Answer::Cancel;
    w.close();
    ASSERT_EQ(messages.seen.size(), 1);
    EXPECT_EQ(messages.seen[0].first, "保存");
    EXPECT_EQ(messages.seen[0].second, "破棄");
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.cellText(NumberTable::KanSG, 1, 1), "77");
    messages.answer = ui::Answer::No;
    QTest::keyClick(&w, Qt::Key_Escape);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.tables(), saved);
    reshow();
    type(NumberTable::KanSG, 1, 1, QStringLiteral("7"));
    messages.answer = ui::Answer::Yes;
    w.close();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(readNumbersFile(file().toStdString()).tables.cell(NumberTable::KanSG, 1, 1), "7");
    ASSERT_EQ(writeNumbersFile(file().toStdString(), saved), "");
    reshow();
    ASSERT_TRUE(w.SGRead());
    messages.clear();
    messages.answer = ui::Answer::Ok;
    // Without edits it closes without a question.
    w.close();
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(messages.texts.isEmpty());

    // A file that fails the check keeps the window open.
    NumberTables bad = saved;
    bad.setCell(NumberTable::KyuSG, 1, 1, "500");
    ASSERT_EQ(writeNumbersFile(file().toStdString(), bad), "");
    reshow();
    QTest::keyClick(&w, Qt::Key_Escape);
    EXPECT_TRUE(w.isVisible());
    // Reading names the cell beyond the range first, then the check refuses it.
    ASSERT_EQ(messages.texts.size(), 2);
    EXPECT_TRUE(messages.texts[0].contains("(KyuSG)の1列1行の[500]は、設定できる範囲(-50～50)の外です。"))
        << messages.texts[0].toStdString();
    EXPECT_EQ(messages.texts[1], "「紫白の数値」の「一白＼中」\n[500]は設定可能最大値より大きな値です");
}

TEST_F(SuuFTest, CopyCommandsFillTheRowRightAndTheColumnDown)
{
    TSuuF &w = open();
    type(NumberTable::HmSG, 2, 1, QStringLiteral("7")); // 休門 in 乾
    const QString hiddenBefore = w.cellText(NumberTable::HmSG, 1, 1);
    // The command acts on the grid with the focus.
    QAction *xCp = w.findChild<QMenu *>(QStringLiteral("PopupMenu1"))->findChild<QAction *>(QStringLiteral("XCp"));
    ASSERT_NE(xCp, nullptr);
    EXPECT_EQ(xCp->text(), "行を右にコピー");
    xCp->trigger();
    for (int c = 3; c <= 9; ++c)
        EXPECT_EQ(w.cellText(NumberTable::HmSG, c, 1), "7") << c;
    EXPECT_EQ(w.cellText(NumberTable::HmSG, 1, 1), hiddenBefore); // left of the cell
    EXPECT_NE(w.cellText(NumberTable::HmSG, 2, 2), "7");

    type(NumberTable::KakuSG, 4, 1, QStringLiteral("-3"));
    QAction *yCp = w.findChild<QMenu *>(QStringLiteral("PopupMenu1"))->findChild<QAction *>(QStringLiteral("YCp"));
    ASSERT_NE(yCp, nullptr);
    EXPECT_EQ(yCp->text(), "列を下にコピー");
    yCp->trigger();
    for (int r = 1; r <= 59; ++r)
        EXPECT_EQ(w.cellText(NumberTable::KakuSG, 4, r), "-3") << r;

    // Hidden columns are filled like the others.
    w.setCurrentCell(NumberTable::HmPSG, 1, 2);
    w.XCpClick(w.findChild<QTableWidget *>(QStringLiteral("HmPSG")));
    for (int c = 2; c <= 5; ++c)
        EXPECT_EQ(w.cellText(NumberTable::HmPSG, c, 2), w.cellText(NumberTable::HmPSG, 1, 2));

    // With no grid focused the percentages are the target.
    w.findChild<QLineEdit *>(QStringLiteral("AnE"))->setFocus();
    w.setCurrentCell(NumberTable::PerSG, 1, 6);
    w.setCellText(NumberTable::PerSG, 1, 6, QStringLiteral("55"));
    yCp->trigger();
    EXPECT_EQ(w.cellText(NumberTable::PerSG, 1, 8), "55");
    EXPECT_TRUE(messages.texts.isEmpty());
}

TEST_F(SuuFTest, ExportWritesEveryGridWithItsCaptionsAsCp932)
{
    TSuuF &w = open();
    const QString out = program.filePath("out.csv");
    QString asked;
    w.saveFileName = [&](QWidget *, const QString &caption) {
        asked = caption;
        return QString();
    };
    QTest::mouseClick(w.findChild<QAbstractButton *>(QStringLiteral("ExpBtn")), Qt::LeftButton);
    EXPECT_FALSE(asked.isEmpty());
    EXPECT_FALSE(QFile::exists(out)); // cancelled: nothing

    w.findChild<QLineEdit *>(QStringLiteral("AnE"))->setText(QStringLiteral("x")); // not checked on export
    w.saveFileName = [&](QWidget *, const QString &) { return out; };
    QTest::mouseClick(w.findChild<QAbstractButton *>(QStringLiteral("ExpBtn")), Qt::LeftButton);
    EXPECT_TRUE(messages.texts.isEmpty());

    const CodecResult text = decodeCp932(bytesOf(out).toStdString());
    ASSERT_TRUE(text.ok);
    const QStringList lines = QString::fromStdString(text.text).split(QStringLiteral("\r\n"));
    // Ten captions, 1 + rows lines per grid, the 暗剣 line, the final empty piece.
    ASSERT_EQ(lines.size(), 10 + (9 + 11 + 101 + 9 + 9 + 10 + 10 + 9 + 10 + 60) + 1 + 1);
    EXPECT_EQ(lines[0], "各要素の加算比率(%)");
    EXPECT_EQ(lines[1], ",加算比率,");
    EXPECT_EQ(lines[2], "天盤," + w.cellText(NumberTable::PerSG, 1, 1) + ",");
    EXPECT_EQ(lines[10], "干の数値");
    EXPECT_EQ(lines[11], ",中,乾,兌,艮,離,坎,坤,震,巽,");
    const int kyu = static_cast<int>(lines.indexOf("紫白の数値"));
    ASSERT_GT(kyu, 0);
    EXPECT_EQ(lines[kyu + 11], "暗剣による数値,x");
    EXPECT_EQ(lines[kyu + 12], "格局の数値");
    // Hidden columns are exported too.
    const int hmp = static_cast<int>(lines.indexOf("八門の相旺による加算"));
    EXPECT_EQ(lines[hmp + 1], ",相,旺,死,休,囚,");
    EXPECT_EQ(lines[hmp + 2].count(','), 6);
}

TEST_F(SuuFTest, CaptionCellsKeepTheFixedColourAndValueCellsAreWhite)
{
    TSuuF &w = open();
    QTableWidget *per = w.findChild<QTableWidget *>(QStringLiteral("PerSG"));
    QTableWidget *kan = w.findChild<QTableWidget *>(QStringLiteral("KanSG"));
    w.findChild<QTabWidget *>(QStringLiteral("PageControl1"))->setCurrentIndex(0);
    QImage perImage = per->grab().toImage();
    const QPoint caption = per->verticalHeader()->geometry().topLeft() + QPoint(3, 3);
    EXPECT_EQ(perImage.pixelColor(caption), QColor(0, 255, 0));
    const QRect value = per->visualItemRect(per->item(0, 0));
    const QPoint valuePixel = per->viewport()->geometry().topLeft() + value.topLeft() + QPoint(2, value.height() - 3);
    EXPECT_EQ(perImage.pixelColor(valuePixel), QColor(Qt::white));

    w.findChild<QTabWidget *>(QStringLiteral("PageControl1"))->setCurrentIndex(1);
    QImage kanImage = kan->grab().toImage();
    const QPoint kanCaption = kan->horizontalHeader()->geometry().topLeft() + QPoint(3, 3);
    EXPECT_EQ(kanImage.pixelColor(kanCaption), QColor(0, 255, 255));
}
