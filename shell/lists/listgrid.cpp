#include "shell/lists/listgrid.h"

#include <algorithm>

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QItemSelectionModel>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>

#include "evaluation/numbers.h"
#include "output/ics.h"
#include "shell/common/programfiles.h"
#include "shell/common/strings.h"
#include "shell/settings/appsettings.h"
#include "shell/common/messages.h"
#include "shell/common/savedialog.h"

namespace velm {

ListHeading makeListHeading(QWidget *parent)
{
    ListHeading heading;
    heading.senL = new QLabel(parent);
    heading.senL->setObjectName(QStringLiteral("SenL"));
    heading.senL->setAutoFillBackground(true);
    QPalette yellow = heading.senL->palette();
    yellow.setColor(QPalette::Window, Qt::yellow);
    yellow.setColor(QPalette::WindowText, Qt::black);
    heading.senL->setPalette(yellow);
    heading.cntL = new QLabel(parent);
    heading.cntL->setObjectName(QStringLiteral("CntL"));
    heading.cntL->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return heading;
}

QPushButton *makeExportButton(QWidget *parent)
{
    return makeToolButton(parent, "ExpBtn", QStringLiteral("出力"), QStringLiteral("一覧をファイルに出力します"));
}

QPushButton *makePreviewButton(QWidget *parent)
{
    return makeToolButton(parent, "PrevBtn", QStringLiteral("印刷ﾌﾟﾚﾋﾞｭｰ"),
                          QStringLiteral("印刷ﾌﾟﾚﾋﾞｭｰを表示します"));
}

void setUpListGrid(QTableView *grid)
{
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Several rows (Ctrl or Shift with a click) go to a calendar file together.
    grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setHighlightSections(false);
    grid->horizontalHeader()->setMinimumSectionSize(0);
    grid->viewport()->setCursor(Qt::PointingHandCursor);
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
}

QMenu *makeRowMenu(QWidget *parent, std::function<void()> onBan, std::function<void()> onDelete)
{
    auto *menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("PopupMenu1"));
    QAction *banItem = menu->addAction(QStringLiteral("遁甲盤の作盤"));
    banItem->setObjectName(QStringLiteral("BanItem"));
    QAction *delItem = menu->addAction(QStringLiteral("行削除"));
    delItem->setObjectName(QStringLiteral("DelItem"));
    QObject::connect(banItem, &QAction::triggered, parent, std::move(onBan));
    QObject::connect(delItem, &QAction::triggered, parent, std::move(onDelete));
    return menu;
}

QPushButton *makeIcsButton(QWidget *parent)
{
    return makeToolButton(parent, "IcsBtn", QStringLiteral("予定表に書き出す (.ics)"),
                          QStringLiteral("選択した行 (選択がなければ全ての行) を予定表のファイルに書き出します"));
}

QString chooseIcsSaveFile(QWidget *parent)
{
    return askSaveFile(parent, {}, {QStringLiteral("予定表 (*.ics)"), QStringLiteral("すべて (*)")}, QStringLiteral("ics"));
}

std::vector<int> icsRowsOf(const QTableView *grid, int rowCount)
{
    std::vector<int> rows;
    if (const QItemSelectionModel *selection = grid->selectionModel())
        for (const QModelIndex &index : selection->selectedRows())
            if (index.row() < rowCount)
                rows.push_back(index.row());
    if (rows.size() < 2) {
        rows.clear();
        for (int r = 0; r < rowCount; ++r)
            rows.push_back(r);
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

QString writeIcsRows(const QString &path, const std::vector<ListRow> &rows, const EngineOptions &engine,
                     const QString &title)
{
    const NumbersFile numbers = readNumbersFile(programFile(NumbersFileName).toStdString());
    if (!numbers.ok())
        return qs(numbers.error);
    IcsOptions options;
    options.koyomi = engine.koyomi;
    options.method = engine.method;
    options.title = title.trimmed().toStdString();
    const std::vector<IcsEvent> events = icsEvents(rows, options, numbers.tables);
    const Instant now = QDateTime::currentSecsSinceEpoch();
    return qs(writeIcsFile(QFile::encodeName(path).toStdString(), events, options, now));
}

QString chooseCsvSaveFile(QWidget *parent)
{
    return askSaveFile(parent, {}, {QStringLiteral("Csv (*.csv)"), QStringLiteral("すべて (*)")}, QStringLiteral("csv"));
}

double gridFontScale(const QTableView *grid)
{
    return std::max(1.0, grid->fontMetrics().horizontalAdvance(QStringLiteral("国")) / 12.0);
}

int gridWindowWidth(const QTableView *grid, const QLayout *layout, int columnsWidth, int slack)
{
    const QMargins margins = layout->contentsMargins();
    return columnsWidth + grid->verticalScrollBar()->sizeHint().width() + 2 * grid->frameWidth() + margins.left()
           + margins.right() + slack;
}

namespace {

// A window without a stored place would open where the window manager puts
// it, often over the main window's menu and toolbars: the first time it is
// shown it stands at the top left of the main window's chart area instead.
const char *const Unplaced = "velmUnplaced";

void placeBelowToolbars(QWidget *window)
{
    if (!window->property(Unplaced).toBool())
        return;
    window->setProperty(Unplaced, false);
    // The list and the calendar are windows of their own, without a parent.
    const QMainWindow *main = window->parentWidget() ? qobject_cast<QMainWindow *>(window->parentWidget()->window())
                                                     : nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (!main && w->isVisible())
            main = qobject_cast<QMainWindow *>(w);
    if (!main || !main->centralWidget())
        return;
    constexpr int Offset = 8;
    window->move(main->centralWidget()->mapToGlobal(QPoint(Offset, Offset)));
}

} // namespace

void restorePlacement(QWidget *window, const AppSettings &settings, const QString &key)
{
    const QByteArray placement = settings.windowPlacement(key);
    if (!placement.isEmpty())
        window->restoreGeometry(placement);
    window->setProperty(Unplaced, placement.isEmpty());
}

void showRaised(QWidget *window, bool onTop)
{
    placeBelowToolbars(window);
    if (onTop != window->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
        // Changing the flag hides the window; it is shown again below.
        window->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    }
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

std::optional<RowMoment> chartOfRow(QWidget *parent, const ListRow &row,
                                    const std::function<bool(int kind)> &kindChecked)
{
    RowMoment at = rowMoment(row);
    if (at.kind < 0 || at.kind > 3)
        return std::nullopt;
    if (!at.ok()) {
        ui::showError(parent, QString::fromStdString(at.error));
        return std::nullopt;
    }
    // Declining leaves the main window's choice alone and makes nothing: the
    // row's own chart could not be made without its kind.
    if (kindChecked && !kindChecked(at.kind)
        && !ui::askYesNo(parent, QString::fromStdString(uncheckedKindQuestion(row[ListCol::Kind]))))
        return std::nullopt;
    return at;
}

} // namespace velm
