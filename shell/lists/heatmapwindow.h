#pragma once

// The direction heat map THeatF ("方位ヒートマップ"): the scores of one
// direction, or the best direction, over weeks of charts as one picture. For
// hour charts a row is a day and a column a double-hour; for day charts a row
// is a week. Cells take the chart windows' score colours; a cell's hint is its
// palace as the chart window describes it, and a click opens its chart. The
// picture can be saved as PNG or PDF and printed through the print preview.

#include <functional>
#include <memory>
#include <optional>

#include <QDate>
#include <QString>
#include <QWidget>

#include "evaluation/numbers.h"
#include "evaluation/sencheck.h"
#include "output/heatmap.h"
#include "shell/common/boundarynote.h"
#include "shell/common/schoolmarks.h"
#include "shell/common/pcolor.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QPainter;
class QPushButton;
class QScrollArea;

namespace velm {

class AppSettings;
class ChartOpener;
struct PrintPicture;

// What the picture shows, and how big its parts are drawn.
struct HeatPicture {
    HeatMap map;
    HeatGrid grid;
    int direction = HeatBest;
    QString title;
    PColorSettings colours;
    QDate today;
    // Cells near a solar term, marked as the calendar marks its rows; empty
    // when nothing is marked.
    std::function<bool(const HeatCell &cell)> nearTerm;
    // Hour cells where the schools of finding the ju lay different charts;
    // empty when not shown.
    std::function<bool(const HeatCell &cell)> schoolsDiffer;
    // The best direction in a hue per direction with its score as lightness
    // (from `low`, palest, to `high`, deepest), instead of the score colours.
    bool hueByDirection = false;
    double low = 0;
    double high = 0;
    bool matterOutlined = false; // a divination matter outlines cells
    // The people going ("花子・太郎") whose bad directions leave cells empty;
    // empty when all directions are shown.
    QString people;
    bool yearMonth = false; // their bad directions on the year and month charts too

    // The colour of a cell as the picture paints it.
    QColor faceOf(const HeatCell &cell) const;
    bool huesShown() const { return hueByDirection && direction == HeatBest; }
};

// The hue of a direction (a palace index) in the best direction's picture,
// at a lightness of 0 (deepest) to 1 (palest).
QColor directionColour(int palace, double paleness);

class HeatCanvas : public QWidget {
    Q_OBJECT
public:
    explicit HeatCanvas(QWidget *parent = nullptr);

    void setPicture(std::shared_ptr<const HeatPicture> picture);
    const HeatPicture *picture() const { return m_picture.get(); }

    // The whole picture at the size where every cell shows its text; with
    // `rows`, the title, legend and captions over that many rows.
    QSize naturalSize() const;
    QSize naturalSize(int rows) const;
    // Paints the picture into `size` from (0, 0); cells show their text where
    // it fits. With `firstRow` and `rows`, only those rows under the title,
    // the legend and the captions (one page of a long span).
    void paintPicture(QPainter &painter, const QSize &size) const;
    void paintRows(QPainter &painter, const QSize &size, int firstRow, int rows) const;
    // How many rows go on one page of the given height-to-width ratio, at
    // least one; the pages of a long span, each as a picture to print.
    int rowsPerPage(double heightPerWidth) const;
    // The legend's entries in order: each a colour (or none, for a mark
    // drawn as on the cells) and its words.
    struct LegendEntry {
        QColor face;
        QString text;
        enum Mark { Swatch, Outline, Corner, LowerCorner, Today, Lightness } mark = Swatch;
    };
    std::vector<LegendEntry> legend() const;
    // The cell (index into the map's cells) under a point of the widget; -1 for none.
    int cellAt(const QPoint &point) const;
    // The rectangle of a cell in the widget.
    QRect cellRect(int cell) const;

    // A cell hovered (for its hint) and a cell clicked.
    std::function<QString(int cell)> hintOf;
    std::function<void(int cell)> clicked;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    struct Frame {
        int captionWidth = 0;
        int titleHeight = 0;
        int legendHeight = 0;
        int headHeight = 0;
        double cellWidth = 0;
        double cellHeight = 0;
        int top() const { return titleHeight + legendHeight + headHeight; }
    };
    Frame frame(const QSize &size, int rows) const;
    Frame naturalFrame() const;
    // The legend's lines within `width`: each entry's place from the left.
    std::vector<std::vector<std::pair<int, int>>> legendLines(int width) const;
    int legendWidth(const LegendEntry &entry) const;
    void paintLegend(QPainter &painter, int y, int width) const;

    std::shared_ptr<const HeatPicture> m_picture;
};

class THeatF : public QWidget {
    Q_OBJECT
public:
    THeatF(ChartOpener &main, AppSettings &settings, QWidget *parent = nullptr);
    ~THeatF() override;

    // Shown by the main window: from the main window's date, raised.
    void showHeatMap();
    // The same at one direction (palace index 1..8), as the direction map opens it.
    void showHeatMapFor(int palace);
    // Builds the map from the controls, reading the numbers and settings
    // again when they changed.
    void rebuild();
    // A cell opens its chart (after the usual question for an unchecked kind).
    void openCell(int cell);
    QString cellHint(int cell) const;
    // The badge and hint of a cell's moment near a term, as the calendar's
    // rows show them; empty when no term is near or the warning is off.
    const QString &termMark(const HeatCell &cell) const;
    // The schools' charts of a cell's moment when they differ, else empty.
    const QString &schoolMark(const HeatCell &cell) const;
    // "出力": the picture as PNG or PDF, by the chosen name's extension.
    void ExpBtnClick();
    // Writes the picture at its natural size; empty text or the message.
    QString exportPicture(const QString &path) const;

    // The platform's save dialog: the chosen path, empty when cancelled.
    std::function<QString(QWidget *parent)> saveFileName;
    // The print preview of pictures (a long span makes several pages); PrevBtn is hidden while it is empty.
    void setPreview(std::function<void(std::vector<PrintPicture> pages)> preview);

    // "同行者全員に安全な方位のみ" and "年盤・月盤でも": the directions bad for
    // the people going (GoingPeople) are left empty.
    QCheckBox *SafeBox() const { return m_safeBox; }
    QCheckBox *YearMonthBox() const { return m_yearMonthBox; }
    // "出力" to PDF: one page per run of rows that fits a portrait page.
    QString exportPdf(const QString &path) const;

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void storeControls();
    void fillMatters();
    int spanDays() const;
    int direction() const;
    int kind() const;
    QString title() const;
    QString titleOf(const HeatMap &map) const;

    ChartOpener &m_main;
    AppSettings &m_settings;
    HeatCanvas *m_canvas = nullptr;
    QScrollArea *m_scroll = nullptr;
    QDateEdit *m_startE = nullptr;
    QComboBox *m_spanBox = nullptr;
    QComboBox *m_kindBox = nullptr;
    QComboBox *m_dirBox = nullptr;
    QComboBox *m_senBox = nullptr;
    QCheckBox *m_hueBox = nullptr;
    QCheckBox *m_safeBox = nullptr;
    QCheckBox *m_yearMonthBox = nullptr;
    QPushButton *m_prevBtn = nullptr;
    std::function<void(std::vector<PrintPicture>)> m_preview;

    // What the mapper was made for: when any of it changes the next build
    // starts afresh.
    QString m_madeFor;
    NumbersFile m_numbers;
    std::optional<SenMatter> m_matter;
    std::unique_ptr<HeatMapper> m_mapper;
    RowBoundaryMarks m_marks; // kept per moment, so a redraw finds them at once
    SchoolMarks m_schools;
    QString m_numbersWarned;
    bool m_restoring = false;
};

} // namespace velm
