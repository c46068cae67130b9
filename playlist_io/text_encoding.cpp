#include "playlist_io/text_encoding.h"

#include <QStringEncoder>

#if __has_include(<iconv.h>)
#include <iconv.h>
#define MELVORA_HAVE_ICONV 1
#endif

namespace {

#ifdef MELVORA_HAVE_ICONV
// GB18030 through the system's iconv; empty when it has none.
QByteArray iconvGb18030(QStringView text, bool *ok)
{
    *ok = false;
    iconv_t cd = iconv_open("GB18030", "UTF-8");
    if (cd == iconv_t(-1))
        return {};
    QByteArray in = text.toUtf8();
    QByteArray out(in.size() * 2 + 16, Qt::Uninitialized);   // 4 bytes per 4-byte UTF-8 character at most
    char *from = in.data();
    size_t fromLeft = size_t(in.size());
    char *to = out.data();
    size_t toLeft = size_t(out.size());
    while (fromLeft > 0) {
        if (iconv(cd, &from, &fromLeft, &to, &toLeft) != size_t(-1))
            break;
        if (toLeft < 4)
            break;   // cannot happen with the room above
        // An unconvertible character (a U+FFFD from a lone surrogate converts): skip one byte.
        *to++ = '?';
        --toLeft;
        do {
            ++from;
            --fromLeft;
        } while (fromLeft > 0 && (quint8(*from) & 0xC0) == 0x80);
    }
    iconv_close(cd);
    out.truncate(to - out.data());
    *ok = fromLeft == 0;
    return out;
}
#endif

QByteArray gb18030(QStringView text)
{
    QStringEncoder encoder("GB18030", QStringEncoder::Flag::Stateless);
    if (encoder.isValid())
        return encoder.encode(text);
#ifdef MELVORA_HAVE_ICONV
    bool ok = false;
    QByteArray bytes = iconvGb18030(text, &ok);
    if (ok)
        return bytes;
#endif
    return text.toUtf8();
}

} // namespace

QByteArray encodeText(QStringView text, TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8:
        return text.toUtf8();
    case TextEncoding::Utf8Bom:
        return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    case TextEncoding::Gb18030:
        return gb18030(text);
    }
    return text.toUtf8();
}

bool gbkHolds(QStringView text)
{
    if (!text.isValidUtf16())
        return false;   // a lone surrogate: no encoding holds it
    bool ascii = true;
    for (QChar c : text)
        ascii = ascii && c.unicode() < 0x80;
    if (ascii)
        return true;
    const QByteArray bytes = gb18030(text);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const quint8 b = quint8(bytes.at(i));
        if (b < 0x80)
            continue;
        if (i + 1 >= bytes.size())
            return false;
        const quint8 second = quint8(bytes.at(i + 1));
        if (second >= 0x30 && second <= 0x39)
            return false;   // a four-byte sequence
        ++i;
    }
    return true;
}

QString encodingName(TextEncoding encoding)
{
    return encoding == TextEncoding::Gb18030 ? QStringLiteral("GB18030") : QStringLiteral("UTF-8");
}

std::optional<TextEncoding> textEncodingNamed(QStringView name, bool byteOrderMark)
{
    if (name.compare(u"UTF-8", Qt::CaseInsensitive) == 0)
        return byteOrderMark ? TextEncoding::Utf8Bom : TextEncoding::Utf8;
    if (name.compare(u"GB18030", Qt::CaseInsensitive) == 0 && !byteOrderMark)
        return TextEncoding::Gb18030;
    return std::nullopt;
}
