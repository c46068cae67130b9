#include "playlist_reader.h"

#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QStringDecoder>

namespace {

bool isFileKey(QStringView key)
{
    key = key.trimmed();
    if (key.size() < 5 || !key.first(4).startsWith(u"file", Qt::CaseInsensitive))
        return false;
    for (QChar c : key.sliced(4)) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

// Calls f(line) for every line; CR LF, CR and LF end lines.
template <typename F>
void forEachLine(QStringView text, F f)
{
    const QChar *begin = text.data();
    const QChar *end = begin + text.size();
    const QChar *start = begin;
    for (const QChar *p = begin; p != end; ++p) {
        const char16_t c = p->unicode();
        if (c != u'\r' && c != u'\n')
            continue;
        f(QStringView(start, p));
        if (c == u'\r' && p + 1 != end && p[1] == u'\n')
            ++p;
        start = p + 1;
    }
    if (start != end)
        f(QStringView(start, end));
}

} // namespace

QString decodePlaylistText(QByteArrayView bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder gb18030("GB18030", QStringDecoder::Flag::Stateless);
    if (gb18030.isValid())
        return gb18030.decode(bytes);
    // A Qt without ICU: the system's own 8-bit code page, which on Chinese
    // Windows is what wrote the file.
    QStringDecoder local(QStringDecoder::System, QStringDecoder::Flag::Stateless);
    return local.decode(bytes);
}

QStringList parsePlaylist(QStringView text, PlaylistType type)
{
    QStringList entries;
    if (type == PlaylistType::M3u) {
        forEachLine(text, [&](QStringView line) {
            if (!line.isEmpty() && line.front() != u'#')
                entries.append(line.toString());
        });
    } else if (type == PlaylistType::Pls) {
        forEachLine(text, [&](QStringView line) {
            const qsizetype eq = line.indexOf(u'=');
            if (eq >= 0 && isFileKey(line.first(eq)))
                entries.append(line.sliced(eq + 1).toString());
        });
    }
    return entries;
}

QStringList parsePlaylistBytes(QByteArrayView bytes, PlaylistType type)
{
    if (type == PlaylistType::Other)
        return {};
    return parsePlaylist(decodePlaylistText(bytes), type);
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
