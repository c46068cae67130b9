#include "playlist_io/export/export_format.h"

#include "playlist_io/entry_paths.h"
#include "playlist_io/text_encoding.h"
#include "playlist_io/text_out.h"
#include "playlist_io/xspf.h"

#include <QDir>
#include <QStringBuilder>

namespace {

// The file name of a native path or URL.
QStringView fileNameOf(const QString &entry)
{
    qsizetype slash = entry.lastIndexOf(QLatin1Char('/'));
#ifdef Q_OS_WIN
    slash = qMax(slash, entry.lastIndexOf(QLatin1Char('\\')));
#endif
    return QStringView(entry).mid(slash + 1);
}

QString withoutControls(const QString &text)
{
    QString out = text;
    for (QChar &c : out)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = QLatin1Char(' ');
    return out.trimmed();
}

QChar separatorChar(PathSeparator separator)
{
    return separator == PathSeparator::Backslash ? QLatin1Char('\\') : QLatin1Char('/');
}

} // namespace

namespace {

// The file name without its extension.
QStringView bareName(const QString &entry)
{
    const QStringView name = fileNameOf(entry);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? name.left(dot) : name;
}

// Appends "<name>" without a copy when it is the file's own name.
template <class Out>
void appendName(Out &text, const QString &entry, const TrackTags &tags)
{
    if (tags.title.isEmpty())
        text << bareName(entry);
    else
        text << trackName(entry, tags);
}

// `n` (not negative) in decimal digits, written into `room`: no string made.
QStringView decimal(qsizetype n, char16_t (&room)[24])
{
    char16_t *end = room + 24, *at = end;
    do {
        *--at = char16_t(u'0' + n % 10);
        n /= 10;
    } while (n > 0);
    return QStringView(at, end - at);
}

// Appends the seconds, "-1" without a conversion when not known.
template <class Out>
void appendSeconds(Out &text, int seconds)
{
    if (seconds < 0)
        text << u"-1";
    else
        text << QString::number(seconds);
}

} // namespace

QString trackName(const QString &entry, const TrackTags &tags)
{
    if (!tags.artist.isEmpty() && !tags.title.isEmpty())
        return withoutControls(tags.artist + QStringLiteral(" - ") + tags.title);
    if (!tags.title.isEmpty())
        return withoutControls(tags.title);
    return bareName(entry).toString();
}

QString exportedPath(const QString &entry, ExportPaths paths, const RelativeEntries &relative)
{
    // A URL starts with its scheme's letter; full POSIX paths need no look.
    if (!entry.startsWith(QLatin1Char('/')) && isUrlEntry(entry))
        return entry;
    switch (paths) {
    case ExportPaths::Absolute:
        return entry;
    case ExportPaths::Relative:
        return relative(entry);
    case ExportPaths::Name:
        return fileNameOf(entry).toString();
    }
    return entry;
}

ExportText formatExport(const QStringList &entries, const QList<TrackTags> &tags, const ExportOptions &options,
                        const QString &targetFolder, qsizetype limit, const QStringList &namedAfter)
{
    ExportText out;
    const qsizetype n = entries.size();
    const qsizetype count = limit < 0 ? n : qMin(limit, n);
    const bool whole = count == n;
    const ExportPaths paths = effectivePaths(options);
    const QString lineEnd = QString::fromLatin1(effectiveLineEnd(options));
    const bool checkGbk = effectiveEncoding(options) == TextEncoding::Gb18030;
    static const TrackTags unknown;
    const auto tagsAt = [&tags](qsizetype i) -> const TrackTags & { return i < tags.size() ? tags.at(i) : unknown; };

    // The folder taken apart once for all the entries.
    const RelativeEntries relative(targetFolder, separatorChar(options.separator));
    if (options.format == ExportFormat::Xspf) {
        const RelativeEntries uri(targetFolder, QLatin1Char('/'));
        QList<XspfTrack> tracks;
        tracks.reserve(count);
        for (qsizetype i = 0; i < count; ++i) {
            const QString &entry = entries.at(i);
            const TrackTags &t = tagsAt(i);
            QString location;
            if (paths == ExportPaths::Name && !isUrlEntry(entry))
                // A name alone is the name relative to the list's own folder.
                location = xspfLocation(QDir(targetFolder).filePath(fileNameOf(entry).toString()), &uri);
            else
                location = xspfLocation(entry, paths == ExportPaths::Relative ? &uri : nullptr);
            tracks.append(XspfTrack{location, withoutControls(t.title), withoutControls(t.artist), t.ms});
        }
        out.bytes = formatXspf(tracks, QString::fromLatin1(effectiveLineEnd(options)));
        if (!whole) {
            // Up to the last track's end: the closing lines come after the whole list.
            const qsizetype end = out.bytes.lastIndexOf("</track>");
            out.bytes.truncate(end < 0 ? out.bytes.indexOf("<track>") : end + qsizetype(sizeof "</track>") - 1);
            if (end >= 0)
                out.bytes += effectiveLineEnd(options);
        }
        return out;
    }

    qsizetype estimate = 32;
    for (qsizetype i = 0; i < count; ++i)
        estimate += 2 * entries.at(i).size() + 40;
    // The same lines, made in UTF-8 directly or in UTF-16 for the encoder.
    const auto write = [&](auto &text) {
        const auto line = [&](QStringView part) {
            text << part;
            text << lineEnd;
        };
        const bool extended = options.format == ExportFormat::M3u || options.format == ExportFormat::M3u8;
        if (extended)
            line(u"#EXTM3U");
        else if (options.format == ExportFormat::Pls)
            line(u"[playlist]");

        for (qsizetype i = 0; i < count; ++i) {
            const QString &entry = entries.at(i);
            const QString path = exportedPath(entry, paths, relative);
            const TrackTags &t = tagsAt(i);
            const QString &named = i < namedAfter.size() ? namedAfter.at(i) : entry;
            if (checkGbk && !(gbkHolds(path) && (options.format == ExportFormat::M3uPlain || gbkHolds(trackName(named, t)))))
                out.outsideGbk << entry;
            switch (options.format) {
            case ExportFormat::M3u:
            case ExportFormat::M3u8:
                if (t.seconds < 0 && t.title.isEmpty()) {
                    text << u"#EXTINF:-1,";
                    text << bareName(named);
                    text << lineEnd;
                    line(path);
                    break;
                }
                text << u"#EXTINF:";
                appendSeconds(text, t.seconds);
                text << u',';
                appendName(text, named, t);
                text << lineEnd;
                line(path);
                break;
            case ExportFormat::M3uPlain:
                line(path);
                break;
            case ExportFormat::Pls: {
                char16_t digits[24];
            const QStringView k = decimal(i + 1, digits);
                text << u"File";
                text << k;
                text << u'=';
                line(path);
                text << u"Title";
                text << k;
                text << u'=';
                appendName(text, named, t);
                text << lineEnd;
                text << u"Length";
                text << k;
                text << u'=';
                appendSeconds(text, t.seconds);
                text << lineEnd;
                break;
            }
            case ExportFormat::Xspf:
                break;
            }
        }
        if (options.format == ExportFormat::Pls && whole) {
            text << u"NumberOfEntries=";
            line(QString::number(n));
            line(u"Version=2");
        }
    };
    const TextEncoding encoding = effectiveEncoding(options);
    if (encoding == TextEncoding::Gb18030) {
        TextOut text(estimate);
        write(text);
        out.bytes = encodeText(text.take(), encoding);
    } else {
        Utf8Out text(estimate, encoding == TextEncoding::Utf8Bom);
        write(text);
        out.bytes = text.take();
    }
    return out;
}
