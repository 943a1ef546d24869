#include "shell/lists/calendarwindow.h"

#include <algorithm>
#include <cmath>

#include <QApplication>
#include <QDateEdit>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QStyle>
#include <QTableView>
#include <QToolTip>
#include <QVBoxLayout>

#include "engine/symbols.h"
#include "evaluation/numbers.h"
#include "shell/common/goingpeople.h"
#include "shell/common/helpwindow.h"
#include "shell/common/programfiles.h"
#include "shell/common/entryfields.h"
#include "shell/lists/listgrid.h"
#include "shell/common/chartopener.h"
#include "shell/common/messages.h"
#include "shell/common/strings.h"
#include "shell/tools/systemsettings.h"

namespace velm {

namespace {

const QString PlacementKey = QStringLiteral("CaleF");
const QString GridHint = QStringLiteral("右ｸﾘｯｸでﾒﾆｭｰがでます");

constexpr int KindColumn = ListColumnCount - 1;
constexpr int FrozenRows = 2; // the year and month rows stay in view
// Column widths in pixels of the small font the grid was laid out for.
constexpr std::array<int, ListColumnCount> BaseWidths{30, 65, 20, 22, 54, 40, 40, 40,
                                                      40, 40, 40, 40, 40, 40, 0};

const QColor Silver(0xC0, 0xC0, 0xC0);
const QColor Navy(0x00, 0x00, 0x80);
const QColor Blue(0x00, 0x00, 0xFF);
const QColor FixedFace(0xF0, 0xF0, 0xF0);

// Restores the cursor however building ends.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

// Message texts keep their LF CR pairs; a box wants one line break each.
QString boxText(std::string_view text)
{
    QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    s.replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
    return s;
}

// The grid and its fixed rows scroll by whole rows; the user sizes no column or row.
void configureView(QTableView *view)
{
    setUpListGrid(view);
    view->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    view->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->setWordWrap(false);
}

} // namespace

// --- the model -------------------------------------------------------------------------------

void CaleTableModel::setRows(std::vector<ListRow> rows, const PColorSettings &colours)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_colours = colours;
    endResetModel();
}

void CaleTableModel::setBoundaryOptions(const KoyomiOptions &options, int warnMinutes)
{
    m_marks.setOptions(options, warnMinutes);
}

const QString &CaleTableModel::boundaryMark(int row) const
{
    return m_marks.markOf(m_rows[static_cast<std::size_t>(row)]);
}

void CaleTableModel::setSchoolOptions(const KoyomiOptions &options, bool shown)
{
    m_schools.setOptions(options, shown);
}

const QString &CaleTableModel::schoolMark(int row) const
{
    static const QString none;
    const ListRow &cells = m_rows[static_cast<std::size_t>(row)];
    return cells[KindColumn] == "3" ? m_schools.markOf(cells) : none;
}

bool CaleTableModel::removeRow(int row)
{
    if (row < 0 || row >= rowCount())
        return false;
    beginRemoveRows({}, row, row);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
    return true;
}

int CaleTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CaleTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ListColumnCount;
}

QVariant CaleTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= ListColumnCount)
        return {};
    const ListRow &row = m_rows[static_cast<std::size_t>(index.row())];
    const int column = index.column();
    const std::string &cell = row[static_cast<std::size_t>(column)];
    // Year, month and day rows stand out in their leading columns.
    const bool periodRow = row[KindColumn] == "0" || row[KindColumn] == "1" || row[KindColumn] == "2";
    const bool scoreCell = column >= 5 && column < KindColumn;
    // The date of a row near a term stands out, whatever its kind.
    const bool marked = column == 1 && (role == Qt::BackgroundRole || role == Qt::ForegroundRole)
        && !m_marks.markOf(row).isEmpty();
    if (marked)
        return role == Qt::BackgroundRole ? BoundaryMarkColour : QColor(Qt::black);
    if (column == 2 && (role == Qt::BackgroundRole || role == Qt::ForegroundRole) && !schoolMark(index.row()).isEmpty())
        return role == Qt::BackgroundRole ? SchoolMarkColour : QColor(Qt::black);
    switch (role) {
    case Qt::DisplayRole:
        return qs(cell);
    case Qt::TextAlignmentRole:
        return column == 0 ? int(Qt::AlignCenter) : int(Qt::AlignRight | Qt::AlignVCenter);
    case Qt::BackgroundRole:
        if (scoreCell)
            return PColor(qs(cell), m_colours);
        if (periodRow && column <= 4)
            return Silver;
        return column == 0 ? FixedFace : QColor(Qt::white);
    case Qt::ForegroundRole:
        if (scoreCell)
            return FColor(PColor(qs(cell), m_colours));
        if (periodRow && column <= 4)
            return cell == "日盤" ? Blue : Navy;
        return QColor(Qt::black);
    default:
        return {};
    }
}

QVariant CaleTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ListColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return qs(m_captions[static_cast<std::size_t>(section)]);
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    return {};
}

// --- the window ------------------------------------------------------------------------------

TCaleF::TCaleF(ChartOpener &main, AppSettings &settings, QWidget *parent)
    : QWidget(parent, Qt::Window), m_main(main), m_settings(settings)
{
    setHelpTopic(this, HelpCalendar);
    setObjectName(QStringLiteral("CaleF"));
    setWindowTitle(QStringLiteral("数値カレンダー"));
    setAttribute(Qt::WA_DeleteOnClose, false);

    const ListHeading heading = makeListHeading(this);
    m_senL = heading.senL;
    m_cntL = heading.cntL;

    QPushButton *preBtn = makeToolButton(this, "PreBtn", QStringLiteral("<<"), QStringLiteral("前日から表示します"));
    QPushButton *nowBtn = makeToolButton(this, "NowBtn", QStringLiteral("+"), QStringLiteral("現在日から表示します"));
    QPushButton *nxtBtn = makeToolButton(this, "NxtBtn", QStringLiteral(">>"), QStringLiteral("翌日から表示します"));
    for (QPushButton *b : {preBtn, nowBtn, nxtBtn})
        b->setFixedWidth(std::max(28, b->fontMetrics().horizontalAdvance(QStringLiteral("<<")) + 14));
    QPushButton *expBtn = makeExportButton(this);
    m_prevBtn = makePreviewButton(this);
    m_prevBtn->hide();
    connect(preBtn, &QPushButton::clicked, this, &TCaleF::PreBtnClick);
    connect(nxtBtn, &QPushButton::clicked, this, &TCaleF::NxtBtnClick);
    connect(nowBtn, &QPushButton::clicked, this, &TCaleF::NowBtnClick);
    connect(expBtn, &QPushButton::clicked, this, &TCaleF::ExpBtnClick);
    QPushButton *icsBtn = makeIcsButton(this);
    connect(icsBtn, &QPushButton::clicked, this, &TCaleF::IcsBtnClick);
    connect(m_prevBtn, &QPushButton::clicked, this, [this] {
        if (m_preview)
            m_preview(m_grid);
    });

    m_model = new CaleTableModel(this);
    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("CSG"));
    m_grid->setModel(m_model);
    configureView(m_grid);
    m_grid->setToolTip(GridHint);
    m_grid->horizontalHeader()->setToolTip(GridHint);
    m_grid->setColumnHidden(KindColumn, true);

    // The first two chart rows stay below the captions while the rest scroll,
    // as the fixed rows of the grid always did. The overlay shares the model
    // and the selection; it is shown only once the grid has scrolled, since
    // before that it would cover the very same rows.
    m_frozen = new QTableView(m_grid);
    m_frozen->setObjectName(QStringLiteral("CSGFixed"));
    m_frozen->setModel(m_model);
    configureView(m_frozen);
    m_frozen->setSelectionModel(m_grid->selectionModel());
    m_frozen->horizontalHeader()->hide();
    m_frozen->setFocusPolicy(Qt::NoFocus);
    m_frozen->setFrameShape(QFrame::NoFrame);
    m_frozen->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_frozen->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_frozen->setToolTip(GridHint);
    m_frozen->setColumnHidden(KindColumn, true);
    m_frozen->hide();

    for (QTableView *view : {m_grid, m_frozen}) {
        view->viewport()->installEventFilter(this);
        connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint &pos) {
            const QModelIndex index = view->indexAt(pos);
            m_menuRow = index.isValid() ? index.row() : -1;
            if (m_menuRow >= 0)
                m_popup->popup(view->viewport()->mapToGlobal(pos));
        });
    }
    m_grid->installEventFilter(this);
    connect(m_grid->verticalScrollBar(), &QScrollBar::valueChanged, this, &TCaleF::syncFrozen);
    connect(m_grid->verticalScrollBar(), &QScrollBar::rangeChanged, this, &TCaleF::syncFrozen);
    connect(m_grid->horizontalScrollBar(), &QScrollBar::valueChanged, m_frozen->horizontalScrollBar(),
            &QScrollBar::setValue);
    connect(m_model, &QAbstractItemModel::modelReset, this, &TCaleF::syncFrozen);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, &TCaleF::syncFrozen);
    // A row reached with the keys must not end up under the fixed rows.
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (!current.isValid() || current.row() < FrozenRows || !m_frozen->isVisible())
                    return;
                const int top = m_grid->visualRect(current).top();
                if (top >= 0 && top < m_frozen->height()) {
                    int covered = 0;
                    for (int r = 0; r < FrozenRows && r < m_model->rowCount(); ++r)
                        covered += m_grid->isRowHidden(r) ? 0 : 1;
                    m_grid->verticalScrollBar()->setValue(m_grid->verticalScrollBar()->value() - covered);
                }
            });

    m_popup = makeRowMenu(this, [this] { BanItemClick(m_menuRow); }, [this] { DelItemClick(m_menuRow); });

    auto *top = new QHBoxLayout;
    top->setSpacing(2);
    top->addWidget(preBtn);
    top->addWidget(nowBtn);
    top->addWidget(nxtBtn);
    top->addWidget(m_senL, 1);
    top->addWidget(m_cntL);
    top->addWidget(expBtn);
    top->addWidget(m_prevBtn);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    layout->addLayout(top);
    layout->addWidget(m_grid, 1);
    // Below the grid, whose rows it writes; the heading keeps its width.
    auto *bottom = new QHBoxLayout;
    // The people going (人物): their bad directions' scores left blank.
    m_peopleBox = new QCheckBox(QStringLiteral("同行者の凶方位を空白に"), this);
    m_peopleBox->setObjectName(QStringLiteral("PeopleBox"));
    m_yearMonthBox = new QCheckBox(QStringLiteral("年盤・月盤の凶方位も"), this);
    m_yearMonthBox->setObjectName(QStringLiteral("YearMonthBox"));
    m_yearMonthBox->setToolTip(QStringLiteral("その時の年盤・月盤での凶方位も空白にします（移転の方位取り）"));
    const auto followPeople = [this] {
        const GoingPeople &going = GoingPeople::instance();
        m_peopleBox->setEnabled(!going.empty());
        m_yearMonthBox->setEnabled(!going.empty() && m_peopleBox->isChecked());
        m_peopleBox->setToolTip(going.empty() ? QStringLiteral("「人物」で同行する人に印を付けると使えます")
                                              : QStringLiteral("%1の凶方位（五黄殺・暗剣殺・本命殺・本命的殺・破）の数値を空白にします")
                                                    .arg(going.names()));
    };
    followPeople();
    for (QCheckBox *box : {m_peopleBox, m_yearMonthBox})
        connect(box, &QCheckBox::toggled, this, [this, followPeople] {
            followPeople();
            if (isVisible())
                FormShow();
        });
    connect(&GoingPeople::instance(), &GoingPeople::changed, this, [this, followPeople] {
        followPeople();
        if (isVisible() && m_peopleBox->isChecked())
            FormShow();
    });
    bottom->addWidget(m_peopleBox);
    bottom->addWidget(m_yearMonthBox);
    bottom->addStretch(1);
    bottom->addWidget(icsBtn);
    layout->addLayout(bottom);

    saveFileName = chooseCsvSaveFile;
    saveIcsName = chooseIcsSaveFile;

    fitWidths();
    resize(width(), 480);
    restorePlacement(this, m_settings, PlacementKey);
}

TCaleF::~TCaleF()
{
    storePlacement();
}

void TCaleF::storePlacement()
{
    m_settings.setWindowPlacement(PlacementKey, saveGeometry());
}

void TCaleF::setPreview(std::function<void(QTableView *grid)> preview)
{
    m_preview = std::move(preview);
    m_prevBtn->setVisible(static_cast<bool>(m_preview));
}

// The widths follow the font so that no cell is cut; the window is as wide
// as the columns and only its height is the user's to change.
void TCaleF::fitWidths()
{
    const QFontMetrics metrics = m_grid->fontMetrics();
    const double scale = gridFontScale(m_grid);
    int sum = 0;
    // The widest text each column holds; scores run to two-digit negatives.
    static const std::array<QString, 6> widest{QStringLiteral("日盤"), QStringLiteral("0000/00/00"),
                                               QStringLiteral("00"), QStringLiteral("日"),
                                               QStringLiteral("五不遇時"), QStringLiteral("-00.00")};
    const int padding = 2 * m_grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_grid) + 6;
    for (int c = 0; c < KindColumn; ++c) {
        const QString &sample = widest[static_cast<std::size_t>(std::min(c, 5))];
        const int w = std::max(static_cast<int>(std::lround(BaseWidths[static_cast<std::size_t>(c)] * scale)),
                               metrics.horizontalAdvance(sample) + padding);
        m_grid->setColumnWidth(c, w);
        m_frozen->setColumnWidth(c, w);
        sum += w;
    }
    const int rowHeight = std::max(15, metrics.height() + 3);
    m_grid->verticalHeader()->setDefaultSectionSize(rowHeight);
    m_frozen->verticalHeader()->setDefaultSectionSize(rowHeight);
    // The heading row (its title and count included) shows whole too, when
    // it needs more than the grid.
    setFixedWidth(std::max(gridWindowWidth(m_grid, layout(), sum, 2), layout()->minimumSize().width()));
    syncFrozen();
}

void TCaleF::syncFrozen()
{
    const int rows = std::min(FrozenRows, m_model->rowCount());
    int height = 0;
    for (int r = 0; r < rows; ++r) {
        const bool hidden = m_grid->isRowHidden(r);
        m_frozen->setRowHidden(r, hidden);
        if (!hidden)
            height += m_grid->rowHeight(r);
    }
    const QRect viewport = m_grid->viewport()->geometry();
    m_frozen->setGeometry(viewport.x(), viewport.y(), viewport.width(), height);
    m_frozen->verticalScrollBar()->setValue(0);
    m_frozen->horizontalScrollBar()->setValue(m_grid->horizontalScrollBar()->value());
    m_frozen->setVisible(height > 0 && m_grid->verticalScrollBar()->value() > 0);
}

void TCaleF::showDirections(int palace, const QString &place)
{
    m_onlyPalace = palace >= 1 && palace <= 8 ? palace : 0;
    // Score columns 5..13 stand in ring order.
    const int keep = m_onlyPalace ? 5 + KyuToRing[static_cast<std::size_t>(m_onlyPalace)] : -1;
    for (int c = 5; c <= 13; ++c)
        m_grid->setColumnHidden(c, m_onlyPalace != 0 && c != keep);
    setWindowTitle(m_onlyPalace ? QStringLiteral("数値カレンダー（%1の方位：%2）")
                                      .arg(place, m_model->headerData(keep, Qt::Horizontal, Qt::DisplayRole).toString().trimmed())
                                : QStringLiteral("数値カレンダー"));
}

void TCaleF::showCalendarFor(int palace, const QString &place)
{
    showDirections(palace, place);
    const bool onTop = m_settings.calendarOnTop();
    m_showing = true;
    showRaised(this, onTop);
    m_showing = false;
    FormShow();
}

void TCaleF::showCalendar()
{
    showDirections(0, {});
    const bool onTop = m_settings.calendarOnTop();
    m_showing = true;
    showRaised(this, onTop);
    m_showing = false;
    FormShow();
}

void TCaleF::showEvent(QShowEvent *event)
{
    const SystemSettings values = loadSystemSettings(m_settings);
    velm::FontSetF(this, values.baseFont, values.explanationFont);
    fitWidths();
    QWidget::showEvent(event);
    // Restoring from the task bar is no new showing.
    if (!event->spontaneous() && !m_showing)
        FormShow();
}

void TCaleF::hideEvent(QHideEvent *event)
{
    if (!event->spontaneous())
        storePlacement();
    QWidget::hideEvent(event);
}

// --- building --------------------------------------------------------------------------------

void TCaleF::FormShow()
{
    if (m_building)
        return;
    const std::optional<CivilTime> entry = m_main.askEnteredMoment(this);
    if (!entry)
        return;
    const QString countText = rowCountText ? rowCountText() : QStringLiteral("100");
    const CalendarCounts counts = parseCalendarCounts(countText.toStdString(), m_settings.calendarHoursBefore().toStdString());
    if (!counts.ok()) {
        ui::showError(this, qs(counts.error));
        return;
    }
    const EngineOptions options = m_main.engineOptions();
    if (!options.tzOk) {
        ui::showError(this, QStringLiteral("天体計算のタイムゾーン『%1』は、数値ではありません。").arg(options.tzText));
        return;
    }
    NumbersFile numbers = readNumbersFile(programFile(NumbersFileName).toStdString());
    if (!numbers.ok()) {
        ui::showError(this, qs(numbers.error));
        return;
    }
    if (!numbers.warnings.empty()) {
        QStringList lines;
        for (const std::string &w : numbers.warnings)
            lines << qs(w);
        const QString text = lines.join(QLatin1Char('\n'));
        // Once per fault, not on every navigation.
        if (text != m_numbersWarned) {
            m_numbersWarned = text;
            ui::showWarning(this, text);
        }
    }

    CalendarOptions calendar;
    calendar.entry = *entry;
    calendar.rows = counts.rows;
    calendar.from = counts.from;
    calendar.hours = static_cast<std::uint16_t>(m_settings.designatedHours() & CalendarAllHours);
    calendar.koyomi = options.koyomi;
    calendar.method = options.method;
    if (m_peopleBox->isEnabled() && m_peopleBox->isChecked())
        calendar.people = GoingPeople::instance().exclusion(m_yearMonthBox->isChecked());

    CalendarList list;
    m_building = true;
    {
        WaitCursor wait;
        list = buildCalendar(calendar, numbers.tables);
    }
    m_building = false;
    if (list.status == CalendarList::Status::NoHours) {
        // The list shown stays as it was: nothing could replace it.
        ui::showWarning(this, qs(list.reason));
        return;
    }

    std::vector<ListRow> rows;
    rows.reserve(list.rows.size());
    for (CalendarRow &row : list.rows)
        rows.push_back(std::move(row.cells));
    m_menuRow = -1;
    m_model->setBoundaryOptions(options.koyomi, options.warnMinutes);
    m_model->setSchoolOptions(options.koyomi, m_settings.schoolMarks());
    m_model->setRows(std::move(rows), pcolorSettings(m_settings));
    m_senL->setText(qs(list.SenL));
    m_cntL->setText(qs(list.CntL));
    fitWidths();
    applyHidden(calendarHiddenRows(m_model->rows(), m_settings.calendarHourRows()));
    m_grid->scrollToTop();
    syncFrozen();
    if (list.status == CalendarList::Status::OutOfRange)
        ui::showInfo(this, qs(list.reason));
}

std::vector<bool> TCaleF::hiddenRows() const
{
    std::vector<bool> hidden(static_cast<std::size_t>(m_model->rowCount()), false);
    for (int r = 0; r < m_model->rowCount(); ++r)
        hidden[static_cast<std::size_t>(r)] = m_grid->isRowHidden(r);
    return hidden;
}

void TCaleF::applyHidden(const std::vector<bool> &hidden)
{
    for (int r = 0; r < m_model->rowCount() && r < static_cast<int>(hidden.size()); ++r)
        if (m_grid->isRowHidden(r) != hidden[static_cast<std::size_t>(r)])
            m_grid->setRowHidden(r, hidden[static_cast<std::size_t>(r)]);
    syncFrozen();
}

// --- navigation ------------------------------------------------------------------------------

void TCaleF::stepDay(int days)
{
    const QDate date = m_main.enteredDate().addDays(days);
    if (!date.isValid() || date.year() < 1 || date.year() > 9999) {
        ui::showWarning(this, QStringLiteral("日付は1～9999年の範囲で指定して下さい。"));
        return;
    }
    m_main.setMoment(CivilTime{date.year(), date.month(), date.day(), 12, 0, 0});
    FormShow();
}

void TCaleF::PreBtnClick()
{
    stepDay(-1);
}

void TCaleF::NxtBtnClick()
{
    stepDay(+1);
}

// The list starts at the double-hour in progress: "now" is what a
// practitioner scanning for a good moment wants to see first.
void TCaleF::NowBtnClick()
{
    m_main.NowBtnClick();
    FormShow();
}

// --- the grid --------------------------------------------------------------------------------

void TCaleF::toggleDay(int row)
{
    if (dayFoldRange(m_model->rows(), row).empty())
        return;
    applyHidden(toggleDayFold(m_model->rows(), hiddenRows(), row));
}

void TCaleF::BanItemClick(int row)
{
    if (row < 0 || row >= m_model->rowCount())
        return;
    const std::optional<RowMoment> at = chartOfRow(this, m_model->rows()[static_cast<std::size_t>(row)],
                                                   [this](int kind) { return m_main.BanGrp(kind); });
    if (at)
        m_main.openChart(at->kind, *at->moment);
}

void TCaleF::CSGDblClick(int row)
{
    // "数値カレンダー＆作盤データ一覧表でダブルクリックで作盤する"
    if (m_settings.doubleClickOpensChart())
        BanItemClick(row);
}

void TCaleF::DelItemClick(int row)
{
    m_model->removeRow(row);
    m_menuRow = -1;
}

QString TCaleF::cellHint(int row, int column) const
{
    if (row < 0 || row >= m_model->rowCount())
        return GridHint;
    if (column == 1 && !m_model->boundaryMark(row).isEmpty())
        return m_model->boundaryMark(row);
    if (column == 2 && !m_model->schoolMark(row).isEmpty())
        return m_model->schoolMark(row);
    const EngineOptions options = m_main.engineOptions();
    const std::optional<std::string> hint =
        calendarHint(m_model->rows()[static_cast<std::size_t>(row)], column, options.koyomi, options.method,
                     m_main.constData(), "\n");
    return hint ? qs(*hint) : GridHint;
}

void TCaleF::ExpBtnClick()
{
    const QString path = saveFileName ? saveFileName(this) : QString();
    if (path.isEmpty())
        return;
    ListModel list;
    list.SenL = m_senL->text().toStdString();
    list.CntL = m_cntL->text().toStdString();
    list.rows.reserve(m_model->rows().size() + 1);
    list.rows.push_back(calendarCaptions());
    // Folded rows are part of the list and are written too.
    list.rows.insert(list.rows.end(), m_model->rows().begin(), m_model->rows().end());
    const std::string error = writeListFile(path.toStdString(), list);
    if (!error.empty())
        ui::showError(this, qs(error));
}

void TCaleF::IcsBtnClick()
{
    const std::vector<ListRow> &all = m_model->rows();
    if (all.empty())
        return;
    const QString path = saveIcsName ? saveIcsName(this) : QString();
    if (path.isEmpty())
        return;
    std::vector<ListRow> rows;
    for (int r : icsRowsOf(m_grid, static_cast<int>(all.size())))
        rows.push_back(all[static_cast<std::size_t>(r)]);
    const QString error = writeIcsRows(path, rows, m_main.engineOptions(), QStringLiteral("数値カレンダー ") + m_senL->text());
    if (!error.isEmpty())
        ui::showError(this, error);
    else
        ui::showSaved(this, path);
}

QTableView *TCaleF::viewOf(QObject *viewport) const
{
    if (viewport == m_grid->viewport())
        return m_grid;
    if (viewport == m_frozen->viewport())
        return m_frozen;
    return nullptr;
}

bool TCaleF::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_grid) {
        if (event->type() == QEvent::Resize || event->type() == QEvent::LayoutRequest)
            syncFrozen();
        return QWidget::eventFilter(watched, event);
    }
    QTableView *view = viewOf(watched);
    if (!view)
        return QWidget::eventFilter(watched, event);

    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        const QModelIndex index = view->indexAt(mouse->position().toPoint());
        // Every press remembers the row the menu will act on.
        m_menuRow = index.isValid() ? index.row() : -1;
        if (mouse->button() != Qt::LeftButton || !index.isValid())
            break;
        // A double click folds back what its first press folded, then opens
        // the charts, so opening a day never leaves it folded.
        if (index.column() <= 3)
            toggleDay(index.row());
        if (event->type() == QEvent::MouseButtonDblClick)
            CSGDblClick(index.row());
        break;
    }
    case QEvent::ToolTip: {
        auto *help = static_cast<QHelpEvent *>(event);
        const QModelIndex index = view->indexAt(help->pos());
        const QString text = index.isValid() ? cellHint(index.row(), index.column()) : GridHint;
        QToolTip::showText(help->globalPos(), text, view->viewport(),
                           index.isValid() ? view->visualRect(index) : QRect());
        return true;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

// --- the main window's command ------------------------------------------------------------

void CaleBtnClick(QWidget *parent, AppSettings &settings, TCaleF &calendar)
{
    if ((settings.designatedHours() & CalendarAllHours) == 0) {
        ui::showWarning(parent, boxText(CalendarNoHoursMessage));
        settings.setDesignatedHours(CalendarAllHours);
        const QString error = settings.commit();
        if (!error.isEmpty())
            ui::showError(parent, error);
    }
    calendar.showCalendar();
}

} // namespace velm
