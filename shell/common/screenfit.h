#pragma once

// Windows within reach on a small screen: a window that would stand partly
// outside the screen's free area (below a 768-pixel screen's edge, behind a
// panel) is moved in, and made smaller only when it cannot fit as it is.

#include <QRect>

class QWidget;

namespace velm {

// Where a window's frame goes: `frame` moved (and, when larger than
// `available`, shrunk, never below `minimum`) so that it lies within
// `available`; its top-left corner stays inside whatever the size.
QRect fittedFrame(const QRect &frame, const QRect &available, const QSize &minimum = {});

// Does that for one top-level window, on its own screen.
void keepOnScreen(QWidget *window);

// From now on every top-level window and dialog of the program is kept on
// its screen as it shows (menus and tool tips place themselves). Calling it
// again does nothing more.
void keepWindowsOnScreen();

} // namespace velm
