#include "shell/app/journalcommands.h"

#include <QAction>
#include <QCheckBox>
#include <QDate>
#include <QMenu>
#include <QStatusBar>
#include <QTimer>

#include "engine/clock.h"
#include "output/journal.h"
#include "output/placebook.h"
#include "shell/charts/chartwindow.h"
#include "shell/common/messages.h"
#include "shell/common/programfiles.h"
#include "shell/journal/journalwindow.h"
#include "shell/main/charthost.h"
#include "shell/main/mainwindow.h"
#include "shell/settings/appsettings.h"

namespace velm {
namespace {

const SettingValue<bool> DueAtStart{"Journal", "DueAtStart", false};

std::string programPath(const char *name)
{
    return programFile(name).toStdString();
}

// Holds the journal window for as long as the main window lives.
class JournalWindows : public QObject {
public:
    JournalWindows(AppSettings &settings, QObject *owner)
        : QObject(owner), access(settings.programFolder()), window(access)
    {
    }
    JournalAccess access;
    TJournalF window;
};

// "記録に残す": the chart's moment, the options it was laid with and the
// scores it shows, with what the user writes.
void keep(TMainF &main, AppSettings &settings, JournalAccess &access, TBanF *chart)
{
    JournalEntry draft;
    draft.moment = chart->enteredMoment();
    draft.kinds = {chart->chart().BanShu};
    draft.method = chart->laid().method;
    draft.options = chart->laidOptions() ? *chart->laidOptions() : engineOptions(settings).koyomi;
    draft.options.clock.readOffset.reset();
    draft.options.clock.equationTable.reset();
    draft.charts = {recordedChart(chart->laid())};
    draft.numbersHash = fileSha256(programPath(NumbersFileName));
    draft.mattersHash = fileSha256(programPath(MattersFileName));
    draft.program = VELM_VERSION;
    draft.tzdata = draft.options.clock.zone.empty() ? std::string() : tzDatabaseVersion();
    QStringList places;
    std::string error;
    if (const auto book = PlaceBook::open(access.databasePath().toStdString(), error))
        for (const Place &p : book->places(error))
            places << QString::fromStdString(p.name);
    TJournalEditF dialog(draft, places, &main);
    if (dialog.exec() != QDialog::Accepted)
        return;
    Journal *journal = access.journal(&main);
    if (!journal)
        return;
    JournalEntry entry = dialog.entry();
    error = journal->add(entry);
    if (!error.empty()) {
        ui::showError(&main, QString::fromStdString(error));
        return;
    }
    access.notifyChanged();
    main.statusBar()->showMessage(QStringLiteral("記録しました：%1").arg(chart->title()), 8000);
}

} // namespace

void addJournalCommands(TMainF &main, AppSettings &settings)
{
    auto *held = new JournalWindows(settings, &main);
    JournalAccess &access = held->access;
    TJournalF *window = &held->window;
    ChartHost *host = main.charts();

    window->openCharts = [host, &main](const JournalEntry &entry, bool recordedScores) {
        host->openRecorded(entry, recordedScores);
        // The charts are in the main window: it comes to the front.
        if (main.isMinimized())
            main.showNormal();
        main.raise();
        main.activateWindow();
    };
    window->numbersHash = [] { return fileSha256(programPath(NumbersFileName)); };
    SettingsStore &store = settings.store();
    window->StartCB()->setChecked(DueAtStart.read(store));
    QObject::connect(window->StartCB(), &QCheckBox::toggled, window,
                     [&store](bool on) { DueAtStart.write(store, on); });
    QObject::connect(host, &ChartHost::journalRequested, &main,
                     [&main, &settings, &access](TBanF *chart) { keep(main, settings, access, chart); });

    auto *item = new QAction(QStringLiteral("記録(&J)"), &main);
    item->setObjectName(QStringLiteral("JournalItem"));
    item->setStatusTip(QStringLiteral("残した記録の一覧・検索・結果の書き足しと振り返りをします"));
    QObject::connect(item, &QAction::triggered, window, &TJournalF::showJournal);
    if (QMenu *view = main.menu(TMainF::ViewMenu)) {
        view->addSeparator();
        view->addAction(item);
    }

    // The look-backs due, once at start-up, when the user asked for it.
    if (DueAtStart.read(store))
        QTimer::singleShot(0, window, [&main, &access, window] {
            Journal *journal = access.journal(&main);
            if (!journal)
                return;
            std::string error;
            const std::vector<DueReminder> due =
                journal->due(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")).toStdString(), error);
            if (due.empty())
                return;
            QString text = QStringLiteral("期日の来た振り返りが %1 件あります。").arg(due.size());
            for (std::size_t i = 0; i < due.size() && i < 5; ++i)
                text += QStringLiteral("\n%1　%2").arg(QString::fromStdString(due[i].date),
                                                     QString::fromStdString(due[i].entry.question.empty()
                                                                                ? due[i].entry.moment
                                                                                : due[i].entry.question));
            if (due.size() > 5)
                text += QStringLiteral("\n…");
            ui::showInfo(&main, text, QStringLiteral("振り返り"));
            window->showDue();
        });

    TMainF::Hooks hooks = main.hooks();
    const auto closeOthers = hooks.closeStartWindows;
    hooks.closeStartWindows = [window, closeOthers] {
        if (window->isVisible())
            window->close();
        if (closeOthers)
            closeOthers();
    };
    main.setHooks(std::move(hooks));
}

} // namespace velm
