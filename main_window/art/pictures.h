#pragma once
#include <QIcon>
#include <QImage>
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
// ground, 32×32 (the about window shows the same picture).
QImage applicationImage();
QIcon applicationIcon();
