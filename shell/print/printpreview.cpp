#include "shell/print/printpreview.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <QAbstractItemModel>
#include <QApplication>
#include <QCheckBox>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>

#include "output/listfile.h"
#include "shell/common/helpwindow.h"
#include "shell/common/messages.h"
#include "shell/tools/systemsettings.h"

namespace velm {

namespace {

const QString CalendarGrid = QStringLiteral("CSG");
// Margins in millimetres, colour printing, lists fitted to the paper's width.
const SettingValue<int> TopMargin{"PRN", "TopMgn", 10};
const SettingValue<int> BottomMargin{"PRN", "BottomMgn", 5};
const SettingValue<int> LeftMargin{"PRN", "LeftMgn", 10};
const SettingValue<int> RightMargin{"PRN", "RightMgn", 10};
const SettingValue<bool> ColourPrinting{"PRN", "Color", false};
const SettingValue<bool> FitToWidth{"PRN", "Fit", true};
constexpr int FirstScoreColumn = 5;
constexpr int KindColumns = 5; // columns 0..4 of a calendar row: kind, date, hour, weekday, note
constexpr int PictureGap = 12;  // screen pixels between two charts on paper

struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

int fixedCount(const QTableView *grid, const char *property, int def)
{
    bool ok = false;
    const int n = grid->property(property).toInt(&ok);
    return ok && n >= 0 ? n : def;
}

} // namespace

// --- the grid printer ------------------------------------------------------------------------

TGridPrinter::TGridPrinter(QPrinter *printer)
    : m_printer(printer)
{
}

void TGridPrinter::setTargetGrid(QTableView *grid)
{
    m_grid = grid;
    m_pictures.clear();
    m_page = {};
    m_layout = {};
}

void TGridPrinter::setTargetPictures(std::vector<PrintPicture> pictures)
{
    m_grid = nullptr;
    m_pictures = std::move(pictures);
    m_page = {};
    m_layout = {};
}

void TGridPrinter::SetZoom(int percent)
{
    if (percent > 0)
        m_zoom = percent;
}

void TGridPrinter::SetDrawFixedArea(bool on)
{
    m_drawFixedArea = on;
    UpdatePrinter();
}

int TGridPrinter::titleHeight() const
{
    if (!m_grid)
        return m_pictures.empty() ? 0 : QFontMetrics(targetFont()).height() + 4;
    const int captionRow = m_input.rowHeights.empty() ? 0 : m_input.rowHeights.front();
    return std::max(captionRow, QFontMetrics(m_grid->font(), m_grid).height());
}

QFont TGridPrinter::targetFont() const
{
    return m_grid ? m_grid->font() : QApplication::font();
}

void TGridPrinter::UpdatePrinter()
{
    m_input = {};
    m_input.margins.left = LeftMargin;
    m_input.margins.top = TopMargin;
    m_input.margins.right = RightMargin;
    m_input.margins.bottom = BottomMargin;
    m_input.margins.title = TitleMargin;
    m_input.drawFixedArea = m_drawFixedArea;
    if (!m_pictures.empty() && m_printer) {
        QSize size;
        for (const PrintPicture &p : m_pictures)
            size = size.expandedTo(p.size);
        m_input.hasGrid = true;
        m_input.pageWidth = m_printer->width();
        m_input.pageHeight = m_printer->height();
        m_input.printerDpiX = m_printer->logicalDpiX();
        m_input.printerDpiY = m_printer->logicalDpiY();
        m_input.gridDpiX = qApp->primaryScreen() ? static_cast<int>(qApp->primaryScreen()->logicalDotsPerInchX()) : 96;
        m_input.gridDpiY = qApp->primaryScreen() ? static_cast<int>(qApp->primaryScreen()->logicalDotsPerInchY()) : 96;
        m_input.titleHeight = titleHeight();
        m_layout = computePictureLayout(m_input, static_cast<int>(m_pictures.size()), size.width(), size.height(),
                                        PictureGap);
        m_input.rowHeights.assign(static_cast<std::size_t>(m_layout.rowCount), size.height() + PictureGap);
        m_input.colWidths.assign(1, m_layout.picturesPerRow * (size.width() + PictureGap));
        if (m_layout.totalPages == 0)
            m_page = {};
        return;
    }
    m_input.fitWidth = fitWidth;
    QAbstractItemModel *model = m_grid ? m_grid->model() : nullptr;
    if (!m_grid || !model || !m_printer) {
        m_layout = computePrintLayout(m_input);
        return;
    }
    m_input.hasGrid = true;
    m_input.pageWidth = m_printer->width();
    m_input.pageHeight = m_printer->height();
    m_input.printerDpiX = m_printer->logicalDpiX();
    m_input.printerDpiY = m_printer->logicalDpiY();
    m_input.gridDpiX = m_grid->logicalDpiX();
    m_input.gridDpiY = m_grid->logicalDpiY();

    // Row 0 is the caption row (the header); the grid's rows follow.
    const int captionHeight =
        m_grid->horizontalHeader()->isHidden() ? 0 : m_grid->verticalHeader()->defaultSectionSize();
    m_input.rowHeights.push_back(captionHeight);
    for (int r = 0; r < model->rowCount(); ++r)
        m_input.rowHeights.push_back(m_grid->isRowHidden(r) ? 0 : std::max(0, m_grid->rowHeight(r)));
    for (int c = 0; c < model->columnCount(); ++c)
        m_input.colWidths.push_back(m_grid->isColumnHidden(c) ? 0 : std::max(0, m_grid->columnWidth(c)));
    const bool calendar = m_grid->objectName() == CalendarGrid;
    m_input.fixedRows = fixedCount(m_grid, "printFixedRows", calendar ? 3 : 1);
    m_input.fixedCols = fixedCount(m_grid, "printFixedCols", 4);
    m_input.titleHeight = titleHeight();
    m_layout = computePrintLayout(m_input);
    if (m_layout.totalPages == 0)
        m_page = {};
}

QString TGridPrinter::pagePosition() const
{
    if (m_layout.totalPages == 0)
        return {};
    return QString::fromStdString(pagePositionText(m_page, m_layout.totalPages));
}

int TGridPrinter::printerPixelsX(double mm) const
{
    return static_cast<int>(std::trunc(mm / 25.4 * m_input.printerDpiX * m_scaleX));
}

int TGridPrinter::printerPixelsY(double mm) const
{
    return static_cast<int>(std::trunc(mm / 25.4 * m_input.printerDpiY * m_scaleY));
}

QFont TGridPrinter::canvasFont(bool preview) const
{
    QFont font = targetFont();
    double points = font.pointSizeF();
    if (points <= 0)
        points = font.pixelSize() * 72.0 / std::max(1, m_input.gridDpiY);
    int size = static_cast<int>(points);
    if (preview)
        size = size * ScreenRatioY / 1000;
    size = size * m_zoom / 100;
    if (m_layout.fitScale < 1.0)
        font.setPointSizeF(std::max(1.0, size * m_layout.fitScale)); // as small as its cells
    else
        font.setPointSize(std::max(1, size));
    return font;
}

const QImage &TGridPrinter::BeginPreview()
{
    UpdatePrinter();
    m_page = {};
    if (!m_layout.hasGrid) {
        m_image = QImage();
        return m_image;
    }
    const int screenX = m_input.gridDpiX * ScreenRatioX / 1000;
    const int screenY = m_input.gridDpiY * ScreenRatioY / 1000;
    m_scaleX = static_cast<double>(screenX) / m_input.printerDpiX * m_zoom / 100.0;
    m_scaleY = static_cast<double>(screenY) / m_input.printerDpiY * m_zoom / 100.0;
    const int width = std::max(1, static_cast<int>(m_input.pageWidth * m_scaleX));
    const int height = std::max(1, static_cast<int>(m_input.pageHeight * m_scaleY));
    m_image = QImage(width, height, QImage::Format_RGB32);
    // Fonts on the image are sized at the grid's resolution, as on screen.
    m_image.setDotsPerMeterX(static_cast<int>(std::lround(m_input.gridDpiX / 0.0254)));
    m_image.setDotsPerMeterY(static_cast<int>(std::lround(m_input.gridDpiY / 0.0254)));
    drawPreview();
    return m_image;
}

void TGridPrinter::drawPreview()
{
    if (m_image.isNull())
        return;
    m_image.fill(Qt::white);
    QPainter painter(&m_image);
    Print(painter, m_page, m_scaleX, m_scaleY, true);
}

bool TGridPrinter::PreviewNextPage()
{
    const PagePos next = m_layout.nextPage(m_page);
    if (next == m_page)
        return false;
    m_page = next;
    drawPreview();
    return m_layout.hasNext(m_page);
}

bool TGridPrinter::PreviewPriorPage()
{
    const PagePos prior = m_layout.priorPage(m_page);
    if (prior == m_page)
        return false;
    m_page = prior;
    drawPreview();
    return m_layout.hasPrior(m_page);
}

bool TGridPrinter::GoPrint()
{
    if ((!m_grid && m_pictures.empty()) || !m_printer)
        return true; // nothing to print
    const PagePos shown = m_page;
    const double shownX = m_scaleX;
    const double shownY = m_scaleY;
    UpdatePrinter();
    if (m_layout.totalPages == 0)
        return true;
    QPainter painter;
    if (!painter.begin(m_printer))
        return false;
    m_scaleX = m_scaleY = m_zoom / 100.0;
    bool first = true;
    bool ok = true;
    for (const PagePos &page : m_layout.pageOrder()) {
        if (!first && !m_printer->newPage()) {
            ok = false;
            break;
        }
        first = false;
        Print(painter, page, m_scaleX, m_scaleY, false);
    }
    painter.end();
    // The preview stays where it was.
    m_page = shown;
    m_scaleX = shownX;
    m_scaleY = shownY;
    return ok;
}

QString TGridPrinter::cellText(int row, int col) const
{
    const QAbstractItemModel *model = m_grid->model();
    if (row == 0)
        return model->headerData(col, Qt::Horizontal, Qt::DisplayRole).toString();
    return model->data(model->index(row - 1, col), Qt::DisplayRole).toString();
}

void TGridPrinter::drawCell(QPainter &painter, int row, int col, const QRect &rect, double onePixel) const
{
    QColor background = Qt::white;
    QColor text = Qt::black;
    if (colour && row > 0) {
        const int lastCol = static_cast<int>(m_input.colWidths.size()) - 1;
        const QString last = cellText(row, lastCol);
        // A search row names its direction in the last column; the list
        // window marks the same cell (9, a chosen direction, the centre).
        if (last.size() == 1) {
            ListRow listRow;
            listRow[ListCol::Mark] = last.toStdString();
            if (markedColumn(listRow) == col)
                background = Qt::yellow;
        }
        if (m_grid->objectName() == CalendarGrid) {
            bool isNumber = false;
            const int kind = last.trimmed().toInt(&isNumber);
            if (col < KindColumns && isNumber && kind < 3) {
                // Year, month and day rows stand out from the hour rows.
                background = QColor(0xC0, 0xC0, 0xC0);
                text = Qt::blue;
            } else if (col >= FirstScoreColumn) {
                background = PColor(cellText(row, col), pcolor);
                text = FColor(background);
            }
        }
    }
    painter.fillRect(rect, background);
    painter.drawRect(rect);
    const int inset = std::max(1, static_cast<int>(2 * onePixel));
    const int top = std::max(0, static_cast<int>(onePixel));
    const QRect textRect = rect.adjusted(inset, top, -inset, 0);
    const Qt::Alignment align = (col >= FirstScoreColumn && row > 0) ? (Qt::AlignRight | Qt::AlignVCenter)
                                                                     : Qt::AlignCenter;
    painter.setPen(text);
    painter.drawText(textRect, int(align) | Qt::TextSingleLine, cellText(row, col));
}

void TGridPrinter::Print(QPainter &painter, PagePos page, double scaleX, double scaleY, bool preview)
{
    const bool pictures = !m_grid && !m_pictures.empty();
    if ((!pictures && (!m_grid || !m_grid->model())) || !m_layout.hasGrid || m_layout.totalPages == 0)
        return;
    m_page = page;
    const double ratioX = m_layout.ratioX * scaleX;
    const double ratioY = m_layout.ratioY * scaleY;
    // One screen pixel on this canvas: the width of a border.
    const double onePixel = std::max(1.0, ratioX);
    QPen border(Qt::black);
    border.setWidth(std::max(1, static_cast<int>(onePixel)));

    painter.save();
    painter.setFont(canvasFont(preview));
    painter.setBrush(Qt::NoBrush);

    const double left = m_layout.leftPx * scaleX;
    const double top = m_layout.topPx * scaleY;
    const double titleH = m_input.titleHeight * ratioY;
    const double width = m_layout.printableWidth * scaleX;

    // The title line takes the place of one row above the grid.
    painter.setPen(Qt::black);
    const QString titleText =
        (title ? title() : QString()) + QString(10, QLatin1Char(' ')) + pagePosition();
    painter.drawText(QRectF(left, top, width, titleH), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     titleText);
    if (pictures) {
        printPictures(painter, page, ratioX, ratioY, QPointF(left, top + titleH));
        painter.restore();
        return;
    }

    std::vector<int> rows;
    for (int r = 0; r < m_layout.fixedRows; ++r)
        rows.push_back(r);
    const auto [rowFirst, rowLast] = m_layout.rowsOf(page.rowPage);
    for (int r = rowFirst; r < rowLast; ++r)
        rows.push_back(r);
    std::vector<int> cols;
    for (int c = 0; c < m_layout.fixedCols; ++c)
        cols.push_back(c);
    const auto [colFirst, colLast] = m_layout.colsOf(page.colPage);
    for (int c = colFirst; c < colLast; ++c)
        cols.push_back(c);

    double y = top + titleH;
    for (int r : rows) {
        const double h = m_input.rowHeights[static_cast<std::size_t>(r)] * ratioY;
        if (h <= 0)
            continue; // hidden rows print nothing
        double x = left;
        for (int c : cols) {
            const double w = m_input.colWidths[static_cast<std::size_t>(c)] * ratioX;
            if (w <= 0)
                continue;
            const QRect rect(QPoint(static_cast<int>(x), static_cast<int>(y)),
                             QPoint(static_cast<int>(x + w) - 1, static_cast<int>(y + h) - 1));
            painter.setPen(border);
            drawCell(painter, r, c, rect, onePixel);
            x += w;
        }
        y += h;
    }
    painter.restore();
}

void TGridPrinter::printPictures(QPainter &painter, PagePos page, double ratioX, double ratioY, QPointF origin)
{
    const int perRow = std::max(1, m_layout.picturesPerRow);
    const double stepX = m_input.colWidths.front() / static_cast<double>(perRow) * ratioX;
    const double stepY = m_input.rowHeights.front() * ratioY;
    const auto [rowFirst, rowLast] = m_layout.rowsOf(page.rowPage);
    for (int row = rowFirst; row < rowLast; ++row) {
        for (int col = 0; col < perRow; ++col) {
            const std::size_t i = static_cast<std::size_t>(row * perRow + col);
            if (i >= m_pictures.size() || !m_pictures[i].paint)
                continue;
            painter.save();
            painter.translate(origin.x() + col * stepX, origin.y() + (row - rowFirst) * stepY);
            painter.scale(ratioX, ratioY);
            if (!colour && m_pictures[i].paintMono)
                m_pictures[i].paintMono(painter);
            else
                m_pictures[i].paint(painter);
            painter.restore();
        }
    }
}

// --- the preview window ----------------------------------------------------------------------

TPrevF::TPrevF(AppSettings &settings, QWidget *parent)
    : QDialog(parent),
      m_settings(settings),
      m_printer(new QPrinter(QPrinter::HighResolution)),
      m_sgPrinter(m_printer),
      m_home(parent)
{
    setHelpTopic(this, HelpPreview);
    setObjectName(QStringLiteral("PrevF"));
    setWindowTitle(QStringLiteral("印刷ﾌﾟﾚﾋﾞｭｰ"));
    setModal(true);
    setMinimumSize(600, 400);
    resize(860, 720);

    pageSetupDialog = [](QPrinter &printer, QWidget *owner) {
        QPageSetupDialog dialog(&printer, owner);
        return dialog.exec() == QDialog::Accepted;
    };
    printDialog = [](QPrinter &printer, QWidget *owner) {
        QPrintDialog dialog(&printer, owner);
        // Every page is printed; a page range would be ignored, so none is offered.
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
        return dialog.exec() == QDialog::Accepted;
    };

    auto button = [this](const char *name, const QString &text) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    QPushButton *prSetBtn = button("PRSetBtn", QStringLiteral("ﾌﾟﾘﾝﾀ設定"));
    QPushButton *prnBtn = button("PRNBtn", QStringLiteral("印刷"));
    m_prior = button("btnPV_Prior", QStringLiteral("前の頁"));
    m_next = button("btnPV_Next", QStringLiteral("次の頁"));
    QPushButton *closeBtn = button("CloseBtn", QStringLiteral("閉じる"));
    m_pageLbl = new QLabel(this);
    m_pageLbl->setObjectName(QStringLiteral("PageLbl"));
    m_pageLbl->setMinimumWidth(140);

    auto spin = [this](const char *name, int value) {
        auto *s = new QSpinBox(this);
        s->setObjectName(QLatin1String(name));
        s->setRange(0, 99);
        s->setSuffix(QStringLiteral(" mm"));
        s->setValue(value);
        return s;
    };
    SettingsStore &store = m_settings.store();
    m_topE = spin("TopE", TopMargin.read(store));
    m_bottomE = spin("BottomE", BottomMargin.read(store));
    m_leftE = spin("LeftE", LeftMargin.read(store));
    m_rightE = spin("RightE", RightMargin.read(store));
    m_cb1 = new QCheckBox(QStringLiteral("カラー印刷"), this);
    m_cb1->setObjectName(QStringLiteral("CB1"));
    m_cb1->setChecked(ColourPrinting.read(store));
    m_fitCB = new QCheckBox(QStringLiteral("幅に合わせる"), this);
    m_fitCB->setObjectName(QStringLiteral("FitCB"));
    m_fitCB->setToolTip(QStringLiteral("一覧表の列を用紙の幅に収まるよう縮小します"));
    m_fitCB->setChecked(FitToWidth.read(store));
    QPushButton *reDrawBtn = button("ReDrawBtn", QStringLiteral("再描画"));

    m_image1 = new QLabel;
    m_image1->setObjectName(QStringLiteral("Image1"));
    m_image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("ScrollBox1"));
    m_scroll->setWidget(m_image1);
    m_scroll->setBackgroundRole(QPalette::Dark);

    auto *topBar = new QHBoxLayout;
    topBar->addWidget(prSetBtn);
    topBar->addWidget(prnBtn);
    topBar->addSpacing(12);
    topBar->addWidget(m_prior);
    topBar->addWidget(m_next);
    topBar->addSpacing(12);
    topBar->addWidget(m_pageLbl);
    topBar->addStretch(1);
    topBar->addWidget(closeBtn);

    auto *marginBar = new QHBoxLayout;
    auto labelled = [this, marginBar](const QString &caption, QSpinBox *box) {
        auto *label = new QLabel(caption, this);
        label->setBuddy(box);
        marginBar->addWidget(label);
        marginBar->addWidget(box);
        marginBar->addSpacing(8);
    };
    labelled(QStringLiteral("上余白"), m_topE);
    labelled(QStringLiteral("下余白"), m_bottomE);
    labelled(QStringLiteral("左余白"), m_leftE);
    labelled(QStringLiteral("右余白"), m_rightE);
    marginBar->addWidget(m_cb1);
    marginBar->addWidget(m_fitCB);
    marginBar->addSpacing(8);
    marginBar->addWidget(reDrawBtn);
    marginBar->addStretch(1);

    auto *layout = new QVBoxLayout(this);
    // The close button keeps 15 pixels to the right edge.
    layout->setContentsMargins(8, 8, 15, 8);
    layout->addLayout(topBar);
    layout->addLayout(marginBar);
    layout->addWidget(m_scroll, 1);

    connect(prSetBtn, &QPushButton::clicked, this, &TPrevF::PRSetBtnClick);
    connect(prnBtn, &QPushButton::clicked, this, &TPrevF::PRNBtnClick);
    connect(m_prior, &QPushButton::clicked, this, &TPrevF::btnPV_PriorClick);
    connect(m_next, &QPushButton::clicked, this, &TPrevF::btnPV_NextClick);
    connect(closeBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(reDrawBtn, &QPushButton::clicked, this, &TPrevF::ReDrawBtnClick);
    connect(m_cb1, &QCheckBox::clicked, this, &TPrevF::ReDrawBtnClick);
    connect(m_fitCB, &QCheckBox::clicked, this, &TPrevF::ReDrawBtnClick);
}

TPrevF::~TPrevF()
{
    delete m_printer;
}

void TPrevF::setTarget(QTableView *grid, std::function<QString()> title)
{
    m_sgPrinter.setTargetGrid(grid);
    m_sgPrinter.title = std::move(title);
    if (isVisible())
        FormActivate();
}

void TPrevF::previewGrid(QTableView *grid, std::function<QString()> title)
{
    stayAbove(grid ? grid->window() : nullptr);
    setTarget(grid, std::move(title));
    exec();
    // The grid may go away before the next preview.
    m_sgPrinter.setTargetGrid(nullptr);
    stayAbove(nullptr);
}

void TPrevF::setTargetPictures(std::vector<PrintPicture> pictures, std::function<QString()> title)
{
    m_sgPrinter.setTargetPictures(std::move(pictures));
    m_sgPrinter.title = std::move(title);
    if (isVisible())
        FormActivate();
}

void TPrevF::previewPictures(std::vector<PrintPicture> pictures, std::function<QString()> title, QWidget *opener)
{
    stayAbove(opener ? opener->window() : nullptr);
    setTargetPictures(std::move(pictures), std::move(title));
    exec();
    // The pictures paint windows that may close before the next preview.
    m_sgPrinter.setTargetPictures({});
    stayAbove(nullptr);
}

void TPrevF::stayAbove(QWidget *opener)
{
    QWidget *owner = opener ? opener : m_home;
    const bool onTop = opener && opener->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    Qt::WindowFlags flags = windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, onTop);
    if (owner == parentWidget() && flags == windowFlags())
        return;
    // A dialog belongs to its parent window: the window manager keeps it above that one.
    setParent(owner, flags);
}

void TPrevF::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FontSetF(this, m_settings.baseFont(), m_settings.explanationFont());
    FormActivate();
}

void TPrevF::FormActivate()
{
    m_prior->setEnabled(true);
    m_next->setEnabled(true);
    ReDrawBtnClick();
}

void TPrevF::ReDrawBtnClick()
{
    WaitCursor wait;
    const PrintMargins margins =
        marginsFromEntries(m_topE->value(), m_bottomE->value(), m_leftE->value(), m_rightE->value());
    m_sgPrinter.TopMargin = margins.top;
    m_sgPrinter.BottomMargin = margins.bottom;
    m_sgPrinter.LeftMargin = margins.left;
    m_sgPrinter.RightMargin = margins.right;
    m_sgPrinter.colour = m_cb1->isChecked();
    m_sgPrinter.fitWidth = m_fitCB->isChecked();
    m_sgPrinter.pcolor = pcolorSettings(m_settings);
    const QImage &image = m_sgPrinter.BeginPreview();
    m_image1->setPixmap(QPixmap::fromImage(image));
    m_image1->adjustSize();
    showPage();
}

// The page label, and the page buttons only where there is a page to go to
// (前の頁 is off on the first page, 次の頁 on the last).
void TPrevF::showPage()
{
    m_pageLbl->setText(m_sgPrinter.pagePosition());
    m_prior->setEnabled(m_sgPrinter.layout().hasPrior(m_sgPrinter.currentPage()));
    m_next->setEnabled(m_sgPrinter.layout().hasNext(m_sgPrinter.currentPage()));
}

void TPrevF::btnPV_NextClick()
{
    m_sgPrinter.PreviewNextPage();
    m_image1->setPixmap(QPixmap::fromImage(m_sgPrinter.previewImage()));
    showPage();
}

void TPrevF::btnPV_PriorClick()
{
    m_sgPrinter.PreviewPriorPage();
    m_image1->setPixmap(QPixmap::fromImage(m_sgPrinter.previewImage()));
    showPage();
}

void TPrevF::PRSetBtnClick()
{
    if (pageSetupDialog)
        pageSetupDialog(*m_printer, this);
    FormActivate();
}

void TPrevF::PRNBtnClick()
{
    if (!printDialog || !printDialog(*m_printer, this))
        return;
    bool ok = true;
    {
        WaitCursor wait;
        ok = m_sgPrinter.GoPrint();
    }
    if (!ok)
        ui::showError(this, QStringLiteral("印刷できませんでした。\nﾌﾟﾘﾝﾀの設定を確かめてください。"));
    // The dialog may have chosen another printer or paper.
    FormActivate();
}

void TPrevF::storeSettings()
{
    SettingsStore &store = m_settings.store();
    TopMargin.write(store, m_topE->value());
    BottomMargin.write(store, m_bottomE->value());
    LeftMargin.write(store, m_leftE->value());
    RightMargin.write(store, m_rightE->value());
    ColourPrinting.write(store, m_cb1->isChecked());
    FitToWidth.write(store, m_fitCB->isChecked());
}

void TPrevF::done(int result)
{
    storeSettings();
    QDialog::done(result);
}

} // namespace velm
