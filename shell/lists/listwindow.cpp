#include "shell/lists/listwindow.h"

#include <algorithm>
#include <cmath>
#include <string_view>
#include <unordered_set>
#include <utility>

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QFontMetrics>
#include <QStyle>
#include <QTimer>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QShowEvent>
#include <QTableView>
#include <QVBoxLayout>

#include <utility>

#include "shell/common/helpwindow.h"
#include "shell/lists/listgrid.h"
#include "shell/common/messages.h"
#include "shell/common/strings.h"
#include "shell/tools/systemsettings.h"

namespace velm {

namespace {

const QString PlacementKey = QStringLiteral("ListF");
// The chart-data list's column of the chart's flags (旬首中宮, 五不遇時, ...).
constexpr int ChartDataFlagColumn = 11;

} // namespace

// --- the model -------------------------------------------------------------------------------

void ListTableModel::setList(ListModel list, int shown, ListRowSource source)
{
    beginResetModel();
    m_list = std::move(list);
    if (m_list.rows.empty())
        m_list.rows.emplace_back();
    m_source = source.make && source.count > 0 ? std::move(source) : ListRowSource{};
    m_sourceNext = 0;
    m_list.rows.reserve(m_list.rows.size() + m_source.count);
    makeRows(shown);
    m_shown = std::clamp(shown, 0, m_list.dataRowCount());
    endResetModel();
}

void ListTableModel::makeRows(int rows)
{
    const int wanted = std::min(rows, m_list.dataRowCount() + pendingRows()) - m_list.dataRowCount();
    if (wanted <= 0)
        return;
    const std::size_t from = m_sourceNext;
    m_sourceNext += static_cast<std::size_t>(wanted);
    m_source.make(from, m_sourceNext, m_list.rows);
    if (pendingRows() == 0)
        m_source = {}; // what it holds goes back
}

void ListTableModel::showRows(int rows)
{
    rows = std::min(rows, m_list.dataRowCount());
    if (rows <= m_shown)
        return;
    beginInsertRows({}, m_shown, rows - 1);
    m_shown = rows;
    endInsertRows();
}

void ListTableModel::applyCaptions(const ListLayout &layout)
{
    ListRow &captions = m_list.rows[0];
    bool changed = false;
    for (std::size_t c = 0; c < ListColumnCount; ++c)
        if (layout.captions[c] && captions[c] != *layout.captions[c]) {
            captions[c] = *layout.captions[c];
            changed = true;
        }
    if (changed)
        emit headerDataChanged(Qt::Horizontal, 0, ListColumnCount - 1);
}

bool ListTableModel::removeListRow(int listRow)
{
    if (listRow < 1 || listRow > m_shown)
        return false;
    beginRemoveRows({}, listRow - 1, listRow - 1);
    deleteListRow(m_list, listRow);
    --m_shown;
    endRemoveRows();
    return true;
}

void ListTableModel::setBoundaryOptions(const KoyomiOptions &options, int warnMinutes)
{
    m_marks.setOptions(options, warnMinutes);
}

const QString &ListTableModel::boundaryMark(int listRow) const
{
    return m_marks.markOf(m_list.rows[static_cast<std::size_t>(listRow)]);
}

int ListTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_shown;
}

int ListTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ListColumnCount;
}

QVariant ListTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= ListColumnCount)
        return {};
    const ListRow &row = m_list.rows[static_cast<std::size_t>(index.row() + 1)];
    switch (role) {
    case Qt::DisplayRole:
        return qs(row[static_cast<std::size_t>(index.column())]);
    case Qt::TextAlignmentRole:
        // The kind column is centred, the rest read like numbers.
        return index.column() == 0 ? int(Qt::AlignCenter) : int(Qt::AlignRight | Qt::AlignVCenter);
    case Qt::BackgroundRole: {
        const std::optional<int> marked = markedColumn(row);
        if (marked && *marked == index.column())
            return QColor(Qt::yellow);
        if (index.column() == 1 && !m_marks.markOf(row).isEmpty())
            return BoundaryMarkColour;
        return index.column() > 0 ? QVariant(QColor(Qt::white)) : QVariant();
    }
    case Qt::ForegroundRole:
        return index.column() > 0 ? QVariant(QColor(Qt::black)) : QVariant();
    case Qt::ToolTipRole:
        if (index.column() == 1 && !m_marks.markOf(row).isEmpty())
            return m_marks.markOf(row);
        return {};
    default:
        return {};
    }
}

QVariant ListTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ListColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole) {
        const QString caption = qs(m_list.rows[0][static_cast<std::size_t>(section)]);
        // The chart-data list's file leaves the flags' column unnamed; the
        // window names it (the file keeps its header as it is).
        if (caption.isEmpty() && section == ChartDataFlagColumn && listKindOf(m_list.SenL) == ListKind::ChartData)
            return QStringLiteral("特記");
        return caption;
    }
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    return {};
}

// --- the window ------------------------------------------------------------------------------

TListF::TListF(AppSettings &settings, QWidget *parent)
    : QWidget(parent, Qt::Window), m_settings(settings)
{
    setHelpTopic(this, HelpListWindow);
    setObjectName(QStringLiteral("ListF"));
    setAttribute(Qt::WA_DeleteOnClose, false);

    const ListHeading heading = makeListHeading(this);
    m_senL = heading.senL;
    m_cntL = heading.cntL;

    QPushButton *openBtn = makeToolButton(this, "OpenBtn", QStringLiteral("開く"), QStringLiteral("一覧表ファイルを開く"));
    QPushButton *expBtn = makeExportButton(this);
    m_prevBtn = makePreviewButton(this);
    m_prevBtn->setEnabled(false);
    connect(openBtn, &QPushButton::clicked, this, &TListF::OpenBtnClick);
    connect(expBtn, &QPushButton::clicked, this, &TListF::ExpBtnClick);
    QPushButton *icsBtn = makeIcsButton(this);
    connect(icsBtn, &QPushButton::clicked, this, &TListF::IcsBtnClick);
    connect(m_prevBtn, &QPushButton::clicked, this, [this] {
        if (m_preview) {
            fillAll(); // the preview prints the grid's rows
            m_preview(m_grid);
        }
    });
    m_fill = new QTimer(this);
    m_fill->setSingleShot(true);
    m_fill->setInterval(0);
    connect(m_fill, &QTimer::timeout, this, &TListF::fillMore);

    m_model = new ListTableModel(this);
    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("SG1"));
    m_grid->setModel(m_model);
    setUpListGrid(m_grid);
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 4);
    const std::array<int, ListColumnCount> widths = listInitialWidths();
    for (int c = 0; c < ListColumnCount; ++c)
        m_grid->setColumnWidth(c, widths[static_cast<std::size_t>(c)]);
    m_grid->setColumnHidden(ListColumnCount - 1, true);

    m_popup = makeRowMenu(this, [this] { BanItemClick(m_menuRow); }, [this] { DelItemClick(m_menuRow); });
    connect(m_grid, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        m_menuRow = rowAt(pos);
        if (m_menuRow > 0)
            m_popup->popup(m_grid->viewport()->mapToGlobal(pos));
    });
    connect(m_grid, &QTableView::doubleClicked, this,
            [this](const QModelIndex &index) { SG1DblClick(index.row() + 1); });

    auto *top = new QHBoxLayout;
    top->addWidget(m_senL, 1);
    top->addWidget(m_cntL);
    top->addWidget(openBtn);
    top->addWidget(expBtn);
    top->addWidget(m_prevBtn);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addLayout(top);
    layout->addWidget(m_grid, 1);
    // Below the grid, whose rows it writes; the heading keeps its width.
    auto *bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(icsBtn);
    layout->addLayout(bottom);

    saveFileName = chooseCsvSaveFile;
    saveIcsName = chooseIcsSaveFile;
    openFileName = [](QWidget *parent) {
        return QFileDialog::getOpenFileName(parent, {}, {}, QStringLiteral("Csv (*.csv);;すべて (*)"));
    };

    resize(700, 400);
    restorePlacement(this, m_settings, PlacementKey);
}

TListF::~TListF()
{
    storePlacement();
}

void TListF::storePlacement()
{
    m_settings.setWindowPlacement(PlacementKey, saveGeometry());
}

void TListF::setPreview(std::function<void(QTableView *grid)> preview)
{
    m_preview = std::move(preview);
    m_prevBtn->setEnabled(static_cast<bool>(m_preview));
}

namespace {

// Rows measured and shown before the window opens, and then in each block:
// a block takes a few milliseconds, so the window answers between blocks.
constexpr int FirstBlock = 2000;
constexpr int FillBlock = 10000;

} // namespace

void TListF::setList(ListModel list, ListRowSource source)
{
    const EngineOptions options = engineOptions(m_settings);
    m_model->setBoundaryOptions(options.koyomi, options.warnMinutes);
    m_fill->stop();
    m_measuredRows = 0;
    m_measuredFont = QFont();
    m_model->setList(std::move(list), FirstBlock, std::move(source));
    m_senL->setText(qs(m_model->list().SenL));
    m_cntL->setText(qs(m_model->list().CntL));
    layoutForKind();
}

void TListF::showList(ListModel list, bool onTop, ListRowSource source)
{
    setList(std::move(list), std::move(source));
    showWindow(onTop);
}

bool TListF::filling() const
{
    return m_model->shownRows() < m_model->list().dataRowCount() || m_measuredRows < m_model->shownRows()
        || m_model->pendingRows() > 0;
}

void TListF::fillAll()
{
    m_fill->stop();
    while (filling())
        fillMore();
    m_fill->stop();
}

void TListF::fillMore()
{
    // Rows not made yet are made a block at a time, just before they are
    // measured and shown.
    m_model->makeRows(m_measuredRows + FillBlock);
    const int target = std::min(m_model->list().dataRowCount(), m_measuredRows + FillBlock);
    const std::array<int, ListColumnCount> before = m_contentWidths;
    measureRows(target);
    if (m_contentWidths != before)
        applyWidths();
    m_model->showRows(m_measuredRows);
    if (filling())
        m_fill->start();
}

void TListF::measureRows(int rows)
{
    // Every cell shows whole: a pillar cut to "甲…" or a door to "休…" reads
    // as another. A long list repeats its texts (dates, hours, the cells of
    // the same chart), so each different text is measured once.
    const QFontMetrics metrics(m_grid->font());
    if (m_measuredFont != m_grid->font() || m_measuredRows == 0) {
        m_measuredFont = m_grid->font();
        m_measuredRows = 0;
        for (int c = 0; c < ListColumnCount; ++c)
            m_contentWidths[static_cast<std::size_t>(c)] =
                metrics.horizontalAdvance(m_model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString());
    }
    const ListModel &list = m_model->list();
    rows = std::min(rows, list.dataRowCount());
    for (std::size_t c = 0; c + 1 < ListColumnCount; ++c) {
        std::unordered_set<std::string_view> seen;
        int widest = m_contentWidths[c];
        for (int r = m_measuredRows + 1; r <= rows; ++r) {
            const std::string &cell = list.rows[static_cast<std::size_t>(r)][c];
            if (seen.insert(cell).second)
                widest = std::max(widest, metrics.horizontalAdvance(qs(cell)));
        }
        m_contentWidths[c] = widest;
    }
    m_measuredRows = std::max(m_measuredRows, rows);
}

void TListF::showWindow(bool onTop)
{
    layoutForKind();
    showRaised(this, onTop);
}

void TListF::layoutForKind()
{
    std::array<int, ListColumnCount> current{};
    for (int c = 0; c < ListColumnCount; ++c)
        current[static_cast<std::size_t>(c)] = m_grid->columnWidth(c);
    const ListLayout layout = listLayout(m_model->list(), current, m_model->pendingWide());
    m_kind = layout.kind;
    if (layout.kind == ListKind::Other) {
        setWindowTitle(QString());
        return;
    }
    m_model->applyCaptions(layout);
    setWindowTitle(qs(layout.caption));
    m_layoutWidths = layout.widths;

    // The caption and the rows shown tell the widths, measured directly: a
    // view not yet laid out sees no rows to fit. A new font measures anew.
    if (m_measuredFont != m_grid->font())
        m_measuredRows = 0;
    measureRows(std::max(m_measuredRows, std::min(m_model->shownRows(), FirstBlock)));
    applyWidths();
    // The rest of the list is measured and shown in blocks.
    if (filling())
        m_fill->start();
}

void TListF::applyWidths()
{
    // The widths are pixels of the small font the lists were designed for;
    // a larger font widens them in proportion so that cells are not cut.
    const double scale = gridFontScale(m_grid);
    const int padding = 2 * m_grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_grid) + 8;
    int sum = 0;
    for (int c = 0; c < ListColumnCount; ++c) {
        int w = static_cast<int>(std::lround(m_layoutWidths[static_cast<std::size_t>(c)] * scale));
        if (c < ListColumnCount - 1)
            w = std::max(w, m_contentWidths[static_cast<std::size_t>(c)] + padding);
        m_grid->setColumnWidth(c, w);
        sum += c == ListColumnCount - 1 ? 0 : w;
    }
    m_grid->setColumnHidden(ListColumnCount - 1, true);
    // Only the height is the user's to change.
    setFixedWidth(gridWindowWidth(m_grid, QWidget::layout(), sum, 8));
}

int TListF::rowAt(const QPoint &viewportPos) const
{
    const QModelIndex index = m_grid->indexAt(viewportPos);
    return index.isValid() ? index.row() + 1 : 0;
}

void TListF::BanItemClick(int listRow)
{
    const ListModel &list = m_model->list();
    if (listRow < 1 || listRow > list.dataRowCount())
        return;
    const std::optional<RowMoment> at = chartOfRow(this, list.rows[static_cast<std::size_t>(listRow)], kindChecked);
    if (at)
        emit openChart(at->kind, *at->moment);
}

void TListF::SG1DblClick(int listRow)
{
    // "数値カレンダー＆作盤データ一覧表でダブルクリックで作盤する"
    if (m_settings.doubleClickOpensChart())
        BanItemClick(listRow);
}

void TListF::DelItemClick(int listRow)
{
    if (m_model->removeListRow(listRow) && listRow <= m_measuredRows)
        --m_measuredRows;
}

void TListF::ExpBtnClick()
{
    const QString path = saveFileName ? saveFileName(this) : QString();
    if (path.isEmpty())
        return;
    fillAll(); // every row is written
    ListModel list = m_model->list();
    list.SenL = m_senL->text().toStdString();
    list.CntL = m_cntL->text().toStdString();
    const std::string error = writeListFile(path.toStdString(), list);
    if (!error.empty())
        ui::showError(this, qs(error));
}

void TListF::IcsBtnClick()
{
    fillAll(); // the selection or every row
    const ListModel &list = m_model->list();
    if (list.dataRowCount() == 0)
        return;
    const QString path = saveIcsName ? saveIcsName(this) : QString();
    if (path.isEmpty())
        return;
    std::vector<ListRow> rows;
    for (int r : icsRowsOf(m_grid, list.dataRowCount()))
        rows.push_back(list.rows[static_cast<std::size_t>(r + 1)]);
    const QString error = writeIcsRows(path, rows, engineOptions(m_settings), m_senL->text());
    if (!error.isEmpty())
        ui::showError(this, error);
    else
        ui::showSaved(this, path);
}

void TListF::OpenBtnClick()
{
    const QString path = openFileName ? openFileName(this) : QString();
    if (path.isEmpty()) {
        m_showWhenRead.reset();
        layoutForKind();
        return;
    }
    const std::string file = path.toStdString();
    // A century's list file is tens of megabytes: it is read off the
    // window's thread, which keeps answering meanwhile.
    constexpr qint64 ReadAside = 1 << 20;
    if (QFileInfo(path).size() < ReadAside) {
        openRead(path, readListFile(file));
        return;
    }
    setCursor(Qt::BusyCursor);
    auto *watcher = new QFutureWatcher<ListFileRead>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, path] {
        unsetCursor();
        watcher->deleteLater();
        openRead(path, watcher->future().takeResult());
    });
    watcher->setFuture(QtConcurrent::run([file] { return readListFile(file); }));
}

void TListF::openFile(bool onTop)
{
    if (isVisible()) {
        showWindow(onTop);
        OpenBtnClick();
        return;
    }
    m_showWhenRead = onTop;
    OpenBtnClick();
}

void TListF::openRead(const QString &path, ListFileRead read)
{
    const std::optional<bool> show = std::exchange(m_showWhenRead, std::nullopt);
    if (!read.ok()) {
        ui::showError(this, qs(read.error));
        return;
    }
    // Another program's CSV, or the calendar's, has the shape of a list but
    // none of its meaning: its cells would be marked and opened as charts.
    if (listKindOf(read.model.SenL) == ListKind::Other) {
        ui::showError(this, QStringLiteral("『%1』は、一覧表ファイルではありません。\n"
                                           "検索一覧表または作盤データ一覧表を出力したファイルを開いて下さい。")
                                .arg(QDir::toNativeSeparators(path)));
        return;
    }
    setList(std::move(read.model));
    if (show)
        showWindow(*show);
}

void TListF::showEvent(QShowEvent *event)
{
    const SystemSettings values = loadSystemSettings(m_settings);
    velm::FontSetF(this, values.baseFont, values.explanationFont);
    QWidget::showEvent(event);
}

void TListF::hideEvent(QHideEvent *event)
{
    if (!event->spontaneous())
        storePlacement();
    QWidget::hideEvent(event);
}

} // namespace velm
