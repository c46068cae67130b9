#include "playlist_io/playlist_reader.h"

#include "playlist_io/encoding_choice.h"
#include "playlist_io/entry_paths.h"
#include "playlist_io/kept_file.h"
#include "playlist_io/list_lines.h"
#include "playlist_io/xspf.h"

#include "platform/files/file_errors.h"
#include "platform/files/regular_file.h"

#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <cstring>

static_assert(kPlaylistMaxBytes == qint64(256) * 1024 * 1024,
              "fileErrorText(fileproblem::TooLarge) names this limit");

QStringList parsePlaylistBytes(QByteArrayView bytes, PlaylistType type, TextEncoding *encoding)
{
    KeptRead read = readKept(bytes.toByteArray(), type, QString());
    if (type == PlaylistType::Xspf) {
        for (qsizetype i = 0; i < read.entries.size(); ++i)
            read.entries[i] = xspfEntry(read.entries.at(i), read.bases.value(i), QString());
    }
    if (encoding)
        *encoding = read.encoding;
    return read.entries;
}

namespace {

// The device's bytes to its end, at most maxBytes; false with the outcome
// set (Unreadable or TooLarge, and why) when they cannot be had.
bool readAllOf(QIODevice &device, qint64 maxBytes, QByteArray &bytes, PlaylistRead &read)
{
    PlaylistRead::Outcome &outcome = read.outcome;
    outcome = PlaylistRead::Unreadable;
    if (!device.isOpen() && !device.open(QIODevice::ReadOnly))
        return false;
    if (!device.isReadable())
        return false;
    const qint64 expected = device.isSequential() ? 0 : device.size() - device.pos();
    if (expected > maxBytes) {
        outcome = PlaylistRead::TooLarge;
        read.error = fileproblem::TooLarge;
        return false;
    }
    // One read for a file of known size, into room for one byte more, which
    // sees its end without growing the buffer: the bytes are kept as long as
    // the list, and a grown buffer would hold up to twice what they need.
    // Never more than one byte past the limit, so an endless source ends too.
    bytes.reserve(qsizetype(expected) + 1);   // exactly: a resize would round up to a power of two
    for (;;) {
        const qsizetype have = bytes.size();
        const qint64 left = maxBytes + 1 - have;
        const qint64 wanted = have <= expected ? expected + 1 - have : 64 * 1024;
        const qsizetype room = qsizetype(qMin(left, wanted));
        bytes.resize(have + room);
        const qint64 n = device.read(bytes.data() + have, room);
        if (n < 0) {
            read.error = EIO;   // QIODevice keeps no error number
            return false;
        }
        bytes.resize(have + qsizetype(n));
        if (bytes.size() > maxBytes) {
            outcome = PlaylistRead::TooLarge;
            read.error = fileproblem::TooLarge;
            return false;
        }
        if (n == 0)
            break;
    }
    outcome = PlaylistRead::ReadOk;
    return true;
}

// A byte no list's text holds in any encoding read: a control character
// other than tab, CR and LF.
bool isControl(char c)
{
    const quint8 b = quint8(c);
    return b < 0x20 && b != '\t' && b != '\n' && b != '\r';
}

// Whether `bytes` may be a list's text, made UTF-8 when they are UTF-16 or
// UTF-32 after a byte-order mark (M3U and PLS; XML reads those itself).
bool asText(QByteArray &bytes, PlaylistType type)
{
    static constexpr struct {
        QByteArrayView mark;
        QStringConverter::Encoding encoding;
    } kUnicode[] = {{QByteArrayView("\xFF\xFE\0\0", 4), QStringConverter::Utf32LE},
                    {QByteArrayView("\0\0\xFE\xFF", 4), QStringConverter::Utf32BE},
                    {QByteArrayView("\xFF\xFE", 2), QStringConverter::Utf16LE},
                    {QByteArrayView("\xFE\xFF", 2), QStringConverter::Utf16BE}};
    for (const auto &unicode : kUnicode) {
        if (!bytes.startsWith(unicode.mark))
            continue;
        if (type == PlaylistType::Xspf)
            return true;
        // A text cut inside a character is no whole text in that encoding.
        const QByteArrayView text16 = QByteArrayView(bytes).sliced(unicode.mark.size());
        if (text16.size() % (unicode.mark.size() == 4 ? 4 : 2) != 0)
            return false;
        QStringDecoder decoder(unicode.encoding, QStringDecoder::Flag::Stateless);
        const QString text = decoder.decode(text16);
        if (decoder.hasError())
            return false;
        bytes = QByteArray(listlines::kUtf8Bom.data(), listlines::kUtf8Bom.size()) + text.toUtf8();
        return true;
    }
    const QByteArrayView start = QByteArrayView(bytes).first(qMin<qsizetype>(bytes.size(), 64 * 1024));
    return std::none_of(start.begin(), start.end(), isControl);
}

// Whether the text reads in `encoding`: no more than a quarter of its lines
// are valid neither as UTF-8 nor in it (an image or a program renamed, whose
// bytes would give garbage entries, is no list).
bool readsIn(QByteArrayView bytes, TextEncoding encoding)
{
    if (!isCodePage(encoding))
        return true;
    qsizetype lines = 0, garbled = 0;
    TextDecoder decode(encoding);
    listlines::forEachLine(bytes, [&](const listlines::Line &line) {
        if (line.text.isEmpty())
            return;
        ++lines;
        if (listlines::isAscii(line.text) || line.text.isValidUtf8())
            return;
        bool ok = false;
        if (encoding == TextEncoding::Gb18030)
            ok = listlines::isGb18030(line.text);
        else
            decode(line.text, &ok);
        garbled += ok ? 0 : 1;
    });
    return garbled * 4 <= lines;
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
    if (!readAllOf(device, maxBytes, bytes, result))
        return result;
    result.entries = parsePlaylistBytes(bytes, type, &result.form.encoding);
    return result;
}

PlaylistRead readPlaylistFile(const QString &fileName, QStringList *asWritten, std::optional<TextEncoding> encoding,
                              const ListDevice &device)
{
    auto file = std::make_unique<QFile>();
    PlaylistRead result;
    switch (openRegularFile(*file, fileName, &result.error)) {
    case RegularFileOpen::Opened: {
        QByteArray bytes;
        const std::unique_ptr<QIODevice> from = device ? device(std::move(file)) : std::move(file);
        if (!readAllOf(*from, kPlaylistMaxBytes, bytes, result))
            return result;
        result.fingerprint = fingerprintOf(bytes, fileName);
        const PlaylistType type = playlistTypeOf(fileName);
        const QString folder = QFileInfo(fileName).absolutePath();
        const bool text = asText(bytes, type);
        EncodingChoice choice;
        if (encoding && type != PlaylistType::Xspf)
            choice.encoding = *encoding;
        else if (text)
            choice = chooseEncoding(bytes, type, folder);
        if (!text || !readsIn(bytes, choice.encoding)) {
            result.outcome = PlaylistRead::NotText;
            result.error = fileproblem::NotText;
            return result;
        }
        KeptRead kept = readKept(bytes, type, folder, choice.encoding);
        result.entries = std::move(kept.entries);
        result.lines = std::move(kept.lines);
        result.file = std::move(kept.file);
        result.form.encoding = kept.encoding;
        if (type == PlaylistType::Xspf) {
            if (asWritten)
                asWritten->clear();
            for (qsizetype i = 0; i < result.entries.size(); ++i) {
                QString &entry = result.entries[i];
                if (asWritten)   // %XX decoded, relative ones left relative
                    asWritten->append(xspfEntry(entry, QString()));
                result.form.relative = result.form.relative || isRelativeUriReference(entry);
                entry = xspfEntry(entry, kept.bases.value(i), folder);
            }
            return result;
        }
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
