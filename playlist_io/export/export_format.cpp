#include "playlist_io/export/export_format.h"

#include "platform/files/volumes.h"
#include "playlist_io/entry_facts.h"
#include "playlist_io/entry_paths.h"
#include "playlist_io/text_encoding.h"
#include "playlist_io/text_out.h"
#include "playlist_io/xspf.h"

#include <QDir>
#include <QStringBuilder>

namespace {

QChar separatorChar(PathSeparator separator)
{
    return separator == PathSeparator::Backslash ? QLatin1Char('\\') : QLatin1Char('/');
}

} // namespace

namespace {

// Appends "<name>" without a copy when it is the file's own name.
template <class Out>
void appendName(Out &text, const QString &entry, const TrackTags &tags)
{
    if (tags.title.isEmpty())
        text << bareName(entry);
    else
        text << trackName(entry, tags);
}

} // namespace

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
        return entryFileName(entry).toString();
    }
    return entry;
}

ExportText formatExport(const QStringList &entries, const QList<TrackTags> &tags, const ExportOptions &options,
                        const QString &targetFolder, qsizetype limit, const QStringList &namedAfter,
                        const QStringList &volumes)
{
    ExportText out;
    const qsizetype n = entries.size();
    const qsizetype count = limit < 0 ? n : qMin(limit, n);
    const bool whole = count == n;
    const ExportPaths paths = effectivePaths(options);
    const QString lineEnd = QString::fromLatin1(effectiveLineEnd(options));
    const TextEncoding encoding = effectiveEncoding(options);
    const bool checkGbk = encoding == TextEncoding::Gb18030;
    const bool checkHeld = isCodePage(encoding) && !checkGbk;
    static const TrackTags unknown;
    const auto tagsAt = [&tags](qsizetype i) -> const TrackTags & { return i < tags.size() ? tags.at(i) : unknown; };

    // The folder taken apart once for all the entries. A relative path never
    // leaves the target's volume: an entry on another one is written in full.
    const VolumeFinder mounts(volumes);
    const RelativeEntries relative(targetFolder, separatorChar(options.separator), &mounts);
    if (options.format == ExportFormat::Xspf) {
        const RelativeEntries uri(targetFolder, QLatin1Char('/'), &mounts);
        QList<XspfTrack> tracks;
        tracks.reserve(count);
        for (qsizetype i = 0; i < count; ++i) {
            const QString &entry = entries.at(i);
            const TrackTags &t = tagsAt(i);
            QString location;
            if (paths == ExportPaths::Name && !isUrlEntry(entry))
                // A name alone is the name relative to the list's own folder.
                location = xspfLocation(QDir(targetFolder).filePath(entryFileName(entry).toString()), &uri);
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
    TextOut text(estimate, effectiveEncoding(options));
    const auto line = [&](QStringView part) { text << part << lineEnd; };
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
        if (checkHeld && !(encodingHolds(path, encoding) && (options.format == ExportFormat::M3uPlain
                                                              || encodingHolds(trackName(named, t), encoding))))
            out.notHeld << entry;
        switch (options.format) {
        case ExportFormat::M3u:
        case ExportFormat::M3u8:
            text << u"#EXTINF:";
            text.number(t.seconds < 0 ? -1 : t.seconds) << u',';
            appendName(text, named, t);
            text << lineEnd;
            line(path);
            break;
        case ExportFormat::M3uPlain:
            line(path);
            break;
        case ExportFormat::Pls:
            text << u"File";
            text.number(i + 1) << u'=';
            line(path);
            text << u"Title";
            text.number(i + 1) << u'=';
            appendName(text, named, t);
            text << lineEnd << u"Length";
            text.number(i + 1) << u'=';
            text.number(t.seconds < 0 ? -1 : t.seconds) << lineEnd;
            break;
        case ExportFormat::Xspf:
            break;
        }
    }
    if (options.format == ExportFormat::Pls && whole) {
        text << u"NumberOfEntries=";
        text.number(n) << lineEnd;
        line(u"Version=2");
    }
    out.bytes = text.take();
    return out;
}
