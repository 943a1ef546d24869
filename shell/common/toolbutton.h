#pragma once

// The push button of the program's windows: named for the tests and the
// help, with its hint, and never the default button (Enter in a field must
// not press it).

#include <QString>

class QPushButton;
class QWidget;

namespace velm {

QPushButton *makeToolButton(QWidget *parent, const char *objectName, const QString &text, const QString &hint);

} // namespace velm
