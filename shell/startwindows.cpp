#include "shell/startwindows.h"

#include "shell/app.h"
#include "shell/appsettings.h"
#include "shell/fixedviews.h"
#include "shell/gaiji.h"
#include "shell/icons.h"
#include "shell/listf.h"
#include "shell/mainwindow_imipnl.h"
#include "shell/senf.h"
#include "shell/setuf.h"
#include "shell/srcsf.h"
#include "shell/suuf.h"
#include "shell/mainwindow.h"
#include "shell/syssettings.h"
#include "shell/titlewindows.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QToolBar>

namespace velm {

StartWindows::~StartWindows() = default;

namespace {

QAction *command(TMainF &main, const QString &name, const QString &caption, const QString &hint,
                 IconId icon, TMainF::Menu menu, TMainF::Bar bar, std::function<void()> run)
{
    auto *action = new QAction(velmIcon(icon), caption, &main);
    action->setObjectName(name);
    action->setToolTip(hint.isEmpty() ? caption : hint);
    action->setStatusTip(hint);
    QObject::connect(action, &QAction::triggered, &main, std::move(run));
    if (QMenu *m = main.menu(menu))
        m->addAction(action);
    if (!hint.isEmpty())
        if (QToolBar *b = main.toolBar(bar))
            b->addAction(action);
    return action;
}

void addMasterDataCommands(TMainF &main, StartWindows &w, const SearchWindows &search, AppSettings &settings)
{
    TSetuF *setu = w.setu.get();
    TSuuF *suu = w.suu.get();
    TSenF *sen = w.sen.get();
    command(main, QStringLiteral("SetuItem"), QStringLiteral("説明文の編集(&E)"), QStringLiteral("説明文の編集をします"),
            IconId::Explanations, TMainF::SettingsMenu, TMainF::SystemBar, [setu] { setu->SetuItemClick(); });
    command(main, QStringLiteral("I1"), QStringLiteral("数値の設定(&I)"), QStringLiteral("数値の設定をします"),
            IconId::Numbers, TMainF::SettingsMenu, TMainF::SystemBar, [suu] { suu->exec(); });
    command(main, QStringLiteral("SenItem"), QStringLiteral("占事ﾏｽﾀｰの設定(&M)"), QStringLiteral("占事マスターを設定します"),
            IconId::Matters, TMainF::SettingsMenu, TMainF::SystemBar, [sen] { sen->exec(); });
    // The explanation pane re-reads its file at each palace; refresh the one shown.
    QObject::connect(setu, &TSetuF::textsSaved, &main, [&main] { main.PnlRead(main.pane()->HouiBox()->currentIndex()); });

    TSrcSF *src = search.search;
    TListF *list = search.list;
    auto runSearch = [src] { src->exec(); };
    command(main, QStringLiteral("New1"), QStringLiteral("検索一覧表作成(&N)"), QStringLiteral("検索して一覧表を作成します"),
            IconId::Search, TMainF::FileMenu, TMainF::FindBar, runSearch);
    command(main, QStringLiteral("Open1"), QStringLiteral("検索一覧表を開く(&O)"), QString(), IconId::List,
            TMainF::FileMenu, TMainF::FindBar, [list, &settings] {
                list->showWindow(settings.CB(1));
                list->OpenBtnClick();
            });
    command(main, QStringLiteral("ListBtn"), QStringLiteral("検索一覧表"), QStringLiteral("検索一覧表を表示します"),
            IconId::List, TMainF::ViewMenu, TMainF::FindBar, [list, src, &settings] {
                if (list->hasRows())
                    list->showWindow(settings.CB(1));
                else
                    src->exec();
            });
}

} // namespace

std::unique_ptr<StartWindows> makeStartWindows(TMainF &main, AppSettings &settings)
{
    auto windows = std::make_unique<StartWindows>();
    windows->sys = std::make_unique<TSysF>(settings, &main);
    TSysF *sys = windows->sys.get();
    QObject::connect(sys, &TSysF::kcb1Changed, &main, &TMainF::setKCB1);
    QObject::connect(sys, &TSysF::settingsChanged, &main, &TMainF::refreshFromSettings);

    // In the order of the start: fixed positions, about, the solar terms, the notice window.
    windows->teii = std::make_unique<TTeiiF>(main.constData(), settings.store(), &main);
    windows->about = std::make_unique<TAboutBox>(QLatin1String(ApplicationTitle), settings.SetURL(), &main);
    windows->teii2 = std::make_unique<TTeii2F>(settings.store(), &main);
    windows->message = std::make_unique<TMsgF>(&main);
    TTeiiF *teii = windows->teii.get();
    TTeii2F *teii2 = windows->teii2.get();
    TAboutBox *about = windows->about.get();

    TMainF::Hooks hooks = main.hooks();
    hooks.showTeii = [teii, teii2] {
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
    const SearchWindows search = makeSearchWindows(main);
    addMasterDataCommands(main, *windows, search, settings);
    return windows;
}

} // namespace velm
