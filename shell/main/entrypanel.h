#pragma once

// The entry of the main window: the date and time fields, the spin button,
// the chart kinds and the designation check box, and the calendar summary of
// the entered moment (the date panel and the two labels of the status line).
// It keeps the moment entered and reads it into values; it never lays a
// chart. The main window puts its widgets on its tool bars.

#include <cstdint>
#include <optional>
#include <utility>

#include <QDate>
#include <QObject>
#include <QString>

#include "engine/koyomi.h"
#include "shell/main/chartrequest.h"
#include "shell/settings/appsettings.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QWidget;

namespace velm {

class DateEntry;

class EntryPanel : public QObject {
    Q_OBJECT
public:
    // The widgets are made as children of `window`, over which the entry's
    // messages show.
    EntryPanel(AppSettings &settings, QWidget *window);

    // The widgets, by their object names: "DateE", "TimeE", "TimeBtn",
    // "Panel1", "BanGrp" (the box of "BanGrp0".."BanGrp3"), "CGSBox" (with
    // "CGS"), "BoundaryL" and "CalendarL".
    QWidget *dateField() const;
    QWidget *timeField() const;
    QWidget *spinButton() const { return m_spin; }
    QLabel *summaryLabel() const { return m_panel1; }
    QGroupBox *kindsBox() const { return m_banGrpBox; }
    QGroupBox *designationBox() const { return m_cgsBox; }
    QLabel *boundaryLabel() const { return m_boundaryL; }
    QLabel *calendarLabel() const { return m_calendarL; }

    bool BanGrp(int kind) const;
    void setBanGrp(int kind, bool checked);
    bool CGS() const;
    void setCGS(bool checked);
    // The date value, a date that may carry a fraction of a day (seconds).
    std::int64_t dateValue() const { return m_dateSeconds; }
    void setDateValue(std::int64_t seconds);
    // DateE and TimeE (as "hh:nn") from a moment; DispDateData once.
    void setMoment(const CivilTime &moment);
    // The moment of DateE and TimeE on the calendar clock (the entered time
    // itself unless the settings name a zone or local solar time); nullopt
    // while the time is half typed or the clock cannot read it.
    std::optional<CivilTime> enteredMoment() const;
    // The same for a window about to use it: asks how to read a time a
    // summer-time change skipped or repeated, reports anything unreadable.
    std::optional<CivilTime> askEnteredMoment(QWidget *parent);
    QDate enteredDate() const;
    // The calendar facts of the last DispDateData.
    const Koyomi &koyomi() const { return m_koyomi; }

    // KCB1: the main window's copy of the option (the settings window replaces it).
    bool KCB1() const { return m_KCB1; }
    void setKCB1(bool on) { m_KCB1 = on; }
    // The options of the settings with the calendar clock's offset at the entered moment.
    EngineOptions engineOptions() const;

    // The moment as typed, for the chart button: nullopt after saying what
    // is wrong with the date or the time.
    std::optional<CivilTime> typedMoment();
    // "<" (-1) and ">" (+1): the entry steps by the highest checked kind;
    // the moment stepped to, nullopt when nothing stepped.
    std::optional<CivilTime> step(int direction);
    // A moment listed elsewhere (on the calendar clock) for `kind`: checks
    // the kind, shows the civil time of the same instant in the fields and
    // returns it, read the same way again.
    CivilTime showListed(int kind, const CivilTime &moment);
    // Asks how to read a time a summer-time change skipped or repeated;
    // false when cancelled.
    bool chooseFold(const CivilTime &entered, QWidget *parent);
    // The request of one press of the chart button for `entered`, read once;
    // nullopt with the message when the clock cannot read it.
    std::optional<ChartRequest> chartRequest(const CivilTime &entered, QString &error) const;

    // Docked at the side the chart kinds stand in one column, else in a row.
    void arrange(Qt::Orientation orientation);
    void applyFontFamily(const QString &family);
    // The kinds and "◎" from the settings and back.
    void readSettings();
    void saveSettings();

public slots:
    void DispDateData();
    void NowBtnClick();
    void TimeBtnUpClick();
    void TimeBtnDownClick();

signals:
    // Enter in the date or the time field.
    void chartsWanted();

private:
    void build();
    void dateEdited();
    // Whether the date field holds a whole, existing date; otherwise says so.
    bool dateReadable();
    // DateE and TimeE together, DispDateData once.
    void setEntry(std::int64_t dateSeconds, const QString &time);
    void stepTime(int direction);
    Fold foldFor(const CivilTime &entered) const;
    std::optional<ChartMoment> chartMoment(const CivilTime &entered, QString &error) const;

    AppSettings &m_settings;
    QWidget *m_window;
    bool m_KCB1 = true;
    Koyomi m_koyomi;
    // How to read an entered time that a summer-time change skipped or
    // repeated, as the user chose for that time.
    std::optional<std::pair<CivilTime, Fold>> m_fold;
    // The summary of the last moment that read.
    QString m_lastGoodSummary;
    std::int64_t m_dateSeconds = 0;
    bool m_settingDate = false;

    DateEntry *m_dateE = nullptr;
    QLineEdit *m_timeE = nullptr;
    QWidget *m_spin = nullptr;
    QLabel *m_panel1 = nullptr;
    QGroupBox *m_banGrpBox = nullptr;
    QCheckBox *m_banGrp[4] = {};
    QGroupBox *m_cgsBox = nullptr;
    QCheckBox *m_cgs = nullptr;
    QLabel *m_calendarL = nullptr; // the calendar in use, on the status line
    QLabel *m_boundaryL = nullptr; // the entered moment near a boundary, on the status line
};

} // namespace velm
