#include "shell/charts/chartexport.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

#include "engine/textfile.h"
#include "shell/charts/chartwindow.h"
#include "shell/common/strings.h"

namespace velm {
namespace {

// PNG at twice the screen's pixels: sharp when printed or shown on a
// high-density screen.
constexpr int PngScale = 2;

QString writeWhole(const QString &path, const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return QStringLiteral("『%1』を、作成できませんでした。").arg(path);
    const std::string error = writeBytesAtomic(QFile::encodeName(path).toStdString(), bytes.toStdString());
    return qs(error);
}

// Draws the chart scaled to fit `target`, centred, keeping its proportions.
void paintFitted(QPainter &painter, TBanF &chart, const QRectF &target)
{
    const QSizeF size = chart.printSize();
    if (size.isEmpty())
        return;
    const qreal scale = std::min(target.width() / size.width(), target.height() / size.height());
    painter.save();
    painter.translate(target.x() + (target.width() - size.width() * scale) / 2,
                      target.y() + (target.height() - size.height() * scale) / 2);
    painter.scale(scale, scale);
    chart.paintChart(painter);
    painter.restore();
}

} // namespace

std::optional<ChartImageFormat> chartImageFormatOf(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("png"))
        return ChartImageFormat::Png;
    if (suffix == QLatin1String("svg"))
        return ChartImageFormat::Svg;
    if (suffix == QLatin1String("pdf"))
        return ChartImageFormat::Pdf;
    return std::nullopt;
}

QString chartImageFilters()
{
    return QStringLiteral("PNG 画像 (*.png);;SVG 画像 (*.svg);;PDF (*.pdf)");
}

QByteArray chartImageBytes(TBanF &chart, ChartImageFormat format)
{
    const QSize size = chart.printSize();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    switch (format) {
    case ChartImageFormat::Png: {
        QImage image(size * PngScale, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(PngScale);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setRenderHint(QPainter::TextAntialiasing);
            chart.paintChart(painter);
        }
        image.setDevicePixelRatio(1);
        if (!image.save(&buffer, "PNG"))
            return {};
        break;
    }
    case ChartImageFormat::Svg: {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle(chart.title());
        QPainter painter(&svg);
        painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
        chart.paintChart(painter);
        break;
    }
    case ChartImageFormat::Pdf: {
        // One screen pixel to one point: the page is the chart's own size.
        QPdfWriter pdf(&buffer);
        pdf.setTitle(chart.title());
        pdf.setCreator(QStringLiteral("VELM"));
        pdf.setResolution(72);
        pdf.setPageLayout(QPageLayout(QPageSize(QSizeF(size), QPageSize::Point, QString(), QPageSize::ExactMatch),
                                      QPageLayout::Portrait, QMarginsF()));
        QPainter painter(&pdf);
        chart.paintChart(painter);
        break;
    }
    }
    return bytes;
}

QString saveChartImage(TBanF &chart, const QString &path)
{
    const std::optional<ChartImageFormat> format = chartImageFormatOf(path);
    if (!format)
        return QStringLiteral("『%1』は、png、svg、pdf のいずれかの名前で保存して下さい。").arg(path);
    return writeWhole(path, chartImageBytes(chart, *format));
}

QString saveChartsPdf(const QList<TBanF *> &charts, const QString &path, bool fourPerSheet)
{
    if (charts.isEmpty())
        return QStringLiteral("書き出す遁甲盤がありません。");
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setCreator(QStringLiteral("VELM"));
        pdf.setTitle(charts.front()->title());
        pdf.setResolution(72);
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                      QMarginsF(28, 28, 28, 28), QPageLayout::Point));
        QPainter painter(&pdf);
        const QRectF page(QPointF(0, 0), QSizeF(pdf.width(), pdf.height()));
        const int perPage = fourPerSheet ? 4 : 1;
        const qreal gap = 14;
        for (int i = 0; i < charts.size(); ++i) {
            const int slot = i % perPage;
            if (i > 0 && slot == 0)
                pdf.newPage();
            QRectF cell = page;
            if (fourPerSheet) {
                const qreal w = (page.width() - gap) / 2;
                const qreal h = (page.height() - gap) / 2;
                cell = QRectF((slot % 2) * (w + gap), (slot / 2) * (h + gap), w, h);
            }
            paintFitted(painter, *charts[i], cell);
        }
    }
    return writeWhole(path, bytes);
}

} // namespace velm
