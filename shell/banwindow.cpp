#include "shell/banwindow.h"

#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "engine/symbols.h"
#include "evaluation/patterns.h"
#include "output/listfile.h"

using namespace velm;

namespace {

QString qs(const std::string &s)
{
    return QString::fromStdString(s);
}

constexpr int LinesPerCell = 5;
constexpr int LinesRole = Qt::UserRole + 1;

// Draws the five lines of a palace centred, one fifth of the cell each.
class PalaceDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        painter->save();
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
            const QRect line(option.rect.left() + 2, option.rect.top() + 1 + k * h, option.rect.width() - 2, h);
            painter->drawText(line, Qt::AlignHCenter | Qt::AlignVCenter, lines[k]);
        }
        painter->setPen(option.palette.mid().color());
        painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
        painter->restore();
    }
};

} // namespace

TBanF::TBanF(const Koyomi &koyomi, int kind, LayingMethod method, const NumberTables &numbers,
             const ConstData &names, const QString &title, const QString &moment,
             const BanDisplay &display, QWidget *parent)
    : QWidget(parent)
    , m_koyomi(koyomi)
    , m_title(title)
    , m_moment(moment)
    , m_display(display)
{
    setWindowTitle(title.isEmpty() ? QStringLiteral("BanF") : title);
    setAttribute(Qt::WA_DeleteOnClose);
    m_chart = BanCreate(koyomi, kind, method, &standardPatternDetector());
    m_scores = SuuSan(m_chart, koyomi, numbers, method);
    m_labels = chartLabels(m_chart, koyomi, names);
    for (int p = 0; p < 9; ++p)
        m_palaces[static_cast<std::size_t>(p)] = velm::palaceText(m_chart.Ban, p, names);

    QFont basic(display.sysFont);
    basic.setPixelSize(13);
    setFont(basic);

    m_kyokuL = new QLabel(qs(m_labels.KyokuL), this);
    m_junL = new QLabel(qs(m_labels.JunL), this);
    m_tyuL = new QLabel(qs(m_labels.TyuL), this);
    m_close = new QToolButton(this);
    m_close->setText(QStringLiteral("×"));
    m_close->setAutoRaise(true);
    m_close->setFixedSize(16, 16);
    m_close->setToolTip(QStringLiteral("閉じる"));
    connect(m_close, &QToolButton::clicked, this, [this] {
        if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget()))
            sub->close();
        else
            close();
    });

    auto *top = new QHBoxLayout;
    top->setContentsMargins(0, 0, 0, 0);
    top->addWidget(m_kyokuL);
    top->addSpacing(6);
    top->addWidget(m_junL);
    top->addSpacing(6);
    top->addWidget(m_tyuL);
    top->addStretch(1);
    top->addWidget(m_close);

    buildGrid(display);

    m_label5 = new QLabel(qs(m_labels.Label5), this);
    m_label6 = new QLabel(qs(m_labels.Label6), this);
    m_label6->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto *bottom = new QHBoxLayout;
    bottom->setContentsMargins(0, 0, 0, 0);
    bottom->addWidget(m_label5);
    bottom->addStretch(1);
    bottom->addWidget(m_label6);
    m_label5->setVisible(display.CB4);
    m_label6->setVisible(display.CB4);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    layout->addLayout(top);
    layout->addWidget(m_grid);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    m_menu = new QMenu(this);
    m_cp1 = m_menu->addAction(QStringLiteral("盤をｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰ"), this, &TBanF::CP1Click);
    m_cp2 = m_menu->addAction(QStringLiteral("宮(東南)のみコピー"), this, &TBanF::CP2Click);
    setActiveLook(false);
}

void TBanF::buildGrid(const BanDisplay &display)
{
    m_grid = new QTableWidget(3, 3, this);
    m_grid->horizontalHeader()->hide();
    m_grid->verticalHeader()->hide();
    m_grid->setShowGrid(false);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_grid->setItemDelegate(new PalaceDelegate(m_grid));
    m_grid->setMouseTracking(true);
    m_grid->viewport()->installEventFilter(this);

    QFont chartFont(display.banFont);
    chartFont.setPixelSize(qMax(8, display.banFontSize + 3));
    m_grid->setFont(chartFont);
    // Large enough that the five lines are never clipped in the chart font.
    const QFontMetrics fm(chartFont);
    const int cellWidth = qMax(58, fm.horizontalAdvance(QStringLiteral("靑龍返首")) + 10);
    const int cellHeight = qMax(66, LinesPerCell * fm.height() + 6);
    for (int c = 0; c < 3; ++c)
        m_grid->setColumnWidth(c, cellWidth);
    for (int r = 0; r < 3; ++r)
        m_grid->setRowHeight(r, cellHeight);
    m_grid->setFixedSize(3 * cellWidth + 2 * m_grid->frameWidth(), 3 * cellHeight + 2 * m_grid->frameWidth());

    for (int p = 0; p < 9; ++p) {
        auto *item = new QTableWidgetItem;
        const PalaceText &text = m_palaces[static_cast<std::size_t>(p)];
        QStringList lines;
        for (int k = 0; k < LinesPerCell; ++k)
            lines << qs(text[static_cast<std::size_t>(k)]);
        item->setData(LinesRole, lines);
        item->setToolTip(qs(palaceHint(text, "\n")));
        if (display.CB3) {
            const std::string score = formatScore(m_scores.BanSuu[8][static_cast<std::size_t>(p)]);
            item->setData(Qt::BackgroundRole, PColor(qs(score), display.colours));
        }
        m_grid->setItem(PalaceRow[static_cast<std::size_t>(p)], PalaceColumn[static_cast<std::size_t>(p)], item);
    }
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

void TBanF::setActiveLook(bool active)
{
    QPalette pal = palette();
    const QColor face = active ? QColor(0x00, 0x80, 0x80) : QApplication::palette().color(QPalette::Button);
    const QColor text = active ? QColor(Qt::white) : QColor(Qt::black);
    pal.setColor(QPalette::Window, face);
    setAutoFillBackground(true);
    setPalette(pal);
    for (QLabel *label : {m_kyokuL, m_junL, m_label5, m_label6}) {
        QPalette lp = label->palette();
        lp.setColor(QPalette::WindowText, text);
        label->setPalette(lp);
    }
    QPalette tp = m_tyuL->palette();
    tp.setColor(QPalette::WindowText, active ? QColor(Qt::yellow) : QColor(0x80, 0x80, 0x80));
    m_tyuL->setPalette(tp);
    m_grid->viewport()->update();
}

void TBanF::gridPressed(const QPoint &pos, Qt::MouseButton button)
{
    // An untitled window has no moment to write back.
    if (!m_title.isEmpty() && m_title != QLatin1String("BanF"))
        emit windowClicked();
    const QModelIndex index = m_grid->indexAt(pos);
    if (!index.isValid())
        return; // the grid's border: no palace
    const int palace = palaceAt(index.column(), index.row());
    if (palace < 0)
        return;
    m_lastPalace = palace;
    const std::string direction(DirectionName[static_cast<std::size_t>(palace)]);
    m_cp2->setText(qs(std::string(TrigramName[static_cast<std::size_t>(palace)])) + QStringLiteral("宮(")
                   + qs(direction) + QStringLiteral(")のみコピー"));
    emit palaceClicked(palace);
    if (button == Qt::RightButton)
        m_menu->popup(m_grid->viewport()->mapToGlobal(pos));
}

bool TBanF::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_grid->viewport() && event->type() == QEvent::MouseButtonPress) {
        auto *me = static_cast<QMouseEvent *>(event);
        gridPressed(me->position().toPoint(), me->button());
        return false;
    }
    if (event->type() == QEvent::WindowActivate || event->type() == QEvent::FocusIn) {
        setActiveLook(true);
        emit activated();
    } else if (event->type() == QEvent::WindowDeactivate) {
        setActiveLook(false);
    }
    return QWidget::eventFilter(watched, event);
}

void TBanF::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_watchingSubWindow)
        return;
    if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget())) {
        m_watchingSubWindow = true;
        connect(sub, &QMdiSubWindow::windowStateChanged, this,
                [this](Qt::WindowStates, Qt::WindowStates now) {
                    const bool active = now.testFlag(Qt::WindowActive);
                    setActiveLook(active);
                    if (active)
                        emit activated();
                });
    }
}

void TBanF::mousePressEvent(QMouseEvent *event)
{
    if (!(m_title.isEmpty() || m_title == QLatin1String("BanF")))
        emit windowClicked();
    if (event->button() == Qt::RightButton)
        m_menu->popup(event->globalPosition().toPoint());
    QWidget::mousePressEvent(event);
}

void TBanF::CP1Click()
{
    const auto lines = chartCopyLines(m_title.toStdString(), m_labels, m_palaces);
    QStringList text;
    for (const std::string &line : lines)
        text << qs(line);
    QApplication::clipboard()->setText(text.join(QLatin1Char('\n')));
}

void TBanF::CP2Click()
{
    const auto lines = palaceCopyLines(m_title.toStdString(), m_lastPalace,
                                       m_palaces[static_cast<std::size_t>(m_lastPalace)]);
    QStringList text;
    for (const std::string &line : lines)
        text << qs(line);
    QApplication::clipboard()->setText(text.join(QLatin1Char('\n')));
}
