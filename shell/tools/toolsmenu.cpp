#include "shell/tools/toolsmenu.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "shell/common/programfiles.h"
#include "shell/common/helpwindow.h"
#include "shell/common/icons.h"
#include "shell/common/messages.h"

namespace velm {
namespace {

constexpr int HelpTopic = 40040;
// The tool table as text; read with the built-in table as its fallback.
const SettingValue<QString> StoredTable{"Tool", "SG1", QString()};
// Captions of the four texts, as the dialog labels its edits.
const char *const Captions[4] = {"タイトル", "プログラム", "ファイル", "実行時のﾃﾞｨﾚｸﾄﾘ"};
// Marks the menu items this dialog made, so that only they are rebuilt.
const char *const EntryProperty = "velmToolEntry";

const QString &field(const ToolEntry &entry, int c)
{
    switch (c) {
    case 0: return entry.title;
    case 1: return entry.program;
    case 2: return entry.parameters;
    default: return entry.folder;
    }
}

QString &field(ToolEntry &entry, int c)
{
    return const_cast<QString &>(field(std::as_const(entry), c));
}

QString firstExecutable(std::initializer_list<const char *> names, const char *fallback)
{
    for (const char *name : names)
        if (!QStandardPaths::findExecutable(QLatin1String(name)).isEmpty())
            return QLatin1String(name);
    return QLatin1String(fallback);
}

// Programs start detached; a document or a web address opens with the
// desktop's own application for it, as the shell's "open" does.
bool startProgram(const QString &program, const QStringList &arguments, const QString &folder)
{
    if (program.contains(QLatin1String("://")))
        return QDesktopServices::openUrl(QUrl(program));
    const QFileInfo file(QDir(folder).filePath(program));
    const bool isPath = program.contains(QLatin1Char('/'));
    if (isPath && file.isFile() && !file.isExecutable() && arguments.isEmpty())
        return QDesktopServices::openUrl(QUrl::fromLocalFile(file.absoluteFilePath()));
    const QString executable = isPath ? file.absoluteFilePath() : QStandardPaths::findExecutable(program);
    if (executable.isEmpty())
        return false;
    return QProcess::startDetached(executable, arguments, folder);
}

} // namespace

// --- the table --------------------------------------------------------------------

ToolTable ToolTable::fromText(const QString &text)
{
    ToolTable table;
    QString rest = text;
    for (int i = 0; i < Rows * Columns; ++i) {
        const qsizetype comma = rest.indexOf(QLatin1Char(','));
        const QString value = comma < 0 ? rest : rest.left(comma);
        rest = comma < 0 ? QString() : rest.mid(comma + 1);
        field(table.m_rows[static_cast<std::size_t>(i / Columns)], i % Columns) = value;
    }
    return table;
}

QString ToolTable::toText() const
{
    QString text;
    for (int r = 0; r < Rows; ++r)
        for (int c = 0; c < Columns; ++c)
            text += cell(r, c) + QLatin1Char(',');
    return text;
}

ToolTable ToolTable::defaults()
{
    ToolTable table;
    table.m_rows[0] = {QStringLiteral("電卓"),
                       firstExecutable({"gnome-calculator", "kcalc", "mate-calc", "galculator", "qalculate-gtk", "xcalc"},
                                       "gnome-calculator"),
                       {}, {}};
    // The desktop opens the text with the user's own editor.
    table.m_rows[1] = {QStringLiteral("Readme"),
                       firstExecutable({"xdg-open", "gnome-text-editor", "gedit", "kate", "mousepad", "xed", "pluma"},
                                       "xdg-open"),
                       QStringLiteral("Readme.txt"), {}};
    return table;
}

QString ToolTable::cell(int r, int c) const
{
    return field(m_rows[static_cast<std::size_t>(r)], c);
}

int ToolTable::usedRows() const
{
    int n = 0;
    while (n < Rows && !m_rows[static_cast<std::size_t>(n)].title.isEmpty())
        ++n;
    return n;
}

bool ToolTable::add(const ToolEntry &entry)
{
    for (ToolEntry &row : m_rows)
        if (row.title.isEmpty()) {
            row = entry;
            return true;
        }
    return false;
}

void ToolTable::remove(int r)
{
    if (r < 0 || r >= Rows)
        return;
    int i = r;
    while (i + 1 < Rows && !m_rows[static_cast<std::size_t>(i + 1)].title.isEmpty()) {
        m_rows[static_cast<std::size_t>(i)] = m_rows[static_cast<std::size_t>(i + 1)];
        ++i;
    }
    m_rows[static_cast<std::size_t>(i)] = ToolEntry{};
}

int unstorableField(const ToolEntry &entry)
{
    for (int c = 0; c < ToolTable::Columns; ++c)
        if (field(entry, c).contains(QLatin1Char(',')))
            return c;
    return -1;
}

// --- the dialog --------------------------------------------------------------------

TTools::TTools(AppSettings &settings, QMenu *toolMenu, QWidget *parent)
    : QDialog(parent)
    , m_settings(settings)
    , m_menu(toolMenu)
{
    setHelpTopic(this, HelpTopic);
    setObjectName(QStringLiteral("Tools"));
    setWindowTitle(QStringLiteral("ﾂｰﾙの設定"));

    chooseProgram = [](QWidget *parent) {
        return QFileDialog::getOpenFileName(parent, QStringLiteral("プログラムの選択"));
    };
    runProgram = startProgram;

    m_sg1 = new QTableWidget(ToolTable::Rows, ToolTable::Columns, this);
    m_sg1->setObjectName(QStringLiteral("SG1"));
    m_sg1->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_sg1->setSelectionMode(QAbstractItemView::SingleSelection);
    m_sg1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_sg1->verticalHeader()->hide();
    m_sg1->setHorizontalHeaderLabels({QString::fromUtf8(Captions[0]), QString::fromUtf8(Captions[1]),
                                      QString::fromUtf8(Captions[2]), QString::fromUtf8(Captions[3])});
    m_sg1->horizontalHeader()->setStretchLastSection(true);
    m_sg1->setColumnWidth(0, 110);
    m_sg1->setColumnWidth(1, 170);
    m_sg1->setColumnWidth(2, 120);
    m_sg1->setMinimumWidth(560);
    connect(m_sg1, &QTableWidget::currentCellChanged, this, [this](int row) {
        if (row < 0)
            return;
        m_row = row; // SG1SelectCell
        SG1Click();
    });
    connect(m_sg1, &QTableWidget::cellClicked, this, [this] { SG1Click(); });

    auto *fields = new QGridLayout;
    for (int i = 0; i < 4; ++i) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("Edit%1").arg(i + 1));
        auto *label = new QLabel(QString::fromUtf8(Captions[i]), this);
        label->setBuddy(edit);
        fields->addWidget(label, i, 0);
        fields->addWidget(edit, i, 1);
        m_edit[static_cast<std::size_t>(i)] = edit;
    }
    auto *browse = new QPushButton(QStringLiteral("参照"), this);
    browse->setObjectName(QStringLiteral("BitBtn1"));
    browse->setAutoDefault(false);
    connect(browse, &QPushButton::clicked, this, &TTools::BitBtn1Click);
    fields->addWidget(browse, 1, 2);

    auto *add = new QPushButton(QStringLiteral("追加"), this);
    add->setObjectName(QStringLiteral("Button1"));
    add->setAutoDefault(false);
    connect(add, &QPushButton::clicked, this, &TTools::Button1Click);
    auto *remove = new QPushButton(QStringLiteral("削除"), this);
    remove->setObjectName(QStringLiteral("Button2"));
    remove->setAutoDefault(false);
    connect(remove, &QPushButton::clicked, this, &TTools::Button2Click);
    auto *help = new QPushButton(QStringLiteral("ﾍﾙﾌﾟ(&H)"), this);
    help->setObjectName(QStringLiteral("HelpBtn"));
    help->setAutoDefault(false);
    connect(help, &QPushButton::clicked, this, [] { showHelp(HelpTopic); });
    auto *close = new QPushButton(QStringLiteral("閉じる"), this);
    close->setObjectName(QStringLiteral("CloseBtn"));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(remove);
    buttons->addStretch();
    buttons->addWidget(help);
    buttons->addWidget(close);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_sg1, 1);
    layout->addLayout(fields);
    layout->addLayout(buttons);

    // FormCreate: the stored table (the defaults at the first start), the menu.
    m_table = ToolTable::fromText(
        StoredTable.read(m_settings.store(), ToolTable::defaults().toText()));
    showTable();
    if (m_menu && m_menu->actions().isEmpty()) {
        m_toolItem = m_menu->addAction(velmIcon(IconId::Tools), QStringLiteral("ﾂｰﾙの設定(&S)"));
        m_toolItem->setObjectName(QStringLiteral("ToolItem"));
        connect(m_toolItem, &QAction::triggered, this, [this] { exec(); });
        m_menu->addSeparator();
    }
    AddMenu();
}

void TTools::showTable()
{
    for (int r = 0; r < ToolTable::Rows; ++r)
        for (int c = 0; c < ToolTable::Columns; ++c) {
            QTableWidgetItem *item = m_sg1->item(r, c);
            if (!item) {
                item = new QTableWidgetItem;
                m_sg1->setItem(r, c, item);
            }
            item->setText(m_table.cell(r, c));
        }
}

void TTools::AddMenu()
{
    if (!m_menu)
        return;
    const QList<QAction *> items = m_menu->actions();
    for (qsizetype i = 2; i < items.size(); ++i) {
        m_menu->removeAction(items.at(i));
        if (items.at(i)->property(EntryProperty).isValid())
            items.at(i)->deleteLater();
    }
    const int used = m_table.usedRows();
    for (int r = 0; r < used; ++r) {
        // A title's "&" is shown, not taken as the entry's access key.
        QAction *entry = m_menu->addAction(QString(m_table.row(r).title).replace(QLatin1Char('&'), QStringLiteral("&&")));
        entry->setObjectName(QStringLiteral("ToolEntry%1").arg(r));
        entry->setProperty(EntryProperty, r);
        connect(entry, &QAction::triggered, this, [this, entry] { AddMenuClick(static_cast<int>(m_menu->actions().indexOf(entry))); });
    }
    m_menu->menuAction()->setVisible(!m_menu->actions().isEmpty());
}

void TTools::AddMenuClick(int position)
{
    const int r = position - 2;
    if (r < 0 || r >= m_table.usedRows())
        return;
    const ToolEntry &entry = m_table.row(r);
    // Without a working folder the tool starts in the program folder, where
    // the documents of the default entries live.
    const QString folder = entry.folder.isEmpty() ? programFolder() : entry.folder;
    QString reason;
    if (entry.program.trimmed().isEmpty())
        reason = QStringLiteral("プログラムが指定されていません。");
    else if (!QFileInfo(folder).isDir())
        reason = QStringLiteral("実行時のﾃﾞｨﾚｸﾄﾘ「%1」がありません。").arg(folder);
    else if (!runProgram(entry.program.trimmed(), QProcess::splitCommand(entry.parameters), folder))
        reason = QStringLiteral("プログラム「%1」が見つからないか、実行できません。").arg(entry.program);
    if (!reason.isEmpty())
        ui::showError(parentWidget(), QStringLiteral("「%1」を起動できませんでした。\n%2").arg(entry.title, reason));
}

void TTools::SG1Click()
{
    if (m_row < 0 || m_row >= ToolTable::Rows)
        return;
    for (int c = 0; c < ToolTable::Columns; ++c)
        m_edit[static_cast<std::size_t>(c)]->setText(m_table.cell(m_row, c));
}

void TTools::Button1Click()
{
    ToolEntry entry{m_edit[0]->text().trimmed(), m_edit[1]->text().trimmed(), m_edit[2]->text().trimmed(),
                    m_edit[3]->text().trimmed()};
    if (entry.title.isEmpty()) {
        ui::showError(this, QStringLiteral("タイトルを入力してください。"));
        m_edit[0]->setFocus();
        return;
    }
    if (entry.program.isEmpty()) {
        ui::showError(this, QStringLiteral("プログラムを入力してください。"));
        m_edit[1]->setFocus();
        return;
    }
    // The stored table separates its texts by commas.
    if (const int c = unstorableField(entry); c >= 0) {
        ui::showError(this, QStringLiteral("%1に「,」(ｶﾝﾏ)は使えません。").arg(QString::fromUtf8(Captions[c])));
        m_edit[static_cast<std::size_t>(c)]->setFocus();
        return;
    }
    if (!m_table.add(entry)) {
        ui::showError(this, QStringLiteral("ﾂｰﾙは%1件まで登録できます。\n不要なﾂｰﾙを削除してから追加してください。")
                                .arg(ToolTable::Rows));
        return;
    }
    showTable();
    AddMenu();
}

void TTools::Button2Click()
{
    if (m_row < 0 || m_row >= ToolTable::Rows || m_table.row(m_row).title.isEmpty())
        return;
    m_table.remove(m_row);
    showTable();
    SG1Click();
    AddMenu();
}

void TTools::BitBtn1Click()
{
    const QString chosen = chooseProgram ? chooseProgram(this) : QString();
    if (chosen.isEmpty())
        return;
    const QFileInfo file(chosen);
    QString folder = QDir::toNativeSeparators(file.absolutePath());
    if (!folder.endsWith(QDir::separator()))
        folder += QDir::separator();
    if (chosen.contains(QLatin1Char(','))) {
        ui::showError(this, QStringLiteral("%1に「,」(ｶﾝﾏ)は使えません。").arg(QString::fromUtf8(Captions[1])));
        return;
    }
    m_edit[1]->setText(QDir::toNativeSeparators(chosen));
    m_edit[3]->setText(folder);
}

void TTools::store()
{
    StoredTable.write(m_settings.store(), m_table.toText());
    const QString error = m_settings.sync();
    if (!error.isEmpty())
        ui::showError(this, error);
}

void TTools::done(int result)
{
    store(); // FormClose
    QDialog::done(result);
}

} // namespace velm
