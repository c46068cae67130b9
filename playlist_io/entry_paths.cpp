#include "playlist_io/entry_paths.h"

#include <QDir>
#include <QStringList>

bool isUrlEntry(const QString &entry)
{
    const qsizetype colon = entry.indexOf(QLatin1String("://"));
    if (colon < 1 || !entry.at(0).isLetter() || entry.at(0).unicode() >= 0x80)
        return false;
    for (qsizetype i = 1; i < colon; ++i) {
        const char16_t c = entry.at(i).unicode();
        const bool ascii = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
        if (!ascii && c != u'+' && c != u'-' && c != u'.')
            return false;
    }
    return true;
}

bool isAbsoluteEntry(const QString &entry)
{
    if (entry.startsWith(QLatin1Char('/')) || entry.startsWith(QLatin1Char('\\')))
        return true;
    return entry.size() >= 2 && entry.at(1) == QLatin1Char(':') && entry.at(0).unicode() < 0x80
        && entry.at(0).isLetter();
}

QString resolveEntry(const QString &entry, const QString &folder)
{
    if (entry.isEmpty() || isUrlEntry(entry) || isAbsoluteEntry(entry))
        return entry;
    // On Windows a backslash separates names in the entry too; elsewhere it
    // is a character of a name.
    const QString relative = QDir::fromNativeSeparators(entry);

    // The folder's root ("/", "C:/", "//server/share/") is never left.
    qsizetype rootEnd = 0;
    if (folder.startsWith(QLatin1String("//"))) {
        const qsizetype server = folder.indexOf(QLatin1Char('/'), 2);
        const qsizetype share = server < 0 ? -1 : folder.indexOf(QLatin1Char('/'), server + 1);
        rootEnd = share < 0 ? folder.size() : share + 1;
    } else {
        rootEnd = folder.indexOf(QLatin1Char('/')) + 1;
    }
    QString root = folder.left(rootEnd);
    if (!root.endsWith(QLatin1Char('/')))
        root += QLatin1Char('/');

    QStringList names;
    const QStringList parts = (folder.mid(rootEnd) + QLatin1Char('/') + relative).split(QLatin1Char('/'));
    for (const QString &part : parts) {
        if (part.isEmpty() || part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..")) {
            if (!names.isEmpty())
                names.removeLast();
            continue;
        }
        names.append(part);
    }
    return QDir::toNativeSeparators(root + names.join(QLatin1Char('/')));
}
