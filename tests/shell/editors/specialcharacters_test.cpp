// The special-character window: defaults, preview messages, and what is
// stored (or not) by OK, the close box, ｷｬﾝｾﾙ and ﾃﾞﾌｫﾙﾄ.

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "shell/editors/specialcharacters.h"
#include "shell/common/messages.h"
#include "shell_fixtures.h"

using namespace velm;

namespace {

void type(TGaijiF &w, int n, const QString &text)
{
    QLineEdit *e = w.findChild<QLineEdit *>(QStringLiteral("Edit%1").arg(n));
    e->selectAll();
    QTest::keyClick(e, Qt::Key_Delete);
    QTest::keyClicks(e, text);
}

void click(TGaijiF &w, const char *name)
{
    auto *b = w.findChild<QPushButton *>(QLatin1String(name));
    ASSERT_NE(b, nullptr) << name;
    QTest::mouseClick(b, Qt::LeftButton);
}

QStringList panels(const TGaijiF &w)
{
    return {w.findChild<QLabel *>(QStringLiteral("Panel1"))->text(), w.findChild<QLabel *>(QStringLiteral("Panel2"))->text(), w.findChild<QLabel *>(QStringLiteral("Panel3"))->text()};
}

const QString Restart = "『VELM』を一旦終了後、\n再度、本ソフトを起動すると、変更された特殊文字が有効となります。";

} // namespace

TEST(Gaiji, DefaultsShowTheirCharacters)
{
    QTemporaryDir dir;
    AppSettings settings(dir.path(), dir.path());
    RecordedMessages messages;
    TGaijiF w(settings);
    w.show();
    EXPECT_EQ(w.windowTitle(), "特殊文字の設定");
    EXPECT_EQ(w.findChild<QLineEdit *>(QStringLiteral("Edit1"))->text(), "93E0");
    EXPECT_EQ(w.findChild<QLineEdit *>(QStringLiteral("Edit2"))->text(), "B4B2");
    EXPECT_EQ(w.findChild<QLineEdit *>(QStringLiteral("Edit3"))->text(), "93AB");
    EXPECT_EQ(panels(w), (QStringList{"内", "ｴｲ", "騰"}));
    EXPECT_TRUE(messages.texts.isEmpty());
    EXPECT_FALSE(w.findChild<QLineEdit *>(QStringLiteral("Edit1"))->testAttribute(Qt::WA_InputMethodEnabled));

    // Lower-case digits name the same character.
    type(w, 1, "93e0");
    click(w, "Button1");
    EXPECT_EQ(w.findChild<QLabel *>(QStringLiteral("Panel1"))->text(), "内");
    EXPECT_TRUE(messages.texts.isEmpty());
}

TEST(Gaiji, FaultyCodesAreNamedInRowOrder)
{
    QTemporaryDir dir;
    AppSettings settings(dir.path(), dir.path());
    RecordedMessages messages;
    TGaijiF w(settings);
    w.show();

    type(w, 1, "93E");
    click(w, "Button1");
    EXPECT_EQ(messages.texts, QStringList{"文字ｺｰﾄﾞは、４文字で指定して下さい。"});
    EXPECT_EQ(panels(w), (QStringList{"", "ｴｲ", "騰"}));

    messages.clear();
    type(w, 1, "93E00");
    type(w, 3, "93G0");
    click(w, "Button1");
    EXPECT_EQ(messages.texts,
              (QStringList{"文字ｺｰﾄﾞは、４文字で指定して下さい。", "『93G0』は、不正なS-JISｺｰﾄﾞです。"}));
    EXPECT_EQ(panels(w), (QStringList{"", "ｴｲ", ""}));

    // OK refuses while a code is faulty, and stores nothing.
    QSignalSpy changed(&w, &TGaijiF::constDataChanged);
    click(w, "OKBtn");
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(settings.store().contains("Sys", "Gaiji1"));
    EXPECT_EQ(changed.count(), 0);
}

TEST(Gaiji, OkWithoutChangesStoresTheSameCodesQuietly)
{
    QTemporaryDir dir;
    RecordedMessages messages;
    {
        AppSettings settings(dir.path(), dir.path());
        TGaijiF w(settings);
        QSignalSpy changed(&w, &TGaijiF::constDataChanged);
        w.show();
        click(w, "OKBtn");
        EXPECT_FALSE(w.isVisible());
        EXPECT_EQ(w.result(), QDialog::Accepted);
        EXPECT_EQ(changed.count(), 0);
    }
    EXPECT_TRUE(messages.texts.isEmpty());
    AppSettings again(dir.path(), dir.path());
    EXPECT_EQ(again.store().text("Sys", "Gaiji1"), "93E0");
    EXPECT_EQ(again.store().text("Sys", "Gaiji2"), "B4B2");
    EXPECT_EQ(again.store().text("Sys", "Gaiji3"), "93AB");
}

TEST(Gaiji, DefaultButtonThenOkStoresDefaultsAndAsksForARestart)
{
    QTemporaryDir dir;
    AppSettings settings(dir.path(), dir.path());
    settings.setSpecialCharacter(1, "F040");
    settings.setSpecialCharacter(2, "E0A0");
    settings.setSpecialCharacter(3, "93AB");
    ASSERT_EQ(settings.sync(), "");
    RecordedMessages messages;
    TGaijiF w(settings);
    QSignalSpy changed(&w, &TGaijiF::constDataChanged);
    w.show();
    EXPECT_EQ(w.findChild<QLineEdit *>(QStringLiteral("Edit1"))->text(), "F040");

    click(w, "Button2");
    EXPECT_EQ(w.findChild<QLineEdit *>(QStringLiteral("Edit1"))->text(), "93E0");
    EXPECT_EQ(panels(w), (QStringList{"内", "ｴｲ", "騰"}));
    EXPECT_EQ(AppSettings(dir.path(), dir.path()).specialCharacter(1), "F040"); // nothing stored yet

    click(w, "OKBtn");
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(messages.texts, QStringList{Restart});
    EXPECT_EQ(changed.count(), 1);
    AppSettings again(dir.path(), dir.path());
    EXPECT_EQ(again.specialCharacter(1), "93E0");
    EXPECT_EQ(again.specialCharacter(2), "B4B2");
    EXPECT_EQ(again.specialCharacter(3), "93AB");
}

TEST(Gaiji, CloseBoxChecksAgainBeforeStoring)
{
    QTemporaryDir dir;
    AppSettings settings(dir.path(), dir.path());
    RecordedMessages messages;
    TGaijiF w(settings);
    w.show();

    // Changed after the last preview: checked now, refused.
    type(w, 3, "ZZZZ");
    EXPECT_FALSE(w.close());
    EXPECT_EQ(messages.texts, QStringList{"『ZZZZ』は、不正なS-JISｺｰﾄﾞです。"});
    EXPECT_EQ(AppSettings(dir.path(), dir.path()).specialCharacter(3), "93AB");

    // A good code: stored like OK.
    messages.clear();
    type(w, 3, "9E78");
    EXPECT_TRUE(w.close());
    EXPECT_EQ(messages.texts, QStringList{Restart});
    EXPECT_EQ(AppSettings(dir.path(), dir.path()).specialCharacter(3), "9E78");
}

TEST(Gaiji, FaultyStoredCodeIsReportedOnceAndCancelKeepsTheStore)
{
    QTemporaryDir dir;
    AppSettings settings(dir.path(), dir.path());
    settings.setSpecialCharacter(2, "B4");
    ASSERT_EQ(settings.sync(), "");
    RecordedMessages messages;
    TGaijiF w(settings);
    w.show();
    EXPECT_EQ(messages.texts, QStringList{"文字ｺｰﾄﾞは、４文字で指定して下さい。"});
    EXPECT_EQ(w.findChild<QLineEdit *>(QStringLiteral("Edit2"))->text(), "B4");
    EXPECT_EQ(w.findChild<QLabel *>(QStringLiteral("Panel2"))->text(), "");

    // The message handing the focus back does not reload the fields.
    w.hide();
    w.show();
    EXPECT_EQ(messages.texts.size(), 1);

    // ｷｬﾝｾﾙ closes even so, and keeps what is stored.
    QSignalSpy changed(&w, &TGaijiF::constDataChanged);
    type(w, 1, "88A0");
    click(w, "CancelBtn");
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.result(), QDialog::Rejected);
    EXPECT_EQ(messages.texts.size(), 1);
    EXPECT_EQ(changed.count(), 0);
    AppSettings again(dir.path(), dir.path());
    EXPECT_EQ(again.specialCharacter(1), "93E0");
    EXPECT_EQ(again.specialCharacter(2), "B4");
}
