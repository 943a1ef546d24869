#include "shell/app/placecommands.h"

#include <QAction>
#include <QCheckBox>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QStatusBar>

#include "shell/app/startwindows.h"
#include "shell/charts/chartwindow.h"
#include "shell/lists/calendarwindow.h"
#include "shell/lists/heatmapwindow.h"
#include "shell/main/mainwindow.h"
#include "shell/places/directionmap.h"
#include "shell/places/placebookwindow.h"
#include "shell/places/peoplewindow.h"
#include "shell/print/printpreview.h"
#include "shell/runs/searchdialog.h"
#include "shell/settings/appsettings.h"

namespace velm {
namespace {

// Holds the place windows for as long as the main window lives.
class PlaceWindows : public QObject {
public:
    PlaceWindows(AppSettings &settings, QObject *owner)
        : QObject(owner), access(settings.programFolder(), settings.store()), map(access), book(access),
          people(access, [&settings] { return engineOptions(settings).koyomi; })
    {
    }
    PlaceAccess access;
    TMapF map;
    TPlaceF book;
    TPeopleF people;
};

} // namespace

void addPlaceCommands(TMainF &main, StartWindows &windows, const SearchWindows &search, AppSettings &settings)
{
    auto *places = new PlaceWindows(settings, &main);
    TMapF *map = &places->map;
    TPlaceF *book = &places->book;
    TSrcSF *src = search.search;
    TCaleF *calendar = windows.calendar.get();
    THeatF *heat = windows.heat.get();

    auto *clearDestination = new QAction(QStringLiteral("目的地の解除(&R)"), &main);
    clearDestination->setObjectName(QStringLiteral("DestClearItem"));
    clearDestination->setStatusTip(QStringLiteral("遁甲盤の目的地の枠を消します"));
    clearDestination->setEnabled(false);
    auto destination = [&main, clearDestination](int palace, const QString &place) {
        TBanF::setDestination(palace, place);
        clearDestination->setEnabled(palace > 0);
        if (palace > 0)
            main.statusBar()->showMessage(QStringLiteral("目的地：%1（遁甲盤でその方位の宮を枠で囲みます）").arg(place), 8000);
    };
    QObject::connect(clearDestination, &QAction::triggered, &main, [destination] { destination(0, {}); });

    // A direction opened from a place is the destination too: the charts it
    // makes outline that palace.
    map->chooseDestination = destination;
    book->chooseDestination = destination;
    // With the people's bad directions shown on the map, what it opens
    // leaves them out, on the year and month charts as the map judged them.
    map->yearMonthFacts = [&main]() -> std::optional<Koyomi> {
        const std::optional<CivilTime> moment = main.enteredMoment();
        if (!moment)
            return std::nullopt;
        return DateToKyu(*moment, main.engineOptions().koyomi);
    };
    map->openSearch = [map, src, calendar, destination](int palace, const QString &place) {
        destination(palace, place);
        if (calendar->isVisible())
            calendar->close();
        if (map->peopleShown()) {
            src->PeopleBox()->setChecked(true);
            src->YearMonthBox()->setChecked(true);
        }
        src->presetDirection(palace);
        src->exec();
    };
    map->openHeatMap = [map, heat, destination](int palace, const QString &place) {
        destination(palace, place);
        if (map->peopleShown()) {
            heat->SafeBox()->setChecked(true);
            heat->YearMonthBox()->setChecked(true);
        }
        heat->showHeatMapFor(palace);
    };
    map->openCalendar = [map, calendar, destination](int palace, const QString &place) {
        destination(palace, place);
        if (map->peopleShown()) {
            calendar->PeopleBox()->setChecked(true);
            calendar->YearMonthBox()->setChecked(true);
        }
        calendar->showCalendarFor(palace, place);
    };
    map->openPlaceBook = [book] { book->showPlaces(); };
    book->showOnMap = [map](const QString &place) {
        map->showMap();
        if (!place.isEmpty())
            map->selectPlace(place);
    };
    auto *preview = new TPrevF(settings, &main);
    map->setPreview([preview, map](QSize size, std::function<void(QPainter &)> paint) {
        std::vector<PrintPicture> pictures{{size, std::move(paint), {}}};
        preview->previewPictures(std::move(pictures), [] { return QStringLiteral("方位地図"); }, map);
    });

    auto *mapItem = new QAction(QStringLiteral("方位地図(&D)"), &main);
    mapItem->setObjectName(QStringLiteral("MapItem"));
    mapItem->setStatusTip(QStringLiteral("基点から見た地点の方位を地図で表示します"));
    QObject::connect(mapItem, &QAction::triggered, map, &TMapF::showMap);
    TPeopleF *people = &places->people;
    auto *peopleItem = new QAction(QStringLiteral("人物(&N)"), &main);
    peopleItem->setObjectName(QStringLiteral("PeopleItem"));
    peopleItem->setStatusTip(QStringLiteral("人物の登録と、同行する人の指定をします（遁甲盤にその人の凶方位を示します）"));
    QObject::connect(peopleItem, &QAction::triggered, people, &TPeopleF::showPeople);
    // Who goes, as the book last had it; their stars follow the calendar settings.
    PlaceAccess *access = &places->access;
    publishGoingPeople(*access, engineOptions(settings).koyomi);
    QObject::connect(&settings, &AppSettings::changed, people, [people, access, &settings] {
        if (people->isVisible())
            people->reload();
        else
            publishGoingPeople(*access, engineOptions(settings).koyomi);
    });
    auto *bookItem = new QAction(QStringLiteral("地点帳(&P)"), &main);
    bookItem->setObjectName(QStringLiteral("PlaceItem"));
    bookItem->setStatusTip(QStringLiteral("地点の登録と基点の指定をします"));
    QObject::connect(bookItem, &QAction::triggered, book, &TPlaceF::showPlaces);
    if (QMenu *view = main.menu(TMainF::ViewMenu)) {
        view->addSeparator();
        view->addAction(mapItem);
        view->addAction(bookItem);
        view->addAction(peopleItem);
        view->addAction(clearDestination);
    }

    TMainF::Hooks hooks = main.hooks();
    const auto closeOthers = hooks.closeStartWindows;
    hooks.closeStartWindows = [map, book, people, closeOthers] {
        // The map stores its placement as it hides.
        for (QWidget *w : {static_cast<QWidget *>(map), static_cast<QWidget *>(book), static_cast<QWidget *>(people)})
            if (w->isVisible())
                w->close();
        if (closeOthers)
            closeOthers();
    };
    main.setHooks(std::move(hooks));
}

} // namespace velm
