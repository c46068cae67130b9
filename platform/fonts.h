#pragma once
#include <QFont>
#include <QString>

#include <functional>

class QFontMetrics;

// Fonts named by their Windows family ("楷体_GB2312", "黑体", "宋体", "隶书"),
// with families found on other desktops as fallbacks. The Simplified Chinese
// family comes after the Windows names so CJK text takes SC glyph shapes.
namespace Fonts {
QFont byWindowsFamily(const QString &family, double pointSize, bool bold = false);
// Default interface font: the desktop's, with the SC family as fallback.
QFont interfaceFont();

// A font for a control of fixed size whose texts must show whole: `base`
// when `fits` holds for it, else the largest size from `base`'s down to
// `smallest` points (half-point steps) at which it holds, trying at each size
// `base`'s families first, then a narrow Latin family (CJK text keeps its
// own glyphs). The smallest narrow font when nothing fits.
QFont fitting(const QFont &base, const std::function<bool(const QFontMetrics &)> &fits,
              double smallest = 7);
} // namespace Fonts
