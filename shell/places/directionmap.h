#pragma once

// The direction map TMapF ("方位地図"): an azimuthal-equidistant map centred
// on the home base, on which the geodesic direction of every place is its
// direction from the centre. It shows the coastlines, the sector lines and
// names of the chosen division (turned by the declination under magnetic
// north), distance rings and the saved places. Dragging pans, the wheel
// zooms; a click on a place shows its bearing, sector, distance and margin,
// and from there the search, the heat map and the calendar open in that
// direction. The map can be saved as PNG or PDF and printed.

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <QPolygonF>
#include <QWidget>

#include "engine/koyomi.h"
#include "output/coastline.h"
#include "shell/places/placeaccess.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;

namespace velm {

class MapCanvas : public QWidget {
    Q_OBJECT
public:
    explicit MapCanvas(QWidget *parent = nullptr);

    // The coastlines (projected again only when the centre moves).
    void setCoastlines(std::shared_ptr<const Coastlines> coast);
    // The places and the centre: the home base among them, or none (the map
    // then centres on `fallback` and draws no sectors).
    void setPlaces(std::vector<Place> places, GeoPoint fallback);
    // The sector edges at these true azimuths (the division turned by the
    // declination); empty draws none.
    void setSectorEdges(std::vector<double> edges, SectorDivision division);
    // Sectors bad for the people going (bit p: the sector of palace p),
    // hatched in red.
    void setBadSectors(std::uint16_t palaces);
    std::uint16_t badSectors() const { return m_bad; }
    void setSelected(int place);
    int selected() const { return m_selected; }
    const std::vector<Place> &places() const { return m_places; }
    std::optional<Place> homePlace() const;
    GeoPoint centre() const { return m_centre; }

    // Map kilometres (east, north of the centre) to the widget and back.
    QPointF toScreen(MapPoint p) const;
    QPointF screenOf(int place) const;
    // The place whose mark is under `pos`, -1 for none.
    int placeAt(const QPoint &pos) const;
    // The whole map shows the places with room round them.
    void resetView();
    void zoomBy(double factor, QPointF about);
    void panBy(QPointF pixels);
    double pixelsPerKm() const { return m_scale; }

    // The map as the window shows it, into `size` from (0, 0); `title`
    // above it when not empty (files and paper).
    void paintMap(QPainter &painter, const QSize &size, const QString &title = {}) const;

    std::function<void(int place)> placeClicked;
    // The hint of a place's mark (its name and direction).
    std::function<QString(int place)> hintOf;

    QSize sizeHint() const override { return {640, 480}; }

protected:
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void project();
    QTransform transform(const QSize &size) const;

    std::shared_ptr<const Coastlines> m_coast;
    std::vector<QPolygonF> m_coastLines; // in km about m_centre
    std::optional<GeoPoint> m_projectedFor;
    std::vector<Place> m_places;
    std::vector<MapPoint> m_points;
    int m_home = -1;
    GeoPoint m_centre{35.6812, 139.7671};
    std::vector<double> m_edges;
    std::uint16_t m_bad = 0;
    SectorDivision m_division = SectorDivision::Even45;
    int m_selected = -1;
    double m_scale = 0.1;   // pixels per km
    QPointF m_look{0, 0};   // the map point (km) at the middle of the widget
    QPoint m_pressAt;
    QPointF m_lookAtPress;
    bool m_dragging = false;
    bool m_viewSet = false;
    bool m_fitted = false; // fitted to the places once they came
};

class TMapF : public QWidget {
    Q_OBJECT
public:
    TMapF(PlaceAccess &places, QWidget *parent = nullptr);
    ~TMapF() override;

    // Shown from the menu: the places read again, raised.
    void showMap();
    // Reads the places and the settings again and redraws.
    void reload();
    // Selects a place by name (the place book's "地図で見る").
    void selectPlace(const QString &name);

    QComboBox *PathBox() const { return m_pathBox; }
    QComboBox *NorthBox() const { return m_northBox; }
    QDoubleSpinBox *MarginE() const { return m_marginE; }
    QPushButton *HeatBtn() const { return m_heatBtn; }
    // "同行者の凶方位": the sectors bad for the people going on the year and
    // month charts of the entered moment (yearMonthFacts) are hatched, and
    // the search, heat map and calendar opened here leave them out.
    QCheckBox *PeopleBox() const { return m_peopleBox; }
    bool peopleShown() const;
    // The calendar facts of the entered moment; nothing while it is half typed.
    std::function<std::optional<Koyomi>()> yearMonthFacts;
    // Hatches the bad sectors again (the people or the moment changed).
    void showPeople();
    // The selected place's direction, when one is selected and it has one.
    const std::optional<PlaceBearing> &selectedBearing() const { return m_bearing; }
    QString title() const;

    // "出力": PNG or PDF by the name's extension; empty text or the message.
    QString exportPicture(const QString &path) const;
    void ExpBtnClick();

    // What the buttons open, with the palace index (1..8) and the place.
    std::function<void(int palace, const QString &place)> openSearch;
    std::function<void(int palace, const QString &place)> openHeatMap;
    std::function<void(int palace, const QString &place)> openCalendar;
    std::function<void(int palace, const QString &place)> chooseDestination;
    std::function<void()> openPlaceBook;
    // The platform's save dialog: the chosen path, empty when cancelled.
    std::function<QString(QWidget *parent)> saveFileName;
    // The print preview of one picture; the print button is hidden while it is empty.
    void setPreview(std::function<void(QSize size, std::function<void(QPainter &)> paint)> preview);

protected:
    void hideEvent(QHideEvent *event) override;

private:
    void settingsChanged();
    void showSelected();
    void openWith(const std::function<void(int, const QString &)> &open);
    BearingSettings currentSettings() const;

    PlaceAccess &m_access;
    std::shared_ptr<const Coastlines> m_coast;
    QString m_coastError;
    BearingSettings m_settings;
    std::optional<double> m_declination;
    std::optional<PlaceBearing> m_bearing;
    MapCanvas *m_canvas = nullptr;
    QLabel *m_infoL = nullptr;
    QComboBox *m_divBox = nullptr;
    QComboBox *m_pathBox = nullptr;
    QComboBox *m_northBox = nullptr;
    QDoubleSpinBox *m_marginE = nullptr;
    QPushButton *m_searchBtn = nullptr;
    QPushButton *m_heatBtn = nullptr;
    QPushButton *m_caleBtn = nullptr;
    QPushButton *m_destBtn = nullptr;
    QPushButton *m_prevBtn = nullptr;
    QCheckBox *m_peopleBox = nullptr;
    std::function<void(QSize, std::function<void(QPainter &)>)> m_preview;
    bool m_restoring = false;
};

} // namespace velm
