#include "shell/common/screenfit.h"

#include <algorithm>

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace velm {
namespace {

bool isPlacedWindow(const QWidget *w)
{
    if (!w->isWindow() || w->isMaximized() || w->isFullScreen())
        return false;
    switch (w->windowType()) {
    case Qt::Popup:
    case Qt::ToolTip:
    case Qt::SplashScreen:
    case Qt::Desktop:
    case Qt::SubWindow:
        return false;
    default:
        return true;
    }
}

class ScreenKeeper : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            auto *w = static_cast<QWidget *>(watched);
            if (isPlacedWindow(w)) {
                keepOnScreen(w);
                // Once the window manager has put its frame around it.
                QTimer::singleShot(0, w, [w = QPointer<QWidget>(w)] {
                    if (w && w->isVisible())
                        keepOnScreen(w);
                });
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

QRect fittedFrame(const QRect &frame, const QRect &available, const QSize &minimum)
{
    QRect r = frame;
    r.setWidth(std::max(std::min(r.width(), available.width()), minimum.width()));
    r.setHeight(std::max(std::min(r.height(), available.height()), minimum.height()));
    const int x = std::max(available.left(), std::min(r.left(), available.right() + 1 - r.width()));
    const int y = std::max(available.top(), std::min(r.top(), available.bottom() + 1 - r.height()));
    r.moveTopLeft(QPoint(x, y));
    return r;
}

void keepOnScreen(QWidget *window)
{
    if (!window || !isPlacedWindow(window))
        return;
    QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    const QRect frame = window->frameGeometry();
    const QSize decoration = frame.size() - window->size();
    const QRect fitted = fittedFrame(frame, available, window->minimumSize() + decoration);
    if (fitted.size() != frame.size())
        window->resize(fitted.size() - decoration);
    if (fitted.topLeft() != frame.topLeft())
        window->move(fitted.topLeft());
}

void keepWindowsOnScreen()
{
    static QPointer<ScreenKeeper> keeper;
    if (keeper || !qApp)
        return;
    keeper = new ScreenKeeper(qApp);
    qApp->installEventFilter(keeper);
}

} // namespace velm
