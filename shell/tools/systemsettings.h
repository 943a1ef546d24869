#pragma once

// The system settings window TSysF ("ｼｽﾃﾑ設定"): every user option of the
// program on three pages — display and behaviour switches, the designated
// hours, the colour rule of numbers, the three fonts, the time offsets and the
// chart-making rules. It is made once at start and only shown and hidden; it
// loads its values from the settings when made and stores them when closed.
//
// SystemSettings is the same set of values as a plain struct, with the
// defaults of a fresh installation, and the engine's options are built from it.

#include <array>
#include <functional>
#include <optional>

#include <QAbstractButton>
#include <QColor>
#include <QDialog>
#include <QFont>
#include <QString>

#include "engine/ban.h"
#include "engine/koyomi.h"
#include "shell/settings/appsettings.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QTabWidget;

namespace velm {

// A clickable colour panel: its colour with its caption in the readable
// text colour on top (FColor).
class ColourPanel : public QAbstractButton {
    Q_OBJECT
public:
    explicit ColourPanel(const QString &caption, QWidget *parent = nullptr);
    QColor colour() const { return m_colour; }
    void setColour(const QColor &colour);
    QColor textColour() const;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_colour = Qt::white;
};

struct SystemSettings {
    // Page "システム"
    bool searchListOnTop = true; // 検索一覧表を常に手前に表示する
    bool tileAfterCharts = true; // 作盤後、並べて表示する
    bool showDutyDoorAndStar = false; // 遁甲盤に八門-直使と九星-直符について表示する
    bool calendarOnTop = true; // 数値カレンダーを常に手前に表示する
    bool calendarAtStart = false; // 起動時に数値カレンダーを表示する
    bool doubleClickOpensChart = true; // 数値カレンダー＆作盤データ一覧表でダブルクリックで作盤する
    QString calendarHoursBefore = QStringLiteral("0"); // double-hours before the entered hour
    QString calendarRows = QStringLiteral("100"); // calendar rows; never stored
    int calendarHourRows = 0; // 0 表示する, 1 表示しない, 2 当日のみ表示
    int designatedHours = 4095; // bit i: designated hour item i (丑 1:00 .. 子 23:00)

    // Page "表示"
    bool colourChartsByScore = true; // 遁甲盤に数値による着色をする
    std::array<int, 4> scoreThresholds = DefaultThresholds;
    std::array<quint32, 5> scoreColours = DefaultColors; // blue-green-red, red in the low byte
    FontSetting baseFont{QStringLiteral("IPAPGothic"), 9};
    FontSetting explanationFont{QStringLiteral("IPAPMincho"), 9};
    FontSetting chartFont{QStringLiteral("IPAGothic"), 10};

    // Page "作盤"
    QString clockCorrection = QStringLiteral("0.0"); // minutes added to the system clock
    QString fixedTimeZone = QStringLiteral("9.0"); // hours east of Greenwich
    bool hourStarFollowsDun = true; // 時盤紫白の置潤を局の置潤に合わせる
    int layingMethod = 0; // 0 活盤式, 1 飛宮式
    int defaultJuPeriod = 1; // hidden: the default of the four below
    std::array<int, 4> juPeriods{1, 1, 1, 1}; // "RG00".."RG03": 0 short rule, 1 sixty-step rule
    bool summaryInTitle = true; // summary beside the program title

    // Page "暦"
    int TermSource = 0; // 節気の計算: 0 簡略式, 1 精密
    bool UseTimeZone = false; // 時刻: 固定時差, or 地域のタイムゾーン
    QString TimeZoneName = QStringLiteral("Asia/Tokyo");
    int LocalSolarTime = 0; // 地方時: 0 使わない, 1 平均太陽時, 2 真太陽時
    QString Longitude = QStringLiteral("139.77"); // 経度, degrees east
    bool ExactMinutes = false;                    // 節入り判定に分まで使う
    int JuMethod = 0;                             // 局の求め方: 0 置閏 1 拆補 2 茅山
    bool SchoolMarks = false;                     // 流派で時盤が異なる時を示す
    QString BoundaryWarn = QStringLiteral("30");  // 境界の警告, minutes as typed

    friend bool operator==(const SystemSettings &, const SystemSettings &) = default;
};

SystemSettings loadSystemSettings(const AppSettings &settings);
// Everything but CCnt, which lives only as long as the run.
void saveSystemSettings(AppSettings &settings, const SystemSettings &values);

// "TZE" as hours; nullopt when it is no decimal number or no real time zone
// (outside -12 .. +14 hours).
std::optional<double> timeZone(const SystemSettings &values);
// Time zone (9.0 when "TZE" is not usable), ju periods, KCB1, the term
// source and the clock.
KoyomiOptions koyomiOptions(const SystemSettings &values);
// "RG10": item 0 活盤式 lays by rotating the plates, item 1 飛宮式 by flying them.
LayingMethod layingMethod(const SystemSettings &values);

// Gives a window the basic font's family and every memo the explanation font.
// Controls with a font of their own (sized labels, grids, panels, date and
// masked edits, tabs, status bars) keep size and style and take only the
// family; the rest follow the window. The settings window's three samples
// ("…Font") keep their own fonts.
void FontSetF(QWidget *window, const FontSetting &basic, const FontSetting &setu);

class TSysF : public QDialog {
    Q_OBJECT
public:
    explicit TSysF(AppSettings &settings, QWidget *parent = nullptr);

    // The values as the controls hold them now (other windows read these live).
    SystemSettings current() const;
    // Puts values into the controls (loading, tests).
    void setCurrent(const SystemSettings &values);
    // FormCreate: the stored values into the controls.
    void reload();

    // SysBtnClick: tells the owner (which closes every chart window), then
    // shows the window on top, modeless.
    void showSettings();

    // FormCloseQuery: false, after a message and with the faulty field
    // focused, while a value cannot be kept.
    bool FormCloseQuery();
    // FormClose: stores every value and tells the readers.
    void FormClose();

    // FontSetF with this window's current fonts.
    void FontSetF(QWidget *window) const;

    // The platform's dialogs; tests replace them. nullopt when cancelled.
    std::function<std::optional<QColor>(QWidget *parent, const QColor &initial)> colorDialog;
    std::function<std::optional<QFont>(QWidget *parent, const QFont &initial)> fontDialog;


signals:
    // Emitted by showSettings before the window appears.
    void aboutToShow();
    // KCB1Click: KCB1 or TCB clicked; the main window keeps its own copy of KCB1.
    void kcb1Changed(bool on);
    // The values were stored; readers should look again.
    void settingsChanged();

protected:
    // Every way of closing (閉じる, Esc, the close box, the main window's
    // close) comes here: checked, then stored.
    void done(int result) override;

private:
    QWidget *buildSystemPage();
    QWidget *buildDisplayPage();
    QWidget *buildMakingPage();
    QWidget *buildCalendarPage();
    void filterZones(const QString &text);
    // The zone list answers only while a zone is chosen, the fixed offset only while it is not.
    void followClockKind();
    // The ju method is open only with sixty double-hours per ju.
    void followHourPeriod();
    void selectZone(const QString &name);
    QString selectedZone() const;
    void CP0Click(int k);
    void ClrBtnClick();
    void SysFntBtnClick(QLabel *sample);
    void showFont(QLabel *sample, const FontSetting &font);
    FontSetting fontOf(const QLabel *sample) const;
    void focusField(QWidget *field);

    AppSettings &m_settings;
    QTabWidget *m_pages = nullptr;
    std::array<QCheckBox *, 9> m_cb{}; // CB1..CB7 at 1..7 (index 8 unused)
    QComboBox *m_cb8 = nullptr;
    QLineEdit *m_cFrom = nullptr;
    QLineEdit *m_cCnt = nullptr;
    std::array<QCheckBox *, 12> m_cg1{};
    std::array<QLineEdit *, 4> m_ed{};
    std::array<ColourPanel *, 5> m_cp{};
    QLabel *m_sysFont = nullptr;
    QLabel *m_setuFont = nullptr;
    QLabel *m_banFont = nullptr;
    QLineEdit *m_nowE = nullptr;
    QLineEdit *m_tze = nullptr;
    QCheckBox *m_kcb1 = nullptr;
    QCheckBox *m_tcb = nullptr;
    QButtonGroup *m_rg10 = nullptr;
    std::array<QButtonGroup *, 4> m_rg{};
    int m_rg0 = 1; // the hidden group
    QButtonGroup *m_termSource = nullptr;
    QButtonGroup *m_clockKind = nullptr;
    QLineEdit *m_zoneFilter = nullptr;
    QLineEdit *m_fixedOffset = nullptr; // the calendar page's copy of TZE
    QCheckBox *m_exactMinutes = nullptr;
    QComboBox *m_juMethod = nullptr;
    QCheckBox *m_schoolMarks = nullptr;
    QLabel *m_juMethodNote = nullptr;
    QLineEdit *m_boundaryWarn = nullptr;
    QListWidget *m_zones = nullptr;
    QString m_zone; // the chosen zone, also while the filter hides it
    QButtonGroup *m_solar = nullptr;
    QLineEdit *m_longitude = nullptr;
    QComboBox *m_places = nullptr;
};

} // namespace velm
