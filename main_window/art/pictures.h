#pragma once
#include <QIcon>
#include <QImage>
#include <QPainterPath>
#include <QPixmap>

// The program's pictures, drawn in code so they scale with nothing but Qt.
// All of them need a QGuiApplication.

// Toolbar picture `number` (1..10), 16×16 on a transparent ground:
//  1 blank page, 2 opened folder with a curved arrow, 3 floppy disk,
//  4 cyan sheets on a raised square, 5 open hand on a raised square,
//  6 scissors, 7 large cross on a raised square, 8 blue arrow up,
//  9 blue arrow down, 10 musical note on a raised square.
// Any other number gives a null pixmap.
QPixmap toolbarPicture(int number);
QImage toolbarImage(int number);

// The application icon: a red brush-written character on a transparent
// ground, drawn for 32×32 (the about window shows that picture) and scaled
// for other sizes. The icon holds 16, 32 and 48 pixels.
QImage applicationImage(int size = 32);
QIcon applicationIcon();
// The character's outline in a 32 × 32 box, and as a scalable SVG document.
const QPainterPath &applicationGlyph();
QByteArray applicationSvg();
