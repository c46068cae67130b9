#pragma once
#include <QPoint>
#include <QRect>
#include <QSize>

// Where the player window docks: the bottom-right corner of the screen,
// 195 twips from the right edge and 135 from the bottom, worked out in twips
// from the screen's size and the window's outer size (frame included).
// The result is the outer top-left corner, on the screen's coordinates.
QPoint dockedTopLeft(const QRect &screen, const QSize &outer);
