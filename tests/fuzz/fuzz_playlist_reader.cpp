// The playlist reader on any bytes, as M3U, PLS and XSPF: it must not crash,
// and what it returns must be entries a list can take and a file can hold
// again (XSPF: the list refuses line breaks); resolved against a list's
// folder, an entry is a full path with no "." or ".." left, or a URL or full
// path as written; file URIs and relative entries made of it do not crash.
#include "playlist_io/entry_paths.h"
#include "playlist_io/playlist_reader.h"
#include "playlist_io/xspf.h"

#include <QBuffer>

#include <cstdint>
#include <cstdlib>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

void checkResolved(const QString &entry)
{
    const QString full = resolveEntry(entry, QStringLiteral("/lists/mine"));
    if (entry.isEmpty() || isUrlEntry(entry) || isAbsoluteEntry(entry)) {
        check(full == entry);
        return;
    }
    check(full.startsWith(u'/'));
    const QStringList names = full.mid(1).split(u'/');
    for (const QString &name : names)
        check(name != QLatin1String(".") && name != QLatin1String(".."));
    check(resolveEntry(full, QStringLiteral("/elsewhere")) == full);
    // Made relative again, it names the same file.
    check(resolveEntry(relativeEntry(full, QStringLiteral("/lists/mine"), u'/'), QStringLiteral("/lists/mine")) == full);
}

void checkEntries(const QStringList &entries, PlaylistType type)
{
    for (const QString &e : entries) {
        if (type != PlaylistType::Xspf)
            check(!e.contains(u'\n') && !e.contains(u'\r'));
        (void)fileUriPath(e);
        (void)relativeEntry(e, QStringLiteral("C:/lists"), u'\\');
        if (type == PlaylistType::M3u)
            check(!e.isEmpty() && e.front() != u'#' && e.front() != QChar(0xFEFF));
        checkResolved(e);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data),
                                                     qsizetype(size));
    for (PlaylistType type : {PlaylistType::M3u, PlaylistType::Pls, PlaylistType::Xspf}) {
        TextEncoding encoding = TextEncoding::Utf8;
        const QStringList entries = parsePlaylistBytes(bytes, type, &encoding);
        checkEntries(entries, type);
        if (type == PlaylistType::Xspf) {
            check(encoding == TextEncoding::Utf8);
            // Resolved at once, the same tracks.
            check(parseXspf(bytes, QStringLiteral("/lists/mine")).size() == entries.size());
        }

        // Through a device: the same entries, or TooLarge just past the limit.
        QBuffer buffer;
        buffer.setData(bytes);
        const qint64 limit = qint64(size) - (size % 2);
        const PlaylistRead read = readPlaylist(buffer, type, limit);
        if (qint64(size) <= limit) {
            check(read.outcome == PlaylistRead::ReadOk && read.entries == entries);
        } else {
            check(read.outcome == PlaylistRead::TooLarge && read.entries.isEmpty());
        }
    }
    check(parsePlaylistBytes(bytes, PlaylistType::Other).isEmpty());
    return 0;
}
