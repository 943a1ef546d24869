#pragma once

// Printing of the list grids as they appear on screen. TGridPrinter cuts a
// grid into pages that fit the printer's page (layout in output/printlayout.h),
// repeating the caption rows and the kind/date/hour/weekday columns on every
// page, and paints one page at a time onto a preview image at screen scale or
// onto the printer. TPrevF ("印刷ﾌﾟﾚﾋﾞｭｰ") pages through the preview, takes
// margins and colour printing, and prints; it is made once and shown modally
// by the list window and the calendar.
//
// The grid's caption row is its horizontal header (row 0 of the printout);
// model row n is printout row n + 1. Rows hidden in the view print nothing
// and take no space.
//
// The same printer sets out pictures (the chart windows) side by side and
// row under row, each painted by its window as on screen.

#include <functional>
#include <vector>

#include <QDialog>
#include <QFont>
#include <QImage>
#include <QPointF>
#include <QRect>
#include <QSize>
#include <QString>

#include "output/printlayout.h"
#include "shell/settings/appsettings.h"
#include "shell/common/pcolor.h"

class QCheckBox;
class QLabel;
class QPainter;
class QPrinter;
class QPushButton;
class QScrollArea;
class QSpinBox;
class QTableView;

namespace velm {

// One picture to print: its size in screen pixels and how it paints itself
// at screen scale from (0, 0); the painter is scaled to the page.
struct PrintPicture {
    QSize size;
    std::function<void(QPainter &painter)> paint;
    // The same in black and white, for printing without colour; when empty
    // the picture prints in its colours either way.
    std::function<void(QPainter &painter)> paintMono;
};

class TGridPrinter {
public:
    // The printer gives the page size and resolution; it is not owned.
    explicit TGridPrinter(QPrinter *printer);

    // The grid to print (none: the printer does nothing). The calendar's grid
    // is named "CSG": three fixed rows (captions, the first two charts) and
    // its own colours. The dynamic properties "printFixedRows" and
    // "printFixedCols" of a grid override the fixed counts (1 and 4).
    void setTargetGrid(QTableView *grid);
    // Pictures instead of a grid (none: the printer does nothing).
    void setTargetPictures(std::vector<PrintPicture> pictures);
    const std::vector<PrintPicture> &targetPictures() const { return m_pictures; }
    // The title line's text before the page position.
    std::function<QString()> title;

    // Millimetres.
    int LeftMargin = 10;
    int TopMargin = 10;
    int RightMargin = 5;
    int BottomMargin = 10;
    int TitleMargin = 0;
    // Per-mille correction of the screen resolution for the preview.
    int ScreenRatioX = 1000;
    int ScreenRatioY = 1000;
    // Colour printing: the marked direction of a search row, the calendar's
    // shaded rows and score colours.
    bool colour = false;
    PColorSettings pcolor;
    // "幅に合わせる": a grid wider than the page is drawn smaller to fit across.
    bool fitWidth = false;

    int Zoom() const { return m_zoom; }
    void SetZoom(int percent); // only values above 0
    bool DrawFixedArea() const { return m_drawFixedArea; }
    void SetDrawFixedArea(bool on);

    // Recomputes the layout from the margins, the printer and the grid.
    void UpdatePrinter();
    // The preview image of page (1, 1) at screen scale.
    const QImage &BeginPreview();
    // Move one page in print order and redraw the preview; false (and
    // nothing changed) when there is no page in that direction.
    bool PreviewNextPage();
    bool PreviewPriorPage();
    // Prints every page in order as one job. False when the printer could
    // not be opened.
    bool GoPrint();
    // Draws one page on a painter. `scaleX/Y`: canvas pixels per printer pixel.
    void Print(QPainter &painter, PagePos page, double scaleX, double scaleY, bool preview);

    const PrintLayout &layout() const { return m_layout; }
    const QImage &previewImage() const { return m_image; }
    PagePos currentPage() const { return m_page; }
    int totalPages() const { return m_layout.totalPages; }
    // "縦1:横1 /全 1頁"
    QString pagePosition() const;
    // Millimetres to pixels on the current canvas.
    int printerPixelsX(double mm) const;
    int printerPixelsY(double mm) const;

private:
    void drawPreview();
    QString cellText(int row, int col) const;
    void drawCell(QPainter &painter, int row, int col, const QRect &rect, double onePixel) const;
    int titleHeight() const; // grid pixels
    QFont targetFont() const;
    QFont canvasFont(bool preview) const;
    void printPictures(QPainter &painter, PagePos page, double ratioX, double ratioY, QPointF origin);

    QPrinter *m_printer = nullptr;
    QTableView *m_grid = nullptr;
    std::vector<PrintPicture> m_pictures;
    int m_zoom = 100;
    bool m_drawFixedArea = true;
    PrintLayoutInput m_input;
    PrintLayout m_layout;
    PagePos m_page;
    QImage m_image;
    double m_scaleX = 1.0;
    double m_scaleY = 1.0;
};

class TPrevF : public QDialog {
    Q_OBJECT
public:
    explicit TPrevF(AppSettings &settings, QWidget *parent = nullptr);
    ~TPrevF() override;

    // For the list window and the calendar: preview `grid` with the title
    // line `title()` and wait until the window is closed.
    void previewGrid(QTableView *grid, std::function<QString()> title);
    // The same without waiting (tests, and anyone who shows it himself).
    void setTarget(QTableView *grid, std::function<QString()> title);
    // Pictures (the chart windows) instead of a grid.
    void previewPictures(std::vector<PrintPicture> pictures, std::function<QString()> title, QWidget *opener);
    void setTargetPictures(std::vector<PrintPicture> pictures, std::function<QString()> title);
    // Opened from a window that stays on top, the preview must not fall
    // behind it: it becomes that window's dialog and stays on top too.
    // Null: back to the window it was made for.
    void stayAbove(QWidget *opener);

    // Page buttons, redraw and page position afresh from page 1.
    void FormActivate();
    // Margins and colour from the entries, then the preview from page 1.
    void ReDrawBtnClick();
    void PRSetBtnClick();
    void PRNBtnClick();
    void btnPV_NextClick();
    void btnPV_PriorClick();

    // The platform's printer set-up and print dialogs; true on OK. Tests
    // replace them.
    std::function<bool(QPrinter &printer, QWidget *parent)> pageSetupDialog;
    std::function<bool(QPrinter &printer, QWidget *parent)> printDialog;

    QPrinter &printer() { return *m_printer; }
    TGridPrinter &SGPrinter() { return m_sgPrinter; }

protected:
    void showEvent(QShowEvent *event) override;

public slots:
    void done(int result) override;

private:
    void showPage();
    void storeSettings();

    AppSettings &m_settings;
    QPrinter *m_printer;
    TGridPrinter m_sgPrinter;
    QLabel *m_pageLbl = nullptr;
    QScrollArea *m_scroll = nullptr;
    QLabel *m_image1 = nullptr;
    QPushButton *m_prior = nullptr;
    QPushButton *m_next = nullptr;
    QSpinBox *m_topE = nullptr;
    QSpinBox *m_bottomE = nullptr;
    QSpinBox *m_leftE = nullptr;
    QSpinBox *m_rightE = nullptr;
    QCheckBox *m_cb1 = nullptr;
    QCheckBox *m_fitCB = nullptr;
    QWidget *m_home = nullptr; // the parent it was made with
};

} // namespace velm
