#include "playlist_reader.h"

#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QStringDecoder>

#include <cstring>

// Lines are split and chosen on the bytes: CR, LF, "#" and "=" are single
// bytes in UTF-8 and never part of a GB18030 character, so only the chosen
// parts are decoded.

namespace {

bool isFileKey(QByteArrayView key)
{
    key = key.trimmed();
    if (key.size() < 5 || qstrnicmp(key.data(), "file", 4) != 0)
        return false;
    for (char c : key.sliced(4)) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

// Calls f(line) for every non-empty line; CR LF, CR and LF end lines.
template <typename F>
void forEachLine(QByteArrayView bytes, F f)
{
    const char *p = bytes.data();
    const char *const end = p + bytes.size();
    while (p != end) {
        const char *lf = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)));
        const char *const segmentEnd = lf ? lf : end;
        while (const char *cr = static_cast<const char *>(std::memchr(p, '\r', size_t(segmentEnd - p)))) {
            f(QByteArrayView(p, cr));
            p = cr + 1;
        }
        if (p != segmentEnd)
            f(QByteArrayView(p, segmentEnd));
        p = lf ? lf + 1 : end;
    }
}

QStringList parseWith(QStringDecoder &decoder, QByteArrayView bytes, PlaylistType type)
{
    QStringList entries;
    if (type == PlaylistType::M3u) {
        forEachLine(bytes, [&](QByteArrayView line) {
            if (!line.isEmpty() && line.front() != '#')
                entries.append(decoder.decode(line));
        });
    } else if (type == PlaylistType::Pls) {
        forEachLine(bytes, [&](QByteArrayView line) {
            const qsizetype eq = line.indexOf('=');
            if (eq >= 0 && isFileKey(line.first(eq)))
                entries.append(decoder.decode(line.sliced(eq + 1)));
        });
    }
    return entries;
}

} // namespace

QStringList parsePlaylistBytes(QByteArrayView bytes, PlaylistType type)
{
    if (type == PlaylistType::Other)
        return {};
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QStringList entries = parseWith(utf8, bytes, type);
    if (!utf8.hasError())
        return entries;
    QStringDecoder gb18030("GB18030", QStringDecoder::Flag::Stateless);
    if (gb18030.isValid())
        return parseWith(gb18030, bytes, type);
    // A Qt without ICU: the system's own 8-bit code page, which on Chinese
    // Windows is what wrote the file.
    QStringDecoder local(QStringDecoder::System, QStringDecoder::Flag::Stateless);
    return parseWith(local, bytes, type);
}

PlaylistRead readPlaylist(QIODevice &device, PlaylistType type)
{
    PlaylistRead result;
    if (!device.isOpen() && !device.open(QIODevice::ReadOnly))
        return result;
    if (!device.isReadable())
        return result;
    // One read for a file of known size, then one more to see its end.
    const qint64 expected = device.isSequential() ? 0 : device.size() - device.pos();
    QByteArray bytes;
    for (;;) {
        const qsizetype have = bytes.size();
        const qsizetype room = qMax<qsizetype>(64 * 1024, qsizetype(expected) - have);
        bytes.resize(have + room);
        const qint64 n = device.read(bytes.data() + have, room);
        if (n < 0)
            return result;
        bytes.resize(have + qsizetype(n));
        if (n == 0)
            break;
    }
    result.entries = parsePlaylistBytes(bytes, type);
    result.outcome = PlaylistRead::ReadOk;
    return result;
}

PlaylistRead readPlaylistFile(const QString &fileName)
{
    QFile file(fileName);
    if (fileName.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        PlaylistRead result;
        result.outcome = (!fileName.isEmpty() && QFileInfo::exists(fileName))
            ? PlaylistRead::Unreadable : PlaylistRead::Missing;
        return result;
    }
    return readPlaylist(file, playlistTypeOf(fileName));
}
