#include "playlist_io/playlist_reader.h"

#include "playlist_io/entry_paths.h"
#include "playlist_io/xspf.h"

#include "platform/files/regular_file.h"

#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QStringDecoder>

#include <cstring>
#include <optional>

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

// U+FEFF in the two encodings a line may be in. GB18030 encodes every code
// point, so a list written by a program that marks each file carries this one.
constexpr QByteArrayView kUtf8Bom("\xEF\xBB\xBF");
constexpr QByteArrayView kGb18030Bom("\x84\x31\x95\x33");

QByteArrayView withoutBoms(QByteArrayView line)
{
    for (;;) {
        if (line.startsWith(kUtf8Bom))
            line = line.sliced(kUtf8Bom.size());
        else if (line.startsWith(kGb18030Bom))
            line = line.sliced(kGb18030Bom.size());
        else
            return line;
    }
}

// Calls f(line) for every line that is not empty once its marks are dropped;
// CR LF, CR and LF end lines.
template <typename F>
void forEachLine(QByteArrayView bytes, F f)
{
    const auto take = [&](const char *from, const char *to) {
        const QByteArrayView line = withoutBoms(QByteArrayView(from, to));
        if (!line.isEmpty())
            f(line);
    };
    const char *p = bytes.data();
    const char *const end = p + bytes.size();
    while (p != end) {
        const char *lf = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)));
        const char *const segmentEnd = lf ? lf : end;
        while (const char *cr = static_cast<const char *>(std::memchr(p, '\r', size_t(segmentEnd - p)))) {
            take(p, cr);
            p = cr + 1;
        }
        if (p != segmentEnd)
            take(p, segmentEnd);
        p = lf ? lf + 1 : end;
    }
}

// Whether every byte is below 0x80, eight at a time.
bool isAscii(QByteArrayView text)
{
    const char *p = text.data();
    qsizetype n = text.size();
    quint64 seen = 0;
    for (; n >= 8; n -= 8, p += 8) {
        quint64 word;
        std::memcpy(&word, p, 8);
        seen |= word;
    }
    for (; n > 0; --n, ++p)
        seen |= quint8(*p);
    return (seen & 0x8080808080808080ull) == 0;
}

// Decodes each line on its own: UTF-8 when it is valid UTF-8, otherwise the
// Chinese code page. The second decoder is made once, on the first line that
// needs it.
class LineDecoder {
public:
    QString decode(QByteArrayView text)
    {
        // Most paths are plain ASCII, which reads alike in every encoding here.
        if (isAscii(text))
            return QString::fromLatin1(text);
        if (text.isValidUtf8())
            return m_utf8.decode(text);
        if (!m_other) {
            m_other.emplace("GB18030", QStringDecoder::Flag::Stateless);
            // A Qt without ICU: the system's own 8-bit code page, which on
            // Chinese Windows is what wrote the file.
            if (!m_other->isValid())
                m_other.emplace(QStringDecoder::System, QStringDecoder::Flag::Stateless);
        }
        // A character cut off at the end of the text would vanish without a
        // trace: an LF after it (never part of a character) makes the decoder
        // give it as U+FFFD.
        m_buffer.truncate(0);
        m_buffer.append(text.data(), text.size());
        m_buffer.append('\n');
        QString decoded = m_other->decode(m_buffer);
        if (decoded.endsWith(u'\n'))
            decoded.chop(1);
        return decoded;
    }
    // Whether some line was read as GB18030.
    bool neededOther() const { return m_other.has_value(); }

private:
    // A mark inside a name (a PLS value may start with one) is part of it.
    QStringDecoder m_utf8{QStringDecoder::Utf8,
                          QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom};
    std::optional<QStringDecoder> m_other;
    QByteArray m_buffer;
};

} // namespace

QStringList parsePlaylistBytes(QByteArrayView bytes, PlaylistType type, TextEncoding *encoding)
{
    QStringList entries;
    LineDecoder decoder;
    if (type == PlaylistType::M3u) {
        forEachLine(bytes, [&](QByteArrayView line) {
            if (line.front() != '#')
                entries.append(decoder.decode(line));
        });
    } else if (type == PlaylistType::Pls) {
        forEachLine(bytes, [&](QByteArrayView line) {
            const qsizetype eq = line.indexOf('=');
            if (eq >= 0 && isFileKey(line.first(eq)))
                entries.append(decoder.decode(line.sliced(eq + 1)));
        });
    } else if (type == PlaylistType::Xspf) {
        entries = parseXspf(bytes, QString());
    }
    // XSPF is read as its XML declaration says and always written in UTF-8.
    if (encoding) {
        *encoding = decoder.neededOther()                                      ? TextEncoding::Gb18030
                    : type != PlaylistType::Xspf && bytes.startsWith(kUtf8Bom) ? TextEncoding::Utf8Bom
                                                                               : TextEncoding::Utf8;
    }
    return entries;
}

namespace {

// The device's bytes to its end, at most maxBytes; false with `outcome` set
// (Unreadable or TooLarge) when they cannot be had.
bool readAllOf(QIODevice &device, qint64 maxBytes, QByteArray &bytes, PlaylistRead::Outcome &outcome)
{
    outcome = PlaylistRead::Unreadable;
    if (!device.isOpen() && !device.open(QIODevice::ReadOnly))
        return false;
    if (!device.isReadable())
        return false;
    const qint64 expected = device.isSequential() ? 0 : device.size() - device.pos();
    if (expected > maxBytes) {
        outcome = PlaylistRead::TooLarge;
        return false;
    }
    // One read for a file of known size, then one more to see its end; never
    // more than one byte past the limit, so an endless source ends too.
    for (;;) {
        const qsizetype have = bytes.size();
        const qint64 left = maxBytes + 1 - have;
        const qsizetype room = qsizetype(qMin(left, qMax<qint64>(64 * 1024, expected - have)));
        bytes.resize(have + room);
        const qint64 n = device.read(bytes.data() + have, room);
        if (n < 0)
            return false;
        bytes.resize(have + qsizetype(n));
        if (bytes.size() > maxBytes) {
            outcome = PlaylistRead::TooLarge;
            return false;
        }
        if (n == 0)
            break;
    }
    outcome = PlaylistRead::ReadOk;
    return true;
}

// Turns the M3U or PLS entries as written into the list's, noting the form.
class EntryReader {
public:
    EntryReader(const QString &folder, PlaylistForm &form) : m_folder(folder), m_form(form) {}

    void read(QString &entry)
    {
        if (entry.isEmpty() || isAbsoluteEntry(entry))   // the common case costs one look at the first character
            return;
        if (isFileUri(entry)) {
            entry = fileUriPath(entry);
            return;
        }
        if (isUrlEntry(entry))
            return;
        m_form.relative = true;
        bool backslashes = false;
        if (entry.contains(u'\\')) {
#ifdef Q_OS_WIN
            backslashes = true;
#else
            // Here a backslash is a character of a name; a list from Windows
            // means a separator by it.
            const QString asWritten = resolveEntry(entry, m_folder);
            if (QFileInfo::exists(asWritten)) {
                note(false, entry);
                entry = asWritten;
                return;
            }
            entry.replace(u'\\', u'/');
            backslashes = true;
#endif
        }
        note(backslashes, entry);
        entry = resolveEntry(entry, m_folder);
    }

private:
    void note(bool backslashes, const QString &entry)
    {
        if (m_separatorKnown)
            return;
        if (backslashes) {
            m_form.separator = u'\\';
            m_separatorKnown = true;
        } else if (entry.contains(u'/')) {
            m_form.separator = u'/';
            m_separatorKnown = true;
        }
    }

    const QString &m_folder;
    PlaylistForm &m_form;
    bool m_separatorKnown = false;
};

} // namespace

PlaylistRead readPlaylist(QIODevice &device, PlaylistType type, qint64 maxBytes)
{
    PlaylistRead result;
    QByteArray bytes;
    if (!readAllOf(device, maxBytes, bytes, result.outcome))
        return result;
    result.entries = parsePlaylistBytes(bytes, type, &result.form.encoding);
    return result;
}

PlaylistRead readPlaylistFile(const QString &fileName, QStringList *asWritten)
{
    QFile file;
    PlaylistRead result;
    switch (openRegularFile(file, fileName)) {
    case RegularFileOpen::Opened: {
        QByteArray bytes;
        if (!readAllOf(file, kPlaylistMaxBytes, bytes, result.outcome))
            return result;
        const QString folder = QFileInfo(fileName).absolutePath();
        const PlaylistType type = playlistTypeOf(fileName);
        if (type == PlaylistType::Xspf) {
            result.entries = xspfLocations(bytes);
            if (asWritten)
                asWritten->clear();
            for (QString &entry : result.entries) {
                if (asWritten)   // %XX decoded, relative ones left relative
                    asWritten->append(xspfEntry(entry, QString()));
                result.form.relative = result.form.relative || isRelativeUriReference(entry);
                entry = xspfEntry(entry, folder);
            }
            return result;
        }
        result.entries = parsePlaylistBytes(bytes, type, &result.form.encoding);
        if (asWritten)
            *asWritten = result.entries;
        EntryReader reader(folder, result.form);
        for (QString &entry : result.entries)
            reader.read(entry);
        return result;
    }
    case RegularFileOpen::Missing:
        result.outcome = PlaylistRead::Missing;
        break;
    case RegularFileOpen::NotRegular:
        result.outcome = PlaylistRead::NotRegular;
        break;
    case RegularFileOpen::Unreadable:
        result.outcome = PlaylistRead::Unreadable;
        break;
    }
    return result;
}
