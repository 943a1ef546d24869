#include "shell/common/checkres.h"

#include <algorithm>

#include "shell/common/messages.h"

namespace velm {

QString resourceShortageText()
{
    return QStringLiteral("リソースが不足しています。\n\r\n\r"
                          "他のアプリケーションや常駐ソフトを終了する等の処置で、\n\r"
                          "使用可能なリソースを確保してください。");
}

bool IsNT()
{
    return true;
}

int SystemResource()
{
    return 100;
}

int GdiResource()
{
    return 100;
}

int UserResource()
{
    return 100;
}

bool CheckRes(int threshold, QWidget *parent)
{
    if (IsNT())
        return false;
    const int lowest = std::min({SystemResource(), GdiResource(), UserResource()});
    if (threshold < lowest)
        return false;
    // A message box shows the LF CR pairs as single line breaks.
    QString text = resourceShortageText();
    text.replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
    ui::showError(parent, text);
    return true;
}

} // namespace velm
