#include "shell/editors/matterseditor.h"

#include <algorithm>

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

#include "shell/common/programfiles.h"
#include "shell/settings/appsettings.h"
#include "shell/common/helpwindow.h"
#include "shell/common/messages.h"
#include "shell/common/strings.h"
#include "shell/common/savedialog.h"
#include "shell/tools/systemsettings.h"

namespace velm {

namespace {

constexpr int GridColumns = 1 + MatterColumnCount; // caption column + 30
constexpr int GridRows = 1 + MatterRowCount;       // caption row + 5
constexpr int CaptionWidth = 40;
constexpr int CellWidths[3] = {40, 13, 50};        // element, operator, target
constexpr int ValuesWidth = 525;                   // the visible part of the value columns


// Caption cells aqua, value cells white, black text centred from 2 pixels
// below the top; the clicked cell gets a focus frame.
class GridDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const bool caption = index.row() == 0 || index.column() == 0;
        p->save();
        p->fillRect(option.rect, caption ? QColor(0, 255, 255) : QColor(Qt::white));
        p->setPen(Qt::black);
        p->setFont(option.font);
        const QRect text = option.rect.adjusted(0, 2, 0, 0);
        p->drawText(text, Qt::AlignHCenter | Qt::AlignTop, index.data().toString());
        if (!caption && (option.state & QStyle::State_Selected)) {
            p->setPen(QPen(Qt::black, 1, Qt::DotLine));
            p->drawRect(option.rect.adjusted(0, 0, -1, -1));
        }
        p->restore();
    }
};

QTableWidget *makeGrid(QWidget *parent, const char *name, bool groupNumbers)
{
    auto *grid = new QTableWidget(GridRows, GridColumns, parent);
    grid->setObjectName(QLatin1String(name));
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setItemDelegate(new GridDelegate(grid));
    grid->setColumnWidth(0, CaptionWidth);
    // A target is a pattern name of up to four characters ("飛鳥跌穴"), shown whole.
    const int targetWidth = std::max(CellWidths[2], grid->fontMetrics().horizontalAdvance(QStringLiteral("飛鳥跌穴")) + 6);
    for (int c = 1; c < GridColumns; ++c)
        grid->setColumnWidth(c, (c - 1) % 3 == 2 ? targetWidth : CellWidths[(c - 1) % 3]);
    const int rowHeight = grid->fontMetrics().height() + 6;
    for (int r = 0; r < GridRows; ++r)
        grid->setRowHeight(r, rowHeight);
    for (int r = 0; r < GridRows; ++r)
        for (int c = 0; c < GridColumns; ++c)
            grid->setItem(r, c, new QTableWidgetItem);
    for (int r = 2; r < GridRows; ++r)
        grid->item(r, 0)->setText(QStringLiteral("And"));
    for (int g = 1; g <= MatterGroupCount; ++g) {
        grid->item(0, 3 * g - 2)->setText(QStringLiteral("条件"));
        if (groupNumbers)
            grid->item(0, 3 * g - 1)->setText(QString::number(g));
    }
    const int width = CaptionWidth + ValuesWidth + 2 * grid->frameWidth();
    grid->setFixedWidth(width);
    grid->setFixedHeight(GridRows * rowHeight + 2 * grid->frameWidth()
                         + grid->horizontalScrollBar()->sizeHint().height());
    return grid;
}

// "条件１     Or" … "条件９     Or", "条件10": groups are alternatives.
QString groupCaption(int g)
{
    if (g == MatterGroupCount)
        return QStringLiteral("条件10");
    return QStringLiteral("条件") + QChar(0xFF10 + g) + QStringLiteral("     Or");
}

} // namespace

TSenF::TSenF(AppSettings &settings, const ConstData &names, QWidget *parent)
    : QDialog(parent), m_settings(settings), m_names(names)
{
    setHelpTopic(this, SenHelpTopic);
    setObjectName(QStringLiteral("SenF"));
    setWindowTitle(QStringLiteral("占事マスターの設定"));
    setModal(true);

    saveFileName = [](QWidget *owner, const QString &caption) {
        return askSaveFile(owner, caption, {QStringLiteral("Csv (*.csv)"), QStringLiteral("すべて (*)")},
                           QStringLiteral("csv"));
    };

    auto *top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("占事"), this));
    m_senBox = new QComboBox(this);
    m_senBox->setObjectName(QStringLiteral("SenBox"));
    m_senBox->setMinimumContentsLength(14);
    top->addWidget(m_senBox, 1);
    top->addWidget(new QLabel(QStringLiteral("占事名"), this));
    m_senE = new QLineEdit(this);
    m_senE->setObjectName(QStringLiteral("SenE"));
    top->addWidget(m_senE, 1);

    buildGrids();

    auto *bottom = new QHBoxLayout;
    auto *sAdd = new QPushButton(QStringLiteral("この占事を更新・追加する"), this);
    sAdd->setObjectName(QStringLiteral("SAddBtn"));
    auto *sDel = new QPushButton(QStringLiteral("この占事を削除する"), this);
    sDel->setObjectName(QStringLiteral("SDelBtn"));
    auto *exp = new QPushButton(QStringLiteral("CSV出力"), this);
    exp->setObjectName(QStringLiteral("ExpBtn"));
    exp->setToolTip(QStringLiteral("占事マスターの内容をcsvに出力します"));
    auto *help = new QPushButton(QStringLiteral("ヘルプ"), this);
    help->setObjectName(QStringLiteral("HelpBtn"));
    auto *ok = new QPushButton(QStringLiteral("閉じる"), this);
    ok->setObjectName(QStringLiteral("OKBtn"));
    for (QPushButton *b : {sAdd, sDel, exp, help, ok}) {
        b->setAutoDefault(false);
        bottom->addWidget(b);
    }

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_sg1);
    layout->addWidget(buildEditPanel());
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_senBox, &QComboBox::activated, this, &TSenF::SenBoxChange);
    connect(m_shuBox, &QComboBox::activated, this, [this] { ShuBoxChange(); });
    connect(m_hosiBox, &QComboBox::activated, this, [this] { HosiBoxChange(); });
    connect(m_sg1, &QTableWidget::cellPressed, this, &TSenF::SG1MouseDown);
    connect(sAdd, &QPushButton::clicked, this, [this] { SGSave(); });
    connect(sDel, &QPushButton::clicked, this, &TSenF::SDelBtnClick);
    connect(exp, &QPushButton::clicked, this, &TSenF::ExpBtnClick);
    connect(help, &QPushButton::clicked, this, [] { showHelp(SenHelpTopic); });
    connect(ok, &QPushButton::clicked, this, &TSenF::OKBtnClick);

    loadList();
}

void TSenF::buildGrids()
{
    m_sg1 = makeGrid(this, "SG1", true);
    // The codes lie under the editing panel: kept, never shown.
    m_sg2 = makeGrid(this, "SG2", false);
    m_sg2->hide();
}

QWidget *TSenF::buildEditPanel()
{
    auto *panel = new QWidget(this);
    auto *grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 0, 0, 0);

    auto *rg1 = new QGroupBox(QStringLiteral("条件"), panel);
    rg1->setObjectName(QStringLiteral("RG1"));
    auto *rg1Layout = new QGridLayout(rg1);
    m_rg1 = new QButtonGroup(this);
    for (int g = 0; g < MatterGroupCount; ++g) {
        auto *b = new QRadioButton(groupCaption(g + 1), rg1);
        b->setObjectName(QStringLiteral("RG1_%1").arg(g));
        m_rg1->addButton(b, g);
        rg1Layout->addWidget(b, g / 5, g % 5);
    }
    m_rg1->button(0)->setChecked(true);
    grid->addWidget(rg1, 0, 0, 1, 4);

    grid->addWidget(new QLabel(QStringLiteral("要素"), panel), 1, 0);
    m_shuBox = new QComboBox(panel);
    m_shuBox->setObjectName(QStringLiteral("ShuBox"));
    for (std::string_view name : MatterElementName)
        m_shuBox->addItem(qs(name));
    grid->addWidget(m_shuBox, 2, 0);

    auto *kBox = new QGroupBox(QStringLiteral("条件式"), panel);
    kBox->setObjectName(QStringLiteral("KBox"));
    auto *kLayout = new QHBoxLayout(kBox);
    m_kBox = new QButtonGroup(this);
    for (int i = 0; i < 2; ++i) {
        m_k[i] = new QRadioButton(kBox);
        m_k[i]->setObjectName(QStringLiteral("KBox%1").arg(i));
        m_kBox->addButton(m_k[i], i);
        kLayout->addWidget(m_k[i]);
    }
    grid->addWidget(kBox, 1, 1, 2, 1);

    grid->addWidget(new QLabel(QStringLiteral("対象"), panel), 1, 2);
    m_hosiBox = new QComboBox(panel);
    m_hosiBox->setObjectName(QStringLiteral("HosiBox"));
    m_hosiBox->setMinimumContentsLength(8);
    m_hosiBox->setMaxVisibleItems(20);
    grid->addWidget(m_hosiBox, 2, 2);

    auto *number = new QHBoxLayout;
    number->addWidget(new QLabel(QStringLiteral("（数値 >="), panel));
    m_suuE = new QLineEdit(QStringLiteral("0"), panel);
    m_suuE->setObjectName(QStringLiteral("SuuE"));
    m_suuE->setMaximumWidth(70);
    number->addWidget(m_suuE);
    number->addWidget(new QLabel(QStringLiteral("）"), panel));
    number->addStretch();
    grid->addLayout(number, 2, 3);

    auto *buttons = new QHBoxLayout;
    auto *add = new QPushButton(QStringLiteral("リストに追加する"), panel);
    add->setObjectName(QStringLiteral("SGAdd"));
    m_sgDelBtn = new QPushButton(QStringLiteral("リストから削除する"), panel);
    m_sgDelBtn->setObjectName(QStringLiteral("SGDelBtn"));
    m_sgDelBtn->setEnabled(false);
    auto *clr = new QPushButton(QStringLiteral("リストをクリアする"), panel);
    clr->setObjectName(QStringLiteral("SGClrBtn"));
    for (QPushButton *b : {add, m_sgDelBtn, clr}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    grid->addLayout(buttons, 3, 0, 1, 4);

    connect(add, &QPushButton::clicked, this, &TSenF::SGAddClick);
    connect(m_sgDelBtn, &QPushButton::clicked, this, &TSenF::SGDelBtnClick);
    connect(clr, &QPushButton::clicked, this, &TSenF::SGClrBtnClick);
    return panel;
}

QString TSenF::datPath() const { return programFile(MattersFileName); }
QString TSenF::idxPath() const { return programFile(MatterIndexFileName); }

QStringList TSenF::matterNames() const
{
    QStringList out;
    for (const std::string &name : m_list.names)
        out << qs(name);
    return out;
}

Matter TSenF::current() const
{
    Matter m = m_matter;
    m.name = m_senE->text().trimmed().toStdString();
    return m;
}

void TSenF::loadList()
{
    MatterListLoad load = readMatterList(idxPath().toStdString());
    m_list = std::move(load.list);
    if (!load.message.empty())
        ui::showError(this, qs(load.message));
    // Matters the list does not name would otherwise be out of reach; they
    // join at the end, and the list is written with them when the window closes.
    if (!m_list.readFailed) {
        const MattersFile file = readMattersFile(datPath().toStdString());
        if (file.ok())
            for (std::string &name : unlistedMatters(m_list, file))
                m_list.names.push_back(std::move(name));
    }
    fillSenBox(m_list.names.empty() ? -1 : 0);
    ItemClear();
    if (!m_list.names.empty())
        SGRead(0);
    ShuBoxChange();
}

void TSenF::fillSenBox(int current)
{
    const QSignalBlocker block(m_senBox);
    m_senBox->clear();
    m_senBox->addItems(matterNames());
    m_senBox->setCurrentIndex(std::min(current, m_senBox->count() - 1));
}

void TSenF::SGRead(int index)
{
    if (index < 0 || index >= static_cast<int>(m_list.names.size()))
        return;
    const std::string name = m_list.names[static_cast<std::size_t>(index)];
    const MattersFile file = readMattersFile(datPath().toStdString());
    if (!file.ok()) {
        ui::showError(this, qs(file.error));
        return;
    }
    m_senE->setText(qs(name));
    if (std::optional<Matter> found = file.find(name)) {
        m_matter = std::move(*found);
    } else {
        // A listed name without conditions: showing the previous matter's
        // table under this name would save that table under it, so the table
        // starts empty; nothing is written until the user saves.
        clearConditions(m_matter);
        ui::showInfo(this, QStringLiteral("占事「%1」の条件は『Senji.Dat』にありません。\n"
                                          "条件を指定して「この占事を更新・追加する」で保存して下さい。")
                               .arg(qs(name)));
    }
    setSelection(-1, -1);
    refreshGrids();
}

void TSenF::SenBoxChange(int index)
{
    ItemClear();
    SGRead(index);
    m_shuBox->setCurrentIndex(ElemSuuchi);
    ShuBoxChange();
}

void TSenF::ItemClear()
{
    m_shuBox->setCurrentIndex(ElemSuuchi);
    m_k[0]->setChecked(true);
    m_hosiBox->clear();
    m_suuE->setText(QStringLiteral("0"));
}

int TSenF::element() const { return std::max(0, m_shuBox->currentIndex()); }
int TSenF::group() const { return std::max(0, m_rg1->checkedId()); }

void TSenF::ShuBoxChange()
{
    const int e = element();
    m_hosiBox->clear();
    for (const std::string &target : targetList(e, m_names))
        m_hosiBox->addItem(qs(target));
    const std::span<const std::string_view> ops = operatorList(e);
    for (int i = 0; i < 2; ++i)
        m_k[i]->setText(i < static_cast<int>(ops.size()) ? qs(ops[static_cast<std::size_t>(i)]) : QString());
    m_k[0]->setChecked(true);
    m_hosiBox->setEnabled(e != ElemSuuchi);
    m_hosiBox->setCurrentIndex(0);
    HosiBoxChange();
}

void TSenF::HosiBoxChange()
{
    m_suuE->setEnabled(isNumberCondition(element(), std::max(0, m_hosiBox->currentIndex())));
}

void TSenF::refreshGrids()
{
    for (int g = 0; g < MatterGroupCount; ++g)
        for (int cell = 0; cell < 3; ++cell)
            for (int r = 0; r < MatterRowCount; ++r) {
                const int column = 3 * g + cell + 1;
                m_sg1->item(r + 1, column)->setText(qs(m_matter.text(g, cell, r)));
                m_sg2->item(r + 1, column)->setText(qs(m_matter.code(g, cell, r)));
            }
}

void TSenF::setSelection(int group, int row)
{
    m_selGroup = group;
    m_selRow = row;
    m_sgDelBtn->setEnabled(hasCondition(m_matter, group, row));
}

void TSenF::SGAddClick()
{
    ConditionInput input;
    input.element = element();
    input.operatorIndex = std::max(0, m_kBox->checkedId());
    input.target = std::max(0, m_hosiBox->currentIndex());
    input.number = m_suuE->text().toStdString();
    const EditResult result = addCondition(m_matter, group(), input, m_names);
    if (!result.ok) {
        if (result.row < 0 && result.message == "これ以上追加できません")
            ui::showInfo(this, qs(result.message));
        else
            ui::showWarning(this, qs(result.message));
        if (isNumberCondition(input.element, input.target) && !normalizeThreshold(input.number))
            m_suuE->setFocus();
        return;
    }
    refreshGrids();
    setSelection(m_selGroup, m_selRow);
}

void TSenF::SG1MouseDown(int row, int column)
{
    if (row < 1 || column < 1) {
        setSelection(-1, -1);
        return;
    }
    const int g = (column - 1) / 3;
    const int r = row - 1;
    m_rg1->button(g)->setChecked(true);
    setSelection(g, r);
    const std::optional<ConditionInput> input = conditionAt(m_matter, g, r);
    if (!input)
        return;
    m_shuBox->setCurrentIndex(input->element);
    ShuBoxChange();
    m_k[std::clamp(input->operatorIndex, 0, 1)]->setChecked(true);
    if (input->target < m_hosiBox->count())
        m_hosiBox->setCurrentIndex(input->target);
    HosiBoxChange();
    if (isNumberCondition(input->element, input->target))
        m_suuE->setText(qs(input->number));
}

void TSenF::SGDelBtnClick()
{
    if (!hasCondition(m_matter, m_selGroup, m_selRow))
        return;
    deleteCondition(m_matter, m_selGroup, m_selRow);
    refreshGrids();
    setSelection(m_selGroup, m_selRow);
}

void TSenF::SGClrBtnClick()
{
    clearConditions(m_matter);
    refreshGrids();
    setSelection(-1, -1);
}

bool TSenF::SGSave()
{
    const QString name = m_senE->text().trimmed();
    Matter matter = m_matter;
    matter.name = name.toStdString();
    const MatterSave save = saveMatter(datPath().toStdString(), matter, m_list);
    if (!save.ok) {
        ui::showError(this, qs(save.message));
        if (name.isEmpty())
            m_senE->setFocus();
        return false;
    }
    m_matter.name = matter.name;
    m_senE->setText(name);
    fillSenBox(m_list.indexOf(matter.name));
    emit mattersChanged();
    return true;
}

void TSenF::SDelBtnClick()
{
    const int index = m_senBox->currentIndex();
    if (index < 0)
        return;
    const QString name = m_senBox->itemText(index);
    if (!ui::askYesNo(this, QStringLiteral("占事「%1」を削除してよろしいですか？").arg(name)))
        return;
    const MatterSave result = deleteMatter(datPath().toStdString(), name.toStdString(), m_list);
    if (!result.ok) {
        ui::showError(this, qs(result.message));
        return;
    }
    // The table stays on screen, so a matter deleted by mistake can be saved again.
    fillSenBox(index);
    emit mattersChanged();
}

void TSenF::ExpBtnClick()
{
    const QString path = saveFileName ? saveFileName(this, QStringLiteral("占事マスターのcsv出力")) : QString();
    if (path.isEmpty())
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::string error = exportMattersCsv(datPath().toStdString(), path.toStdString());
    QApplication::restoreOverrideCursor();
    if (!error.empty())
        ui::showError(this, qs(error));
}

void TSenF::OKBtnClick()
{
    if (SGSave())
        accept();
}

void TSenF::FormClose()
{
    const std::string error = writeMatterList(idxPath().toStdString(), m_list);
    if (!error.empty())
        ui::showError(this, qs(error));
}

void TSenF::done(int result)
{
    FormClose();
    QDialog::done(result);
}

void TSenF::showEvent(QShowEvent *event)
{
    FontSetF(this, m_settings.baseFont(), m_settings.explanationFont());
    QDialog::showEvent(event);
}

} // namespace velm
