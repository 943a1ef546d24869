// The main window's date and time entry and the calendar summary of the moment entered.

#include "shell/main/entrypanel.h"

#include <cmath>

#include <QApplication>
#include <QCheckBox>
#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QToolButton>
#include <QVBoxLayout>

#include "engine/symbols.h"
#include "shell/common/boundarynote.h"
#include "shell/common/japanese.h"
#include "shell/common/messages.h"
#include "shell/common/strings.h"
#include "shell/main/dateentry.h"
#include "shell/main/mainwindow_entry.h"

namespace velm {
namespace {

const QString TimeMessage = QStringLiteral("時刻が正しくありません。「時:分」の形で入力して下さい。");
const QString DateMessage = QStringLiteral("日付『%1』は正しくありません。「年/月/日」の形で、暦にある日付を入力して下さい。");

} // namespace

EntryPanel::EntryPanel(AppSettings &settings, QWidget *window)
    : QObject(window)
    , m_settings(settings)
    , m_window(window)
{
    setObjectName(QStringLiteral("EntryPanel"));
    build();
}

void EntryPanel::build()
{
    m_dateE = new DateEntry(m_window);
    m_dateE->setObjectName(QStringLiteral("DateE"));
    m_dateE->setDateRange(QDate(EntryFirstYear, 1, 1), QDate(EntryLastYear, 12, 31));
    // The month pop-up in Japanese ("2024年3月").
    m_dateE->setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
    japaneseMonthHeading(m_dateE->calendarWidget());
    connect(m_dateE, &DateEntry::dateChanged, this, &EntryPanel::dateEdited);
    // Enter in either field makes the charts, as the chart button does.
    connect(m_dateE, &DateEntry::returnPressed, this, &EntryPanel::chartsWanted);

    m_timeE = new QLineEdit(m_window);
    m_timeE->setObjectName(QStringLiteral("TimeE"));
    m_timeE->setInputMask(QStringLiteral("99:99;_"));
    m_timeE->setFixedWidth(m_timeE->fontMetrics().horizontalAdvance(QStringLiteral("000:000")) + 8);
    m_timeE->setAlignment(Qt::AlignCenter);
    connect(m_timeE, &QLineEdit::textChanged, this, &EntryPanel::DispDateData);
    connect(m_timeE, &QLineEdit::returnPressed, this, &EntryPanel::chartsWanted);

    // TimeBtn: the spin button beside the time, two hours a step.
    m_spin = new QWidget(m_window);
    m_spin->setObjectName(QStringLiteral("TimeBtn"));
    m_spin->setToolTip(QStringLiteral("時間を増減します"));
    m_spin->setStatusTip(m_spin->toolTip());
    auto *up = new QToolButton(m_spin);
    up->setObjectName(QStringLiteral("TimeBtnUp"));
    up->setArrowType(Qt::UpArrow);
    auto *down = new QToolButton(m_spin);
    down->setObjectName(QStringLiteral("TimeBtnDown"));
    down->setArrowType(Qt::DownArrow);
    for (QToolButton *b : {up, down}) {
        b->setFixedSize(16, 11);
        b->setAutoRepeat(true);
        b->setAutoRepeatDelay(500);
        b->setToolTip(m_spin->toolTip());
        b->setStatusTip(m_spin->toolTip());
    }
    connect(up, &QToolButton::clicked, this, &EntryPanel::TimeBtnUpClick);
    connect(down, &QToolButton::clicked, this, &EntryPanel::TimeBtnDownClick);
    auto *spinLayout = new QVBoxLayout(m_spin);
    spinLayout->setContentsMargins(0, 0, 0, 0);
    spinLayout->setSpacing(0);
    spinLayout->addWidget(up);
    spinLayout->addWidget(down);

    m_panel1 = new QLabel(QStringLiteral("DatePnl"), m_window);
    m_panel1->setObjectName(QStringLiteral("Panel1"));
    m_panel1->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_panel1->setContentsMargins(6, 2, 6, 2);

    m_banGrpBox = new QGroupBox(QStringLiteral("作盤"), m_window);
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
    m_cgsBox = new QGroupBox(QStringLiteral("指定"), m_window);
    m_cgsBox->setObjectName(QStringLiteral("CGSBox"));
    auto *cgsLayout = new QVBoxLayout(m_cgsBox);
    cgsLayout->setContentsMargins(4, 0, 4, 0);
    m_cgs = new QCheckBox(QStringLiteral("◎"), m_cgsBox);
    m_cgs->setObjectName(QStringLiteral("CGS"));
    m_cgs->setToolTip(QStringLiteral("時盤の作成時に、指定作成する時盤も作成します"));
    cgsLayout->addWidget(m_cgs);

    m_boundaryL = new QLabel(m_window);
    m_boundaryL->setObjectName(QStringLiteral("BoundaryL"));
    m_boundaryL->setStyleSheet(QStringLiteral("QLabel { color: #b00000; font-weight: bold; }"));
    m_calendarL = new QLabel(m_window);
    m_calendarL->setObjectName(QStringLiteral("CalendarL"));
}

QWidget *EntryPanel::dateField() const
{
    return m_dateE;
}

QWidget *EntryPanel::timeField() const
{
    return m_timeE;
}

void EntryPanel::arrange(Qt::Orientation orientation)
{
    auto *grid = static_cast<QGridLayout *>(m_banGrpBox->layout());
    for (int n = 0; n < 4; ++n) {
        grid->removeWidget(m_banGrp[n]);
        if (orientation == Qt::Vertical)
            grid->addWidget(m_banGrp[n], n, 0);
        else
            grid->addWidget(m_banGrp[n], 0, n);
    }
}

void EntryPanel::applyFontFamily(const QString &family)
{
    for (QWidget *w : std::initializer_list<QWidget *>{m_panel1, m_dateE, m_timeE, m_banGrpBox, m_cgsBox}) {
        QFont f = w->font();
        f.setFamily(family);
        w->setFont(f);
    }
}

void EntryPanel::readSettings()
{
    for (int n = 0; n < 4; ++n)
        m_banGrp[n]->setChecked(m_settings.chartKindChecked(n));
    m_cgs->setChecked(m_settings.designatedChartFlags() & 1);
}

void EntryPanel::saveSettings()
{
    for (int n = 0; n < 4; ++n)
        m_settings.setChartKindChecked(n, m_banGrp[n]->isChecked());
    m_settings.setDesignatedChartFlags((m_settings.designatedChartFlags() & ~1) | (m_cgs->isChecked() ? 1 : 0));
}

bool EntryPanel::BanGrp(int kind) const
{
    return kind >= 0 && kind < 4 && m_banGrp[kind]->isChecked();
}

void EntryPanel::setBanGrp(int kind, bool checked)
{
    if (kind >= 0 && kind < 4)
        m_banGrp[kind]->setChecked(checked);
}

bool EntryPanel::CGS() const
{
    return m_cgs->isChecked();
}

void EntryPanel::setCGS(bool checked)
{
    m_cgs->setChecked(checked);
}

void EntryPanel::setDateValue(std::int64_t seconds)
{
    m_dateSeconds = seconds;
    m_settingDate = true;
    m_dateE->setDate(entryDate(seconds));
    m_settingDate = false;
}

// A date picked by the user keeps the time of day the value carried.
void EntryPanel::dateEdited()
{
    if (m_settingDate)
        return;
    m_dateSeconds = entrySeconds(m_dateE->date(), entrySecondsOfDay(m_dateSeconds));
    // The panel shows the facts of the moment entered, date included.
    DispDateData();
}

void EntryPanel::setEntry(std::int64_t dateSeconds, const QString &time)
{
    setDateValue(dateSeconds);
    // A changed time text recomputes by itself; an unchanged one is recomputed here.
    if (m_timeE->text() == time)
        DispDateData();
    else
        m_timeE->setText(time);
}

void EntryPanel::setMoment(const CivilTime &moment)
{
    setEntry(entrySeconds(QDate(moment.year, moment.month, moment.day),
                          moment.hour * 3600 + moment.minute * 60 + moment.second),
             timeText({moment.hour, moment.minute}));
}

QDate EntryPanel::enteredDate() const
{
    return m_dateE->date();
}

std::optional<CivilTime> EntryPanel::enteredMoment() const
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

EngineOptions EntryPanel::engineOptions() const
{
    EngineOptions o = velm::engineOptions(m_settings, m_KCB1);
    if (const std::optional<CivilTime> entered = velm::enteredMoment(m_dateSeconds, m_timeE->text())) {
        QString error;
        const ClockReading r = readEntered(*entered, o, foldFor(*entered), error);
        if (r.ok())
            o.koyomi = r.options; // the calendar clock's offset read
    }
    return o;
}

Fold EntryPanel::foldFor(const CivilTime &entered) const
{
    return m_fold && m_fold->first == entered ? m_fold->second : Fold::Refuse;
}

bool EntryPanel::chooseFold(const CivilTime &entered, QWidget *parent)
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

std::optional<CivilTime> EntryPanel::askEnteredMoment(QWidget *parent)
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

CivilTime EntryPanel::showListed(int kind, const CivilTime &moment)
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
    setMoment(entered);
    return entered;
}

// --- DispDateData and the stepping buttons ---------------------------------------------

void EntryPanel::DispDateData()
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

void EntryPanel::NowBtnClick()
{
    // The user's offset of "now", in minutes; none while the window is being built.
    double offsetMinutes = 0;
    if (m_window->isVisible()) {
        const std::optional<double> offset = parseDecimal(m_settings.clockCorrection());
        if (offset)
            offsetMinutes = *offset;
        else
            ui::showWarning(m_window, QStringLiteral("現在日時とシステム日時の差違『%1』は、数値ではありません。\n差違なしで現在日時をセットします。")
                                          .arg(m_settings.clockCorrection()));
    }
    const QDateTime now = QDateTime::currentDateTime().addSecs(static_cast<qint64>(std::llround(offsetMinutes * 60)));
    const QTime t = now.time();
    setMoment(CivilTime{now.date().year(), now.date().month(), now.date().day(), t.hour(), t.minute(), t.second()});
}

void EntryPanel::TimeBtnUpClick()
{
    stepTime(+1);
}

void EntryPanel::TimeBtnDownClick()
{
    stepTime(-1);
}

bool EntryPanel::dateReadable()
{
    if (m_dateE->typedDate())
        return true;
    // Never a neighbouring date in its place: a wrong date gives a wrong
    // chart that looks right.
    ui::showWarning(m_window, DateMessage.arg(m_dateE->lineEdit()->displayText()));
    m_dateE->lineEdit()->setFocus();
    m_dateE->lineEdit()->selectAll();
    return false;
}

void EntryPanel::stepTime(int direction)
{
    if (!dateReadable())
        return;
    const std::optional<HourMinute> t = parseTimeText(m_timeE->text());
    if (!t) {
        ui::showWarning(m_window, TimeMessage);
        return;
    }
    const EntryValue v = stepTwoHours({m_dateSeconds, *t}, direction);
    if (!entryInRange(v.dateSeconds)) {
        QApplication::beep(); // past the first or last date the entry takes
        return;
    }
    setEntry(v.dateSeconds, timeText(v.time));
}

std::optional<CivilTime> EntryPanel::step(int direction)
{
    const bool checked[4] = {BanGrp(0), BanGrp(1), BanGrp(2), BanGrp(3)};
    const int kind = steppingKind(checked);
    if (!dateReadable())
        return std::nullopt;
    const std::optional<HourMinute> t = parseTimeText(m_timeE->text());
    if (!t) {
        ui::showWarning(m_window, TimeMessage);
        return std::nullopt;
    }
    const std::optional<EntryValue> v = stepEntry({m_dateSeconds, *t}, kind, direction);
    if (!v) {
        QApplication::beep(); // past the first or last date the entry takes
        return std::nullopt;
    }
    setEntry(v->dateSeconds, timeText(v->time));
    return velm::enteredMoment(v->dateSeconds, timeText(v->time));
}

std::optional<CivilTime> EntryPanel::typedMoment()
{
    if (!dateReadable())
        return std::nullopt;
    const std::optional<CivilTime> entered = velm::enteredMoment(m_dateSeconds, m_timeE->text());
    if (!entered) {
        DispDateData();
        ui::showWarning(m_window, TimeMessage);
    }
    return entered;
}

// --- the request of the chart button ----------------------------------------------------

std::optional<ChartMoment> EntryPanel::chartMoment(const CivilTime &entered, QString &error) const
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

std::optional<ChartRequest> EntryPanel::chartRequest(const CivilTime &entered, QString &error) const
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

} // namespace velm
