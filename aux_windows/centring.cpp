#include "aux_windows/centring.h"

#include "platform/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {
int centredOffset(int screenPixels, int windowPixels)
{
    const qint64 screenTwips = qRound64(Twips::fromPixels(screenPixels));
    const qint64 windowTwips = qRound64(Twips::fromPixels(windowPixels));
    return Twips::toPixels(double(screenTwips / 2 - windowTwips / 2));
}
} // namespace

QPoint centredPosition(const QRect &screen, const QSize &outer)
{
    return screen.topLeft() + QPoint(centredOffset(screen.width(), outer.width()),
                                     centredOffset(screen.height(), outer.height()));
}

void centreOnScreen(QWidget *window)
{
    QScreen *screen = window->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    window->move(centredPosition(screen->geometry(), window->frameGeometry().size()));
}
