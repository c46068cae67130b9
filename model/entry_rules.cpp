#include "model/entry_rules.h"

bool isUrlEntry(const QString &entry)
{
    // The scheme is read from the start, so a path is told at its first
    // character, not after a search of all of it.
    if (entry.isEmpty() || entry.at(0).unicode() >= 0x80 || !entry.at(0).isLetter())
        return false;
    for (qsizetype i = 1; i < entry.size(); ++i) {
        const char16_t c = entry.at(i).unicode();
        const bool ascii = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
        if (ascii || c == u'+' || c == u'-' || c == u'.')
            continue;
        return c == u':' && QStringView(entry).sliced(i + 1).startsWith(u"//");
    }
    return false;
}

bool isAbsoluteEntry(const QString &entry)
{
    return entry.startsWith(QLatin1Char('/')) || entry.startsWith(QLatin1Char('\\')) || startsWithDrive(entry);
}

bool startsWithDrive(QStringView path)
{
    return path.size() >= 2 && path.at(1) == u':' && path.at(0).unicode() < 0x80 && path.at(0).isLetter();
}

bool isRelativeEntry(const QString &entry)
{
    return !entry.isEmpty() && !isAbsoluteEntry(entry) && !isUrlEntry(entry);
}

bool playlistCanHold(QStringView path)
{
    for (QChar c : path) {
        if (c == u'\n' || c == u'\r')
            return false;
    }
    return true;
}
