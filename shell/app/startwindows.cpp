#include "shell/app/startwindows.h"

#include "shell/app/app.h"
#include "shell/app/journalcommands.h"
#include "shell/app/placecommands.h"
#include "shell/settings/appsettings.h"
#include "shell/tools/backupdialog.h"
#include "shell/charts/chartwindow.h"
#include "shell/runs/chartdatalistdialog.h"
#include "shell/lists/calendarwindow.h"
#include "shell/lists/heatmapwindow.h"
#include "shell/runs/chartdatafilesdialog.h"
#include "shell/runs/quicksearchdialog.h"
#include "shell/charts/fixedviews.h"
#include "shell/editors/specialcharacters.h"
#include "shell/common/icons.h"
#include "shell/common/screenfit.h"
#include "shell/lists/listwindow.h"
#include "shell/main/explanationpane.h"
#include "shell/tools/noticeswindow.h"
#include "shell/print/printpreview.h"
#include "shell/editors/matterseditor.h"
#include "shell/editors/explanationseditor.h"
#include "shell/runs/searchdialog.h"
#include "shell/editors/numberseditor.h"
#include "shell/main/mainwindow.h"
#include "shell/tools/systemsettings.h"
#include "shell/tools/titlewindows.h"
#include "shell/tools/toolsmenu.h"

#include <optional>

#include <QAction>
#include <QComboBox>
#include <QMdiArea>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QLabel>
#include <QTableView>
#include <QToolBar>

namespace velm {

StartWindows::~StartWindows() = default;

namespace {

// Where a command appears: its menu (if any) and its toolbar (if any), each
// before a named entry already there or at the end.
struct Placement {
    std::optional<TMainF::Menu> menu;
    std::optional<TMainF::Bar> bar;
    const char *beforeInMenu = nullptr;
    const char *beforeInBar = nullptr;
};

void insertBefore(QWidget *container, QAction *action, QAction *before)
{
    if (before != nullptr && container->actions().contains(before))
        container->insertAction(before, action);
    else
        container->addAction(action);
}

QAction *command(TMainF &main, const QString &name, const QString &caption, const QString &hint,
                 IconId icon, const Placement &where, std::function<void()> run)
{
    auto *action = new QAction(velmIcon(icon), caption, &main);
    action->setObjectName(name);
    action->setToolTip(hint.isEmpty() ? caption : hint);
    action->setStatusTip(hint);
    QObject::connect(action, &QAction::triggered, &main, std::move(run));
    if (where.menu)
        if (QMenu *m = main.menu(*where.menu))
            insertBefore(m, action, where.beforeInMenu ? main.action(QLatin1String(where.beforeInMenu)) : nullptr);
    if (where.bar)
        if (QToolBar *b = main.toolBar(*where.bar)) {
            insertBefore(b, action, where.beforeInBar ? main.action(QLatin1String(where.beforeInBar)) : nullptr);
            // A bar that was empty when the layout was read shows at a first
            // start; later the stored layout decides.
            if (b->actions().size() == 1 && !main.settings().layoutFileExists())
                b->setVisible(true);
        }
    return action;
}

// The commands of the file menu stand above 終了.
Placement fileCommand(std::optional<TMainF::Bar> bar, const char *beforeInBar = nullptr)
{
    return {TMainF::FileMenu, bar, "Exit1", beforeInBar};
}

void addMasterDataCommands(TMainF &main, StartWindows &w, const SearchWindows &search, AppSettings &settings)
{
    TSetuF *setu = w.setu.get();
    TSuuF *suu = w.suu.get();
    TSenF *sen = w.sen.get();
    // ｼｽﾃﾑBar: the entry groups, then these three, then the system settings.
    const Placement editor{TMainF::SettingsMenu, TMainF::SystemBar, nullptr, "SysBtn"};
    command(main, QStringLiteral("SetuItem"), QStringLiteral("説明文の編集(&E)"), QStringLiteral("説明文の編集をします"),
            IconId::Explanations, editor, [setu] { setu->SetuItemClick(); });
    command(main, QStringLiteral("SenItem"), QStringLiteral("占事ﾏｽﾀｰの設定(&M)"), QStringLiteral("占事マスターを設定します"),
            IconId::Matters, editor, [sen] { sen->exec(); });
    command(main, QStringLiteral("I1"), QStringLiteral("数値の設定(&I)"), QStringLiteral("数値の設定をします"),
            IconId::Numbers, editor, [suu] { suu->exec(); });
    // The explanation pane re-reads its file at each palace; refresh the one shown.
    QObject::connect(setu, &TSetuF::textsSaved, &main, [&main] { main.PnlRead(main.pane()->HouiBox()->currentIndex()); });

    TSrcSF *src = search.search;
    TListF *list = search.list;
    TCaleF *calendar = w.calendar.get();
    TSysF *sys = w.sys.get();
    // The calendar first: CaleItem heads the file menu, CaleBtn the 検索Bar.
    command(main, QStringLiteral("CaleItem"), QStringLiteral("カレンダー表示(&C)"), QStringLiteral("数値カレンダーを表します。"),
            IconId::Calendar, fileCommand(TMainF::FindBar), [&main, &settings, calendar, sys] {
                CaleBtnClick(&main, settings, *calendar);
                // The guard may have checked every double-hour: the settings window follows.
                sys->reload();
            });
    auto runSearch = [src, calendar] {
        if (calendar->isVisible())
            calendar->close();
        src->exec();
    };
    command(main, QStringLiteral("New1"), QStringLiteral("検索一覧表作成(&N)"), QStringLiteral("検索して一覧表を作成します"),
            IconId::Search, fileCommand(TMainF::FindBar), runSearch);
    command(main, QStringLiteral("Open1"), QStringLiteral("検索一覧表を開く(&O)"), QString(), IconId::List,
            fileCommand(std::nullopt), [list, &settings] { list->openFile(settings.searchListOnTop()); });
    command(main, QStringLiteral("ListBtn"), QStringLiteral("検索一覧表"), QStringLiteral("検索一覧表を表示します"),
            IconId::List, Placement{std::nullopt, TMainF::FindBar, nullptr, "New1"}, [list, runSearch, &settings] {
                if (list->hasRows())
                    list->showWindow(settings.searchListOnTop());
                else
                    runSearch();
            });

    // The print preview serves the list and the calendar.
    auto *preview = new TPrevF(settings, &main);
    list->setPreview([preview, list](QTableView *grid) {
        preview->previewGrid(grid, [list] { return list->SenL()->text(); });
    });
    calendar->setPreview([preview, calendar](QTableView *grid) {
        preview->previewGrid(grid, [calendar] { return calendar->SenL()->text(); });
    });
    // The heat map beside the calendar, in the 表示 menu too, printed as a picture.
    THeatF *heat = w.heat.get();
    command(main, QStringLiteral("HeatItem"), QStringLiteral("方位ヒートマップ(&H)"),
            QStringLiteral("方位ごとの数値を日ごと・時ごとの図で表示します"), IconId::HeatMap,
            Placement{TMainF::ViewMenu, TMainF::FindBar, nullptr, "ListBtn"}, [heat] { heat->showHeatMap(); });
    // Each picture carries its own title: the page's line names the window.
    heat->setPreview([preview, heat](std::vector<PrintPicture> pictures) {
        preview->previewPictures(std::move(pictures), [] { return QStringLiteral("方位ヒートマップ"); }, heat);
    });
    // And the chart windows, drawn as on screen.
    TMainF::Hooks hooks = main.hooks();
    hooks.printCharts = [preview](const QList<TBanF *> &charts, QWidget *opener) {
        std::vector<PrintPicture> pictures;
        for (TBanF *chart : charts)
            pictures.push_back({chart->printSize(),
                                [w = QPointer<TBanF>(chart)](QPainter &painter) {
                                    if (w)
                                        w->paintChart(painter);
                                },
                                [w = QPointer<TBanF>(chart)](QPainter &painter) {
                                    if (w)
                                        w->paintChart(painter, false);
                                }});
        // Each chart prints under its own caption; the page's line does not repeat it.
        preview->previewPictures(std::move(pictures), [] { return QStringLiteral("遁甲盤"); }, opener);
    };
    main.setHooks(std::move(hooks));

    auto *bdata = new TBDataF(main, settings, *list, &main);
    command(main, QStringLiteral("BData1"), QStringLiteral("作盤ﾃﾞｰﾀ一覧表作成(&D)"), QStringLiteral("作盤データ一覧表を作成します"),
            IconId::ChartData, fileCommand(TMainF::FindBar), [bdata] { bdata->exec(); });
    auto *quick = new TESrcF(main, settings, &main);
    command(main, QStringLiteral("ESrcBtn"), QStringLiteral("簡易検索"), QStringLiteral("簡易検索して作盤します"),
            IconId::QuickSearch, Placement{std::nullopt, TMainF::FindBar}, [quick] { quick->exec(); });
    command(main, QStringLiteral("CGIBtn"), QStringLiteral("CGI用データ"), QStringLiteral("CGI用データを生成します"),
            IconId::CgiData, Placement{std::nullopt, TMainF::WindowBar, nullptr, "BExpBtn"},
            [&main, &settings] { CGIBtnClick(main, settings, &main); });
    command(main, QStringLiteral("BRItem"), QStringLiteral("ﾊﾞｯｸｱｯﾌﾟ・ﾘｽﾄｱ(&B)"), QStringLiteral("ﾊﾞｯｸｱｯﾌﾟ・ﾘｽﾄｱします"),
            IconId::Backup, fileCommand(TMainF::SystemBar), [&main, &settings] { TBackF::BRBtnClick(settings, &main); });
    auto *notices = new TNoticeF(settings, &main);
    command(main, QStringLiteral("InfItem"), QStringLiteral("お知らせ(&I)"), QStringLiteral("お知らせ"), IconId::Notices,
            fileCommand(TMainF::NetBar), [notices] { notices->exec(); });
    QAction *print = command(main, QStringLiteral("PrnItem"), QStringLiteral("遁甲盤の印刷(&P)..."),
                             QStringLiteral("遁甲盤を印刷します"), IconId::PrintCharts,
                             Placement{TMainF::FileMenu, TMainF::WindowBar, "Exit1", "ClrBtn"}, [&main] {
                                 if (main.hooks().printCharts)
                                     main.hooks().printCharts(main.charts()->tiledCharts(), &main);
                             });
    print->setEnabled(!main.charts()->chartWindows().isEmpty());
    if (QMenu *file = main.menu(TMainF::FileMenu)) {
        // The PDF of all charts stands beside their printing.
        for (const char *name : {"PdfItem", "Pdf4Item"})
            file->insertAction(main.action(QStringLiteral("Exit1")), main.action(QLatin1String(name)));
        file->insertSeparator(main.action(QStringLiteral("Exit1")));
    }
    // The tools menu: its settings entry, a separator and the user's tools.
    new TTools(settings, main.menu(TMainF::ToolMenu), &main);
}

} // namespace

std::unique_ptr<StartWindows> makeStartWindows(TMainF &main, AppSettings &settings)
{
    auto windows = std::make_unique<StartWindows>();
    // Every window the program opens stays within reach on a small screen.
    keepWindowsOnScreen();
    windows->sys = std::make_unique<TSysF>(settings, &main);
    TSysF *sys = windows->sys.get();
    QObject::connect(sys, &TSysF::kcb1Changed, &main, &TMainF::setKCB1);
    QObject::connect(sys, &TSysF::settingsChanged, &main, &TMainF::refreshFromSettings);

    // In the order of the start: fixed positions, about, the solar terms, the notice window.
    windows->teii = std::make_unique<TTeiiF>(main.constData(), settings.store(), &main);
    windows->about = std::make_unique<TAboutBox>(QLatin1String(ApplicationTitle), settings.supportAddress(), &main);
    windows->teii2 = std::make_unique<TTeii2F>(settings.store(), &main);
    windows->message = std::make_unique<TMsgF>(&main);
    TTeiiF *teii = windows->teii.get();
    TTeii2F *teii2 = windows->teii2.get();
    TAboutBox *about = windows->about.get();

    TMainF::Hooks hooks = main.hooks();
    hooks.showTeii = [&main, teii, teii2] {
        const QWidget *charts = main.charts()->mdiArea();
        placeFixedViews(*teii, *teii2, QRect(charts->mapToGlobal(QPoint(0, 0)), charts->size()));
        for (QWidget *w : {static_cast<QWidget *>(teii), static_cast<QWidget *>(teii2)}) {
            w->show();
            w->raise();
        }
    };
    hooks.showAbout = [about] { about->exec(); };
    hooks.showSystemSettings = [sys] { sys->showSettings(); };
    hooks.showGaiji = [&main, &settings] {
        TGaijiF dialog(settings, &main);
        dialog.exec();
    };
    const auto previousClose = hooks.closeStartWindows;
    hooks.closeStartWindows = [sys, teii, teii2, previousClose] {
        if (sys->isVisible())
            sys->close();
        // Each stores its placement as it closes.
        if (teii->isVisible())
            teii->close();
        if (teii2->isVisible())
            teii2->close();
        if (previousClose)
            previousClose();
    };
    main.setHooks(std::move(hooks));

    // The editors, the search dialog and the list window, in the order of the start.
    windows->setu = std::make_unique<TSetuF>(settings, main.constData(), &main);
    windows->suu = std::make_unique<TSuuF>(settings, main.constData(), &main);
    windows->sen = std::make_unique<TSenF>(settings, main.constData(), &main);
    const SearchWindows search = makeSearchWindows(main, settings, &main);
    windows->calendar = std::make_unique<TCaleF>(main, settings);
    windows->calendar->rowCountText = [sys] { return sys->current().calendarRows; };
    windows->heat = std::make_unique<THeatF>(main, settings);
    addMasterDataCommands(main, *windows, search, settings);
    addPlaceCommands(main, *windows, search, settings);
    addJournalCommands(main, settings);
    TMainF::Hooks withCalendar = main.hooks();
    const auto closeOthers = withCalendar.closeStartWindows;
    TCaleF *calendar = windows->calendar.get();
    THeatF *heat = windows->heat.get();
    withCalendar.closeStartWindows = [calendar, heat, closeOthers] {
        // They store their placement as they hide.
        if (calendar->isVisible())
            calendar->close();
        if (heat->isVisible())
            heat->close();
        if (closeOthers)
            closeOthers();
    };
    main.setHooks(std::move(withCalendar));
    return windows;
}

void showStartWindowsAfterMain(StartWindows &windows, TMainF &main, AppSettings &settings)
{
    if (settings.calendarAtStart() && windows.calendar)
        CaleBtnClick(&main, settings, *windows.calendar);
}

} // namespace velm
