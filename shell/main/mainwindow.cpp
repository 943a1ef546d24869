#include "shell/main/mainwindow.h"

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QDateEdit>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

#include "engine/codec.h"
#include "engine/textfile.h"
#include "engine/symbols.h"
#include "shell/charts/chartexport.h"
#include "shell/charts/chartwindow.h"
#include "shell/common/programfiles.h"
#include "shell/common/checkres.h"
#include "shell/common/helpwindow.h"
#include "shell/common/icons.h"
#include "shell/main/mainwindow_entry.h"
#include "shell/main/explanationpane.h"
#include "shell/common/messages.h"
#include "shell/common/savedialog.h"

namespace velm {
namespace {

// Hints keep the two bytes LF CR as their line break; a tool tip shows it as
// a line break, the one-line status bar as a blank.
QString toolTipOf(QString hint)
{
    return hint.replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
}

QString statusTipOf(QString hint)
{
    return hint.replace(QStringLiteral("\n\r"), QStringLiteral(" "));
}

const char *const BarNames[6] = {"FindBar", "EntBar", "SystemBar", "WindowBar", "KoyomiBar", "Netbar"};
const char *const BarCaptions[6] = {"検索Bar", "作盤Bar", "ｼｽﾃﾑBar", "WindowBar", "暦Bar", "NetBar"};
const char *const BarEntryNames[5] = {"FBar", "EBar", "SBar", "WBar", "KBar"};

} // namespace

TMainF::TMainF(AppSettings &settings, QWidget *parent)
    : QMainWindow(parent)
    , m_settings(settings)
{
    setHelpTopic(this, HelpContents);
    setObjectName(QStringLiteral("MainF"));
    setWindowTitle(QLatin1String(ApplicationTitle));
    setWindowIcon(velmIcon(IconId::App));
    setMinimumSize(640, 400);
    setDockNestingEnabled(false);

    savePdfName = [](QWidget *parent) {
        return askSaveFile(parent, QStringLiteral("PDFに書き出す"), {QStringLiteral("PDF (*.pdf)")}, QStringLiteral("pdf"));
    };
    saveFileName = [](QWidget *parent, const QString &caption) {
        return askSaveFile(parent, caption, {QStringLiteral("ﾃｷｽﾄ (*.txt)"), QStringLiteral("すべて (*)")},
                           QStringLiteral("txt"));
    };
    openUrl = [](const QUrl &url) { return QDesktopServices::openUrl(url); };

    m_entry = new EntryPanel(m_settings, this);
    m_charts = new ChartHost(m_settings, m_constData, this);
    // The charts the host lays by itself read the options as the entry does.
    m_charts->options = [this] { return engineOptions(); };
    buildActions();
    buildCentre();
    buildToolBars();
    buildMenus();
    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
    statusBar()->addPermanentWidget(m_entry->boundaryLabel());
    statusBar()->addPermanentWidget(m_entry->calendarLabel());

    connect(m_entry, &EntryPanel::chartsWanted, this, &TMainF::BanBtnClick);
    connect(m_charts, &ChartHost::chartsChanged, this, &TMainF::UpdateMenuItems);
    connect(m_charts, &ChartHost::chartClicked, this, &TMainF::chartClicked);
    connect(m_charts, &ChartHost::palaceClicked, this, &TMainF::palaceClicked);
    connect(m_charts, &ChartHost::printRequested, this, [this](TBanF *w) {
        if (m_hooks.printCharts)
            m_hooks.printCharts({w}, w);
    });

    NowBtnClick();
    DataRead();
    restoreState(m_settings.toolbarState());
    for (QToolBar *bar : m_bars)
        bar->installEventFilter(this);
    updateHookActions();
    UpdateMenuItems();
    FormActivate();
    connect(&m_settings, &AppSettings::changed, this, &TMainF::refreshFromSettings);
}

TMainF::~TMainF() = default;

// --- building --------------------------------------------------------------------

QAction *TMainF::makeAction(const QString &name, const QString &caption, const QString &hint)
{
    auto *a = new QAction(caption, this);
    a->setObjectName(name);
    if (!hint.isEmpty()) {
        a->setToolTip(toolTipOf(hint));
        a->setStatusTip(statusTipOf(hint));
    }
    return a;
}

QAction *TMainF::action(const QString &name) const
{
    return findChild<QAction *>(name);
}

void TMainF::buildActions()
{
    // Menu entries.
    connect(makeAction(QStringLiteral("Exit1"), QStringLiteral("終了(&X)"), {}), &QAction::triggered, this, &QWidget::close);
    connect(makeAction(QStringLiteral("PdfItem"), QStringLiteral("全ての遁甲盤をPDFに書き出す(&P)…"),
                       QStringLiteral("開いている遁甲盤を1ページに1盤ずつPDFに書き出します")),
            &QAction::triggered, this, [this] { exportChartsPdf(false); });
    connect(makeAction(QStringLiteral("Pdf4Item"), QStringLiteral("全ての遁甲盤をPDFに書き出す・4盤ずつ(&4)…"),
                       QStringLiteral("開いている遁甲盤を1ページに4盤ずつPDFに書き出します")),
            &QAction::triggered, this, [this] { exportChartsPdf(true); });
    connect(makeAction(QStringLiteral("SysItem"), QStringLiteral("ｼｽﾃﾑ設定(&S)"), {}), &QAction::triggered, this, &TMainF::SysBtnClick);
    connect(makeAction(QStringLiteral("Gaiji1"), QStringLiteral("特殊文字の設定(&G)"), {}), &QAction::triggered, this, [this] {
        if (m_hooks.showGaiji)
            m_hooks.showGaiji();
    });
    m_stsBar = makeAction(QStringLiteral("StsBar"), QStringLiteral("ｽﾃｰﾀｽﾊﾞｰ(&S)"), {});
    m_stsBar->setCheckable(true);
    connect(m_stsBar, &QAction::toggled, this, [this](bool on) { statusBar()->setVisible(on); });
    const auto showTeii = [this] {
        if (m_hooks.showTeii)
            m_hooks.showTeii();
    };
    connect(makeAction(QStringLiteral("TeiiItem"), QStringLiteral("定位の一覧(&P)"), {}), &QAction::triggered, this, showTeii);
    connect(makeAction(QStringLiteral("Clr1"), QStringLiteral("遁甲盤を全て閉じる(&N)"), {}), &QAction::triggered, this, &TMainF::Clr1Click);
    connect(makeAction(QStringLiteral("Tile1"), QStringLiteral("並べて表示(&T)"), {}), &QAction::triggered, m_charts, &ChartHost::tile);
    connect(makeAction(QStringLiteral("Cascade1"), QStringLiteral("重ねて表示(&C)"), {}), &QAction::triggered, m_charts, &ChartHost::cascade);
    connect(makeAction(QStringLiteral("ArrangeAll1"), QStringLiteral("ｱｲｺﾝの整列(&A)"), {}), &QAction::triggered, m_charts, &ChartHost::arrangeIcons);
    connect(makeAction(QStringLiteral("Contents1"), QStringLiteral("目次(&C)"), {}), &QAction::triggered, this, &TMainF::HelpBtnClick);
    connect(makeAction(QStringLiteral("WebItem"), QStringLiteral("ｻﾎﾟｰﾄﾍﾟｰｼﾞへ(&W)"), {}), &QAction::triggered, this, &TMainF::URLBtnClick);
    connect(makeAction(QStringLiteral("About1"), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(&A)..."), {}), &QAction::triggered, this, [this] {
        if (m_hooks.showAbout)
            m_hooks.showAbout();
    });

    // Toolbar buttons.
    auto button = [this](const char *name, const QString &hint, IconId icon) {
        QAction *a = makeAction(QLatin1String(name), hint, hint);
        a->setIcon(velmIcon(icon));
        return a;
    };
    connect(button("BanBtn", QStringLiteral("遁甲盤を作成します"), IconId::MakeCharts), &QAction::triggered, this, &TMainF::BanBtnClick);
    QAction *prev = makeAction(QStringLiteral("PBanBtn"), QStringLiteral("<"), QStringLiteral("前の遁甲盤を作成します"));
    connect(prev, &QAction::triggered, this, &TMainF::PBanBtnClick);
    QAction *next = makeAction(QStringLiteral("NBanBtn"), QStringLiteral(">"), QStringLiteral("次の遁甲盤を作成します"));
    connect(next, &QAction::triggered, this, &TMainF::NBanBtnClick);
    connect(button("NowBtn", QStringLiteral("現在の日付をセットします"), IconId::Now), &QAction::triggered, this, &TMainF::NowBtnClick);
    connect(button("BExpBtn", QStringLiteral("遁甲盤の内容をﾃｷｽﾄに出力します"), IconId::ExportCharts), &QAction::triggered, this, &TMainF::BExpBtnClick);
    connect(button("ClrBtn", QStringLiteral("遁甲盤を全て閉じます"), IconId::CloseAll), &QAction::triggered, this, &TMainF::Clr1Click);
    connect(button("TileBtn", QStringLiteral("並べて表示します"), IconId::Tile), &QAction::triggered, m_charts, &ChartHost::tile);
    connect(button("CasBtn", QStringLiteral("重ねて表示します"), IconId::Cascade), &QAction::triggered, m_charts, &ChartHost::cascade);
    QAction *teii = makeAction(QStringLiteral("TeiiBtn"), QStringLiteral("定"), QStringLiteral("定位一覧を表示します"));
    connect(teii, &QAction::triggered, this, showTeii);
    connect(button("HelpBtn", QStringLiteral("ヘルプを起動します"), IconId::Help), &QAction::triggered, this, &TMainF::HelpBtnClick);
    connect(button("SysBtn", QStringLiteral("システムの設定をします"), IconId::System), &QAction::triggered, this, &TMainF::SysBtnClick);
    connect(button("URLBtn", QStringLiteral("ｻﾎﾟｰﾄﾎｰﾑﾍﾟｰｼﾞへ接続します"), IconId::Web), &QAction::triggered, this, &TMainF::URLBtnClick);
}

void TMainF::buildMenus()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MnuBar"));
    const char *const captions[7] = {"ﾌｧｲﾙ(&F)", "編集(&E)", "設定(&S)", "表示(&V)", "ｳｨﾝﾄﾞｳ(&W)", "ﾂｰﾙ(&T)", "ﾍﾙﾌﾟ(&H)"};
    const char *const names[7] = {"File1", "Edit1", "Setting1", "View1", "Window1", "T1", "Help1"};
    for (int i = 0; i < 7; ++i) {
        m_menus[i] = bar->addMenu(QString::fromUtf8(captions[i]));
        m_menus[i]->setObjectName(QLatin1String(names[i]));
    }
    m_menus[FileMenu]->addAction(action(QStringLiteral("PdfItem")));
    m_menus[FileMenu]->addAction(action(QStringLiteral("Pdf4Item")));
    m_menus[FileMenu]->addAction(action(QStringLiteral("Exit1")));
    m_menus[SettingsMenu]->addAction(action(QStringLiteral("SysItem")));
    m_menus[SettingsMenu]->addAction(action(QStringLiteral("Gaiji1")));

    m_barMenu = m_menus[ViewMenu]->addMenu(QStringLiteral("ﾂｰﾙﾊﾞｰ(&T)"));
    m_barMenu->setObjectName(QStringLiteral("TBar1"));
    for (int i = 0; i < 5; ++i) {
        QToolBar *tb = m_bars[i];
        QAction *entry = makeAction(QLatin1String(BarEntryNames[i]), QString::fromUtf8(BarCaptions[i]), {});
        entry->setCheckable(true);
        entry->setChecked(true);
        // BarDisp: the entry and its toolbar share the tag of their position.
        entry->setData(i + 1);
        tb->setProperty("tag", i + 1);
        connect(entry, &QAction::triggered, tb, &QToolBar::setVisible);
        connect(tb, &QToolBar::visibilityChanged, entry, &QAction::setChecked);
        m_barMenu->addAction(entry);
        m_barEntries[i] = entry;
    }
    m_barEntries[FindBar]->setEnabled(!m_bars[FindBar]->actions().isEmpty());
    m_menus[ViewMenu]->addAction(m_stsBar);
    m_menus[ViewMenu]->addSeparator();
    m_menus[ViewMenu]->addAction(action(QStringLiteral("TeiiItem")));

    QMenu *w = m_menus[WindowMenu];
    w->addAction(action(QStringLiteral("Clr1")));
    w->addSeparator();
    w->addAction(action(QStringLiteral("Tile1")));
    w->addAction(action(QStringLiteral("Cascade1")));
    w->addAction(action(QStringLiteral("ArrangeAll1")));
    connect(w, &QMenu::aboutToShow, this, [this, w] { m_charts->listWindows(w); });

    m_menus[HelpMenu]->addAction(action(QStringLiteral("Contents1")));
    m_menus[HelpMenu]->addAction(action(QStringLiteral("WebItem")));
    m_menus[HelpMenu]->addSeparator();
    m_menus[HelpMenu]->addAction(action(QStringLiteral("About1")));

    // A menu shows once it has entries (the editors and tools add theirs later).
    for (QMenu *m : m_menus) {
        m->menuAction()->setVisible(!m->actions().isEmpty());
        m->installEventFilter(this);
    }
}

void TMainF::buildToolBars()
{
    for (int i = 0; i < 6; ++i) {
        auto *tb = new QToolBar(QString::fromUtf8(BarCaptions[i]), this);
        tb->setObjectName(QLatin1String(BarNames[i]));
        tb->setIconSize(QSize(20, 20));
        tb->setToolButtonStyle(Qt::ToolButtonIconOnly);
        m_bars[i] = tb;
    }
    // The entry bar holds the moment: it stays docked.
    m_bars[EntBar]->setFloatable(false);

    m_bars[EntBar]->addAction(action(QStringLiteral("PBanBtn")));
    m_bars[EntBar]->addAction(action(QStringLiteral("BanBtn")));
    m_bars[EntBar]->addAction(action(QStringLiteral("NBanBtn")));
    m_bars[EntBar]->addSeparator();
    m_bars[EntBar]->addWidget(m_entry->dateField());
    m_bars[EntBar]->addWidget(m_entry->timeField());
    m_bars[EntBar]->addWidget(m_entry->spinButton());
    m_bars[EntBar]->addAction(action(QStringLiteral("NowBtn")));

    m_bars[SystemBar]->addWidget(m_entry->kindsBox());
    m_bars[SystemBar]->addWidget(m_entry->designationBox());
    m_bars[SystemBar]->addSeparator();
    m_bars[SystemBar]->addAction(action(QStringLiteral("SysBtn")));
    connect(m_bars[SystemBar], &QToolBar::orientationChanged, m_entry, &EntryPanel::arrange);

    for (const char *name : {"BExpBtn", "ClrBtn", "TileBtn", "CasBtn", "TeiiBtn", "HelpBtn"})
        m_bars[WindowBar]->addAction(action(QLatin1String(name)));
    m_bars[NetBar]->addAction(action(QStringLiteral("URLBtn")));
    m_bars[KoyomiBar]->addWidget(m_entry->summaryLabel());

    addToolBar(Qt::TopToolBarArea, m_bars[FindBar]);
    addToolBar(Qt::TopToolBarArea, m_bars[EntBar]);
    addToolBar(Qt::TopToolBarArea, m_bars[WindowBar]);
    addToolBar(Qt::LeftToolBarArea, m_bars[SystemBar]);
    addToolBar(Qt::LeftToolBarArea, m_bars[NetBar]);
    addToolBar(Qt::BottomToolBarArea, m_bars[KoyomiBar]);
    m_entry->arrange(m_bars[SystemBar]->orientation());
    // The search bar gets its buttons with the search windows.
    m_bars[FindBar]->setVisible(!m_bars[FindBar]->actions().isEmpty());
}

void TMainF::buildCentre()
{
    m_pane = new ImiPnl(this);
    connect(m_pane, &ImiPnl::houiChanged, this, [this](int pos) {
        // HouiBoxChange: only while a chart can be described.
        if (!m_charts->chartWindows().isEmpty())
            PnlRead(pos);
    });
    connect(m_pane, &ImiPnl::exportRequested, this, &TMainF::ExpBtnClick);

    m_split = new QSplitter(Qt::Horizontal, this);
    m_split->setObjectName(QStringLiteral("Splitter1"));
    m_split->setChildrenCollapsible(false);
    m_split->addWidget(m_charts->mdiArea());
    m_split->addWidget(m_pane);
    m_split->setStretchFactor(0, 1);
    m_split->setStretchFactor(1, 0);
    setCentralWidget(m_split);
}

QToolBar *TMainF::toolBar(Bar bar) const
{
    return m_bars[bar];
}

QMenu *TMainF::menu(Menu m) const
{
    return m_menus[m];
}

void TMainF::setHooks(Hooks hooks)
{
    m_hooks = std::move(hooks);
    updateHookActions();
}

void TMainF::updateHookActions()
{
    const bool sys = static_cast<bool>(m_hooks.showSystemSettings);
    action(QStringLiteral("SysItem"))->setEnabled(sys);
    action(QStringLiteral("SysBtn"))->setEnabled(sys);
    action(QStringLiteral("Gaiji1"))->setEnabled(static_cast<bool>(m_hooks.showGaiji));
    action(QStringLiteral("TeiiItem"))->setEnabled(static_cast<bool>(m_hooks.showTeii));
    action(QStringLiteral("TeiiBtn"))->setEnabled(static_cast<bool>(m_hooks.showTeii));
    action(QStringLiteral("About1"))->setEnabled(static_cast<bool>(m_hooks.showAbout));
}

QMenu *TMainF::createPopupMenu()
{
    // The toolbars' own menu offers what "ﾂｰﾙﾊﾞｰ(&T)" offers: the network bar
    // has no entry and so cannot be closed, as it has no close button.
    auto *menu = new QMenu(this);
    menu->addActions(m_barMenu->actions());
    return menu;
}

bool TMainF::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ActionAdded || event->type() == QEvent::ActionRemoved) {
        if (auto *m = qobject_cast<QMenu *>(watched))
            m->menuAction()->setVisible(!m->actions().isEmpty());
        if (watched == m_bars[FindBar] && event->type() == QEvent::ActionAdded && m_barEntries[FindBar])
            m_barEntries[FindBar]->setEnabled(true);
    }
    return QMainWindow::eventFilter(watched, event);
}

// --- settings -----------------------------------------------------------------------

void TMainF::DataRead()
{
    std::array<std::string, 3> codes;
    for (int n = 1; n <= 3; ++n)
        codes[static_cast<std::size_t>(n - 1)] = m_settings.specialCharacter(n).toStdString();
    m_constData = MakeConstData(codes);
    for (const std::string &message : m_constData.messages)
        ui::showWarning(nullptr, QString::fromStdString(message));

    m_entry->setKCB1(m_settings.hourStarFollowsDun());
    m_stsBar->setChecked(m_settings.statusBarShown());
    statusBar()->setVisible(m_settings.statusBarShown());
    m_entry->readSettings();
    m_pane->Memo1()->setFont(m_settings.memoFont().font());
    m_split->setSizes({std::max(200, width() - m_settings.explanationPaneWidth()), std::max(185, m_settings.explanationPaneWidth())});
    m_pane->setKyuPnlHeight(m_settings.palacePanelHeight());
    applyColourRule();
}

void TMainF::DataSave()
{
    m_entry->saveSettings();
    m_settings.setExplanationPaneWidth(m_pane->width());
    m_settings.setPalacePanelHeight(m_pane->kyuPnlHeight());
    m_settings.setStatusBarShown(m_stsBar->isChecked());
    FontRecord fl = m_settings.memoFont();
    m_settings.setMemoFont(fl);
}

void TMainF::writeLayout()
{
    MainPlacement p;
    p.stored = true;
    p.maximized = isMaximized() || isMinimized();
    p.bounds = normalGeometry();
    m_settings.setMainPlacement(p);
    m_settings.setToolbarState(saveState());
}

void TMainF::showAtStart()
{
    const bool firstStart = !m_settings.layoutFileExists();
    const MainPlacement placement = m_settings.mainPlacement();
    if (placement.stored && placement.bounds.isValid()) {
        QRect bounds = placement.bounds;
        // A place off every screen (a monitor since removed) falls back to the default.
        bool onScreen = false;
        for (QScreen *screen : QGuiApplication::screens())
            onScreen = onScreen || screen->availableGeometry().contains(bounds.topLeft());
        if (!onScreen && QGuiApplication::primaryScreen())
            bounds.moveTopLeft(QGuiApplication::primaryScreen()->availableGeometry().topLeft() + QPoint(40, 40));
        resize(bounds.size().expandedTo(minimumSize()));
        move(bounds.topLeft());
    }
    if (!firstStart && placement.maximized)
        showMaximized();
    else
        show();
    if (firstStart)
        placeForFourCharts();
    m_split->setSizes({std::max(200, m_split->width() - m_settings.explanationPaneWidth()), std::max(185, m_settings.explanationPaneWidth())});
    m_pane->setKyuPnlHeight(m_settings.palacePanelHeight());
    applyFonts();
    fitToolBarRows();
    // FormShow: now again, this time with the user's offset of "now".
    NowBtnClick();
}

void TMainF::fitToolBarRows()
{
    for (Qt::ToolBarArea area : {Qt::TopToolBarArea, Qt::BottomToolBarArea, Qt::LeftToolBarArea, Qt::RightToolBarArea}) {
        const bool across = area == Qt::TopToolBarArea || area == Qt::BottomToolBarArea;
        QList<QToolBar *> bars;
        for (QToolBar *b : m_bars)
            if (b && b->isVisible() && !b->isFloating() && toolBarArea(b) == area)
                bars << b;
        // In the order they stand: row by row, then along the row.
        std::sort(bars.begin(), bars.end(), [across](const QToolBar *a, const QToolBar *b) {
            const QPoint p = a->geometry().topLeft();
            const QPoint q = b->geometry().topLeft();
            return across ? std::pair(p.y(), p.x()) < std::pair(q.y(), q.x()) : std::pair(p.x(), p.y()) < std::pair(q.x(), q.y());
        });
        // Rows across span the window; columns stand beside the chart area.
        const int length = across ? width() : centralWidget()->height();
        int used = 0;
        int row = -1;
        for (QToolBar *b : bars) {
            const int at = across ? b->geometry().y() : b->geometry().x();
            if (at != row) {
                row = at;
                used = 0;
            }
            const int wanted = across ? b->sizeHint().width() : b->sizeHint().height();
            if (used > 0 && used + wanted > length) {
                insertToolBarBreak(b);
                used = 0;
            }
            used += wanted;
        }
    }
}

void TMainF::placeForFourCharts()
{
    QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    // A chart window of this moment with the user's fonts gives the size the
    // tiled charts need; its scores do not change its size.
    BanDisplay display;
    display.banFont = m_settings.chartFont().name;
    display.banFontSize = m_settings.chartFont().size;
    display.sysFont = m_settings.baseFont().name;
    TBanF sample(layChart(m_entry->koyomi(), KindHour, engineOptions().method, nullptr, &m_constData), QString(), CivilTime{},
                 display);
    if (QLayout *l = sample.layout())
        l->activate();
    const QSize chart = sample.sizeHint().expandedTo(sample.minimumSizeHint());
    const QStyle *style = m_charts->mdiArea()->style();
    const int frame = style->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth);
    const int titleBar = style->pixelMetric(QStyle::PM_TitleBarHeight);
    const QSize tiled(2 * (chart.width() + 2 * frame), 2 * (chart.height() + titleBar + frame));
    // Everything around the chart area (menus, tool bars, the entry, the
    // status bar, the window frame) as it stands now that the window is shown.
    const QSize around = frameGeometry().size() - m_charts->mdiArea()->viewport()->size();
    const int pane = std::max(185, m_settings.explanationPaneWidth()) + m_split->handleWidth();
    QSize wanted(tiled.width() + pane + around.width(), tiled.height() + around.height());
    wanted = wanted.boundedTo(available.size());
    const QSize frameExtra = frameGeometry().size() - size();
    resize(wanted - frameExtra);
    QRect placed(QPoint(0, 0), wanted);
    placed.moveCenter(available.center());
    move(placed.topLeft());
}

void TMainF::closeEvent(QCloseEvent *event)
{
    if (m_hooks.closeStartWindows)
        m_hooks.closeStartWindows();
    DataSave();
    writeLayout();
    const QString error = m_settings.sync();
    if (!error.isEmpty())
        ui::showError(this, error);
    event->accept();
}

void TMainF::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
    QMainWindow::changeEvent(event);
}

QString TMainF::summary() const
{
    return settingsSummary(m_settings);
}

void TMainF::FormActivate()
{
    CheckRes(ResAtActivation, this); // a warning only
    const QString s = summary();
    const QString hint = QStringLiteral("システムの設定をします") + QStringLiteral("\n\r") + s;
    QAction *sys = action(QStringLiteral("SysBtn"));
    sys->setToolTip(toolTipOf(hint));
    sys->setStatusTip(statusTipOf(hint));
    QString caption = QLatin1String(ApplicationTitle);
    if (m_settings.summaryInTitle())
        caption += s;
    setWindowTitle(caption);
}

void TMainF::refreshFromSettings()
{
    m_stsBar->setChecked(m_settings.statusBarShown());
    FormActivate();
    applyFonts();
    applyColourRule();
}

void TMainF::applyColourRule()
{
    m_pane->setColourRule(
        [this](const QString &number) { return PColor(number, pcolorSettings(m_settings)); },
        [](const QColor &background) { return FColor(background); });
}

void TMainF::applyFonts()
{
    const FontSetting basic = m_settings.baseFont();
    const FontSetting setu = m_settings.explanationFont();
    QFont memo(setu.name);
    if (setu.size > 0)
        memo.setPointSize(setu.size);
    m_pane->applyFonts(basic.name, memo);
    m_entry->applyFontFamily(basic.name);
}

// --- commands -------------------------------------------------------------------------

void TMainF::UpdateMenuItems()
{
    const bool any = !m_charts->chartWindows().isEmpty();
    for (const char *name : {"ClrBtn", "TileBtn", "CasBtn", "BExpBtn", "Clr1", "Tile1", "Cascade1", "ArrangeAll1",
                             "PdfItem", "Pdf4Item"})
        action(QLatin1String(name))->setEnabled(any);
    if (QAction *print = action(QStringLiteral("PrnItem")))
        print->setEnabled(any);
}

void TMainF::SysBtnClick()
{
    if (!m_hooks.showSystemSettings)
        return;
    // Options change how charts are laid and coloured: no chart may outlive them.
    Clr1Click();
    m_hooks.showSystemSettings();
}

void TMainF::HelpBtnClick()
{
    showHelp(HelpContents);
}

void TMainF::URLBtnClick()
{
    const QString address = m_settings.supportAddress();
    if (!openUrl || !openUrl(QUrl(address)))
        ui::showError(this, QStringLiteral("『%1』を開けません。").arg(address));
}

void TMainF::exportChartsPdf(bool fourPerSheet)
{
    const QList<TBanF *> charts = m_charts->tiledCharts();
    if (charts.isEmpty())
        return;
    QString path = savePdfName ? savePdfName(this) : QString();
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".pdf");
    const QString error = saveChartsPdf(charts, path, fourPerSheet);
    if (!error.isEmpty())
        ui::showError(this, error);
    else
        ui::showSaved(this, path);
}

bool TMainF::writeTextLines(const QStringList &lines)
{
    const QString path = saveFileName ? saveFileName(this, QStringLiteral("名前を付けて保存")) : QString();
    if (path.isEmpty())
        return false;
    std::string bytes;
    for (const QString &line : lines) {
        const CodecResult encoded = encodeCp932(line.toStdString());
        if (!encoded.ok) {
            ui::showError(this, QStringLiteral("Shift-JIS で書けない文字があるため、『%1』に出力できません。\n%2")
                                    .arg(path, line));
            return false;
        }
        bytes += encoded.text;
        bytes += "\r\n";
    }
    const std::string error = writeBytesAtomic(path.toStdString(), bytes);
    if (!error.empty()) {
        ui::showError(this, QString::fromStdString(error));
        return false;
    }
    return true;
}

void TMainF::ExpBtnClick()
{
    writeTextLines(m_pane->exportLines());
}

} // namespace velm
