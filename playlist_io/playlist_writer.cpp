#include "playlist_io/playlist_writer.h"

#include "platform/files/durable_save.h"
#include "platform/files/file_errors.h"
#include "playlist_io/entry_facts.h"
#include "playlist_io/entry_paths.h"
#include "playlist_io/kept_writer.h"
#include "playlist_io/text_out.h"
#include "playlist_io/xspf.h"

#include <QFileInfo>
#include <QIODevice>

#include <algorithm>
#include <cerrno>

namespace {

// The first entry the format cannot hold, or -1.
qsizetype firstUnholdable(const QStringList &entries)
{
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (!playlistCanHold(entries.at(i)))
            return i;
    }
    return -1;
}

} // namespace

QByteArray formatPlaylist(const QStringList &entries, PlaylistType type,
                          Qt::CaseSensitivity fileSystemCase)
{
    if (type == PlaylistType::Other)
        return {};
    if (type == PlaylistType::Xspf)
        return formatPlaylist(entries, type, fileSystemCase, PlaylistForm{}, QString());

    const bool upper = fileSystemCase == Qt::CaseInsensitive;
    qsizetype estimate = 64;
    for (const QString &e : entries)
        estimate += 2 * e.size() + 24;  // ASCII paths; the buffer grows for others
    TextOut out(estimate, TextEncoding::Utf8);

    if (type == PlaylistType::Pls) {
        out << "[Playlist]\r\nNumberOfEntries=";
        out.number(entries.size()) << "\r\n";
    }
    qsizetype k = 0;
    for (const QString &e : entries) {
        if (type == PlaylistType::M3u) {
            out << "#EXTINF:";
        } else {
            out << "File";
            out.number(++k) << '=';
        }
        const qsizetype at = out.size();
        if (upper)
            out.upper(e);
        else
            out << QStringView(e);
        if (type == PlaylistType::M3u) {
            const qsizetype length = out.size() - at;
            out << "\r\n";
            out.again(at, length);
        }
        out << "\r\n";
    }
    return out.take();
}

QByteArray formatPlaylist(const QStringList &entries, PlaylistType type,
                          Qt::CaseSensitivity fileSystemCase, const PlaylistForm &form,
                          const QString &folder)
{
    if (type == PlaylistType::Other)
        return {};
    if (type == PlaylistType::Xspf) {
        const RelativeEntries relative(folder, u'/');
        QList<XspfTrack> tracks(entries.size());
        for (qsizetype i = 0; i < entries.size(); ++i) {
            const QString &e = entries.at(i);
            const bool upper = !form.relative && fileSystemCase == Qt::CaseInsensitive && !isUrlEntry(e);
            tracks[i].location = xspfLocation(upper ? e.toUpper() : e, form.relative ? &relative : nullptr);
        }
        return formatXspf(tracks, u"\n");
    }
    if (!form.relative && form.encoding == TextEncoding::Utf8)
        return formatPlaylist(entries, type, fileSystemCase);   // the program's own form, as it always was
    QByteArray utf8;
    if (form.relative) {
        const RelativeEntries relative(folder, form.separator);
        QStringList spelled(entries.size());
        for (qsizetype i = 0; i < entries.size(); ++i)
            spelled[i] = relative(entries.at(i));
        utf8 = formatPlaylist(spelled, type, Qt::CaseSensitive);
    } else {
        utf8 = formatPlaylist(entries, type, fileSystemCase);
    }
    switch (form.encoding) {
    case TextEncoding::Utf8:
        break;
    case TextEncoding::Utf8Bom:
        utf8.prepend("\xEF\xBB\xBF");
        break;
    default:
        return encodeText(QString::fromUtf8(utf8), form.encoding);
    }
    return utf8;
}

WriteLayout writeLayout(const ListToWrite &list, PlaylistType type)
{
    WriteLayout layout;
    if (type == PlaylistType::Other)
        return layout;
    const KeptFile *listFile = list.document.keptListFile();
    if (listFile && listFile->type == type) {
        layout.own = listFile;
        layout.fixed = false;
        return layout;
    }
    layout.fixed = std::none_of(list.lines.cbegin(), list.lines.cend(), [&](const KeptLines &k) {
        const KeptFile *file = list.document.fileOf(k);
        if (!file)
            return false;
        if (file->type == type)
            return true;
        const TrackTags facts = keptFacts(file, k);
        return !facts.title.isEmpty() || !facts.artist.isEmpty() || facts.seconds >= 0;
    });
    return layout;
}

namespace {
QByteArray formatIn(const ListToWrite &list, PlaylistType type, Qt::CaseSensitivity fileSystemCase,
                    const PlaylistForm &form, const QString &folder)
{
    if (type == PlaylistType::Other)
        return {};
    const WriteLayout layout = writeLayout(list, type);
    if (layout.fixed)
        return formatPlaylist(list.entries, type, fileSystemCase, form, folder);
    return formatKept(list, layout, type, fileSystemCase, form, folder);
}
} // namespace

QByteArray formatPlaylist(const ListToWrite &list, PlaylistType type, Qt::CaseSensitivity fileSystemCase,
                          const QString &folder)
{
    return formatIn(list, type, fileSystemCase, playlistForm(list.document.form), folder);
}

QList<qsizetype> entriesWantingTags(const ListToWrite &list, PlaylistType type)
{
    const WriteLayout layout = writeLayout(list, type);
    if (type == PlaylistType::Other || layout.fixed)
        return {};
    return keptEntriesWantingTags(list, layout, type);
}

QList<qsizetype> entriesNotHeld(const QStringList &entries, TextEncoding encoding)
{
    QList<qsizetype> found;
    for (qsizetype i = 0; isCodePage(encoding) && i < entries.size(); ++i) {
        if (!encodingHolds(entries.at(i), encoding))
            found.append(i);
    }
    return found;
}

bool writePlaylist(QIODevice &device, const QStringList &entries, PlaylistType type,
                   Qt::CaseSensitivity fileSystemCase)
{
    if (firstUnholdable(entries) >= 0)
        return false;
    const QByteArray bytes = formatPlaylist(entries, type, fileSystemCase);
    return device.write(bytes) == bytes.size();
}

PlaylistWrite writePlaylistFile(const QString &fileName, const QStringList &entries,
                                Qt::CaseSensitivity fileSystemCase)
{
    return writePlaylistFile(fileName, entries, fileSystemCase, PlaylistForm{});
}

PlaylistWrite writePlaylistFile(const QString &fileName, const QStringList &entries,
                                Qt::CaseSensitivity fileSystemCase, const PlaylistForm &form)
{
    ListToWrite list;
    list.document.form = documentForm(form);
    list.entries = entries;
    return writeListFile(fileName, list, fileSystemCase);
}

PlaylistWrite writeListFile(const QString &fileName, const ListToWrite &list, Qt::CaseSensitivity fileSystemCase)
{
    const QStringList &entries = list.entries;
    PlaylistWrite result;
    if (fileName.isEmpty()) {
        result.errorString = QStringLiteral("no file name");
        result.error = ENOENT;
        return result;
    }
    result.badEntry = firstUnholdable(entries);
    if (result.badEntry >= 0) {
        result.outcome = PlaylistWrite::LineBreak;
        result.errorString = QStringLiteral("entry %1 holds a line break").arg(result.badEntry);
        result.error = fileproblem::LineBreak;
        return result;
    }
    PlaylistForm written = playlistForm(list.document.form);
    const PlaylistType type = playlistTypeOf(fileName);
    if (isUtf8OnlyName(fileName) || type == PlaylistType::Xspf)
        written.encoding = utf8Only(written.encoding);
    if (const QList<qsizetype> unheld = entriesNotHeld(entries, written.encoding); !unheld.isEmpty()) {
        result.outcome = PlaylistWrite::NotHeld;
        result.badEntry = unheld.front();
        result.errorString = QStringLiteral("%1 cannot hold entry %2").arg(encodingLabel(written.encoding)).arg(result.badEntry);
        return result;
    }
    const QByteArray bytes = formatIn(list, type, fileSystemCase, written, QFileInfo(fileName).absolutePath());
    const DurableSaveResult save = saveFileDurably(fileName, bytes);
    if (save.outcome != DurableSave::Saved) {
        result.errorString = save.errorString;
        result.error = save.error;
        return result;
    }
    result.outcome = PlaylistWrite::Written;
    result.fingerprint = fingerprintOf(bytes, fileName);
    return result;
}
