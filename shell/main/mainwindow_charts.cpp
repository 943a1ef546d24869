// The main window's date and time entry and the making of chart windows.

#include "shell/main/mainwindow.h"

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QDateTime>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QFont>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <QTableWidget>
#include <QHeaderView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "engine/symbols.h"
#include "evaluation/explanations.h"
#include "evaluation/suusan.h"
#include "output/charttext.h"
#include "output/laidchart.h"
#include "output/listfile.h"
#include "shell/common/programfiles.h"
#include "shell/common/checkres.h"
#include "shell/charts/chartwindow.h"
#include "shell/common/icons.h"
#include "shell/common/japanese.h"
#include "shell/main/mainwindow_entry.h"
#include "shell/main/explanationpane.h"
#include "shell/common/boundarynote.h"
#include "shell/common/messages.h"
#include "shell/common/strings.h"

namespace velm {
namespace {

const QString TimeMessage = QStringLiteral("時刻が正しくありません。「時:分」の形で入力して下さい。");
const QString DateMessage = QStringLiteral("日付『%1』は正しくありません。「年/月/日」の形で、暦にある日付を入力して下さい。");
// Sets of charts listed in the window menu before the oldest go into one sub-menu.
constexpr int MaxWindowMenuSets = 15;

// Restores the cursor however chart making ends.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

} // namespace

// --- the entry widgets ------------------------------------------------------------------

void TMainF::buildEntry()
{
    m_dateE = new DateEntry(this);
    m_dateE->setObjectName(QStringLiteral("DateE"));
    m_dateE->setDateRange(QDate(EntryFirstYear, 1, 1), QDate(EntryLastYear, 12, 31));
    // The month pop-up in Japanese ("2024年3月").
    m_dateE->setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
    japaneseMonthHeading(m_dateE->calendarWidget());
    connect(m_dateE, &DateEntry::dateChanged, this, &TMainF::dateEdited);
    // Enter in either field makes the charts, as the chart button does.
    connect(m_dateE, &DateEntry::returnPressed, this, &TMainF::BanBtnClick);

    m_timeE = new QLineEdit(this);
    m_timeE->setObjectName(QStringLiteral("TimeE"));
    m_timeE->setInputMask(QStringLiteral("99:99;_"));
    m_timeE->setFixedWidth(m_timeE->fontMetrics().horizontalAdvance(QStringLiteral("000:000")) + 8);
    m_timeE->setAlignment(Qt::AlignCenter);
    connect(m_timeE, &QLineEdit::textChanged, this, &TMainF::DispDateData);
    connect(m_timeE, &QLineEdit::returnPressed, this, &TMainF::BanBtnClick);

    // TimeBtn: the spin button beside the time, two hours a step.
    auto *spin = new QWidget(this);
    spin->setObjectName(QStringLiteral("TimeBtn"));
    spin->setToolTip(QStringLiteral("時間を増減します"));
    spin->setStatusTip(spin->toolTip());
    auto *up = new QToolButton(spin);
    up->setObjectName(QStringLiteral("TimeBtnUp"));
    up->setArrowType(Qt::UpArrow);
    auto *down = new QToolButton(spin);
    down->setObjectName(QStringLiteral("TimeBtnDown"));
    down->setArrowType(Qt::DownArrow);
    for (QToolButton *b : {up, down}) {
        b->setFixedSize(16, 11);
        b->setAutoRepeat(true);
        b->setAutoRepeatDelay(500);
        b->setToolTip(spin->toolTip());
        b->setStatusTip(spin->toolTip());
    }
    connect(up, &QToolButton::clicked, this, &TMainF::TimeBtnUpClick);
    connect(down, &QToolButton::clicked, this, &TMainF::TimeBtnDownClick);
    auto *spinLayout = new QVBoxLayout(spin);
    spinLayout->setContentsMargins(0, 0, 0, 0);
    spinLayout->setSpacing(0);
    spinLayout->addWidget(up);
    spinLayout->addWidget(down);

    m_panel1 = new QLabel(QStringLiteral("DatePnl"), this);
    m_panel1->setObjectName(QStringLiteral("Panel1"));
    m_panel1->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_panel1->setContentsMargins(6, 2, 6, 2);

    m_banGrpBox = new QGroupBox(QStringLiteral("作盤"), this);
    m_banGrpBox->setObjectName(QStringLiteral("BanGrp"));
    auto *grid = new QGridLayout(m_banGrpBox);
    grid->setContentsMargins(4, 0, 4, 0);
    grid->setSpacing(2);
    for (int n = 0; n < 4; ++n) {
        m_banGrp[n] = new QCheckBox(QString::fromUtf8(KindChar[static_cast<std::size_t>(n)].data(),
                                                      static_cast<qsizetype>(KindChar[static_cast<std::size_t>(n)].size())),
                                    m_banGrpBox);
        m_banGrp[n]->setObjectName(QStringLiteral("BanGrp%1").arg(n));
        m_banGrp[n]->setChecked(true);
        grid->addWidget(m_banGrp[n], 0, n);
    }
    m_cgsBox = new QGroupBox(QStringLiteral("指定"), this);
    m_cgsBox->setObjectName(QStringLiteral("CGSBox"));
    auto *cgsLayout = new QVBoxLayout(m_cgsBox);
    cgsLayout->setContentsMargins(4, 0, 4, 0);
    m_cgs = new QCheckBox(QStringLiteral("◎"), m_cgsBox);
    m_cgs->setObjectName(QStringLiteral("CGS"));
    m_cgs->setToolTip(QStringLiteral("時盤の作成時に、指定作成する時盤も作成します"));
    cgsLayout->addWidget(m_cgs);
}

bool TMainF::BanGrp(int kind) const
{
    return kind >= 0 && kind < 4 && m_banGrp[kind]->isChecked();
}

void TMainF::setBanGrp(int kind, bool checked)
{
    if (kind >= 0 && kind < 4)
        m_banGrp[kind]->setChecked(checked);
}

bool TMainF::CGS() const
{
    return m_cgs->isChecked();
}

void TMainF::setCGS(bool checked)
{
    m_cgs->setChecked(checked);
}

void TMainF::setDateValue(std::int64_t seconds)
{
    m_dateSeconds = seconds;
    m_settingDate = true;
    m_dateE->setDate(entryDate(seconds));
    m_settingDate = false;
}

// A date picked by the user keeps the time of day the value carried.
void TMainF::dateEdited()
{
    if (m_settingDate)
        return;
    m_dateSeconds = entrySeconds(m_dateE->date(), entrySecondsOfDay(m_dateSeconds));
    // The panel shows the facts of the moment entered, date included.
    DispDateData();
}

void TMainF::setEntry(std::int64_t dateSeconds, const QString &time)
{
    setDateValue(dateSeconds);
    // A changed time text recomputes by itself; an unchanged one is recomputed here.
    if (m_timeE->text() == time)
        DispDateData();
    else
        m_timeE->setText(time);
}

void TMainF::setMoment(const CivilTime &moment)
{
    setEntry(entrySeconds(QDate(moment.year, moment.month, moment.day),
                          moment.hour * 3600 + moment.minute * 60 + moment.second),
             timeText({moment.hour, moment.minute}));
}

QDate TMainF::enteredDate() const
{
    return m_dateE->date();
}

std::optional<CivilTime> TMainF::enteredMoment() const
{
    const std::optional<CivilTime> entered = velm::enteredMoment(m_dateSeconds, m_timeE->text());
    if (!entered)
        return entered;
    QString error;
    const ClockReading r = readEntered(*entered, velm::engineOptions(m_settings, m_KCB1), foldFor(*entered), error);
    if (!r.ok())
        return std::nullopt;
    return r.calendar;
}

Fold TMainF::foldFor(const CivilTime &entered) const
{
    return m_fold && m_fold->first == entered ? m_fold->second : Fold::Refuse;
}

bool TMainF::chooseFold(const CivilTime &entered, QWidget *parent)
{
    const EngineOptions options = velm::engineOptions(m_settings, m_KCB1);
    QString error;
    QString other;
    if (readEntered(entered, options, foldFor(entered), error).outcome != ClockReading::Outcome::NeedsFold
        || !readEntered(entered, options, Fold::First, other).ok())
        return true; // readable as it is, or not for want of a choice
    const ui::Answer a = ui::askChoice(parent, error + QStringLiteral("\nどちらの時差で読みますか？"),
                                       QStringLiteral("切り替え前の時差"), QStringLiteral("切り替え後の時差"));
    if (a == ui::Answer::Cancel) {
        // The summary line goes back to the last moment that read, not the
        // question's text: the charts shown are still of that moment.
        if (!m_lastGoodSummary.isEmpty())
            m_panel1->setText(m_lastGoodSummary);
        return false;
    }
    m_fold = std::pair(entered, a == ui::Answer::Yes ? Fold::First : Fold::Second);
    return true;
}

std::optional<CivilTime> TMainF::askEnteredMoment(QWidget *parent)
{
    const std::optional<CivilTime> entered = velm::enteredMoment(m_dateSeconds, m_timeE->text());
    if (!entered) {
        ui::showWarning(parent, TimeMessage);
        return std::nullopt;
    }
    if (!chooseFold(*entered, parent))
        return std::nullopt;
    // The panel shows the moment as now read.
    DispDateData();
    QString error;
    const ClockReading r = readEntered(*entered, engineOptions(), foldFor(*entered), error);
    if (!r.ok()) {
        ui::showError(parent, error);
        return std::nullopt;
    }
    return r.calendar;
}

// --- DispDateData and the stepping buttons ---------------------------------------------

void TMainF::DispDateData()
{
    const std::optional<CivilTime> entered = velm::enteredMoment(m_dateSeconds, m_timeE->text());
    if (!entered)
        return; // a half-typed time: the panel keeps what it showed
    EngineOptions options = velm::engineOptions(m_settings, m_KCB1);
    m_calendarL->setText(calendarCaption(options.koyomi));
    m_boundaryL->clear();
    m_boundaryL->setToolTip(QString());
    if (!options.tzOk && options.koyomi.clock.zone.empty()) {
        m_panel1->setText(QStringLiteral("天体計算のタイムゾーン『%1』は、数値ではありません。").arg(options.tzText));
        return;
    }
    QString error;
    const ClockReading r = readEntered(*entered, options, foldFor(*entered), error);
    if (!r.ok()) {
        m_panel1->setText(error);
        return;
    }
    options.koyomi = r.options;
    const CivilTime *moment = &r.calendar;
    m_koyomi = DateToKyu(*moment, options.koyomi, true);
    m_panel1->setText(qs(m_koyomi.summary));
    m_lastGoodSummary = m_panel1->text();
    const BoundaryNote note = boundaryNote(*moment, options.koyomi, options.warnMinutes);
    m_boundaryL->setText(note.badge);
    m_boundaryL->setToolTip(note.hint);
}

void TMainF::NowBtnClick()
{
    // The user's offset of "now", in minutes; none while the window is being built.
    double offsetMinutes = 0;
    if (isVisible()) {
        const std::optional<double> offset = parseDecimal(m_settings.clockCorrection());
        if (offset)
            offsetMinutes = *offset;
        else
            ui::showWarning(this, QStringLiteral("現在日時とシステム日時の差違『%1』は、数値ではありません。\n差違なしで現在日時をセットします。")
                                      .arg(m_settings.clockCorrection()));
    }
    const QDateTime now = QDateTime::currentDateTime().addSecs(static_cast<qint64>(std::llround(offsetMinutes * 60)));
    const QTime t = now.time();
    setMoment(CivilTime{now.date().year(), now.date().month(), now.date().day(), t.hour(), t.minute(), t.second()});
}

void TMainF::TimeBtnUpClick()
{
    stepTime(+1);
}

void TMainF::TimeBtnDownClick()
{
    stepTime(-1);
}

bool TMainF::dateReadable()
{
    if (m_dateE->typedDate())
        return true;
    // Never a neighbouring date in its place: a wrong date gives a wrong
    // chart that looks right.
    ui::showWarning(this, DateMessage.arg(m_dateE->lineEdit()->displayText()));
    m_dateE->lineEdit()->setFocus();
    m_dateE->lineEdit()->selectAll();
    return false;
}

void TMainF::stepTime(int direction)
{
    if (!dateReadable())
        return;
    const std::optional<HourMinute> t = parseTimeText(m_timeE->text());
    if (!t) {
        ui::showWarning(this, TimeMessage);
        return;
    }
    const EntryValue v = stepTwoHours({m_dateSeconds, *t}, direction);
    if (!entryInRange(v.dateSeconds)) {
        QApplication::beep(); // past the first or last date the entry takes
        return;
    }
    setEntry(v.dateSeconds, timeText(v.time));
}

void TMainF::PNBtn(int direction)
{
    const bool checked[4] = {BanGrp(0), BanGrp(1), BanGrp(2), BanGrp(3)};
    const int kind = steppingKind(checked);
    if (!dateReadable())
        return;
    const std::optional<HourMinute> t = parseTimeText(m_timeE->text());
    if (!t) {
        ui::showWarning(this, TimeMessage);
        return;
    }
    const std::optional<EntryValue> v = stepEntry({m_dateSeconds, *t}, kind, direction);
    if (!v) {
        QApplication::beep(); // past the first or last date the entry takes
        return;
    }
    setEntry(v->dateSeconds, timeText(v->time));
    BanBtnClick();
}

void TMainF::PBanBtnClick()
{
    PNBtn(-1);
}

void TMainF::NBanBtnClick()
{
    PNBtn(+1);
}

// --- making charts -------------------------------------------------------------------------

std::optional<NumberTables> TMainF::loadNumbers()
{
    NumbersFile file = readNumbersFile(programFile(NumbersFileName).toStdString());
    if (!file.ok()) {
        ui::showError(this, qs(file.error));
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
            ui::showWarning(this, text);
        }
    }
    return std::move(file.tables);
}

void TMainF::openChart(int kind, const CivilTime &moment)
{
    if (!BanGrp(kind))
        setBanGrp(kind, true);
    // Listed moments are on the calendar clock; the entry takes the civil
    // time of the same instant, read the same way again.
    const EngineOptions options = velm::engineOptions(m_settings, m_KCB1);
    const CivilTime entered = enteredFromCalendar(moment, options.koyomi.clock);
    if (!options.koyomi.clock.isDefault()) {
        QString error;
        const ClockReading first = readEntered(entered, options, Fold::First, error);
        m_fold = std::pair(entered, first.ok() && first.calendar == moment ? Fold::First : Fold::Second);
    }
    // The entry shows where the charts come from; they are laid from the moment itself.
    setMoment(entered);
    if (m_making || CheckRes(ResAtChart, this))
        return;
    layCharts(entered);
}

void TMainF::BanBtnClick()
{
    if (m_making || CheckRes(ResAtChart, this))
        return;
    if (!dateReadable())
        return;
    const std::optional<CivilTime> entered = velm::enteredMoment(m_dateSeconds, m_timeE->text());
    if (!entered) {
        DispDateData();
        ui::showWarning(this, TimeMessage);
        return;
    }
    if (!chooseFold(*entered, this))
        return;
    layCharts(*entered);
}

std::optional<TMainF::ChartMoment> TMainF::chartMoment(const CivilTime &entered, QString &error) const
{
    ChartMoment m{entered, entered, velm::engineOptions(m_settings, m_KCB1)};
    if (!m.options.tzOk && m.options.koyomi.clock.zone.empty()) {
        error = QStringLiteral("天体計算のタイムゾーン『%1』は、数値ではありません。").arg(m.options.tzText);
        return std::nullopt;
    }
    const ClockReading r = readEntered(entered, m.options, foldFor(entered), error);
    if (!r.ok() || !m.options.tzOk) {
        if (error.isEmpty())
            error = QStringLiteral("タイムゾーン『%1』が見つかりません。").arg(m.options.tzText);
        return std::nullopt;
    }
    m.options.koyomi = r.options;
    m.at = r.calendar;
    return m;
}

std::optional<TMainF::ChartRequest> TMainF::chartRequest(const CivilTime &entered, QString &error) const
{
    const std::optional<ChartMoment> moment = chartMoment(entered, error);
    if (!moment)
        return std::nullopt;
    ChartRequest request{*moment, {}, {}};
    for (int n = 0; n < 4; ++n)
        request.kinds[static_cast<std::size_t>(n)] = BanGrp(n);
    // The designated hours of the same day, each read on the clock by itself.
    if (request.kinds[KindHour] && CGS()) {
        for (int hour : designatedHours(m_settings.designatedHours())) {
            CivilTime at = entered;
            at.hour = hour;
            at.minute = 0;
            QString ignored;
            if (const std::optional<ChartMoment> m = chartMoment(at, ignored))
                request.designated.push_back(*m);
        }
    }
    return request;
}

void TMainF::layCharts(const CivilTime &entered)
{
    // The panel shows the moment as now read.
    DispDateData();
    QString error;
    const std::optional<ChartRequest> request = chartRequest(entered, error);
    if (!request) {
        ui::showError(this, error);
        return;
    }
    const std::optional<NumberTables> numbers = loadNumbers();
    if (!numbers)
        return;

    m_making = true;
    ++m_setCount;
    m_setMoment = m_dateE->date().toString(QStringLiteral("yyyy/MM/dd ")) + m_timeE->text();
    {
        WaitCursor wait;
        const ChartMoment &moment = request->moment;
        for (int n = 3; n >= 0; --n) {
            if (!request->kinds[static_cast<std::size_t>(n)])
                continue;
            const QString title = chartWindowTitle(n, moment.at, moment.options);
            if (bringToFront(title)) {
                joinNewestSet(chartWindow(title));
                continue;
            }
            makeChart(n, title, moment, *numbers);
            if (n != KindHour)
                continue;
            for (const ChartMoment &hour : request->designated) {
                // Titled with the entered moment's calendar, as every chart of one request.
                const QString hourTitle = chartWindowTitle(KindHour, hour.at, moment.options);
                if (bringToFront(hourTitle))
                    joinNewestSet(chartWindow(hourTitle));
                else
                    makeChart(KindHour, hourTitle, hour, *numbers, true);
            }
        }
    }
    m_making = false;
    UpdateMenuItems();
    if (m_settings.tileAfterCharts())
        tileCharts(enteredChart());
}

void TMainF::joinNewestSet(TBanF *window)
{
    // The chart of the same title is this moment's chart too: it is shown
    // with the set being made, once.
    if (window)
        window->setChartSet({m_setCount, m_setMoment, window->chartSet().made});
}

bool TMainF::bringToFront(const QString &title)
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

QString TMainF::chartWindowTitle(int kind, const CivilTime &at, const EngineOptions &options,
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
    // The calendar in use beside each chart's title, when it is not the default.
    const QString calendar = calendarCaption(options.koyomi);
    return calendar.isEmpty() ? title : title + QStringLiteral("  ") + calendar;
}

void TMainF::makeChart(int kind, const QString &title, const ChartMoment &moment, const NumberTables &numbers,
                       bool designated)
{
    const EngineOptions &options = moment.options;
    const LaidChart laid = layChart(DateToKyu(moment.at, options.koyomi, true), kind, options.method, &numbers,
                                    &m_constData);
    // A designated hour chart stands for its whole double-hour: only a term can
    // put it on the wrong side.
    const BoundaryNote note = boundaryNote(moment.at, options.koyomi, options.warnMinutes, designated, kind);
    addChartWindow(laid, title, calendarCaption(options.koyomi), moment.entered, note, moment.at, true, m_setCount, m_setMoment);
}

void TMainF::otherSide(TBanF *window)
{
    const BoundaryNote &note = window->boundaryNote();
    if (!note.isNear() || m_making)
        return;
    const Boundary &b = note.boundary();
    const EngineOptions options = engineOptions();
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
    if (bringToFront(title))
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
        ? addChartWindow(laid, title, calendarCaption(options.koyomi), entered, shown, at, false, set.number, set.moment)
        : addChartWindow(laid, title, calendarCaption(options.koyomi), entered, boundaryNote(at, options.koyomi, options.warnMinutes, false, kind), at,
                         true, set.number, set.moment);
    UpdateMenuItems();
    if (m_settings.tileAfterCharts())
        tileCharts(made);
}

void TMainF::compareSchools(TBanF *window)
{
    const EngineOptions options = engineOptions();
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
    auto *dialog = new QDialog(this, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
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

namespace {

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

TBanF *TMainF::addChartWindow(const LaidChart &laid, const QString &title, const QString &calendar,
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
    auto *w = new TBanF(laid, title, entered, display);
    w->setBoundaryNote(note, at, crossable);
    w->setCalendarCaption(calendar);
    w->setChartSet({set, setMoment, ++m_madeCount});
    QMdiSubWindow *sub = m_mdi->addSubWindow(w, Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                                                     | Qt::WindowMinimizeButtonHint);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setWindowIcon(velmIcon(IconId::App));
    // The calendar goes inside the window; the title bar keeps the rest.
    const QString tail = QStringLiteral("  ") + calendar;
    const QString shown = !calendar.isEmpty() && title.endsWith(tail) ? title.chopped(tail.size()) : title;
    sub->setWindowTitle(shown);
    connect(w, &TBanF::windowClicked, this, [this, w] { chartClicked(w); });
    connect(w, &TBanF::palaceClicked, this, [this, w](int pos) { palaceClicked(w, pos); });
    connect(w, &TBanF::printRequested, this, [this, w] {
        if (m_hooks.printCharts)
            m_hooks.printCharts({w}, w);
    });
    connect(w, &TBanF::otherSideRequested, this, [this, w] { otherSide(w); });
    connect(w, &TBanF::schoolsRequested, this, [this, w] { compareSchools(w); });
    connect(sub, &QObject::destroyed, this, [this] { QTimer::singleShot(0, this, &TMainF::UpdateMenuItems); });
    sub->show();
    sub->adjustSize();
    fitTitleBar(sub, w, shown);
    sub->setFixedSize(sub->size());
    m_mdi->setActiveSubWindow(sub);
    return w;
}

// --- the chart windows ------------------------------------------------------------------------

QMdiSubWindow *TMainF::subWindowOf(const TBanF *window) const
{
    for (QMdiSubWindow *sub : m_mdi->subWindowList())
        if (sub->widget() == window)
            return sub;
    return nullptr;
}

QList<TBanF *> TMainF::chartWindows() const
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

TBanF *TMainF::chartWindow(const QString &title) const
{
    for (TBanF *w : chartWindows())
        if (w->title() == title)
            return w;
    return nullptr;
}

TBanF *TMainF::activeChartWindow() const
{
    if (QMdiSubWindow *sub = m_mdi->currentSubWindow())
        if (auto *w = qobject_cast<TBanF *>(sub->widget()); w && !sub->isHidden())
            return w;
    const QList<TBanF *> all = chartWindows();
    return all.isEmpty() ? nullptr : all.first();
}

void TMainF::chartClicked(TBanF *window)
{
    if (!window->momentText().isEmpty())
        setMoment(window->enteredMoment());
}

void TMainF::palaceClicked(TBanF *window, int pos)
{
    m_paneChart = window;
    PnlRead(pos);
}

void TMainF::PnlRead(int pos)
{
    TBanF *w = m_paneChart ? m_paneChart.data() : activeChartWindow();
    if (!w || pos < 0 || pos > 8)
        return;
    m_paneChart = w;
    const std::optional<NumberTables> numbers = loadNumbers();
    if (!numbers)
        return;
    const SetuTexts texts = SetuTexts::load(programFile(ExplanationsFileName).toStdString());
    if (!texts.ok())
        ui::showError(this, qs(texts.error()));
    const ChartRecord &chart = w->chart();
    const SuuScores scores = SuuSan(chart, w->koyomi(), *numbers, engineOptions().method);
    const std::string note = chartLabels(chart, w->koyomi(), m_constData).TyuL;
    const PanelView view = velm::PnlRead(chart.Ban, scores, pos, texts, m_constData, note, "\n");
    m_pane->showPanel(view, w->title());
}

void TMainF::Clr1Click()
{
    const QList<QMdiSubWindow *> subs = m_mdi->subWindowList(QMdiArea::ActivationHistoryOrder);
    for (QMdiSubWindow *sub : subs)
        sub->close();
    // The pane described a chart that is gone: its numbers must not be read
    // as those of the next chart.
    if (chartWindows().empty())
        m_pane->clearPanel();
    UpdateMenuItems();
}

QList<TBanF *> TMainF::tiledCharts() const
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

TBanF *TMainF::enteredChart() const
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

void TMainF::Tile1Click()
{
    tileCharts(activeChartWindow());
}

void TMainF::tileCharts(TBanF *visible)
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

void TMainF::retileSoon()
{
    if (m_retilePending || !m_settings.tileAfterCharts() || chartWindows().isEmpty())
        return;
    m_retilePending = true;
    QTimer::singleShot(0, this, [this] {
        m_retilePending = false;
        tileCharts(activeChartWindow());
    });
}

void TMainF::Cascade1Click()
{
    m_mdi->cascadeSubWindows();
}

void TMainF::ArrangeAll1Click()
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

void TMainF::MnuBarInitMenu()
{
    QMenu *w = m_menus[WindowMenu];
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
                CldMenuClick(sub);
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

void TMainF::CldMenuClick(QMdiSubWindow *sub)
{
    if (sub->isMinimized())
        sub->showNormal();
    m_mdi->setActiveSubWindow(sub);
    if (m_settings.tileAfterCharts())
        Tile1Click();
    else
        Cascade1Click();
}

void TMainF::BExpBtnClick()
{
    QStringList lines;
    for (TBanF *w : chartWindows()) {
        const ChartRecord &chart = w->chart();
        std::array<PalaceText, 9> palaces;
        for (int p = 0; p < 9; ++p)
            palaces[static_cast<std::size_t>(p)] = palaceText(chart.Ban, p, m_constData);
        const ChartLabels labels = chartLabels(chart, w->koyomi(), m_constData);
        for (const std::string &line : chartCopyLines(w->title().toStdString(), labels, palaces))
            lines << qs(line);
    }
    if (!lines.isEmpty())
        writeTextLines(lines);
}

} // namespace velm
