#pragma once

// The main window's date field DateE: "yyyy/MM/dd" typed like any text (a
// selection typed over is replaced), and a
// month calendar that drops down from its arrow, the down-arrow key or F4.
//
// A date that does not exist ("2023/02/30") is never corrected into another
// one: it simply does not become the field's date, and typedDate() says so,
// so that the caller can refuse it with a message.

#include <optional>

#include <QDate>
#include <QWidget>

class QCalendarWidget;
class QFrame;
class QLineEdit;
class QToolButton;

namespace velm {

class DateEntry : public QWidget {
    Q_OBJECT
public:
    explicit DateEntry(QWidget *parent = nullptr);

    // The last date the field held whole.
    QDate date() const { return m_date; }
    void setDate(const QDate &date);
    void setDateRange(const QDate &first, const QDate &last);

    // The text as typed, read as a date of the range; nullopt while it is
    // half typed or names no date.
    std::optional<QDate> typedDate() const;

    QLineEdit *lineEdit() const { return m_edit; }
    QCalendarWidget *calendarWidget() const { return m_calendar; }
    void showPopup();

signals:
    void dateChanged(const QDate &date);
    void returnPressed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void textEdited();
    void fitWidth();

    QDate m_date;
    QDate m_first{1601, 1, 1};
    QDate m_last{9999, 12, 31};
    QLineEdit *m_edit = nullptr;
    QToolButton *m_arrow = nullptr;
    QFrame *m_popup = nullptr;
    QCalendarWidget *m_calendar = nullptr;
};

} // namespace velm
