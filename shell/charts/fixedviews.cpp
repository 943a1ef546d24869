#include "shell/charts/fixedviews.h"

#include <algorithm>

#include <QApplication>
#include <QCloseEvent>
#include <QDataStream>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QSpacerItem>
#include <QTableWidget>
#include <QVBoxLayout>

#include "engine/symbols.h"
#include "output/charttext.h"
#include "shell/common/helpwindow.h"
#include "shell/settings/settingsstore.h"
#include "shell/common/strings.h"

namespace velm {
namespace {

// Code of the outer palaces 乾 兌 艮 離 坎 坤 震 巽 (palace index 1..8) from
// which the home door and the two deity arrangements follow.
constexpr std::array<int, 9> PalaceCode{0, 1, 8, 3, 6, 2, 7, 4, 5};
// Lo Shu number of each palace index.
constexpr std::array<int, 9> LoShu{5, 6, 7, 8, 9, 1, 2, 3, 4};

// Cells are sized from the font, so that one character (定位盤) or one
// two-character term per line (節気盤) fits at any font size.
QTableWidget *makeGrid(QWidget *parent, int charsPerLine, int lines)
{
    auto *grid = new QTableWidget(3, 3, parent);
    const QFontMetrics fm(grid->font());
    const int cellWidth = charsPerLine * fm.horizontalAdvance(QChar(0x76E4)) + (charsPerLine > 1 ? 12 : 8);
    const int cellHeight = lines * fm.lineSpacing() + 6;
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    // The headers' style minimum (about 30 pixels) would otherwise widen the
    // cells and cut off the third column.
    grid->horizontalHeader()->setMinimumSectionSize(1);
    grid->verticalHeader()->setMinimumSectionSize(1);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::NoSelection);
    grid->setFocusPolicy(Qt::NoFocus);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setWordWrap(true);
    for (int i = 0; i < 3; ++i) {
        grid->setColumnWidth(i, cellWidth);
        grid->setRowHeight(i, cellHeight);
    }
    grid->setFixedSize(3 * cellWidth + 2 * grid->frameWidth(), 3 * cellHeight + 2 * grid->frameWidth());
    QPalette pal = grid->palette();
    pal.setColor(QPalette::Base, Qt::white);
    pal.setColor(QPalette::Text, Qt::black);
    grid->setPalette(pal);
    return grid;
}

void setPalace(QTableWidget *grid, int palace, const QString &text, Qt::Alignment align = Qt::AlignCenter)
{
    auto *item = new QTableWidgetItem(text);
    item->setTextAlignment(align);
    grid->setItem(PalaceRow[static_cast<std::size_t>(palace)], PalaceColumn[static_cast<std::size_t>(palace)], item);
}

// A stored position whose screen is gone (a monitor unplugged, a smaller
// display) must not put the window where the user cannot reach it: it is
// moved onto the nearest screen, wholly when it fits.
QPoint reachablePosition(const QRect &stored)
{
    QScreen *screen = QGuiApplication::screenAt(stored.center());
    if (!screen)
        screen = QGuiApplication::screenAt(stored.topLeft());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return stored.topLeft();
    const QRect area = screen->availableGeometry();
    const int x = std::clamp(stored.left(), area.left(), std::max(area.left(), area.right() + 1 - stored.width()));
    const int y = std::clamp(stored.top(), area.top(), std::max(area.top(), area.bottom() + 1 - stored.height()));
    return {x, y};
}

// Where each window stood last, as a placement record.
const SettingValue<QByteArray> TeiiPlacement{"Teii", "TeiiFWinPlace1", {}};
const SettingValue<QByteArray> Teii2Placement{"Teii2", "Teii2FWinPlace1", {}};

bool restorePlacement(QWidget *w, SettingsStore &store, const SettingValue<QByteArray> &placement)
{
    const auto rect = placementRect(placement.read(store));
    if (rect)
        w->move(reachablePosition(*rect)); // reading never shows the window
    return rect.has_value();
}

// The window manager writes the caption (with the program's name after it,
// as Qt gives it) beside its icon and buttons, in a font of its own; the
// grids alone are narrower than that, and the caption would be cut. Room for
// the caption half as wide again (the window manager's font may be larger)
// and four buttons of caption height.
void keepTitleInSight(QBoxLayout *layout, const QString &title)
{
    const QFontMetrics fm(QApplication::font());
    QString shown = title;
    if (const QString name = QGuiApplication::applicationDisplayName(); !name.isEmpty() && !title.contains(name))
        shown += QStringLiteral(" — ") + name;
    const int width = fm.horizontalAdvance(shown) * 3 / 2 + 4 * (fm.height() + 6) + 16;
    layout->addSpacerItem(new QSpacerItem(width, 0, QSizePolicy::Fixed, QSizePolicy::Fixed));
}

// Small tool windows on top, closed by their close button alone: minimise
// and maximise buttons would only take the caption's room.
constexpr Qt::WindowFlags FixedViewFlags = Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint
                                           | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;

// Frame the window manager adds around a window, as far as it can be told
// before the window is shown.
constexpr int FrameAllowance = 8;

// The record holds the outer rectangle, frame included, as move() takes it;
// storing the inner one would let the window creep down by its title bar
// on every run.
void storePlacement(QWidget *w, SettingsStore &store, const SettingValue<QByteArray> &placement)
{
    placement.write(store, placementRecord(QRect(w->pos(), w->frameGeometry().size()), w->isMaximized()));
    store.sync();
}

} // namespace

QByteArray placementRecord(const QRect &normal, bool maximised)
{
    QByteArray out;
    QDataStream s(&out, QIODevice::WriteOnly);
    s.setByteOrder(QDataStream::LittleEndian);
    const qint32 values[11] = {44, 0, maximised ? 3 : 1, -1, -1, -1, -1, normal.left(), normal.top(),
                               normal.left() + normal.width(), normal.top() + normal.height()};
    for (qint32 v : values)
        s << v;
    return out;
}

std::optional<QRect> placementRect(const QByteArray &record)
{
    if (record.size() != 44)
        return std::nullopt;
    QDataStream s(record);
    s.setByteOrder(QDataStream::LittleEndian);
    qint32 v[11];
    for (qint32 &x : v)
        s >> x;
    if (v[0] != 44 || v[9] <= v[7] || v[10] <= v[8])
        return std::nullopt;
    return QRect(QPoint(v[7], v[8]), QPoint(v[9] - 1, v[10] - 1));
}

TTeiiF::TTeiiF(const ConstData &names, SettingsStore &store, QWidget *parent)
    : QWidget(parent, FixedViewFlags)
    , m_names(names)
    , m_store(store)
{
    setHelpTopic(this, HelpFixedViews);
    setWindowTitle(QStringLiteral("定位盤"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(2);
    // The content never changes, so neither does the window's size.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    const char *captions[5] = {"【方位】", "【八門】", "【九星】", "【八神】陽", "【紫白】"};
    for (int n = 0; n < 5; ++n) {
        auto *label = new QLabel(QString::fromUtf8(captions[n]), this);
        if (n == 3)
            m_label4 = label;
        layout->addWidget(label);
        m_grids[static_cast<std::size_t>(n)] = makeGrid(this, 1, 1);
        m_grids[static_cast<std::size_t>(n)]->setObjectName(QStringLiteral("SG%1").arg(n + 1));
        layout->addWidget(m_grids[static_cast<std::size_t>(n)], 0, Qt::AlignHCenter);
    }
    for (int p = 0; p < 9; ++p) {
        setPalace(m_grids[0], p, qs(TrigramName[static_cast<std::size_t>(p)]));
        setPalace(m_grids[2], p, QString::fromStdString(names.StarChar[static_cast<std::size_t>(p)]));
        setPalace(m_grids[4], p, qs(NumeralKanji[static_cast<std::size_t>(LoShu[static_cast<std::size_t>(p)] - 1)]));
        if (p >= 1) {
            const int t = PalaceCode[static_cast<std::size_t>(p)];
            setPalace(m_grids[1], p, qs(DoorName[static_cast<std::size_t>((t + 6) % 8 + 1)]));
        } else {
            setPalace(m_grids[1], p, QString());
        }
    }
    keepTitleInSight(layout, windowTitle());
    fillDeities();
    m_grids[3]->viewport()->installEventFilter(this);
    m_placed = restorePlacement(this, m_store, TeiiPlacement);
}

QString TTeiiF::deityCaption() const
{
    return m_label4->text();
}

void TTeiiF::fillDeities()
{
    setPalace(m_grids[3], 0, QString());
    for (int p = 1; p <= 8; ++p) {
        const int t = PalaceCode[static_cast<std::size_t>(p)];
        const int deity = m_HSW ? (t + 5) % 8 + 1 : (24 - t) % 8 + 1;
        setPalace(m_grids[3], p, qs(DeityChar[static_cast<std::size_t>(deity)]));
    }
    m_label4->setText(m_HSW ? QStringLiteral("【八神】陽") : QStringLiteral("【八神】陰"));
}

void TTeiiF::SG4MouseDown()
{
    m_HSW = !m_HSW;
    fillDeities();
}

bool TTeiiF::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_grids[3]->viewport() && event->type() == QEvent::MouseButtonPress) {
        SG4MouseDown();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TTeiiF::closeEvent(QCloseEvent *event)
{
    storePlacement(this, m_store, TeiiPlacement);
    QWidget::closeEvent(event);
}

TTeii2F::TTeii2F(SettingsStore &store, QWidget *parent)
    : QWidget(parent, FixedViewFlags)
    , m_store(store)
{
    setHelpTopic(this, HelpFixedViews);
    setWindowTitle(QStringLiteral("節気盤"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    m_grid = makeGrid(this, 2, 3);
    m_grid->setObjectName(QStringLiteral("SG1"));
    layout->addWidget(m_grid, 0, Qt::AlignHCenter);
    keepTitleInSight(layout, windowTitle());
    // The j-th palace from the north, clockwise, holds terms 3j..3j+2.
    constexpr std::array<int, 8> Order{5, 3, 7, 8, 4, 6, 2, 1}; // 坎 艮 震 巽 離 坤 兌 乾
    setPalace(m_grid, 0, QString());
    for (int j = 0; j < 8; ++j) {
        QString text;
        for (int k = 0; k < 3; ++k)
            text += qs(TermName[static_cast<std::size_t>(3 * j + k)]);
        setPalace(m_grid, Order[static_cast<std::size_t>(j)], text, Qt::AlignLeft | Qt::AlignTop);
    }
    m_placed = restorePlacement(this, m_store, Teii2Placement);
}

void placeFixedViews(TTeiiF &teii, TTeii2F &teii2, const QRect &area)
{
    int right = area.right() + 1;
    const int top = area.top() + FrameAllowance;
    auto place = [&right, top, &area](QWidget *w, bool placed) {
        w->adjustSize();
        const int width = w->width() + 2 * FrameAllowance;
        if (!placed)
            w->move(std::max(area.left(), right - width), top);
        right -= width;
    };
    place(&teii, teii.placed());
    place(&teii2, teii2.placed());
    teii.setPlaced();
    teii2.setPlaced();
}

void TTeii2F::closeEvent(QCloseEvent *event)
{
    storePlacement(this, m_store, Teii2Placement);
    QWidget::closeEvent(event);
}

} // namespace velm
