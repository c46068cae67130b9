#include "model/path_rules.h"

PathRules PathRules::native()
{
#ifdef Q_OS_WIN
    return windows();
#else
    return posix();
#endif
}

QString PathRules::key(const QString &entry) const
{
    if (caseSensitivity == Qt::CaseSensitive)
        return entry;
    // Most paths are plain ASCII: upper-case those without the Unicode case
    // tables, and share the text when nothing changes. Anything else takes
    // the full conversion.
    const qsizetype n = entry.size();
    const QChar *in = entry.constData();
    qsizetype i = 0;
    for (; i < n; ++i) {
        const char16_t c = in[i].unicode();
        if (c >= 0x80)
            return entry.toUpper();
        if (c >= u'a' && c <= u'z')
            break;
    }
    if (i == n)
        return entry;
    QString upper = entry;
    QChar *out = upper.data();
    for (; i < n; ++i) {
        const char16_t c = out[i].unicode();
        if (c >= 0x80)
            return entry.toUpper();
        if (c >= u'a' && c <= u'z')
            out[i] = QChar(char16_t(c - (u'a' - u'A')));
    }
    return upper;
}

QString PathRules::join(const QString &folder, const QString &name) const
{
    // An empty folder or a root such as "C:\" or "/" already ends where the name begins.
    if (folder.isEmpty() || folder.endsWith(separator))
        return folder + name;
    return folder + separator + name;
}

QString PathRules::GetFileName(const QString &path) const
{
    return path.mid(path.lastIndexOf(separator) + 1);
}

QString PathRules::GetFileExt(const QString &path) const
{
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || path.lastIndexOf(separator) > dot)
        return QString();
    return path.mid(dot + 1);
}
