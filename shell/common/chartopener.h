#pragma once

// What the windows that make or open charts need of the main window: the
// moment entered there and the options it is read with, which chart kinds are
// checked, and opening a chart. They hold this instead of the whole main
// window, so that each of them can be built and tested on its own.

#include <optional>

#include <QDate>

class QWidget;

#include "engine/astro.h"
#include "engine/constdata.h"

namespace velm {

struct EngineOptions;

class ChartOpener {
public:
    // The entered moment on the calendar clock; nullopt while half typed.
    virtual std::optional<CivilTime> enteredMoment() const = 0;
    // The same for a window about to use it: a time that a summer-time change
    // skipped or repeated is asked about (boxes over `parent`), anything
    // unreadable is reported; nullopt when refused or cancelled.
    virtual std::optional<CivilTime> askEnteredMoment(QWidget *parent) = 0;
    // The options the charts are laid with (zone, periods, method, terms).
    virtual EngineOptions engineOptions() const = 0;
    virtual const ConstData &constData() const = 0;
    // The date field as typed (the calendar steps it a day at a time).
    virtual QDate enteredDate() const = 0;
    // Whether chart kind 0..3 (year, month, day, hour) is checked.
    virtual bool BanGrp(int kind) const = 0;
    // Sets the entry to `moment` (date, and the time as "hh:nn").
    virtual void setMoment(const CivilTime &moment) = 0;
    // Sets the entry to now (with the clock correction of the settings).
    virtual void NowBtnClick() = 0;
    // Checks `kind`, sets the moment and makes the charts.
    virtual void openChart(int kind, const CivilTime &moment) = 0;

protected:
    ~ChartOpener() = default;
};

} // namespace velm
