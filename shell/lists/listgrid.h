#pragma once

// The parts the list window and the numbers calendar share: a grid of chart
// rows under a heading (the yellow title and the count), its tool buttons,
// the row menu, and the way a row becomes a chart of the main window.

#include <functional>
#include <optional>
#include <vector>

#include <QString>

#include "shell/common/toolbutton.h"
#include "output/listfile.h"

class QLabel;
class QLayout;
class QMenu;
class QPushButton;
class QTableView;
class QWidget;

namespace velm {

class AppSettings;
struct EngineOptions;

// "SenL", black on yellow, and "CntL", right-aligned.
struct ListHeading {
    QLabel *senL = nullptr;
    QLabel *cntL = nullptr;
};
ListHeading makeListHeading(QWidget *parent);

// "ExpBtn" "出力" and "PrevBtn" "印刷ﾌﾟﾚﾋﾞｭｰ"; the caller wires them.
QPushButton *makeExportButton(QWidget *parent);
QPushButton *makePreviewButton(QWidget *parent);

// Whole rows, one at a time, read only, no row numbers; the hand cursor says
// a row can be opened, and the context menu is the caller's.
void setUpListGrid(QTableView *grid);

// "PopupMenu1": "遁甲盤の作盤" (BanItem) and "行削除" (DelItem).
QMenu *makeRowMenu(QWidget *parent, std::function<void()> onBan, std::function<void()> onDelete);

// The platform's save dialog for a list file: the chosen path, empty when cancelled.
QString chooseCsvSaveFile(QWidget *parent);

// "IcsBtn" "予定表に書き出す (.ics)"; the caller wires it.
QPushButton *makeIcsButton(QWidget *parent);
// The save dialog for a calendar file (".ics" added when no suffix is given).
QString chooseIcsSaveFile(QWidget *parent);
// The rows a calendar file takes: the selected rows when two or more are
// selected, else every row (one selected row is only where the user clicked).
std::vector<int> icsRowsOf(const QTableView *grid, int rowCount);
// Writes the rows as calendar events, laid and scored again with the
// calendar the rows were made on and the numbers file of the data folder.
// Empty text on success, else the message for the user.
QString writeIcsRows(const QString &path, const std::vector<ListRow> &rows, const EngineOptions &engine,
                     const QString &title);

// The grids were laid out for a small font; a larger one widens the columns
// in proportion so that no cell is cut.
double gridFontScale(const QTableView *grid);
// The width of a window whose columns take `columnsWidth` under `layout`,
// with room for the grid's scroll bar and frame; `slack` pixels more.
int gridWindowWidth(const QTableView *grid, const QLayout *layout, int columnsWidth, int slack);

// The window's place and size as last stored under `key`, if any.
void restorePlacement(QWidget *window, const AppSettings &settings, const QString &key);
// Shows the window, on top of others when `onTop`, restored if minimised, and raised.
void showRaised(QWidget *window, bool onTop);

// The chart a row asks for, with its moment: nothing for a row that is no
// chart, a row whose date or hour cannot be read (said in a message), or a
// kind not checked in the main window when the user declines to make it all
// the same. An empty `kindChecked` counts every kind as checked.
std::optional<RowMoment> chartOfRow(QWidget *parent, const ListRow &row,
                                    const std::function<bool(int kind)> &kindChecked);

} // namespace velm
