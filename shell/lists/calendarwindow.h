#pragma once

// The numbers calendar TCaleF ("数値カレンダー"): one row per chart over
// consecutive double-hours from near the main window's moment, with the total
// score of every direction. Hour rows of a day fold under its day row, a
// score cell shows its palace as a hint, a row opens its charts in the main
// window, and the list can be previewed for printing and exported. The window
// is made once at start and rebuilt every time it is shown or navigated.

#include <functional>
#include <vector>

#include <QAbstractTableModel>
#include <QWidget>

#include "output/calendar.h"
#include "shell/common/boundarynote.h"
#include "shell/common/schoolmarks.h"
#include "shell/settings/appsettings.h"
#include "shell/common/pcolor.h"

class QCheckBox;
class QLabel;
class QMenu;
class QPushButton;
class QTableView;

namespace velm {

class ChartOpener;

// The grid's model: the chart rows (model row r is grid row r + 1; the
// captions are the horizontal header), coloured as the calendar shows them.
class CaleTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    const std::vector<ListRow> &rows() const { return m_rows; }
    void setRows(std::vector<ListRow> rows, const PColorSettings &colours);
    bool removeRow(int row);
    // Rows near a term get their date cell marked (display only).
    void setBoundaryOptions(const KoyomiOptions &options, int warnMinutes);
    const QString &boundaryMark(int row) const;
    // Hour rows where the schools lay different charts get their hour cell
    // marked (display only).
    void setSchoolOptions(const KoyomiOptions &options, bool shown);
    const QString &schoolMark(int row) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<ListRow> m_rows;
    ListRow m_captions = calendarCaptions();
    PColorSettings m_colours;
    RowBoundaryMarks m_marks;
    SchoolMarks m_schools;
};

class TCaleF : public QWidget {
    Q_OBJECT
public:
    TCaleF(ChartOpener &main, AppSettings &settings, QWidget *parent = nullptr);
    ~TCaleF() override;

    // Shown by the main window: on top when CB5 is on, restored if minimised,
    // raised, and rebuilt.
    void showCalendar();
    // The same with only one direction's scores (palace index 1..8), as the
    // direction map opens it; the plain command shows every direction again.
    void showCalendarFor(int palace, const QString &place);
    int onlyDirection() const { return m_onlyPalace; }

    // FormShow: builds the list from the main window's moment and the settings.
    void FormShow();
    // The navigation buttons "<<", ">>" and "+".
    void PreBtnClick();
    void NxtBtnClick();
    void NowBtnClick();
    // Actions on a model row (0..), as the grid's menu, presses and double clicks do them.
    void BanItemClick(int row);
    void DelItemClick(int row);
    void CSGDblClick(int row);
    // A left press on columns 0..3 of a day row folds or unfolds its hour rows.
    void toggleDay(int row);
    void ExpBtnClick();
    // "予定表に書き出す (.ics)": the selected rows (or all) as calendar events.
    void IcsBtnClick();

    // The hint of a cell: the palace of a score cell, the boundary of a date
    // marked as near a term, else the grid's own hint.
    QString cellHint(int row, int column) const;

    // CCnt, the row count as the settings window holds it for this run (it is
    // never stored); "100" while unset.
    std::function<QString()> rowCountText;
    // The platform's save dialog: the chosen path, empty when cancelled.
    std::function<QString(QWidget *parent)> saveFileName;
    std::function<QString(QWidget *parent)> saveIcsName;
    // The print preview of the grid; PrevBtn is hidden while it is empty.
    // Rows hidden in the grid do not print.
    void setPreview(std::function<void(QTableView *grid)> preview);

    // The grid is "CSG"; "CSGFixed", the view over its first two chart rows,
    // stays in place while the grid scrolls.
    CaleTableModel *model() const { return m_model; }
    QLabel *SenL() const { return m_senL; }
    // "同行者の凶方位を空白に" and "年盤・月盤の凶方位も" (GoingPeople).
    QCheckBox *PeopleBox() const { return m_peopleBox; }
    QCheckBox *YearMonthBox() const { return m_yearMonthBox; }
    // The row the menu acts on (the last press); -1 when none.
    int menuRow() const { return m_menuRow; }

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void stepDay(int days);
    void fitWidths();
    void syncFrozen();
    void storePlacement();
    QTableView *viewOf(QObject *viewport) const;
    std::vector<bool> hiddenRows() const;
    void applyHidden(const std::vector<bool> &hidden);

    ChartOpener &m_main;
    AppSettings &m_settings;
    CaleTableModel *m_model = nullptr;
    QTableView *m_grid = nullptr;
    int m_onlyPalace = 0;
    void showDirections(int palace, const QString &place);
    QTableView *m_frozen = nullptr;
    QLabel *m_senL = nullptr;
    QLabel *m_cntL = nullptr;
    QPushButton *m_prevBtn = nullptr;
    QCheckBox *m_peopleBox = nullptr;
    QCheckBox *m_yearMonthBox = nullptr;
    QMenu *m_popup = nullptr;
    std::function<void(QTableView *)> m_preview;
    QString m_numbersWarned;
    int m_menuRow = -1;
    bool m_building = false;
    bool m_showing = false; // showCalendar builds itself; the show event must not build again
};

// CaleBtnClick, the main window's "カレンダー表示(&C)": with no double-hour
// selected, says so and selects all twelve; then shows the calendar.
void CaleBtnClick(QWidget *parent, AppSettings &settings, TCaleF &calendar);

} // namespace velm
