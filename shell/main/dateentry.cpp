#include "shell/main/dateentry.h"

#include <QCalendarWidget>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

namespace velm {

namespace {

const QString Format = QStringLiteral("yyyy/MM/dd");

} // namespace

DateEntry::DateEntry(QWidget *parent)
    : QWidget(parent)
{
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("DateEText"));
    // A mask keeps the slashes in place: typing over a selection replaces
    // it from its start, and a typed "/" steps over the one in the mask.
    m_edit->setInputMask(QStringLiteral("9999/99/99;_"));
    m_edit->installEventFilter(this);
    connect(m_edit, &QLineEdit::textChanged, this, &DateEntry::textEdited);
    connect(m_edit, &QLineEdit::returnPressed, this, &DateEntry::returnPressed);

    m_arrow = new QToolButton(this);
    m_arrow->setObjectName(QStringLiteral("DateEButton"));
    m_arrow->setArrowType(Qt::DownArrow);
    m_arrow->setFocusPolicy(Qt::NoFocus);
    connect(m_arrow, &QToolButton::clicked, this, &DateEntry::showPopup);

    m_popup = new QFrame(this, Qt::Popup);
    m_popup->setObjectName(QStringLiteral("DateEPopup"));
    m_popup->setFrameShape(QFrame::StyledPanel);
    m_calendar = new QCalendarWidget(m_popup);
    m_calendar->setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
    m_calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    auto *popupLayout = new QVBoxLayout(m_popup);
    popupLayout->setContentsMargins(0, 0, 0, 0);
    popupLayout->addWidget(m_calendar);
    connect(m_calendar, &QCalendarWidget::activated, this, [this](const QDate &d) {
        m_popup->hide();
        setDate(d);
    });
    connect(m_calendar, &QCalendarWidget::clicked, this, [this](const QDate &d) {
        m_popup->hide();
        setDate(d);
    });

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_edit);
    layout->addWidget(m_arrow);
    setFocusProxy(m_edit);
    fitWidth();
    setDate(QDate::currentDate());
}

void DateEntry::setDate(const QDate &date)
{
    if (!date.isValid() || date < m_first || date > m_last)
        return;
    const bool changed = date != m_date;
    m_date = date;
    const QString text = date.toString(Format);
    if (m_edit->text() != text) {
        const QSignalBlocker quiet(m_edit);
        m_edit->setText(text);
    }
    if (changed)
        emit dateChanged(m_date);
}

void DateEntry::setDateRange(const QDate &first, const QDate &last)
{
    m_first = first;
    m_last = last;
    m_calendar->setDateRange(first, last);
}

std::optional<QDate> DateEntry::typedDate() const
{
    const QDate d = QDate::fromString(m_edit->text(), Format);
    if (!d.isValid() || d < m_first || d > m_last)
        return std::nullopt;
    return d;
}

void DateEntry::textEdited()
{
    // Only a whole date becomes the field's date; half a date keeps the last.
    if (const std::optional<QDate> d = typedDate(); d && *d != m_date) {
        m_date = *d;
        emit dateChanged(m_date);
    }
}

void DateEntry::showPopup()
{
    m_calendar->setSelectedDate(typedDate().value_or(m_date));
    m_popup->adjustSize();
    QPoint at = mapToGlobal(QPoint(0, height()));
    if (const QScreen *s = screen()) {
        const QRect room = s->availableGeometry();
        at.setX(std::clamp(at.x(), room.left(), std::max(room.left(), room.right() - m_popup->width())));
        if (at.y() + m_popup->height() > room.bottom())
            at.setY(mapToGlobal(QPoint(0, 0)).y() - m_popup->height());
    }
    m_popup->move(at);
    m_popup->show();
    m_calendar->setFocus();
}

bool DateEntry::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_edit && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Down && !(key->modifiers() & Qt::ControlModifier)) || key->key() == Qt::Key_F4) {
            showPopup();
            return true;
        }
    }
    if (watched == m_edit && event->type() == QEvent::FontChange)
        fitWidth();
    return QWidget::eventFilter(watched, event);
}

void DateEntry::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        fitWidth();
    QWidget::changeEvent(event);
}

void DateEntry::fitWidth()
{
    // The widest date with room for the frame and the cursor.
    const QFontMetrics metrics(m_edit->font());
    m_edit->setFixedWidth(metrics.horizontalAdvance(QStringLiteral("0000/00/00")) + 14);
    m_arrow->setFixedWidth(std::max(16, metrics.height()));
}

} // namespace velm
