#include "platform/files/safe_names.h"

QString fatSafeName(const QString &name)
{
    QString safe = name;
    for (QChar &c : safe) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7f || QStringView(u"\\/:*?\"<>|").contains(c))
            c = QLatin1Char('_');
    }
    qsizetype end = safe.size();
    while (end > 0 && (safe.at(end - 1) == QLatin1Char('.') || safe.at(end - 1) == QLatin1Char(' ')))
        --end;
    safe.truncate(end);
    return safe.isEmpty() ? QStringLiteral("_") : safe;
}

QString numberedName(qsizetype index, qsizetype count, const QString &name)
{
    const int width = qMax(3, int(QString::number(count).size()));
    return QStringLiteral("%1 - %2").arg(index + 1, width, 10, QLatin1Char('0')).arg(name);
}
