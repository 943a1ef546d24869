#include "shell/main/explanationpane.h"

#include <QComboBox>
#include <QEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "engine/symbols.h"
#include "shell/common/icons.h"
#include "shell/common/strings.h"

namespace velm {
namespace {

constexpr int MinKyuPnl = 60;
constexpr int MaxKyuPnl = 130;
constexpr int GridRowHeight = 16;
// The widest number a score cell must show whole: a total below -100 is rare,
// and a cell that clips its sign turns the worst direction into a good one.
const QString WidestScore = QStringLiteral("-100.00");
// Room the delegate leaves around a cell's text: 2 px left, 3 px right, and
// the grid line.
constexpr int CellPadding = 2 + 3 + 2;

void setColours(QWidget *w, const QColor &background, const QColor &text)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, background);
    pal.setColor(QPalette::WindowText, text);
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

// SGDrawCell: a caption (even column) takes the colour of the number beside
// it, or aqua when that cell is empty; numbers sit on white.
class ScoreGridDelegate : public QStyledItemDelegate {
public:
    ScoreGridDelegate(const ImiPnl::ScoreColour &pcolor, const ImiPnl::TextColour &fcolor, QObject *parent)
        : QStyledItemDelegate(parent)
        , m_pcolor(pcolor)
        , m_fcolor(fcolor)
    {
    }

    void paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const int x = index.column();
        const QString text = index.data().toString();
        QColor background = Qt::white;
        QColor foreground = Qt::black;
        if (x % 2 == 0) {
            const QString number = index.sibling(index.row(), x + 1).data().toString();
            if (number.isEmpty()) {
                background = QColor(0, 255, 255);
            } else {
                background = m_pcolor ? m_pcolor(number) : QColor(Qt::white);
                foreground = m_fcolor ? m_fcolor(background) : QColor(Qt::black);
            }
        }
        p->save();
        p->fillRect(option.rect, background);
        p->setPen(foreground);
        p->setFont(option.font);
        const QRect r = option.rect.adjusted(2, 1, -3, 0);
        p->drawText(r, (x % 2 == 0 ? Qt::AlignHCenter : Qt::AlignRight) | Qt::AlignTop, text);
        p->restore();
    }

private:
    const ImiPnl::ScoreColour &m_pcolor;
    const ImiPnl::TextColour &m_fcolor;
};

QTableWidget *scoreGrid(const QString &name, QWidget *parent)
{
    auto *g = new QTableWidget(4, 4, parent);
    g->setObjectName(name);
    g->horizontalHeader()->hide();
    g->verticalHeader()->hide();
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->setSelectionMode(QAbstractItemView::NoSelection);
    g->setFocusPolicy(Qt::NoFocus);
    g->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    g->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    g->setShowGrid(true);
    g->verticalHeader()->setMinimumSectionSize(GridRowHeight - 2);
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            g->setItem(r, c, new QTableWidgetItem);
    return g;
}

// Columns as wide as their widest text in the grid's own font (numbers at
// least as wide as WidestScore), rows as high as a line; the grid takes
// exactly that size, so no cell is ever cut, whatever the font.
void fitGrid(QTableWidget *g)
{
    const QFontMetrics metrics(g->font());
    for (int c = 0; c < 4; ++c) {
        int widest = c % 2 == 1 ? metrics.horizontalAdvance(WidestScore) : 0;
        for (int r = 0; r < 4; ++r)
            widest = std::max(widest, metrics.horizontalAdvance(g->item(r, c)->text()));
        g->setColumnWidth(c, widest + CellPadding);
    }
    const int rowHeight = std::max(GridRowHeight, metrics.height() + 2);
    g->verticalHeader()->setDefaultSectionSize(rowHeight);
    for (int r = 0; r < 4; ++r)
        g->setRowHeight(r, rowHeight);
    g->setFixedSize(g->horizontalHeader()->length() + 2 * g->frameWidth(),
                    g->verticalHeader()->length() + 2 * g->frameWidth());
}

void fillGrid(QTableWidget *g, const ScoreGrid &cells)
{
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            g->item(r, c)->setText(QString::fromStdString(cells[static_cast<std::size_t>(c)][static_cast<std::size_t>(r)]));
    fitGrid(g);
}

} // namespace

ImiPnl::ImiPnl(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("ImiPnl"));
    setMinimumWidth(185);

    m_kyuPnl = new QWidget(this);
    m_kyuPnl->setObjectName(QStringLiteral("KyuPnl"));
    m_kyuPnl->setMinimumHeight(MinKyuPnl);
    m_kyuPnl->setMaximumHeight(MaxKyuPnl);

    m_banL = new QLabel(m_kyuPnl);
    m_banL->setObjectName(QStringLiteral("BanL"));
    setColours(m_banL, QColor(0, 0, 128), Qt::white);
    m_tyuL = new QLabel(m_kyuPnl);
    m_tyuL->setObjectName(QStringLiteral("TyuL"));
    m_tyuL->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_tyuL->setMinimumWidth(72);
    setColours(m_tyuL, QColor(0, 128, 128), QColor(255, 255, 0));
    m_expBtn = new QToolButton(m_kyuPnl);
    m_expBtn->setObjectName(QStringLiteral("ExpBtn"));
    m_expBtn->setIcon(velmIcon(IconId::ExportText));
    m_expBtn->setAutoRaise(true);
    m_expBtn->setToolTip(QStringLiteral("説明の内容をﾃｷｽﾄに出力します"));
    m_expBtn->setStatusTip(m_expBtn->toolTip());
    m_expBtn->setEnabled(false);
    connect(m_expBtn, &QToolButton::clicked, this, &ImiPnl::exportRequested);

    m_banL->setFixedHeight(17);
    m_tyuL->setFixedHeight(17);
    m_expBtn->setFixedSize(18, 18);
    m_expBtn->setIconSize(QSize(16, 16));

    m_houiBox = new QComboBox(m_kyuPnl);
    m_houiBox->setObjectName(QStringLiteral("HouiBox"));
    m_houiBox->setFixedHeight(20);
    for (std::string_view d : DirectionName)
        m_houiBox->addItem(qs(d));
    connect(m_houiBox, &QComboBox::activated, this, &ImiPnl::houiChanged);
    m_houiPnl = new QLabel(m_kyuPnl);
    m_houiPnl->setObjectName(QStringLiteral("HouiPnl"));
    m_houiPnl->setAlignment(Qt::AlignCenter);
    m_houiPnl->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_houiPnl->setMinimumWidth(32);
    m_houiPnl->setFixedHeight(20);
    m_suuPnl = new QLabel(m_kyuPnl);
    m_suuPnl->setObjectName(QStringLiteral("SuuPnl"));
    m_suuPnl->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_suuPnl->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_suuPnl->setMinimumWidth(72);
    m_suuPnl->setFixedHeight(20);

    m_sg1 = scoreGrid(QStringLiteral("SG1"), m_kyuPnl);
    m_sg2 = scoreGrid(QStringLiteral("SG2"), m_kyuPnl);
    m_sg1->setItemDelegate(new ScoreGridDelegate(m_pcolor, m_fcolor, m_sg1));
    m_sg2->setItemDelegate(new ScoreGridDelegate(m_pcolor, m_fcolor, m_sg2));
    clearGrids();

    auto *row1 = new QHBoxLayout;
    row1->setSpacing(2);
    row1->addWidget(m_banL, 1);
    row1->addWidget(m_tyuL);
    row1->addWidget(m_expBtn);
    row1->addSpacing(12);
    auto *row2 = new QHBoxLayout;
    row2->setSpacing(4);
    row2->addWidget(m_houiBox);
    row2->addWidget(m_houiPnl);
    row2->addWidget(m_suuPnl);
    row2->addStretch();
    auto *row3 = new QHBoxLayout;
    row3->setSpacing(4);
    row3->addWidget(m_sg1);
    row3->addWidget(m_sg2);
    row3->addStretch();
    auto *kyu = new QVBoxLayout(m_kyuPnl);
    kyu->setContentsMargins(2, 2, 2, 2);
    kyu->setSpacing(2);
    kyu->addLayout(row1);
    kyu->addLayout(row2);
    kyu->addLayout(row3);
    kyu->addStretch();

    m_memo = new QPlainTextEdit(this);
    m_memo->setObjectName(QStringLiteral("Memo1"));
    m_memo->setReadOnly(true);

    m_split = new QSplitter(Qt::Vertical, this);
    m_split->setObjectName(QStringLiteral("Splitter2"));
    m_split->setChildrenCollapsible(false);
    m_split->addWidget(m_kyuPnl);
    m_split->addWidget(m_memo);
    m_split->setStretchFactor(0, 0);
    m_split->setStretchFactor(1, 1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_split);
    setKyuPnlHeight(125);
}

void ImiPnl::setColourRule(ScoreColour pcolor, TextColour fcolor)
{
    m_pcolor = std::move(pcolor);
    m_fcolor = std::move(fcolor);
    repaintColours();
}

void ImiPnl::repaintColours()
{
    const QString number = m_suuPnl->text();
    if (!number.isEmpty() && m_pcolor) {
        const QColor bg = m_pcolor(number);
        setColours(m_suuPnl, bg, m_fcolor ? m_fcolor(bg) : QColor(Qt::black));
    } else {
        m_suuPnl->setAutoFillBackground(false);
        m_suuPnl->setPalette(QPalette());
    }
    m_sg1->viewport()->update();
    m_sg2->viewport()->update();
}

void ImiPnl::clearGrids()
{
    ScoreGrids grids = SGDisp(SuuScores{}, -1);
    for (auto &column : {1, 3})
        for (auto &cell : grids.SG1[static_cast<std::size_t>(column)])
            cell.clear();
    for (auto &column : {1, 3})
        for (auto &cell : grids.SG2[static_cast<std::size_t>(column)])
            cell.clear();
    fillGrid(m_sg1, grids.SG1);
    fillGrid(m_sg2, grids.SG2);
}

void ImiPnl::clearPanel()
{
    m_banL->clear();
    m_tyuL->clear();
    m_memo->clear();
    m_suuPnl->clear();
    m_houiPnl->clear();
    clearGrids();
    m_expBtn->setEnabled(false);
    repaintColours();
}

void ImiPnl::showPanel(const PanelView &view, const QString &title)
{
    m_tyuL->setText(QString::fromStdString(view.TyuL));
    m_memo->setPlainText(QString::fromStdString(view.memo.Memo1));
    m_suuPnl->setText(QString::fromStdString(view.memo.SuuPnl));
    m_houiBox->blockSignals(true);
    m_houiBox->setCurrentIndex(view.kyu.HouiBox);
    m_houiBox->blockSignals(false);
    m_houiPnl->setText(QString::fromStdString(view.kyu.HouiPnl));
    fillGrid(m_sg1, view.grids.SG1);
    fillGrid(m_sg2, view.grids.SG2);
    m_banL->setText(QStringLiteral(" ") + title);
    m_expBtn->setEnabled(!m_banL->text().isEmpty());
    repaintColours();
}

int ImiPnl::kyuPnlHeight() const
{
    return m_kyuPnl->height();
}

void ImiPnl::setKyuPnlHeight(int height)
{
    height = std::clamp(height, MinKyuPnl, std::max(MaxKyuPnl, m_kyuPnl->maximumHeight()));
    const int total = std::max(m_split->height(), height + 100);
    m_split->setSizes({height, total - height});
    m_kyuPnl->resize(m_kyuPnl->width(), height);
}

QStringList ImiPnl::exportLines() const
{
    QStringList lines;
    lines << m_banL->text() + QStringLiteral(" ") + m_tyuL->text();
    lines << QStringLiteral("方位：") + m_houiBox->currentText() + QStringLiteral("     数値：") + m_suuPnl->text();
    const QString memo = m_memo->toPlainText();
    if (!memo.isEmpty())
        lines << memo.split(QLatin1Char('\n'));
    return lines;
}

void ImiPnl::applyFonts(const QString &basicFamily, const QFont &memoFont)
{
    for (QWidget *w : std::initializer_list<QWidget *>{m_banL, m_tyuL, m_houiBox, m_houiPnl, m_suuPnl, m_sg1, m_sg2}) {
        QFont f = w->font();
        f.setFamily(basicFamily);
        w->setFont(f);
    }
    m_memo->setFont(memoFont);
    fitGrids();
}

void ImiPnl::fitGrids()
{
    fitGrid(m_sg1);
    fitGrid(m_sg2);
    // A large font makes the grids higher than the panel's usual limit; the
    // panel then grows with them rather than cutting their last row.
    m_kyuPnl->setMaximumHeight(std::max(MaxKyuPnl, m_kyuPnl->minimumSizeHint().height()));
}

void ImiPnl::changeEvent(QEvent *event)
{
    // A font given to the whole window (FontSetF) reaches the grids too.
    if (event->type() == QEvent::FontChange && m_sg1)
        fitGrids();
    QWidget::changeEvent(event);
}

} // namespace velm
