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
#include "shell/common/pcolor.h"

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
};

class HeatCanvas : public QWidget {
    Q_OBJECT
public:
    explicit HeatCanvas(QWidget *parent = nullptr);

    void setPicture(std::shared_ptr<const HeatPicture> picture);
    const HeatPicture *picture() const { return m_picture.get(); }

    // The whole picture at the size where every cell shows its text.
    QSize naturalSize() const;
    // Paints the picture into `size` from (0, 0); cells show their text where it fits.
    void paintPicture(QPainter &painter, const QSize &size) const;
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
        int headHeight = 0;
        double cellWidth = 0;
        double cellHeight = 0;
    };
    Frame frame(const QSize &size) const;
    Frame naturalFrame() const;

    std::shared_ptr<const HeatPicture> m_picture;
};

class THeatF : public QWidget {
    Q_OBJECT
public:
    THeatF(ChartOpener &main, AppSettings &settings, QWidget *parent = nullptr);
    ~THeatF() override;

    // Shown by the main window: from the main window's date, raised.
    void showHeatMap();
    // Builds the map from the controls, reading the numbers and settings
    // again when they changed.
    void rebuild();
    // A cell opens its chart (after the usual question for an unchecked kind).
    void openCell(int cell);
    QString cellHint(int cell) const;
    // The badge and hint of a cell's moment near a term, as the calendar's
    // rows show them; empty when no term is near or the warning is off.
    const QString &termMark(const HeatCell &cell) const;
    // "出力": the picture as PNG or PDF, by the chosen name's extension.
    void ExpBtnClick();
    // Writes the picture at its natural size; empty text or the message.
    QString exportPicture(const QString &path) const;

    // The platform's save dialog: the chosen path, empty when cancelled.
    std::function<QString(QWidget *parent)> saveFileName;
    // The print preview of pictures; PrevBtn is hidden while it is empty.
    void setPreview(std::function<void(PrintPicture picture, const QString &title)> preview);

    HeatCanvas *canvas() const { return m_canvas; }
    QDateEdit *StartE() const { return m_startE; }
    QComboBox *SpanBox() const { return m_spanBox; }
    QComboBox *KindBox() const { return m_kindBox; }
    QComboBox *DirBox() const { return m_dirBox; }
    QComboBox *SenBox() const { return m_senBox; }

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
    QPushButton *m_prevBtn = nullptr;
    std::function<void(PrintPicture, const QString &)> m_preview;

    // What the mapper was made for: when any of it changes the next build
    // starts afresh.
    QString m_madeFor;
    NumbersFile m_numbers;
    std::optional<SenMatter> m_matter;
    std::unique_ptr<HeatMapper> m_mapper;
    RowBoundaryMarks m_marks; // kept per moment, so a redraw finds them at once
    QString m_numbersWarned;
    bool m_restoring = false;
};

} // namespace velm
