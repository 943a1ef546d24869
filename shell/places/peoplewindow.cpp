#include "shell/common/toolbutton.h"
#include "shell/places/peoplewindow.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "engine/symbols.h"
#include "shell/common/goingpeople.h"
#include "shell/common/helpwindow.h"
#include "shell/common/messages.h"
#include "shell/common/strings.h"

namespace velm {
namespace {

enum Column { GoingCol, NameCol, BirthCol, HonmeiCol, GetsumeiCol, HomeCol, NoteCol, ColumnCount };

QString starName(int star)
{
    return star >= 0 && star < 9 ? qs(NineStarName[static_cast<std::size_t>(star)]) : QStringLiteral("？");
}

QString birthShown(const CivilTime &t)
{
    return QStringLiteral("%1/%2/%3 %4:%5")
        .arg(t.year, 4, 10, QLatin1Char('0'))
        .arg(t.month, 2, 10, QLatin1Char('0'))
        .arg(t.day, 2, 10, QLatin1Char('0'))
        .arg(t.hour, 2, 10, QLatin1Char('0'))
        .arg(t.minute, 2, 10, QLatin1Char('0'));
}

} // namespace

// --- adding and editing ----------------------------------------------------------------------

TPersonEditF::TPersonEditF(const std::vector<Place> &places, const std::optional<Person> &editing, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("PersonEditF"));
    setWindowTitle(editing ? QStringLiteral("人物の変更") : QStringLiteral("人物の追加"));
    setHelpTopic(this, HelpPeople);
    if (editing)
        m_person = *editing;
    else
        m_person.birth = CivilTime{1980, 1, 1, 12, 0, 0};

    m_nameE = new QLineEdit(this);
    m_nameE->setObjectName(QStringLiteral("NameE"));
    m_dateE = new QDateEdit(this);
    m_dateE->setObjectName(QStringLiteral("BirthDateE"));
    m_dateE->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    m_dateE->setCalendarPopup(true);
    m_dateE->setDateRange(QDate(1, 1, 1), QDate(9999, 12, 31));
    m_timeE = new QTimeEdit(this);
    m_timeE->setObjectName(QStringLiteral("BirthTimeE"));
    m_timeE->setDisplayFormat(QStringLiteral("HH:mm"));
    m_timeE->setToolTip(QStringLiteral("生まれた時刻（分からなければ 12:00）。暦の設定の時計で読みます"));
    m_homeCB = new QComboBox(this);
    m_homeCB->setObjectName(QStringLiteral("HomeCB"));
    m_homeCB->addItem(QStringLiteral("（なし）"), QVariant());
    for (const Place &p : places) {
        m_homeCB->addItem(qs(p.name), QVariant::fromValue<qlonglong>(p.id));
        if (m_person.homePlace && *m_person.homePlace == p.id)
            m_homeCB->setCurrentIndex(m_homeCB->count() - 1);
    }
    m_noteE = new QLineEdit(this);
    m_noteE->setObjectName(QStringLiteral("NoteE"));

    m_nameE->setText(qs(m_person.name));
    m_dateE->setDate(QDate(m_person.birth.year, m_person.birth.month, m_person.birth.day));
    m_timeE->setTime(QTime(m_person.birth.hour, m_person.birth.minute));
    m_noteE->setText(qs(m_person.note));

    auto *birth = new QHBoxLayout;
    birth->addWidget(m_dateE, 1);
    birth->addWidget(m_timeE);
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("名前"), m_nameE);
    form->addRow(QStringLiteral("生年月日・時刻"), birth);
    form->addRow(QStringLiteral("自宅"), m_homeCB);
    form->addRow(QStringLiteral("メモ"), m_noteE);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("ｷｬﾝｾﾙ"));
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &TPersonEditF::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TPersonEditF::reject);
}

void TPersonEditF::accept()
{
    Person p = m_person;
    p.name = m_nameE->text().trimmed().toStdString();
    p.note = m_noteE->text().trimmed().toStdString();
    if (p.name.empty()) {
        ui::showError(this, QStringLiteral("人物の名前を入力して下さい。"));
        return;
    }
    const QDate d = m_dateE->date();
    const QTime t = m_timeE->time();
    p.birth = CivilTime{d.year(), d.month(), d.day(), t.hour(), t.minute(), 0};
    const QVariant home = m_homeCB->currentData();
    if (home.isValid())
        p.homePlace = home.toLongLong();
    else
        p.homePlace.reset();
    m_person = p;
    QDialog::accept();
}

// --- the list --------------------------------------------------------------------------------

TPeopleF::TPeopleF(PlaceAccess &places, std::function<KoyomiOptions()> calendar, QWidget *parent)
    : QWidget(parent, Qt::Window), m_access(places), m_calendar(std::move(calendar))
{
    setObjectName(QStringLiteral("PeopleF"));
    setWindowTitle(QStringLiteral("人物"));
    setHelpTopic(this, HelpPeople);

    m_grid = new QTableWidget(0, ColumnCount, this);
    m_grid->setObjectName(QStringLiteral("PeopleGrid"));
    m_grid->setHorizontalHeaderLabels({QStringLiteral("同行"), QStringLiteral("名前"), QStringLiteral("生年月日・時刻"),
                                       QStringLiteral("本命星"), QStringLiteral("月命星"), QStringLiteral("自宅"),
                                       QStringLiteral("メモ")});
    m_grid->horizontalHeaderItem(GoingCol)->setToolTip(
        QStringLiteral("印を付けた人の凶方位を遁甲盤に示し、検索・カレンダー・ヒートマップで除けます"));
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->verticalHeader()->hide();
    m_grid->horizontalHeader()->setStretchLastSection(true);

    const auto button = [this](const char *name, const QString &text, const QString &hint) {
        return makeToolButton(this, name, text, hint);
    };
    QPushButton *addBtn = button("AddBtn", QStringLiteral("追加…"), QStringLiteral("人物を登録します"));
    QPushButton *editBtn = button("EditBtn", QStringLiteral("変更…"), QStringLiteral("選んだ人物を変更します"));
    QPushButton *delBtn = button("DelBtn", QStringLiteral("削除"), QStringLiteral("選んだ人物を削除します"));
    QPushButton *helpBtn = button("HelpBtn", QStringLiteral("ﾍﾙﾌﾟ(&H)"), QString());
    QPushButton *closeBtn = button("CloseBtn", QStringLiteral("閉じる"), QString());
    auto *note = new QLabel(QStringLiteral("「同行」に印を付けた人の凶方位（五黄殺・暗剣殺・本命殺・本命的殺・破）を"
                                           "遁甲盤に示します。"),
                            this);
    note->setWordWrap(true);

    auto *buttons = new QVBoxLayout;
    for (QPushButton *b : {addBtn, editBtn, delBtn})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(helpBtn);
    buttons->addWidget(closeBtn);
    auto *left = new QVBoxLayout;
    left->addWidget(m_grid, 1);
    left->addWidget(note);
    auto *layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(buttons);

    connect(addBtn, &QPushButton::clicked, this, &TPeopleF::AddBtnClick);
    connect(editBtn, &QPushButton::clicked, this, &TPeopleF::EditBtnClick);
    connect(delBtn, &QPushButton::clicked, this, &TPeopleF::DelBtnClick);
    connect(closeBtn, &QPushButton::clicked, this, &QWidget::close);
    connect(helpBtn, &QPushButton::clicked, this, [] { showHelp(HelpPeople); });
    connect(m_grid, &QTableWidget::cellDoubleClicked, this, [this](int, int column) {
        if (column != GoingCol)
            EditBtnClick();
    });
    connect(m_grid, &QTableWidget::itemChanged, this, [this](QTableWidgetItem *item) {
        if (!m_filling && item->column() == GoingCol)
            saveGoing();
    });
    // A renamed or removed place shows in the home column.
    connect(&m_access, &PlaceAccess::changed, this, [this] {
        if (isVisible())
            reload();
    });

    runDialog = [](TPersonEditF &dialog) { return dialog.exec(); };
    resize(760, 360);
}

People *TPeopleF::people()
{
    if (!m_people) {
        PlaceBook *book = m_access.book(this);
        if (!book)
            return nullptr;
        m_people.emplace(*book);
    }
    return &*m_people;
}

void TPeopleF::showPeople()
{
    show();
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
    reload();
}

void TPeopleF::reload()
{
    People *book = people();
    if (!book)
        return;
    const QString chosen = selectedName();
    std::string error;
    const std::vector<Person> list = book->list(error);
    if (!error.empty())
        ui::showError(this, qs(error));
    const KoyomiOptions options = m_calendar ? m_calendar() : KoyomiOptions{};
    std::vector<GoingPerson> going;
    m_filling = true;
    m_grid->setRowCount(static_cast<int>(list.size()));
    for (int r = 0; r < static_cast<int>(list.size()); ++r) {
        const Person &p = list[std::size_t(r)];
        const PersonStars stars = personStars(p, options);
        const QStringList cells{QString(),
                                qs(p.name),
                                birthShown(p.birth),
                                stars.ok() ? starName(stars.stars.honmei) : QStringLiteral("？"),
                                stars.ok() ? starName(stars.stars.getsumei) : QStringLiteral("？"),
                                p.homePlace ? qs(p.homeName) : QString(),
                                qs(p.note)};
        for (int c = 0; c < ColumnCount; ++c) {
            auto *item = new QTableWidgetItem(cells[c]);
            if (c == GoingCol) {
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
                item->setCheckState(p.going ? Qt::Checked : Qt::Unchecked);
            }
            if (!stars.ok())
                item->setToolTip(qs(stars.error));
            m_grid->setItem(r, c, item);
        }
        if (p.going && stars.ok())
            going.push_back({qs(p.name), stars.stars.honmei, stars.stars.getsumei});
        if (qs(p.name) == chosen)
            m_grid->selectRow(r);
    }
    m_filling = false;
    m_grid->resizeColumnsToContents();
    GoingPeople::instance().set(std::move(going));
}

QString TPeopleF::selectedName() const
{
    const int row = m_grid->currentRow();
    if (row < 0 || row >= m_grid->rowCount() || !m_grid->item(row, NameCol))
        return {};
    return m_grid->item(row, NameCol)->text();
}

void TPeopleF::changed(const std::string &error)
{
    if (!error.empty())
        ui::showError(this, qs(error));
    reload();
}

void TPeopleF::saveGoing()
{
    People *book = people();
    if (!book)
        return;
    std::vector<std::string> names;
    for (int r = 0; r < m_grid->rowCount(); ++r)
        if (m_grid->item(r, GoingCol)->checkState() == Qt::Checked)
            names.push_back(m_grid->item(r, NameCol)->text().toStdString());
    changed(book->setGoing(names));
}

void TPeopleF::AddBtnClick()
{
    People *book = people();
    if (!book)
        return;
    TPersonEditF dialog(m_access.places(this), std::nullopt, this);
    if (runDialog(dialog) != QDialog::Accepted)
        return;
    changed(book->add(dialog.person()));
    for (int r = 0; r < m_grid->rowCount(); ++r)
        if (m_grid->item(r, NameCol)->text() == qs(dialog.person().name))
            m_grid->selectRow(r);
}

void TPeopleF::EditBtnClick()
{
    const QString name = selectedName();
    People *book = name.isEmpty() ? nullptr : people();
    if (!book)
        return;
    std::string error;
    const std::optional<Person> person = book->find(name.toStdString(), error);
    if (!person) {
        changed(error.empty() ? "人物「" + name.toStdString() + "」は登録されていません。" : error);
        return;
    }
    TPersonEditF dialog(m_access.places(this), person, this);
    if (runDialog(dialog) != QDialog::Accepted)
        return;
    changed(book->edit(person->name, dialog.person()));
}

void TPeopleF::DelBtnClick()
{
    const QString name = selectedName();
    People *book = name.isEmpty() ? nullptr : people();
    if (!book || !ui::askYesNo(this, QStringLiteral("人物「%1」を削除してよろしいですか？").arg(name)))
        return;
    changed(book->remove(name.toStdString()));
}

void publishGoingPeople(PlaceAccess &places, const KoyomiOptions &options)
{
    // Only an existing book is read: a first start makes no file.
    if (!QFileInfo::exists(places.databasePath()))
        return;
    std::string error;
    const std::unique_ptr<PlaceBook> book = PlaceBook::open(places.databasePath().toStdString(), error);
    if (!book)
        return;
    std::vector<GoingPerson> going;
    for (const Person &p : People(*book).list(error)) {
        const PersonStars stars = personStars(p, options);
        if (p.going && stars.ok())
            going.push_back({qs(p.name), stars.stars.honmei, stars.stars.getsumei});
    }
    GoingPeople::instance().set(std::move(going));
}

} // namespace velm
