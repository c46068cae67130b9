#include "playlist_io/text_encoding.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <array>

#if __has_include(<iconv.h>)
#include <iconv.h>
#define MELVORA_HAVE_ICONV 1
#endif

std::span<const EncodingName> encodingNames()
{
    static const std::array<EncodingName, 8> names = {{
        {TextEncoding::Utf8, "UTF-8", "utf-8", QString(), false},
        {TextEncoding::Utf8Bom, "UTF-8", "utf-8-bom", QString(), false},
        {TextEncoding::Gb18030, "GB18030", "gb18030", QStringLiteral("简体中文"), false},
        {TextEncoding::Big5, "Big5", "big5", QStringLiteral("繁体中文"), false},
        {TextEncoding::ShiftJis, "Shift_JIS", "shift_jis", QStringLiteral("日文"), false},
        {TextEncoding::EucKr, "EUC-KR", "euc-kr", QStringLiteral("韩文"), false},
        {TextEncoding::Windows1252, "windows-1252", "windows-1252", QStringLiteral("西欧"), true},
        {TextEncoding::Windows1251, "windows-1251", "windows-1251", QStringLiteral("西里尔文"), true},
    }};
    return names;
}

const EncodingName &encodingEntry(TextEncoding encoding)
{
    const auto names = encodingNames();
    return *std::find_if(names.begin(), names.end(), [encoding](const EncodingName &n) { return n.encoding == encoding; });
}

std::span<const TextEncoding> codePages()
{
    static constexpr TextEncoding pages[] = {TextEncoding::Gb18030,  TextEncoding::Big5,
                                             TextEncoding::ShiftJis, TextEncoding::EucKr,
                                             TextEncoding::Windows1252, TextEncoding::Windows1251};
    return pages;
}

QString encodingLabel(TextEncoding encoding)
{
    return encoding == TextEncoding::Utf8Bom ? QStringLiteral("UTF-8（带 BOM）")
                                             : QString::fromLatin1(encodingEntry(encoding).name);
}

QString encodingTitle(TextEncoding encoding)
{
    const EncodingName &name = encodingEntry(encoding);
    return name.region.isEmpty() ? encodingLabel(encoding) : name.region + u' ' + QLatin1String(name.name);
}

namespace {

#ifdef MELVORA_HAVE_ICONV
// The text through the system's iconv; `ok` false when it has no such encoding.
QByteArray iconvEncode(QStringView text, const char *name, bool *ok)
{
    *ok = false;
    iconv_t cd = iconv_open(name, "UTF-8");
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
        // An unconvertible character: "?" for it.
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

QByteArray codePage(QStringView text, TextEncoding encoding)
{
    const char *name = encodingEntry(encoding).name;
    QStringEncoder encoder(name, QStringEncoder::Flag::Stateless);
    if (encoder.isValid())
        return encoder.encode(text);
#ifdef MELVORA_HAVE_ICONV
    bool ok = false;
    QByteArray bytes = iconvEncode(text, name, &ok);
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
    default:
        return codePage(text, encoding);
    }
}

TextDecoder::TextDecoder(TextEncoding encoding)
{
    if (!isCodePage(encoding))
        return;
    m_codePage.emplace(encodingEntry(encoding).name, QStringDecoder::Flag::Stateless);
    // A Qt without ICU: the system's own 8-bit code page.
    if (!m_codePage->isValid())
        m_codePage.emplace(QStringDecoder::System, QStringDecoder::Flag::Stateless);
}

QString TextDecoder::operator()(QByteArrayView bytes, bool *ok)
{
    if (!m_codePage) {
        if (ok)
            *ok = bytes.isValidUtf8();
        return QString::fromUtf8(bytes);
    }
    QStringDecoder &decoder = *m_codePage;
    decoder.resetState();
    QString text = decoder.decode(bytes);
    if (ok)
        *ok = !decoder.hasError();
    return text;
}

QString decodeText(QByteArrayView bytes, TextEncoding encoding, bool *ok)
{
    return TextDecoder(encoding)(bytes, ok);
}

bool encodingHolds(QStringView text, TextEncoding encoding)
{
    if (!text.isValidUtf16())
        return false;   // a lone surrogate: no encoding holds it
    if (!isCodePage(encoding) || encoding == TextEncoding::Gb18030   // GB18030 encodes every code point
        || std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; }))
        return true;
    QStringEncoder encoder(encodingEntry(encoding).name, QStringEncoder::Flag::Stateless);
    if (!encoder.isValid())
        return false;
    const QByteArray bytes = encoder.encode(text);
    return !encoder.hasError() && decodeText(bytes, encoding) == text;
}

QString notHeldText(const QString &first, qsizetype count, TextEncoding encoding)
{
    return QStringLiteral("“%1”等 %2 项不能用%3写出").arg(first).arg(count).arg(encodingLabel(encoding));
}

bool gbkHolds(QStringView text)
{
    if (!encodingHolds(text, TextEncoding::Gb18030))
        return false;
    const QByteArray bytes = codePage(text, TextEncoding::Gb18030);
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
    return QString::fromLatin1(encodingEntry(encoding).name);
}

std::optional<TextEncoding> textEncodingNamed(QStringView name, bool byteOrderMark)
{
    if (name.compare(u"UTF-8", Qt::CaseInsensitive) == 0)
        return byteOrderMark ? TextEncoding::Utf8Bom : TextEncoding::Utf8;
    if (byteOrderMark)
        return std::nullopt;
    for (const TextEncoding page : codePages())
        if (name.compare(QLatin1String(encodingEntry(page).name), Qt::CaseInsensitive) == 0)
            return page;
    return std::nullopt;
}
