#include "shell/places/placeaccess.h"

#include <cmath>

#include <QDate>
#include <QDir>

#include "output/magnetic.h"
#include "shell/common/messages.h"
#include "shell/common/strings.h"
#include "shell/settings/settingsstore.h"

namespace velm {
namespace {

const SettingValue<int> DivisionValue{"Place", "Sectors", 0}; // 0: 45°, 1: 30°/60°
const SettingValue<int> PathValue{"Place", "Path", 0};        // 0: geodesic, 1: rhumb line
const SettingValue<bool> MagneticValue{"Place", "Magnetic", false};
const SettingValue<QString> MarginValue{"Place", "Margin", QStringLiteral("3")};

} // namespace

BearingSettings readBearingSettings(const SettingsStore &store)
{
    BearingSettings s;
    s.division = DivisionValue.read(store) == 1 ? SectorDivision::Uneven3060 : SectorDivision::Even45;
    s.path = PathValue.read(store) == 1 ? BearingPath::Rhumb : BearingPath::Geodesic;
    s.magnetic = MagneticValue.read(store);
    bool ok = false;
    const double margin = MarginValue.read(store).toDouble(&ok);
    // A margin that does not read, or one wider than half the narrowest
    // sector, falls back to the default.
    s.margin = ok && std::isfinite(margin) && margin >= 0 && margin <= 15 ? margin : 3;
    return s;
}

void writeBearingSettings(SettingsStore &store, const BearingSettings &s)
{
    DivisionValue.write(store, s.division == SectorDivision::Uneven3060 ? 1 : 0);
    PathValue.write(store, s.path == BearingPath::Rhumb ? 1 : 0);
    MagneticValue.write(store, s.magnetic);
    MarginValue.write(store, QString::number(s.margin));
}

QString bearingSettingsText(const BearingSettings &s)
{
    return QStringLiteral("%1・%2・%3")
        .arg(s.division == SectorDivision::Even45 ? QStringLiteral("45°") : QStringLiteral("30°/60°"),
             s.path == BearingPath::Geodesic ? QStringLiteral("大圏") : QStringLiteral("等角航路"),
             s.magnetic ? QStringLiteral("磁北") : QStringLiteral("真北"));
}

PlaceAccess::PlaceAccess(QString folder, SettingsStore &store, QObject *parent)
    : QObject(parent), m_folder(std::move(folder)), m_store(store)
{
}

PlaceAccess::~PlaceAccess() = default;

QString PlaceAccess::databasePath() const
{
    return QDir(m_folder).filePath(QLatin1String(PlaceBookFile));
}

PlaceBook *PlaceAccess::book(QWidget *parent)
{
    if (m_book)
        return m_book.get();
    std::string error;
    m_book = PlaceBook::open(databasePath().toStdString(), error);
    if (!m_book)
        ui::showError(parent, QStringLiteral("地点帳を開けません。\n") + qs(error));
    return m_book.get();
}

std::vector<Place> PlaceAccess::places(QWidget *parent)
{
    PlaceBook *b = book(parent);
    if (!b)
        return {};
    std::string error;
    std::vector<Place> out = b->places(error);
    if (!error.empty())
        ui::showError(parent, qs(error));
    return out;
}

std::optional<Place> PlaceAccess::home(QWidget *parent)
{
    for (const Place &p : places(parent))
        if (p.home)
            return p;
    return std::nullopt;
}

const Gazetteer *PlaceAccess::gazetteer(QWidget *parent)
{
    if (!m_gazetteerTried) {
        m_gazetteerTried = true;
        std::string error;
        m_gazetteer = Gazetteer::load(Gazetteer::defaultCatalogue(), error);
        if (!m_gazetteer) {
            ui::showError(parent, QStringLiteral("地名の辞書を読めません。\n") + qs(error));
            m_gazetteerTried = false;
        }
    }
    return m_gazetteer ? &*m_gazetteer : nullptr;
}

std::optional<double> PlaceAccess::declinationAt(GeoPoint at, QString &error) const
{
    const QDate today = QDate::currentDate();
    std::string message;
    const std::optional<double> d =
        magneticDeclination(m_folder.toStdString(), at, today.year(), today.month(), today.day(), message);
    if (!d)
        error = qs(message);
    return d;
}

std::optional<PlaceBearing> PlaceAccess::bearing(const Place &from, const Place &to, const BearingSettings &s,
                                                 QWidget *parent, QString *errorOut) const
{
    std::string message;
    const std::optional<Course> course = courseBetween({from.lat, from.lon}, {to.lat, to.lon}, s.path, message);
    QString error = qs(message);
    std::optional<PlaceBearing> out;
    if (course) {
        PlaceBearing b;
        b.course = *course;
        b.azimuth = course->azimuth;
        if (s.magnetic) {
            b.declination = declinationAt({from.lat, from.lon}, error);
            if (b.declination)
                b.azimuth = normalizedAzimuth(course->azimuth - *b.declination);
        }
        if (!s.magnetic || b.declination) {
            b.fix = sectorOf(b.azimuth, s.division, s.margin);
            out = b;
        }
    }
    if (!out) {
        if (parent)
            ui::showError(parent, error);
        if (errorOut)
            *errorOut = error;
    }
    return out;
}

QString bearingText(const PlaceBearing &b)
{
    QString text = QStringLiteral("%1°（%2）、%3 km、境界まで %4°")
                       .arg(b.azimuth, 0, 'f', 1)
                       .arg(qs(SectorName[static_cast<std::size_t>(b.fix.sector)]))
                       .arg(b.course.distanceKm, 0, 'f', 1)
                       .arg(b.fix.margin, 0, 'f', 1);
    if (b.fix.nearEdge)
        text += QStringLiteral("　境界付近（%1／%2）")
                    .arg(qs(SectorName[static_cast<std::size_t>(b.fix.sector)]),
                         qs(SectorName[static_cast<std::size_t>(b.fix.neighbour)]));
    return text;
}

int chooseDirection(QWidget *parent, const QString &placeName, const PlaceBearing &b)
{
    const auto sector = static_cast<std::size_t>(b.fix.sector);
    if (!b.fix.nearEdge)
        return SectorPalace[sector];
    const auto neighbour = static_cast<std::size_t>(b.fix.neighbour);
    const QString own = qs(SectorName[sector]), other = qs(SectorName[neighbour]);
    const ui::Answer answer = ui::askChoice(
        parent,
        QStringLiteral("「%1」は%2と%3の境界付近です（境界まで %4°）。\nどちらの方位で開きますか？")
            .arg(placeName, own, other)
            .arg(b.fix.margin, 0, 'f', 1),
        own, other);
    if (answer == ui::Answer::Yes)
        return SectorPalace[sector];
    if (answer == ui::Answer::No)
        return SectorPalace[neighbour];
    return 0;
}

} // namespace velm
