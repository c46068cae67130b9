#include "player/docking.h"

#include "platform/twips.h"

QPoint dockedTopLeft(const QRect &screen, const QSize &outer)
{
    const auto twips = [](int pixels) { return qRound64(Twips::fromPixels(pixels)); };
    const qint64 left = twips(screen.width()) - 195 - twips(outer.width());
    const qint64 top = twips(screen.height()) - 135 - twips(outer.height());
    return screen.topLeft() + QPoint(Twips::toPixels(double(left)), Twips::toPixels(double(top)));
}
