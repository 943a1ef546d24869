// The direction map and the place book as the main window opens them, over
// a place book in a scratch program folder: places stand where their
// geodesic direction from the home base points, a click names the bearing,
// "この方位で検索" opens the search at that direction and outlines the
// palace in the charts, and the place book writes through the database and
// refuses a damaged or busy one without touching it.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>

#include <sqlite3.h>

#include "output/placebook.h"
#include "shell/app/startwindows.h"
#include "shell/charts/chartwindow.h"
#include "shell/common/goingpeople.h"
#include "shell/lists/calendarwindow.h"
#include "shell/lists/heatmapwindow.h"
#include "shell/main/mainwindow.h"
#include "shell/places/directionmap.h"
#include "shell/places/peoplewindow.h"
#include "shell/places/placebookwindow.h"
#include "shell/runs/searchdialog.h"
#include "shell/settings/appsettings.h"
#include "clipping.h"
#include "shell_fixtures.h"

using namespace velm;

namespace {

Place place(const char *name, double lat, double lon, bool home = false)
{
    Place p;
    p.name = name;
    p.lat = lat;
    p.lon = lon;
    p.home = home;
    return p;
}

// The main window with its windows over a scratch folder whose place book
// holds Tokyo (home), Osaka (west, 255.5°), a place due north, one east
// (88.5°) and one at 21° (1.5° from the 北/北東 edge).
struct Started {
    ScratchProgram program;
    QTemporaryDir config;
    RecordedMessages messages;
    AppSettings settings{program.path(), config.path()};
    TMainF main{settings};
    std::unique_ptr<StartWindows> windows;

    explicit Started(bool withPlaces = true)
    {
        if (withPlaces) {
            std::string error;
            auto book = PlaceBook::open(databasePath().toStdString(), error);
            EXPECT_TRUE(book) << error;
            for (const Place &p : {place("東京", 35.6812, 139.7671, true), place("大阪", 34.6937, 135.5022),
                                   place("北の地", 45.0, 139.7671), place("東の地", 35.6812, 145.0),
                                   place("境の地", 42.36058742, 143.24018844)})
                EXPECT_EQ(book->add(p), "");
        }
        windows = makeStartWindows(main, settings);
        main.showAtStart();
        main.setMoment(CivilTime{2024, 3, 1, 12, 0, 0});
    }
    ~Started()
    {
        TBanF::setDestination(0, {});
        GoingPeople::instance().set({});
    }
    QString databasePath() const { return program.filePath(QLatin1String(PlaceBookFile)); }

    template <class Window>
    Window *open(const char *action)
    {
        QAction *a = main.findChild<QAction *>(QLatin1String(action));
        EXPECT_TRUE(a) << action;
        if (!a)
            return nullptr;
        a->trigger();
        QApplication::processEvents();
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *window = qobject_cast<Window *>(w); window && window->isVisible())
                return window;
        return nullptr;
    }
};

int indexOf(const MapCanvas &canvas, const char *name)
{
    for (std::size_t i = 0; i < canvas.places().size(); ++i)
        if (canvas.places()[i].name == name)
            return static_cast<int>(i);
    return -1;
}

void clickPlace(TMapF &map, const char *name)
{
    const int i = indexOf(*map.findChild<MapCanvas *>(QStringLiteral("MapCanvas")), name);
    ASSERT_GE(i, 0) << name;
    QTest::mouseClick(map.findChild<MapCanvas *>(QStringLiteral("MapCanvas")), Qt::LeftButton, {}, map.findChild<MapCanvas *>(QStringLiteral("MapCanvas"))->screenOf(i).toPoint());
}

} // namespace

TEST(DirectionMap, PlacesStandInTheirDirectionFromTheHomeBase)
{
    Started s;
    TMapF *map = s.open<TMapF>("MapItem");
    ASSERT_TRUE(map);
    MapCanvas &canvas = *map->findChild<MapCanvas *>(QStringLiteral("MapCanvas"));
    const QPointF centre = QRectF(canvas.rect()).center();
    const QPointF home = canvas.screenOf(indexOf(canvas, "東京"));
    EXPECT_NEAR(home.x(), centre.x(), 1);
    EXPECT_NEAR(home.y(), centre.y(), 1);
    const QPointF north = canvas.screenOf(indexOf(canvas, "北の地"));
    EXPECT_NEAR(north.x(), home.x(), 0.5);
    EXPECT_LT(north.y(), home.y() - 20);
    // Due east on the map, a little north of it (the geodesic leaves at 88.5°).
    const QPointF east = canvas.screenOf(indexOf(canvas, "東の地"));
    EXPECT_GT(east.x(), home.x() + 20);
    EXPECT_LT(east.y(), home.y());
    EXPECT_GT(std::atan2(home.y() - east.y(), east.x() - home.x()), 0);
    EXPECT_LT(std::atan2(home.y() - east.y(), east.x() - home.x()) * 180 / M_PI, 22.5);
    const QPointF osaka = canvas.screenOf(indexOf(canvas, "大阪"));
    EXPECT_LT(osaka.x(), home.x());
    EXPECT_GT(osaka.y(), home.y());
    // A pan moves every mark alike; the whole view comes back.
    canvas.panBy(QPointF(40, -30));
    EXPECT_NEAR(canvas.screenOf(indexOf(canvas, "東京")).x(), home.x() + 40, 0.5);
    QTest::mouseClick(map->findChild<QPushButton *>(QStringLiteral("FitBtn")), Qt::LeftButton);
    EXPECT_NEAR(canvas.screenOf(indexOf(canvas, "東京")).y(), home.y(), 0.5);
    // The keyboard zooms and pans about the middle; Home shows every place again.
    const double scale = canvas.pixelsPerKm();
    QTest::keyClick(&canvas, Qt::Key_Plus);
    EXPECT_NEAR(canvas.pixelsPerKm(), scale * 1.25, 1e-9);
    QTest::keyClick(&canvas, Qt::Key_Left);
    EXPECT_GT(canvas.screenOf(indexOf(canvas, "東京")).x(), home.x() + 50);
    QTest::keyClick(&canvas, Qt::Key_Home);
    EXPECT_NEAR(canvas.pixelsPerKm(), scale, 1e-9);
    EXPECT_EQ(clippedReport(map), "");
    EXPECT_TRUE(s.messages.texts.isEmpty()) << s.messages.all().toStdString();
}

TEST(DirectionMap, AClickedPlaceShowsItsBearingAndTheSearchOpensThere)
{
    Started s;
    TMapF *map = s.open<TMapF>("MapItem");
    ASSERT_TRUE(map);
    EXPECT_FALSE(map->findChild<QPushButton *>(QStringLiteral("SearchBtn"))->isEnabled());
    // No destination yet: no palace outlined, the centre neither.
    s.main.BanBtnClick();
    ASSERT_FALSE(s.main.charts()->chartWindows().isEmpty());
    for (int palace = 0; palace < 9; ++palace)
        EXPECT_FALSE(s.main.charts()->chartWindows().first()->outlines(palace)) << palace;
    clickPlace(*map, "大阪");
    const QString info = map->findChild<QLabel *>(QStringLiteral("InfoL"))->text();
    EXPECT_TRUE(info.startsWith(QStringLiteral("大阪：255.5°（西）、403.6 km、境界まで 8.0°"))) << info.toStdString();
    EXPECT_FALSE(info.contains(QStringLiteral("境界付近")));
    ASSERT_TRUE(map->findChild<QPushButton *>(QStringLiteral("SearchBtn"))->isEnabled());

    // The search dialog opens modally at 西 (palace index 2); the test closes it.
    int shownDirection = -1;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<TSrcSF *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        shownDirection = dialog->HouiBox()->currentIndex();
        dialog->reject();
    });
    QTest::mouseClick(map->findChild<QPushButton *>(QStringLiteral("SearchBtn")), Qt::LeftButton);
    EXPECT_EQ(shownDirection, 2);
    // The destination's palace is outlined in the charts made now.
    s.main.BanBtnClick();
    ASSERT_FALSE(s.main.charts()->chartWindows().isEmpty());
    for (TBanF *chart : s.main.charts()->chartWindows())
        for (int palace = 0; palace < 9; ++palace)
            EXPECT_EQ(chart->outlines(palace), palace == 2) << palace;

    // The calendar opens with 西's scores alone; its own command shows every direction again.
    QTest::mouseClick(map->findChild<QPushButton *>(QStringLiteral("CaleBtn")), Qt::LeftButton);
    TCaleF *calendar = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *c = qobject_cast<TCaleF *>(w); c && c->isVisible())
            calendar = c;
    ASSERT_TRUE(calendar);
    QStringList shown;
    for (int c = 5; c <= 13; ++c)
        if (!calendar->findChild<QTableView *>(QStringLiteral("CSG"))->isColumnHidden(c))
            shown << calendar->findChild<QTableView *>(QStringLiteral("CSG"))->model()->headerData(c, Qt::Horizontal).toString().trimmed();
    EXPECT_EQ(shown, QStringList{QStringLiteral("西")});
    EXPECT_EQ(calendar->windowTitle(), QStringLiteral("数値カレンダー（大阪の方位：西）"));
    calendar->showCalendar();
    EXPECT_FALSE(calendar->findChild<QTableView *>(QStringLiteral("CSG"))->isColumnHidden(5));
    calendar->close();

    // Near an edge the user picks the sector; "no" takes the neighbour 北東 (palace 3).
    clickPlace(*map, "境の地");
    EXPECT_TRUE(map->findChild<QLabel *>(QStringLiteral("InfoL"))->text().contains(QStringLiteral("境界付近（北／北東）"))) << map->findChild<QLabel *>(QStringLiteral("InfoL"))->text().toStdString();
    s.messages.answer = ui::Answer::No;
    QTest::mouseClick(map->findChild<QPushButton *>(QStringLiteral("DestBtn")), Qt::LeftButton);
    EXPECT_TRUE(s.messages.saw(QStringLiteral("北と北東の境界付近")));
    EXPECT_EQ(TBanF::destinationPalace(), 3);
    EXPECT_TRUE(s.main.charts()->chartWindows().first()->outlines(3));
    // The 30°/60° division: 21° lies inside 北東 (15°–75°) with room.
    map->findChild<QComboBox *>(QStringLiteral("DivBox"))->setCurrentIndex(1);
    EXPECT_TRUE(map->findChild<QLabel *>(QStringLiteral("InfoL"))->text().contains(QStringLiteral("（北東）、")));
    EXPECT_FALSE(map->findChild<QLabel *>(QStringLiteral("InfoL"))->text().contains(QStringLiteral("境界付近")));
}

TEST(DirectionMap, ExportsTheMapAsPngAndPdf)
{
    Started s;
    TMapF *map = s.open<TMapF>("MapItem");
    ASSERT_TRUE(map);
    for (const char *name : {"map.png", "map.pdf"}) {
        const QString path = s.program.filePath(QLatin1String(name));
        map->saveFileName = [&](QWidget *) { return path; };
        map->ExpBtnClick();
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name;
        EXPECT_TRUE(file.read(4).contains(QByteArrayLiteral("PNG")) || QByteArray(name).endsWith("pdf"));
        EXPECT_GT(file.size(), 10000);
    }
}

TEST(PlaceBookWindow, AddsRenamesAndRemovesThroughTheDatabase)
{
    Started s(false);
    TPlaceF *book = s.open<TPlaceF>("PlaceItem");
    ASSERT_TRUE(book);
    EXPECT_EQ(book->findChild<QTableWidget *>(QStringLiteral("PlaceGrid"))->rowCount(), 0);

    // By 度分秒, as the home base.
    book->runDialog = [](TPlaceEditF &d) {
        d.findChild<QLineEdit *>(QStringLiteral("NameE"))->setText(QStringLiteral("自宅"));
        d.findChild<QLineEdit *>(QStringLiteral("CoordE"))->setText(QStringLiteral("35°41'22\"N 139°46'1\"E"));
        d.findChild<QCheckBox *>(QStringLiteral("HomeCB"))->setChecked(true);
        d.accept();
        return d.result();
    };
    book->AddBtnClick();
    // By a city of the gazetteer, its name taken from the chosen candidate.
    book->runDialog = [](TPlaceEditF &d) {
        d.findChild<QLineEdit *>(QStringLiteral("FindE"))->setText(QStringLiteral("大阪"));
        d.FindBtnClick();
        EXPECT_GE(d.findChild<QListWidget *>(QStringLiteral("CityList"))->count(), 1);
        d.findChild<QListWidget *>(QStringLiteral("CityList"))->setCurrentRow(0);
        EXPECT_FALSE(d.findChild<QLineEdit *>(QStringLiteral("CoordE"))->text().isEmpty());
        d.accept();
        return d.result();
    };
    book->AddBtnClick();
    // Bad coordinates keep the dialog open with a message.
    book->runDialog = [](TPlaceEditF &d) {
        d.findChild<QLineEdit *>(QStringLiteral("NameE"))->setText(QStringLiteral("どこか"));
        d.findChild<QLineEdit *>(QStringLiteral("CoordE"))->setText(QStringLiteral("北緯九十一度"));
        d.accept();
        EXPECT_TRUE(d.isVisible() || d.result() != QDialog::Accepted);
        return int(QDialog::Rejected);
    };
    book->AddBtnClick();
    EXPECT_EQ(s.messages.texts.size(), 1) << s.messages.all().toStdString();

    std::string error;
    auto db = PlaceBook::open(s.databasePath().toStdString(), error);
    ASSERT_TRUE(db) << error;
    std::vector<Place> places = db->places(error);
    ASSERT_EQ(places.size(), 2u) << error;
    const std::optional<Place> home = db->home(error);
    ASSERT_TRUE(home);
    EXPECT_EQ(home->name, "自宅");
    EXPECT_NEAR(home->lat, 35 + 41 / 60.0 + 22 / 3600.0, 1e-9);
    EXPECT_NEAR(home->lon, 139 + 46 / 60.0 + 1 / 3600.0, 1e-9);
    ASSERT_EQ(book->findChild<QTableWidget *>(QStringLiteral("PlaceGrid"))->rowCount(), 2);
    // The grid shows the other place's direction from home: 大阪 lies west.
    int osakaRow = -1;
    for (int r = 0; r < 2; ++r)
        if (book->findChild<QTableWidget *>(QStringLiteral("PlaceGrid"))->item(r, 0)->text().isEmpty())
            osakaRow = r;
    ASSERT_GE(osakaRow, 0);
    EXPECT_TRUE(book->findChild<QTableWidget *>(QStringLiteral("PlaceGrid"))->item(osakaRow, 4)->text().contains(QStringLiteral("（西）")));

    // Rename with a note, then remove after the question.
    book->findChild<QTableWidget *>(QStringLiteral("PlaceGrid"))->selectRow(osakaRow);
    const QString osaka = book->selectedName();
    book->runDialog = [](TPlaceEditF &d) {
        EXPECT_FALSE(d.findChild<QLineEdit *>(QStringLiteral("CoordE"))->isEnabled());
        d.findChild<QLineEdit *>(QStringLiteral("NameE"))->setText(QStringLiteral("実家"));
        d.findChild<QLineEdit *>(QStringLiteral("NoteE"))->setText(QStringLiteral("年に二度"));
        d.accept();
        return d.result();
    };
    book->EditBtnClick();
    EXPECT_FALSE(db->find(osaka.toStdString(), error));
    ASSERT_TRUE(db->find("実家", error));
    EXPECT_EQ(db->find("実家", error)->note, "年に二度");
    for (int r = 0; r < 2; ++r)
        if (book->findChild<QTableWidget *>(QStringLiteral("PlaceGrid"))->item(r, 1)->text() == QStringLiteral("実家"))
            book->findChild<QTableWidget *>(QStringLiteral("PlaceGrid"))->selectRow(r);
    s.messages.answer = ui::Answer::Yes;
    book->DelBtnClick();
    EXPECT_TRUE(s.messages.saw(QStringLiteral("地点「実家」を削除してよろしいですか？")));
    EXPECT_EQ(db->places(error).size(), 1u);
    EXPECT_EQ(book->findChild<QTableWidget *>(QStringLiteral("PlaceGrid"))->rowCount(), 1);
    EXPECT_EQ(clippedReport(book), "");
}

TEST(PlaceBookWindow, ADamagedOrBusyBookIsReportedAndLeftAlone)
{
    Started s(false);
    const QByteArray junk("これはデータベースではありません。\n");
    {
        QFile file(s.databasePath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(junk);
    }
    TPlaceF *book = s.open<TPlaceF>("PlaceItem");
    ASSERT_TRUE(book);
    EXPECT_TRUE(s.messages.saw(QStringLiteral("データベースとして読めません"))) << s.messages.all().toStdString();
    book->AddBtnClick(); // refused again, nothing written
    QFile file(s.databasePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), junk);
    file.close();

    // Another program holding the write lock: the change is refused, the book kept.
    ASSERT_TRUE(QFile::remove(s.databasePath()));
    s.messages.clear();
    book->close();
    s.open<TPlaceF>("PlaceItem");
    EXPECT_TRUE(s.messages.texts.isEmpty()) << s.messages.all().toStdString();
    sqlite3 *other = nullptr;
    ASSERT_EQ(sqlite3_open(s.databasePath().toUtf8().constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    book->runDialog = [](TPlaceEditF &d) {
        d.findChild<QLineEdit *>(QStringLiteral("NameE"))->setText(QStringLiteral("自宅"));
        d.findChild<QLineEdit *>(QStringLiteral("CoordE"))->setText(QStringLiteral("35.6895, 139.6917"));
        d.accept();
        return d.result();
    };
    book->AddBtnClick();
    EXPECT_TRUE(s.messages.saw(QStringLiteral("他のプログラムが使用中"))) << s.messages.all().toStdString();
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_EQ(book->findChild<QTableWidget *>(QStringLiteral("PlaceGrid"))->rowCount(), 0);
}

// A family of three: added in the people window, chosen as going; the chart
// windows mark each palace bad for one of them, and the heat map of the next
// month shows only the cells whose direction is safe for all three.
TEST(PeopleWindow, AFamilyGoesAndTheChartsAndTheHeatMapFollow)
{
    Started s;
    TPeopleF *people = s.open<TPeopleF>("PeopleItem");
    ASSERT_TRUE(people);
    const struct {
        const char *name;
        QDate birth;
        int honmei;
    } family[] = {{"花子", QDate(1985, 3, 10), 5}, {"太郎", QDate(1984, 1, 20), 7}, {"次郎", QDate(2015, 7, 7), 2}};
    for (const auto &member : family) {
        people->runDialog = [&member](TPersonEditF &d) {
            d.NameE()->setText(QString::fromUtf8(member.name));
            d.BirthDateE()->setDate(member.birth);
            d.BirthTimeE()->setTime(QTime(8, 30));
            d.HomeCB()->setCurrentIndex(d.HomeCB()->findText(QStringLiteral("東京")));
            d.accept();
            return d.result();
        };
        people->AddBtnClick();
    }
    QTableWidget *grid = people->PeopleGrid();
    ASSERT_EQ(grid->rowCount(), 3);
    EXPECT_TRUE(GoingPeople::instance().empty());
    for (int r = 0; r < 3; ++r) {
        EXPECT_EQ(grid->item(r, 5)->text(), QStringLiteral("東京"));
        grid->item(r, 0)->setCheckState(Qt::Checked);
    }
    ASSERT_EQ(GoingPeople::instance().people().size(), 3u);
    for (const GoingPerson &p : GoingPeople::instance().people())
        for (const auto &member : family)
            if (p.name == QString::fromUtf8(member.name))
                EXPECT_EQ(p.honmei, member.honmei) << member.name;
    EXPECT_EQ(s.messages.texts.size(), 0) << s.messages.all().toStdString();
    EXPECT_EQ(clippedReport(people), "");

    // The charts mark every palace bad for one of them, and only those.
    s.main.BanBtnClick();
    ASSERT_FALSE(s.main.charts()->chartWindows().isEmpty());
    for (TBanF *chart : s.main.charts()->chartWindows()) {
        const LaidChart &laid = chart->laid();
        for (int palace = 1; palace <= 8; ++palace) {
            std::uint16_t bad = 0;
            for (const auto &member : family)
                bad |= judgePalaces(laid.chart, laid.koyomi, member.honmei).bad;
            EXPECT_EQ(chart->badMarks(palace).isEmpty(), ((bad >> palace) & 1) == 0) << palace;
        }
    }

    // The heat map of the next month: the cells not safe for all stay empty.
    s.main.setMoment(CivilTime{2027, 1, 1, 12, 0, 0});
    THeatF *heat = s.open<THeatF>("HeatItem");
    ASSERT_TRUE(heat);
    ASSERT_TRUE(heat->SafeBox()->isEnabled());
    auto *dirBox = heat->findChild<QComboBox *>(QStringLiteral("DirBox"));
    dirBox->setCurrentIndex(dirBox->findData(4)); // 南
    heat->SafeBox()->setChecked(true);
    const HeatPicture *picture = heat->findChild<HeatCanvas *>(QStringLiteral("HeatCanvas"))->picture();
    ASSERT_TRUE(picture);
    EXPECT_TRUE(picture->people.contains(QStringLiteral("花子")));
    int shut = 0;
    for (const HeatCell &cell : picture->map.cells) {
        const Koyomi k = DateToKyu(cell.moment, KoyomiOptions{});
        const ChartRecord chart = BanCreate(k, picture->map.kind, LayingMethod::Rotating, nullptr);
        bool safe = true;
        for (const auto &member : family)
            safe = safe && ((judgePalaces(chart, k, member.honmei).bad >> 4) & 1) == 0;
        EXPECT_EQ(heatShut(cell, 4), !safe);
        shut += safe ? 0 : 1;
    }
    EXPECT_GT(shut, 0);
    EXPECT_LT(shut, static_cast<int>(picture->map.cells.size()));
    EXPECT_EQ(clippedReport(heat), "");

    // The calendar leaves the scores of the directions bad for them blank.
    TCaleF *calendar = s.open<TCaleF>("CaleItem");
    ASSERT_TRUE(calendar);
    ASSERT_TRUE(calendar->PeopleBox()->isEnabled());
    calendar->PeopleBox()->setChecked(true);
    const std::vector<ListRow> &rows = calendar->model()->rows();
    ASSERT_FALSE(rows.empty());
    const ListRow &first = rows.front(); // the year row of the entry
    const Koyomi k = DateToKyu(CivilTime{2027, 1, 1, 11, 0, 0}, KoyomiOptions{});
    std::uint16_t bad = 0;
    for (const auto &member : family)
        bad |= judgePalaces(BanCreate(k, KindYear, LayingMethod::Rotating, nullptr), k, member.honmei).bad;
    for (std::size_t c = 1; c < 9; ++c)
        EXPECT_EQ(first[ListCol::FirstPalace + c].empty(), ((bad >> RingToKyu[c]) & 1) != 0) << c;
    calendar->close();

    // The direction map hatches the sectors bad for them on the entered
    // moment's year and month charts.
    TMapF *map = s.open<TMapF>("MapItem");
    ASSERT_TRUE(map);
    ASSERT_TRUE(map->PeopleBox()->isEnabled());
    map->PeopleBox()->setChecked(true);
    std::uint16_t yearMonth = 0;
    for (const auto &member : family)
        for (int kind : {KindYear, KindMonth})
            yearMonth |= judgePalaces(BanCreate(k, kind, LayingMethod::Rotating, nullptr), k, member.honmei).bad;
    EXPECT_TRUE(map->peopleShown());
    ASSERT_TRUE(map->yearMonthFacts);
    EXPECT_TRUE(map->yearMonthFacts().has_value());
    EXPECT_EQ(map->findChild<MapCanvas *>(QStringLiteral("MapCanvas"))->badSectors(), yearMonth);
    EXPECT_NE(yearMonth, 0);
    map->close();

    // Nobody going: the marks go.
    for (int r = 0; r < 3; ++r)
        grid->item(r, 0)->setCheckState(Qt::Unchecked);
    EXPECT_TRUE(GoingPeople::instance().empty());
    for (TBanF *chart : s.main.charts()->chartWindows())
        for (int palace = 1; palace <= 8; ++palace)
            EXPECT_TRUE(chart->badMarks(palace).isEmpty());
}
