#include "platform/fonts.h"

#include <QApplication>
#include <QFontMetrics>
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

QFont Fonts::fitting(const QFont &base, const std::function<bool(const QFontMetrics &)> &fits, double smallest)
{
    QStringList narrow{QStringLiteral("Arial Narrow"), QStringLiteral("Liberation Sans Narrow"),
                       QStringLiteral("Nimbus Sans Narrow"), QStringLiteral("DejaVu Sans Condensed")};
    QStringList families = base.families();
    if (families.isEmpty())
        families << base.family();
    for (const QString &f : families)
        if (!narrow.contains(f))
            narrow << f;   // what a narrow family lacks (CJK) comes from the base ones
    const double start = base.pointSizeF() > 0 ? base.pointSizeF() : 9;
    QFont font = base;
    for (double size = start; size >= smallest - 1e-9; size -= 0.5) {
        for (const QStringList *list : {&families, &narrow}) {
            font = base;
            font.setFamilies(*list);
            font.setPointSizeF(size);
            if (fits(QFontMetrics(font)))
                return font;
        }
    }
    return font;
}
