#pragma once

// The guard against clipped texts: every label, button, group caption, entry
// field, grid caption and grid cell of a window measured in its own font
// against the room it has. A text cut short reads as another text ("-33.00"
// as "33.00", "休門" as "休…"), so a window that cuts one is wrong.

#include <algorithm>

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QTableView>
#include <QTextDocument>
#include <QWidget>

namespace velm {

namespace clipping_detail {

inline QString where(const QWidget *w)
{
    QString path = w->objectName();
    for (const QWidget *p = w->parentWidget(); p; p = p->parentWidget())
        if (!p->objectName().isEmpty() && !p->objectName().startsWith(QLatin1String("qt_")))
            path.prepend(p->objectName() + QLatin1Char('/'));
    return path.isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : path;
}

inline QString line(const QWidget *w, const QString &text, int need, int have)
{
    return QStringLiteral("%1: \"%2\" needs %3 px, has %4").arg(where(w), text).arg(need).arg(have);
}

// The widest line of a text, "&" accelerators aside.
inline int advance(const QFontMetrics &m, const QString &text)
{
    int widest = 0;
    for (const QString &part : QString(text).remove(QLatin1Char('&')).split(QLatin1Char('\n')))
        widest = std::max(widest, m.horizontalAdvance(part));
    return widest;
}

inline void checkGrid(const QTableView *grid, QStringList &out, int maxRows)
{
    const QAbstractItemModel *model = grid->model();
    if (!model)
        return;
    const int textMargin = grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1;
    const QHeaderView *header = grid->horizontalHeader();
    const int headerMargin = grid->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    for (int c = 0; c < model->columnCount(); ++c) {
        const int width = grid->columnWidth(c);
        if (grid->isColumnHidden(c) || width <= 0)
            continue;
        if (header->isVisible()) {
            const QString caption = model->headerData(c, Qt::Horizontal).toString().trimmed();
            const int need = advance(header->fontMetrics(), caption) + 2 * headerMargin;
            if (!caption.isEmpty() && need > width)
                out << line(grid, caption, need, width);
        }
        const int rows = std::min(model->rowCount(), maxRows);
        const QHeaderView *side = grid->verticalHeader();
        if (c == 0 && side->isVisible()) {
            const int sideMargin = grid->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, side);
            for (int r = 0; r < rows; ++r) {
                const QString caption = model->headerData(r, Qt::Vertical).toString().trimmed();
                const int need = advance(side->fontMetrics(), caption) + 2 * sideMargin;
                if (!caption.isEmpty() && need > side->width())
                    out << line(grid, caption, need, side->width());
            }
        }
        for (int r = 0; r < rows; ++r) {
            if (grid->isRowHidden(r))
                continue;
            const QModelIndex index = model->index(r, c);
            const QString text = index.data().toString();
            if (text.isEmpty())
                continue;
            QFont font = grid->font();
            if (const QVariant f = index.data(Qt::FontRole); f.isValid())
                font = f.value<QFont>();
            const QFontMetrics metrics(font);
            const int need = advance(metrics, text) + 2 * textMargin;
            if (need <= width)
                continue;
            // A grid that wraps its texts may show one on several lines, if
            // the row is high enough for them.
            if (grid->wordWrap()) {
                const QRect wrapped = metrics.boundingRect(QRect(0, 0, width - 2 * textMargin, 10000),
                                                           Qt::TextWordWrap, text);
                if (wrapped.width() <= width - 2 * textMargin && wrapped.height() <= grid->rowHeight(r))
                    continue;
            }
            out << line(grid, QStringLiteral("%1 (row %2)").arg(text).arg(r), need, width);
        }
    }
}

} // namespace clipping_detail

// The texts of `window` and its visible children that do not fit their room,
// one line each naming the widget; empty when every text shows whole. Grids
// are measured over their first `maxRows` rows.
inline QStringList clippedTexts(const QWidget *window, int maxRows = 200)
{
    using namespace clipping_detail;
    QStringList out;
    QList<const QWidget *> widgets{window};
    for (const QWidget *w : window->findChildren<QWidget *>())
        widgets << w;
    for (const QWidget *w : widgets) {
        if (!w->isVisibleTo(window) || w->width() <= 0)
            continue;
        if (const auto *label = qobject_cast<const QLabel *>(w)) {
            if (label->wordWrap() || label->text().isEmpty() || Qt::mightBeRichText(label->text()))
                continue;
            const int need = advance(label->fontMetrics(), label->text()) + 2 * label->margin();
            const int have = label->contentsRect().width();
            if (need > have)
                out << line(w, label->text(), need, have);
        } else if (const auto *button = qobject_cast<const QAbstractButton *>(w)) {
            if (button->text().isEmpty())
                continue;
            const int need = button->sizeHint().width();
            // Buttons hold some padding of the style's own; the text itself must fit.
            const int text = advance(button->fontMetrics(), button->text());
            if (need > button->width() && text + 4 > button->width() - (button->icon().isNull() ? 0 : button->iconSize().width()))
                out << line(w, button->text(), need, button->width());
        } else if (const auto *group = qobject_cast<const QGroupBox *>(w)) {
            const int need = advance(group->fontMetrics(), group->title()) + 8;
            if (!group->title().isEmpty() && need > group->width())
                out << line(w, group->title(), need, group->width());
        } else if (const auto *edit = qobject_cast<const QLineEdit *>(w)) {
            if (qobject_cast<const QComboBox *>(edit->parentWidget()))
                continue; // measured as the box
            const QString text = edit->displayText();
            const QMargins m = edit->textMargins();
            const int need = advance(edit->fontMetrics(), text) + m.left() + m.right() + 4;
            const int have = edit->contentsRect().width();
            if (!text.isEmpty() && need > have)
                out << line(w, text, need, have);
        } else if (const auto *box = qobject_cast<const QComboBox *>(w)) {
            const QString text = box->currentText();
            const int arrow = box->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, box);
            const int need = advance(box->fontMetrics(), text) + arrow + 6;
            if (!text.isEmpty() && need > box->width())
                out << line(w, text, need, box->width());
        } else if (const auto *grid = qobject_cast<const QTableView *>(w)) {
            checkGrid(grid, out, maxRows);
        }
    }
    return out;
}

// The same as one text, a line a clipped text, for a test's failure.
inline std::string clippedReport(const QWidget *window, int maxRows = 200)
{
    return clippedTexts(window, maxRows).join(QLatin1Char('\n')).toStdString();
}

} // namespace velm
