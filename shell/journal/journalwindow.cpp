#include "shell/common/toolbutton.h"
#include "shell/journal/journalwindow.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>

#include <QAbstractTableModel>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QShortcut>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

#include "engine/symbols.h"
#include "engine/textfile.h"
#include "output/charttext.h"
#include "output/placebook.h"
#include "shell/common/helpwindow.h"
#include "shell/common/messages.h"
#include "shell/common/pcolor.h"
#include "shell/common/savedialog.h"

namespace velm {
namespace {

QString q(const std::string &text)
{
    return QString::fromStdString(text);
}

std::string s(const QString &text)
{
    return text.trimmed().toStdString();
}

// The eight directions as the journal names them.
QStringList directionNames()
{
    QStringList out;
    for (const char *name : {"北", "北東", "東", "南東", "南", "南西", "西", "北西"})
        out << QString::fromUtf8(name);
    return out;
}

// The list: the summaries of one search, read once.
class EntryModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;
    void setRows(std::vector<JournalSummary> rows)
    {
        beginResetModel();
        m_rows = std::move(rows);
        endResetModel();
    }
    const std::vector<JournalSummary> &rows() const { return m_rows; }
    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
    }
    int columnCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : 6; }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
            return {};
        const JournalSummary &r = m_rows[static_cast<std::size_t>(index.row())];
        switch (index.column()) {
        case 0: return q(r.moment).replace(QLatin1Char('T'), QLatin1Char(' '));
        case 1: return q(journalKindsText(r.kinds));
        case 2: return role == Qt::ToolTipRole && !r.note.empty() ? q(r.question + "\n" + r.note) : q(r.question);
        case 3: return q(r.tags);
        case 4: return q(r.matter);
        case 5: return q(r.direction);
        }
        return {};
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        static const char *names[6] = {"日時", "盤", "問い", "見出し", "占事", "方位"};
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < 6)
            return QString::fromUtf8(names[section]);
        return {};
    }

private:
    std::vector<JournalSummary> m_rows;
};

// One recorded chart in small: the nine palaces with their total scores, in
// the score colours, the kind in the corner.
class ChartThumb : public QWidget {
public:
    ChartThumb(const RecordedChart &chart, QWidget *parent) : QWidget(parent), m_chart(chart)
    {
        setFixedSize(3 * Cell + 2, 3 * Cell + 2 + 16);
        QString tip = QStringLiteral("%1盤（記録した時の点数）").arg(q(std::string(KindChar[static_cast<std::size_t>(chart.kind)])));
        setToolTip(tip);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        const PColorSettings colours;
        p.drawText(QRect(0, 0, width(), 16), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("%1盤").arg(q(std::string(KindChar[static_cast<std::size_t>(m_chart.kind)]))));
        for (int row = 0; row < 3; ++row)
            for (int column = 0; column < 3; ++column) {
                const int palace = palaceAt(column, row);
                const double score = m_chart.BanSuu[8][static_cast<std::size_t>(palace)];
                const QRect cell(1 + column * Cell, 17 + row * Cell, Cell, Cell);
                const QColor back = palace == 0 ? QColor(Qt::white) : PColor(score, colours);
                p.fillRect(cell, back);
                p.setPen(Qt::gray);
                p.drawRect(cell.adjusted(0, 0, -1, -1));
                p.setPen(FColor(back));
                const QString name = q(std::string(DirectionName[static_cast<std::size_t>(palace)])).trimmed();
                p.drawText(cell.adjusted(2, 2, -2, -Cell / 2), Qt::AlignCenter, name);
                if (palace != 0)
                    p.drawText(cell.adjusted(2, Cell / 2, -2, -2), Qt::AlignCenter, QString::number(score, 'f', 2));
            }
    }

private:
    static constexpr int Cell = 52;
    RecordedChart m_chart;
};

QString todayText()
{
    return QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
}

} // namespace

// ---- The access.

JournalAccess::JournalAccess(QString folder, QObject *parent) : QObject(parent), m_folder(std::move(folder)) {}
JournalAccess::~JournalAccess() = default;

QString JournalAccess::databasePath() const
{
    return QDir(m_folder).filePath(QString::fromLatin1(PlaceBookFile));
}

Journal *JournalAccess::journal(QWidget *parent)
{
    if (!m_journal) {
        std::string error;
        m_journal = Journal::open(databasePath().toStdString(), error);
        if (!m_journal)
            ui::showError(parent, q(error));
    }
    return m_journal.get();
}

std::vector<std::string> splitList(const QString &text)
{
    std::vector<std::string> out;
    for (const QString &part : text.split(QRegularExpression(QStringLiteral("[、,，\\s　]+")), Qt::SkipEmptyParts))
        out.push_back(part.toStdString());
    return out;
}

QString journalOptionsText(const JournalEntry &e)
{
    const KoyomiOptions &o = e.options;
    QStringList parts;
    parts << (e.method == LayingMethod::Flying ? QStringLiteral("飛宮式") : QStringLiteral("活盤式"));
    parts << (o.astronomy == Astronomy::Precise ? QStringLiteral("精密") : QStringLiteral("簡略式"));
    if (!o.clock.zone.empty())
        parts << q(o.clock.zone) + (e.tzdata.empty() ? QString() : QStringLiteral("（tzdata %1）").arg(q(e.tzdata)));
    else
        parts << QStringLiteral("UTC%1%2").arg(o.clock.fixedTz < 0 ? QString() : QStringLiteral("+")).arg(o.clock.fixedTz);
    if (o.clock.fold != Fold::Refuse)
        parts << (o.clock.fold == Fold::First ? QStringLiteral("切り替え前の時刻") : QStringLiteral("切り替え後の時刻"));
    if (o.clock.solarTime != SolarTime::None)
        parts << QStringLiteral("%1 経度%2")
                     .arg(o.clock.solarTime == SolarTime::Mean ? QStringLiteral("平均太陽時") : QStringLiteral("真太陽時"))
                     .arg(o.clock.longitude);
    QString periods;
    for (const int p : o.periods)
        periods += QString::number(p);
    parts << QStringLiteral("局の期間 %1").arg(periods) << QStringLiteral("KCB1 %1").arg(o.kcb1 ? 1 : 0);
    if (o.exactMinutes)
        parts << QStringLiteral("節入りを分まで");
    if (o.juMethod != JuMethod::Zhirun)
        parts << (o.juMethod == JuMethod::Chaibu ? QStringLiteral("拆補") : QStringLiteral("茅山"));
    return parts.join(QStringLiteral("・"));
}

// ---- 記録に残す.

TJournalEditF::TJournalEditF(const JournalEntry &draft, const QStringList &places, QWidget *parent)
    : QDialog(parent), m_entry(draft)
{
    setObjectName(QStringLiteral("JournalEditF"));
    setWindowTitle(QStringLiteral("記録に残す"));
    setHelpTopic(this, HelpJournal);
    auto *form = new QFormLayout;
    auto *moment = new QLabel(QStringLiteral("%1（%2盤）").arg(q(journalMomentText(draft.moment)).replace(QLatin1Char('T'), QLatin1Char(' ')),
                                                           q(journalKindsText(draft.kinds))),
                              this);
    moment->setObjectName(QStringLiteral("MomentL"));
    auto *options = new QLabel(journalOptionsText(draft), this);
    options->setObjectName(QStringLiteral("OptionsL"));
    options->setWordWrap(true);
    form->addRow(QStringLiteral("日時"), moment);
    form->addRow(QStringLiteral("設定"), options);
    m_question = new QLineEdit(q(draft.question), this);
    m_question->setObjectName(QStringLiteral("QuestionE"));
    m_question->setPlaceholderText(QStringLiteral("何を占ったか"));
    form->addRow(QStringLiteral("問い(&Q)"), m_question);
    m_matter = new QLineEdit(q(draft.matter), this);
    m_matter->setObjectName(QStringLiteral("MatterE"));
    form->addRow(QStringLiteral("占事(&M)"), m_matter);
    m_direction = new QComboBox(this);
    m_direction->setObjectName(QStringLiteral("DirectionCB"));
    m_direction->setEditable(true);
    m_direction->addItem(QString());
    m_direction->addItems(directionNames());
    m_direction->setCurrentText(q(draft.direction));
    form->addRow(QStringLiteral("方位(&D)"), m_direction);
    m_place = new QComboBox(this);
    m_place->setObjectName(QStringLiteral("PlaceCB"));
    m_place->setEditable(true);
    m_place->addItem(QString());
    m_place->addItems(places);
    m_place->setCurrentText(q(draft.place));
    form->addRow(QStringLiteral("地点(&P)"), m_place);
    m_people = new QLineEdit(this);
    m_people->setObjectName(QStringLiteral("PeopleE"));
    m_people->setPlaceholderText(QStringLiteral("「、」で区切って何人でも"));
    form->addRow(QStringLiteral("人(&W)"), m_people);
    m_tags = new QLineEdit(this);
    m_tags->setObjectName(QStringLiteral("TagsE"));
    m_tags->setPlaceholderText(QStringLiteral("「、」で区切って"));
    form->addRow(QStringLiteral("見出し(&T)"), m_tags);
    m_note = new QPlainTextEdit(q(draft.note), this);
    m_note->setObjectName(QStringLiteral("NoteE"));
    m_note->setTabChangesFocus(true);
    m_note->setMinimumHeight(90);
    form->addRow(QStringLiteral("覚え書き(&N)"), m_note);
    auto *remind = new QHBoxLayout;
    const int months[3] = {4, 7, 10};
    for (std::size_t i = 0; i < 3; ++i) {
        m_remind[i] = new QCheckBox(QStringLiteral("%1か月後（%2）").arg(months[i]).arg(q(monthsAfter(draft.moment, months[i]))), this);
        m_remind[i]->setObjectName(QStringLiteral("Remind%1CB").arg(months[i]));
        remind->addWidget(m_remind[i]);
    }
    remind->addStretch(1);
    form->addRow(QStringLiteral("振り返り"), remind);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("記録する"));
    buttons->button(QDialogButtonBox::Ok)->setToolTip(QStringLiteral("Ctrl+Enter"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, &TJournalEditF::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    for (const QKeySequence &keys : {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)})
        connect(new QShortcut(keys, this), &QShortcut::activated, this, &TJournalEditF::accept);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    resize(560, sizeHint().height());
    m_question->setFocus();
}

QCheckBox *TJournalEditF::RemindCB(int months) const
{
    return months == 4 ? m_remind[0] : months == 7 ? m_remind[1] : m_remind[2];
}

void TJournalEditF::accept()
{
    m_entry.question = s(m_question->text());
    m_entry.matter = s(m_matter->text());
    m_entry.direction = s(m_direction->currentText());
    m_entry.place = s(m_place->currentText());
    m_entry.people = splitList(m_people->text());
    m_entry.tags = splitList(m_tags->text());
    m_entry.note = m_note->toPlainText().toStdString();
    m_entry.reminders.clear();
    const int months[3] = {4, 7, 10};
    for (std::size_t i = 0; i < 3; ++i)
        if (m_remind[i]->isChecked())
            m_entry.reminders.push_back({monthsAfter(m_entry.moment, months[i]), false});
    QDialog::accept();
}

// ---- The journal window.

TJournalF::TJournalF(JournalAccess &access, QWidget *parent) : QWidget(parent, Qt::Window), m_access(access)
{
    setObjectName(QStringLiteral("JournalF"));
    setWindowTitle(QStringLiteral("記録"));
    setHelpTopic(this, HelpJournal);
    today = todayText;
    saveFileName = [](QWidget *parent, const QString &suggested) {
        return askSaveFile(parent, QStringLiteral("記録の書き出し"), {QStringLiteral("JSON (*.json)")},
                           QStringLiteral("json"), suggested);
    };
    openFileName = [](QWidget *parent) {
        return QFileDialog::getOpenFileName(parent, QStringLiteral("記録の取り込み"), lastSaveFolder(),
                                            QStringLiteral("JSON (*.json);;すべて (*)"));
    };

    // Search and filters, typed and run with Enter.
    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("SearchE"));
    m_search->setPlaceholderText(QStringLiteral("問い・覚え書き・結果の言葉（Ctrl+F）"));
    m_search->setClearButtonEnabled(true);
    m_from = new QLineEdit(this);
    m_from->setObjectName(QStringLiteral("FromE"));
    m_to = new QLineEdit(this);
    m_to->setObjectName(QStringLiteral("ToE"));
    for (QLineEdit *e : {m_from, m_to}) {
        e->setPlaceholderText(QStringLiteral("YYYY-MM-DD"));
        e->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000-00-00")) + 24);
    }
    static const char *filterNames[5] = {"占事", "方位", "地点", "人", "見出し"};
    static const char *filterObjects[5] = {"MatterE", "DirectionE", "PlaceE", "PersonE", "TagE"};
    auto *filters = new QHBoxLayout;
    filters->addWidget(new QLabel(QStringLiteral("期間"), this));
    filters->addWidget(m_from);
    filters->addWidget(new QLabel(QStringLiteral("～"), this));
    filters->addWidget(m_to);
    for (std::size_t i = 0; i < 5; ++i) {
        m_filters[i] = new QLineEdit(this);
        m_filters[i]->setObjectName(QLatin1String(filterObjects[i]));
        m_filters[i]->setPlaceholderText(QString::fromUtf8(filterNames[i]));
        m_filters[i]->setMaximumWidth(90);
        filters->addWidget(m_filters[i]);
    }
    m_dueOnly = new QCheckBox(QStringLiteral("期日の振り返り"), this);
    m_dueOnly->setObjectName(QStringLiteral("DueCB"));
    m_dueOnly->setToolTip(QStringLiteral("今日までに振り返る日が来た記録だけを表示します"));
    filters->addWidget(m_dueOnly);
    filters->addStretch(1);
    auto *searchBtn = new QPushButton(QStringLiteral("検索"), this);
    searchBtn->setObjectName(QStringLiteral("SearchBtn"));
    auto *searchRow = new QHBoxLayout;
    searchRow->addWidget(m_search, 1);
    searchRow->addWidget(searchBtn);

    // The list.
    m_model = new EntryModel(this);
    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("EntryGrid"));
    m_grid->setModel(m_model);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->verticalHeader()->hide();
    m_grid->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->setColumnWidth(0, fontMetrics().horizontalAdvance(QStringLiteral("0000-00-00 00:00")) + 16);
    m_grid->setColumnWidth(1, fontMetrics().horizontalAdvance(QStringLiteral("年・月・日・時")) + 12);
    m_grid->setColumnWidth(2, 200);
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("CountL"));
    m_allBtn = new QPushButton(QStringLiteral("すべて表示"), this);
    m_allBtn->setObjectName(QStringLiteral("AllBtn"));
    m_allBtn->setToolTip(QStringLiteral("新しい %1 件より前の記録も一覧に並べます").arg(ListedAtFirst));
    m_allBtn->hide();

    // The chosen entry.
    auto *view = new QWidget(this);
    m_detail = new QLabel(view);
    m_detail->setObjectName(QStringLiteral("DetailL"));
    m_detail->setWordWrap(true);
    m_detail->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_detail->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    m_thumbs = new QWidget(view);
    m_thumbs->setObjectName(QStringLiteral("Thumbs"));
    // Two charts a row: the four of an entry fit beside the list.
    auto *thumbGrid = new QGridLayout(m_thumbs);
    thumbGrid->setContentsMargins(0, 0, 0, 0);
    thumbGrid->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_note = new QPlainTextEdit(view);
    m_note->setObjectName(QStringLiteral("NoteE"));
    m_note->setTabChangesFocus(true);
    m_note->setPlaceholderText(QStringLiteral("覚え書き（Ctrl+S で保存）"));
    m_note->setMaximumHeight(110);
    auto *saveNote = new QPushButton(QStringLiteral("覚え書きを保存"), view);
    saveNote->setObjectName(QStringLiteral("SaveNoteBtn"));
    m_outcomes = new QListWidget(view);
    m_outcomes->setObjectName(QStringLiteral("OutcomeList"));
    m_outcomes->setMaximumHeight(110);
    m_outcomeDate = new QLineEdit(view);
    m_outcomeDate->setObjectName(QStringLiteral("OutcomeDateE"));
    m_outcomeDate->setPlaceholderText(QStringLiteral("YYYY-MM-DD"));
    m_outcomeDate->setMaximumWidth(m_from->maximumWidth());
    m_outcome = new QLineEdit(view);
    m_outcome->setObjectName(QStringLiteral("OutcomeE"));
    m_outcome->setPlaceholderText(QStringLiteral("その後どうなったか（Enter で追加）"));
    auto *addOutcome = new QPushButton(QStringLiteral("結果を追加"), view);
    addOutcome->setObjectName(QStringLiteral("AddOutcomeBtn"));
    m_reminders = new QListWidget(view);
    m_reminders->setObjectName(QStringLiteral("ReminderList"));
    m_reminders->setMaximumHeight(80);
    m_remindDate = new QLineEdit(view);
    m_remindDate->setObjectName(QStringLiteral("RemindE"));
    m_remindDate->setPlaceholderText(QStringLiteral("YYYY-MM-DD"));
    m_remindDate->setMaximumWidth(m_from->maximumWidth());
    auto *remindRow = new QHBoxLayout;
    for (const int months : {4, 7, 10}) {
        auto *b = new QPushButton(QStringLiteral("%1か月後").arg(months), view);
        b->setObjectName(QStringLiteral("Remind%1Btn").arg(months));
        connect(b, &QPushButton::clicked, this, [this, months] { RemindClick(months); });
        remindRow->addWidget(b);
    }
    remindRow->addWidget(m_remindDate);
    auto *remindDate = new QPushButton(QStringLiteral("この日に"), view);
    remindDate->setObjectName(QStringLiteral("RemindDateBtn"));
    connect(remindDate, &QPushButton::clicked, this, [this] { RemindClick(0); });
    remindRow->addWidget(remindDate);
    auto *done = new QPushButton(QStringLiteral("済にする"), view);
    done->setObjectName(QStringLiteral("DoneBtn"));
    remindRow->addWidget(done);
    remindRow->addStretch(1);

    auto *viewLayout = new QVBoxLayout(view);
    viewLayout->setContentsMargins(0, 0, 0, 0);
    viewLayout->addWidget(m_detail);
    viewLayout->addWidget(m_thumbs);
    viewLayout->addWidget(new QLabel(QStringLiteral("覚え書き"), view));
    viewLayout->addWidget(m_note);
    auto *noteRow = new QHBoxLayout;
    noteRow->addStretch(1);
    noteRow->addWidget(saveNote);
    viewLayout->addLayout(noteRow);
    viewLayout->addWidget(new QLabel(QStringLiteral("結果"), view));
    viewLayout->addWidget(m_outcomes);
    auto *outcomeRow = new QHBoxLayout;
    outcomeRow->addWidget(m_outcomeDate);
    outcomeRow->addWidget(m_outcome, 1);
    outcomeRow->addWidget(addOutcome);
    viewLayout->addLayout(outcomeRow);
    viewLayout->addWidget(new QLabel(QStringLiteral("振り返り"), view));
    viewLayout->addWidget(m_reminders);
    viewLayout->addLayout(remindRow);
    viewLayout->addStretch(1);
    auto *scroll = new QScrollArea(this);
    scroll->setWidget(view);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);

    auto *left = new QWidget(this);
    auto *leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->addWidget(m_grid, 1);
    auto *countRow = new QHBoxLayout;
    countRow->addWidget(m_count, 1);
    countRow->addWidget(m_allBtn);
    leftLayout->addLayout(countRow);
    auto *split = new QSplitter(Qt::Horizontal, this);
    split->addWidget(left);
    split->addWidget(scroll);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 1);
    split->setSizes({560, 520});

    const auto button = [this](const char *name, const QString &text, const QString &hint) {
        return makeToolButton(this, name, text, hint);
    };
    QPushButton *openBtn = button("OpenBtn", QStringLiteral("盤を開く"), QStringLiteral("記録した設定で盤を作り直します（Enter、ダブルクリック）"));
    QPushButton *delBtn = button("DelBtn", QStringLiteral("削除"), QStringLiteral("選んだ記録を削除します"));
    QPushButton *exportBtn = button("ExportBtn", QStringLiteral("書き出し…"), QStringLiteral("表示中の記録を JSON のファイルに書き出します"));
    QPushButton *importBtn = button("ImportBtn", QStringLiteral("取り込み…"), QStringLiteral("書き出したファイルの記録を取り込みます（同じ記録は飛ばします）"));
    QPushButton *icsBtn = button("IcsBtn", QStringLiteral("予定表に書き出す (.ics)"), QStringLiteral("期日の振り返りを予定表のファイルに書き出します"));
    QPushButton *helpBtn = button("HelpBtn", QStringLiteral("ﾍﾙﾌﾟ(&H)"), QString());
    QPushButton *closeBtn = button("CloseBtn", QStringLiteral("閉じる"), QString());
    m_startCB = new QCheckBox(QStringLiteral("起動時に期日の振り返りを知らせる"), this);
    m_startCB->setObjectName(QStringLiteral("StartCB"));
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {openBtn, delBtn, exportBtn, importBtn, icsBtn})
        buttons->addWidget(b);
    buttons->addWidget(m_startCB);
    buttons->addStretch(1);
    buttons->addWidget(helpBtn);
    buttons->addWidget(closeBtn);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(searchRow);
    layout->addLayout(filters);
    layout->addWidget(split, 1);
    layout->addLayout(buttons);

    connect(searchBtn, &QPushButton::clicked, this, &TJournalF::reload);
    connect(m_allBtn, &QPushButton::clicked, this, &TJournalF::showAllClick);
    for (QLineEdit *e : {m_search, m_from, m_to})
        connect(e, &QLineEdit::returnPressed, this, &TJournalF::reload);
    for (QLineEdit *e : m_filters)
        connect(e, &QLineEdit::returnPressed, this, &TJournalF::reload);
    connect(m_dueOnly, &QCheckBox::toggled, this, &TJournalF::reload);
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex &index) {
        const auto &rows = static_cast<EntryModel *>(m_model)->rows();
        if (index.isValid() && index.row() < static_cast<int>(rows.size()))
            showEntry(q(rows[static_cast<std::size_t>(index.row())].id));
    });
    connect(m_grid, &QTableView::doubleClicked, this, &TJournalF::OpenBtnClick);
    connect(new QShortcut(QKeySequence(Qt::Key_Return), m_grid, nullptr, nullptr, Qt::WidgetShortcut),
            &QShortcut::activated, this, &TJournalF::OpenBtnClick);
    connect(new QShortcut(QKeySequence(Qt::Key_Delete), m_grid, nullptr, nullptr, Qt::WidgetShortcut),
            &QShortcut::activated, this, &TJournalF::DelBtnClick);
    connect(new QShortcut(QKeySequence::Find, this), &QShortcut::activated, this, [this] {
        m_search->setFocus();
        m_search->selectAll();
    });
    connect(new QShortcut(QKeySequence::Save, this), &QShortcut::activated, this, &TJournalF::SaveNoteClick);
    connect(saveNote, &QPushButton::clicked, this, &TJournalF::SaveNoteClick);
    connect(addOutcome, &QPushButton::clicked, this, &TJournalF::AddOutcomeClick);
    connect(m_outcome, &QLineEdit::returnPressed, this, &TJournalF::AddOutcomeClick);
    connect(m_remindDate, &QLineEdit::returnPressed, this, [this] { RemindClick(0); });
    connect(done, &QPushButton::clicked, this, &TJournalF::DoneClick);
    connect(openBtn, &QPushButton::clicked, this, &TJournalF::OpenBtnClick);
    connect(delBtn, &QPushButton::clicked, this, &TJournalF::DelBtnClick);
    connect(exportBtn, &QPushButton::clicked, this, &TJournalF::ExportClick);
    connect(importBtn, &QPushButton::clicked, this, &TJournalF::ImportClick);
    connect(icsBtn, &QPushButton::clicked, this, &TJournalF::IcsClick);
    connect(helpBtn, &QPushButton::clicked, this, [] { showHelp(HelpJournal); });
    connect(closeBtn, &QPushButton::clicked, this, &QWidget::close);
    connect(&m_access, &JournalAccess::changed, this, [this] {
        if (isVisible())
            reload();
    });
    resize(1120, 680);
}

TJournalF::~TJournalF() = default;

Journal *TJournalF::journal()
{
    return m_access.journal(this);
}

QLineEdit *TJournalF::FilterE(int which) const
{
    return m_filters[static_cast<std::size_t>(which)];
}

int TJournalF::rowCount() const
{
    return m_model->rowCount();
}

void TJournalF::showJournal()
{
    show();
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
    reload();
    m_search->setFocus();
}

void TJournalF::showDue()
{
    const QSignalBlocker block(m_dueOnly);
    m_dueOnly->setChecked(true);
    showJournal();
}

void TJournalF::showAllClick()
{
    m_showAll = true;
    reload();
}

void TJournalF::reload()
{
    Journal *j = journal();
    if (!j)
        return;
    const QString chosen = selectedId();
    for (QLineEdit *e : {m_from, m_to}) {
        if (!e->text().trimmed().isEmpty() && !isJournalDate(s(e->text()))) {
            ui::showError(this, QStringLiteral("日付は YYYY-MM-DD の形で入力して下さい: %1").arg(e->text().trimmed()));
            e->setFocus();
            return;
        }
    }
    JournalFilter f;
    f.text = s(m_search->text());
    f.from = s(m_from->text());
    f.to = s(m_to->text());
    f.matter = s(m_filters[0]->text());
    f.direction = s(m_filters[1]->text());
    f.place = s(m_filters[2]->text());
    f.person = s(m_filters[3]->text());
    f.tag = s(m_filters[4]->text());
    std::string error;
    if (m_dueOnly->isChecked()) {
        const std::vector<DueReminder> due = j->due(s(today()), error);
        for (const DueReminder &d : due)
            if (std::find(f.ids.begin(), f.ids.end(), d.entry.id) == f.ids.end())
                f.ids.push_back(d.entry.id);
        if (f.ids.empty() && error.empty()) {
            static_cast<EntryModel *>(m_model)->setRows({});
            m_count->setText(QStringLiteral("期日の来た振り返りはありません"));
            showEntry({});
            return;
        }
    }
    if (!m_showAll)
        f.limit = ListedAtFirst + 1;
    std::vector<JournalSummary> rows = j->list(f, error);
    if (!error.empty())
        ui::showError(this, q(error));
    const bool more = !m_showAll && rows.size() > static_cast<std::size_t>(ListedAtFirst);
    if (more)
        rows.resize(static_cast<std::size_t>(ListedAtFirst));
    static_cast<EntryModel *>(m_model)->setRows(std::move(rows));
    m_allBtn->setVisible(more);
    m_count->setText(more ? QStringLiteral("新しい %1 件（すべては「すべて表示」）").arg(rowCount())
                          : QStringLiteral("%1 件").arg(rowCount()));
    if (!chosen.isEmpty())
        selectEntry(chosen);
    if (selectedId().isEmpty() && rowCount() > 0)
        m_grid->selectRow(0);
    if (rowCount() == 0)
        showEntry({});
}

QString TJournalF::selectedId() const
{
    const QModelIndex index = m_grid->selectionModel()->currentIndex();
    const auto &rows = static_cast<EntryModel *>(m_model)->rows();
    if (!index.isValid() || index.row() >= static_cast<int>(rows.size()))
        return {};
    return q(rows[static_cast<std::size_t>(index.row())].id);
}

void TJournalF::selectEntry(const QString &id)
{
    const auto &rows = static_cast<EntryModel *>(m_model)->rows();
    for (std::size_t r = 0; r < rows.size(); ++r)
        if (q(rows[r].id) == id) {
            m_grid->selectRow(static_cast<int>(r));
            m_grid->scrollTo(m_model->index(static_cast<int>(r), 0));
            showEntry(id);
            return;
        }
    showEntry(id);
}

void TJournalF::showEntry(const QString &id)
{
    m_shown.reset();
    QLayout *thumbs = m_thumbs->layout();
    while (QLayoutItem *item = thumbs->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    m_outcomes->clear();
    m_reminders->clear();
    m_note->clear();
    if (id.isEmpty() || !journal()) {
        m_detail->clear();
        return;
    }
    std::string error;
    m_shown = journal()->find(s(id), error);
    if (!m_shown) {
        m_detail->setText(q(error));
        return;
    }
    const JournalEntry &e = *m_shown;
    const auto row = [](const QString &label, const QString &value) {
        return value.isEmpty() ? QString()
                               : QStringLiteral("<tr><td style='padding-right:8px'><b>%1</b></td><td>%2</td></tr>")
                                     .arg(label, value.toHtmlEscaped());
    };
    const auto joined = [](const std::vector<std::string> &items) {
        QStringList out;
        for (const std::string &i : items)
            out << q(i);
        return out.join(QStringLiteral("、"));
    };
    QString html = QStringLiteral("<table>");
    html += row(QStringLiteral("日時"), QStringLiteral("%1（%2盤）")
                                            .arg(q(journalMomentText(e.moment)).replace(QLatin1Char('T'), QLatin1Char(' ')),
                                                 q(journalKindsText(e.kinds))));
    html += row(QStringLiteral("設定"), journalOptionsText(e));
    html += row(QStringLiteral("問い"), q(e.question));
    html += row(QStringLiteral("占事"), q(e.matter));
    html += row(QStringLiteral("方位"), q(e.direction));
    html += row(QStringLiteral("地点"), q(e.place));
    html += row(QStringLiteral("人"), joined(e.people));
    html += row(QStringLiteral("見出し"), joined(e.tags));
    html += row(QStringLiteral("記録"), QStringLiteral("%1　VELM %2").arg(q(e.created), q(e.program)));
    if (numbersHash && !e.numbersHash.empty() && numbersHash() != e.numbersHash)
        html += row(QStringLiteral("数値"), QStringLiteral("今の数値ファイルは記録の時と異なります"));
    html += QStringLiteral("</table>");
    m_detail->setText(html);
    auto *grid = static_cast<QGridLayout *>(thumbs);
    for (std::size_t i = 0; i < e.charts.size(); ++i)
        grid->addWidget(new ChartThumb(e.charts[i], m_thumbs), static_cast<int>(i / 2), static_cast<int>(i % 2));
    m_note->setPlainText(q(e.note));
    for (const JournalOutcome &o : e.outcomes)
        m_outcomes->addItem(QStringLiteral("%1　%2").arg(q(o.date), q(o.text)));
    const QString now = today();
    for (const JournalReminder &r : e.reminders) {
        auto *item = new QListWidgetItem(QStringLiteral("%1　%2").arg(
            q(r.date), r.done ? QStringLiteral("済") : q(r.date) <= now ? QStringLiteral("期日です") : QString()));
        item->setData(Qt::UserRole, q(r.date));
        m_reminders->addItem(item);
    }
}

void TJournalF::changed(const std::string &error)
{
    if (!error.empty()) {
        ui::showError(this, q(error));
        return;
    }
    const QString id = m_shown ? q(m_shown->id) : QString();
    m_access.notifyChanged();
    if (!isVisible())
        reload();
    if (!id.isEmpty())
        selectEntry(id);
}

void TJournalF::OpenBtnClick()
{
    if (!m_shown) {
        ui::showInfo(this, QStringLiteral("開く記録を選んで下さい。"));
        return;
    }
    bool recorded = false;
    if (numbersHash && numbersHash() != m_shown->numbersHash) {
        const ui::Answer a = ui::askChoice(
            this,
            QStringLiteral("今の数値ファイルは、この記録を付けた時のものと異なります。\n"
                           "盤は記録した設定で作り直します。点数はどちらで表示しますか？"),
            QStringLiteral("今の数値で"), QStringLiteral("記録した点数で"));
        if (a == ui::Answer::Cancel)
            return;
        recorded = a == ui::Answer::No;
    }
    if (openCharts)
        openCharts(*m_shown, recorded);
}

void TJournalF::DelBtnClick()
{
    if (!m_shown || !journal())
        return;
    if (!ui::askYesNo(this, QStringLiteral("記録「%1」（%2）を削除しますか？")
                                .arg(q(m_shown->question.empty() ? m_shown->id : m_shown->question),
                                     q(journalMomentText(m_shown->moment)).replace(QLatin1Char('T'), QLatin1Char(' ')))))
        return;
    const std::string error = journal()->remove(m_shown->id);
    if (!error.empty()) {
        ui::showError(this, q(error));
        return;
    }
    m_shown.reset();
    m_access.notifyChanged();
    reload();
}

void TJournalF::SaveNoteClick()
{
    if (!m_shown || !journal())
        return;
    JournalEntry e = *m_shown;
    e.note = m_note->toPlainText().toStdString();
    changed(journal()->update(e));
}

void TJournalF::AddOutcomeClick()
{
    if (!m_shown || !journal())
        return;
    const QString text = m_outcome->text().trimmed();
    if (text.isEmpty()) {
        m_outcome->setFocus();
        return;
    }
    QString date = m_outcomeDate->text().trimmed();
    if (date.isEmpty())
        date = today();
    if (!isJournalDate(s(date))) {
        ui::showError(this, QStringLiteral("日付は YYYY-MM-DD の形で入力して下さい: %1").arg(date));
        m_outcomeDate->setFocus();
        return;
    }
    const std::string error = journal()->addOutcome(m_shown->id, {s(date), s(text)});
    if (error.empty()) {
        m_outcome->clear();
        m_outcomeDate->clear();
    }
    changed(error);
    m_outcome->setFocus();
}

void TJournalF::RemindClick(int months)
{
    if (!m_shown || !journal())
        return;
    QString date = m_remindDate->text().trimmed();
    if (months > 0)
        date = q(monthsAfter(m_shown->moment, months));
    else if (!isJournalDate(s(date))) {
        ui::showError(this, QStringLiteral("振り返る日を YYYY-MM-DD の形で入力して下さい: %1").arg(date));
        m_remindDate->setFocus();
        return;
    }
    const std::string error = journal()->addReminder(m_shown->id, s(date));
    if (error.empty())
        m_remindDate->clear();
    changed(error);
}

void TJournalF::DoneClick()
{
    if (!m_shown || !journal())
        return;
    QListWidgetItem *item = m_reminders->currentItem();
    if (!item) {
        ui::showInfo(this, QStringLiteral("済にする振り返りを選んで下さい。"));
        return;
    }
    changed(journal()->setReminderDone(m_shown->id, s(item->data(Qt::UserRole).toString()), true));
}

void TJournalF::ExportClick()
{
    Journal *j = journal();
    if (!j)
        return;
    const QString path = saveFileName(this, QStringLiteral("記録.json"));
    if (path.isEmpty())
        return;
    JournalFilter f;
    for (const JournalSummary &r : static_cast<EntryModel *>(m_model)->rows())
        f.ids.push_back(r.id);
    if (f.ids.empty()) {
        ui::showError(this, QStringLiteral("書き出す記録がありません。"));
        return;
    }
    std::string json;
    std::string error = j->exportJson(f, json);
    if (error.empty())
        error = writeBytesAtomic(path.toStdString(), json);
    if (!error.empty()) {
        ui::showError(this, q(error));
        return;
    }
    ui::showSaved(this, path);
}

void TJournalF::ImportClick()
{
    Journal *j = journal();
    if (!j)
        return;
    const QString path = openFileName(this);
    if (path.isEmpty())
        return;
    std::ifstream in(path.toStdString(), std::ios::binary);
    if (!in) {
        ui::showError(this, QStringLiteral("『%1』を開けません。").arg(path));
        return;
    }
    const std::string json((std::istreambuf_iterator<char>(in)), {});
    const JournalImport result = j->importJson(json);
    if (!result.error.empty()) {
        ui::showError(this, QStringLiteral("『%1』を取り込めません。%2").arg(path, q(result.error)));
        return;
    }
    m_access.notifyChanged();
    reload();
    ui::showInfo(this, QStringLiteral("%1 件の記録を取り込みました。").arg(result.added)
                           + (result.skipped ? QStringLiteral("\n同じ記録がすでにある %1 件は飛ばしました。").arg(result.skipped)
                                             : QString()));
}

void TJournalF::IcsClick()
{
    Journal *j = journal();
    if (!j)
        return;
    std::string error;
    const QString day = today();
    const std::vector<DueReminder> due = j->due(s(day), error);
    if (!error.empty()) {
        ui::showError(this, q(error));
        return;
    }
    if (due.empty()) {
        ui::showInfo(this, QStringLiteral("%1 までに振り返る記録はありません。").arg(day));
        return;
    }
    const QString path = askSaveFile(this, QStringLiteral("予定表に書き出す"), {QStringLiteral("iCalendar (*.ics)")},
                                     QStringLiteral("ics"), QStringLiteral("振り返り.ics"));
    if (path.isEmpty())
        return;
    const std::int64_t now = std::chrono::duration_cast<std::chrono::seconds>(
                                 std::chrono::system_clock::now().time_since_epoch())
                                 .count();
    error = writeJournalIcs(path.toStdString(), due, now);
    if (!error.empty())
        ui::showError(this, q(error));
    else
        ui::showSaved(this, path);
}

void TJournalF::closeEvent(QCloseEvent *event)
{
    // A note typed and not saved is not lost by closing.
    if (m_shown && m_note->toPlainText().toStdString() != m_shown->note && journal()) {
        JournalEntry e = *m_shown;
        e.note = m_note->toPlainText().toStdString();
        const std::string error = journal()->update(e);
        if (!error.empty()) {
            ui::showError(this, q(error));
            event->ignore();
            return;
        }
        m_shown = e;
        m_access.notifyChanged();
    }
    QWidget::closeEvent(event);
}

} // namespace velm
