#pragma once

// Charts as pictures and PDF pages, drawn by the chart window's own painting
// (TBanF::paintChart), so a saved chart looks as it does on screen. Every
// file is made in memory and written whole through the atomic writer.

#include <optional>

#include <QByteArray>
#include <QList>
#include <QString>

namespace velm {

class TBanF;

enum class ChartImageFormat { Png, Svg, Pdf };

// The format a file name asks for by its suffix (any case); none for others.
std::optional<ChartImageFormat> chartImageFormatOf(const QString &path);

// The file dialog's filters, PNG first, and the suffix each adds.
QString chartImageFilters();

// The bytes of one chart: PNG at twice the screen's pixels, SVG, or a PDF page
// the size of the chart.
QByteArray chartImageBytes(TBanF &chart, ChartImageFormat format);

// Writes one chart; the format from the suffix. Empty text on success, else
// the message for the user (naming the file).
QString saveChartImage(TBanF &chart, const QString &path);

// Several charts in one PDF on A4 landscape: one chart per page, or four to
// a sheet (two by two, in the order given). Empty text on success.
QString saveChartsPdf(const QList<TBanF *> &charts, const QString &path, bool fourPerSheet);

} // namespace velm
