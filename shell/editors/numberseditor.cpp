#include "shell/editors/numberseditor.h"

#include <QApplication>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "engine/symbols.h"
#include "engine/textfile.h"
#include "shell/common/programfiles.h"
#include "shell/settings/appsettings.h"
#include "shell/common/helpwindow.h"
#include "shell/common/icons.h"
#include "shell/common/messages.h"
#include "shell/common/strings.h"
#include "shell/common/savedialog.h"
#include "shell/tools/systemsettings.h"

namespace velm {

namespace {


constexpr std::size_t ix(NumberTable t) { return static_cast<std::size_t>(t); }

struct GridInfo {
    const char *label;   // object name of the label above the grid
    const char *caption; // its text
    int page;            // tab page
    bool lime;           // fixed colour lime, else aqua
    bool scrolls;        // too many rows to show at once
};

constexpr std::array<GridInfo, NumberTableCount> Grids{{
    {"PerL", "各要素の加算比率(%)", 0, true, false},
    {"KanL", "干の数値", 1, false, false},
    {"KanLL", "天地盤の数値", 2, false, true},
    {"HmL", "八門の数値", 3, false, false},
    {"HmPL", "八門の相旺による加算", 3, true, false},
    {"KsL", "九星の数値", 4, false, false},
    {"KsPL", "九星の相旺による加算", 4, true, false},
    {"HsL", "八神の数値", 5, false, false},
    {"KyuL", "紫白の数値", 6, false, false},
    {"KakuL", "格局の数値", 7, false, true},
}};

constexpr std::array<const char *, 8> PageCaptions{
    "全般的な設定", "干の数値", "天地盤の数値", "八門の数値",
    "九星の数値", "八神の数値", "紫白の数値", "格局の数値"};

constexpr std::array<const char *, 8> ElementNames{
    "天盤", "地盤", "天地盤", "八門", "九星", "八神", "紫白", "格局"};
constexpr std::array<const char *, 5> SeasonColumns{"相", "旺", "死", "休", "囚"};

constexpr int VisibleRowsOfLongGrids = 15;

// Tables of one visible column keep their own width: one number spread over
// the whole dialog reads badly.
constexpr bool narrowTable(NumberTable t)
{
    return t == NumberTable::PerSG || t == NumberTable::HmPSG;
}

// Value cells white with black text, right-aligned 2 pixels from the right
// edge and 1 below the top; the current cell of a focused grid gets a frame
// so the user sees where typing and the copy commands act.
class ValueDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        p->save();
        p->fillRect(option.rect, Qt::white);
        p->setPen(Qt::black);
        p->setFont(option.font);
        p->drawText(option.rect.adjusted(2, 1, -2, 0), Qt::AlignRight | Qt::AlignTop,
                    index.data(Qt::DisplayRole).toString());
        if (option.state & QStyle::State_HasFocus) {
            p->setPen(QPen(Qt::black, 1, Qt::DotLine));
            p->drawRect(option.rect.adjusted(0, 0, -1, -1));
        }
        p->restore();
    }

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override
    {
        QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto *line = qobject_cast<QLineEdit *>(editor)) {
            line->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            line->setAttribute(Qt::WA_InputMethodEnabled, false);
        }
        return editor;
    }
};

// A number grid: typing starts editing, Delete empties the selected cells.
class NumberGrid : public QTableWidget {
public:
    using QTableWidget::QTableWidget;

    // Hands a cell editor's text to the grid now, whether or not the window
    // has the focus (a command may run while a cell is being typed).
    void commitOpenEditor()
    {
        if (state() != EditingState)
            return;
        if (QWidget *editor = indexWidget(currentIndex())) {
            commitData(editor);
            closeEditor(editor, QAbstractItemDelegate::NoHint);
        }
    }

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (state() != EditingState
            && (event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace)) {
            const QList<QTableWidgetItem *> items = selectedItems();
            for (QTableWidgetItem *item : items)
                item->setText(QString());
            if (items.isEmpty() && currentItem())
                currentItem()->setText(QString());
            return;
        }
        QTableWidget::keyPressEvent(event);
    }
};

QString faultTail(CellFault::Kind kind)
{
    switch (kind) {
    case CellFault::Kind::NotInteger: return QStringLiteral("]は整数ではありません");
    case CellFault::Kind::BelowMinimum: return QStringLiteral("]は設定可能最小値より小さな値です");
    case CellFault::Kind::AboveMaximum: break;
    }
    return QStringLiteral("]は設定可能最大値より大きな値です");
}

} // namespace

TSuuF::TSuuF(AppSettings &settings, const ConstData &names, QWidget *parent)
    : QDialog(parent), m_settings(settings), m_names(names)
{
    setHelpTopic(this, SuuHelpTopic);
    setObjectName(QStringLiteral("SuuF"));
    setWindowTitle(QStringLiteral("数値の設定"));
    setModal(true);

    // No filter and no default extension: the user names the file.
    saveFileName = [](QWidget *owner, const QString &caption) {
        return askSaveFile(owner, caption, {QStringLiteral("Csv (*.csv)"), QStringLiteral("すべて (*)")},
                           QStringLiteral("csv"));
    };

    m_popup = new QMenu(this);
    m_popup->setObjectName(QStringLiteral("PopupMenu1"));
    QAction *xCp = m_popup->addAction(QStringLiteral("行を右にコピー"));
    xCp->setObjectName(QStringLiteral("XCp"));
    QAction *yCp = m_popup->addAction(QStringLiteral("列を下にコピー"));
    yCp->setObjectName(QStringLiteral("YCp"));
    connect(xCp, &QAction::triggered, this, [this] { XCpClick(m_menuGrid); });
    connect(yCp, &QAction::triggered, this, [this] { YCpClick(m_menuGrid); });
    // The grid is only remembered while its menu is open; a command from
    // elsewhere takes the focus rule.
    connect(m_popup, &QMenu::aboutToHide, this, [this] {
        QMetaObject::invokeMethod(this, [this] { m_menuGrid = nullptr; }, Qt::QueuedConnection);
    });

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    // Eight pages: every tab stays in sight rather than behind scroll arrows.
    m_pages->setUsesScrollButtons(false);
    std::array<QVBoxLayout *, 8> pageLayouts{};
    for (int p = 0; p < 8; ++p) {
        auto *page = new QWidget;
        page->setObjectName(QStringLiteral("Tab%1").arg(p));
        pageLayouts[static_cast<std::size_t>(p)] = new QVBoxLayout(page);
        m_pages->addTab(page, QString::fromUtf8(PageCaptions[static_cast<std::size_t>(p)]));
    }

    for (int t = 0; t < NumberTableCount; ++t) {
        const auto table = static_cast<NumberTable>(t);
        const GridInfo &info = Grids[ix(table)];
        auto *label = new QLabel(QString::fromUtf8(info.caption));
        label->setObjectName(QLatin1String(info.label));
        m_labels[ix(table)] = label;
        QTableWidget *g = makeGrid(table);
        label->setBuddy(g);
        QVBoxLayout *layout = pageLayouts[static_cast<std::size_t>(info.page)];
        layout->addWidget(label);
        // The long tables take the height the dialog is given, every table its width.
        layout->addWidget(g, info.scrolls ? 1 : 0, narrowTable(table) ? Qt::AlignLeft : Qt::Alignment());
        if (table == NumberTable::KyuSG) {
            auto *anLabel = new QLabel(QStringLiteral("暗剣による加算数値"));
            anLabel->setObjectName(QStringLiteral("Label10"));
            m_anE = new QLineEdit(QStringLiteral("0"));
            m_anE->setObjectName(QStringLiteral("AnE"));
            m_anE->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_anE->setAttribute(Qt::WA_InputMethodEnabled, false);
            m_anE->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("-00000000")) + 12);
            anLabel->setBuddy(m_anE);
            layout->addSpacing(8);
            layout->addWidget(anLabel);
            layout->addWidget(m_anE, 0, Qt::AlignLeft);
        }
    }
    for (int p = 0; p < 8; ++p)
        if (p != Grids[ix(NumberTable::KanLSG)].page && p != Grids[ix(NumberTable::KakuSG)].page)
            pageLayouts[static_cast<std::size_t>(p)]->addStretch(1);

    auto *exp = new QToolButton(this);
    exp->setObjectName(QStringLiteral("ExpBtn"));
    exp->setIcon(velmIcon(IconId::ExportText));
    exp->setText(QStringLiteral("csv出力"));
    exp->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    exp->setAutoRaise(true);
    exp->setToolTip(QStringLiteral("数値をcsvﾌｧｲﾙに出力します"));
    auto *help = new QPushButton(QStringLiteral("ﾍﾙﾌﾟ(&H)"), this);
    help->setObjectName(QStringLiteral("HelpBtn"));
    help->setAutoDefault(false);
    auto *ok = new QPushButton(QStringLiteral("保存して閉じる"), this);
    ok->setObjectName(QStringLiteral("OKBtn"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    cancel->setObjectName(QStringLiteral("CancelBtn"));
    cancel->setAutoDefault(false);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(exp);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(help);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_pages, 1);
    layout->addLayout(buttons);

    connect(exp, &QToolButton::clicked, this, &TSuuF::ExpBtnClick);
    connect(help, &QPushButton::clicked, this, [] { showHelp(SuuHelpTopic); });
    connect(ok, &QPushButton::clicked, this, &TSuuF::OKBtnClick);
    connect(cancel, &QPushButton::clicked, this, &TSuuF::CancelBtnClick);

    m_pages->setCurrentIndex(0);
    refreshCaptions();
    SGRead();
}

QTableWidget *TSuuF::makeGrid(NumberTable table)
{
    const NumberTableShape &shape = shapeOf(table);
    const GridInfo &info = Grids[ix(table)];
    auto *g = new NumberGrid(shape.rows, shape.columns);
    g->setObjectName(QString::fromUtf8(shape.name.data(), static_cast<qsizetype>(shape.name.size())));
    g->setItemDelegate(new ValueDelegate(g));
    g->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                       | QAbstractItemView::AnyKeyPressed);
    g->setSelectionMode(QAbstractItemView::SingleSelection);
    g->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    g->setVerticalScrollBarPolicy(info.scrolls ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    g->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    g->setContextMenuPolicy(Qt::CustomContextMenu);

    // The caption row and column are the headers, so they stay in view
    // while the long tables scroll.
    const int rowHeight = fontMetrics().height() + 4;
    g->verticalHeader()->setDefaultSectionSize(rowHeight);
    g->verticalHeader()->setMinimumSectionSize(rowHeight);
    g->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    g->verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    // Columns share the width the dialog gives them, never narrower than
    // their caption and widest value (fitColumns).
    g->horizontalHeader()->setSectionResizeMode(narrowTable(table) ? QHeaderView::Fixed : QHeaderView::Stretch);
    g->setSizePolicy(narrowTable(table) ? QSizePolicy::Fixed : QSizePolicy::Expanding,
                     info.scrolls ? QSizePolicy::Expanding : QSizePolicy::Fixed);
    g->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    g->horizontalHeader()->setHighlightSections(false);
    g->verticalHeader()->setHighlightSections(false);
    const QString fixed = info.lime ? QStringLiteral("#00ff00") : QStringLiteral("#00ffff");
    g->setStyleSheet(QStringLiteral("QHeaderView::section { background-color: %1; color: black;"
                                    " border: none; border-right: 1px solid #808080;"
                                    " border-bottom: 1px solid #808080; padding: 0 3px; }"
                                    " QTableCornerButton::section { background-color: %1;"
                                    " border: none; border-right: 1px solid #808080;"
                                    " border-bottom: 1px solid #808080; }")
                         .arg(fixed));
    g->setCornerButtonEnabled(false);
    if (info.scrolls)
        g->setMinimumHeight(g->horizontalHeader()->sizeHint().height()
                            + VisibleRowsOfLongGrids * rowHeight + 2 * g->frameWidth());

    for (int c = 0; c < shape.columns; ++c) {
        g->setHorizontalHeaderItem(c, new QTableWidgetItem);
        for (int r = 0; r < shape.rows; ++r) {
            auto *item = new QTableWidgetItem;
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            g->setItem(r, c, item);
        }
    }
    for (int r = 0; r < shape.rows; ++r)
        g->setVerticalHeaderItem(r, new QTableWidgetItem);

    // Columns that scoring never reads are kept out of sight but stay in
    // the file, the check, the copy commands and the export.
    if (table == NumberTable::HmSG || table == NumberTable::HsSG)
        g->setColumnHidden(0, true);
    if (table == NumberTable::HmPSG)
        for (int c = 1; c < 5; ++c)
            g->setColumnHidden(c, true);
    // The stars' tenth column belongs to no palace.
    if (table == NumberTable::KsSG)
        g->setColumnHidden(9, true);

    connect(g, &QWidget::customContextMenuRequested, this, [this, g](const QPoint &pos) {
        commitEdits();
        m_menuGrid = g;
        m_popup->popup(g->viewport()->mapToGlobal(pos));
    });
    m_grids[ix(table)] = g;
    return g;
}

void TSuuF::refreshCaptions()
{
    auto rows = [this](NumberTable t, const QStringList &captions) {
        QTableWidget *g = grid(t);
        for (int r = 0; r < g->rowCount() && r < captions.size(); ++r)
            g->verticalHeaderItem(r)->setText(captions[r]);
    };
    auto columns = [this](NumberTable t, const QStringList &captions) {
        QTableWidget *g = grid(t);
        for (int c = 0; c < g->columnCount(); ++c)
            g->horizontalHeaderItem(c)->setText(c < captions.size() ? captions[c] : QString());
    };

    QStringList trigrams, stems, pairs, doors, stars, deities, nineStars, patterns, elements, seasons;
    for (std::string_view s : TrigramName)
        trigrams << qs(s);
    for (std::string_view s : StemName)
        stems << qs(s);
    for (const QString &heaven : stems)
        for (const QString &earth : stems)
            pairs << heaven + earth;
    for (int d = 1; d <= 8; ++d)
        doors << qs(DoorName[static_cast<std::size_t>(d)]) + QStringLiteral("門");
    for (int s = 0; s < 9; ++s)
        stars << QStringLiteral("天") + qs(m_names.StarChar[static_cast<std::size_t>(s)]);
    for (int d = 1; d <= 8; ++d)
        deities << qs(m_names.DeityName[static_cast<std::size_t>(d)]);
    for (std::string_view s : NineStarName)
        nineStars << qs(s);
    for (int k = 1; k < PatternCount; ++k)
        patterns << qs(m_names.PatternName[static_cast<std::size_t>(k)]);
    for (const char *e : ElementNames)
        elements << QString::fromUtf8(e);
    for (const char *s : SeasonColumns)
        seasons << QString::fromUtf8(s);

    rows(NumberTable::PerSG, elements);
    columns(NumberTable::PerSG, {QStringLiteral("加算比率")});
    rows(NumberTable::KanSG, stems);
    rows(NumberTable::KanLSG, pairs);
    rows(NumberTable::HmSG, doors);
    rows(NumberTable::HmPSG, doors);
    columns(NumberTable::HmPSG, seasons);
    rows(NumberTable::KsSG, stars);
    rows(NumberTable::KsPSG, stars);
    columns(NumberTable::KsPSG, seasons);
    rows(NumberTable::HsSG, deities);
    rows(NumberTable::KyuSG, nineStars);
    rows(NumberTable::KakuSG, patterns);
    for (NumberTable t : {NumberTable::KanSG, NumberTable::KanLSG, NumberTable::HmSG, NumberTable::KsSG,
                          NumberTable::HsSG, NumberTable::KyuSG, NumberTable::KakuSG})
        columns(t, trigrams); // KsSG's tenth column has no caption
}

QString TSuuF::filePath() const
{
    return programFile(NumbersFileName);
}

int TSuuF::pageOf(NumberTable table) const
{
    return Grids[ix(table)].page;
}

QString TSuuF::cellText(NumberTable table, int column, int row) const
{
    const QTableWidget *g = grid(table);
    if (column < 0 || row < 0 || column > g->columnCount() || row > g->rowCount())
        return {};
    if (column == 0 && row == 0)
        return {};
    if (row == 0)
        return g->horizontalHeaderItem(column - 1)->text();
    if (column == 0)
        return g->verticalHeaderItem(row - 1)->text();
    return g->item(row - 1, column - 1)->text();
}

void TSuuF::setCellText(NumberTable table, int column, int row, const QString &text)
{
    QTableWidget *g = grid(table);
    if (column < 1 || row < 1 || column > g->columnCount() || row > g->rowCount())
        return;
    QTableWidgetItem *item = g->item(row - 1, column - 1);
    if (item->text() != text)
        item->setText(text);
}

void TSuuF::setCurrentCell(NumberTable table, int column, int row)
{
    grid(table)->setCurrentCell(row - 1, column - 1);
}

NumberTables TSuuF::tables() const
{
    NumberTables result;
    for (int t = 0; t < NumberTableCount; ++t) {
        const auto table = static_cast<NumberTable>(t);
        const QTableWidget *g = grid(table);
        for (int c = 0; c < g->columnCount(); ++c)
            for (int r = 0; r < g->rowCount(); ++r)
                result.setCell(table, c + 1, r + 1, g->item(r, c)->text().toStdString());
    }
    result.setAnE(m_anE->text().toStdString());
    return result;
}

void TSuuF::setTables(const NumberTables &tables)
{
    for (int t = 0; t < NumberTableCount; ++t) {
        const auto table = static_cast<NumberTable>(t);
        const NumberTableShape &shape = shapeOf(table);
        for (int c = 1; c <= shape.columns; ++c)
            for (int r = 1; r <= shape.rows; ++r)
                setCellText(table, c, r, qs(tables.cell(table, c, r)));
    }
    m_anE->setText(qs(tables.AnE()));
}

bool TSuuF::SGRead()
{
    NumbersFile file = readNumbersFile(filePath().toStdString());
    if (!file.ok()) {
        ui::showError(this, qs(file.error));
        return false;
    }
    setTables(file.tables);
    m_fileTables = tables();
    if (file.warnings.empty()) {
        m_warned.clear();
    } else {
        QStringList lines;
        for (const std::string &w : file.warnings)
            lines << qs(w);
        const QString text = lines.join(QLatin1Char('\n'));
        // Once per fault of the file, not at every Cancel.
        if (text != m_warned) {
            m_warned = text;
            ui::showWarning(this, text);
        }
    }
    return true;
}

bool TSuuF::SGSave()
{
    const std::string error = writeNumbersFile(filePath().toStdString(), tables());
    if (!error.empty()) {
        ui::showError(this, qs(error));
        return false;
    }
    m_warned.clear();
    m_fileTables = tables();
    emit numbersSaved();
    return true;
}

QString TSuuF::faultMessage(const CellFault &fault) const
{
    const QString page = m_pages->tabText(pageOf(fault.table));
    return QStringLiteral("「") + page + QStringLiteral("」の「") + cellText(fault.table, 0, fault.row)
        + QStringLiteral("＼") + cellText(fault.table, fault.column, 0) + QStringLiteral("」\n[")
        + cellText(fault.table, fault.column, fault.row) + faultTail(fault.kind);
}

bool TSuuF::SGCheck()
{
    commitEdits();
    normaliseTypedNumbers();
    NumberTables values = tables();
    const TablesCheck check = checkTables(values);
    // Empty cells now hold their defaults, in the grids as in the file.
    setTables(values);

    QWidget *last = nullptr;
    std::array<bool, NumberTableCount> placed{};
    for (const CellFault &fault : check.faults) {
        QTableWidget *g = grid(fault.table);
        m_pages->setCurrentIndex(pageOf(fault.table));
        // The first fault of a grid is where the user starts mending.
        if (!placed[ix(fault.table)]) {
            placed[ix(fault.table)] = true;
            g->setCurrentCell(fault.row - 1, fault.column - 1);
        }
        last = g;
        ui::showWarning(this, faultMessage(fault));
    }
    if (!check.anKenOk) {
        m_pages->setCurrentIndex(pageOf(NumberTable::KyuSG));
        ui::showWarning(this, QStringLiteral("「暗剣による数値」の[") + m_anE->text()
                                  + QStringLiteral("]は整数ではありません"));
        m_anE->selectAll();
        last = m_anE;
    }
    if (last)
        last->setFocus();
    return check.ok();
}

void TSuuF::OKBtnClick()
{
    if (!SGCheck())
        return;
    if (!SGSave())
        return;
    accept();
}

void TSuuF::CancelBtnClick()
{
    done(Rejected);
}

bool TSuuF::hasUnsavedChanges()
{
    commitEdits();
    return !(tables() == m_fileTables);
}

void TSuuF::reject()
{
    if (!hasUnsavedChanges()) {
        done(Rejected);
        return;
    }
    const ui::Answer a = ui::askChoice(this, QStringLiteral("数値の変更が保存されていません。\n保存して閉じますか？"),
                                       QStringLiteral("保存"), QStringLiteral("破棄"));
    if (a == ui::Answer::Yes)
        OKBtnClick();
    else if (a == ui::Answer::No)
        done(Rejected);
    // キャンセル: the window stays open with its edits.
}

bool TSuuF::FormCloseQuery()
{
    return SGCheck();
}

void TSuuF::done(int result)
{
    if (result != Accepted) {
        commitEdits();
        SGRead();
    }
    if (!FormCloseQuery())
        return;
    QDialog::done(result);
}

void TSuuF::showEvent(QShowEvent *event)
{
    refreshCaptions();
    FontSetF(this, m_settings.baseFont(), m_settings.explanationFont());
    fitColumns();
    QDialog::showEvent(event);
}

void TSuuF::fitColumns()
{
    for (QTableWidget *g : m_grids) {
        // The header's style sheet pads a caption by 3 px a side, plus its border.
        const QFontMetrics header(g->horizontalHeader()->font());
        int widest = QFontMetrics(g->font()).horizontalAdvance(QStringLiteral("-0000")) + 10;
        for (int c = 0; c < g->columnCount(); ++c)
            widest = std::max(widest, header.horizontalAdvance(g->horizontalHeaderItem(c)->text()) + 10);
        g->horizontalHeader()->setMinimumSectionSize(widest);
        g->horizontalHeader()->setDefaultSectionSize(widest);
        const int rowHeight = g->fontMetrics().height() + 4;
        g->verticalHeader()->setMinimumSectionSize(rowHeight);
        g->verticalHeader()->setDefaultSectionSize(rowHeight);
        // Fixed-height tables show every row; the header's own width follows its captions.
        g->updateGeometry();
    }
}

// Numbers as an input method or another program gives them ("１２", "－５",
// " 7") are the numbers they show; the file keeps them plain.
void TSuuF::normaliseTypedNumbers()
{
    const auto plain = [](const QString &text) { return text.normalized(QString::NormalizationForm_KC).trimmed(); };
    for (QTableWidget *g : m_grids)
        for (int c = 0; c < g->columnCount(); ++c)
            for (int r = 0; r < g->rowCount(); ++r)
                if (QTableWidgetItem *item = g->item(r, c); item->text() != plain(item->text()))
                    item->setText(plain(item->text()));
    if (m_anE->text() != plain(m_anE->text()))
        m_anE->setText(plain(m_anE->text()));
}

void TSuuF::commitEdits()
{
    for (QTableWidget *g : m_grids)
        static_cast<NumberGrid *>(g)->commitOpenEditor();
}

QTableWidget *TSuuF::targetGrid(QTableWidget *grid) const
{
    if (grid)
        return grid;
    QWidget *focus = focusWidget();
    for (QTableWidget *g : m_grids)
        if (focus && (g == focus || g->isAncestorOf(focus)))
            return g;
    return m_grids[ix(NumberTable::PerSG)];
}

void TSuuF::copyAlong(QTableWidget *grid, bool right)
{
    commitEdits();
    QTableWidget *g = targetGrid(grid);
    const int row = g->currentRow();
    const int column = g->currentColumn();
    if (row < 0 || column < 0)
        return;
    const QString text = g->item(row, column)->text();
    if (right) {
        for (int c = column + 1; c < g->columnCount(); ++c)
            g->item(row, c)->setText(text);
    } else {
        for (int r = row + 1; r < g->rowCount(); ++r)
            g->item(r, column)->setText(text);
    }
}

void TSuuF::XCpClick(QTableWidget *grid)
{
    copyAlong(grid, true);
}

void TSuuF::YCpClick(QTableWidget *grid)
{
    copyAlong(grid, false);
}

QStringList TSuuF::exportLines() const
{
    QStringList lines;
    for (int t = 0; t < NumberTableCount; ++t) {
        const auto table = static_cast<NumberTable>(t);
        const QTableWidget *g = grid(table);
        lines << m_labels[ix(table)]->text();
        for (int r = 0; r <= g->rowCount(); ++r) {
            QString line;
            for (int c = 0; c <= g->columnCount(); ++c)
                line += cellText(table, c, r) + QLatin1Char(',');
            lines << line;
        }
        if (table == NumberTable::KyuSG)
            lines << QStringLiteral("暗剣による数値,") + m_anE->text();
    }
    return lines;
}

void TSuuF::ExpBtnClick()
{
    commitEdits();
    const QString path = saveFileName ? saveFileName(this, QStringLiteral("数値のcsv出力")) : QString();
    if (path.isEmpty())
        return;
    std::vector<std::string> lines;
    for (const QString &line : exportLines())
        lines.push_back(line.toStdString());
    const std::string error = writeTextFileAtomic(path.toStdString(), lines);
    if (!error.empty())
        ui::showError(this, qs(error));
}

} // namespace velm
