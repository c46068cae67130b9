#pragma once
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

// Top-left corner that centres a window of outer size `outer` on `screen`,
// worked out in whole twips: (screen \ 2) - (window \ 2) on each axis.
QPoint centredPosition(const QRect &screen, const QSize &outer);

// Moves a top-level window to the centre of its screen, by its outer size
// where the window system already told it, else by its client size.
void centreOnScreen(QWidget *window);
