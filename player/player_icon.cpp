#include "player/player_icon.h"

#include <QPainter>
#include <QPolygon>

namespace {

// Colours of the standard 16-colour palette only.
const QColor kBlack(0, 0, 0);
const QColor kSilver(192, 192, 192);
const QColor kAqua(0, 255, 255);
const QColor kYellow(255, 255, 0);
const QColor kRed(255, 0, 0);
const QColor kMaroon(128, 0, 0);
const QColor kLime(0, 255, 0);
const QColor kGreen(0, 128, 0);

struct Car {
    QColor body;
    QColor edge;
};

// A car seen from the side, facing right, in a box 21×14 (32-pixel icon) or
// 11×8 (16-pixel icon) with its top-left corner at `at`.
void drawLargeCar(QPainter &p, QPoint at, const Car &car)
{
    p.save();
    p.translate(at);
    p.setPen(car.edge);
    p.setBrush(car.body);
    // Cabin, then the lower body over its bottom edge.
    p.drawPolygon(QPolygon({QPoint(5, 5), QPoint(7, 1), QPoint(14, 1), QPoint(17, 5)}));
    p.drawRect(0, 5, 20, 5);
    p.setPen(Qt::NoPen);
    p.setBrush(kAqua);
    p.drawPolygon(QPolygon({QPoint(7, 5), QPoint(8, 2), QPoint(10, 2), QPoint(10, 5)}));
    p.drawPolygon(QPolygon({QPoint(12, 5), QPoint(12, 2), QPoint(14, 2), QPoint(16, 5)}));
    p.fillRect(19, 6, 1, 2, kYellow);   // headlight
    // Wheels with silver hubs.
    for (int x : {4, 15}) {
        p.setPen(kBlack);
        p.setBrush(kBlack);
        p.drawEllipse(QPoint(x, 11), 2, 2);
        p.fillRect(x, 11, 1, 1, kSilver);
    }
    p.restore();
}

void drawSmallCar(QPainter &p, QPoint at, const Car &car)
{
    p.save();
    p.translate(at);
    p.fillRect(3, 0, 5, 3, car.edge);   // cabin
    p.fillRect(4, 1, 3, 2, kAqua);       // its window
    p.fillRect(0, 3, 11, 3, car.body);   // lower body
    p.fillRect(0, 5, 11, 1, car.edge);
    p.fillRect(10, 3, 1, 1, kYellow);
    p.fillRect(1, 6, 3, 2, kBlack);      // wheels
    p.fillRect(7, 6, 3, 2, kBlack);
    p.restore();
}

} // namespace

QImage playerIconImage(int size)
{
    if (size != 32 && size != 16)
        return QImage();
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    const Car red{kRed, kMaroon};
    const Car green{kLime, kGreen};
    if (size == 32) {
        drawLargeCar(p, QPoint(1, 3), red);
        drawLargeCar(p, QPoint(10, 16), green);
    } else {
        drawSmallCar(p, QPoint(0, 0), red);
        drawSmallCar(p, QPoint(5, 8), green);
    }
    return image;
}

QIcon playerIcon()
{
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(playerIconImage(32)));
    icon.addPixmap(QPixmap::fromImage(playerIconImage(16)));
    return icon;
}
