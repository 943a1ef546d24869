// The direction map's redraw: the coastlines projected about a new centre
// (once per home base), and a paint of the map after a pan and after a zoom
// at 1366×768, on the offscreen platform. Target: a pan or zoom redraws in
// under 100 ms. Times are medians of eleven runs; run it as `chrt -f 10
// directionmap_timing` (as root) on a shared machine.
//
// Usage: directionmap_timing [COASTLINE_FILE]

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include "output/coastline.h"
#include "shell/places/directionmap.h"

namespace {

double millis(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since).count();
}

template <std::size_t N>
double median(std::array<double, N> v)
{
    std::sort(v.begin(), v.end());
    return v[N / 2];
}

} // namespace

int main(int argc, char **argv)
{
    using namespace velm;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    const std::string file = argc > 1 ? argv[1] : DefaultCoastlineFile;
    std::string error;
    const std::optional<Coastlines> coast = readCoastlines(file, error);
    if (!coast) {
        std::fprintf(stderr, "directionmap_timing: %s\n", error.c_str());
        return 1;
    }
    const GeoPoint tokyo{35.6812, 139.7671};

    std::array<double, 11> projection{};
    for (double &t : projection) {
        const auto start = std::chrono::steady_clock::now();
        const ProjectedCoast p = projectCoastlines(*coast, tokyo);
        t = millis(start);
        if (p.lines.empty())
            return 1;
    }

    auto shared = std::make_shared<const Coastlines>(*coast);
    MapCanvas canvas;
    canvas.resize(1366, 640);
    canvas.setCoastlines(shared);
    std::vector<Place> places;
    const struct {
        const char *name;
        double lat, lon;
        bool home;
    } seeds[] = {{"Tokyo", 35.6812, 139.7671, true}, {"Osaka", 34.6937, 135.5022, false},
                 {"Sapporo", 43.0618, 141.3545, false}, {"Naha", 26.2124, 127.6809, false},
                 {"London", 51.5074, -0.1278, false}, {"Sydney", -33.8688, 151.2093, false}};
    for (const auto &s : seeds) {
        Place p;
        p.name = s.name;
        p.lat = s.lat;
        p.lon = s.lon;
        p.home = s.home;
        places.push_back(p);
    }
    canvas.setPlaces(places, tokyo);
    std::vector<double> edges;
    for (int s = 0; s < 8; ++s)
        edges.push_back(sectorStart(s, SectorDivision::Even45));
    canvas.setSectorEdges(edges, SectorDivision::Even45);
    canvas.resetView();

    QImage image(canvas.size(), QImage::Format_RGB32);
    auto paint = [&] {
        const auto start = std::chrono::steady_clock::now();
        QPainter painter(&image);
        canvas.paintMap(painter, canvas.size());
        painter.end();
        return millis(start);
    };
    std::array<double, 11> pan{}, zoomIn{}, world{};
    for (double &t : pan) {
        canvas.panBy(QPointF(37, -21));
        t = paint();
    }
    canvas.resetView();
    for (double &t : zoomIn) {
        canvas.zoomBy(1.25, QPointF(683, 320));
        t = paint();
    }
    for (double &t : world) {
        canvas.zoomBy(1 / 1.6, QPointF(683, 320));
        t = paint();
    }
    const double worst = std::max({median(pan), median(zoomIn), median(world)});
    std::printf("coastlines: %zu lines, %zu points\n", coast->lines.size(), coast->points());
    std::printf("projection about a new centre: %.1f ms (once per home base)\n", median(projection));
    std::printf("redraw after a pan:            %.1f ms\n", median(pan));
    std::printf("redraw after a zoom in:        %.1f ms\n", median(zoomIn));
    std::printf("redraw zooming out to the world: %.1f ms\n", median(world));
    std::printf("target: a redraw under 100 ms: %s\n", worst < 100 ? "met" : "NOT met");
    return worst < 100 ? 0 : 2;
}
