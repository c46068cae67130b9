#pragma once
#include <QRect>
#include <QtMath>

// Geometry is written in twips as the window definitions give it:
// 1440 twips per inch, 15 twips per device-independent pixel.
namespace Twips {
inline constexpr double kPerPixel = 15.0;

inline int toPixels(double twips) { return qRound(twips / kPerPixel); }
inline double fromPixels(double pixels) { return pixels * kPerPixel; }

// Rounds each edge, not the width, so neighbouring controls meet exactly.
inline QRect rect(double left, double top, double width, double height)
{
    const int l = toPixels(left), t = toPixels(top);
    return QRect(l, t, toPixels(left + width) - l, toPixels(top + height) - t);
}
} // namespace Twips
