// Read -> write -> read keeps the entries: for any file's bytes, what was read
// is written and read back the same; for any list (the bytes cut at NUL into
// entries), the file gives back what the format can hold, and a list with a
// line break in an entry is refused, nothing written. In a list's own form
// (relative, with a mark; XSPF with file URIs or relative references) the
// full paths read come back the same; in GB18030 the writer does not crash.
// A list kept as read is written back byte for byte, and reversed it reads
// back reversed in its encoding.
#include "playlist_io/entry_paths.h"
#include "playlist_io/kept_file.h"
#include "playlist_io/playlist_reader.h"
#include "playlist_io/playlist_writer.h"
#include "playlist_io/xspf.h"

#include <QBuffer>
#include <QStringDecoder>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

QStringList upper(QStringList entries)
{
    for (QString &e : entries)
        e = e.toUpper();
    return entries;
}

// What an M3U file gives back: leading marks dropped, blank lines and those
// whose first character after blanks and tabs is "#" skipped.
QStringList m3uKeeps(const QStringList &entries)
{
    QStringList out;
    for (QString e : entries) {
        while (e.startsWith(QChar(0xFEFF)))
            e.remove(0, 1);
        QStringView text(e);
        while (!text.isEmpty() && (text.front() == u' ' || text.front() == u'\t'))
            text = text.sliced(1);
        if (!text.isEmpty() && text.front() != u'#')
            out << e;
    }
    return out;
}

void fileRoundTrip(const QByteArray &bytes, PlaylistType type, Qt::CaseSensitivity cs)
{
    const QStringList first = parsePlaylistBytes(bytes, type);
    const QByteArray written = formatPlaylist(first, type, cs);
    const QStringList second = parsePlaylistBytes(written, type);
    check(second == (cs == Qt::CaseSensitive ? first : upper(first)));
    check(formatPlaylist(second, type, cs) == written);
}

void listRoundTrip(const QStringList &entries, PlaylistType type, Qt::CaseSensitivity cs)
{
    bool holdable = true;
    for (const QString &e : entries)
        holdable = holdable && playlistCanHold(e);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    const bool written = writePlaylist(buffer, entries, type, cs);
    if (!holdable) {
        check(!written && buffer.size() == 0);
        return;
    }
    check(written);
    const QStringList read = parsePlaylistBytes(buffer.data(), type);
    const QStringList sent = cs == Qt::CaseSensitive ? entries : upper(entries);
    check(read == (type == PlaylistType::M3u ? m3uKeeps(sent) : sent));
}

// The entries read, made full paths from a list's folder: only those that
// were relative, which come out normalised.
QStringList resolvedOf(const QStringList &entries, const QString &folder)
{
    QStringList full;
    for (const QString &e : entries) {
        if (!e.isEmpty() && !isUrlEntry(e) && !isAbsoluteEntry(e))
            full << resolveEntry(e, folder);
    }
    return full;
}

QStringList resolvedBack(QStringList entries, const QString &folder)
{
    for (QString &e : entries)
        e = resolveEntry(e, folder);
    return entries;
}

void formRoundTrip(const QByteArray &bytes, PlaylistType type)
{
    const QString folder = QStringLiteral("/lists/mine");
    const QStringList full = resolvedOf(parsePlaylistBytes(bytes, type), folder);
    for (TextEncoding encoding : {TextEncoding::Utf8, TextEncoding::Utf8Bom, TextEncoding::Gb18030}) {
        for (QChar separator : {QChar(u'/'), QChar(u'\\')}) {
            const PlaylistForm form{true, separator, encoding};
            const QByteArray written = formatPlaylist(full, type, Qt::CaseSensitive, form, folder);
            // A "\\" inside a name would read as a separator; GB18030 may read as UTF-8.
            if (separator == u'\\' || encoding == TextEncoding::Gb18030 || type == PlaylistType::Xspf)
                continue;
            TextEncoding read = TextEncoding::Gb18030;
            check(resolvedBack(parsePlaylistBytes(written, type, &read), folder) == full);
            check(read == encoding);
        }
    }
}

void xspfRoundTrip(const QByteArray &bytes)
{
    const QString folder = QStringLiteral("/lists/mine");
    const QStringList full = resolvedOf(parsePlaylistBytes(bytes, PlaylistType::Xspf), folder);
    for (bool relative : {false, true}) {
        const QByteArray written =
            formatPlaylist(full, PlaylistType::Xspf, Qt::CaseSensitive, PlaylistForm{relative}, folder);
        check(parseXspf(written, folder) == full);
    }
    // Any text as a title or creator still gives a file that reads back.
    QList<XspfTrack> tracks;
    for (const QString &e : parsePlaylistBytes(bytes, PlaylistType::M3u))
        tracks.append({QStringLiteral("a.mp3"), e, e, e.size()});
    check(parseXspf(formatXspf(tracks), QString()).size() == tracks.size());
}

void keptRoundTrip(const QByteArray &bytes, PlaylistType type)
{
    const QString folder = QStringLiteral("/lists/mine");
    const KeptRead read = readKept(bytes, type, folder);
    if (!read.file)
        return;
    ListToWrite list{{}, read.entries, read.lines, {}};
    list.document.files = {read.file};
    list.document.listFile = 0;
    list.document.listFileEntries = int(read.entries.size());
    PlaylistForm form;
    form.encoding = read.encoding;
    list.document.form = documentForm(form);
    check(formatPlaylist(list, type, Qt::CaseSensitive, folder) == bytes);
    if (type == PlaylistType::Xspf)
        return;
    std::reverse(list.entries.begin(), list.entries.end());
    std::reverse(list.lines.begin(), list.lines.end());
    const QByteArray reversed = formatPlaylist(list, type, Qt::CaseSensitive, folder);
    // Read in the encoding it was written in: without files on disk to tell,
    // another order of the same lines may be judged another code page.
    check(readKept(reversed, type, folder, read.encoding).entries == list.entries);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data),
                                                     qsizetype(size));
    QStringList entries;
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    for (const QByteArray &part : bytes.split('\0'))
        entries << utf8.decode(part);

    for (PlaylistType type : {PlaylistType::M3u, PlaylistType::Pls}) {
        for (Qt::CaseSensitivity cs : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
            fileRoundTrip(bytes, type, cs);
            listRoundTrip(entries, type, cs);
        }
        formRoundTrip(bytes, type);
    }
    for (PlaylistType type : {PlaylistType::M3u, PlaylistType::Pls, PlaylistType::Xspf})
        keptRoundTrip(QByteArray(bytes.constData(), bytes.size()), type);
    xspfRoundTrip(bytes);
    return 0;
}
