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

namespace {
constexpr qsizetype kNameUnits = 255;   // UTF-16 units: FAT, exFAT, NTFS
constexpr qsizetype kNameBytes = 255;   // bytes: the POSIX file systems

qsizetype utf8Length(QStringView text)
{
    qsizetype bytes = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        if (u < 0x80)
            bytes += 1;
        else if (u < 0x800)
            bytes += 2;
        else if (QChar::isHighSurrogate(u) && i + 1 < text.size() && QChar::isLowSurrogate(text.at(i + 1).unicode())) {
            bytes += 4;
            ++i;
        } else
            bytes += 3;
    }
    return bytes;
}
} // namespace

QString fittedName(const QString &name, const QString &tag)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    // An extension is short; a dot far from the end is part of the name.
    const qsizetype at = dot > 0 && name.size() - dot <= 16 ? dot : name.size();
    const QStringView stem = QStringView(name).first(at), rest = QStringView(name).sliced(at);
    const qsizetype units = kNameUnits - tag.size() - rest.size();
    const qsizetype bytes = kNameBytes - utf8Length(tag) - utf8Length(rest);
    qsizetype keep = qMin(stem.size(), qMax<qsizetype>(units, 0));
    qsizetype used = utf8Length(stem.first(keep));
    // Whole characters only: a pair of surrogates is one character. The bytes
    // of what is dropped are taken off as it goes, so a long name costs one pass.
    while (keep > 0 && (used > bytes || QChar::isHighSurrogate(stem.at(keep - 1).unicode()))) {
        qsizetype from = keep - 1;
        if (from > 0 && QChar::isLowSurrogate(stem.at(from).unicode()) && QChar::isHighSurrogate(stem.at(from - 1).unicode()))
            --from;
        used -= utf8Length(stem.sliced(from, keep - from));
        keep = from;
    }
    if (keep == stem.size() && tag.isEmpty())
        return name;
    return stem.first(keep).toString() + tag + rest.toString();
}
