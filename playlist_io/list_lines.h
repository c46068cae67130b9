#pragma once
#include "playlist_io/text_encoding.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>

#include <cstring>
#include <optional>

// The lines of a list file, as the reader and the writer both see them. Lines
// are split and chosen on the bytes: CR, LF, "#" and "=" are single bytes in
// UTF-8 and never part of a character of the code pages read (a "\\" may be:
// Big5 and Shift_JIS second bytes), so only the chosen parts are decoded.

namespace listlines {

// U+FEFF in the two encodings a line may be in. GB18030 encodes every code
// point, so a list written by a program that marks each file carries this one.
inline constexpr QByteArrayView kUtf8Bom("\xEF\xBB\xBF");
inline constexpr QByteArrayView kGb18030Bom("\x84\x31\x95\x33");

// The line without the byte-order marks at its start, however many.
inline QByteArrayView withoutBoms(QByteArrayView line)
{
    // Most lines start with neither mark's first byte: one look.
    if (line.isEmpty() || (quint8(line.front()) != 0xEF && quint8(line.front()) != 0x84))
        return line;
    for (;;) {
        if (line.startsWith(kUtf8Bom))
            line = line.sliced(kUtf8Bom.size());
        else if (line.startsWith(kGb18030Bom))
            line = line.sliced(kGb18030Bom.size());
        else
            return line;
    }
}

// One line of the bytes: its text without the line end, and where the next
// line starts (after CR LF, CR or LF; the end for the last line).
struct Line {
    QByteArrayView text;
    qsizetype begin = 0;   // offset of the text in the bytes
    qsizetype next = 0;    // offset after its line end
};

// Calls f(Line) for every line, empty ones too, in order; CR LF, CR and LF end
// lines, and a last line without an end is a line. A file of no bytes has none.
template <typename F>
void forEachLine(QByteArrayView bytes, F f)
{
    const char *const base = bytes.data();
    const char *p = base;
    const char *const end = p + bytes.size();
    while (p != end) {
        const char *const lf = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)));
        const char *const segmentEnd = lf ? lf : end;
        bool crlf = false;
        // Lone CRs inside the segment end lines; one right before the LF is CR LF.
        while (const char *cr = static_cast<const char *>(std::memchr(p, '\r', size_t(segmentEnd - p)))) {
            if (lf && cr + 1 == lf) {
                f(Line{QByteArrayView(p, cr), p - base, lf + 1 - base});
                crlf = true;
                break;
            }
            f(Line{QByteArrayView(p, cr), p - base, cr + 1 - base});
            p = cr + 1;
        }
        if (crlf)
            p = lf + 1;
        else if (lf)
            f(Line{QByteArrayView(p, lf), p - base, lf + 1 - base}), p = lf + 1;
        else if (p != end)
            f(Line{QByteArrayView(p, end), p - base, end - base}), p = end;
    }
}

// The first line end of the bytes ("\r\n", "\n" or "\r"), or `otherwise`.
inline QByteArray firstLineEnd(QByteArrayView bytes, QByteArrayView otherwise)
{
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n')
            return QByteArray("\n");
        if (bytes[i] == '\r')
            return i + 1 < bytes.size() && bytes[i + 1] == '\n' ? QByteArray("\r\n") : QByteArray("\r");
    }
    return otherwise.toByteArray();
}

// The text after the blanks and tabs at its start.
inline QByteArrayView afterBlanks(QByteArrayView line)
{
    qsizetype i = 0;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
        ++i;
    return line.sliced(i);
}

// An M3U line that names no entry: empty or blank once its marks are dropped,
// or a comment or directive (its first character other than blanks and tabs
// is "#").
inline bool isM3uNote(QByteArrayView line)
{
    if (!line.isEmpty() && line.front() != ' ' && line.front() != '\t' && quint8(line.front()) != 0xEF
        && quint8(line.front()) != 0x84)
        return line.front() == '#';
    const QByteArrayView text = afterBlanks(withoutBoms(line));
    return text.isEmpty() || text.front() == '#';
}

// Whether every byte is below 0x80, eight at a time.
inline bool isAscii(QByteArrayView text)
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

// Whether the bytes are valid GB18030: ASCII, two-byte characters (lead
// 0x81-0xFE, then 0x40-0x7E or 0x80-0xFE) and four-byte ones (0x81-0xFE,
// 0x30-0x39, 0x81-0xFE, 0x30-0x39).
inline bool isGb18030(QByteArrayView text)
{
    const auto at = [&](qsizetype i) { return i < text.size() ? quint8(text[i]) : 0u; };
    for (qsizetype i = 0; i < text.size();) {
        const unsigned c = at(i);
        if (c < 0x80) {
            ++i;
            continue;
        }
        if (c == 0x80 || c == 0xFF)
            return false;
        const unsigned d = at(i + 1);
        if ((d >= 0x40 && d <= 0x7E) || (d >= 0x80 && d <= 0xFE)) {
            i += 2;
        } else if (d >= 0x30 && d <= 0x39 && at(i + 2) >= 0x81 && at(i + 2) <= 0xFE && at(i + 3) >= 0x30
                   && at(i + 3) <= 0x39) {
            i += 4;
        } else {
            return false;
        }
    }
    return true;
}

// Decodes each line on its own: UTF-8 when it is valid UTF-8, otherwise the
// file's code page (GB18030 when none is given or it is a UTF-8). The second
// decoder is made once, on the first line that needs it.
class LineDecoder {
public:
    explicit LineDecoder(TextEncoding codePage = TextEncoding::Gb18030)
        : m_codePage(isCodePage(codePage) ? codePage : TextEncoding::Gb18030)
    {
    }

    QString decode(QByteArrayView text)
    {
        // Most paths are plain ASCII, which reads alike in every encoding here.
        if (isAscii(text))
            return QString::fromLatin1(text);
        if (text.isValidUtf8())
            return m_utf8.decode(text);
        if (!m_other) {
            m_other.emplace(encodingEntry(m_codePage).name, QStringDecoder::Flag::Stateless);
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
private:
    TextEncoding m_codePage;
    // A mark inside a name (a PLS value may start with one) is part of it.
    QStringDecoder m_utf8{QStringDecoder::Utf8,
                          QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom};
    std::optional<QStringDecoder> m_other;
    QByteArray m_buffer;
};

} // namespace listlines
