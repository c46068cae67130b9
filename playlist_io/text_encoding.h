#pragma once
#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>

// The encodings a playlist file is written in: UTF-8 (the program's own),
// UTF-8 after a byte-order mark (what many Windows programs write), and
// GB18030 (lists saved on Chinese Windows; a superset of GBK and GB2312 that
// holds every Unicode character).
enum class TextEncoding { Utf8, Utf8Bom, Gb18030 };

// The encoding by the name ICU and IANA give it ("UTF-8", "GB18030"), and
// whether a byte-order mark goes first: how a list's document records it.
QString encodingName(TextEncoding encoding);
inline bool writesByteOrderMark(TextEncoding encoding) { return encoding == TextEncoding::Utf8Bom; }
// The encoding of that name (in any case) with or without a mark; none for a
// name, or a mark, the writer does not know.
std::optional<TextEncoding> textEncodingNamed(QStringView name, bool byteOrderMark);

// `text` in `encoding`; Utf8Bom puts EF BB BF first. Lone surrogates, which no
// encoding holds, come out as "?" (GB18030) or U+FFFD (UTF-8).
//
// GB18030 goes through Qt's QStringEncoder by name, the way the reader decodes
// it. Qt 6.4 has no GB18030 in QStringConverter::Encoding
// (encodingForName("GB18030") is empty), but the by-name constructor reaches
// ICU, which Debian's Qt (and Qt's own Windows builds) link. A Qt built without
// ICU gives an invalid encoder; then iconv does it where the system has one
// (glibc's iconv holds GB18030), and otherwise the text is written as UTF-8.
QByteArray encodeText(QStringView text, TextEncoding encoding);

// Whether GBK (code page 936, what older devices read) holds every character
// of `text`: its GB18030 form uses only one- and two-byte sequences (GBK is
// GB18030's two-byte part; the four-byte sequences are GB18030's additions).
bool gbkHolds(QStringView text);

// What a file that is always UTF-8 (".m3u8") is written in when `wanted` is
// asked: GB18030 becomes UTF-8, a mark is kept.
inline TextEncoding utf8Only(TextEncoding wanted)
{
    return wanted == TextEncoding::Gb18030 ? TextEncoding::Utf8 : wanted;
}
