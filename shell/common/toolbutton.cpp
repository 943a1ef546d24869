#include "shell/common/toolbutton.h"

#include <QPushButton>

namespace velm {

QPushButton *makeToolButton(QWidget *parent, const char *objectName, const QString &text, const QString &hint)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(objectName));
    b->setToolTip(hint);
    b->setAutoDefault(false);
    return b;
}

} // namespace velm
