#pragma once

// The free-resource probe. Older desktop systems kept small fixed pools of
// window and drawing resources shared by every program, and work was refused
// when they ran low. Linux has no such pools: a program's windows and
// drawings are limited only by memory, which the system manages on its own.
// So the probe always reports enough resources, as it does on the systems
// that dropped the pools; its callers and the message are kept so that the
// refusals stay in place should a measure ever be added.

#include <QString>

class QWidget;

namespace velm {

// Thresholds of the callers, in percent of free resources.
inline constexpr int ResAtStart = 18;      // the program ends before its windows exist
inline constexpr int ResAtActivation = 7;  // a warning only
inline constexpr int ResAtChart = 4;       // no chart is made
inline constexpr int ResAtChartData = 8;   // the chart-data files are not generated

// The shortage message; its line breaks are the two characters LF CR.
QString resourceShortageText();

// True on systems without the shared resource pools (always here).
bool IsNT();

// Free percentages of the three pools; 100 where there are no pools.
int SystemResource();
int GdiResource();
int UserResource();

// True (after a beep and the message) when any pool has `threshold` percent
// or less free; the caller then refuses its work.
bool CheckRes(int threshold, QWidget *parent = nullptr);

} // namespace velm
