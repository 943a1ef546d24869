#include "shell/common/toolbutton.h"
#include "shell/places/directionmap.h"

#include <algorithm>
#include <cmath>

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QHideEvent>
#include <QKeyEvent>
#include <QToolTip>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPdfWriter>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "engine/textfile.h"
#include "shell/common/goingpeople.h"
#include "shell/common/helpwindow.h"
#include "shell/common/messages.h"
#include "shell/common/savedialog.h"
#include "shell/common/strings.h"
#include "shell/settings/settingsstore.h"

namespace velm {
namespace {

// The rim of the map: the antipode, about half the earth's circumference away.
constexpr double RimKm = 20015;
constexpr double DegToRad = M_PI / 180;
constexpr int MarkHit = 10; // pixels round a mark that a click still takes

const SettingValue<QByteArray> GeometryValue{"Place", "MapGeometry", {}};

QPointF along(double azimuth, double km)
{
    return {km * std::sin(azimuth * DegToRad), km * std::cos(azimuth * DegToRad)};
}

// Text with a white halo, so that it reads over lines and coasts.
void haloText(QPainter &painter, const QPointF &at, const QString &text, const QColor &colour)
{
    painter.setPen(QColor(255, 255, 255, 230));
    for (const QPointF d : {QPointF(-1, 0), QPointF(1, 0), QPointF(0, -1), QPointF(0, 1)})
        painter.drawText(at + d, text);
    painter.setPen(colour);
    painter.drawText(at, text);
}

// Distance rings at least `minPixels` apart, in steps of 1, 2 and 5.
double ringStep(double pixelsPerKm, double minPixels)
{
    for (double decade = 1; decade < 1e5; decade *= 10)
        for (double f : {1.0, 2.0, 5.0})
            if (decade * f * pixelsPerKm >= minPixels)
                return decade * f;
    return 10000;
}

QString kmText(double km)
{
    return QStringLiteral("%1 km").arg(km, 0, 'f', 0);
}

QString latLonText(const Place &p)
{
    return QStringLiteral("%1%2 %3%4")
        .arg(p.lat >= 0 ? QStringLiteral("北緯") : QStringLiteral("南緯"))
        .arg(std::abs(p.lat), 0, 'f', 4)
        .arg(p.lon >= 0 ? QStringLiteral("東経") : QStringLiteral("西経"))
        .arg(std::abs(p.lon), 0, 'f', 4);
}

} // namespace

// --- the map ---------------------------------------------------------------------------------

MapCanvas::MapCanvas(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("MapCanvas"));
    setMinimumSize(320, 240);
    setMouseTracking(false);
    setToolTip(QStringLiteral("ドラッグで移動、ホイールか＋－で拡大・縮小、地点をクリックで方位を表示"));
    setFocusPolicy(Qt::StrongFocus);
}

void MapCanvas::setCoastlines(std::shared_ptr<const Coastlines> coast)
{
    m_coast = std::move(coast);
    m_projectedFor.reset();
    project();
    update();
}

void MapCanvas::setPlaces(std::vector<Place> places, GeoPoint fallback)
{
    m_places = std::move(places);
    m_home = -1;
    for (std::size_t i = 0; i < m_places.size(); ++i)
        if (m_places[i].home)
            m_home = static_cast<int>(i);
    const GeoPoint centre = m_home >= 0 ? GeoPoint{m_places[std::size_t(m_home)].lat, m_places[std::size_t(m_home)].lon}
                                        : fallback;
    const bool moved = centre.lat != m_centre.lat || centre.lon != m_centre.lon;
    m_centre = centre;
    m_points.clear();
    for (const Place &p : m_places)
        m_points.push_back(projectPoint(m_centre, {p.lat, p.lon}));
    if (m_selected >= static_cast<int>(m_places.size()))
        m_selected = -1;
    project();
    if (moved || !m_fitted) {
        m_fitted = !m_places.empty();
        resetView();
    }
    update();
}

void MapCanvas::setBadSectors(std::uint16_t palaces)
{
    m_bad = palaces;
    update();
}

void MapCanvas::setSectorEdges(std::vector<double> edges, SectorDivision division)
{
    m_edges = std::move(edges);
    m_division = division;
    update();
}

void MapCanvas::setSelected(int place)
{
    m_selected = place >= 0 && place < static_cast<int>(m_places.size()) ? place : -1;
    update();
}

std::optional<Place> MapCanvas::homePlace() const
{
    if (m_home < 0)
        return std::nullopt;
    return m_places[std::size_t(m_home)];
}

void MapCanvas::project()
{
    // Once per centre: a pan or zoom only changes the transform.
    if (!m_coast || (m_projectedFor && m_projectedFor->lat == m_centre.lat && m_projectedFor->lon == m_centre.lon))
        return;
    const ProjectedCoast projected = projectCoastlines(*m_coast, m_centre);
    m_coastLines.clear();
    m_coastLines.reserve(projected.lines.size());
    for (const auto &line : projected.lines) {
        QPolygonF polygon;
        polygon.reserve(static_cast<qsizetype>(line.size()));
        for (const MapPoint &p : line)
            polygon << QPointF(p.x, p.y);
        m_coastLines.push_back(std::move(polygon));
    }
    m_projectedFor = m_centre;
}

QTransform MapCanvas::transform(const QSize &size) const
{
    QTransform t;
    t.translate(size.width() / 2.0, size.height() / 2.0);
    t.scale(m_scale, -m_scale);
    t.translate(-m_look.x(), -m_look.y());
    return t;
}

QPointF MapCanvas::toScreen(MapPoint p) const
{
    return transform(size()).map(QPointF(p.x, p.y));
}

QPointF MapCanvas::screenOf(int place) const
{
    return toScreen(m_points[std::size_t(place)]);
}

int MapCanvas::placeAt(const QPoint &pos) const
{
    int best = -1;
    double bestDistance = MarkHit * MarkHit + 1;
    for (std::size_t i = 0; i < m_points.size(); ++i) {
        const QPointF d = toScreen(m_points[i]) - QPointF(pos);
        const double distance = d.x() * d.x() + d.y() * d.y();
        if (distance < bestDistance) {
            bestDistance = distance;
            best = static_cast<int>(i);
        }
    }
    return best;
}

void MapCanvas::resetView()
{
    double far = 0;
    for (const MapPoint &p : m_points)
        far = std::max(far, std::hypot(double(p.x), double(p.y)));
    const double radius = std::clamp(far * 1.2, 300.0, RimKm * 1.02);
    const int half = std::min(width(), height()) / 2;
    m_viewSet = half > 0;
    m_scale = std::max(half, 100) / radius;
    m_look = {0, 0};
    update();
}

void MapCanvas::zoomBy(double factor, QPointF about)
{
    const QTransform before = transform(size());
    const QPointF fixed = before.inverted().map(about);
    const double least = std::min(width(), height()) / 2.0 / (RimKm * 1.1);
    m_scale = std::clamp(m_scale * factor, std::max(least, 1e-4), 50.0);
    const QPointF now = transform(size()).inverted().map(about);
    m_look += fixed - now;
    update();
}

void MapCanvas::panBy(QPointF pixels)
{
    m_look += QPointF(-pixels.x() / m_scale, pixels.y() / m_scale);
    update();
}

void MapCanvas::paintMap(QPainter &painter, const QSize &whole, const QString &title) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.fillRect(QRect(QPoint(0, 0), whole), QColor(0xd8, 0xd8, 0xd8));
    QSize size = whole;
    if (!title.isEmpty()) {
        QFont bold = painter.font();
        bold.setBold(true);
        painter.setFont(bold);
        const int h = painter.fontMetrics().height() + 8;
        painter.fillRect(QRect(0, 0, whole.width(), h), Qt::white);
        painter.setPen(Qt::black);
        painter.drawText(QRect(6, 0, whole.width() - 12, h), Qt::AlignVCenter | Qt::AlignLeft, title);
        painter.setFont(font());
        painter.translate(0, h);
        size.setHeight(whole.height() - h);
    }
    painter.setClipRect(QRect(QPoint(0, 0), size));
    const QTransform t = transform(size);
    const QPointF home = t.map(QPointF(0, 0));
    // Everything is drawn in the window's pixels, the map's kilometres
    // mapped first: a thin antialiased line through a scaling painter is
    // many times slower to rasterise.
    const auto circle = [&](double km) { painter.drawEllipse(home, km * m_scale, km * m_scale); };
    const auto ray = [&](double azimuth, double km) { return t.map(along(azimuth, km)); };

    // The earth: a disc out to the antipode. A view inside it is simply
    // filled: a disc thousands of times the window's size costs a paint.
    const double farCorner = std::hypot(std::abs(m_look.x()) + size.width() / 2.0 / m_scale,
                                        std::abs(m_look.y()) + size.height() / 2.0 / m_scale);
    const double nearest =
        std::max(0.0, std::hypot(m_look.x(), m_look.y()) - std::hypot(size.width(), size.height()) / 2.0 / m_scale);
    const QColor earth(0xf4, 0xf8, 0xfc);
    painter.setPen(Qt::NoPen);
    if (farCorner < RimKm) {
        painter.fillRect(QRect(QPoint(0, 0), size), earth);
    } else {
        painter.setBrush(earth);
        circle(RimKm);
    }
    // The selected place's sector, lightly tinted.
    const bool haveSectors = m_edges.size() == 8;
    int tinted = -1;
    if (haveSectors && m_selected >= 0 && m_selected != m_home) {
        const MapPoint p = m_points[std::size_t(m_selected)];
        const double a = normalizedAzimuth(std::atan2(p.x, p.y) / DegToRad);
        for (int s = 0; s < 8; ++s) {
            const double from = m_edges[std::size_t(s)], to = m_edges[std::size_t((s + 1) % 8)];
            const double width = normalizedAzimuth(to - from), into = normalizedAzimuth(a - from);
            if (into < width) {
                tinted = s;
                const double reachKm = std::min(RimKm, farCorner);
                QPolygonF wedge{home};
                for (double d = 0; d < width; d += 1)
                    wedge << ray(from + d, reachKm);
                wedge << ray(from + width, reachKm);
                painter.setBrush(QColor(255, 200, 80, 60));
                painter.drawPolygon(wedge);
                break;
            }
        }
    }
    // The sectors bad for the people going, hatched.
    if (haveSectors && m_bad != 0) {
        const double reachKm = std::min(RimKm, farCorner);
        for (int s = 0; s < 8; ++s) {
            if (((m_bad >> SectorPalace[std::size_t(s)]) & 1) == 0)
                continue;
            const double from = m_edges[std::size_t(s)];
            const double width = normalizedAzimuth(m_edges[std::size_t((s + 1) % 8)] - from);
            QPolygonF wedge{home};
            for (double d = 0; d < width; d += 1)
                wedge << ray(from + d, reachKm);
            wedge << ray(from + width, reachKm);
            painter.setPen(Qt::NoPen);
            painter.setBrush(QBrush(QColor(0xd0, 0x20, 0x20, 110), Qt::BDiagPattern));
            painter.drawPolygon(wedge);
        }
    }
    painter.setBrush(Qt::NoBrush);
    // Coasts.
    painter.setPen(QPen(QColor(0x3c, 0x6e, 0x46), 1.0));
    for (const QPolygonF &line : m_coastLines)
        painter.drawPolyline(t.map(line));
    // Distance rings, only those that cross the view.
    const double step = ringStep(m_scale, 70);
    const double reach = std::min(RimKm, farCorner);
    painter.setPen(QPen(QColor(0xa0, 0xa0, 0xc0), 1.0, Qt::DotLine));
    for (double r = std::max(step, std::floor(nearest / step) * step); r < reach; r += step)
        circle(r);
    if (farCorner >= RimKm) {
        painter.setPen(QPen(QColor(0x60, 0x60, 0x60), 1.0));
        circle(RimKm);
    }
    // Sector lines.
    if (haveSectors) {
        painter.setPen(QPen(QColor(0xc0, 0x20, 0x20), 1.4));
        for (double edge : m_edges)
            painter.drawLine(home, ray(edge, std::min(RimKm, farCorner)));
    }
    // The selected place's geodesic: a straight line from the centre.
    if (m_selected >= 0 && m_selected != m_home && m_home >= 0) {
        painter.setPen(QPen(QColor(0xe0, 0x80, 0x00), 2.0));
        const MapPoint p = m_points[std::size_t(m_selected)];
        painter.drawLine(home, t.map(QPointF(p.x, p.y)));
    }

    // Labels: ring distances, sector names round the centre.
    QFont small = font();
    small.setPointSizeF(std::max(7.0, small.pointSizeF() - 1));
    painter.setFont(small);
    for (double r = std::max(step, std::floor(nearest / step) * step); r < reach; r += step) {
        // Between the north sector's edge and the north-east name.
        const QPointF at = t.map(along(34, r));
        if (QRectF(QPointF(0, 0), size).contains(at))
            haloText(painter, at + QPointF(3, -3), kmText(r), QColor(0x50, 0x50, 0x80));
    }
    if (haveSectors) {
        QFont big = font();
        big.setBold(true);
        big.setPointSizeF(big.pointSizeF() + 3);
        painter.setFont(big);
        const double radius = std::min(size.width(), size.height()) * 0.36;
        for (int s = 0; s < 8; ++s) {
            const double from = m_edges[std::size_t(s)];
            const double width = normalizedAzimuth(m_edges[std::size_t((s + 1) % 8)] - from);
            const double mid = (from + width / 2) * DegToRad;
            const QString name = qs(SectorName[std::size_t(s)]);
            const QPointF at = home + QPointF(radius * std::sin(mid), -radius * std::cos(mid));
            const QRectF box = painter.fontMetrics().boundingRect(name);
            haloText(painter, at - QPointF(box.width() / 2, -painter.fontMetrics().ascent() / 2.0 + 2), name,
                     s == tinted ? QColor(0xb0, 0x50, 0x00) : QColor(0xa0, 0x10, 0x10));
        }
    }
    // The places.
    painter.setFont(font());
    for (std::size_t i = 0; i < m_points.size(); ++i) {
        const QPointF at = t.map(QPointF(m_points[i].x, m_points[i].y));
        const bool isHome = static_cast<int>(i) == m_home;
        const bool chosen = static_cast<int>(i) == m_selected;
        if (chosen) {
            painter.setPen(QPen(QColor(0xe0, 0x80, 0x00), 2.5));
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(at, 9, 9);
        }
        painter.setPen(QPen(Qt::white, 1.5));
        painter.setBrush(isHome ? QColor(0xd0, 0x10, 0x10) : QColor(0x10, 0x40, 0xc0));
        painter.drawEllipse(at, isHome ? 6.0 : 4.5, isHome ? 6.0 : 4.5);
        if (isHome) {
            painter.setBrush(Qt::white);
            painter.setPen(Qt::NoPen);
            painter.drawEllipse(at, 2.0, 2.0);
        }
        const QString name = isHome ? QStringLiteral("基点：") + qs(m_places[i].name) : qs(m_places[i].name);
        haloText(painter, at + QPointF(9, 4), name, isHome ? QColor(0xa0, 0, 0) : Qt::black);
    }
    if (m_home < 0) {
        painter.setPen(QColor(0xa0, 0, 0));
        painter.drawText(QRect(QPoint(0, 0), size).adjusted(8, 8, -8, -8), Qt::AlignTop | Qt::AlignHCenter | Qt::TextWordWrap,
                         QStringLiteral("基点が決まっていません。地点帳で地点を登録し、基点にして下さい。"));
    }
    painter.restore();
}

void MapCanvas::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintMap(painter, size());
}

bool MapCanvas::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const int place = placeAt(help->pos());
        if (place >= 0 && hintOf) {
            QToolTip::showText(help->globalPos(), hintOf(place), this);
            return true;
        }
    }
    return QWidget::event(event);
}

// The keyboard as well as the mouse: + and - zoom, the arrows pan, Home
// shows every place again.
void MapCanvas::keyPressEvent(QKeyEvent *event)
{
    const QPointF middle = QRectF(rect()).center();
    constexpr double Step = 60; // pixels an arrow pans
    switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        zoomBy(1.25, middle);
        break;
    case Qt::Key_Minus:
        zoomBy(1 / 1.25, middle);
        break;
    case Qt::Key_Left:
        panBy({Step, 0});
        break;
    case Qt::Key_Right:
        panBy({-Step, 0});
        break;
    case Qt::Key_Up:
        panBy({0, Step});
        break;
    case Qt::Key_Down:
        panBy({0, -Step});
        break;
    case Qt::Key_Home:
        resetView();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void MapCanvas::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_pressAt = event->position().toPoint();
    m_lookAtPress = m_look;
    m_dragging = false;
}

void MapCanvas::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return;
    const QPoint moved = event->position().toPoint() - m_pressAt;
    if (!m_dragging && moved.manhattanLength() <= 3)
        return;
    m_dragging = true;
    m_look = m_lookAtPress + QPointF(-moved.x() / m_scale, moved.y() / m_scale);
    update();
}

void MapCanvas::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    if (!m_dragging) {
        const int place = placeAt(event->position().toPoint());
        if (place >= 0) {
            setSelected(place);
            if (placeClicked)
                placeClicked(place);
        }
    }
    m_dragging = false;
}

void MapCanvas::wheelEvent(QWheelEvent *event)
{
    const double steps = event->angleDelta().y() / 120.0;
    if (steps != 0)
        zoomBy(std::pow(1.25, steps), event->position());
    event->accept();
}

void MapCanvas::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (!m_viewSet)
        resetView();
}

// --- the window ------------------------------------------------------------------------------

TMapF::TMapF(PlaceAccess &places, QWidget *parent) : QWidget(parent, Qt::Window), m_access(places)
{
    setObjectName(QStringLiteral("MapF"));
    setWindowTitle(QStringLiteral("方位地図"));
    setHelpTopic(this, HelpDirectionMap);

    m_divBox = new QComboBox(this);
    m_divBox->setObjectName(QStringLiteral("DivBox"));
    m_divBox->addItem(QStringLiteral("45°均等"));
    m_divBox->addItem(QStringLiteral("30°/60°"));
    m_divBox->setToolTip(QStringLiteral("方位の区分：45°ずつの八方位、または四正30°・四隅60°"));
    m_pathBox = new QComboBox(this);
    m_pathBox->setObjectName(QStringLiteral("PathBox"));
    m_pathBox->addItem(QStringLiteral("大圏"));
    m_pathBox->addItem(QStringLiteral("等角航路"));
    m_pathBox->setToolTip(QStringLiteral("大圏：基点での最短経路の向き（この地図上の向き）、等角航路：一定の方位で進む経路（メルカトル図上の向き）"));
    m_northBox = new QComboBox(this);
    m_northBox->setObjectName(QStringLiteral("NorthBox"));
    m_northBox->addItem(QStringLiteral("真北"));
    m_northBox->addItem(QStringLiteral("磁北"));
    m_northBox->setToolTip(QStringLiteral("磁北：基点の今日の偏角（世界磁気モデル2025、2025～2029年）で方位を測ります"));
    m_marginE = new QDoubleSpinBox(this);
    m_marginE->setObjectName(QStringLiteral("MarginE"));
    m_marginE->setRange(0, 15);
    m_marginE->setDecimals(1);
    m_marginE->setSingleStep(0.5);
    m_marginE->setSuffix(QStringLiteral("°"));
    m_marginE->setToolTip(QStringLiteral("方位の境界からこの角度以内は「境界付近」とします"));

    const auto button = [this](const char *name, const QString &text, const QString &hint) {
        return makeToolButton(this, name, text, hint);
    };
    QPushButton *fitBtn = button("FitBtn", QStringLiteral("全体"), QStringLiteral("すべての地点が入るように表示します"));
    QPushButton *inBtn = button("ZoomInBtn", QStringLiteral("拡大"), QStringLiteral("地図を拡大します（マウスのホイールでも）"));
    QPushButton *outBtn = button("ZoomOutBtn", QStringLiteral("縮小"), QStringLiteral("地図を縮小します"));
    QPushButton *bookBtn = button("BookBtn", QStringLiteral("地点帳…"), QStringLiteral("地点の登録・変更・削除、基点の指定をします"));
    QPushButton *expBtn = button("ExpBtn", QStringLiteral("出力"), QStringLiteral("地図を画像(PNG)かPDFのファイルに出力します"));
    m_prevBtn = button("PrevBtn", QStringLiteral("印刷ﾌﾟﾚﾋﾞｭｰ"), QStringLiteral("地図を印刷します"));
    m_prevBtn->hide();
    m_searchBtn = button("SearchBtn", QStringLiteral("この方位で検索"), QStringLiteral("選んだ地点の方位で検索一覧表を作成します"));
    m_heatBtn = button("HeatBtn", QStringLiteral("ヒートマップ"), QStringLiteral("選んだ地点の方位の方位ヒートマップを表示します"));
    m_caleBtn = button("CaleBtn", QStringLiteral("カレンダー"), QStringLiteral("選んだ地点の方位の数値カレンダーを表示します"));
    m_destBtn = button("DestBtn", QStringLiteral("目的地にする"),
                       QStringLiteral("選んだ地点を目的地にし、遁甲盤でその方位の宮を枠で囲みます"));
    QPushButton *helpBtn = button("HelpBtn", QStringLiteral("ﾍﾙﾌﾟ(&H)"), QString());

    m_canvas = new MapCanvas(this);
    m_infoL = new QLabel(this);
    m_infoL->setObjectName(QStringLiteral("InfoL"));
    m_infoL->setWordWrap(true);
    m_infoL->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_infoL->setMinimumHeight(2 * fontMetrics().lineSpacing() + 4);

    auto *controls = new QHBoxLayout;
    controls->setSpacing(4);
    const auto label = [this](const QString &text) { return new QLabel(text, this); };
    controls->addWidget(label(QStringLiteral("区分")));
    controls->addWidget(m_divBox);
    controls->addWidget(label(QStringLiteral("経路")));
    controls->addWidget(m_pathBox);
    controls->addWidget(label(QStringLiteral("北")));
    controls->addWidget(m_northBox);
    controls->addWidget(label(QStringLiteral("境界の幅")));
    controls->addWidget(m_marginE);
    controls->addSpacing(6);
    controls->addWidget(fitBtn);
    controls->addWidget(inBtn);
    controls->addWidget(outBtn);
    controls->addStretch(1);
    controls->addWidget(bookBtn);
    controls->addWidget(expBtn);
    controls->addWidget(m_prevBtn);
    m_peopleBox = new QCheckBox(QStringLiteral("同行者の凶方位"), this);
    m_peopleBox->setObjectName(QStringLiteral("PeopleBox"));
    auto *actions = new QHBoxLayout;
    actions->setSpacing(4);
    actions->addWidget(m_infoL, 1);
    actions->addWidget(m_peopleBox);
    for (QPushButton *b : {m_searchBtn, m_heatBtn, m_caleBtn, m_destBtn, helpBtn})
        actions->addWidget(b);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    layout->addLayout(controls);
    layout->addWidget(m_canvas, 1);
    layout->addLayout(actions);

    connect(fitBtn, &QPushButton::clicked, m_canvas, &MapCanvas::resetView);
    connect(inBtn, &QPushButton::clicked, this, [this] { m_canvas->zoomBy(1.5, m_canvas->rect().center()); });
    connect(outBtn, &QPushButton::clicked, this, [this] { m_canvas->zoomBy(1 / 1.5, m_canvas->rect().center()); });
    connect(bookBtn, &QPushButton::clicked, this, [this] {
        if (openPlaceBook)
            openPlaceBook();
    });
    connect(expBtn, &QPushButton::clicked, this, &TMapF::ExpBtnClick);
    connect(helpBtn, &QPushButton::clicked, this, [] { showHelp(HelpDirectionMap); });
    connect(m_prevBtn, &QPushButton::clicked, this, [this] {
        if (!m_preview)
            return;
        const QSize size = m_canvas->size();
        m_preview(size, [canvas = QPointer<MapCanvas>(m_canvas), size, title = title()](QPainter &painter) {
            if (canvas)
                canvas->paintMap(painter, size, title);
        });
    });
    connect(m_searchBtn, &QPushButton::clicked, this, [this] { openWith(openSearch); });
    connect(m_heatBtn, &QPushButton::clicked, this, [this] { openWith(openHeatMap); });
    connect(m_caleBtn, &QPushButton::clicked, this, [this] { openWith(openCalendar); });
    connect(m_destBtn, &QPushButton::clicked, this, [this] { openWith(chooseDestination); });
    m_canvas->placeClicked = [this](int) { showSelected(); };
    connect(m_peopleBox, &QCheckBox::toggled, this, &TMapF::showPeople);
    connect(&GoingPeople::instance(), &GoingPeople::changed, this, &TMapF::showPeople);
    showPeople();
    m_canvas->hintOf = [this](int i) {
        const Place &place = m_canvas->places()[std::size_t(i)];
        const std::optional<Place> home = m_canvas->homePlace();
        if (place.home || !home)
            return qs(place.home ? "基点：" + place.name : place.name);
        const std::optional<PlaceBearing> b = m_access.bearing(*home, place, m_settings, nullptr);
        return b ? qs(place.name) + QLatin1Char('\n') + bearingText(*b) : qs(place.name);
    };

    saveFileName = [](QWidget *parent) {
        return askSaveFile(parent, QStringLiteral("出力"),
                           {QStringLiteral("PNG (*.png)"), QStringLiteral("PDF (*.pdf)"), QStringLiteral("すべて (*)")},
                           QStringLiteral("png"), QStringLiteral("方位地図.png"));
    };

    m_settings = readBearingSettings(m_access.store());
    m_restoring = true;
    m_divBox->setCurrentIndex(m_settings.division == SectorDivision::Uneven3060 ? 1 : 0);
    m_pathBox->setCurrentIndex(m_settings.path == BearingPath::Rhumb ? 1 : 0);
    m_northBox->setCurrentIndex(m_settings.magnetic ? 1 : 0);
    m_marginE->setValue(m_settings.margin);
    m_restoring = false;
    for (QComboBox *box : {m_divBox, m_pathBox, m_northBox})
        connect(box, &QComboBox::currentIndexChanged, this, &TMapF::settingsChanged);
    connect(m_marginE, &QDoubleSpinBox::valueChanged, this, &TMapF::settingsChanged);
    connect(&m_access, &PlaceAccess::changed, this, [this] {
        if (isVisible())
            reload();
    });

    resize(900, 640);
    const QByteArray geometry = GeometryValue.read(m_access.store());
    if (!geometry.isEmpty())
        restoreGeometry(geometry);
}

TMapF::~TMapF() = default;

void TMapF::hideEvent(QHideEvent *event)
{
    if (!event->spontaneous())
        GeometryValue.write(m_access.store(), saveGeometry());
    QWidget::hideEvent(event);
}

void TMapF::setPreview(std::function<void(QSize, std::function<void(QPainter &)>)> preview)
{
    m_preview = std::move(preview);
    m_prevBtn->setVisible(bool(m_preview));
}

void TMapF::showMap()
{
    show();
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
    reload();
    // The entered moment may have moved since: its year and month charts again.
    showPeople();
}

void TMapF::reload()
{
    if (!m_coast && m_coastError.isEmpty()) {
        std::string error;
        std::optional<Coastlines> coast = readCoastlines(DefaultCoastlineFile, error);
        if (coast)
            m_coast = std::make_shared<const Coastlines>(std::move(*coast));
        else {
            // The map still serves without coasts: say so once.
            m_coastError = qs(error);
            ui::showWarning(this, m_coastError + QStringLiteral("\n海岸線なしで表示します。"));
        }
        m_canvas->setCoastlines(m_coast);
    }
    const QString chosen = m_canvas->selected() >= 0 ? qs(m_canvas->places()[std::size_t(m_canvas->selected())].name)
                                                     : QString();
    m_canvas->setPlaces(m_access.places(this), m_canvas->centre());
    if (!chosen.isEmpty())
        selectPlace(chosen);
    settingsChanged();
}

void TMapF::selectPlace(const QString &name)
{
    const auto &places = m_canvas->places();
    int found = -1;
    for (std::size_t i = 0; i < places.size(); ++i)
        if (qs(places[i].name) == name)
            found = static_cast<int>(i);
    m_canvas->setSelected(found);
    showSelected();
}

BearingSettings TMapF::currentSettings() const
{
    BearingSettings s;
    s.division = m_divBox->currentIndex() == 1 ? SectorDivision::Uneven3060 : SectorDivision::Even45;
    s.path = m_pathBox->currentIndex() == 1 ? BearingPath::Rhumb : BearingPath::Geodesic;
    s.magnetic = m_northBox->currentIndex() == 1;
    s.margin = m_marginE->value();
    return s;
}

void TMapF::settingsChanged()
{
    if (m_restoring)
        return;
    BearingSettings s = currentSettings();
    m_declination.reset();
    const std::optional<Place> home = m_canvas->homePlace();
    if (s.magnetic && home) {
        QString error;
        m_declination = m_access.declinationAt({home->lat, home->lon}, error);
        if (!m_declination) {
            // Magnetic north is refused outside the model: back to true north.
            ui::showError(this, error);
            s.magnetic = false;
            m_restoring = true;
            m_northBox->setCurrentIndex(0);
            m_restoring = false;
        }
    }
    m_settings = s;
    writeBearingSettings(m_access.store(), s);
    m_access.notifySettingsChanged();
    std::vector<double> edges;
    if (home)
        for (int sector = 0; sector < 8; ++sector)
            edges.push_back(normalizedAzimuth(sectorStart(sector, s.division) + m_declination.value_or(0)));
    m_canvas->setSectorEdges(std::move(edges), s.division);
    showSelected();
}

QString TMapF::title() const
{
    const std::optional<Place> home = m_canvas->homePlace();
    QString text = QStringLiteral("方位地図");
    if (home)
        text += QStringLiteral("　基点：") + qs(home->name);
    text += QStringLiteral("（%1）").arg(bearingSettingsText(m_settings));
    if (m_declination)
        text += QStringLiteral("　偏角 %1°").arg(*m_declination, 0, 'f', 1);
    return text;
}

bool TMapF::peopleShown() const
{
    return m_peopleBox->isEnabled() && m_peopleBox->isChecked();
}

void TMapF::showPeople()
{
    const GoingPeople &going = GoingPeople::instance();
    m_peopleBox->setEnabled(!going.empty());
    m_peopleBox->setToolTip(going.empty()
                                ? QStringLiteral("「人物」で同行する人に印を付けると使えます")
                                : QStringLiteral("入力した日時の年盤・月盤で%1の誰かに凶となる方位に斜線を引きます。"
                                                 "ここから開く検索・ヒートマップ・カレンダーもその方位を除きます")
                                      .arg(going.names()));
    std::uint16_t bad = 0;
    if (peopleShown() && yearMonthFacts)
        if (const std::optional<Koyomi> k = yearMonthFacts())
            bad = going.exclusion(true).yearMonth(*k);
    m_canvas->setBadSectors(bad);
    showSelected();
}

void TMapF::showSelected()
{
    m_bearing.reset();
    const int chosen = m_canvas->selected();
    const std::optional<Place> home = m_canvas->homePlace();
    QString text;
    if (chosen < 0) {
        text = home ? QStringLiteral("地点をクリックすると、基点からの方位・区分・距離・境界までの角度を表示します。")
                    : QString();
    } else {
        const Place &place = m_canvas->places()[std::size_t(chosen)];
        if (place.home) {
            text = QStringLiteral("基点：%1（%2）").arg(qs(place.name), latLonText(place));
        } else if (home) {
            QString error;
            m_bearing = m_access.bearing(*home, place, m_settings, nullptr, &error);
            text = m_bearing ? QStringLiteral("%1：%2").arg(qs(place.name), bearingText(*m_bearing))
                             : QStringLiteral("%1：%2").arg(qs(place.name), error);
            if (m_bearing && m_bearing->declination)
                text += QStringLiteral("　磁北（偏角 %1°）").arg(*m_bearing->declination, 0, 'f', 1);
            if (m_bearing && m_settings.path == BearingPath::Rhumb)
                text += QStringLiteral("　等角航路");
            if (m_bearing && ((m_canvas->badSectors() >> SectorPalace[std::size_t(m_bearing->fix.sector)]) & 1))
                text += QStringLiteral("　同行者の凶方位（年盤・月盤）");
        } else {
            text = QStringLiteral("%1（%2）基点が決まっていないので方位は出せません。").arg(qs(place.name), latLonText(place));
        }
    }
    m_infoL->setText(text);
    for (QPushButton *b : {m_searchBtn, m_heatBtn, m_caleBtn, m_destBtn})
        b->setEnabled(m_bearing.has_value());
}

void TMapF::openWith(const std::function<void(int, const QString &)> &open)
{
    const int chosen = m_canvas->selected();
    if (!m_bearing || chosen < 0 || !open)
        return;
    const QString name = qs(m_canvas->places()[std::size_t(chosen)].name);
    const int palace = chooseDirection(this, name, *m_bearing);
    if (palace > 0)
        open(palace, name);
}

QString TMapF::exportPicture(const QString &path) const
{
    const QSize size = m_canvas->size();
    const QString heading = title();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)) {
        QPdfWriter writer(&buffer);
        writer.setResolution(96);
        writer.setTitle(heading);
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setPageSize(QPageSize(QSizeF(size.width() * 72.0 / 96, size.height() * 72.0 / 96), QPageSize::Point));
        QPainter painter(&writer);
        painter.setFont(m_canvas->font());
        painter.scale(double(writer.width()) / size.width(), double(writer.height()) / size.height());
        m_canvas->paintMap(painter, size, heading);
    } else {
        // Twice the screen's pixels, so that lines and names stay sharp.
        QImage image(size * 2, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            painter.setFont(m_canvas->font());
            painter.scale(2, 2);
            m_canvas->paintMap(painter, size, heading);
        }
        if (!image.save(&buffer, "PNG"))
            return QStringLiteral("『%1』を、画像にできませんでした。").arg(path);
    }
    buffer.close();
    return qs(writeBytesAtomic(path.toStdString(), bytes.toStdString()));
}

void TMapF::ExpBtnClick()
{
    savePicture(this, saveFileName ? saveFileName(this) : QString(),
                [this](const QString &path) { return exportPicture(path); });
}

} // namespace velm
