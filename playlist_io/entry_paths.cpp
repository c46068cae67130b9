#include "playlist_io/entry_paths.h"

#include <QDir>
#include <QStringList>
#include <QUrl>

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

bool isFileUri(QStringView entry)
{
    return entry.startsWith(u"file://", Qt::CaseInsensitive);
}

QString fileUriPath(const QString &entry)
{
    if (!isFileUri(entry))
        return entry;
    QUrl url(entry, QUrl::TolerantMode);
    if (!url.isValid() || url.path().isEmpty())
        return entry;
    if (url.host().compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        url.setHost(QString());
    QString path = url.toLocalFile();
    if (path.isEmpty())
        return entry;
    // "/C:/a", the URI's path of a Windows drive, names the drive.
    if (path.size() >= 3 && path.at(0) == u'/' && path.at(2) == u':' && path.at(1).unicode() < 0x80
        && path.at(1).isLetter())
        path.remove(0, 1);
    return QDir::toNativeSeparators(path);
}

namespace {

// A full path taken apart: its volume and its names, "." and ".." resolved.
struct SplitPath {
    QString volume;      // "C:", "//server/share" (as written), "/"; empty: not a full path
    bool windows = false;   // a drive or share: names ignore case, "\\" separates too
    QStringList names;
};

SplitPath splitFullPath(const QString &path)
{
    SplitPath split;
    const auto isSep = [](QChar c) { return c == u'/' || c == u'\\'; };
    qsizetype at = 0;
    if (path.size() >= 2 && path.at(1) == u':' && path.at(0).unicode() < 0x80 && path.at(0).isLetter()) {
        split.volume = path.left(2).toUpper();
        split.windows = true;
        at = 2;
    } else if (path.size() >= 2 && isSep(path.at(0)) && isSep(path.at(1))) {
        // "//server/share": two names after the doubled separator.
        qsizetype end = 2;
        for (int part = 0; part < 2; ++part) {
            while (end < path.size() && isSep(path.at(end)))
                ++end;
            while (end < path.size() && !isSep(path.at(end)))
                ++end;
        }
        split.volume = QDir::fromNativeSeparators(path.left(end)).replace(u'\\', u'/').toLower();
        split.windows = true;
        at = end;
    } else if (path.startsWith(u'/')) {
        split.volume = QStringLiteral("/");
        at = 1;
    } else {
        return split;
    }
    const QStringView rest = QStringView(path).sliced(at);
    qsizetype begin = 0;
    const auto take = [&](QStringView name) {
        if (name.isEmpty() || name == u".")
            return;
        if (name == u"..") {
            if (!split.names.isEmpty())
                split.names.removeLast();
            return;
        }
        split.names.append(name.toString());
    };
    for (qsizetype i = 0; i <= rest.size(); ++i) {
        const bool end = i == rest.size();
        if (end || rest.at(i) == u'/' || (split.windows && rest.at(i) == u'\\')
#ifdef Q_OS_WIN
            || rest.at(i) == u'\\'
#endif
        ) {
            take(rest.sliced(begin, i - begin));
            begin = i + 1;
        }
    }
    return split;
}

} // namespace

QString relativeEntry(const QString &path, const QString &folder, QChar separator)
{
    if (path.isEmpty() || isUrlEntry(path))
        return path;
    const SplitPath to = splitFullPath(path);
    const SplitPath from = splitFullPath(folder);
    if (to.volume.isEmpty() || from.volume.isEmpty() || to.volume != from.volume || to.names.isEmpty())
        return path;
    const Qt::CaseSensitivity cs = to.windows ? Qt::CaseInsensitive : Qt::CaseSensitive;
    qsizetype common = 0;
    while (common < from.names.size() && common < to.names.size() - 1
           && from.names.at(common).compare(to.names.at(common), cs) == 0)
        ++common;
    QString relative;
    for (qsizetype i = common; i < from.names.size(); ++i) {
        relative += QLatin1String("..");
        relative += separator;
    }
    for (qsizetype i = common; i < to.names.size(); ++i) {
        if (i > common)
            relative += separator;
        relative += to.names.at(i);
    }
    // "a:b.mp3" would read as a drive, "x://y" as a URL, "#a.mp3" as an M3U
    // comment, a leading U+FEFF as a byte-order mark.
    if (isAbsoluteEntry(relative) || isUrlEntry(relative) || relative.startsWith(u'#')
        || relative.startsWith(QChar(0xFEFF)))
        relative.prepend(QLatin1Char('.') + separator);
    return relative;
}
