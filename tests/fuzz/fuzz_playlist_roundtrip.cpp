// Read -> write -> read keeps the entries: for any file's bytes, what was read
// is written and read back the same; for any list (the bytes cut at NUL into
// entries), the file gives back what the format can hold, and a list with a
// line break in an entry is refused, nothing written.
#include "playlist_io/playlist_reader.h"
#include "playlist_io/playlist_writer.h"

#include <QBuffer>
#include <QStringDecoder>

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

// What an M3U file gives back: leading marks dropped, empty and "#" lines skipped.
QStringList m3uKeeps(const QStringList &entries)
{
    QStringList out;
    for (QString e : entries) {
        while (e.startsWith(QChar(0xFEFF)))
            e.remove(0, 1);
        if (!e.isEmpty() && e.front() != u'#')
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
    }
    return 0;
}
