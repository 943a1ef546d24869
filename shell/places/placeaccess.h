#pragma once

// What the place windows share: the place book "VELM.db" of the program
// folder, opened on first use and kept open while the program runs; the
// gazetteer, read on first search; the bearing settings (sector division,
// path, north, edge margin); and the direction from the home base to a place
// as the practitioner reads it.

#include <memory>
#include <optional>
#include <vector>

#include <QObject>
#include <QString>

#include "output/bearing.h"
#include "output/gazetteer.h"
#include "output/placebook.h"

class QWidget;
class SettingsStore;

namespace velm {

struct BearingSettings {
    SectorDivision division = SectorDivision::Even45;
    BearingPath path = BearingPath::Geodesic;
    bool magnetic = false;
    double margin = 3; // degrees: closer to an edge is "境界付近"
};

BearingSettings readBearingSettings(const SettingsStore &store);
void writeBearingSettings(SettingsStore &store, const BearingSettings &settings);
// "45°・大圏・真北" as the windows name the settings in a title.
QString bearingSettingsText(const BearingSettings &settings);

// The direction from the home base to a place.
struct PlaceBearing {
    Course course;                     // true north
    std::optional<double> declination; // east positive, when magnetic
    double azimuth = 0;                // from the chosen north
    SectorFix fix;
};

class PlaceAccess : public QObject {
    Q_OBJECT
public:
    explicit PlaceAccess(QString folder, SettingsStore &store, QObject *parent = nullptr);
    ~PlaceAccess() override;

    const QString &folder() const { return m_folder; }
    QString databasePath() const;
    SettingsStore &store() { return m_store; }

    // The book, opened (and made) on first use; null after a message over
    // `parent` when it cannot be used (damaged, locked, newer): the file is
    // then left as it is, and the next call tries again.
    PlaceBook *book(QWidget *parent);
    // The places in name order; empty after a message when they cannot be read.
    std::vector<Place> places(QWidget *parent);
    std::optional<Place> home(QWidget *parent);
    // A change went through: the windows showing places read them again.
    void notifyChanged() { emit changed(); }
    // The map changed the division, path, north or margin: the place book's
    // directions follow.
    void notifySettingsChanged() { emit settingsChanged(); }

    // The gazetteer, read once; null after a message when it cannot be read.
    const Gazetteer *gazetteer(QWidget *parent);

    // The direction from `from` to `to` under the settings; empty, after a
    // message over `parent` when `parent` is given, when it cannot be worked
    // out (the same point, magnetic north outside the model's years).
    std::optional<PlaceBearing> bearing(const Place &from, const Place &to, const BearingSettings &settings,
                                        QWidget *parent, QString *error = nullptr) const;
    // The declination at the home base today; empty with the message.
    std::optional<double> declinationAt(GeoPoint at, QString &error) const;

signals:
    void changed();
    void settingsChanged();

private:
    QString m_folder;
    SettingsStore &m_store;
    std::unique_ptr<PlaceBook> m_book;
    std::optional<Gazetteer> m_gazetteer;
    bool m_gazetteerTried = false;
};

// "247.3°（南西）、402.1 km、境界まで 9.8°" with "境界付近" where it is.
QString bearingText(const PlaceBearing &bearing);

// The direction a walk takes for a place: its palace index (1..8), or, near
// a sector edge, the palace the user picks between the two sectors (0 when
// cancelled).
int chooseDirection(QWidget *parent, const QString &placeName, const PlaceBearing &bearing);

} // namespace velm
