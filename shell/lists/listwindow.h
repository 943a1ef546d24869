#pragma once

// The list window TListF ("検索一覧表" / "作盤データ一覧表"): one list of
// moments in a grid, filled by the search or the chart-data list, or read from
// a list file. A row opens its chart (popup menu or double click), can be
// deleted, and the whole list can be saved and opened again. The window is
// made once at start; closing it only hides it.

#include <array>
#include <climits>
#include <functional>
#include <optional>
#include <vector>

#include <QAbstractTableModel>
#include <QFont>
#include <QWidget>

#include "engine/astro.h"
#include "output/listfile.h"
#include "shell/common/boundarynote.h"
#include "shell/settings/appsettings.h"

class QLabel;
class QMenu;
class QTimer;
class QPushButton;
class QTableView;

namespace velm {

// Rows of a list not made yet, made in blocks as the window shows them: a
// century's search is a quarter of a million rows.
struct ListRowSource {
    // Appends rows [from, to) (0-based) to `rows`.
    std::function<void(std::size_t from, std::size_t to, std::vector<ListRow> &rows)> make;
    std::size_t count = 0;
    bool wide = false; // one of them has a cell that widens the palace columns (listCellWide)
};

// The grid's model: the list. Row 0 of the list (the captions) is the
// horizontal header; data rows 1.. are the model's rows 0... A long list is
// shown in blocks: the grid gets the rows up to shownRows() and more as the
// window has measured them, so that it never stops to take in a century.
class ListTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    // The rows made so far (all of them unless a source is still pending).
    const ListModel &list() const { return m_list; }
    // Shows at most `shown` data rows of it to begin with; the source's
    // rows follow those of the list, made as they are asked for.
    void setList(ListModel list, int shown = INT_MAX, ListRowSource source = {});
    int shownRows() const { return m_shown; }
    // Rows of the source not made yet.
    int pendingRows() const { return static_cast<int>(m_source.count - m_sourceNext); }
    // Makes the source's rows until the list holds `rows` data rows.
    void makeRows(int rows);
    // Whether a row not made yet widens the palace columns.
    bool pendingWide() const { return pendingRows() > 0 && m_source.wide; }
    // Shows the data rows up to `rows` (never fewer than now).
    void showRows(int rows);
    // Writes the layout's captions into the caption row.
    void applyCaptions(const ListLayout &layout);
    // Data row 1.. of the list, when shown; false when out of range.
    bool removeListRow(int listRow);
    // Rows near a term get their date cell marked (display only).
    void setBoundaryOptions(const KoyomiOptions &options, int warnMinutes);
    // Of data row 1..; empty when the row is not near a term.
    const QString &boundaryMark(int listRow) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    ListModel m_list = ListModel::fresh();
    ListRowSource m_source;
    std::size_t m_sourceNext = 0; // the source's first row not made yet
    int m_shown = 0;
    RowBoundaryMarks m_marks;
};

class TListF : public QWidget {
    Q_OBJECT
public:
    explicit TListF(AppSettings &settings, QWidget *parent = nullptr);
    ~TListF() override;

    // A new list from the search or the chart-data list: laid out for its
    // kind and shown, on top of other windows when `onTop`. A long list
    // opens with its first rows and fills in blocks while the window stays
    // usable.
    void showList(ListModel list, bool onTop, ListRowSource source = {});
    // Whether rows of the list are still waiting to be shown; fillAll()
    // shows them at once (the tests, printing).
    bool filling() const;
    void fillAll();
    // Shows the list it holds (ListBtn, "検索一覧表を開く"), restored if minimised.
    void showWindow(bool onTop);
    bool hasRows() const { return m_model->list().dataRowCount() > 0 || m_model->pendingRows() > 0; }
    const ListModel &list() const { return m_model->list(); }
    ListKind listKind() const { return m_kind; }

    // FormActivate: captions, column widths and the held width for the list kind.
    void layoutForKind();

    // Actions on a data row (1..), as the popup menu and the double click do them.
    void BanItemClick(int listRow);
    void DelItemClick(int listRow);
    void SG1DblClick(int listRow);
    void ExpBtnClick();
    // "予定表に書き出す (.ics)": the selected rows (or all) as calendar events.
    void IcsBtnClick();
    // A large file is read on another thread: the list appears when it is in.
    void OpenBtnClick();
    // "検索一覧表を開く" from the main window: a window not yet shown appears
    // only with a list read from the file, never empty or with a list the
    // user did not ask for when the file is refused or the choice cancelled.
    void openFile(bool onTop);

    // Seams for the platform's file dialogs: the chosen path, empty when cancelled.
    std::function<QString(QWidget *parent)> saveFileName;
    std::function<QString(QWidget *parent)> saveIcsName;
    std::function<QString(QWidget *parent)> openFileName;
    // Whether a chart kind is checked in the main window's "作盤" group; when
    // empty every kind counts as checked.
    std::function<bool(int kind)> kindChecked;
    // The print preview of the grid; PrevBtn is disabled while it is empty.
    void setPreview(std::function<void(QTableView *grid)> preview);

    QLabel *SenL() const { return m_senL; }

signals:
    // A row asks for its chart; the main window checks the kind, sets the
    // moment and makes the charts.
    void openChart(int kind, const velm::CivilTime &moment);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void setList(ListModel list, ListRowSource source = {});
    void storePlacement();
    int rowAt(const QPoint &viewportPos) const;
    // Measures the cells of data rows up to `rows` into m_contentWidths.
    void measureRows(int rows);
    // Sets the columns and the window's width from the layout's widths and
    // the widest cells measured so far.
    void applyWidths();
    void fillMore();
    // Shows a list file read, or says why it cannot be shown.
    void openRead(const QString &path, ListFileRead read);

    AppSettings &m_settings;
    ListTableModel *m_model = nullptr;
    QTableView *m_grid = nullptr;
    QLabel *m_senL = nullptr;
    QLabel *m_cntL = nullptr;
    QPushButton *m_prevBtn = nullptr;
    QMenu *m_popup = nullptr;
    std::function<void(QTableView *)> m_preview;
    ListKind m_kind = ListKind::Other;
    int m_menuRow = 0; // the row the popup menu acts on (0: none)
    std::array<int, ListColumnCount> m_layoutWidths{}; // the layout's widths, unscaled
    std::array<int, ListColumnCount> m_contentWidths{}; // widest caption or cell so far, in pixels
    int m_measuredRows = 0;                             // data rows measured into m_contentWidths
    QFont m_measuredFont;
    QTimer *m_fill = nullptr;
    std::optional<bool> m_showWhenRead; // openFile on a hidden window: on top or not

};

} // namespace velm
