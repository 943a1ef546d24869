#include "shell/tools/systemsettings.h"

#include <algorithm>
#include <cmath>

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include "shell/common/helpwindow.h"
#include "shell/common/messages.h"
#include "shell/common/pcolor.h"

namespace velm {
namespace {

constexpr int HelpTopic = 40001;

// Real time zones run from 12 hours west to 14 hours east.
constexpr double MinTimeZone = -12.0;
constexpr double MaxTimeZone = 14.0;
// The clock offset exists to correct a wrong system clock; a clock off by more
// than about nineteen years is no longer a clock to correct.
constexpr double MaxNowOffset = 9999999.0; // minutes
constexpr int MaxCalendarCount = 9999;     // CFrom and CCnt, in double-hours and rows

// Designated hours, in the order of the bits of "CG1".
constexpr std::array<const char *, 12> HourItems{
    "丑： 1:00", "寅： 3:00", "卯： 5:00", "辰： 7:00", "巳： 9:00", "午：11:00",
    "未：13:00", "申：15:00", "酉：17:00", "戌：19:00", "亥：21:00", "子：23:00"};

constexpr std::array<const char *, 4> PeriodCaptions{"年", "月", "日", "刻"};

QString number(int n)
{
    return QString::number(n);
}

std::optional<int> parseInteger(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

QFont fontFrom(const FontSetting &setting)
{
    QFont f(setting.name);
    if (setting.size > 0)
        f.setPointSize(setting.size);
    return f;
}

QHBoxLayout *row(std::initializer_list<QWidget *> widgets)
{
    auto *h = new QHBoxLayout;
    for (QWidget *w : widgets)
        h->addWidget(w);
    h->addStretch(1);
    return h;
}

QLineEdit *field(const char *name, int width)
{
    auto *e = new QLineEdit;
    e->setObjectName(QLatin1String(name));
    e->setFixedWidth(width);
    e->setAlignment(Qt::AlignRight);
    return e;
}

// The panel colours are kept without alpha, as the settings hold them.
QColor opaque(const QColor &c)
{
    return QColor(c.red(), c.green(), c.blue());
}

} // namespace

// --- values ------------------------------------------------------------------------

SystemSettings loadSystemSettings(const AppSettings &s)
{
    SystemSettings v;
    v.searchListOnTop = s.searchListOnTop();
    v.tileAfterCharts = s.tileAfterCharts();
    v.colourChartsByScore = s.colourChartsByScore();
    v.showDutyDoorAndStar = s.showDutyDoorAndStar();
    v.calendarOnTop = s.calendarOnTop();
    v.calendarAtStart = s.calendarAtStart();
    v.doubleClickOpensChart = s.doubleClickOpensChart();
    v.calendarHourRows = s.calendarHourRows();
    v.calendarHoursBefore = s.calendarHoursBefore();
    v.designatedHours = s.designatedHours();
    for (int k = 0; k < 4; ++k)
        v.scoreThresholds[static_cast<std::size_t>(k)] = s.scoreThreshold(k);
    for (int k = 0; k < 5; ++k)
        v.scoreColours[static_cast<std::size_t>(k)] = s.scoreColour(k);
    v.baseFont = s.baseFont();
    v.explanationFont = s.explanationFont();
    v.chartFont = s.chartFont();
    v.clockCorrection = s.clockCorrection();
    v.fixedTimeZone = s.fixedTimeZone();
    v.hourStarFollowsDun = s.hourStarFollowsDun();
    v.layingMethod = s.layingMethod();
    v.defaultJuPeriod = s.defaultJuPeriod();
    for (int k = 0; k < 4; ++k)
        v.juPeriods[static_cast<std::size_t>(k)] = s.juPeriod(k);
    v.summaryInTitle = s.summaryInTitle();
    v.TermSource = s.termSource() == Astronomy::Precise ? 1 : 0;
    v.UseTimeZone = s.useTimeZone();
    v.TimeZoneName = s.timeZoneName();
    v.LocalSolarTime = static_cast<int>(s.localSolarTime());
    v.Longitude = s.longitude();
    v.ExactMinutes = s.exactMinutes();
    v.JuMethod = static_cast<int>(s.juMethod());
    v.SchoolMarks = s.schoolMarks();
    v.BoundaryWarn = number(s.boundaryWarn());
    return v;
}

void saveSystemSettings(AppSettings &s, const SystemSettings &v)
{
    s.setSearchListOnTop(v.searchListOnTop);
    s.setTileAfterCharts(v.tileAfterCharts);
    s.setColourChartsByScore(v.colourChartsByScore);
    s.setShowDutyDoorAndStar(v.showDutyDoorAndStar);
    s.setCalendarOnTop(v.calendarOnTop);
    s.setCalendarAtStart(v.calendarAtStart);
    s.setDoubleClickOpensChart(v.doubleClickOpensChart);
    s.setCalendarHourRows(v.calendarHourRows);
    s.setHourStarFollowsDun(v.hourStarFollowsDun);
    s.setSummaryInTitle(v.summaryInTitle);
    s.setDesignatedHours(v.designatedHours);
    s.setLayingMethod(v.layingMethod);
    s.setDefaultJuPeriod(v.defaultJuPeriod);
    for (int k = 0; k < 4; ++k)
        s.setJuPeriod(k, v.juPeriods[static_cast<std::size_t>(k)]);
    for (int k = 0; k < 5; ++k)
        s.setScoreColour(k, v.scoreColours[static_cast<std::size_t>(k)]);
    for (int k = 0; k < 4; ++k)
        s.setScoreThreshold(k, v.scoreThresholds[static_cast<std::size_t>(k)]);
    s.setCalendarHoursBefore(v.calendarHoursBefore);
    s.setFixedTimeZone(v.fixedTimeZone);
    s.setClockCorrection(v.clockCorrection);
    s.setBaseFont(v.baseFont);
    s.setChartFont(v.chartFont);
    s.setExplanationFont(v.explanationFont);
    s.setTermSource(v.TermSource == 1 ? Astronomy::Precise : Astronomy::Short);
    s.setUseTimeZone(v.UseTimeZone);
    s.setTimeZoneName(v.TimeZoneName);
    s.setLocalSolarTime(v.LocalSolarTime == 1 ? SolarTime::Mean : v.LocalSolarTime == 2 ? SolarTime::True : SolarTime::None);
    s.setLongitude(v.Longitude);
    s.setExactMinutes(v.ExactMinutes);
    s.setJuMethod(v.JuMethod == 1 ? JuMethod::Chaibu : v.JuMethod == 2 ? JuMethod::Maoshan : JuMethod::Zhirun);
    s.setSchoolMarks(v.SchoolMarks);
    if (const std::optional<int> warn = parseInteger(v.BoundaryWarn); warn && *warn >= 0 && *warn <= MaxBoundaryWarn)
        s.setBoundaryWarn(*warn);
}

std::optional<double> timeZone(const SystemSettings &v)
{
    const std::optional<double> tz = parseDecimal(v.fixedTimeZone);
    if (!tz || *tz < MinTimeZone || *tz > MaxTimeZone)
        return std::nullopt;
    return tz;
}

KoyomiOptions koyomiOptions(const SystemSettings &v)
{
    KoyomiOptions o;
    // The program's own zone, as when no settings exist; the window does not
    // let an unusable text be stored, so this only meets hand-edited files.
    o.clock.fixedTz = timeZone(v).value_or(9.0);
    for (std::size_t k = 0; k < 4; ++k)
        o.periods[k] = v.juPeriods[k] == 0 ? 0 : 1;
    o.kcb1 = v.hourStarFollowsDun;
    o.settingsExist = true;
    o.astronomy = v.TermSource == 1 ? Astronomy::Precise : Astronomy::Short;
    if (v.UseTimeZone)
        o.clock.zone = v.TimeZoneName.toStdString();
    const std::optional<double> longitude = parseDecimal(v.Longitude);
    if (v.LocalSolarTime != 0 && longitude && std::fabs(*longitude) <= 180) {
        o.clock.solarTime = v.LocalSolarTime == 1 ? SolarTime::Mean : SolarTime::True;
        o.clock.longitude = *longitude;
    }
    o.exactMinutes = v.ExactMinutes;
    o.juMethod = v.JuMethod == 1 ? JuMethod::Chaibu : v.JuMethod == 2 ? JuMethod::Maoshan : JuMethod::Zhirun;
    return o;
}

LayingMethod layingMethod(const SystemSettings &v)
{
    return v.layingMethod == 1 ? LayingMethod::Flying : LayingMethod::Rotating;
}

// --- fonts -------------------------------------------------------------------------

void FontSetF(QWidget *window, const FontSetting &basic, const FontSetting &setu)
{
    if (!window)
        return;
    QFont wf = window->font();
    wf.setFamily(basic.name);
    window->setFont(wf);
    const bool self = qobject_cast<TSysF *>(window) != nullptr;
    const auto children = window->findChildren<QWidget *>();
    for (QWidget *w : children) {
        if (self && w->objectName().contains(QLatin1String("Font")))
            continue;
        QFont f = w->font();
        if (qobject_cast<QTextEdit *>(w) || qobject_cast<QPlainTextEdit *>(w)) {
            f.setFamily(setu.name);
            if (setu.size > 0)
                f.setPointSize(setu.size);
        } else {
            const auto *edit = qobject_cast<QLineEdit *>(w);
            const bool ownFont = qobject_cast<QFrame *>(w) || qobject_cast<QComboBox *>(w)
                || qobject_cast<QToolButton *>(w) || qobject_cast<QDateTimeEdit *>(w)
                || qobject_cast<QTabWidget *>(w) || qobject_cast<QTabBar *>(w)
                || qobject_cast<QStatusBar *>(w) || (edit && !edit->inputMask().isEmpty());
            if (!ownFont)
                continue; // follows the window
            f.setFamily(basic.name);
        }
        if (f != w->font())
            w->setFont(f);
    }
}

// --- the colour panel ----------------------------------------------------------------

ColourPanel::ColourPanel(const QString &caption, QWidget *parent)
    : QAbstractButton(parent)
{
    setText(caption);
    setCursor(Qt::PointingHandCursor);
}

void ColourPanel::setColour(const QColor &colour)
{
    m_colour = opaque(colour);
    update();
}

QColor ColourPanel::textColour() const
{
    return FColor(m_colour);
}

QSize ColourPanel::sizeHint() const
{
    const QFontMetrics fm(font());
    return {fm.horizontalAdvance(text()) + 24, fm.height() + 10};
}

void ColourPanel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), m_colour);
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    if (hasFocus()) {
        p.setPen(QPen(textColour(), 1, Qt::DotLine));
        p.drawRect(rect().adjusted(2, 2, -3, -3));
    }
    p.setPen(textColour());
    p.drawText(rect(), Qt::AlignCenter, text());
}

// --- the window ----------------------------------------------------------------------

TSysF::TSysF(AppSettings &settings, QWidget *parent)
    : QDialog(parent)
    , m_settings(settings)
{
    setHelpTopic(this, HelpTopic);
    setObjectName(QStringLiteral("SysF"));
    setWindowTitle(QStringLiteral("ｼｽﾃﾑ設定"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    setModal(false);

    colorDialog = [](QWidget *p, const QColor &initial) -> std::optional<QColor> {
        const QColor c = QColorDialog::getColor(initial, p);
        return c.isValid() ? std::optional<QColor>(c) : std::nullopt;
    };
    fontDialog = [](QWidget *p, const QFont &initial) -> std::optional<QFont> {
        bool ok = false;
        const QFont f = QFontDialog::getFont(&ok, initial, p);
        return ok ? std::optional<QFont>(f) : std::nullopt;
    };

    m_pages = new QTabWidget;
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    m_pages->addTab(buildSystemPage(), QStringLiteral("システム"));
    m_pages->addTab(buildDisplayPage(), QStringLiteral(" 表 示  "));
    m_pages->addTab(buildMakingPage(), QStringLiteral(" 作 盤 "));
    m_pages->widget(0)->setObjectName(QStringLiteral("Tab1"));
    m_pages->widget(1)->setObjectName(QStringLiteral("Tab2"));
    m_pages->widget(2)->setObjectName(QStringLiteral("Tab3"));
    m_pages->addTab(buildCalendarPage(), QStringLiteral(" 暦 "));
    m_pages->widget(3)->setObjectName(QStringLiteral("Tab4"));
    connect(m_rg[3], &QButtonGroup::idToggled, this, [this] { followHourPeriod(); });

    auto *closeBtn = new QPushButton(QStringLiteral("閉じる"));
    closeBtn->setObjectName(QStringLiteral("CloseBtn"));
    closeBtn->setDefault(true);
    connect(closeBtn, &QPushButton::clicked, this, &QWidget::close);
    auto *helpBtn = new QPushButton(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    helpBtn->setObjectName(QStringLiteral("HelpBtn"));
    helpBtn->setAutoDefault(false);
    connect(helpBtn, &QPushButton::clicked, this, [] { showHelp(HelpTopic); });

    auto *bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(closeBtn);
    bottom->addWidget(helpBtn);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_pages, 1);
    layout->addLayout(bottom);

    reload();
    resize(sizeHint().width(), std::max(400, sizeHint().height()));
}

QWidget *TSysF::buildSystemPage()
{
    auto *page = new QWidget;
    auto *v = new QVBoxLayout(page);
    const std::array<std::pair<int, const char *>, 6> boxes{{
        {1, "検索一覧表を常に手前に表示する"},
        {2, "作盤後、並べて表示する"},
        {4, "遁甲盤に八門-直使と九星-直符について表示する"},
        {5, "数値カレンダーを常に手前に表示する"},
        {6, "起動時に数値カレンダーを表示する"},
        {7, "数値カレンダー＆作盤データ一覧表でダブルクリックで作盤する"},
    }};
    for (const auto &[n, caption] : boxes) {
        auto *cb = new QCheckBox(QString::fromUtf8(caption));
        cb->setObjectName(QStringLiteral("CB") + number(n));
        m_cb[static_cast<std::size_t>(n)] = cb;
        v->addWidget(cb);
    }

    m_cFrom = field("CFrom", 50);
    m_cCnt = field("CCnt", 50);
    v->addLayout(row({m_cFrom, new QLabel(QStringLiteral("時間前から")), m_cCnt,
                      new QLabel(QStringLiteral("行分、数値カレンダーを作成する。"))}));

    m_cb8 = new QComboBox;
    m_cb8->setObjectName(QStringLiteral("CB8"));
    m_cb8->addItems({QStringLiteral("表示する"), QStringLiteral("表示しない"), QStringLiteral("当日のみ表示")});
    v->addLayout(row({new QLabel(QStringLiteral("数値カレンダー作成時の時盤行の表示")), m_cb8}));

    auto *cg1 = new QGroupBox(QStringLiteral("指定作成する時盤"));
    cg1->setObjectName(QStringLiteral("CG1"));
    auto *grid = new QGridLayout(cg1);
    // Four columns filled top to bottom: 丑寅卯 | 辰巳午 | 未申酉 | 戌亥子.
    for (int i = 0; i < 12; ++i) {
        auto *cb = new QCheckBox(QString::fromUtf8(HourItems[static_cast<std::size_t>(i)]));
        cb->setObjectName(QStringLiteral("CG1_") + number(i));
        m_cg1[static_cast<std::size_t>(i)] = cb;
        grid->addWidget(cb, i % 3, i / 3);
    }
    v->addWidget(cg1);
    v->addStretch(1);
    return page;
}

QWidget *TSysF::buildDisplayPage()
{
    auto *page = new QWidget;
    auto *v = new QVBoxLayout(page);

    m_cb[3] = new QCheckBox(QStringLiteral("遁甲盤に数値による着色をする"));
    m_cb[3]->setObjectName(QStringLiteral("CB3"));
    v->addWidget(m_cb[3]);

    auto *colours = new QGroupBox(QStringLiteral("数値表示パネルの数値と色"));
    auto *grid = new QGridLayout(colours);
    const std::array<const char *, 5> panelCaptions{"色１", "色２", "色３", "色４", "色５"};
    for (int k = 0; k < 5; ++k) {
        auto *cp = new ColourPanel(QString::fromUtf8(panelCaptions[static_cast<std::size_t>(k)]));
        cp->setObjectName(QStringLiteral("CP") + number(k));
        m_cp[static_cast<std::size_t>(k)] = cp;
        connect(cp, &QAbstractButton::clicked, this, [this, k] { CP0Click(k); });
    }
    for (int k = 0; k < 4; ++k) {
        QLineEdit *ed = field("", 50);
        ed->setObjectName(QStringLiteral("ED") + number(k));
        m_ed[static_cast<std::size_t>(k)] = ed;
        grid->addWidget(new QLabel(QStringLiteral("数値") + number(k + 1)), k, 0);
        grid->addWidget(ed, k, 1);
        grid->addWidget(new QLabel(QStringLiteral("以上の色")), k, 2);
        grid->addWidget(m_cp[static_cast<std::size_t>(k)], k, 3);
    }
    grid->addWidget(new QLabel(QStringLiteral("それより小さい時の色")), 4, 0, 1, 3, Qt::AlignRight);
    grid->addWidget(m_cp[4], 4, 3);
    auto *clrBtn = new QPushButton(QStringLiteral("デフォルトの色"));
    clrBtn->setObjectName(QStringLiteral("ClrBtn"));
    clrBtn->setAutoDefault(false);
    connect(clrBtn, &QPushButton::clicked, this, &TSysF::ClrBtnClick);
    grid->addWidget(clrBtn, 5, 3);
    v->addWidget(colours);

    auto *fonts = new QGroupBox(QStringLiteral("ﾌｫﾝﾄの設定"));
    auto *fgrid = new QGridLayout(fonts);
    const std::array<std::tuple<const char *, const char *, const char *>, 3> rows{{
        {"SysFntBtn", "基本ﾌｫﾝﾄ", "SysFont"},
        {"SetuFntBtn", "説明文", "SetuFont"},
        {"BanFntBtn", "遁甲盤", "BanFont"},
    }};
    for (int r = 0; r < 3; ++r) {
        const auto &[btnName, caption, sampleName] = rows[static_cast<std::size_t>(r)];
        auto *btn = new QPushButton(QString::fromUtf8(caption));
        btn->setObjectName(QLatin1String(btnName));
        btn->setAutoDefault(false);
        auto *sample = new QLabel;
        sample->setObjectName(QLatin1String(sampleName));
        sample->setFrameShape(QFrame::StyledPanel);
        sample->setMinimumWidth(180);
        if (r == 0)
            m_sysFont = sample;
        else if (r == 1)
            m_setuFont = sample;
        else
            m_banFont = sample;
        connect(btn, &QPushButton::clicked, this, [this, sample] { SysFntBtnClick(sample); });
        fgrid->addWidget(btn, r, 0);
        fgrid->addWidget(sample, r, 1);
    }
    v->addWidget(fonts);
    v->addStretch(1);
    return page;
}

QWidget *TSysF::buildMakingPage()
{
    auto *page = new QWidget;
    auto *v = new QVBoxLayout(page);

    m_nowE = field("NowE", 70);
    v->addLayout(row({new QLabel(QStringLiteral("現在日時とシステム日時の差違を")), m_nowE,
                      new QLabel(QStringLiteral("分にする。"))}));
    m_tze = field("TZE", 70);
    v->addLayout(row({new QLabel(QStringLiteral("天体計算のタイムゾーンの指定")), m_tze,
                      new QLabel(QStringLiteral("ｈ"))}));

    m_kcb1 = new QCheckBox(QStringLiteral("時盤紫白の置潤を局の置潤に合わせる"));
    m_kcb1->setObjectName(QStringLiteral("KCB1"));
    v->addWidget(m_kcb1);

    // A radio group: a titled box whose items are numbered as they are stored.
    const auto radioGroup = [this](const QString &name, const QString &title,
                                   const std::array<const char *, 2> &items, QButtonGroup *&group) {
        auto *box = new QGroupBox(title);
        box->setObjectName(name);
        auto *h = new QHBoxLayout(box);
        group = new QButtonGroup(box);
        for (int i = 0; i < 2; ++i) {
            auto *rb = new QRadioButton(QString::fromUtf8(items[static_cast<std::size_t>(i)]));
            rb->setObjectName(name + QLatin1Char('_') + number(i));
            group->addButton(rb, i);
            h->addWidget(rb);
        }
        return box;
    };

    v->addWidget(radioGroup(QStringLiteral("RG10"), QStringLiteral("作盤方法 "), RG10Items, m_rg10));

    auto *periods = new QGroupBox(QStringLiteral("１局の期間 "));
    auto *pv = new QGridLayout(periods);
    for (int k = 0; k < 4; ++k)
        pv->addWidget(radioGroup(QStringLiteral("RG0") + number(k),
                                 QString::fromUtf8(PeriodCaptions[static_cast<std::size_t>(k)]),
                                 RG0Items[static_cast<std::size_t>(k)], m_rg[static_cast<std::size_t>(k)]),
                      k / 2, k % 2);
    v->addWidget(periods);

    m_tcb = new QCheckBox(QStringLiteral("プログラムタイトル横に、作盤方法と局期間の状態を表示する"));
    m_tcb->setObjectName(QStringLiteral("TCB"));
    v->addWidget(m_tcb);
    v->addStretch(1);

    connect(m_kcb1, &QCheckBox::clicked, this, [this] { emit kcb1Changed(m_kcb1->isChecked()); });
    connect(m_tcb, &QCheckBox::clicked, this, [this] { emit kcb1Changed(m_kcb1->isChecked()); });
    return page;
}

namespace {

struct Place {
    const char *name;
    double longitude; // degrees east
    const char *zone;
};

constexpr std::array<Place, 16> Places{{
    {"東京", 139.77, "Asia/Tokyo"},
    {"大阪", 135.50, "Asia/Tokyo"},
    {"名古屋", 136.91, "Asia/Tokyo"},
    {"札幌", 141.35, "Asia/Tokyo"},
    {"仙台", 140.87, "Asia/Tokyo"},
    {"福岡", 130.40, "Asia/Tokyo"},
    {"那覇", 127.68, "Asia/Tokyo"},
    {"ソウル", 126.98, "Asia/Seoul"},
    {"台北", 121.56, "Asia/Taipei"},
    {"香港", 114.17, "Asia/Hong_Kong"},
    {"北京", 116.40, "Asia/Shanghai"},
    {"上海", 121.47, "Asia/Shanghai"},
    {"シンガポール", 103.82, "Asia/Singapore"},
    {"ロサンゼルス", -118.24, "America/Los_Angeles"},
    {"ニューヨーク", -74.01, "America/New_York"},
    {"ロンドン", -0.13, "Europe/London"},
}};

} // namespace

QWidget *TSysF::buildCalendarPage()
{
    auto *page = new QWidget;
    auto *v = new QVBoxLayout(page);

    const auto radios = [](const QString &name, const QString &title, std::initializer_list<const char *> items,
                           QButtonGroup *&group, QBoxLayout *into) {
        auto *box = new QGroupBox(title);
        box->setObjectName(name);
        auto *h = new QHBoxLayout(box);
        group = new QButtonGroup(box);
        int i = 0;
        for (const char *item : items) {
            auto *rb = new QRadioButton(QString::fromUtf8(item));
            rb->setObjectName(name + QLatin1Char('_') + QString::number(i));
            group->addButton(rb, i++);
            h->addWidget(rb);
        }
        h->addStretch(1);
        into->addWidget(box);
        return box;
    };
    radios(QStringLiteral("TermSource"), QStringLiteral("節気の計算 "), {"簡略式", "精密"}, m_termSource, v);
    // The clock: a fixed offset with its hours beside it, or a zone from the
    // list, which only the zone's choice enables.
    auto *clock = new QGroupBox(QStringLiteral("時刻 "));
    clock->setObjectName(QStringLiteral("ClockKind"));
    auto *clockGrid = new QGridLayout(clock);
    m_clockKind = new QButtonGroup(clock);
    auto *fixed = new QRadioButton(QStringLiteral("固定時差"));
    fixed->setObjectName(QStringLiteral("ClockKind_0"));
    auto *zoned = new QRadioButton(QStringLiteral("地域のタイムゾーン"));
    zoned->setObjectName(QStringLiteral("ClockKind_1"));
    m_clockKind->addButton(fixed, 0);
    m_clockKind->addButton(zoned, 1);
    m_fixedOffset = field("FixedOffset", 70);
    m_fixedOffset->setToolTip(QStringLiteral("天体計算のタイムゾーン（時間、東が正）。「作盤」のページと同じ値です。"));
    // One value shown on both pages.
    connect(m_fixedOffset, &QLineEdit::textEdited, m_tze, &QLineEdit::setText);
    connect(m_tze, &QLineEdit::textEdited, m_fixedOffset, &QLineEdit::setText);
    clockGrid->addWidget(fixed, 0, 0);
    clockGrid->addLayout(row({m_fixedOffset, new QLabel(QStringLiteral("ｈ（東が正）"))}), 0, 1);
    clockGrid->addWidget(zoned, 1, 0, Qt::AlignTop);
    auto *zoneBox = new QVBoxLayout;
    m_zoneFilter = new QLineEdit;
    m_zoneFilter->setObjectName(QStringLiteral("ZoneFilter"));
    m_zoneFilter->setPlaceholderText(QStringLiteral("タイムゾーンを検索"));
    m_zones = new QListWidget;
    m_zones->setObjectName(QStringLiteral("ZoneList"));
    int widest = 0;
    for (const std::string &name : zoneNames()) {
        m_zones->addItem(QString::fromStdString(name));
        widest = std::max(widest, m_zones->fontMetrics().horizontalAdvance(QString::fromStdString(name)));
    }
    // Every name whole, beside the scroll bar.
    m_zones->setMinimumWidth(widest + m_zones->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 4 * m_zones->frameWidth() + 16);
    m_zones->setMinimumHeight(120);
    zoneBox->addWidget(m_zoneFilter);
    zoneBox->addWidget(m_zones);
    clockGrid->addLayout(zoneBox, 1, 1);
    clockGrid->setColumnStretch(1, 1);
    v->addWidget(clock);
    connect(m_zoneFilter, &QLineEdit::textChanged, this, &TSysF::filterZones);
    connect(m_zones, &QListWidget::currentTextChanged, this, [this](const QString &name) {
        if (!name.isEmpty())
            m_zone = name;
    });
    connect(m_clockKind, &QButtonGroup::idToggled, this, [this] { followClockKind(); });

    radios(QStringLiteral("LocalSolarTime"), QStringLiteral("地方時 "), {"使わない", "平均太陽時", "真太陽時"}, m_solar, v);
    m_longitude = field("Longitude", 80);
    m_places = new QComboBox;
    m_places->setObjectName(QStringLiteral("Places"));
    m_places->addItem(QStringLiteral("（地名から）"));
    for (const Place &p : Places)
        m_places->addItem(QString::fromUtf8(p.name));
    connect(m_places, &QComboBox::activated, this, [this](int index) {
        if (index < 1)
            return;
        const Place &p = Places[static_cast<std::size_t>(index - 1)];
        m_longitude->setText(QString::number(p.longitude, 'f', 2));
        selectZone(QString::fromLatin1(p.zone));
    });
    v->addLayout(row({new QLabel(QStringLiteral("経度")), m_longitude, new QLabel(QStringLiteral("度（東経が正）")),
                      m_places}));

    // Moments near a term, a double-hour change or midnight.
    m_exactMinutes = new QCheckBox(QStringLiteral("節入り判定に分まで使う"));
    m_exactMinutes->setObjectName(QStringLiteral("ExactMinutes"));
    m_exactMinutes->setToolTip(QStringLiteral("節入りの時刻と入力した時刻を、分まで比べます。\n"
                                              "使わないときは、時の正時で比べます。"));
    v->addWidget(m_exactMinutes);

    // The schools differ in the hour chart's yuan, which only the ju of sixty
    // double-hours has: with ten double-hours per ju the choice is closed.
    m_juMethod = new QComboBox;
    m_juMethod->setObjectName(QStringLiteral("JuMethod"));
    m_juMethod->addItems({QStringLiteral("置閏（超神接気）"), QStringLiteral("拆補"), QStringLiteral("茅山")});
    m_juMethod->setToolTip(QStringLiteral("時盤の節気と元の求め方です。\n"
                                          "置閏：冬至・夏至に近い旬首の日から数え、芒種・大雪で閏を置きます。\n"
                                          "拆補：その時の節気と、その日の符頭（甲・己の日）の支で元を決めます。\n"
                                          "茅山：その時の節気と、節入りからの日数（5日ごと）で元を決めます。"));
    m_juMethodNote = new QLabel(QStringLiteral("（時盤が６０刻１局のときに使えます）"));
    m_juMethodNote->setObjectName(QStringLiteral("JuMethodNote"));
    v->addLayout(row({new QLabel(QStringLiteral("局の求め方")), m_juMethod, m_juMethodNote}));
    m_schoolMarks = new QCheckBox(QStringLiteral("流派で時盤が異なる時をカレンダーとヒートマップに示す"));
    m_schoolMarks->setObjectName(QStringLiteral("SchoolMarks"));
    m_schoolMarks->setToolTip(QStringLiteral("置閏・拆補・茅山で時盤の遁や局が変わる時刻に印を付けます。\n"
                                             "印のない時刻は、どの流派で作っても同じ時盤です。"));
    v->addWidget(m_schoolMarks);
    m_boundaryWarn = field("BoundaryWarn", 50);
    m_boundaryWarn->setToolTip(QStringLiteral("節入り・時の変わり目・日付の変わり目にこの分数まで近いとき、\n"
                                              "盤とステータスバーに表示します（0：警告しない）。"));
    v->addLayout(row({new QLabel(QStringLiteral("境界の警告")), m_boundaryWarn,
                      new QLabel(QStringLiteral("分以内（0：警告しない）"))}));
    v->addStretch(1);
    return page;
}

void TSysF::followHourPeriod()
{
    const bool sixty = m_rg[3]->checkedId() != 0;
    m_juMethod->setEnabled(sixty);
    m_schoolMarks->setEnabled(sixty);
    m_juMethodNote->setVisible(!sixty);
}

void TSysF::followClockKind()
{
    const bool zoned = m_clockKind->checkedId() == 1;
    m_zones->setEnabled(zoned);
    m_zoneFilter->setEnabled(zoned);
    m_fixedOffset->setEnabled(!zoned);
}

void TSysF::filterZones(const QString &text)
{
    const QString needle = text.trimmed();
    for (int i = 0; i < m_zones->count(); ++i) {
        QListWidgetItem *item = m_zones->item(i);
        item->setHidden(!needle.isEmpty() && !item->text().contains(needle, Qt::CaseInsensitive));
    }
}

void TSysF::selectZone(const QString &name)
{
    m_zone = name;
    const QList<QListWidgetItem *> found = m_zones->findItems(name, Qt::MatchExactly);
    if (!found.isEmpty()) {
        found.front()->setHidden(false);
        m_zones->setCurrentItem(found.front());
        m_zones->scrollToItem(found.front());
    }
}

QString TSysF::selectedZone() const
{
    return m_zone;
}

// --- values in the controls ----------------------------------------------------------------

SystemSettings TSysF::current() const
{
    // Thresholds that are not integers (yet) read as stored; the window does
    // not close on them, so they are never stored.
    const SystemSettings stored = loadSystemSettings(m_settings);
    SystemSettings v;
    v.searchListOnTop = m_cb[1]->isChecked();
    v.tileAfterCharts = m_cb[2]->isChecked();
    v.colourChartsByScore = m_cb[3]->isChecked();
    v.showDutyDoorAndStar = m_cb[4]->isChecked();
    v.calendarOnTop = m_cb[5]->isChecked();
    v.calendarAtStart = m_cb[6]->isChecked();
    v.doubleClickOpensChart = m_cb[7]->isChecked();
    v.calendarHoursBefore = m_cFrom->text();
    v.calendarRows = m_cCnt->text();
    v.calendarHourRows = std::max(0, m_cb8->currentIndex());
    v.designatedHours = 0;
    for (int i = 0; i < 12; ++i)
        if (m_cg1[static_cast<std::size_t>(i)]->isChecked())
            v.designatedHours |= 1 << i;
    for (std::size_t k = 0; k < 4; ++k)
        v.scoreThresholds[k] = parseInteger(m_ed[k]->text()).value_or(stored.scoreThresholds[k]);
    for (std::size_t k = 0; k < 5; ++k)
        v.scoreColours[k] = bgrFromColor(m_cp[k]->colour());
    v.baseFont = fontOf(m_sysFont);
    v.explanationFont = fontOf(m_setuFont);
    v.chartFont = fontOf(m_banFont);
    v.clockCorrection = m_nowE->text();
    v.fixedTimeZone = m_tze->text();
    v.hourStarFollowsDun = m_kcb1->isChecked();
    v.layingMethod = m_rg10->checkedId() == 1 ? 1 : 0;
    v.defaultJuPeriod = m_rg0;
    for (std::size_t k = 0; k < 4; ++k)
        v.juPeriods[k] = m_rg[k]->checkedId() == 0 ? 0 : 1;
    v.summaryInTitle = m_tcb->isChecked();
    v.TermSource = m_termSource->checkedId() == 1 ? 1 : 0;
    v.UseTimeZone = m_clockKind->checkedId() == 1;
    v.TimeZoneName = selectedZone();
    v.LocalSolarTime = std::max(0, m_solar->checkedId());
    v.Longitude = m_longitude->text();
    v.ExactMinutes = m_exactMinutes->isChecked();
    v.JuMethod = m_juMethod->currentIndex();
    v.SchoolMarks = m_schoolMarks->isChecked();
    v.BoundaryWarn = m_boundaryWarn->text();
    return v;
}

void TSysF::setCurrent(const SystemSettings &v)
{
    m_cb[1]->setChecked(v.searchListOnTop);
    m_cb[2]->setChecked(v.tileAfterCharts);
    m_cb[3]->setChecked(v.colourChartsByScore);
    m_cb[4]->setChecked(v.showDutyDoorAndStar);
    m_cb[5]->setChecked(v.calendarOnTop);
    m_cb[6]->setChecked(v.calendarAtStart);
    m_cb[7]->setChecked(v.doubleClickOpensChart);
    m_cFrom->setText(v.calendarHoursBefore);
    m_cCnt->setText(v.calendarRows);
    m_cb8->setCurrentIndex(v.calendarHourRows >= 0 && v.calendarHourRows <= 2 ? v.calendarHourRows : 0);
    for (int i = 0; i < 12; ++i)
        m_cg1[static_cast<std::size_t>(i)]->setChecked(v.designatedHours & (1 << i));
    for (std::size_t k = 0; k < 4; ++k)
        m_ed[k]->setText(number(v.scoreThresholds[k]));
    for (std::size_t k = 0; k < 5; ++k)
        m_cp[k]->setColour(colorFromBgr(v.scoreColours[k]));
    showFont(m_sysFont, v.baseFont);
    showFont(m_setuFont, v.explanationFont);
    showFont(m_banFont, v.chartFont);
    m_nowE->setText(v.clockCorrection);
    m_tze->setText(v.fixedTimeZone);
    m_fixedOffset->setText(v.fixedTimeZone);
    m_kcb1->setChecked(v.hourStarFollowsDun);
    m_rg10->button(v.layingMethod == 1 ? 1 : 0)->setChecked(true);
    m_rg0 = v.defaultJuPeriod == 0 ? 0 : 1;
    for (std::size_t k = 0; k < 4; ++k)
        m_rg[k]->button(v.juPeriods[k] == 0 ? 0 : 1)->setChecked(true);
    m_tcb->setChecked(v.summaryInTitle);
    m_termSource->button(v.TermSource == 1 ? 1 : 0)->setChecked(true);
    m_clockKind->button(v.UseTimeZone ? 1 : 0)->setChecked(true);
    selectZone(v.TimeZoneName);
    followClockKind();
    m_solar->button(v.LocalSolarTime >= 0 && v.LocalSolarTime <= 2 ? v.LocalSolarTime : 0)->setChecked(true);
    m_longitude->setText(v.Longitude);
    m_exactMinutes->setChecked(v.ExactMinutes);
    m_juMethod->setCurrentIndex(v.JuMethod >= 0 && v.JuMethod <= 2 ? v.JuMethod : 0);
    m_schoolMarks->setChecked(v.SchoolMarks);
    followHourPeriod();
    m_boundaryWarn->setText(v.BoundaryWarn);
    FontSetF(this);
}

void TSysF::reload()
{
    SystemSettings v = loadSystemSettings(m_settings);
    // The calendar's row count lives only as long as the run.
    v.calendarRows = m_cCnt->text().isEmpty() ? SystemSettings{}.calendarRows : m_cCnt->text();
    setCurrent(v);
}

void TSysF::showFont(QLabel *sample, const FontSetting &font)
{
    sample->setFont(fontFrom(font));
    sample->setText(font.name);
}

FontSetting TSysF::fontOf(const QLabel *sample) const
{
    const QFont f = sample->font();
    return {f.family(), f.pointSize() > 0 ? f.pointSize() : 9};
}

void TSysF::FontSetF(QWidget *window) const
{
    velm::FontSetF(window, fontOf(m_sysFont), fontOf(m_setuFont));
}

// --- showing and closing ---------------------------------------------------------------------

void TSysF::showSettings()
{
    emit aboutToShow();
    show();
    raise();
    activateWindow();
}

void TSysF::focusField(QWidget *field)
{
    for (int i = 0; i < m_pages->count(); ++i)
        if (m_pages->widget(i)->isAncestorOf(field))
            m_pages->setCurrentIndex(i);
    field->setFocus();
    if (auto *edit = qobject_cast<QLineEdit *>(field))
        edit->selectAll();
}

bool TSysF::FormCloseQuery()
{
    // Thresholds: each at least as large as the next (equal ones are fine).
    for (std::size_t k = 0; k < 4; ++k) {
        if (!parseInteger(m_ed[k]->text())) {
            ui::showError(this, QStringLiteral("数値%1は、整数で指定して下さい。").arg(k + 1));
            focusField(m_ed[k]);
            return false;
        }
    }
    for (std::size_t k = 0; k < 3; ++k) {
        if (*parseInteger(m_ed[k]->text()) < *parseInteger(m_ed[k + 1]->text())) {
            ui::showError(this, QStringLiteral("数値%1は、数値%2より大きくなければなりません。").arg(k + 1).arg(k + 2));
            focusField(m_ed[k + 1]);
            return false;
        }
    }

    const SystemSettings v = current();
    if (!timeZone(v)) {
        ui::showError(this, QStringLiteral("天体計算のタイムゾーンは、-12.0～14.0の数値で指定して下さい。"));
        focusField(m_tze);
        return false;
    }
    const std::optional<double> longitude = parseDecimal(v.Longitude);
    if (v.LocalSolarTime != 0 && (!longitude || std::fabs(*longitude) > 180)) {
        ui::showError(this, QStringLiteral("経度は、-180～180の数値（東経が正）で指定して下さい。"));
        focusField(m_longitude);
        return false;
    }
    if (v.UseTimeZone && !zoneKnown(v.TimeZoneName.toStdString())) {
        ui::showError(this, QStringLiteral("タイムゾーンを一覧から選んで下さい。"));
        focusField(m_zoneFilter);
        return false;
    }
    const std::optional<int> warn = parseInteger(v.BoundaryWarn);
    if (!warn || *warn < 0 || *warn > MaxBoundaryWarn) {
        ui::showError(this, QStringLiteral("境界の警告は、0～1440の整数(分)で指定して下さい。"));
        focusField(m_boundaryWarn);
        return false;
    }
    const std::optional<double> now = parseDecimal(v.clockCorrection);
    if (!now || std::fabs(*now) > MaxNowOffset) {
        ui::showError(this, QStringLiteral("現在日時とシステム日時の差違は、-9999999～9999999の数値(分)で指定して下さい。"));
        focusField(m_nowE);
        return false;
    }
    const std::optional<int> from = parseInteger(v.calendarHoursBefore);
    if (!from || *from < 0 || *from > MaxCalendarCount) {
        ui::showError(this, QStringLiteral("数値カレンダーの開始は、0～9999の整数で指定して下さい。"));
        focusField(m_cFrom);
        return false;
    }
    const std::optional<int> count = parseInteger(v.calendarRows);
    if (!count || *count < 1 || *count > MaxCalendarCount) {
        ui::showError(this, QStringLiteral("数値カレンダーの行数は、1～9999の整数で指定して下さい。"));
        focusField(m_cCnt);
        return false;
    }
    return true;
}

void TSysF::FormClose()
{
    saveSystemSettings(m_settings, current());
    const QString error = m_settings.commit();
    if (!error.isEmpty())
        ui::showError(this, error);
    emit settingsChanged();
}

void TSysF::done(int result)
{
    if (!FormCloseQuery())
        return;
    FormClose();
    QDialog::done(result);
}

// --- colours and fonts ---------------------------------------------------------------------

void TSysF::CP0Click(int k)
{
    ColourPanel *panel = m_cp[static_cast<std::size_t>(k)];
    if (!colorDialog)
        return;
    if (const std::optional<QColor> chosen = colorDialog(this, panel->colour()); chosen && chosen->isValid())
        panel->setColour(*chosen);
}

void TSysF::ClrBtnClick()
{
    for (std::size_t k = 0; k < 5; ++k)
        m_cp[k]->setColour(colorFromBgr(DefaultColors[k]));
}

void TSysF::SysFntBtnClick(QLabel *sample)
{
    if (!fontDialog)
        return;
    const std::optional<QFont> chosen = fontDialog(this, sample->font());
    if (!chosen)
        return;
    FontSetting f = fontOf(sample);
    f.name = chosen->family();
    if (chosen->pointSize() > 0)
        f.size = chosen->pointSize();
    if (f.size < MinFontSize || f.size > MaxFontSize) {
        const int size = std::clamp(f.size, MinFontSize, MaxFontSize);
        ui::showWarning(this, QStringLiteral("ﾌｫﾝﾄの大きさは、%1～%2 ﾎﾟｲﾝﾄで指定して下さい。\n%3 ﾎﾟｲﾝﾄにしました。")
                                  .arg(MinFontSize)
                                  .arg(MaxFontSize)
                                  .arg(size));
        f.size = size;
    }
    showFont(sample, f);
    if (sample != m_banFont)
        FontSetF(this);
}

} // namespace velm
