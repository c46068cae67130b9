#include "fonts.h"

#include <QApplication>
#include <QHash>
#include <QStringList>

namespace {
QStringList fallbacksFor(const QString &family)
{
    static const QHash<QString, QStringList> table = {
        {QStringLiteral("楷体_GB2312"),
         {QStringLiteral("KaiTi"), QStringLiteral("AR PL UKai CN"), QStringLiteral("AR PL UKai"),
          QStringLiteral("Noto Serif CJK SC")}},
        {QStringLiteral("黑体"), {QStringLiteral("SimHei"), QStringLiteral("Noto Sans CJK SC")}},
        {QStringLiteral("宋体"), {QStringLiteral("SimSun"), QStringLiteral("Noto Serif CJK SC")}},
        {QStringLiteral("隶书"),
         {QStringLiteral("LiSu"), QStringLiteral("AR PL UKai CN"), QStringLiteral("Noto Serif CJK SC")}},
    };
    QStringList families{family};
    families += table.value(family);
    families << QStringLiteral("Noto Sans CJK SC");
    return families;
}
} // namespace

QFont Fonts::byWindowsFamily(const QString &family, double pointSize, bool bold)
{
    QFont font;
    font.setFamilies(fallbacksFor(family));
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

QFont Fonts::interfaceFont()
{
    QFont font = QApplication::font();
    QStringList families = font.families();
    if (families.isEmpty())
        families << font.family();
    families << QStringLiteral("Microsoft YaHei") << QStringLiteral("Noto Sans CJK SC");
    font.setFamilies(families);
    return font;
}
