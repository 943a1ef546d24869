#include "shell/lists/heatmapwindow.h"

#include <algorithm>
#include <cmath>

#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QLinearGradient>
#include <QDateEdit>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QShowEvent>
#include <QToolTip>
#include <QVBoxLayout>

#include "engine/koyomi.h"
#include "engine/textfile.h"
#include "evaluation/matters.h"
#include "evaluation/patterns.h"
#include "output/charttext.h"
#include "output/laidchart.h"
#include "output/listfile.h"
#include "shell/common/goingpeople.h"
#include "shell/common/programfiles.h"
#include "shell/settings/appsettings.h"
#include "shell/common/helpwindow.h"
#include "shell/lists/listgrid.h"
#include "shell/common/chartopener.h"
#include "shell/common/messages.h"
#include "shell/print/printpreview.h"
#include "shell/common/strings.h"
#include "shell/common/savedialog.h"

namespace velm {

namespace {

const QString PlacementKey = QStringLiteral("HeatF");
const QString NoMatter = QStringLiteral("（占事なし）");

// The spans offered: days, or whole months from the start.
struct Span {
    const char *caption;
    int days;
    int months;
};
constexpr std::array<Span, 5> Spans{{{"1週間", 7, 0}, {"2週間", 14, 0}, {"1か月", 0, 1}, {"2か月", 0, 2}, {"3か月", 0, 3}}};
constexpr int DefaultSpan = 2;
// A portrait page's height per width (A4), for the pages of a long span.
constexpr double PortraitPage = 297.0 / 210.0;

const QColor GridLine(0xC8, 0xC8, 0xC8);
const QColor CaptionFace(0xF0, 0xF0, 0xF0);
const QColor EmptyFace(0xE4, 0xE4, 0xE4);
const QColor TodayMark(0xD0, 0x20, 0x20);
const QColor MatterMark(0x00, 0x00, 0x80);
const QColor ShutFace(0xFF, 0xFF, 0xFF);

QString directionCaption(int palace)
{
    return qs(heatDirectionName(palace));
}

// What a cell may show, fullest first: for day charts its date, then the
// value; the best direction's name and score on lines of their own, or on
// one line when the cell is too low for two. The first that fits is drawn.
QList<QStringList> cellTexts(const HeatPicture &picture, const HeatCell &cell)
{
    const QString value = qs(heatValueText(cell, picture.direction));
    QList<QStringList> values{{value}};
    const qsizetype colon = value.indexOf(QLatin1Char(':'));
    if (picture.direction == HeatBest && colon >= 0)
        values.prepend({value.left(colon), value.mid(colon + 1)});
    if (picture.map.kind != KindDay)
        return values;
    QList<QStringList> texts;
    for (const QStringList &v : values)
        texts << QStringList{QString::number(cell.moment.day)} + v;
    return texts + values;
}

bool isToday(const HeatPicture &picture, const CivilTime &t)
{
    return picture.today == QDate(t.year, t.month, t.day);
}

} // namespace

// --- the picture ---------------------------------------------------------------------------

QColor directionColour(int palace, double paleness)
{
    // Hues far apart around the circle for neighbouring directions.
    static constexpr std::array<int, 9> Hues{0, 330, 55, 280, 0, 215, 25, 130, 175};
    const int hue = Hues[static_cast<std::size_t>(std::clamp(palace, 0, 8))];
    const double p = std::clamp(paleness, 0.0, 1.0);
    return QColor::fromHslF(hue / 360.0, 0.80, 0.36 + 0.52 * p);
}

QColor HeatPicture::faceOf(const HeatCell &cell) const
{
    const int palace = heatPalace(cell, direction);
    // A direction bad for someone going: the cell stays empty.
    if (palace == 0)
        return ShutFace;
    const double score = cell.scores[static_cast<std::size_t>(palace)];
    if (huesShown()) {
        const double span = high - low;
        return directionColour(palace, span > 0 ? (high - score) / span : 0.5);
    }
    // Coloured by the score as its text shows it, as the chart windows colour palaces.
    return PColor(qs(formatScore(score)), colours);
}

HeatCanvas::HeatCanvas(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("HeatCanvas"));
    setMouseTracking(true);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void HeatCanvas::setPicture(std::shared_ptr<const HeatPicture> picture)
{
    m_picture = std::move(picture);
    // Cells never shrink below the size where they show their text: a long
    // span scrolls, row by readable row, with its dates beside it.
    setMinimumSize(m_picture ? naturalSize() : QSize());
    updateGeometry();
    update();
}

std::vector<HeatCanvas::LegendEntry> HeatCanvas::legend() const
{
    std::vector<LegendEntry> entries;
    if (!m_picture)
        return entries;
    const HeatPicture &pic = *m_picture;
    if (pic.huesShown()) {
        for (int palace : HeatColumnOrder)
            entries.push_back({directionColour(palace, 0.35), directionCaption(palace)});
        entries.push_back({QColor(), QStringLiteral("淡い %1 ～ 濃い %2")
                                         .arg(qs(formatScore(pic.low)), qs(formatScore(pic.high))),
                           LegendEntry::Lightness});
    } else {
        const auto &t = pic.colours.thresholds;
        for (std::size_t k = 0; k < 4; ++k)
            entries.push_back({pic.colours.colours[k], QStringLiteral("%1以上").arg(t[k])});
        entries.push_back({pic.colours.colours[4], QStringLiteral("%1未満").arg(t[3])});
    }
    if (pic.matterOutlined)
        entries.push_back({MatterMark, QStringLiteral("占事に合う"), LegendEntry::Outline});
    if (!pic.people.isEmpty())
        entries.push_back({ShutFace, QStringLiteral("空白：%1の凶方位").arg(pic.people)});
    if (pic.nearTerm)
        entries.push_back({BoundaryMarkColour, QStringLiteral("節気の境界の近く"), LegendEntry::Corner});
    if (pic.schoolsDiffer)
        entries.push_back({SchoolMarkColour, QStringLiteral("流派で時盤が異なる"), LegendEntry::LowerCorner});
    for (const HeatCell &cell : pic.map.cells)
        if (isToday(pic, cell.moment)) {
            entries.push_back({TodayMark, QStringLiteral("今日"), LegendEntry::Today});
            break;
        }
    return entries;
}

int HeatCanvas::legendWidth(const LegendEntry &entry) const
{
    const QFontMetrics fm = fontMetrics();
    const int swatch = entry.mark == LegendEntry::Lightness ? 3 * fm.height() : fm.height();
    return swatch + 4 + fm.horizontalAdvance(entry.text) + 14;
}

std::vector<std::vector<std::pair<int, int>>> HeatCanvas::legendLines(int width) const
{
    std::vector<std::vector<std::pair<int, int>>> lines;
    const std::vector<LegendEntry> entries = legend();
    int x = 4;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const int w = legendWidth(entries[i]);
        if (lines.empty() || (x > 4 && x + w > width)) {
            lines.emplace_back();
            x = 4;
        }
        lines.back().emplace_back(static_cast<int>(i), x);
        x += w;
    }
    return lines;
}

HeatCanvas::Frame HeatCanvas::naturalFrame() const
{
    const QFontMetrics fm = fontMetrics();
    Frame f;
    f.captionWidth = fm.horizontalAdvance(QStringLiteral("00/00(日)")) + 10;
    f.titleHeight = fm.height() + 8;
    const bool hours = !m_picture || m_picture->map.kind == KindHour;
    f.headHeight = (hours ? 2 : 1) * fm.height() + 6;
    const int scoreWidth = fm.horizontalAdvance(QStringLiteral("-000.00"));
    f.cellWidth = std::max(scoreWidth, fm.horizontalAdvance(QStringLiteral("南東"))) + 8;
    int lines = 1;
    if (m_picture) {
        lines = m_picture->direction == HeatBest ? 2 : 1;
        if (!hours)
            ++lines;
    }
    f.cellHeight = lines * fm.height() + 6;
    const int columns = m_picture ? m_picture->grid.columns : HeatHours;
    const int width = f.captionWidth + static_cast<int>(std::ceil(columns * f.cellWidth));
    f.legendHeight = static_cast<int>(legendLines(width).size()) * (fm.height() + 6) + 2;
    return f;
}

HeatCanvas::Frame HeatCanvas::frame(const QSize &size, int rows) const
{
    Frame f = naturalFrame();
    if (!m_picture || m_picture->grid.columns == 0 || rows == 0)
        return f;
    const QFontMetrics fm = fontMetrics();
    f.legendHeight = static_cast<int>(legendLines(size.width()).size()) * (fm.height() + 6) + 2;
    f.cellWidth = double(size.width() - f.captionWidth) / m_picture->grid.columns;
    f.cellHeight = double(size.height() - f.top()) / rows;
    return f;
}

QSize HeatCanvas::naturalSize() const
{
    return naturalSize(m_picture ? m_picture->grid.rows : 0);
}

QSize HeatCanvas::naturalSize(int rows) const
{
    const Frame f = naturalFrame();
    const int columns = m_picture ? m_picture->grid.columns : HeatHours;
    // The title shows whole too.
    const int titleWidth = m_picture ? fontMetrics().horizontalAdvance(m_picture->title) + 8 : 0;
    return {std::max(titleWidth, f.captionWidth + static_cast<int>(std::ceil(columns * f.cellWidth))),
            f.top() + static_cast<int>(std::ceil(rows * f.cellHeight))};
}

int HeatCanvas::rowsPerPage(double heightPerWidth) const
{
    const Frame f = naturalFrame();
    const QSize whole = naturalSize();
    const double room = whole.width() * heightPerWidth - f.top();
    return std::max(1, static_cast<int>(room / f.cellHeight));
}

QSize HeatCanvas::sizeHint() const
{
    const QSize natural = naturalSize();
    return {std::min(natural.width(), 1100), std::min(natural.height(), 720)};
}

void HeatCanvas::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintPicture(painter, size());
}

void HeatCanvas::paintPicture(QPainter &painter, const QSize &size) const
{
    paintRows(painter, size, 0, m_picture ? m_picture->grid.rows : 0);
}

void HeatCanvas::paintLegend(QPainter &painter, int y, int width) const
{
    const QFontMetrics fm(painter.font());
    const std::vector<LegendEntry> entries = legend();
    const int lineHeight = fm.height() + 6;
    for (const auto &line : legendLines(width)) {
        for (const auto &[index, x] : line) {
            const LegendEntry &e = entries[static_cast<std::size_t>(index)];
            const int side = fm.height() - 2;
            QRectF swatch(x, y + 4, e.mark == LegendEntry::Lightness ? 3 * fm.height() : side, side);
            painter.setPen(QPen(GridLine, 0));
            switch (e.mark) {
            case LegendEntry::Swatch:
                painter.fillRect(swatch, e.face);
                painter.drawRect(swatch);
                break;
            case LegendEntry::Lightness: {
                QLinearGradient g(swatch.topLeft(), swatch.topRight());
                g.setColorAt(0, QColor::fromHslF(0, 0, 0.88));
                g.setColorAt(1, QColor::fromHslF(0, 0, 0.36));
                painter.fillRect(swatch, g);
                painter.drawRect(swatch);
                break;
            }
            case LegendEntry::Outline:
                painter.fillRect(swatch, Qt::white);
                painter.setPen(QPen(e.face, 2));
                painter.drawRect(swatch.adjusted(1, 1, -1, -1));
                break;
            case LegendEntry::Corner: {
                painter.fillRect(swatch, Qt::white);
                painter.drawRect(swatch);
                const QPointF c = swatch.topLeft();
                const QPointF triangle[3] = {c, c + QPointF(side * 0.6, 0), c + QPointF(0, side * 0.6)};
                painter.setPen(QPen(Qt::black, 0));
                painter.setBrush(e.face);
                painter.drawPolygon(triangle, 3);
                painter.setBrush(Qt::NoBrush);
                break;
            }
            case LegendEntry::LowerCorner: {
                painter.fillRect(swatch, Qt::white);
                painter.drawRect(swatch);
                const QPointF c = swatch.bottomRight();
                const QPointF triangle[3] = {c, c - QPointF(side * 0.6, 0), c - QPointF(0, side * 0.6)};
                painter.setPen(QPen(Qt::black, 0));
                painter.setBrush(e.face);
                painter.drawPolygon(triangle, 3);
                painter.setBrush(Qt::NoBrush);
                break;
            }
            case LegendEntry::Today:
                painter.fillRect(swatch, Qt::white);
                painter.setPen(QPen(e.face, 2));
                painter.drawRect(swatch.adjusted(1, 1, -1, -1));
                break;
            }
            painter.setPen(Qt::black);
            painter.drawText(QRectF(swatch.right() + 4, y, fm.horizontalAdvance(e.text) + 4, lineHeight),
                             Qt::AlignLeft | Qt::AlignVCenter, e.text);
        }
        y += lineHeight;
    }
}

void HeatCanvas::paintRows(QPainter &painter, const QSize &size, int firstRow, int rowCount) const
{
    painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
    if (!m_picture)
        return;
    const HeatPicture &pic = *m_picture;
    firstRow = std::clamp(firstRow, 0, pic.grid.rows);
    rowCount = std::clamp(rowCount, 0, pic.grid.rows - firstRow);
    const Frame f = frame(size, rowCount);
    const QFontMetrics fm(painter.font());
    painter.setPen(Qt::black);
    painter.drawText(QRect(4, 0, size.width() - 8, f.titleHeight), Qt::AlignLeft | Qt::AlignVCenter, pic.title);
    paintLegend(painter, f.titleHeight, size.width());

    const int headTop = f.titleHeight + f.legendHeight;
    const double top = f.top();
    const auto cellBox = [&](int row, int column) {
        return QRectF(f.captionWidth + column * f.cellWidth, top + row * f.cellHeight, f.cellWidth, f.cellHeight);
    };
    // Column captions.
    painter.fillRect(QRectF(0, headTop, size.width(), f.headHeight), CaptionFace);
    painter.setPen(Qt::black);
    for (int c = 0; c < pic.grid.columns; ++c) {
        const QRectF box(f.captionWidth + c * f.cellWidth, headTop, f.cellWidth, f.headHeight);
        const QString caption = qs(pic.grid.columnCaptions[static_cast<std::size_t>(c)]);
        if (fm.horizontalAdvance(caption.section(QLatin1Char('\n'), 0, 0)) <= box.width())
            painter.drawText(box, Qt::AlignCenter, caption);
    }
    // Row captions and cells.
    for (int i = 0; i < rowCount; ++i) {
        const int r = firstRow + i;
        const QRectF caption(0, top + i * f.cellHeight, f.captionWidth, f.cellHeight);
        bool todayRow = false;
        if (pic.map.kind == KindHour)
            todayRow = isToday(pic, pic.map.cell(r, 0).moment);
        painter.fillRect(caption, CaptionFace);
        if (fm.height() <= caption.height() + 2) {
            QFont font = painter.font();
            font.setBold(todayRow);
            painter.save();
            painter.setFont(font);
            painter.setPen(todayRow ? TodayMark : QColor(Qt::black));
            painter.drawText(caption.adjusted(4, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter,
                             qs(pic.grid.rowCaptions[static_cast<std::size_t>(r)]));
            painter.restore();
        }
        for (int c = 0; c < pic.grid.columns; ++c) {
            const QRectF box = cellBox(i, c);
            const int index = pic.grid.at(r, c);
            if (index < 0) {
                painter.fillRect(box, EmptyFace);
                continue;
            }
            const HeatCell &cell = pic.map.cells[static_cast<std::size_t>(index)];
            const int palace = heatPalace(cell, pic.direction);
            const QColor face = pic.faceOf(cell);
            painter.fillRect(box, face);
            // Not safe for everyone going: no score, no outline.
            for (const QStringList &lines : palace == 0 ? QList<QStringList>{} : cellTexts(pic, cell)) {
                int widest = 0;
                for (const QString &line : lines)
                    widest = std::max(widest, fm.horizontalAdvance(line));
                if (widest + 2 <= box.width() && lines.size() * fm.height() <= box.height()) {
                    painter.setPen(FColor(face));
                    painter.drawText(box, Qt::AlignCenter, lines.join(QLatin1Char('\n')));
                    break;
                }
            }
            if (cell.matched(palace)) {
                painter.setPen(QPen(MatterMark, 2));
                painter.setBrush(Qt::NoBrush);
                painter.drawRect(box.adjusted(2, 2, -2, -2));
            }
            if (pic.nearTerm && pic.nearTerm(cell)) {
                // A corner in the colour the calendar marks such rows with.
                const double side = std::min({box.width() / 2, box.height() / 2, 10.0});
                const QPointF corner = box.topLeft();
                const QPointF triangle[3] = {corner, corner + QPointF(side, 0), corner + QPointF(0, side)};
                painter.setPen(QPen(Qt::black, 0));
                painter.setBrush(BoundaryMarkColour);
                painter.drawPolygon(triangle, 3);
            }
            if (pic.schoolsDiffer && pic.schoolsDiffer(cell)) {
                // The opposite corner, so that both marks can show at once.
                const double side = std::min({box.width() / 2, box.height() / 2, 10.0});
                const QPointF corner = box.bottomRight();
                const QPointF triangle[3] = {corner, corner - QPointF(side, 0), corner - QPointF(0, side)};
                painter.setPen(QPen(Qt::black, 0));
                painter.setBrush(SchoolMarkColour);
                painter.drawPolygon(triangle, 3);
            }
            if (pic.map.kind == KindDay && isToday(pic, cell.moment)) {
                painter.setPen(QPen(TodayMark, 2));
                painter.setBrush(Qt::NoBrush);
                painter.drawRect(box.adjusted(1, 1, -1, -1));
            }
        }
        if (todayRow) {
            painter.setPen(QPen(TodayMark, 2));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(QRectF(f.captionWidth, top + i * f.cellHeight, pic.grid.columns * f.cellWidth,
                                    f.cellHeight)
                                 .adjusted(1, 1, -1, -1));
        }
    }
    // Grid lines over the cells, thin enough to leave small cells their colour.
    painter.setPen(QPen(GridLine, 0));
    const double right = f.captionWidth + pic.grid.columns * f.cellWidth;
    const double bottom = top + rowCount * f.cellHeight;
    for (int c = 0; c <= pic.grid.columns; ++c)
        painter.drawLine(QPointF(f.captionWidth + c * f.cellWidth, headTop),
                         QPointF(f.captionWidth + c * f.cellWidth, bottom));
    if (f.cellHeight >= 4)
        for (int r = 0; r <= rowCount; ++r)
            painter.drawLine(QPointF(0, top + r * f.cellHeight), QPointF(right, top + r * f.cellHeight));
}

int HeatCanvas::cellAt(const QPoint &point) const
{
    if (!m_picture)
        return -1;
    const Frame f = frame(size(), m_picture->grid.rows);
    const double x = point.x() - f.captionWidth;
    const double y = point.y() - f.top();
    if (x < 0 || y < 0 || f.cellWidth <= 0 || f.cellHeight <= 0)
        return -1;
    return m_picture->grid.at(static_cast<int>(y / f.cellHeight), static_cast<int>(x / f.cellWidth));
}

QRect HeatCanvas::cellRect(int cell) const
{
    if (!m_picture)
        return {};
    const Frame f = frame(size(), m_picture->grid.rows);
    for (int r = 0; r < m_picture->grid.rows; ++r)
        for (int c = 0; c < m_picture->grid.columns; ++c)
            if (m_picture->grid.at(r, c) == cell)
                return QRectF(f.captionWidth + c * f.cellWidth, f.top() + r * f.cellHeight,
                              f.cellWidth, f.cellHeight)
                    .toRect();
    return {};
}

bool HeatCanvas::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const int cell = cellAt(help->pos());
        if (cell < 0 || !hintOf) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(help->globalPos(), hintOf(cell), this, cellRect(cell));
        }
        return true;
    }
    return QWidget::event(event);
}

void HeatCanvas::mousePressEvent(QMouseEvent *event)
{
    const int cell = event->button() == Qt::LeftButton ? cellAt(event->position().toPoint()) : -1;
    if (cell >= 0 && clicked)
        clicked(cell);
    QWidget::mousePressEvent(event);
}

// --- the window ----------------------------------------------------------------------------

THeatF::THeatF(ChartOpener &main, AppSettings &settings, QWidget *parent)
    : QWidget(parent, Qt::Window), m_main(main), m_settings(settings)
{
    setHelpTopic(this, HelpHeatMap);
    setObjectName(QStringLiteral("HeatF"));
    setWindowTitle(QStringLiteral("方位ヒートマップ"));
    setAttribute(Qt::WA_DeleteOnClose, false);

    m_startE = new QDateEdit(this);
    m_startE->setObjectName(QStringLiteral("StartE"));
    m_startE->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    m_startE->setCalendarPopup(true);
    m_startE->setDateRange(QDate(1, 1, 1), QDate(9999, 12, 31));
    m_startE->setToolTip(QStringLiteral("表示を始める日"));
    m_spanBox = new QComboBox(this);
    m_spanBox->setObjectName(QStringLiteral("SpanBox"));
    for (const Span &s : Spans)
        m_spanBox->addItem(QString::fromUtf8(s.caption));
    m_spanBox->setToolTip(QStringLiteral("表示する期間"));
    m_kindBox = new QComboBox(this);
    m_kindBox->setObjectName(QStringLiteral("KindBox"));
    m_kindBox->addItem(QStringLiteral("時盤"), KindHour);
    m_kindBox->addItem(QStringLiteral("日盤"), KindDay);
    m_kindBox->setToolTip(QStringLiteral("時盤：日ごとに十二の時、日盤：週ごとに七日"));
    m_dirBox = new QComboBox(this);
    m_dirBox->setObjectName(QStringLiteral("DirBox"));
    m_dirBox->addItem(QStringLiteral("最良"), HeatBest);
    for (int palace : HeatColumnOrder)
        m_dirBox->addItem(directionCaption(palace), palace);
    m_dirBox->setToolTip(QStringLiteral("数値を表示する方位（最良：盤ごとに数値の最も高い方位）"));
    m_senBox = new QComboBox(this);
    m_senBox->setObjectName(QStringLiteral("SenBox"));
    m_senBox->setToolTip(QStringLiteral("占事に合う升目を枠で囲みます"));
    m_senBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_hueBox = new QCheckBox(QStringLiteral("方位で色分け"), this);
    m_hueBox->setObjectName(QStringLiteral("HueBox"));
    m_hueBox->setToolTip(QStringLiteral("最良の方位を方位ごとの色で、数値を濃さで表します（外すと遁甲盤と同じ数値の色）"));
    m_safeBox = new QCheckBox(QStringLiteral("同行者全員に安全な方位のみ"), this);
    m_safeBox->setObjectName(QStringLiteral("SafeBox"));
    m_yearMonthBox = new QCheckBox(QStringLiteral("年盤・月盤でも"), this);
    m_yearMonthBox->setObjectName(QStringLiteral("YearMonthBox"));
    m_yearMonthBox->setToolTip(QStringLiteral("その時の年盤・月盤での凶方位も除きます（移転の方位取り）"));

    QPushButton *preBtn = makeToolButton(this, "PreBtn", QStringLiteral("<<"), QStringLiteral("前の期間を表示します"));
    QPushButton *nxtBtn = makeToolButton(this, "NxtBtn", QStringLiteral(">>"), QStringLiteral("次の期間を表示します"));
    QPushButton *expBtn = makeToolButton(this, "ExpBtn", QStringLiteral("出力"),
                                         QStringLiteral("図を画像(PNG)かPDFのファイルに出力します"));
    for (QPushButton *b : {preBtn, nxtBtn})
        b->setFixedWidth(std::max(28, b->fontMetrics().horizontalAdvance(QStringLiteral("<<")) + 14));
    m_prevBtn = makePreviewButton(this);
    m_prevBtn->hide();
    connect(preBtn, &QPushButton::clicked, this, [this] { m_startE->setDate(m_startE->date().addDays(-spanDays())); });
    connect(nxtBtn, &QPushButton::clicked, this, [this] { m_startE->setDate(m_startE->date().addDays(spanDays())); });
    connect(expBtn, &QPushButton::clicked, this, &THeatF::ExpBtnClick);
    connect(m_prevBtn, &QPushButton::clicked, this, [this] {
        if (!m_preview || !m_canvas->picture())
            return;
        // A long span prints as pages of rows, each under the title, the
        // legend and the captions, at a size where the cells stay readable.
        const HeatPicture *pic = m_canvas->picture();
        const int perPage = m_canvas->rowsPerPage(PortraitPage);
        std::vector<PrintPicture> pages;
        for (int first = 0; first < std::max(1, pic->grid.rows); first += perPage) {
            const int rows = std::min(perPage, pic->grid.rows - first);
            const QSize size = m_canvas->naturalSize(rows);
            pages.push_back({size, [canvas = QPointer<HeatCanvas>(m_canvas), size, first, rows](QPainter &painter) {
                                 if (canvas)
                                     canvas->paintRows(painter, size, first, rows);
                             },
                             {}});
            if (rows <= 0)
                break;
        }
        m_preview(std::move(pages));
    });

    m_canvas = new HeatCanvas;
    m_canvas->hintOf = [this](int cell) { return cellHint(cell); };
    m_canvas->clicked = [this](int cell) { openCell(cell); };
    m_scroll = new QScrollArea(this);
    m_scroll->setWidgetResizable(true);
    m_scroll->setWidget(m_canvas);

    auto *controls = new QHBoxLayout;
    controls->setSpacing(4);
    const auto label = [this](const QString &text) { return new QLabel(text, this); };
    controls->addWidget(preBtn);
    controls->addWidget(m_startE);
    controls->addWidget(nxtBtn);
    controls->addWidget(label(QStringLiteral("期間")));
    controls->addWidget(m_spanBox);
    controls->addWidget(label(QStringLiteral("盤")));
    controls->addWidget(m_kindBox);
    controls->addWidget(label(QStringLiteral("方位")));
    controls->addWidget(m_dirBox);
    controls->addWidget(label(QStringLiteral("占事")));
    controls->addWidget(m_senBox);
    controls->addWidget(m_hueBox);
    controls->addStretch(1);
    controls->addWidget(expBtn);
    controls->addWidget(m_prevBtn);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    layout->addLayout(controls);
    // The people going, on a line of their own: the first line is full.
    auto *people = new QHBoxLayout;
    people->setSpacing(8);
    people->addWidget(m_safeBox);
    people->addWidget(m_yearMonthBox);
    people->addStretch(1);
    layout->addLayout(people);
    layout->addWidget(m_scroll, 1);

    saveFileName = [](QWidget *parent) {
        return askSaveFile(parent, QStringLiteral("出力"),
                           {QStringLiteral("PNG (*.png)"), QStringLiteral("PDF (*.pdf)"), QStringLiteral("すべて (*)")});
    };

    // The controls as last left.
    m_restoring = true;
    fillMatters();
    m_spanBox->setCurrentIndex(std::clamp(m_settings.heatSpan(), 0, static_cast<int>(Spans.size()) - 1));
    m_kindBox->setCurrentIndex(m_settings.heatKind() == KindDay ? 1 : 0);
    m_dirBox->setCurrentIndex(std::max(0, m_dirBox->findData(m_settings.heatDirection())));
    m_hueBox->setChecked(m_settings.heatHueByDirection());
    m_hueBox->setEnabled(direction() == HeatBest);
    m_restoring = false;
    connect(m_dirBox, &QComboBox::currentIndexChanged, this, [this] { m_hueBox->setEnabled(direction() == HeatBest); });
    for (QCheckBox *box : {m_hueBox, m_safeBox, m_yearMonthBox})
        connect(box, &QCheckBox::toggled, this, [this] {
            if (!m_restoring && isVisible())
                rebuild();
        });
    // The people going come from the people window; the boxes follow them.
    const auto followPeople = [this] {
        const GoingPeople &going = GoingPeople::instance();
        m_safeBox->setEnabled(!going.empty());
        m_yearMonthBox->setEnabled(!going.empty() && m_safeBox->isChecked());
        m_safeBox->setToolTip(going.empty() ? QStringLiteral("「人物」で同行する人に印を付けると使えます")
                                            : QStringLiteral("%1の凶方位（五黄殺・暗剣殺・本命殺・本命的殺・破）を空白にします")
                                                  .arg(going.names()));
    };
    followPeople();
    connect(m_safeBox, &QCheckBox::toggled, this, followPeople);
    connect(&GoingPeople::instance(), &GoingPeople::changed, this, [this, followPeople] {
        followPeople();
        if (isVisible() && m_safeBox->isChecked())
            rebuild();
    });

    for (QComboBox *box : {m_spanBox, m_kindBox, m_dirBox, m_senBox})
        connect(box, &QComboBox::currentIndexChanged, this, [this] {
            if (!m_restoring && isVisible())
                rebuild();
        });
    connect(m_startE, &QDateEdit::dateChanged, this, [this] {
        if (!m_restoring && isVisible())
            rebuild();
    });
    connect(&m_settings, &AppSettings::changed, this, [this] {
        if (isVisible())
            rebuild();
    });

    resize(900, 600);
    restorePlacement(this, m_settings, PlacementKey);
}

THeatF::~THeatF()
{
    storeControls();
}

void THeatF::fillMatters()
{
    const QString chosen = m_senBox->count() > 0 ? m_senBox->currentText() : m_settings.heatMatter();
    const bool wasRestoring = m_restoring;
    m_restoring = true;
    m_senBox->clear();
    m_senBox->addItem(NoMatter);
    const MatterListLoad list = readMatterList(programFile(QStringLiteral("Senji.Idx")).toStdString());
    for (const std::string &name : list.list.names)
        m_senBox->addItem(qs(name));
    m_senBox->setCurrentIndex(std::max(0, chosen.isEmpty() ? 0 : m_senBox->findText(chosen)));
    m_restoring = wasRestoring;
}

void THeatF::storeControls()
{
    m_settings.setWindowPlacement(PlacementKey, saveGeometry());
    m_settings.setHeatSpan(m_spanBox->currentIndex());
    m_settings.setHeatKind(kind());
    m_settings.setHeatDirection(direction());
    m_settings.setHeatMatter(m_senBox->currentIndex() > 0 ? m_senBox->currentText() : QString());
    m_settings.setHeatHueByDirection(m_hueBox->isChecked());
}

void THeatF::setPreview(std::function<void(std::vector<PrintPicture>)> preview)
{
    m_preview = std::move(preview);
    m_prevBtn->setVisible(static_cast<bool>(m_preview));
}

int THeatF::spanDays() const
{
    const Span &s = Spans[static_cast<std::size_t>(std::clamp(m_spanBox->currentIndex(), 0, 4))];
    if (s.months == 0)
        return s.days;
    const QDate start = m_startE->date();
    return static_cast<int>(start.daysTo(start.addMonths(s.months)));
}

int THeatF::direction() const
{
    return m_dirBox->currentData().toInt();
}

int THeatF::kind() const
{
    return m_kindBox->currentData().toInt();
}

QString THeatF::title() const
{
    const HeatPicture *pic = m_canvas->picture();
    return pic ? pic->title : windowTitle();
}

QString THeatF::titleOf(const HeatMap &map) const
{
    if (map.cells.empty())
        return windowTitle();
    const auto date = [](const CivilTime &t) { return qs(formatListDate(t)); };
    QString text = QStringLiteral("%1～%2  %3  方位：%4")
                       .arg(date(map.cells.front().moment), date(map.cells.back().moment),
                            m_kindBox->currentText(), m_dirBox->currentText());
    if (m_senBox->currentIndex() > 0)
        text += QStringLiteral("  占事：") + m_senBox->currentText();
    if (m_safeBox->isChecked() && !GoingPeople::instance().empty())
        text += QStringLiteral("  %1に安全な方位のみ%2")
                    .arg(GoingPeople::instance().names(),
                         m_yearMonthBox->isChecked() ? QStringLiteral("（年盤・月盤も）") : QString());
    return text;
}

void THeatF::showHeatMap()
{
    m_restoring = true;
    fillMatters();
    m_startE->setDate(m_main.enteredDate());
    m_restoring = false;
    // Beside the calendar and kept on top as it is: a window below it would
    // open hidden behind the calendar.
    showRaised(this, m_settings.calendarOnTop());
    rebuild();
}

void THeatF::showHeatMapFor(int palace)
{
    m_restoring = true;
    m_dirBox->setCurrentIndex(std::max(0, m_dirBox->findData(palace)));
    m_hueBox->setEnabled(direction() == HeatBest);
    m_restoring = false;
    showHeatMap();
}

void THeatF::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous() && !m_canvas->picture())
        rebuild();
}

void THeatF::hideEvent(QHideEvent *event)
{
    if (!event->spontaneous())
        storeControls();
    QWidget::hideEvent(event);
}

void THeatF::rebuild()
{
    const EngineOptions options = m_main.engineOptions();
    if (!options.tzOk) {
        ui::showError(this, QStringLiteral("天体計算のタイムゾーン『%1』は、数値ではありません。").arg(options.tzText));
        return;
    }
    const QString numbersPath = programFile(QStringLiteral("SuuFile.Dat"));
    const QString mattersPath = programFile(QStringLiteral("Senji.Dat"));
    const QString matterName = m_senBox->currentIndex() > 0 ? m_senBox->currentText() : QString();
    const auto stamp = [](const QString &path) {
        const QFileInfo info(path);
        return QString::number(info.lastModified().toMSecsSinceEpoch()) + QLatin1Char('/') + QString::number(info.size());
    };
    const KoyomiOptions &k = options.koyomi;
    // Everything the scores and outlines read; the mapper's work is kept while it stays the same.
    const QString madeFor = QStringList{QString::number(k.clock.calendarTz(), 'g', 17),
                                        QString::number(k.periods[0]) + QString::number(k.periods[1])
                                            + QString::number(k.periods[2]) + QString::number(k.periods[3]),
                                        QString::number(k.kcb1), QString::number(k.settingsExist),
                                        QString::number(static_cast<int>(k.astronomy)), qs(k.clock.zone),
                                        QString::number(static_cast<int>(k.clock.solarTime)),
                                        QString::number(k.clock.longitude, 'g', 17),
                                        QString::number(static_cast<int>(options.method)),
                                        QString::number(k.exactMinutes), QString::number(options.warnMinutes),
                                        QString::number(static_cast<int>(k.juMethod)),
                                        QString::number(m_settings.schoolMarks()),
                                        stamp(numbersPath),
                                        matterName, matterName.isEmpty() ? QString() : stamp(mattersPath)}
                                .join(QLatin1Char('|'));
    if (madeFor != m_madeFor || !m_mapper) {
        m_mapper.reset();
        m_madeFor.clear();
        m_numbers = readNumbersFile(numbersPath.toStdString());
        if (!m_numbers.ok()) {
            ui::showError(this, qs(m_numbers.error));
            return;
        }
        if (!m_numbers.warnings.empty()) {
            QStringList lines;
            for (const std::string &w : m_numbers.warnings)
                lines << qs(w);
            const QString text = lines.join(QLatin1Char('\n'));
            if (text != m_numbersWarned) {
                m_numbersWarned = text;
                ui::showWarning(this, text);
            }
        }
        m_matter.reset();
        if (!matterName.isEmpty()) {
            SenMatterLoad load = loadSenMatter(mattersPath.toStdString(), matterName.toStdString());
            if (load.ok)
                m_matter = std::move(load.matter);
            else
                ui::showWarning(this, qs(load.message));
        }
        m_mapper = std::make_unique<HeatMapper>(m_numbers.tables, k, options.method, m_matter ? &*m_matter : nullptr);
        m_marks.setOptions(k, options.warnMinutes);
        m_schools.setOptions(k, m_settings.schoolMarks());
        m_madeFor = madeFor;
    }

    const QDate start = m_startE->date();
    auto picture = std::make_shared<HeatPicture>();
    const GoingPeople &going = GoingPeople::instance();
    const bool safeOnly = m_safeBox->isChecked() && !going.empty();
    m_mapper->setPeople(safeOnly ? going.exclusion(m_yearMonthBox->isChecked()) : PeopleExclusion{});
    if (safeOnly) {
        picture->people = going.names();
        picture->yearMonth = m_yearMonthBox->isChecked();
    }
    picture->map = m_mapper->build(CivilTime{start.year(), start.month(), start.day(), 0, 0, 0}, spanDays(), kind());
    picture->grid = heatGrid(picture->map);
    picture->direction = direction();
    picture->colours = pcolorSettings(m_settings);
    picture->today = QDate::currentDate();
    picture->title = titleOf(picture->map);
    picture->nearTerm = [this](const HeatCell &cell) { return !termMark(cell).isEmpty(); };
    if (m_schools.active() && picture->map.kind == KindHour)
        picture->schoolsDiffer = [this](const HeatCell &cell) { return !schoolMark(cell).isEmpty(); };
    picture->hueByDirection = m_hueBox->isChecked();
    picture->matterOutlined = m_matter.has_value();
    bool first = true;
    for (const HeatCell &cell : picture->map.cells) {
        if (heatShut(cell, picture->direction))
            continue;
        const double score = cell.scores[static_cast<std::size_t>(heatPalace(cell, picture->direction))];
        picture->low = first ? score : std::min(picture->low, score);
        picture->high = first ? score : std::max(picture->high, score);
        first = false;
    }
    m_canvas->setPicture(std::move(picture));
}

void THeatF::openCell(int index)
{
    const HeatPicture *pic = m_canvas->picture();
    if (!pic || index < 0 || index >= static_cast<int>(pic->map.cells.size()))
        return;
    const HeatCell &cell = pic->map.cells[static_cast<std::size_t>(index)];
    const int k = pic->map.kind;
    const std::string kindCell = std::string(KindChar[static_cast<std::size_t>(k)]) + "盤";
    // Declining leaves the main window's choice alone and makes nothing.
    if (!m_main.BanGrp(k) && !ui::askYesNo(this, qs(uncheckedKindQuestion(kindCell))))
        return;
    const CivilTime moment = cell.moment;
    m_main.openChart(k, moment);
}

QString THeatF::cellHint(int index) const
{
    const HeatPicture *pic = m_canvas->picture();
    if (!pic || index < 0 || index >= static_cast<int>(pic->map.cells.size()))
        return {};
    const HeatCell &cell = pic->map.cells[static_cast<std::size_t>(index)];
    const EngineOptions options = m_main.engineOptions();
    const LaidChart laid = layChart(DateToKyu(cell.moment, options.koyomi), pic->map.kind, options.method, nullptr,
                                    &m_main.constData());
    if (heatShut(cell, pic->direction)) {
        // Which directions are bad, and for whom.
        QString hint = qs(formatListDate(cell.moment))
            + (pic->map.kind == KindHour ? QLatin1Char(' ') + qs(formatListHour(cell.moment)) + QStringLiteral(":00")
                                         : QString())
            + QStringLiteral(" %1の凶方位").arg(pic->people);
        const int shown = pic->direction == HeatBest ? 0 : pic->direction;
        // The chart of the cell, and the year and month charts when they count.
        std::vector<int> kinds{pic->map.kind};
        if (pic->yearMonth)
            kinds.insert(kinds.end(), {KindYear, KindMonth});
        for (int p : HeatColumnOrder) {
            if (shown != 0 && p != shown)
                continue;
            hint += QStringLiteral("\n【%1】").arg(directionCaption(p));
            for (int kind : kinds) {
                const ChartRecord chart = kind == pic->map.kind ? laid.chart
                                                                : BanCreate(laid.koyomi, kind, options.method, nullptr);
                const PalaceMarks marks = palaceMarks(GoingPeople::instance().people(), chart.Ban[KyuSeiBan],
                                                      laid.koyomi.BanShi[static_cast<std::size_t>(kind)], kind, p);
                QStringList who;
                for (QString line : marks.hintLines)
                    who << line.remove(QStringLiteral("【凶方位】"));
                if (!who.isEmpty())
                    hint += QStringLiteral("\n　%1盤　").arg(qs(std::string(KindChar[static_cast<std::size_t>(kind)])))
                        + who.join(QStringLiteral("／"));
            }
        }
        return hint;
    }
    const int palace = heatPalace(cell, pic->direction);
    const PalaceText &text = laid.palaces[static_cast<std::size_t>(palace)];
    const QString heading = qs(formatListDate(cell.moment))
        + (pic->map.kind == KindHour ? QLatin1Char(' ') + qs(formatListHour(cell.moment)) + QStringLiteral(":00") : QString())
        + QLatin1Char(' ') + qs(std::string(KindChar[static_cast<std::size_t>(pic->map.kind)])) + QStringLiteral("盤 ")
        + directionCaption(palace) + QLatin1Char(' ') + qs(formatScore(cell.scores[static_cast<std::size_t>(palace)]));
    QString hint = heading + QLatin1Char('\n') + qs(palaceHint(text, "\n"));
    if (const QString &mark = termMark(cell); !mark.isEmpty())
        hint += QLatin1Char('\n') + mark;
    if (pic->map.kind == KindHour)
        if (const QString &mark = schoolMark(cell); !mark.isEmpty())
            hint += QLatin1Char('\n') + mark;
    return hint;
}

const QString &THeatF::schoolMark(const HeatCell &cell) const
{
    return m_schools.markOf(cell.moment);
}

const QString &THeatF::termMark(const HeatCell &cell) const
{
    ListRow row;
    row[ListCol::Date] = formatListDate(cell.moment);
    row[ListCol::Hour] = formatListHour(cell.moment);
    return m_marks.markOf(row);
}

QString THeatF::exportPicture(const QString &path) const
{
    if (path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        return exportPdf(path);
    const QSize size = m_canvas->naturalSize();
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setFont(m_canvas->font());
        m_canvas->paintPicture(painter, size);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return QStringLiteral("『%1』を、画像にできませんでした。").arg(path);
    buffer.close();
    return qs(writeBytesAtomic(path.toStdString(), bytes.toStdString()));
}

QString THeatF::exportPdf(const QString &path) const
{
    const HeatPicture *pic = m_canvas->picture();
    if (!pic)
        return {};
    // Portrait pages of the picture's own width, each with as many rows as
    // fit under the title, the legend and the captions.
    const int perPage = m_canvas->rowsPerPage(PortraitPage);
    const int width = m_canvas->naturalSize().width();
    const QSizeF page(width * 72.0 / 96, width * PortraitPage * 72.0 / 96);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(96);
        writer.setTitle(pic->title);
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setPageSize(QPageSize(page, QPageSize::Point));
        QPainter painter(&writer);
        painter.setFont(m_canvas->font());
        for (int first = 0; first < std::max(1, pic->grid.rows); first += perPage) {
            if (first > 0)
                writer.newPage();
            const int rows = std::min(perPage, pic->grid.rows - first);
            const QSize size = m_canvas->naturalSize(rows);
            painter.save();
            painter.scale(double(writer.width()) / width, double(writer.width()) / width);
            m_canvas->paintRows(painter, size, first, rows);
            painter.restore();
            if (rows <= 0)
                break;
        }
    }
    buffer.close();
    return qs(writeBytesAtomic(path.toStdString(), bytes.toStdString()));
}

void THeatF::ExpBtnClick()
{
    if (!m_canvas->picture())
        return;
    savePicture(this, saveFileName ? saveFileName(this) : QString(),
                [this](const QString &path) { return exportPicture(path); });
}

} // namespace velm
