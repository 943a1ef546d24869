#pragma once

// A chart window: one chart of one kind for one moment, as a child of the
// main window. It receives its chart laid and scored and only paints it; it
// keeps its own copy, so any number of charts of different moments can be
// open and each still describes its own moment when clicked.

#include <array>
#include <functional>
#include <optional>

#include <QColor>
#include <QPointer>
#include <QWidget>

#include "engine/ban.h"
#include "engine/constdata.h"
#include "engine/koyomi.h"
#include "evaluation/numbers.h"
#include "evaluation/suusan.h"
#include "output/charttext.h"
#include "output/laidchart.h"
#include "shell/common/boundarynote.h"
#include "shell/common/pcolor.h"

class QAction;
class QLabel;
class QSpacerItem;
class QMdiSubWindow;
class QMenu;
class QPushButton;
class QPainter;
class QTableWidget;
class QToolButton;

namespace velm {

// How chart windows look: the system settings' options, read when a window
// is made.
struct BanDisplay {
    bool colourChartsByScore = true;  // colour the palaces by their scores
    bool showDutyDoorAndStar = false; // show the duty door and duty star below the grid
    PColorSettings colours;
    QString banFont = QStringLiteral("IPAGothic"); // chart font of the cells
    int banFontSize = 10;                          // points; 0 or less: 10
    QString sysFont = QStringLiteral("IPAGothic"); // basic font: labels take its name
};

class TBanF : public QWidget {
    Q_OBJECT
public:
    // `laid` holds its scores and labels (layChart with tables and names).
    // `title` is the caption (時盤:24/03/01 12時); an empty title shows "BanF",
    // and a window titled "BanF" never writes its moment back. `entered` is
    // the moment as entered (the civil time), which a click gives back to
    // the main window.
    TBanF(const LaidChart &laid, const QString &title, const CivilTime &entered, const BanDisplay &display,
          QWidget *parent = nullptr);

    QString title() const { return m_title; }
    // "yyyy/MM/dd hh:mm" of the entered moment.
    QString momentText() const;
    const CivilTime &enteredMoment() const { return m_entered; }
    // The set of charts this window belongs to: the charts one chart command
    // made (numbered upwards, 0 for none), with that command's entered moment
    // "yyyy/MM/dd hh:mm"; `made` counts windows in the order they were made.
    struct Set {
        int number = 0;
        QString moment;
        int made = 0;
    };
    const Set &chartSet() const { return m_set; }
    void setChartSet(const Set &set) { m_set = set; }
    const LaidChart &laid() const { return m_laid; }
    const ChartRecord &chart() const { return m_laid.chart; }
    const Koyomi &koyomi() const { return m_laid.koyomi; }
    // The score snapshot; row 8 holds the total of each palace index.
    const SuuScores &scores() const { return *m_laid.scores; }
    const ChartLabels &labels() const { return *m_laid.labels; }
    const std::array<PalaceText, 9> &palaceTexts() const { return m_laid.palaces; }
    const PalaceText &palaceText(int palace) const { return m_laid.palaces[static_cast<std::size_t>(palace)]; }

    // What the grid cell at (column, row) shows: its five lines, its hint and
    // its background (invalid when the cell is not coloured by score).
    QStringList cellLines(int column, int row) const;
    QString cellHint(int column, int row) const;
    QColor cellBackground(int column, int row) const;
    // The widgets by object name: the grid "SG1"; the pop-up menu
    // "PopupMenu1" with "CP1" (the chart), "CP2" (the palace), "CP3" (print
    // preview), "SaveImageItem" and "SchoolsItem"; the boundary badge
    // "BoundaryL" with the button "OtherSideBtn".
    // The palace the last press in the grid hit (what CP2 copies), -1 before any.
    int lastPalace() const { return m_lastPalace; }
    // Seam for the file dialog of "画像として保存…": the file to write (its
    // suffix picks PNG, SVG or PDF), empty when cancelled.
    std::function<QString(QWidget *parent, const QString &suggested)> saveImageName;

    // The chart on paper: its caption (title and pillar) over the window's
    // own labels and grid, painted by the same widgets as on screen, at
    // screen scale from (0, 0). The labels print dark whether or not the
    // window is active.
    // Without `colour` the palaces print white, the text black.
    QSize printSize();
    void paintChart(QPainter &painter, bool colour = true);

    // Teal with white labels and a yellow centre note while active; button
    // face with black labels and a grey note while not.
    void setActiveLook(bool active);

    // The destination the user chose (palace index 1..8, 0 for none): every
    // chart window, open or made later, outlines that palace and names the
    // place in its hint.
    static void setDestination(int palace, const QString &place);
    static int destinationPalace();
    bool outlines(int palace) const;
    // The signs (五 暗 本 的 破) a palace shows for the people going
    // (GoingPeople); their names and reasons follow in its hint.
    QString badMarks(int palace) const;
    bool activeLook() const { return m_active; }

    void CP1Click();
    void CP2Click();
    void saveImageClick();

    // The chart's moment near a boundary: a badge above the grid, the
    // boundary's exact time as its hint, and the button "境界の反対側" when
    // `crossable`. Nothing shows while the note has no boundary near.
    // `calendarMoment` is the chart's moment on the calendar clock.
    void setBoundaryNote(const BoundaryNote &note, const CivilTime &calendarMoment, bool crossable);
    const BoundaryNote &boundaryNote() const { return m_note; }
    const CivilTime &calendarMoment() const { return m_calendarMoment; }
    // The calendar the chart was laid on, when it is not the default
    // ("精密・節入り分単位"), on a line of its own under the labels: the
    // window's title bar has no room for it.
    void setCalendarCaption(const QString &caption);
    // The calendar options the chart was laid with, kept for "記録に残す";
    // empty for a chart no moment and options lay again (across a term).
    void setLaidOptions(const std::optional<KoyomiOptions> &options) { m_options = options; }
    const std::optional<KoyomiOptions> &laidOptions() const { return m_options; }
    QAction *journalAction() const { return m_journal; }
    // At least `width` pixels wide, the grid centred: room for a title bar
    // longer than the chart.
    void reserveWidth(int width);

signals:
    // After a press on a cell; palace index 0..8.
    void palaceClicked(int palace);
    // A press anywhere on the window: the main window takes its moment back.
    void windowClicked();
    void activated();
    // "印刷ﾌﾟﾚﾋﾞｭｰ" chosen in the pop-up menu.
    void printRequested();
    // "境界の反対側" pressed.
    void otherSideRequested();
    // "流派比較" chosen in the pop-up menu of an hour chart.
    void schoolsRequested();
    // "記録に残す…" chosen in the pop-up menu.
    void journalRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void buildGrid(const BanDisplay &display);
    void gridPressed(const QPoint &pos);
    void notifyClick();
    void showMenu(const QPoint &globalPos);
    bool titled() const;
    void watchSubWindow();
    void followActivation(bool active);
    void applyDestination();

    LaidChart m_laid;
    QString m_title;
    CivilTime m_entered;
    Set m_set;
    int m_lastPalace = -1;
    bool m_active = false;

    QLabel *m_kyokuL = nullptr;
    QLabel *m_junL = nullptr;
    QLabel *m_tyuL = nullptr;
    QLabel *m_label5 = nullptr;
    QLabel *m_label6 = nullptr;
    QLabel *m_calendarL = nullptr;
    QSpacerItem *m_widthRoom = nullptr;
    QWidget *m_boundaryBar = nullptr;
    QLabel *m_boundaryL = nullptr;
    QPushButton *m_otherSideBtn = nullptr;
    BoundaryNote m_note;
    CivilTime m_calendarMoment;
    QTableWidget *m_grid = nullptr;
    QToolButton *m_close = nullptr;
    QMenu *m_menu = nullptr;
    QAction *m_cp2 = nullptr;
    QAction *m_schools = nullptr;
    QAction *m_journal = nullptr;
    std::optional<KoyomiOptions> m_options;
    QPointer<QMdiSubWindow> m_subWindow;
};

} // namespace velm
