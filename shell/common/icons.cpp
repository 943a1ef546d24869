#include "shell/common/icons.h"

#include <cmath>
#include <map>

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace velm {
namespace {

const QColor Ink(31, 47, 95);      // navy outlines
const QColor Teal(0, 128, 128);    // the active chart window's colour
const QColor Paper(250, 250, 244);
const QColor Red(200, 40, 40);
const QColor Green(30, 140, 60);
// The default score colours, strongest first.
const QColor Score[5] = {QColor(142, 255, 255), QColor(187, 255, 204), QColor(255, 255, 157),
                         QColor(255, 166, 255), QColor(255, 136, 136)};

QPen ink(double width = 1.2)
{
    return QPen(Ink, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A small window: frame, teal title bar.
void miniWindow(QPainter &p, const QRectF &r, const QColor &body = Paper)
{
    p.setPen(ink());
    p.setBrush(body);
    p.drawRect(r);
    p.setPen(Qt::NoPen);
    p.setBrush(Teal);
    p.drawRect(QRectF(r.left(), r.top(), r.width(), std::min(3.5, r.height() / 3)));
}

// A 3 x 3 palace grid; colours by cell, row-major, or none for paper.
void palaceGrid(QPainter &p, const QRectF &r, bool coloured)
{
    static const int order[9] = {0, 3, 1, 2, 5, 0, 1, 4, 2};
    const double w = r.width() / 3, h = r.height() / 3;
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 9; ++i) {
        const QRectF cell(r.left() + (i % 3) * w, r.top() + (i / 3) * h, w, h);
        if (i == 4)
            p.setBrush(Teal);
        else
            p.setBrush(coloured ? Score[order[i] % 5] : Paper);
        p.drawRect(cell);
    }
    p.setPen(ink());
    p.setBrush(Qt::NoBrush);
    p.drawRect(r);
    for (int k = 1; k < 3; ++k) {
        p.drawLine(QPointF(r.left() + k * w, r.top()), QPointF(r.left() + k * w, r.bottom()));
        p.drawLine(QPointF(r.left(), r.top() + k * h), QPointF(r.right(), r.top() + k * h));
    }
}

// A page with a folded corner.
void page(QPainter &p, const QRectF &r)
{
    QPainterPath path;
    const double fold = r.width() * 0.3;
    path.moveTo(r.topLeft());
    path.lineTo(r.right() - fold, r.top());
    path.lineTo(r.right(), r.top() + fold);
    path.lineTo(r.bottomRight());
    path.lineTo(r.bottomLeft());
    path.closeSubpath();
    p.setPen(ink());
    p.setBrush(Paper);
    p.drawPath(path);
    p.drawLine(QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold));
    p.drawLine(QPointF(r.right() - fold, r.top() + fold), QPointF(r.right(), r.top() + fold));
}

void textLines(QPainter &p, double left, double right, double top, int count, double gap = 3)
{
    p.setPen(QPen(Ink, 1.0));
    for (int i = 0; i < count; ++i)
        p.drawLine(QPointF(left, top + i * gap), QPointF(right - (i % 2) * 2, top + i * gap));
}

// A filled arrow pointing right, its tip at `tip`.
void arrowRight(QPainter &p, const QPointF &tip, double size, const QColor &c)
{
    QPainterPath a;
    a.moveTo(tip);
    a.lineTo(tip.x() - size, tip.y() - size * 0.7);
    a.lineTo(tip.x() - size, tip.y() - size * 0.3);
    a.lineTo(tip.x() - size * 2, tip.y() - size * 0.3);
    a.lineTo(tip.x() - size * 2, tip.y() + size * 0.3);
    a.lineTo(tip.x() - size, tip.y() + size * 0.3);
    a.lineTo(tip.x() - size, tip.y() + size * 0.7);
    a.closeSubpath();
    p.setPen(QPen(c.darker(140), 0.8));
    p.setBrush(c);
    p.drawPath(a);
}

void magnifier(QPainter &p, const QPointF &centre, double radius)
{
    p.setPen(QPen(Ink, 2.2, Qt::SolidLine, Qt::RoundCap));
    const QPointF handle = centre + QPointF(radius * 0.72, radius * 0.72);
    p.drawLine(handle, handle + QPointF(radius * 0.9, radius * 0.9));
    p.setPen(ink(1.6));
    p.setBrush(QColor(220, 240, 250));
    p.drawEllipse(centre, radius, radius);
}

void glyph(QPainter &p, const QRectF &r, const QString &text, const QColor &c, double pixelSize, bool bold = true)
{
    QFont f = p.font();
    f.setPixelSize(static_cast<int>(pixelSize));
    f.setBold(bold);
    p.setFont(f);
    p.setPen(c);
    p.drawText(r, Qt::AlignCenter, text);
}

void draw(QPainter &p, IconId id)
{
    switch (id) {
    case IconId::App:
        palaceGrid(p, QRectF(2.5, 2.5, 19, 19), true);
        break;
    case IconId::MakeCharts:
        palaceGrid(p, QRectF(2.5, 2.5, 15, 15), true);
        p.setPen(Qt::NoPen);
        p.setBrush(Green);
        p.drawEllipse(QPointF(17.5, 17.5), 5.5, 5.5);
        p.setPen(QPen(Qt::white, 1.8, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(17.5, 14.5), QPointF(17.5, 20.5));
        p.drawLine(QPointF(14.5, 17.5), QPointF(20.5, 17.5));
        break;
    case IconId::Now: {
        p.setPen(ink(1.6));
        p.setBrush(Paper);
        p.drawEllipse(QPointF(12, 12), 9.5, 9.5);
        p.setPen(QPen(Ink, 1.0));
        for (int i = 0; i < 12; ++i) {
            const double a = i * M_PI / 6;
            p.drawLine(QPointF(12 + 7.5 * std::sin(a), 12 - 7.5 * std::cos(a)),
                       QPointF(12 + 8.7 * std::sin(a), 12 - 8.7 * std::cos(a)));
        }
        p.setPen(QPen(Ink, 1.8, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(12, 12), QPointF(12, 6.5));
        p.setPen(QPen(Red, 1.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(12, 12), QPointF(16.5, 14.5));
        break;
    }
    case IconId::ExportCharts:
        page(p, QRectF(3.5, 2.5, 13, 18));
        palaceGrid(p, QRectF(5.5, 7.5, 8, 8), false);
        arrowRight(p, QPointF(22.5, 17), 4, Green);
        break;
    case IconId::ExportText:
        page(p, QRectF(3.5, 2.5, 13, 18));
        textLines(p, 6, 13, 8, 4);
        arrowRight(p, QPointF(22.5, 17), 4, Green);
        break;
    case IconId::CloseAll:
        miniWindow(p, QRectF(2.5, 2.5, 13, 11));
        miniWindow(p, QRectF(6.5, 7.5, 13, 11));
        p.setPen(QPen(Red, 2.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(14, 14), QPointF(21.5, 21.5));
        p.drawLine(QPointF(21.5, 14), QPointF(14, 21.5));
        break;
    case IconId::Tile:
        miniWindow(p, QRectF(2.5, 3.5, 9, 8));
        miniWindow(p, QRectF(12.5, 3.5, 9, 8));
        miniWindow(p, QRectF(2.5, 12.5, 9, 8));
        miniWindow(p, QRectF(12.5, 12.5, 9, 8));
        break;
    case IconId::Cascade:
        miniWindow(p, QRectF(2.5, 2.5, 12, 10));
        miniWindow(p, QRectF(6.5, 6.5, 12, 10));
        miniWindow(p, QRectF(10.5, 10.5, 12, 10));
        break;
    case IconId::Help:
        p.setPen(Qt::NoPen);
        p.setBrush(Ink);
        p.drawEllipse(QPointF(12, 12), 10, 10);
        glyph(p, QRectF(2, 2, 20, 20), QStringLiteral("?"), Qt::white, 15);
        break;
    case IconId::System: {
        QPainterPath gear;
        const int teeth = 8;
        for (int i = 0; i < teeth * 2; ++i) {
            const double a0 = i * M_PI / teeth - M_PI / (teeth * 2.4);
            const double a1 = i * M_PI / teeth + M_PI / (teeth * 2.4);
            const double r = (i % 2 == 0) ? 10.0 : 7.6;
            const QPointF p0(12 + r * std::cos(a0), 12 + r * std::sin(a0));
            const QPointF p1(12 + r * std::cos(a1), 12 + r * std::sin(a1));
            if (i == 0)
                gear.moveTo(p0);
            else
                gear.lineTo(p0);
            gear.lineTo(p1);
        }
        gear.closeSubpath();
        gear.addEllipse(QPointF(12, 12), 3.2, 3.2);
        gear.setFillRule(Qt::OddEvenFill);
        p.setPen(ink(1.0));
        p.setBrush(QColor(120, 140, 170));
        p.drawPath(gear);
        break;
    }
    case IconId::Web:
        p.setPen(ink(1.3));
        p.setBrush(QColor(200, 230, 250));
        p.drawEllipse(QPointF(12, 12), 9.5, 9.5);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(12, 12), 4.2, 9.5);
        p.drawLine(QPointF(2.5, 12), QPointF(21.5, 12));
        p.drawLine(QPointF(12, 2.5), QPointF(12, 21.5));
        p.drawLine(QPointF(4.2, 7), QPointF(19.8, 7));
        p.drawLine(QPointF(4.2, 17), QPointF(19.8, 17));
        break;
    case IconId::Calendar:
        p.setPen(ink());
        p.setBrush(Paper);
        p.drawRect(QRectF(2.5, 4.5, 19, 17));
        p.setPen(Qt::NoPen);
        p.setBrush(Red);
        p.drawRect(QRectF(3, 5, 18, 4));
        p.setPen(QPen(Ink, 1.0));
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 4; ++c) {
                p.setBrush(r == 1 && c == 2 ? Score[0] : Paper);
                p.drawRect(QRectF(4.5 + c * 4, 10.5 + r * 3.5, 3, 2.5));
            }
        p.setPen(ink(1.6));
        p.drawLine(QPointF(7, 2.5), QPointF(7, 6.5));
        p.drawLine(QPointF(17, 2.5), QPointF(17, 6.5));
        break;
    case IconId::HeatMap:
        // Weeks of cells in the score colours, one outlined.
        p.setPen(Qt::NoPen);
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c) {
                p.setBrush(Score[(r * 3 + c * 2 + (r == c ? 0 : 1)) % 5]);
                p.drawRect(QRectF(3 + c * 4.6, 3 + r * 4.6, 4.2, 4.2));
            }
        p.setPen(ink());
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(2.5, 2.5, 19, 19));
        p.setPen(QPen(Red, 1.4));
        p.drawRect(QRectF(7.4, 12.2, 4.6, 4.6));
        break;
    case IconId::List:
        p.setPen(ink());
        p.setBrush(Paper);
        p.drawRect(QRectF(2.5, 2.5, 19, 19));
        for (int i = 0; i < 4; ++i) {
            p.setPen(Qt::NoPen);
            p.setBrush(Score[i]);
            p.drawRect(QRectF(4.5, 5 + i * 4, 3, 3));
            p.setPen(QPen(Ink, 1.0));
            p.drawLine(QPointF(9.5, 6.5 + i * 4), QPointF(19, 6.5 + i * 4));
        }
        break;
    case IconId::Search:
        magnifier(p, QPointF(10, 10), 6.5);
        break;
    case IconId::ChartData:
        p.setPen(ink());
        p.setBrush(Paper);
        p.drawRect(QRectF(2.5, 2.5, 19, 19));
        p.setPen(QPen(Ink, 0.9));
        for (int i = 1; i < 5; ++i)
            p.drawLine(QPointF(2.5, 2.5 + i * 3.8), QPointF(21.5, 2.5 + i * 3.8));
        p.drawLine(QPointF(8.5, 2.5), QPointF(8.5, 21.5));
        palaceGrid(p, QRectF(12.5, 10.5, 9, 9), true);
        break;
    case IconId::QuickSearch:
        magnifier(p, QPointF(10, 10), 6.5);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(240, 170, 20));
        {
            QPainterPath bolt;
            bolt.moveTo(11, 5);
            bolt.lineTo(7.5, 11);
            bolt.lineTo(10, 11);
            bolt.lineTo(8.5, 15.5);
            bolt.lineTo(13, 9);
            bolt.lineTo(10.5, 9);
            bolt.closeSubpath();
            p.drawPath(bolt);
        }
        break;
    case IconId::CgiData:
        page(p, QRectF(3.5, 2.5, 17, 19));
        glyph(p, QRectF(3.5, 8, 17, 10), QStringLiteral("CGI"), Teal, 7);
        break;
    case IconId::Explanations:
        page(p, QRectF(2.5, 2.5, 14, 19));
        textLines(p, 5, 13, 8, 4);
        p.setPen(QPen(Ink, 0.8));
        p.setBrush(QColor(240, 170, 20));
        {
            QPainterPath pen;
            pen.moveTo(21.5, 8);
            pen.lineTo(23, 9.5);
            pen.lineTo(14, 18.5);
            pen.lineTo(11.8, 19.5);
            pen.lineTo(12.6, 17.2);
            pen.closeSubpath();
            p.drawPath(pen);
        }
        break;
    case IconId::Matters:
        p.setPen(ink());
        p.setBrush(QColor(230, 240, 255));
        p.drawRect(QRectF(3.5, 2.5, 17, 19));
        for (int i = 0; i < 3; ++i) {
            p.setPen(QPen(Green, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            QPolygonF tick;
            tick << QPointF(5.5, 7 + i * 5) << QPointF(7, 8.5 + i * 5) << QPointF(9.5, 5.5 + i * 5);
            p.drawPolyline(tick);
            p.setPen(QPen(Ink, 1.0));
            p.drawLine(QPointF(11.5, 7 + i * 5), QPointF(18.5, 7 + i * 5));
        }
        break;
    case IconId::Numbers:
        p.setPen(ink());
        p.setBrush(Paper);
        p.drawRect(QRectF(2.5, 4.5, 19, 15));
        glyph(p, QRectF(2.5, 4.5, 19, 15), QStringLiteral("123"), Ink, 8);
        p.setPen(Qt::NoPen);
        p.setBrush(Score[0]);
        p.drawRect(QRectF(3, 17, 18, 2));
        break;
    case IconId::Backup: {
        p.setPen(ink());
        p.setBrush(QColor(120, 140, 170));
        p.drawRoundedRect(QRectF(3.5, 11.5, 17, 10), 1.5, 1.5);
        p.setBrush(Paper);
        p.drawRect(QRectF(6.5, 13.5, 11, 3));
        p.setPen(QPen(Green, 1.8, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(6, 1.5, 12, 10), 20 * 16, 160 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(Green);
        QPolygonF head;
        head << QPointF(6.2, 4.5) << QPointF(5.5, 9.5) << QPointF(9.5, 7.5);
        p.drawPolygon(head);
        break;
    }
    case IconId::Notices: {
        QPainterPath bell;
        bell.moveTo(5, 17.5);
        bell.cubicTo(7, 15, 6, 6, 12, 5);
        bell.cubicTo(18, 6, 17, 15, 19, 17.5);
        bell.closeSubpath();
        p.setPen(ink());
        p.setBrush(QColor(240, 200, 60));
        p.drawPath(bell);
        p.drawEllipse(QPointF(12, 19.5), 2, 2);
        break;
    }
    case IconId::Tools: {
        p.setPen(QPen(QColor(90, 100, 120), 3.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(6, 18), QPointF(14, 10));
        p.setPen(ink(1.0));
        p.setBrush(QColor(150, 165, 190));
        QPainterPath head;
        head.addEllipse(QPointF(16, 8), 5, 5);
        QPainterPath notch;
        notch.addRect(QRectF(15, 2, 6, 4.5));
        p.drawPath(head.subtracted(notch));
        break;
    }
    case IconId::PrintCharts:
        page(p, QRectF(6.5, 1.5, 11, 10));
        palaceGrid(p, QRectF(8.5, 3.5, 7, 6), false);
        p.setPen(ink(1.0));
        p.setBrush(QColor(200, 205, 215));
        p.drawRoundedRect(QRectF(2.5, 10.5, 19, 8), 1.5, 1.5);
        p.setBrush(Paper);
        p.drawRect(QRectF(6.5, 15.5, 11, 6));
        break;
    }
}

QPixmap render(IconId id, int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(size / 24.0, size / 24.0);
    draw(p, id);
    return pm;
}

} // namespace

QIcon velmIcon(IconId id)
{
    static std::map<IconId, QIcon> cache;
    auto it = cache.find(id);
    if (it != cache.end())
        return it->second;
    QIcon icon;
    for (int size : {16, 24, 32, 48})
        icon.addPixmap(render(id, size));
    cache.emplace(id, icon);
    return icon;
}

} // namespace velm
