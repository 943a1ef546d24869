// The chart windows of the main window: laying the charts of a request and
// keeping their windows.

#include "shell/main/charthost.h"

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QDate>
#include <QDialog>
#include <QEvent>
#include <QFont>
#include <QHeaderView>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "engine/symbols.h"
#include "evaluation/suusan.h"
#include "output/charttext.h"
#include "shell/charts/chartwindow.h"
#include "shell/common/icons.h"
#include "shell/common/messages.h"
#include "shell/common/pcolor.h"
#include "shell/common/programfiles.h"
#include "shell/common/strings.h"
#include "shell/main/mainwindow_entry.h"
#include "shell/settings/appsettings.h"

namespace velm {
namespace {

// Sets of charts listed in the window menu before the oldest go into one sub-menu.
constexpr int MaxWindowMenuSets = 15;

// Restores the cursor however chart making ends.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

// A title cut short hides which side of a term the chart shows: the window
// widens until its title bar holds the whole title. The bar's font is bold
// in some styles, so the title is measured bold.
void fitTitleBar(QMdiSubWindow *sub, TBanF *chart, const QString &title)
{
    QStyleOptionTitleBar option;
    option.initFrom(sub);
    option.titleBarFlags = sub->windowFlags();
    option.titleBarState = static_cast<int>(sub->windowState());
    option.subControls = QStyle::SC_All;
    option.icon = sub->windowIcon();
    option.text = title;
    option.rect = QRect(0, 0, sub->width(), sub->style()->pixelMetric(QStyle::PM_TitleBarHeight, &option, sub));
    const int room =
        sub->style()->subControlRect(QStyle::CC_TitleBar, &option, QStyle::SC_TitleBarLabel, sub).width();
    QFont font = QApplication::font("QMdiSubWindowTitleBar");
    font.setBold(true);
    const int need = QFontMetrics(font).horizontalAdvance(title) + 8;
    if (need <= room)
        return;
    chart->reserveWidth(chart->width() + need - room);
    sub->adjustSize();
}

} // namespace

ChartHost::ChartHost(AppSettings &settings, const ConstData &constData, QWidget *window)
    : QObject(window)
    , m_settings(settings)
    , m_constData(constData)
    , m_window(window)
{
    setObjectName(QStringLiteral("ChartHost"));
    m_mdi = new QMdiArea(window);
    m_mdi->setObjectName(QStringLiteral("MdiArea"));
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // A maximised or resized window tiles its charts to the new size.
    m_mdi->installEventFilter(this);
    connect(m_mdi, &QMdiArea::subWindowActivated, this, &ChartHost::chartsChanged);
}

bool ChartHost::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_mdi && event->type() == QEvent::Resize)
        retileSoon();
    return QObject::eventFilter(watched, event);
}

EngineOptions ChartHost::currentOptions() const
{
    return options ? options() : velm::engineOptions(m_settings);
}

std::optional<NumberTables> ChartHost::loadNumbers()
{
    NumbersFile file = readNumbersFile(programFile(NumbersFileName).toStdString());
    if (!file.ok()) {
        ui::showError(m_window, qs(file.error));
        return std::nullopt;
    }
    if (!file.warnings.empty()) {
        QStringList lines;
        for (const std::string &w : file.warnings)
            lines << qs(w);
        const QString text = lines.join(QLatin1Char('\n'));
        // Once per fault, not on every chart.
        if (text != m_numbersWarned) {
            m_numbersWarned = text;
            ui::showWarning(m_window, text);
        }
    }
    return std::move(file.tables);
}

// --- laying charts ----------------------------------------------------------------------------

void ChartHost::layCharts(const ChartRequest &request, const NumberTables &numbers)
{
    m_making = true;
    ++m_setCount;
    const CivilTime &e = request.moment.entered;
    m_setMoment = QDate(e.year, e.month, e.day).toString(QStringLiteral("yyyy/MM/dd ")) + timeText({e.hour, e.minute});
    {
        WaitCursor wait;
        const ChartMoment &moment = request.moment;
        const QString calendar = calendarCaption(moment.options.koyomi);
        for (int n = 3; n >= 0; --n) {
            if (!request.kinds[static_cast<std::size_t>(n)])
                continue;
            const QString title = chartWindowTitle(n, moment.at, moment.options);
            if (bringToFront(fullTitle(title, calendar))) {
                joinNewestSet(chartWindow(fullTitle(title, calendar)));
                continue;
            }
            makeChart(n, title, moment, numbers);
            if (n != KindHour)
                continue;
            for (const ChartMoment &hour : request.designated) {
                // Titled with the entered moment's calendar, as every chart of one request.
                const QString hourTitle = chartWindowTitle(KindHour, hour.at, moment.options);
                if (bringToFront(fullTitle(hourTitle, calendar)))
                    joinNewestSet(chartWindow(fullTitle(hourTitle, calendar)));
                else
                    makeChart(KindHour, hourTitle, hour, numbers, true);
            }
        }
    }
    m_making = false;
    emit chartsChanged();
    if (m_settings.tileAfterCharts())
        tileCharts(enteredChart());
}

void ChartHost::joinNewestSet(TBanF *window)
{
    // The chart of the same title is this moment's chart too: it is shown
    // with the set being made, once.
    if (window)
        window->setChartSet({m_setCount, m_setMoment, window->chartSet().made});
}

bool ChartHost::bringToFront(const QString &title)
{
    TBanF *w = chartWindow(title);
    if (!w)
        return false;
    QMdiSubWindow *sub = subWindowOf(w);
    if (sub->isMinimized())
        sub->showNormal();
    m_mdi->setActiveSubWindow(sub);
    sub->raise();
    return true;
}

QString ChartHost::chartWindowTitle(int kind, const CivilTime &at, const EngineOptions &options,
                                    const QString &side) const
{
    QString title = qs(chartTitle(kind, at));
    QString mark = side;
    // Counting terms to the minute, two moments of one title can lie either
    // side of a term of that hour (that day, for the other kinds): the title
    // says which, so that a window is never taken for the other one.
    if (mark.isEmpty() && options.koyomi.exactMinutes) {
        const MomentBoundaries b = boundariesOf(at, options.koyomi);
        for (const Boundary *term : {&b[0], &b[1]}) {
            const CivilTime &t = term->time;
            if (t.year == at.year && t.month == at.month && t.day == at.day && (kind != 3 || t.hour == at.hour))
                mark = qs(term->name) + (term->seconds <= 0 ? QStringLiteral("後") : QStringLiteral("前"));
        }
    }
    if (!mark.isEmpty())
        title += QStringLiteral("［") + mark + QStringLiteral("］");
    return title;
}

QString ChartHost::fullTitle(const QString &title, const QString &calendar)
{
    // The calendar in use beside each chart's title, when it is not the default.
    return calendar.isEmpty() ? title : title + QStringLiteral("  ") + calendar;
}

void ChartHost::makeChart(int kind, const QString &title, const ChartMoment &moment, const NumberTables &numbers,
                          bool designated)
{
    const EngineOptions &options = moment.options;
    const LaidChart laid = layChart(DateToKyu(moment.at, options.koyomi, true), kind, options.method, &numbers,
                                    &m_constData);
    // A designated hour chart stands for its whole double-hour: only a term can
    // put it on the wrong side.
    const BoundaryNote note = boundaryNote(moment.at, options.koyomi, options.warnMinutes, designated, kind);
    TBanF *w = addChartWindow(laid, title, calendarCaption(options.koyomi), moment.entered, note, moment.at, true,
                              m_setCount, m_setMoment);
    w->setLaidOptions(options.koyomi);
}

void ChartHost::otherSide(TBanF *window)
{
    const BoundaryNote &note = window->boundaryNote();
    if (!note.isNear() || m_making)
        return;
    const Boundary &b = note.boundary();
    const EngineOptions options = currentOptions();
    const int kind = window->chart().BanShu;
    // A term: the same day and double-hour with the term counted the other
    // way. A double-hour change or midnight: the moment across it.
    CivilTime at = window->calendarMoment();
    Koyomi koyomi;
    if (b.kind == BoundaryKind::Term) {
        koyomi = otherSideOfTerm(at, options.koyomi, b, true);
    } else {
        at = otherSideMoment(b);
        koyomi = DateToKyu(at, options.koyomi, true);
    }
    const QString title = chartWindowTitle(kind, at, options, qs(otherSideText(b)));
    const QString calendar = calendarCaption(options.koyomi);
    if (bringToFront(fullTitle(title, calendar)))
        return;
    const std::optional<NumberTables> numbers = loadNumbers();
    if (!numbers)
        return;
    const LaidChart laid = layChart(koyomi, kind, options.method, &*numbers, &m_constData);
    const CivilTime entered = enteredFromCalendar(at, options.koyomi.clock);
    // Across a term the note stays the same boundary, whose other side is the
    // chart this one came from, and its badge tells which side is shown; across
    // a change the new moment has its own note. The chart across joins the set
    // of the chart it came from.
    const TBanF::Set set = window->chartSet();
    BoundaryNote shown = note;
    if (b.kind == BoundaryKind::Term)
        shown.badge = otherSideBadge(b, options.koyomi.astronomy);
    TBanF *made = b.kind == BoundaryKind::Term
        ? addChartWindow(laid, title, calendar, entered, shown, at, false, set.number, set.moment)
        : addChartWindow(laid, title, calendar, entered,
                         boundaryNote(at, options.koyomi, options.warnMinutes, false, kind), at, true, set.number,
                         set.moment);
    emit chartsChanged();
    if (m_settings.tileAfterCharts())
        tileCharts(made);
}

void ChartHost::openRecorded(const JournalEntry &entry, bool recordedScores)
{
    std::string error;
    const std::optional<JournalReading> reading = readJournalMoment(entry, error);
    if (!reading) {
        ui::showError(m_window, qs(error));
        return;
    }
    const std::optional<NumberTables> numbers = loadNumbers();
    if (!numbers)
        return;
    EngineOptions options = currentOptions();
    options.koyomi = reading->options;
    options.method = entry.method;
    // The title says whose options and scores these are, so that the chart is
    // never taken for one of the current settings.
    const QString mark = recordedScores ? QStringLiteral("［記録の設定・記録の点数］") : QStringLiteral("［記録の設定］");
    const QString calendar = calendarCaption(options.koyomi);
    m_making = true;
    ++m_setCount;
    const CivilTime &e = entry.moment;
    m_setMoment = QDate(e.year, e.month, e.day).toString(QStringLiteral("yyyy/MM/dd ")) + timeText({e.hour, e.minute});
    TBanF *last = nullptr;
    for (auto kind = entry.kinds.rbegin(); kind != entry.kinds.rend(); ++kind) {
        const QString title = chartWindowTitle(*kind, reading->calendar, options) + mark;
        if (bringToFront(fullTitle(title, calendar))) {
            last = chartWindow(fullTitle(title, calendar));
            joinNewestSet(last);
            continue;
        }
        LaidChart laid = layChart(DateToKyu(reading->calendar, options.koyomi, true), *kind, options.method,
                                  &*numbers, &m_constData);
        if (recordedScores)
            for (const RecordedChart &chart : entry.charts)
                if (chart.kind == *kind)
                    for (std::size_t r = 0; r < chart.BanSuu.size(); ++r)
                        laid.scores->BanSuu[r] = chart.BanSuu[r];
        // The other side of a boundary would be laid with the current options:
        // not offered here.
        const BoundaryNote note = boundaryNote(reading->calendar, options.koyomi, options.warnMinutes, false, *kind);
        last = addChartWindow(laid, title, calendar, entry.moment, note, reading->calendar, false, m_setCount,
                              m_setMoment);
        last->setLaidOptions(options.koyomi);
    }
    m_making = false;
    emit chartsChanged();
    if (last && m_settings.tileAfterCharts())
        tileCharts(last);
}

void ChartHost::compareSchools(TBanF *window)
{
    const EngineOptions options = currentOptions();
    if (options.koyomi.periods[3] != 1) {
        ui::showInfo(window, QStringLiteral("流派比較は、時盤の局の期間が「６０刻１局」のときに使えます。"));
        return;
    }
    const std::optional<NumberTables> numbers = loadNumbers();
    if (!numbers)
        return;
    struct School {
        JuMethod method;
        const char *name;
    };
    constexpr std::array<School, 3> schools{{{JuMethod::Zhirun, "置閏"}, {JuMethod::Chaibu, "拆補"},
                                             {JuMethod::Maoshan, "茅山"}}};
    // The list's order of directions: the centre, then round from the north.
    constexpr std::array<int, 9> palaces{0, 5, 3, 7, 8, 4, 6, 2, 1};
    auto *dialog = new QDialog(m_window, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setObjectName(QStringLiteral("SchoolsF"));
    // The chart's title goes inside: the caption has room for a short one only.
    dialog->setWindowTitle(QStringLiteral("流派比較"));
    auto *grid = new QTableWidget(2 + static_cast<int>(palaces.size()), static_cast<int>(schools.size()), dialog);
    grid->setObjectName(QStringLiteral("SchoolsGrid"));
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::NoSelection);
    grid->setFocusPolicy(Qt::NoFocus);
    QStringList rows{QStringLiteral("節気・元"), QStringLiteral("遁・局")};
    for (int p : palaces)
        rows << qs(std::string(DirectionName[static_cast<std::size_t>(p)])).trimmed();
    grid->setVerticalHeaderLabels(rows);
    QStringList columns;
    std::vector<std::pair<int, int>> charts; // dun and ju of each school
    for (std::size_t c = 0; c < schools.size(); ++c) {
        KoyomiOptions koyomi = options.koyomi;
        koyomi.juMethod = schools[c].method;
        const LaidChart laid = layChart(DateToKyu(window->calendarMoment(), koyomi), KindHour, options.method,
                                        &*numbers, &m_constData);
        const Koyomi &k = laid.koyomi;
        charts.emplace_back(k.BanTon[3], k.BanKyoku[3]);
        columns << QString::fromUtf8(schools[c].name)
                + (schools[c].method == options.koyomi.juMethod ? QStringLiteral("（この盤）") : QString());
        const auto cell = [&](int row, const QString &text) {
            auto *item = new QTableWidgetItem(text);
            item->setTextAlignment(Qt::AlignCenter);
            grid->setItem(row, static_cast<int>(c), item);
        };
        cell(0, qs(std::string(TermName[static_cast<std::size_t>(k.BanSekki[3]) % 24]))
                    + qs(std::string(YuanName[static_cast<std::size_t>(k.Gen) % 3])));
        cell(1, qs(std::string(DunName[static_cast<std::size_t>(k.BanTon[3]) % 2])) + QStringLiteral("遁")
                    + QString::number(k.BanKyoku[3] + 1) + QStringLiteral("局"));
        for (std::size_t r = 0; r < palaces.size(); ++r)
            cell(2 + static_cast<int>(r), qs(formatScore(laid.scores->BanSuu[8][static_cast<std::size_t>(palaces[r])])));
    }
    grid->setHorizontalHeaderLabels(columns);
    grid->resizeColumnsToContents();
    grid->resizeRowsToContents();
    const bool same = std::all_of(charts.begin(), charts.end(), [&](const auto &c) { return c == charts.front(); });
    auto *note = new QLabel(window->title() + QLatin1Char('\n')
                                + (same ? QStringLiteral("三流派とも同じ盤です。どの流派でも、この時盤の読みは変わりません。")
                                        : QStringLiteral("流派によって局が変わり、盤と数値が変わります。")),
                            dialog);
    note->setObjectName(QStringLiteral("SchoolsNote"));
    note->setWordWrap(true);
    auto *close = new QPushButton(QStringLiteral("閉じる"), dialog);
    connect(close, &QPushButton::clicked, dialog, &QDialog::close);
    auto *layout = new QVBoxLayout(dialog);
    layout->addWidget(note);
    layout->addWidget(grid);
    layout->addWidget(close, 0, Qt::AlignRight);
    int width = grid->verticalHeader()->width() + 2 * grid->frameWidth();
    for (int c = 0; c < grid->columnCount(); ++c)
        width += grid->columnWidth(c);
    int height = grid->horizontalHeader()->height() + 2 * grid->frameWidth();
    for (int r = 0; r < grid->rowCount(); ++r)
        height += grid->rowHeight(r);
    grid->setMinimumSize(width, height);
    dialog->show();
    dialog->raise();
}

TBanF *ChartHost::addChartWindow(const LaidChart &laid, const QString &title, const QString &calendar,
                                 const CivilTime &entered, const BoundaryNote &note, const CivilTime &at,
                                 bool crossable, int set, const QString &setMoment)
{
    BanDisplay display;
    display.colourChartsByScore = m_settings.colourChartsByScore();
    display.showDutyDoorAndStar = m_settings.showDutyDoorAndStar();
    display.colours = pcolorSettings(m_settings);
    display.banFont = m_settings.chartFont().name;
    display.banFontSize = m_settings.chartFont().size;
    display.sysFont = m_settings.baseFont().name;
    // The full title names the window (lookup, window menu, printing,
    // copying); the title bar shows the short one, the calendar goes inside.
    auto *w = new TBanF(laid, fullTitle(title, calendar), entered, display);
    w->setBoundaryNote(note, at, crossable);
    w->setCalendarCaption(calendar);
    w->setChartSet({set, setMoment, ++m_madeCount});
    QMdiSubWindow *sub = m_mdi->addSubWindow(w, Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                                                     | Qt::WindowMinimizeButtonHint);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setWindowIcon(velmIcon(IconId::App));
    sub->setWindowTitle(title);
    connect(w, &TBanF::windowClicked, this, [this, w] { emit chartClicked(w); });
    connect(w, &TBanF::palaceClicked, this, [this, w](int pos) { emit palaceClicked(w, pos); });
    connect(w, &TBanF::printRequested, this, [this, w] { emit printRequested(w); });
    connect(w, &TBanF::otherSideRequested, this, [this, w] { otherSide(w); });
    connect(w, &TBanF::schoolsRequested, this, [this, w] { compareSchools(w); });
    connect(w, &TBanF::journalRequested, this, [this, w] { emit journalRequested(w); });
    connect(sub, &QObject::destroyed, this, [this] { QTimer::singleShot(0, this, &ChartHost::chartsChanged); });
    sub->show();
    sub->adjustSize();
    fitTitleBar(sub, w, title);
    sub->setFixedSize(sub->size());
    m_mdi->setActiveSubWindow(sub);
    return w;
}

// --- the chart windows ------------------------------------------------------------------------

QMdiSubWindow *ChartHost::subWindowOf(const TBanF *window) const
{
    for (QMdiSubWindow *sub : m_mdi->subWindowList())
        if (sub->widget() == window)
            return sub;
    return nullptr;
}

QList<TBanF *> ChartHost::chartWindows() const
{
    QList<TBanF *> list;
    const QList<QMdiSubWindow *> subs = m_mdi->subWindowList(QMdiArea::ActivationHistoryOrder);
    for (auto it = subs.crbegin(); it != subs.crend(); ++it) {
        // A window being closed is hidden until it is deleted.
        if ((*it)->isHidden())
            continue;
        if (auto *w = qobject_cast<TBanF *>((*it)->widget()))
            list << w;
    }
    return list;
}

TBanF *ChartHost::chartWindow(const QString &title) const
{
    for (TBanF *w : chartWindows())
        if (w->title() == title)
            return w;
    return nullptr;
}

TBanF *ChartHost::activeChartWindow() const
{
    if (QMdiSubWindow *sub = m_mdi->currentSubWindow())
        if (auto *w = qobject_cast<TBanF *>(sub->widget()); w && !sub->isHidden())
            return w;
    const QList<TBanF *> all = chartWindows();
    return all.isEmpty() ? nullptr : all.first();
}

void ChartHost::closeAll()
{
    const QList<QMdiSubWindow *> subs = m_mdi->subWindowList(QMdiArea::ActivationHistoryOrder);
    for (QMdiSubWindow *sub : subs)
        sub->close();
}

QList<TBanF *> ChartHost::tiledCharts() const
{
    const QList<TBanF *> charts = chartWindows();
    std::vector<TileKey> keys;
    for (TBanF *w : charts) {
        const TBanF::Set &set = w->chartSet();
        keys.push_back({set.number, w->chart().BanShu, w->momentText(), set.made});
    }
    QList<TBanF *> ordered;
    for (int i : tileOrder(keys))
        ordered << charts[i];
    return ordered;
}

TBanF *ChartHost::enteredChart() const
{
    const QList<TBanF *> charts = tiledCharts();
    if (charts.isEmpty())
        return nullptr;
    const TBanF::Set &newest = charts.first()->chartSet();
    TBanF *found = charts.first();
    for (TBanF *w : charts)
        if (w->chartSet().number == newest.number && w->momentText() == newest.moment
            && (found->momentText() != newest.moment || w->chart().BanShu > found->chart().BanShu))
            found = w;
    return found;
}

void ChartHost::tile()
{
    tileCharts(activeChartWindow());
}

void ChartHost::tileCharts(TBanF *visible)
{
    std::vector<QMdiSubWindow *> subs;
    std::vector<QSize> sizes;
    std::vector<bool> newRow;
    int lastSet = -1;
    for (TBanF *w : tiledCharts()) {
        QMdiSubWindow *sub = subWindowOf(w);
        if (sub->isMinimized())
            continue;
        subs.push_back(sub);
        sizes.push_back(sub->size());
        newRow.push_back(w->chartSet().number != lastSet);
        lastSet = w->chartSet().number;
    }
    const QSize area = m_mdi->viewport()->size();
    const std::vector<QPoint> at = tilePositions(sizes, area.width(), newRow);
    // The chart to be seen is in view without scrolling: the rows above it
    // move up out of the view when it would lie below the bottom edge.
    int shift = 0;
    for (std::size_t i = 0; i < subs.size(); ++i)
        if (visible && subs[i] == subWindowOf(visible)) {
            const int bottom = at[i].y() + sizes[i].height();
            if (bottom > area.height())
                shift = std::min(at[i].y(), bottom - area.height());
        }
    for (std::size_t i = 0; i < subs.size(); ++i)
        subs[i]->move(at[i] - QPoint(0, shift));
}

void ChartHost::retileSoon()
{
    if (m_retilePending || !m_settings.tileAfterCharts() || chartWindows().isEmpty())
        return;
    m_retilePending = true;
    QTimer::singleShot(0, this, [this] {
        m_retilePending = false;
        tileCharts(activeChartWindow());
    });
}

void ChartHost::cascade()
{
    m_mdi->cascadeSubWindows();
}

void ChartHost::arrangeIcons()
{
    // Minimised chart windows line up along the bottom, rows growing upwards.
    const int width = m_mdi->viewport()->width();
    int x = 0;
    int y = m_mdi->viewport()->height();
    int rowHeight = 0;
    for (QMdiSubWindow *sub : m_mdi->subWindowList(QMdiArea::CreationOrder)) {
        if (!sub->isMinimized() || sub->isHidden())
            continue;
        const QSize s = sub->size();
        if (rowHeight == 0) {
            rowHeight = s.height();
            y -= rowHeight;
        }
        if (x > 0 && x + s.width() > width) {
            x = 0;
            y -= rowHeight;
        }
        sub->move(x, std::max(0, y));
        x += s.width();
    }
}

void ChartHost::listWindows(QMenu *w)
{
    for (QAction *a : m_windowListEntries) {
        w->removeAction(a);
        a->deleteLater();
    }
    m_windowListEntries.clear();
    for (QMenu *m : m_windowListMenus)
        m->deleteLater();
    m_windowListMenus.clear();
    const QList<TBanF *> charts = tiledCharts();
    if (charts.isEmpty())
        return;
    // By sets, in the order of tiling: the newest set in the menu itself
    // under its entered moment, each older one a sub-menu of its own, and
    // past MaxWindowMenuSets the oldest together under one more.
    QList<QList<TBanF *>> sets;
    for (TBanF *chart : charts) {
        if (sets.isEmpty() || sets.last().first()->chartSet().number != chart->chartSet().number)
            sets.append(QList<TBanF *>());
        sets.last() << chart;
    }
    TBanF *active = activeChartWindow();
    const auto entry = [this, active](QMenu *into, TBanF *chart) {
        QString caption = chart->title();
        caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction *a = into->addAction(caption);
        a->setCheckable(true);
        a->setChecked(chart == active);
        connect(a, &QAction::triggered, this, [this, sub = QPointer<QMdiSubWindow>(subWindowOf(chart))] {
            if (sub)
                showWindow(sub);
        });
        return a;
    };
    const auto setCaption = [](const QList<TBanF *> &set) {
        QString moment = set.first()->chartSet().moment;
        moment.replace(QLatin1Char('&'), QStringLiteral("&&"));
        return QStringLiteral("%1 の盤（%2面）").arg(moment).arg(set.size());
    };
    m_windowListEntries << w->addSeparator();
    QAction *heading = w->addAction(setCaption(sets.first()));
    heading->setEnabled(false);
    m_windowListEntries << heading;
    for (TBanF *chart : sets.first())
        m_windowListEntries << entry(w, chart);
    QMenu *older = w;
    for (qsizetype i = 1; i < sets.size(); ++i) {
        if (i == MaxWindowMenuSets) {
            older = new QMenu(QStringLiteral("それ以前の盤(&O)"), w);
            m_windowListMenus << older;
            m_windowListEntries << w->addMenu(older);
        }
        auto *sub = new QMenu(setCaption(sets[i]), w);
        m_windowListMenus << sub;
        QAction *subEntry = older->addMenu(sub);
        if (older == w)
            m_windowListEntries << subEntry;
        for (TBanF *chart : sets[i])
            if (chart == active) {
                // The set of the active window reads bold.
                QFont f = subEntry->font();
                f.setBold(true);
                subEntry->setFont(f);
            }
        for (TBanF *chart : sets[i])
            entry(sub, chart);
    }
}

void ChartHost::showWindow(QMdiSubWindow *sub)
{
    if (sub->isMinimized())
        sub->showNormal();
    m_mdi->setActiveSubWindow(sub);
    if (m_settings.tileAfterCharts())
        tile();
    else
        cascade();
}

} // namespace velm
