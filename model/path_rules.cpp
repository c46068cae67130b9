#include "path_rules.h"

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
    return caseSensitivity == Qt::CaseInsensitive ? entry.toUpper() : entry;
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
