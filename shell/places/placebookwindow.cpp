#include "shell/common/toolbutton.h"
#include "shell/places/placebookwindow.h"

#include <cmath>

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "shell/common/helpwindow.h"
#include "shell/common/messages.h"
#include "shell/common/strings.h"

namespace velm {
namespace {

constexpr int CityRole = Qt::UserRole + 1;

QString degrees(double v)
{
    return QString::number(v, 'f', 5);
}

} // namespace

// --- adding and editing ----------------------------------------------------------------------

TPlaceEditF::TPlaceEditF(PlaceAccess &places, const std::optional<Place> &editing, QWidget *parent)
    : QDialog(parent), m_access(places), m_editing(editing.has_value())
{
    setObjectName(QStringLiteral("PlaceEditF"));
    setWindowTitle(m_editing ? QStringLiteral("地点の変更") : QStringLiteral("地点の追加"));
    setHelpTopic(this, HelpPlaceBook);
    if (editing)
        m_place = *editing;

    m_nameE = new QLineEdit(this);
    m_nameE->setObjectName(QStringLiteral("NameE"));
    m_coordE = new QLineEdit(this);
    m_coordE->setObjectName(QStringLiteral("CoordE"));
    m_coordE->setPlaceholderText(QStringLiteral("35.6895, 139.6917　または　35°41'22\"N 139°46'1\"E"));
    m_coordE->setMinimumWidth(m_coordE->fontMetrics().horizontalAdvance(m_coordE->placeholderText()) + 16);
    m_coordE->setToolTip(QStringLiteral("緯度と経度：10進の度、または度分秒（北緯・東経、N/S/E/W も使えます）"));
    m_findE = new QLineEdit(this);
    m_findE->setObjectName(QStringLiteral("FindE"));
    m_findE->setPlaceholderText(QStringLiteral("都市名（例：大阪、札幌、Paris）"));
    auto *findBtn = new QPushButton(QStringLiteral("検索"), this);
    findBtn->setObjectName(QStringLiteral("FindBtn"));
    findBtn->setAutoDefault(false);
    m_cityList = new QListWidget(this);
    m_cityList->setObjectName(QStringLiteral("CityList"));
    m_cityList->setMinimumHeight(5 * fontMetrics().lineSpacing());
    m_noteE = new QLineEdit(this);
    m_noteE->setObjectName(QStringLiteral("NoteE"));
    m_homeCB = new QCheckBox(QStringLiteral("基点にする（方位を測る起点。住んでいる所）"), this);
    m_homeCB->setObjectName(QStringLiteral("HomeCB"));

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("名前"), m_nameE);
    if (!m_editing) {
        auto *find = new QHBoxLayout;
        find->addWidget(m_findE, 1);
        find->addWidget(findBtn);
        form->addRow(QStringLiteral("地名から"), find);
        form->addRow(QString(), m_cityList);
    }
    form->addRow(QStringLiteral("座標"), m_coordE);
    form->addRow(QStringLiteral("メモ"), m_noteE);
    if (!m_editing)
        form->addRow(QString(), m_homeCB);
    else {
        m_findE->hide();
        findBtn->hide();
        m_cityList->hide();
        m_homeCB->hide();
        m_coordE->setEnabled(false);
        m_nameE->setText(qs(m_place.name));
        m_coordE->setText(QStringLiteral("%1, %2").arg(degrees(m_place.lat), degrees(m_place.lon)));
        m_noteE->setText(qs(m_place.note));
    }
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("ｷｬﾝｾﾙ"));
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &TPlaceEditF::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TPlaceEditF::reject);
    connect(findBtn, &QPushButton::clicked, this, &TPlaceEditF::FindBtnClick);
    connect(m_findE, &QLineEdit::returnPressed, this, &TPlaceEditF::FindBtnClick);
    connect(m_cityList, &QListWidget::currentItemChanged, this, [this](QListWidgetItem *item) {
        if (!item)
            return;
        const QStringList city = item->data(CityRole).toStringList();
        if (city.size() != 3)
            return;
        if (m_nameE->text().trimmed().isEmpty() || m_nameE->property("fromCity").toBool()) {
            m_nameE->setText(city[0]);
            m_nameE->setProperty("fromCity", true);
        }
        m_coordE->setText(city[1] + QStringLiteral(", ") + city[2]);
    });
    connect(m_nameE, &QLineEdit::textEdited, this, [this] { m_nameE->setProperty("fromCity", false); });
}

void TPlaceEditF::FindBtnClick()
{
    m_cityList->clear();
    // With nothing typed under 地名から, the name typed above is looked up.
    if (m_findE->text().trimmed().isEmpty())
        m_findE->setText(m_nameE->text().trimmed());
    const QString name = m_findE->text().trimmed();
    if (name.isEmpty())
        return;
    const Gazetteer *gazetteer = m_access.gazetteer(this);
    if (!gazetteer)
        return;
    const std::vector<GazetteerCity> cities = gazetteer->find(name.toStdString());
    if (cities.empty()) {
        ui::showInfo(this, QStringLiteral("「%1」という都市は見つかりません。座標で入力して下さい。").arg(name));
        return;
    }
    for (const GazetteerCity &city : cities) {
        auto *item = new QListWidgetItem(qs(city.label()), m_cityList);
        item->setData(CityRole, QStringList{qs(city.name), degrees(city.lat), degrees(city.lon)});
    }
    // One city: chosen at once; several: the user picks.
    if (cities.size() == 1)
        m_cityList->setCurrentRow(0);
}

void TPlaceEditF::accept()
{
    Place p = m_place;
    p.name = m_nameE->text().trimmed().toStdString();
    p.note = m_noteE->text().trimmed().toStdString();
    if (p.name.empty()) {
        ui::showError(this, QStringLiteral("地点の名前を入力して下さい。"));
        return;
    }
    if (!m_editing) {
        std::string error;
        const std::optional<GeoPoint> at = parseCoordinates(m_coordE->text().toStdString(), error);
        if (!at) {
            ui::showError(this, m_coordE->text().trimmed().isEmpty()
                                    ? QStringLiteral("座標を入力するか、地名から選んで下さい。")
                                    : qs(error));
            return;
        }
        p.lat = at->lat;
        p.lon = at->lon;
        p.home = m_homeCB->isChecked();
    }
    m_place = p;
    QDialog::accept();
}

// --- the book --------------------------------------------------------------------------------

TPlaceF::TPlaceF(PlaceAccess &places, QWidget *parent) : QWidget(parent, Qt::Window), m_access(places)
{
    setObjectName(QStringLiteral("PlaceF"));
    setWindowTitle(QStringLiteral("地点帳"));
    setHelpTopic(this, HelpPlaceBook);

    m_grid = new QTableWidget(0, 6, this);
    m_grid->setObjectName(QStringLiteral("PlaceGrid"));
    m_grid->setHorizontalHeaderLabels({QStringLiteral("基点"), QStringLiteral("名前"), QStringLiteral("緯度"),
                                       QStringLiteral("経度"), QStringLiteral("基点からの方位"), QStringLiteral("メモ")});
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->verticalHeader()->hide();
    m_grid->horizontalHeader()->setStretchLastSection(true);

    const auto button = [this](const char *name, const QString &text, const QString &hint) {
        return makeToolButton(this, name, text, hint);
    };
    QPushButton *addBtn = button("AddBtn", QStringLiteral("追加…"), QStringLiteral("座標か地名で地点を登録します"));
    QPushButton *editBtn = button("EditBtn", QStringLiteral("変更…"), QStringLiteral("選んだ地点の名前とメモを変更します"));
    QPushButton *delBtn = button("DelBtn", QStringLiteral("削除"), QStringLiteral("選んだ地点を削除します"));
    QPushButton *homeBtn = button("HomeBtn", QStringLiteral("基点にする"), QStringLiteral("選んだ地点を方位の起点（基点）にします"));
    QPushButton *destBtn = button("DestBtn", QStringLiteral("目的地にする"),
                                  QStringLiteral("選んだ地点を目的地にし、遁甲盤でその方位の宮を枠で囲みます"));
    QPushButton *mapBtn = button("MapBtn", QStringLiteral("地図で見る"), QStringLiteral("方位地図で選んだ地点を示します"));
    QPushButton *closeBtn = button("CloseBtn", QStringLiteral("閉じる"), QString());
    QPushButton *helpBtn = button("HelpBtn", QStringLiteral("ﾍﾙﾌﾟ(&H)"), QString());

    auto *buttons = new QVBoxLayout;
    for (QPushButton *b : {addBtn, editBtn, delBtn, homeBtn, destBtn, mapBtn})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(helpBtn);
    buttons->addWidget(closeBtn);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(m_grid, 1);
    layout->addLayout(buttons);

    connect(addBtn, &QPushButton::clicked, this, &TPlaceF::AddBtnClick);
    connect(editBtn, &QPushButton::clicked, this, &TPlaceF::EditBtnClick);
    connect(delBtn, &QPushButton::clicked, this, &TPlaceF::DelBtnClick);
    connect(homeBtn, &QPushButton::clicked, this, &TPlaceF::HomeBtnClick);
    connect(destBtn, &QPushButton::clicked, this, &TPlaceF::DestBtnClick);
    connect(mapBtn, &QPushButton::clicked, this, [this] {
        if (showOnMap)
            showOnMap(selectedName());
    });
    connect(closeBtn, &QPushButton::clicked, this, &QWidget::close);
    connect(helpBtn, &QPushButton::clicked, this, [] { showHelp(HelpPlaceBook); });
    connect(m_grid, &QTableWidget::cellDoubleClicked, this, [this] { EditBtnClick(); });
    for (auto signal : {&PlaceAccess::changed, &PlaceAccess::settingsChanged})
        connect(&m_access, signal, this, [this] {
            if (isVisible())
                reload();
        });

    runDialog = [](TPlaceEditF &dialog) { return dialog.exec(); };
    resize(820, 420);
}

void TPlaceF::showPlaces()
{
    show();
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
    reload();
}

void TPlaceF::reload()
{
    const QString chosen = selectedName();
    m_places = m_access.places(this);
    std::optional<Place> home;
    for (const Place &p : m_places)
        if (p.home)
            home = p;
    const BearingSettings settings = readBearingSettings(m_access.store());
    m_grid->setRowCount(static_cast<int>(m_places.size()));
    for (int r = 0; r < static_cast<int>(m_places.size()); ++r) {
        const Place &p = m_places[std::size_t(r)];
        QString direction;
        if (home && !p.home) {
            QString error;
            const std::optional<PlaceBearing> b = m_access.bearing(*home, p, settings, nullptr, &error);
            direction = b ? bearingText(*b) : error;
        }
        const QStringList cells{p.home ? QStringLiteral("◎") : QString(), qs(p.name), degrees(p.lat), degrees(p.lon),
                                direction, qs(p.note)};
        for (int c = 0; c < cells.size(); ++c) {
            auto *item = new QTableWidgetItem(cells[c]);
            if (c == 0)
                item->setTextAlignment(Qt::AlignCenter);
            if (c == 2 || c == 3)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_grid->setItem(r, c, item);
        }
        if (qs(p.name) == chosen)
            m_grid->selectRow(r);
    }
    m_grid->resizeColumnsToContents();
}

QString TPlaceF::selectedName() const
{
    const int row = m_grid->currentRow();
    if (row < 0 || row >= m_grid->rowCount() || !m_grid->item(row, 1))
        return {};
    return m_grid->item(row, 1)->text();
}

void TPlaceF::changed(const std::string &error)
{
    if (!error.empty())
        ui::showError(this, qs(error));
    reload();
    m_access.notifyChanged();
}

void TPlaceF::AddBtnClick()
{
    PlaceBook *book = m_access.book(this);
    if (!book)
        return;
    TPlaceEditF dialog(m_access, std::nullopt, this);
    if (runDialog(dialog) != QDialog::Accepted)
        return;
    changed(book->add(dialog.place()));
    for (int r = 0; r < m_grid->rowCount(); ++r)
        if (m_grid->item(r, 1)->text() == qs(dialog.place().name))
            m_grid->selectRow(r);
}

void TPlaceF::EditBtnClick()
{
    const QString name = selectedName();
    PlaceBook *book = name.isEmpty() ? nullptr : m_access.book(this);
    if (!book)
        return;
    std::string error;
    const std::optional<Place> place = book->find(name.toStdString(), error);
    if (!place) {
        changed(error.empty() ? "地点「" + name.toStdString() + "」は登録されていません。" : error);
        return;
    }
    TPlaceEditF dialog(m_access, place, this);
    if (runDialog(dialog) != QDialog::Accepted)
        return;
    changed(book->edit(place->name, dialog.place().name, dialog.place().note));
}

void TPlaceF::DelBtnClick()
{
    const QString name = selectedName();
    PlaceBook *book = name.isEmpty() ? nullptr : m_access.book(this);
    if (!book || !ui::askYesNo(this, QStringLiteral("地点「%1」を削除してよろしいですか？").arg(name)))
        return;
    changed(book->remove(name.toStdString()));
}

void TPlaceF::HomeBtnClick()
{
    const QString name = selectedName();
    PlaceBook *book = name.isEmpty() ? nullptr : m_access.book(this);
    if (!book)
        return;
    changed(book->setHome(name.toStdString()));
}

void TPlaceF::DestBtnClick()
{
    const QString name = selectedName();
    if (name.isEmpty() || !chooseDestination)
        return;
    const std::optional<Place> home = m_access.home(this);
    if (!home) {
        ui::showError(this, QStringLiteral("基点が決まっていません。先に基点にする地点を選んで「基点にする」を押して下さい。"));
        return;
    }
    for (const Place &p : m_places)
        if (qs(p.name) == name) {
            if (p.home) {
                ui::showError(this, QStringLiteral("基点は目的地にできません。"));
                return;
            }
            const std::optional<PlaceBearing> b = m_access.bearing(*home, p, readBearingSettings(m_access.store()), this);
            if (!b)
                return;
            const int palace = chooseDirection(this, name, *b);
            if (palace > 0)
                chooseDestination(palace, name);
        }
}

} // namespace velm
