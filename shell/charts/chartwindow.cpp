#include "shell/charts/chartwindow.h"
#include "shell/common/strings.h"

#include <algorithm>

#include <QApplication>
#include <QPen>
#include <QClipboard>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "engine/symbols.h"
#include "output/listfile.h"
#include "shell/charts/chartexport.h"
#include "shell/common/goingpeople.h"
#include "shell/common/messages.h"
#include "shell/common/savedialog.h"

namespace velm {
namespace {

QString joinLines(const std::vector<std::string> &lines)
{
    QStringList text;
    for (const std::string &line : lines)
        text << qs(line);
    return text.join(QLatin1Char('\n'));
}

constexpr int LinesPerCell = 5; // slices 0..4; 5 and 6 only go into the hint
constexpr int LinesRole = Qt::UserRole + 1;
constexpr int DestinationRole = Qt::UserRole + 2;
constexpr int BaseHintRole = Qt::UserRole + 3;
constexpr int MarksRole = Qt::UserRole + 4; // the signs of the reasons a palace is bad for the people going

// The destination of the run, shared by every chart window.
int g_destinationPalace = 0;
QString g_destinationPlace;
constexpr int DefaultBanFontSize = 10;
// The smallest cell, as the chart was first laid out; larger fonts grow it.
constexpr int MinCellWidth = 58;
constexpr int MinCellHeight = 66;

// Draws the five lines of a palace centred, one fifth of the cell each, in
// the text colour that reads on the cell's background.
class PalaceDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        painter->save();
        painter->setClipRect(option.rect);
        QColor background = index.data(Qt::BackgroundRole).value<QColor>();
        if (!background.isValid())
            background = (option.state & QStyle::State_Selected) ? option.palette.highlight().color()
                                                                  : option.palette.base().color();
        painter->fillRect(option.rect, background);
        painter->setPen(FColor(background));
        painter->setFont(option.font);
        const QStringList lines = index.data(LinesRole).toStringList();
        const int h = option.rect.height() / LinesPerCell;
        for (int k = 0; k < lines.size() && k < LinesPerCell; ++k) {
            const QRect line(QPoint(option.rect.left() + 2, option.rect.top() + 1 + k * h),
                             option.rect.bottomRight());
            painter->drawText(line, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, lines[k]);
        }
        const QString marks = index.data(MarksRole).toString();
        if (!marks.isEmpty()) {
            // The signs go on the highest pattern line left blank (patterns
            // fill the lines from the bottom), in red; a palace with three
            // patterns has none left, and gets a red corner.
            int free = -1;
            for (int k = 2; k < LinesPerCell && free < 0; ++k)
                if (k >= lines.size() || lines[k].trimmed().isEmpty())
                    free = k;
            QFont bold = option.font;
            bold.setBold(true);
            painter->setPen(QColor(0xc0, 0x00, 0x00));
            if (free >= 0) {
                painter->setFont(bold);
                const QRect line(QPoint(option.rect.left() + 2, option.rect.top() + 1 + free * h),
                                 QSize(option.rect.width() - 4, h));
                painter->drawText(line, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, marks);
            } else {
                // No line to spare: a red corner, the signs in the hint.
                const double side = std::min(option.rect.width(), option.rect.height()) / 6.0;
                const QPointF corner = QRectF(option.rect).topRight();
                const QPointF triangle[3] = {corner, corner - QPointF(side, 0), corner + QPointF(0, side)};
                painter->setPen(Qt::NoPen);
                painter->setBrush(QColor(0xc0, 0x00, 0x00));
                painter->drawPolygon(triangle, 3);
            }
        }
        if (index.data(DestinationRole).toBool()) {
            painter->setClipping(false);
            painter->setPen(QPen(QColor(0xd0, 0x00, 0x80), 3));
            painter->setBrush(Qt::NoBrush);
            painter->drawRect(QRectF(option.rect).adjusted(1.5, 1.5, -2.5, -2.5));
        }
        painter->restore();
    }
};

} // namespace

TBanF::TBanF(const LaidChart &laid, const QString &title, const CivilTime &entered, const BanDisplay &display,
             QWidget *parent)
    : QWidget(parent)
    , m_laid(laid)
    , m_title(title)
    , m_entered(entered)
{
    setWindowTitle(titled() ? title : QStringLiteral("BanF"));
    // A window shows what it was given; a chart laid without its scores or
    // labels shows zeros and blanks rather than failing.
    if (!m_laid.scores)
        m_laid.scores.emplace();
    if (!m_laid.labels)
        m_laid.labels.emplace();

    // Labels keep the window's 13-pixel size and take only the basic font's name.
    QFont basic(display.sysFont);
    basic.setPixelSize(13);
    setFont(basic);

    m_kyokuL = new QLabel(qs(m_laid.labels->KyokuL), this);
    m_junL = new QLabel(qs(m_laid.labels->JunL), this);
    m_tyuL = new QLabel(qs(m_laid.labels->TyuL), this);
    m_close = new QToolButton(this);
    m_close->setText(QStringLiteral("×"));
    m_close->setAutoRaise(true);
    m_close->setFixedSize(16, 16);
    m_close->setFocusPolicy(Qt::NoFocus);
    m_close->setToolTip(QStringLiteral("閉じる"));
    connect(m_close, &QToolButton::clicked, this, [this] {
        if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget()))
            sub->close();
        else
            close();
    });

    auto *top = new QHBoxLayout;
    top->setContentsMargins(0, 0, 0, 0);
    top->setSpacing(8);
    top->addWidget(m_kyokuL);
    top->addWidget(m_junL);
    top->addWidget(m_tyuL);
    top->addStretch(1);
    top->addWidget(m_close);

    // The boundary note, shown only near a boundary; its own colours stand
    // out in either look of the window.
    m_boundaryBar = new QWidget(this);
    m_boundaryBar->setObjectName(QStringLiteral("BoundaryBar"));
    m_boundaryL = new QLabel(m_boundaryBar);
    m_boundaryL->setObjectName(QStringLiteral("BoundaryL"));
    m_boundaryL->setStyleSheet(QStringLiteral("QLabel { background: #fff2b0; color: #b00000; font-weight: bold;"
                                              " border: 1px solid #b00000; padding: 1px 4px; }"));
    m_otherSideBtn = new QPushButton(QStringLiteral("境界の反対側"), m_boundaryBar);
    m_otherSideBtn->setObjectName(QStringLiteral("OtherSideBtn"));
    m_otherSideBtn->setFocusPolicy(Qt::NoFocus);
    m_otherSideBtn->setEnabled(false);
    m_otherSideBtn->setToolTip(QStringLiteral("境界の反対側の盤を作ります"));
    connect(m_otherSideBtn, &QPushButton::clicked, this, &TBanF::otherSideRequested);
    auto *bar = new QVBoxLayout(m_boundaryBar);
    bar->setContentsMargins(0, 0, 0, 0);
    bar->setSpacing(2);
    bar->addWidget(m_boundaryL);
    bar->addWidget(m_otherSideBtn, 0, Qt::AlignRight);
    m_boundaryBar->hide();

    m_calendarL = new QLabel(this);
    m_calendarL->setObjectName(QStringLiteral("ChartCalendarL"));
    m_calendarL->hide();

    buildGrid(display);
    applyDestination();
    connect(&GoingPeople::instance(), &GoingPeople::changed, this, &TBanF::applyDestination);

    m_label5 = new QLabel(qs(m_laid.labels->Label5), this);
    m_label6 = new QLabel(qs(m_laid.labels->Label6), this);
    m_label6->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto *bottom = new QHBoxLayout;
    bottom->setContentsMargins(0, 0, 0, 0);
    bottom->addWidget(m_label5);
    bottom->addStretch(1);
    bottom->addWidget(m_label6);
    m_label5->setVisible(display.showDutyDoorAndStar);
    m_label6->setVisible(display.showDutyDoorAndStar);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    layout->addLayout(top);
    layout->addWidget(m_calendarL);
    layout->addWidget(m_boundaryBar);
    layout->addWidget(m_grid, 0, Qt::AlignHCenter);
    layout->addLayout(bottom);
    m_widthRoom = new QSpacerItem(0, 0, QSizePolicy::Fixed, QSizePolicy::Fixed);
    layout->addSpacerItem(m_widthRoom);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("PopupMenu1"));
    QAction *cp1 = m_menu->addAction(QStringLiteral("盤をｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰ"), this, &TBanF::CP1Click);
    cp1->setObjectName(QStringLiteral("CP1"));
    m_cp2 = m_menu->addAction(QStringLiteral("宮(東南)のみコピー"), this, &TBanF::CP2Click);
    m_cp2->setObjectName(QStringLiteral("CP2"));
    // Until a palace has been pressed there is no palace to copy.
    m_cp2->setEnabled(false);
    m_menu->addSeparator();
    m_menu->addAction(QStringLiteral("印刷ﾌﾟﾚﾋﾞｭｰ"), this, &TBanF::printRequested)->setObjectName(QStringLiteral("CP3"));
    m_menu->addAction(QStringLiteral("画像として保存…"), this, &TBanF::saveImageClick)
        ->setObjectName(QStringLiteral("SaveImageItem"));
    m_menu->addSeparator();
    // The schools differ only in the hour chart's ju.
    m_schools = m_menu->addAction(QStringLiteral("流派比較"), this, &TBanF::schoolsRequested);
    m_schools->setObjectName(QStringLiteral("SchoolsItem"));
    m_schools->setEnabled(m_laid.chart.BanShu == KindHour);
    m_journal = m_menu->addAction(QStringLiteral("記録に残す…"), this, &TBanF::journalRequested);
    m_journal->setObjectName(QStringLiteral("KeepItem"));
    saveImageName = [](QWidget *owner, const QString &suggested) {
        return askSaveFile(owner, QStringLiteral("画像として保存"), chartImageFilters().split(QStringLiteral(";;")), {},
                           suggested);
    };
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { showMenu(mapToGlobal(pos)); });

    setActiveLook(false);
}

QString TBanF::momentText() const
{
    if (!titled())
        return {};
    return QString::asprintf("%04d/%02d/%02d %02d:%02d", m_entered.year, m_entered.month, m_entered.day,
                             m_entered.hour, m_entered.minute);
}

void TBanF::setBoundaryNote(const BoundaryNote &note, const CivilTime &calendarMoment, bool crossable)
{
    m_note = note;
    m_calendarMoment = calendarMoment;
    // The short series' remark goes on a line of its own: the badge stays
    // within the grid's width.
    QString badge = note.badge;
    badge.replace(QStringLiteral("（"), QStringLiteral("\n（"));
    m_boundaryL->setText(badge);
    m_boundaryL->setToolTip(note.hint);
    m_otherSideBtn->setEnabled(note.isNear() && crossable);
    m_boundaryBar->setVisible(note.isNear());
}

void TBanF::setCalendarCaption(const QString &caption)
{
    // Broken between its parts, each line as wide as the grid allows, so
    // that no part is cut and the window keeps the chart's width.
    const QFontMetrics fm(m_calendarL->font());
    const int room = m_grid->width();
    QStringList lines;
    for (const QString &part : caption.split(QStringLiteral("・"), Qt::SkipEmptyParts)) {
        const QString joined = lines.isEmpty() ? part : lines.last() + QStringLiteral("・") + part;
        if (!lines.isEmpty() && fm.horizontalAdvance(joined) <= room)
            lines.last() = joined;
        else
            lines << part;
    }
    m_calendarL->setText(lines.join(QLatin1Char('\n')));
    m_calendarL->setToolTip(caption);
    m_calendarL->setVisible(!caption.isEmpty());
}

void TBanF::reserveWidth(int width)
{
    m_widthRoom->changeSize(width - 2 * 2, 0, QSizePolicy::Fixed, QSizePolicy::Fixed);
    layout()->invalidate();
    layout()->activate();
}

void TBanF::buildGrid(const BanDisplay &display)
{
    m_grid = new QTableWidget(3, 3, this);
    m_grid->setObjectName(QStringLiteral("SG1"));
    m_grid->horizontalHeader()->hide();
    m_grid->verticalHeader()->hide();
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_grid->setItemDelegate(new PalaceDelegate(m_grid));
    m_grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_grid, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { showMenu(m_grid->viewport()->mapToGlobal(pos)); });
    m_grid->viewport()->installEventFilter(this);

    QFont chartFont(display.banFont);
    chartFont.setPointSize(display.banFontSize > 0 ? display.banFontSize : DefaultBanFontSize);
    m_grid->setFont(chartFont);

    // Cells grow with the chart font so that the five lines are never cut:
    // each line gets a fifth of the cell, and the delegate draws 1 pixel
    // below the top, 2 from the left, inside the grid line.
    const QFontMetrics fm(chartFont);
    int textWidth = fm.horizontalAdvance(QStringLiteral("　　　　"));
    for (const PalaceText &text : m_laid.palaces)
        for (int k = 0; k < LinesPerCell; ++k)
            textWidth = std::max(textWidth, fm.horizontalAdvance(qs(text[static_cast<std::size_t>(k)])));
    const int lineHeight = std::max(fm.height(), fm.lineSpacing());
    const int gridLine = 1;
    const int cellWidth = std::max(MinCellWidth, textWidth + 2 + 4 + gridLine);
    const int cellHeight = std::max(MinCellHeight, LinesPerCell * lineHeight + 1 + 2 + gridLine);
    for (int c = 0; c < 3; ++c)
        m_grid->setColumnWidth(c, cellWidth);
    for (int r = 0; r < 3; ++r)
        m_grid->setRowHeight(r, cellHeight);
    const int frame = 2 * m_grid->frameWidth();
    m_grid->setFixedSize(3 * cellWidth + frame, 3 * cellHeight + frame);

    for (int p = 0; p < 9; ++p) {
        auto *item = new QTableWidgetItem;
        const PalaceText &text = m_laid.palaces[static_cast<std::size_t>(p)];
        QStringList lines;
        for (int k = 0; k < LinesPerCell; ++k)
            lines << qs(text[static_cast<std::size_t>(k)]);
        item->setData(LinesRole, lines);
        item->setToolTip(qs(palaceHint(text, "\n")));
        item->setData(BaseHintRole, item->toolTip());
        if (display.colourChartsByScore) {
            // Coloured by the total as the cell would print it (two decimals),
            // so 9.996 takes the colour of 10.00.
            const std::string score = formatScore(m_laid.scores->BanSuu[8][static_cast<std::size_t>(p)]);
            item->setData(Qt::BackgroundRole, PColor(qs(score), display.colours));
        }
        m_grid->setItem(PalaceRow[static_cast<std::size_t>(p)], PalaceColumn[static_cast<std::size_t>(p)], item);
    }
}

void TBanF::setDestination(int palace, const QString &place)
{
    g_destinationPalace = palace >= 1 && palace <= 8 ? palace : 0;
    g_destinationPlace = g_destinationPalace ? place : QString();
    for (QWidget *w : QApplication::allWidgets())
        if (auto *chart = qobject_cast<TBanF *>(w))
            chart->applyDestination();
}

int TBanF::destinationPalace()
{
    return g_destinationPalace;
}

bool TBanF::outlines(int palace) const
{
    const QTableWidgetItem *item = m_grid->item(PalaceRow[std::size_t(palace)], PalaceColumn[std::size_t(palace)]);
    return item && item->data(DestinationRole).toBool();
}

QString TBanF::badMarks(int palace) const
{
    const QTableWidgetItem *item = m_grid->item(PalaceRow[std::size_t(palace)], PalaceColumn[std::size_t(palace)]);
    return item ? item->data(MarksRole).toString() : QString();
}

void TBanF::applyDestination()
{
    for (int p = 0; p < 9; ++p) {
        QTableWidgetItem *item = m_grid->item(PalaceRow[std::size_t(p)], PalaceColumn[std::size_t(p)]);
        if (!item)
            continue;
        const bool outlined = g_destinationPalace > 0 && p == g_destinationPalace;
        item->setData(DestinationRole, outlined);
        QString hint = item->data(BaseHintRole).toString();
        if (outlined)
            hint += QStringLiteral("\n【目的地「%1」の方位】").arg(g_destinationPlace);
        // The palaces bad for the people going, with their names in the hint.
        const PalaceMarks marks =
            palaceMarks(GoingPeople::instance().people(), m_laid.chart.Ban[KyuSeiBan],
                        m_laid.koyomi.BanShi[static_cast<std::size_t>(m_laid.chart.BanShu & 3)], m_laid.chart.BanShu, p);
        item->setData(MarksRole, marks.signs);
        for (const QString &line : marks.hintLines)
            hint += QLatin1Char('\n') + line;
        item->setToolTip(hint);
    }
    m_grid->viewport()->update();
}

QStringList TBanF::cellLines(int column, int row) const
{
    const QTableWidgetItem *item = m_grid->item(row, column);
    return item ? item->data(LinesRole).toStringList() : QStringList{};
}

QString TBanF::cellHint(int column, int row) const
{
    const QTableWidgetItem *item = m_grid->item(row, column);
    return item ? item->toolTip() : QString{};
}

QColor TBanF::cellBackground(int column, int row) const
{
    const QTableWidgetItem *item = m_grid->item(row, column);
    return item ? item->data(Qt::BackgroundRole).value<QColor>() : QColor{};
}

bool TBanF::titled() const
{
    return !m_title.isEmpty() && m_title != QLatin1String("BanF");
}

void TBanF::setActiveLook(bool active)
{
    m_active = active;
    const QColor face = active ? QColor(0x00, 0x80, 0x80) : QApplication::palette().color(QPalette::Button);
    const QColor text = active ? QColor(Qt::white) : QColor(Qt::black);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, face);
    pal.setColor(QPalette::WindowText, text);
    setAutoFillBackground(true);
    setPalette(pal);
    for (QLabel *label : {m_kyokuL, m_junL, m_calendarL, m_label5, m_label6}) {
        QPalette lp = label->palette();
        lp.setColor(QPalette::WindowText, text);
        label->setPalette(lp);
    }
    QPalette tp = m_tyuL->palette();
    tp.setColor(QPalette::WindowText, active ? QColor(Qt::yellow) : QColor(0x80, 0x80, 0x80));
    m_tyuL->setPalette(tp);
    m_grid->viewport()->update();
}

void TBanF::notifyClick()
{
    // An untitled window has no moment to write back.
    if (titled())
        emit windowClicked();
}

void TBanF::gridPressed(const QPoint &pos)
{
    notifyClick();
    const QModelIndex index = m_grid->indexAt(pos);
    const int palace = index.isValid() ? palaceAt(index.column(), index.row()) : -1;
    if (palace < 0)
        return; // off every cell: no palace
    m_lastPalace = palace;
    const auto i = static_cast<std::size_t>(palace);
    // The centre's direction name is "中宮" itself: it is not repeated.
    m_cp2->setText(palace == 0 ? QStringLiteral("中宮のみコピー")
                               : qs(std::string(TrigramName[i])) + QStringLiteral("宮(")
                                     + qs(std::string(DirectionName[i])) + QStringLiteral(")のみコピー"));
    m_cp2->setEnabled(true);
    emit palaceClicked(palace);
}

void TBanF::showMenu(const QPoint &globalPos)
{
    m_menu->popup(globalPos);
}

bool TBanF::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_grid->viewport() && event->type() == QEvent::MouseButtonPress) {
        gridPressed(static_cast<QMouseEvent *>(event)->position().toPoint());
        return false; // the grid still moves its selection
    }
    return QWidget::eventFilter(watched, event);
}

void TBanF::mousePressEvent(QMouseEvent *event)
{
    notifyClick();
    QWidget::mousePressEvent(event);
}

void TBanF::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    watchSubWindow();
}

void TBanF::watchSubWindow()
{
    // Inside the main window the sub-window's state says which chart is
    // active; the main window's own activation reaches every child and says
    // nothing about which one.
    auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget());
    if (!sub || sub == m_subWindow)
        return;
    if (m_subWindow)
        disconnect(m_subWindow, nullptr, this, nullptr);
    m_subWindow = sub;
    connect(sub, &QMdiSubWindow::windowStateChanged, this,
            [this](Qt::WindowStates, Qt::WindowStates now) { followActivation(now.testFlag(Qt::WindowActive)); });
    followActivation(sub->windowState().testFlag(Qt::WindowActive));
}

void TBanF::followActivation(bool active)
{
    if (active == m_active)
        return;
    setActiveLook(active);
    if (active)
        emit activated();
}

void TBanF::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ParentChange) {
        watchSubWindow();
        return;
    }
    // A window of its own (not inside the main window) follows its activation.
    if (event->type() == QEvent::ActivationChange && !qobject_cast<QMdiSubWindow *>(parentWidget()))
        followActivation(isActiveWindow());
}

namespace {

QString printCaption(const QString &title, const ChartLabels &labels)
{
    return title + qs(labels.Label7);
}

int captionHeight(const QFont &font)
{
    return QFontMetrics(font).height() + 4;
}

} // namespace

QSize TBanF::printSize()
{
    if (QLayout *l = layout())
        l->activate();
    const QFontMetrics fm(font());
    const int captionWidth = fm.horizontalAdvance(printCaption(m_title, *m_laid.labels)) + 4;
    return {std::max(width(), captionWidth), captionHeight(font()) + height()};
}

void TBanF::paintChart(QPainter &painter, bool colour)
{
    if (QLayout *l = layout())
        l->activate();
    const bool active = m_active;
    if (active)
        setActiveLook(false);
    // Black and white: the score colours step aside while the grid paints.
    std::vector<std::pair<QTableWidgetItem *, QVariant>> faces;
    if (!colour)
        for (int r = 0; r < m_grid->rowCount(); ++r)
            for (int c = 0; c < m_grid->columnCount(); ++c)
                if (QTableWidgetItem *item = m_grid->item(r, c)) {
                    faces.emplace_back(item, item->data(Qt::BackgroundRole));
                    item->setData(Qt::BackgroundRole, QColor(Qt::white));
                    item->setData(Qt::ForegroundRole, QColor(Qt::black));
                }
    const int caption = captionHeight(font());
    painter.save();
    painter.setFont(font());
    painter.setPen(Qt::black);
    painter.drawText(QRect(0, 0, printSize().width(), caption), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     printCaption(m_title, *m_laid.labels));
    painter.restore();
    // The window's background stays off the paper; its labels and grid paint
    // themselves (the close button is no part of the chart).
    for (QWidget *w :
         std::initializer_list<QWidget *>{m_kyokuL, m_junL, m_tyuL, m_calendarL, m_grid, m_label5, m_label6}) {
        if (w->isHidden())
            continue;
        const RenderFlags flags = w == m_grid ? RenderFlags(DrawWindowBackground | DrawChildren) : RenderFlags(DrawChildren);
        w->render(&painter, QPoint(w->x(), caption + w->y()), QRegion(), flags);
    }
    // The boundary note prints with the chart (its button does not).
    if (!m_boundaryBar->isHidden()) {
        const QPoint at = m_boundaryL->mapTo(this, QPoint(0, 0));
        m_boundaryL->render(&painter, QPoint(at.x(), caption + at.y()), QRegion(), DrawWindowBackground | DrawChildren);
    }
    for (auto &[item, face] : faces) {
        item->setData(Qt::BackgroundRole, face);
        item->setData(Qt::ForegroundRole, QVariant());
    }
    if (active)
        setActiveLook(true);
}

void TBanF::saveImageClick()
{
    // "時盤:24/03/01 12時" as a file name: no slash or colon.
    QString suggested = m_title;
    suggested.replace(QLatin1Char('/'), QLatin1Char('-')).replace(QLatin1Char(':'), QLatin1Char('_'));
    QString path = saveImageName ? saveImageName(this, suggested + QStringLiteral(".png")) : QString();
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".png");
    const QString error = velm::saveChartImage(*this, path);
    if (!error.isEmpty())
        velm::ui::showError(this, error);
    else
        velm::ui::showSaved(this, path);
}

void TBanF::CP1Click()
{
    QApplication::clipboard()->setText(
        joinLines(chartCopyLines(m_title.toStdString(), *m_laid.labels, m_laid.palaces)));
}

void TBanF::CP2Click()
{
    if (m_lastPalace < 0)
        return;
    const auto &text = m_laid.palaces[static_cast<std::size_t>(m_lastPalace)];
    QApplication::clipboard()->setText(joinLines(palaceCopyLines(m_title.toStdString(), m_lastPalace, text)));
}

} // namespace velm
