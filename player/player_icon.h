#pragma once
#include <QIcon>
#include <QImage>

// The player window's own icon: two cars, a red one behind and a green one in
// front, drawn in code with the 16 standard colours on a transparent ground.
// size is 32 or 16 (each drawn for its size; any other size gives a null
// image). Needs a QGuiApplication.
QImage playerIconImage(int size);
QIcon playerIcon();   // both sizes
