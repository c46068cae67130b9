#include "main_window/art/pictures.h"

#include <QLineF>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QVector>

#include <cmath>
#include <initializer_list>

namespace {

// Fixed colours: the pictures look the same on every desktop theme.
const QColor kFace(192, 192, 192);
const QColor kLight(255, 255, 255);
const QColor kShadow(128, 128, 128);
const QColor kDark(0, 0, 0);

QImage blankImage(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// A button-like square that stands out of the ground: light top and left
// edges, shadowed bottom and right edges.
void raisedSquare(QPainter &p)
{
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(0, 0, 16, 16, kFace);
    p.setPen(kLight);
    p.drawLine(0, 0, 14, 0);
    p.drawLine(0, 0, 0, 14);
    p.setPen(kShadow);
    p.drawLine(1, 14, 14, 14);
    p.drawLine(14, 1, 14, 14);
    p.setPen(kDark);
    p.drawLine(0, 15, 15, 15);
    p.drawLine(15, 0, 15, 15);
}

void blankPage(QPainter &p)
{
    const QPolygon page({QPoint(3, 1), QPoint(9, 1), QPoint(12, 4), QPoint(12, 14), QPoint(3, 14)});
    p.setPen(kDark);
    p.setBrush(Qt::white);
    p.drawPolygon(page);
    // Folded corner.
    p.setBrush(QColor(224, 224, 224));
    p.drawPolygon(QPolygon({QPoint(9, 1), QPoint(9, 4), QPoint(12, 4)}));
}

void openFolder(QPainter &p)
{
    const QColor outline(128, 96, 0);
    p.setPen(outline);
    // Back of the folder with its tab.
    p.setBrush(QColor(224, 176, 32));
    p.drawPolygon(QPolygon({QPoint(0, 6), QPoint(1, 5), QPoint(4, 5), QPoint(5, 6), QPoint(10, 6),
                            QPoint(10, 8), QPoint(0, 14)}));
    // Front flap, opened towards the viewer.
    p.setBrush(QColor(255, 232, 64));
    p.drawPolygon(QPolygon({QPoint(0, 14), QPoint(3, 8), QPoint(15, 8), QPoint(12, 14)}));
    // Curved arrow out of the folder.
    p.setRenderHint(QPainter::Antialiasing, true);
    QPainterPath arc;
    arc.moveTo(6.5, 5.5);
    arc.cubicTo(7.0, 1.0, 11.5, 0.5, 13.0, 3.5);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0, 96, 0), 1.4, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(arc);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 96, 0));
    p.drawPolygon(QPolygonF({QPointF(10.8, 3.2), QPointF(15.6, 3.0), QPointF(13.4, 6.6)}));
}

void floppyDisk(QPainter &p)
{
    p.setPen(kDark);
    p.setBrush(QColor(0, 0, 128));
    p.drawPolygon(QPolygon({QPoint(1, 1), QPoint(14, 1), QPoint(14, 14), QPoint(2, 14), QPoint(1, 13)}));
    // Label with two written lines.
    p.fillRect(3, 1, 10, 6, Qt::white);
    p.fillRect(4, 3, 8, 1, QColor(0, 0, 192));
    p.fillRect(4, 5, 8, 1, QColor(0, 0, 192));
    // Metal shutter with its window.
    p.fillRect(4, 9, 8, 6, kFace);
    p.fillRect(9, 10, 2, 3, kDark);
}

void cyanSheets(QPainter &p)
{
    raisedSquare(p);
    p.setPen(QColor(0, 112, 112));
    p.setBrush(QColor(0, 255, 255));
    for (int i = 0; i < 3; ++i)
        p.drawRect(3 + 2 * i, 2 + 2 * i, 6, 7);
}

// Draws a picture given as rows of characters: 'o' outline, 's' fill, any
// other character leaves the pixel as it is.
void pixelArt(QPainter &p, int top, std::initializer_list<const char *> rows, QColor outline, QColor fill)
{
    int y = top;
    for (const char *row : rows) {
        for (int x = 0; row[x]; ++x) {
            if (row[x] == 'o')
                p.fillRect(x, y, 1, 1, outline);
            else if (row[x] == 's')
                p.fillRect(x, y, 1, 1, fill);
        }
        ++y;
    }
}

void openHand(QPainter &p)
{
    raisedSquare(p);
    pixelArt(p, 2,
             {".......o........",
              ".....oosoo......",
              "....osososoo....",
              "....ososososo...",
              "....ososososo...",
              "..o.ososososo...",
              ".osoososososo...",
              ".osssssssssso...",
              "..osssssssssso..",
              "...ossssssssso..",
              "....osssssssso..",
              ".....ooooooo...."},
             QColor(96, 48, 0), QColor(255, 208, 160));
}

void scissors(QPainter &p)
{
    p.setRenderHint(QPainter::Antialiasing, true);
    // Blades cross at the pivot and open towards the top.
    p.setPen(QPen(QColor(64, 64, 64), 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(5.5, 9.5), QPointF(11.0, 1.0));
    p.drawLine(QPointF(10.5, 9.5), QPointF(5.0, 1.0));
    p.setPen(QPen(QColor(192, 192, 192), 0.7));
    p.drawLine(QPointF(6.3, 7.5), QPointF(10.4, 1.6));
    // Handles.
    p.setPen(QPen(QColor(192, 0, 0), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(4.3, 12.0), 2.5, 2.5);
    p.drawEllipse(QPointF(11.7, 12.0), 2.5, 2.5);
    p.setPen(Qt::NoPen);
    p.setBrush(kDark);
    p.drawEllipse(QPointF(8.0, 6.3), 0.9, 0.9);
}

void largeCross(QPainter &p)
{
    raisedSquare(p);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(QColor(208, 0, 0), 2.4, Qt::SolidLine, Qt::SquareCap));
    p.drawLine(QPointF(3.6, 3.6), QPointF(11.4, 11.4));
    p.drawLine(QPointF(11.4, 3.6), QPointF(3.6, 11.4));
}

// A thin arrow pointing up; `down` mirrors it.
void thinArrow(QPainter &p, bool down)
{
    if (down) {
        p.translate(0, 16);
        p.scale(1, -1);
    }
    const QColor blue(0, 0, 255);
    p.fillRect(7, 2, 2, 13, blue);
    for (int i = 1; i <= 4; ++i) {
        p.fillRect(7 - i, 2 + i, 1, 2, blue);
        p.fillRect(8 + i, 2 + i, 1, 2, blue);
    }
}

void musicalNote(QPainter &p)
{
    raisedSquare(p);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QColor ink(0, 0, 128);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.save();
    p.translate(6.0, 11.4);
    p.rotate(-25);
    p.drawEllipse(QPointF(0, 0), 2.6, 1.8);
    p.restore();
    p.fillRect(QRectF(7.6, 3.0, 1.2, 8.4), ink);
    QPainterPath flag;
    flag.moveTo(8.2, 3.0);
    flag.cubicTo(9.0, 5.2, 12.6, 5.6, 11.2, 9.4);
    flag.cubicTo(11.6, 7.2, 10.0, 6.6, 8.2, 6.2);
    flag.closeSubpath();
    p.drawPath(flag);
}

// One brush stroke through `points`, `widths` giving the brush's width at each
// point; the brush is pressed (wide) where the writer pauses.
QPainterPath brushStroke(const QVector<QPointF> &points, const QVector<double> &widths)
{
    QPainterPath path;
    for (int i = 0; i + 1 < points.size(); ++i) {
        const QLineF seg(points[i], points[i + 1]);
        const int steps = std::max(2, int(std::ceil(seg.length() * 4)));
        for (int s = 0; s <= steps; ++s) {
            const double t = double(s) / steps;
            const double w = widths[i] + (widths[i + 1] - widths[i]) * t;
            path.addEllipse(seg.pointAt(t), w / 2, w / 2);
        }
    }
    path.setFillRule(Qt::WindingFill);
    return path.simplified();
}

// 乐, written with a brush in a 32 × 32 box: each stroke starts with a press,
// thins while it travels and ends pressed or in a sharp tail.
QPainterPath glyphOutline()
{
    QPainterPath glyph;
    glyph.setFillRule(Qt::WindingFill);
    // Short falling stroke at the top, right to left.
    glyph.addPath(brushStroke({{25.0, 2.6}, {22.6, 3.8}, {18.0, 5.6}, {11.0, 7.8}}, {4.8, 4.0, 3.0, 1.6}));
    // Down, then across, pressed at the turn and at the end.
    glyph.addPath(brushStroke({{10.6, 6.8}, {9.8, 11.5}, {9.2, 16.0}, {16.0, 15.6}, {24.4, 14.8}, {26.4, 15.2}},
                              {4.6, 3.4, 4.0, 3.0, 3.6, 4.2}));
    // Middle stroke down with the hook to the left.
    glyph.addPath(brushStroke({{17.4, 7.4}, {17.8, 15.0}, {17.8, 25.0}, {17.2, 28.4}, {15.6, 28.2}, {12.4, 25.4}},
                              {4.8, 3.6, 3.6, 4.2, 3.0, 1.0}));
    // Lower left dot, falling to the left.
    glyph.addPath(brushStroke({{11.6, 19.2}, {9.0, 22.6}, {4.8, 26.4}}, {4.2, 3.2, 1.2}));
    // Lower right dot, pressed at its end.
    glyph.addPath(brushStroke({{21.6, 19.4}, {24.2, 22.0}, {26.4, 25.2}}, {2.0, 3.8, 5.0}));
    return glyph;
}

const QColor kGlyphRed(216, 0, 0);

} // namespace

QImage toolbarImage(int number)
{
    if (number < 1 || number > 10)
        return {};
    QImage image = blankImage(16);
    QPainter p(&image);
    switch (number) {
    case 1: blankPage(p); break;
    case 2: openFolder(p); break;
    case 3: floppyDisk(p); break;
    case 4: cyanSheets(p); break;
    case 5: openHand(p); break;
    case 6: scissors(p); break;
    case 7: largeCross(p); break;
    case 8: thinArrow(p, false); break;
    case 9: thinArrow(p, true); break;
    case 10: musicalNote(p); break;
    }
    return image;
}

QPixmap toolbarPicture(int number)
{
    const QImage image = toolbarImage(number);
    return image.isNull() ? QPixmap() : QPixmap::fromImage(image);
}

const QPainterPath &applicationGlyph()
{
    // Simplifying the strokes is slow; the outline never changes.
    static const QPainterPath glyph = glyphOutline();
    return glyph;
}

QImage applicationImage(int size)
{
    QImage image = blankImage(size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(kGlyphRed);
    p.scale(size / 32.0, size / 32.0);
    p.drawPath(applicationGlyph());
    return image;
}

QByteArray applicationSvg()
{
    QByteArray d;
    const QPainterPath &glyph = applicationGlyph();
    const auto number = [](double v) { return QByteArray::number(v, 'f', 3); };
    for (int i = 0; i < glyph.elementCount(); ++i) {
        const QPainterPath::Element e = glyph.elementAt(i);
        switch (e.type) {
        case QPainterPath::MoveToElement: d += 'M'; break;
        case QPainterPath::LineToElement: d += 'L'; break;
        case QPainterPath::CurveToElement: d += 'C'; break;
        case QPainterPath::CurveToDataElement: d += ' '; break;
        }
        d += number(e.x) + ',' + number(e.y);
    }
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"32\" height=\"32\" viewBox=\"0 0 32 32\">\n"
           "<path fill=\"#d80000\" fill-rule=\"nonzero\" d=\""
        + d + "\"/>\n</svg>\n";
}

QIcon applicationIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48})
        icon.addPixmap(QPixmap::fromImage(applicationImage(size)));
    return icon;
}
