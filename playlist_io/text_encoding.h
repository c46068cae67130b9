#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>
#include <QStringView>

#include <optional>
#include <span>

// The encodings a playlist file is written in: UTF-8 (the program's own),
// UTF-8 after a byte-order mark (what many Windows programs write), and the
// code pages of Windows in the regions whose lists the program reads: GB18030
// (Chinese Windows; a superset of GBK and GB2312 that holds every Unicode
// character), Big5 (Taiwan, Hong Kong), Shift_JIS (Japan), EUC-KR (Korea),
// windows-1252 (Western Europe) and windows-1251 (Cyrillic).
enum class TextEncoding { Utf8, Utf8Bom, Gb18030, Big5, ShiftJis, EucKr, Windows1252, Windows1251 };

// What the program calls an encoding, in one table.
struct EncodingName {
    TextEncoding encoding;
    const char *name;     // Qt's converters (through ICU) and ICU's detector know it by this: "Big5"
    const char *word;     // on the command line: "big5"
    QString region;       // in Chinese, where it is written: "繁体中文"; empty for the UTF-8s
    bool singleByte;      // decodes from any bytes
};
// Every encoding, in the order the menus offer them.
std::span<const EncodingName> encodingNames();
const EncodingName &encodingEntry(TextEncoding encoding);
// The encoding by the name ICU and IANA give it ("UTF-8", "Big5"), and
// whether a byte-order mark goes first: how a list's document records it.
QString encodingName(TextEncoding encoding);
inline bool writesByteOrderMark(TextEncoding encoding) { return encoding == TextEncoding::Utf8Bom; }
// The encoding of that name (in any case) with or without a mark; none for a
// name, or a mark, the writer does not know.
std::optional<TextEncoding> textEncodingNamed(QStringView name, bool byteOrderMark);
// The code pages a list that is not UTF-8 may be in, in the order the reader
// tries them (GB18030 first: the program's users are first of all Chinese).
std::span<const TextEncoding> codePages();
// How the program names it to the user: "Big5", "UTF-8（带 BOM）".
QString encodingLabel(TextEncoding encoding);
// How a question names it: "繁体中文 Big5"; the label for the UTF-8s.
QString encodingTitle(TextEncoding encoding);
// Neither UTF-8 nor UTF-8 with a mark.
inline bool isCodePage(TextEncoding encoding)
{
    return encoding != TextEncoding::Utf8 && encoding != TextEncoding::Utf8Bom;
}

// `text` in `encoding`; Utf8Bom puts EF BB BF first. A character the encoding
// cannot hold comes out as its converter's substitute ("?" or 0x1A); lone
// surrogates, which no encoding holds, as "?" (GB18030) or U+FFFD (UTF-8).
//
// The code pages go through Qt's QStringEncoder by name, the way the reader
// decodes them. Qt 6.4 has none of them in QStringConverter::Encoding
// (encodingForName("GB18030") is empty), but the by-name constructor reaches
// ICU, which Debian's Qt (and Qt's own Windows builds) link. A Qt built without
// ICU gives an invalid encoder; then iconv does it where the system has one
// (glibc's iconv holds them all), and otherwise the text is written as UTF-8.
QByteArray encodeText(QStringView text, TextEncoding encoding);
// `bytes` read in `encoding` (a code page's mark-free text); `ok`, when
// given, says whether they were all valid in it.
QString decodeText(QByteArrayView bytes, TextEncoding encoding, bool *ok = nullptr);
// The same for many texts: the converter is opened once (opening one costs
// more than decoding a line).
class TextDecoder {
public:
    explicit TextDecoder(TextEncoding encoding);
    QString operator()(QByteArrayView bytes, bool *ok = nullptr);

private:
    std::optional<QStringDecoder> m_codePage;   // none: UTF-8
};

// Whether `encoding` holds every character of `text` (the UTF-8s hold all but
// lone surrogates).
bool encodingHolds(QStringView text, TextEncoding encoding);

// What is said of entries an encoding cannot hold: "“<first>”等 <n> 项不能用Big5写出".
QString notHeldText(const QString &first, qsizetype count, TextEncoding encoding);

// Whether GBK (code page 936, what older devices read) holds every character
// of `text`: its GB18030 form uses only one- and two-byte sequences (GBK is
// GB18030's two-byte part; the four-byte sequences are GB18030's additions).
bool gbkHolds(QStringView text);

// What a file that is always UTF-8 (".m3u8") is written in when `wanted` is
// asked: a code page becomes UTF-8, a mark is kept.
inline TextEncoding utf8Only(TextEncoding wanted)
{
    return isCodePage(wanted) ? TextEncoding::Utf8 : wanted;
}
