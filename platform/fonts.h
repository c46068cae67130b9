#pragma once
#include <QFont>
#include <QString>

// Fonts named by their Windows family ("楷体_GB2312", "黑体", "宋体", "隶书"),
// with families found on other desktops as fallbacks. The Simplified Chinese
// family comes after the Windows names so CJK text takes SC glyph shapes.
namespace Fonts {
QFont byWindowsFamily(const QString &family, double pointSize, bool bold = false);
// Default interface font: the desktop's, with the SC family as fallback.
QFont interfaceFont();
} // namespace Fonts
