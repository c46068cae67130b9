#include "playlist_io/playlist_writer.h"

#include "platform/files/durable_save.h"
#include "playlist_io/entry_paths.h"
#include "playlist_io/xspf.h"

#include <QFileInfo>
#include <QIODevice>
#include <QStringEncoder>

#include <cstring>

namespace {

// Appends to one growing buffer; a list of 100,000 entries is written in a
// single pass without a temporary per line.
class Output {
public:
    explicit Output(qsizetype estimate) { m_buffer.resize(estimate); }
    void put(QByteArrayView bytes)
    {
        std::memcpy(room(bytes.size()), bytes.data(), size_t(bytes.size()));
        m_used += bytes.size();
    }
    void putNumber(qsizetype n)
    {
        char digits[24];
        char *end = digits + sizeof digits;
        char *p = end;
        do {
            *--p = char('0' + n % 10);
            n /= 10;
        } while (n > 0);
        put(QByteArrayView(p, end));
    }
    void putText(QStringEncoder &utf8, QStringView text)
    {
        char *begin = room(utf8.requiredSpace(text.size()));
        m_used += utf8.appendToBuffer(begin, text) - begin;
    }
    // ASCII text upper-cased on the way; false, with nothing written, for other text.
    bool putAsciiUpper(QStringView text)
    {
        char *to = room(text.size());
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char16_t c = text[i].unicode();
            if (c >= 0x80)
                return false;
            to[i] = char(c >= u'a' && c <= u'z' ? c - (u'a' - u'A') : c);
        }
        m_used += text.size();
        return true;
    }
    // Repeats `length` bytes written from offset `at`.
    void again(qsizetype at, qsizetype length)
    {
        char *to = room(length);  // may move the buffer: copy by offset
        std::memcpy(to, m_buffer.constData() + at, size_t(length));
        m_used += length;
    }
    qsizetype used() const { return m_used; }
    QByteArray take()
    {
        m_buffer.truncate(m_used);
        return std::move(m_buffer);
    }

private:
    char *room(qsizetype n)
    {
        if (m_used + n > m_buffer.size())
            m_buffer.resize(qMax(2 * m_buffer.size(), m_used + n));
        return m_buffer.data() + m_used;
    }
    QByteArray m_buffer;
    qsizetype m_used = 0;
};

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
    QStringEncoder utf8(QStringEncoder::Utf8, QStringEncoder::Flag::Stateless);
    qsizetype estimate = 64;
    for (const QString &e : entries)
        estimate += 2 * e.size() + 24;  // ASCII paths; the buffer grows for others
    Output out(estimate);

    if (type == PlaylistType::Pls) {
        out.put("[Playlist]\r\nNumberOfEntries=");
        out.putNumber(entries.size());
        out.put("\r\n");
    }
    qsizetype k = 0;
    for (const QString &e : entries) {
        if (type == PlaylistType::M3u) {
            out.put("#EXTINF:");
        } else {
            out.put("File");
            out.putNumber(++k);
            out.put("=");
        }
        const qsizetype at = out.used();
        if (!upper)
            out.putText(utf8, e);
        else if (!out.putAsciiUpper(e))
            out.putText(utf8, e.toUpper());
        if (type == PlaylistType::M3u) {
            const qsizetype length = out.used() - at;
            out.put("\r\n");
            out.again(at, length);
        }
        out.put("\r\n");
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
    case TextEncoding::Gb18030:
        return encodeText(QString::fromUtf8(utf8), TextEncoding::Gb18030);
    }
    return utf8;
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
    PlaylistWrite result;
    if (fileName.isEmpty()) {
        result.errorString = QStringLiteral("no file name");
        return result;
    }
    result.badEntry = firstUnholdable(entries);
    if (result.badEntry >= 0) {
        result.outcome = PlaylistWrite::LineBreak;
        result.errorString = QStringLiteral("entry %1 holds a line break").arg(result.badEntry);
        return result;
    }
    PlaylistForm written = form;
    if (isUtf8OnlyName(fileName) && written.encoding == TextEncoding::Gb18030)
        written.encoding = TextEncoding::Utf8;
    const DurableSaveResult save = saveFileDurably(
        fileName, formatPlaylist(entries, playlistTypeOf(fileName), fileSystemCase, written,
                                 written.relative ? QFileInfo(fileName).absolutePath() : QString()));
    if (save.outcome != DurableSave::Saved) {
        result.errorString = save.errorString;
        return result;
    }
    result.outcome = PlaylistWrite::Written;
    return result;
}
