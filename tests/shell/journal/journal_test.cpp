// The journal window over a scratch program folder: the list and its search
// box and filters, notes and outcomes written from the keyboard, look-back
// dates, export and import through the file seams, the choice offered when
// today's numbers differ, and the "記録に残す" dialog.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QTimer>

#include "output/journal.h"
#include "shell/app/startwindows.h"
#include "shell/charts/chartwindow.h"
#include "shell/journal/journalwindow.h"
#include "shell/main/charthost.h"
#include "shell/main/mainwindow.h"
#include "shell/settings/appsettings.h"
#include "shell_fixtures.h"

using namespace velm;

namespace {

// keyClicks knows only ASCII keys; Japanese arrives as typed text.
void type(QWidget *w, const QString &text)
{
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

JournalEntry entry(int day, const std::string &question, const std::string &note, const std::string &tag = {})
{
    JournalEntry e;
    e.moment = {2024, 3, day, 12, 0, 0};
    e.question = question;
    e.note = note;
    if (!tag.empty())
        e.tags = {tag};
    e.numbersHash = "old";
    e.charts.resize(1);
    e.charts[0].BanSuu[8] = {0, 12.5, -3, 0, 0, 0, 0, 0, 7};
    return e;
}

struct Opened {
    ScratchProgram program{DataFiles::None};
    RecordedMessages messages;
    JournalAccess access{program.path()};
    TJournalF window{access};
    std::vector<std::pair<std::string, bool>> opened;

    Opened()
    {
        Journal *j = access.journal(nullptr);
        EXPECT_TRUE(j);
        JournalEntry a = entry(1, "転居の時期", "北東へ転居", "転居");
        a.reminders = {{"2024-07-01", false}};
        JournalEntry b = entry(2, "仕事の相談", "上司に話す", "仕事");
        JournalEntry c = entry(3, "旅行", "雨の予報");
        for (JournalEntry *e : {&a, &b, &c})
            EXPECT_EQ(j->add(*e), "");
        window.today = [] { return QStringLiteral("2024-08-01"); };
        window.numbersHash = [] { return std::string("old"); };
        window.openCharts = [this](const JournalEntry &e, bool recorded) { opened.emplace_back(e.question, recorded); };
        window.showJournal();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    QString question() const { return window.shownEntry() ? QString::fromStdString(window.shownEntry()->question) : QString(); }
};

} // namespace

TEST(JournalWindow, SearchesFiltersAndKeepsWhatIsTypedFromTheKeyboard)
{
    Opened o;
    TJournalF &w = o.window;
    EXPECT_EQ(w.rowCount(), 3);
    EXPECT_EQ(o.question(), QStringLiteral("旅行")); // the newest, chosen
    EXPECT_EQ(w.Thumbs()->findChildren<QWidget *>().size(), 1);

    // Ctrl+F, a two-character word, Enter.
    QTest::keyClick(&w, Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(w.SearchE()->hasFocus());
    type(w.SearchE(), QStringLiteral("転居"));
    QTest::keyClick(w.SearchE(), Qt::Key_Return);
    ASSERT_EQ(w.rowCount(), 1);
    EXPECT_EQ(o.question(), QStringLiteral("転居の時期"));
    w.SearchE()->clear();
    w.FilterE(4)->setText(QStringLiteral("仕事"));
    QTest::keyClick(w.FilterE(4), Qt::Key_Return);
    ASSERT_EQ(w.rowCount(), 1);
    EXPECT_EQ(o.question(), QStringLiteral("仕事の相談"));
    w.FilterE(4)->clear();
    w.FromE()->setText(QStringLiteral("2024-3-9"));
    w.reload();
    EXPECT_TRUE(o.messages.saw(QStringLiteral("YYYY-MM-DD")));
    w.FromE()->setText(QStringLiteral("2024-03-02"));
    w.reload();
    EXPECT_EQ(w.rowCount(), 2);
    w.FromE()->clear();
    w.reload();

    // The note, saved with Ctrl+S; an outcome added with Enter.
    std::string error;
    const std::vector<JournalSummary> all = o.access.journal(nullptr)->list({}, error);
    w.selectEntry(QString::fromStdString(all.back().id));
    EXPECT_EQ(o.question(), QStringLiteral("転居の時期"));
    w.NoteE()->setFocus();
    w.NoteE()->selectAll();
    type(w.NoteE(), QStringLiteral("南西は避ける"));
    QTest::keyClick(w.NoteE(), Qt::Key_S, Qt::ControlModifier);
    type(w.OutcomeE(), QStringLiteral("無事に移った"));
    QTest::keyClick(w.OutcomeE(), Qt::Key_Return);
    ASSERT_TRUE(w.shownEntry());
    EXPECT_EQ(w.shownEntry()->note, "南西は避ける");
    ASSERT_EQ(w.shownEntry()->outcomes.size(), 1u);
    EXPECT_EQ(w.shownEntry()->outcomes[0].date, "2024-08-01");
    EXPECT_EQ(w.OutcomeList()->count(), 1);
    // A note typed and not saved is kept when the window closes.
    w.NoteE()->moveCursor(QTextCursor::End);
    type(w.NoteE(), QStringLiteral("。"));
    w.close();
    const std::string id = w.shownEntry()->id;
    EXPECT_EQ(o.access.journal(nullptr)->find(id, error)->note, "南西は避ける。");
    EXPECT_TRUE(o.messages.texts.isEmpty() || o.messages.saw(QStringLiteral("YYYY-MM-DD"))) << o.messages.all().toStdString();
}

TEST(JournalWindow, LooksBackOpensWithTheChosenScoresAndMovesEntriesBetweenFolders)
{
    Opened o;
    TJournalF &w = o.window;
    // The look-back due by today (2024-08-01) is the only one listed.
    w.DueCB()->setChecked(true);
    ASSERT_EQ(w.rowCount(), 1);
    EXPECT_EQ(o.question(), QStringLiteral("転居の時期"));
    w.RemindClick(4); // the date it has already
    EXPECT_EQ(w.ReminderList()->count(), 1);
    w.RemindClick(7);
    EXPECT_EQ(w.ReminderList()->count(), 2);
    w.ReminderList()->setCurrentRow(0);
    w.DoneClick();
    EXPECT_EQ(w.rowCount(), 0);
    w.DueCB()->setChecked(false);
    EXPECT_EQ(w.rowCount(), 3);

    // Same numbers: opened as they are. Changed: the user chooses.
    w.OpenBtnClick();
    w.numbersHash = [] { return std::string("new"); };
    o.messages.answer = ui::Answer::No; // 記録した点数で
    w.OpenBtnClick();
    o.messages.answer = ui::Answer::Cancel;
    w.OpenBtnClick();
    ASSERT_EQ(o.opened.size(), 2u);
    EXPECT_FALSE(o.opened[0].second);
    EXPECT_TRUE(o.opened[1].second);
    EXPECT_TRUE(o.messages.saw(QStringLiteral("数値ファイル")));

    // Export what is listed, import into another folder, again: skipped.
    const QString file = o.program.filePath(QStringLiteral("journal.json"));
    w.saveFileName = [file](QWidget *, const QString &) { return file; };
    w.ExportClick();
    ScratchProgram other{DataFiles::None};
    JournalAccess access{other.path()};
    TJournalF second{access};
    second.openFileName = [file](QWidget *) { return file; };
    second.ImportClick();
    EXPECT_EQ(second.rowCount(), 3);
    o.messages.clear();
    second.ImportClick();
    EXPECT_TRUE(o.messages.saw(QStringLiteral("3 件は飛ばしました"))) << o.messages.all().toStdString();

    // Removing asks first.
    o.messages.answer = ui::Answer::Yes;
    second.DelBtnClick();
    EXPECT_EQ(second.rowCount(), 2);
}

TEST(JournalWindow, AJournalOfYearsOpensWithTheNewestThousandAndListsAllOnRequest)
{
    Opened o;
    std::string json = "{\"format\":\"velm-journal\",\"version\":1,\"entries\":[";
    for (int i = 0; i < TJournalF::ListedAtFirst; ++i)
        json += std::string(i ? "," : "") + "{\"id\":\"old-" + std::to_string(i)
            + "\",\"moment\":\"2000-01-01T00:00\",\"options\":{}}";
    ASSERT_EQ(o.access.journal(nullptr)->importJson(json + "]}").error, "");
    o.window.reload();
    EXPECT_EQ(o.window.rowCount(), TJournalF::ListedAtFirst);
    auto *all = o.window.findChild<QPushButton *>(QStringLiteral("AllBtn"));
    ASSERT_TRUE(all && all->isVisible());
    all->click();
    EXPECT_EQ(o.window.rowCount(), TJournalF::ListedAtFirst + 3);
    EXPECT_FALSE(all->isVisible());
}

TEST(JournalWindow, TheKeepDialogFillsTheEntryFromWhatIsTyped)
{
    ScratchProgram program{DataFiles::None};
    JournalEntry draft = entry(10, "", "");
    draft.options.clock.zone = "Asia/Tokyo";
    draft.method = LayingMethod::Flying;
    TJournalEditF dialog(draft, {QStringLiteral("自宅"), QStringLiteral("実家")});
    dialog.show();
    dialog.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
    EXPECT_TRUE(dialog.findChild<QLabel *>(QStringLiteral("OptionsL"))->text().contains(QStringLiteral("飛宮式")));
    EXPECT_TRUE(dialog.QuestionE()->hasFocus());
    type(dialog.QuestionE(), QStringLiteral("引っ越し"));
    dialog.PlaceCB()->setCurrentText(QStringLiteral("実家"));
    dialog.PeopleE()->setText(QStringLiteral("母、兄"));
    dialog.TagsE()->setText(QStringLiteral("転居 家族"));
    dialog.RemindCB(7)->setChecked(true);
    QTest::keyClick(dialog.QuestionE(), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    const JournalEntry &e = dialog.entry();
    EXPECT_EQ(e.question, "引っ越し");
    EXPECT_EQ(e.place, "実家");
    EXPECT_EQ(e.people, (std::vector<std::string>{"母", "兄"}));
    EXPECT_EQ(e.tags, (std::vector<std::string>{"転居", "家族"}));
    ASSERT_EQ(e.reminders.size(), 1u);
    EXPECT_EQ(e.reminders[0].date, "2024-10-10");
}

TEST(JournalWindow, AChartKeptWithAZonePreciseTermsAndFlyingReopensAsItWasAfterTheSettingsWentBack)
{
    ScratchProgram program;
    QTemporaryDir config;
    RecordedMessages messages;
    AppSettings settings{program.path(), config.path()};
    settings.setTermSource(Astronomy::Precise);
    settings.setUseTimeZone(true);
    settings.setTimeZoneName(QStringLiteral("Europe/Berlin"));
    settings.setLayingMethod(1);
    for (int kind = 0; kind < 3; ++kind)
        settings.setChartKindChecked(kind, false);
    settings.setChartKindChecked(3, true);
    TMainF main{settings};
    const std::unique_ptr<StartWindows> windows = makeStartWindows(main, settings);
    main.showAtStart();
    main.openChart(3, CivilTime{2024, 7, 1, 12, 0, 0});
    TBanF *shown = main.charts()->enteredChart();
    ASSERT_TRUE(shown);

    // 記録に残す: the dialog comes filled; the question is typed, Ctrl+Enter keeps it.
    QTimer::singleShot(0, [] {
        auto *dialog = qobject_cast<TJournalEditF *>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        dialog->QuestionE()->setText(QStringLiteral("旅の日取り"));
        dialog->accept();
    });
    shown->journalAction()->trigger();
    JournalAccess access{program.path()};
    std::string error;
    const std::vector<JournalSummary> kept = access.journal(nullptr)->list({}, error);
    ASSERT_EQ(kept.size(), 1u) << error;
    const JournalEntry entry = *access.journal(nullptr)->find(kept[0].id, error);
    EXPECT_EQ(entry.question, "旅の日取り");
    EXPECT_EQ(entry.options.clock.zone, "Europe/Berlin");
    EXPECT_EQ(entry.options.astronomy, Astronomy::Precise);
    EXPECT_EQ(entry.method, LayingMethod::Flying);
    ASSERT_EQ(entry.charts.size(), 1u);
    EXPECT_EQ(entry.charts[0].BanSuu, shown->scores().BanSuu);

    // Every setting back to its default; the entry opens as it was.
    settings.setTermSource(Astronomy::Short);
    settings.setUseTimeZone(false);
    settings.setLayingMethod(0);
    QAction *item = main.findChild<QAction *>(QStringLiteral("JournalItem"));
    ASSERT_TRUE(item);
    item->trigger();
    TJournalF *journal = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *j = qobject_cast<TJournalF *>(w); j && j->isVisible())
            journal = j;
    ASSERT_TRUE(journal);
    ASSERT_EQ(journal->rowCount(), 1);
    journal->OpenBtnClick();
    const auto find = [&](const QString &mark) -> TBanF * {
        for (TBanF *w : main.charts()->chartWindows())
            if (w->title().contains(mark))
                return w;
        return nullptr;
    };
    TBanF *again = find(QStringLiteral("［記録の設定］"));
    ASSERT_TRUE(again);
    EXPECT_TRUE(again->title().contains(QStringLiteral("精密・Europe/Berlin"))) << again->title().toStdString();
    EXPECT_EQ(again->chart().Ban, shown->chart().Ban);
    EXPECT_EQ(again->laid().method, LayingMethod::Flying);
    EXPECT_EQ(again->scores().BanSuu, shown->scores().BanSuu);

    // Today's numbers differ: the recorded scores are offered and shown.
    QFile numbers(program.filePath(QStringLiteral("SuuFile.Dat")));
    ASSERT_TRUE(numbers.open(QIODevice::Append));
    numbers.write("\r\n");
    numbers.close();
    messages.answer = ui::Answer::No;
    journal->OpenBtnClick();
    EXPECT_TRUE(messages.saw(QStringLiteral("数値ファイル")));
    TBanF *recorded = find(QStringLiteral("［記録の設定・記録の点数］"));
    ASSERT_TRUE(recorded);
    EXPECT_EQ(recorded->scores().BanSuu, entry.charts[0].BanSuu);
    journal->close();
}
