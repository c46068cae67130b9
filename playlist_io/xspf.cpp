#include "playlist_io/xspf.h"

#include "playlist_io/entry_paths.h"
#include "playlist_io/kept_file.h"
#include "playlist_io/text_out.h"

#include <QDir>
#include <QUrl>
#include <QXmlStreamReader>

namespace {

// XML 1.0's Char: tab, LF, CR, U+0020-U+D7FF, U+E000-U+FFFD, U+10000-U+10FFFF.
bool plain(QStringView text)
{
    for (QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c < 0x20 || c == u'&' || c == u'<' || c == u'>' || c >= 0xD800)
            return false;
    }
    return true;
}

void appendEscaped(TextOut &out, QStringView text)
{
    if (plain(text))   // locations always are: percent-encoded ASCII
        out << text;
    else
        out << QStringView(xmlText(text));
}

} // namespace

QString xmlText(QStringView text)
{
    if (plain(text))
        return text.toString();
    QString out;
    out.reserve(text.size() + 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode())) {
            out += text.sliced(i, 2);
            ++i;
        } else if (c == u'&') {
            out += u"&amp;";
        } else if (c == u'<') {
            out += u"&lt;";
        } else if (c == u'>') {
            out += u"&gt;";
        } else if (!((c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r') || QChar::isSurrogate(c) || c == 0xFFFE
                     || c == 0xFFFF)) {
            out += QChar(c);
        }
    }
    return out;
}

namespace {

void element(TextOut &out, QStringView name, QStringView text, QStringView lineEnd)
{
    out << u"      <" << name << u'>';
    appendEscaped(out, text);
    out << u"</" << name << u'>' << lineEnd;
}
} // namespace

namespace {
// `text` in UTF-8 with every byte but the unreserved ones (letters, digits,
// "-._~") and those in `keep` as %XX. By hand rather than through QUrl:
// 100,000 locations took 120 ms in QUrl's parser, 15 ms here.
struct KeptBytes {
    bool kept[256] = {};
    explicit KeptBytes(const char *keep)
    {
        for (int b = 0; b < 256; ++b)
            kept[b] = (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9');
        for (const char *k = keep; *k; ++k)
            kept[static_cast<unsigned char>(*k)] = true;
    }
};
const KeptBytes kInRelativeReference("-._~/");
// A POSIX path as QUrl::fromLocalFile gives it: "[]" and the sub-delimiters kept.
const KeptBytes kInFilePath("-._~!$&'()*+,;=:@/[]");

QString percentEncoded(QStringView text, const KeptBytes &keep, QLatin1StringView prefix = {})
{
    static constexpr char hex[] = "0123456789ABCDEF";
    const QByteArray utf8 = text.toUtf8();
    QString out(prefix.size() + 3 * utf8.size(), Qt::Uninitialized);
    QChar *to = out.data();
    for (const char ch : prefix)
        *to++ = QLatin1Char(ch);
    for (const char ch : utf8) {
        const auto b = static_cast<unsigned char>(ch);
        if (keep.kept[b]) {
            *to++ = QLatin1Char(ch);
        } else {
            *to++ = u'%';
            *to++ = QLatin1Char(hex[b >> 4]);
            *to++ = QLatin1Char(hex[b & 15]);
        }
    }
    out.truncate(to - out.constData());
    return out;
}
} // namespace

QByteArray formatXspf(const QList<XspfTrack> &tracks, QStringView lineEnd)
{
    qsizetype estimate = 256;
    for (const XspfTrack &track : tracks)
        estimate += 100 + track.location.size() + 3 * (track.title.size() + track.creator.size());
    TextOut out(estimate, TextEncoding::Utf8);
    out << u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>" << lineEnd;
    out << u"<playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\">" << lineEnd;
    out << u"  <trackList>" << lineEnd;
    for (const XspfTrack &track : tracks) {
        out << u"    <track>" << lineEnd;
        if (!track.location.isEmpty())
            element(out, u"location", track.location, lineEnd);
        if (!track.title.isEmpty())
            element(out, u"title", track.title, lineEnd);
        if (!track.creator.isEmpty())
            element(out, u"creator", track.creator, lineEnd);
        if (track.durationMs >= 0)
            element(out, u"duration", QString::number(track.durationMs), lineEnd);
        out << u"    </track>" << lineEnd;
    }
    out << u"  </trackList>" << lineEnd;
    out << u"</playlist>" << lineEnd;
    return out.take();
}

QString xspfLocation(const QString &entry, bool relative, const QString &folder)
{
    if (!relative)
        return xspfLocation(entry, nullptr);
    const RelativeEntries relativeTo(folder, u'/');
    return xspfLocation(entry, &relativeTo);
}

QString xspfLocation(const QString &entry, const RelativeEntries *relativeTo)
{
    if (entry.isEmpty() || isUrlEntry(entry))
        return entry;
    if (relativeTo) {
        const QString r = (*relativeTo)(entry);
        if (!isAbsoluteEntry(r))
            return percentEncoded(r, kInRelativeReference);
    }
    if (entry.startsWith(u'/') && !entry.startsWith(u"//"))
        return percentEncoded(entry, kInFilePath, QLatin1StringView("file://"));
    QString path = entry;
    // A drive or share path reads as one wherever this runs.
    if (isAbsoluteEntry(path) && !path.startsWith(u'/'))
        path.replace(u'\\', u'/');
    return QString::fromLatin1(QUrl::fromLocalFile(path).toEncoded());
}

bool isRelativeUriReference(QStringView location)
{
    if (location.isEmpty() || location.startsWith(u'/') || location.startsWith(u'\\'))
        return false;
    // A scheme: a letter, then letters, digits, "+", "-", "." up to ":".
    for (qsizetype i = 0; i < location.size(); ++i) {
        const char16_t c = location[i].unicode();
        if (c == u':')
            return i == 0;
        const bool letter = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
        const bool other = (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.';
        if (!(letter || (i > 0 && other)))
            return true;
    }
    return true;
}

QString xspfEntry(const QString &location, const QString &folder)
{
    if (isFileUri(location))
        return fileUriPath(location);
    if (isRelativeUriReference(location)) {
        const QString path = QUrl::fromPercentEncoding(location.toUtf8());
        // "./": a name like "a:b.mp3" is still relative here.
        return folder.isEmpty() ? path : resolveEntry(QStringLiteral("./") + path, folder);
    }
    if (location.startsWith(u'/'))
        return QDir::toNativeSeparators(QUrl::fromPercentEncoding(location.toUtf8()));
    return location;
}

namespace {

// Character offsets of the XML reader (UTF-16 units, a byte-order mark not
// counted) as byte offsets of UTF-8 text; asked in increasing order, so the
// whole file is walked once.
class ByteOffsets {
public:
    explicit ByteOffsets(QByteArrayView bytes) : m_bytes(bytes)
    {
        if (bytes.startsWith("\xEF\xBB\xBF"))
            m_byte = 3;
    }
    qsizetype at(qint64 characters)
    {
        while (m_characters < characters && m_byte < m_bytes.size()) {
            const auto lead = quint8(m_bytes[m_byte]);
            const int length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
            m_characters += length == 4 ? 2 : 1;
            m_byte += length;
        }
        return qMin(m_byte, m_bytes.size());
    }

private:
    QByteArrayView m_bytes;
    qsizetype m_byte = 0;
    qint64 m_characters = 0;
};

struct XspfScan {
    QStringList locations;   // as written, blanks around dropped
    QStringList bases;       // beside them: the xml:base in effect, resolved; empty: none
    QList<KeptFile::Track> tracks;
    QList<quint32> starts;   // where each entry's span starts
    qsizetype headerEnd = -1, trailerBegin = -1;
    QString trackTag, locationTag, listBase;
    bool whole = false;      // read to its end without an error, and the offsets are bytes
};

XspfScan scanXspf(const QByteArray &bytes, const QString &folder)
{
    XspfScan scan;
    QXmlStreamReader xml(bytes);
    ByteOffsets offsets(bytes);
    static const QString kXmlNamespace = QStringLiteral("http://www.w3.org/XML/1998/namespace");
    QList<QUrl> bases{folder.isEmpty() ? QUrl() : QUrl::fromLocalFile(folder + u'/')};
    bool anyBase = false;
    int depth = 0, listDepth = -1, trackDepth = -1;
    bool located = false, utf8 = !bytes.startsWith("\xFF\xFE") && !bytes.startsWith("\xFE\xFF");
    KeptFile::Track pending;
    QString pendingLocation, pendingBase;
    qsizetype chunkStart = -1;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::StartDocument) {
            const QStringView declared = xml.documentEncoding();
            utf8 = utf8 && (declared.isEmpty() || declared.compare(u"UTF-8", Qt::CaseInsensitive) == 0);
        } else if (token == QXmlStreamReader::StartElement) {
            ++depth;
            QUrl base = bases.last();
            const QStringView given = xml.attributes().value(kXmlNamespace, QStringLiteral("base"));
            if (!given.isNull()) {
                base = base.resolved(QUrl(given.toString()));
                anyBase = true;
            }
            bases.append(base);
            const QStringView name = xml.name();
            if (name == u"trackList" && listDepth == -1 && trackDepth < 0) {
                listDepth = depth;
                chunkStart = scan.headerEnd = offsets.at(xml.characterOffset());
                if (anyBase)
                    scan.listBase = base.toString(QUrl::FullyEncoded);
            } else if (name == u"track" && listDepth >= 0 && depth == listDepth + 1) {
                trackDepth = depth;
                located = false;
                scan.trackTag = xml.qualifiedName().toString();
            } else if (name == u"location" && trackDepth >= 0 && depth == trackDepth + 1 && !located) {
                const QString tag = xml.qualifiedName().toString();
                const qsizetype textBegin = offsets.at(xml.characterOffset());
                const QString text = xml.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
                --depth;   // readElementText consumed the end element
                bases.removeLast();
                if (xml.hasError())
                    break;
                if (!text.isEmpty()) {
                    located = true;
                    const qsizetype after = offsets.at(xml.characterOffset());
                    pending.locationBegin = quint32(textBegin);
                    pending.locationEnd = quint32(qMax(textBegin, bytes.lastIndexOf("</", after)));
                    pendingLocation = text;
                    pendingBase = anyBase ? base.toString(QUrl::FullyEncoded) : QString();
                    scan.locationTag = tag;
                }
            }
        } else if (token == QXmlStreamReader::EndElement) {
            if (depth == trackDepth) {
                trackDepth = -1;
                if (located) {
                    pending.end = quint32(offsets.at(xml.characterOffset()));
                    pending.base = pendingBase;
                    scan.locations.append(pendingLocation);
                    scan.bases.append(pendingBase);
                    scan.tracks.append(pending);
                    scan.starts.append(quint32(chunkStart));
                    chunkStart = pending.end;
                    utf8 = utf8 && pending.end > 0 && bytes.at(pending.end - 1) == '>';
                }
            } else if (depth == listDepth) {
                listDepth = -2;   // the first trackList only
            }
            --depth;
            bases.removeLast();
        }
    }
    if (trackDepth >= 0 && located) {   // cut off inside a track: its entry still counts
        scan.locations.append(pendingLocation);
        scan.bases.append(pendingBase);
    }
    scan.whole = !xml.hasError() && utf8 && scan.headerEnd >= 0;
    scan.trailerBegin = chunkStart;
    if (scan.trackTag.isEmpty())
        scan.trackTag = QStringLiteral("track");
    if (scan.locationTag.isEmpty())
        scan.locationTag = QStringLiteral("location");
    return scan;
}

} // namespace

QString xspfEntry(const QString &location, const QString &base, const QString &folder)
{
    if (base.isEmpty() || !isRelativeUriReference(location))
        return xspfEntry(location, folder);
    const QUrl resolved = QUrl(base).resolved(QUrl(location, QUrl::TolerantMode));
    if (resolved.isLocalFile())
        return QDir::toNativeSeparators(resolved.toLocalFile());
    return QString::fromUtf8(resolved.toEncoded());
}

bool readXspfKept(KeptFile &file, KeptRead &read)
{
    XspfScan scan = scanXspf(file.bytes, file.folder);
    read.entries = std::move(scan.locations);
    read.bases = std::move(scan.bases);
    if (!scan.whole)
        return false;
    read.lines.reserve(scan.tracks.size());
    for (qsizetype i = 0; i < scan.tracks.size(); ++i)
        read.lines.append(KeptLines{0, scan.starts.at(i), scan.tracks.at(i).end});
    file.tracks = std::move(scan.tracks);
    file.headerEnd = scan.headerEnd;
    file.trailerBegin = scan.trailerBegin;
    file.trackTag = scan.trackTag;
    file.locationTag = scan.locationTag;
    file.listBase = scan.listBase;
    file.encoding = TextEncoding::Utf8;
    return true;
}

QStringList xspfLocations(QByteArrayView bytes)
{
    return scanXspf(bytes.toByteArray(), QString()).locations;
}

QStringList parseXspf(QByteArrayView bytes, const QString &folder)
{
    XspfScan scan = scanXspf(bytes.toByteArray(), folder);
    for (qsizetype i = 0; i < scan.locations.size(); ++i)
        scan.locations[i] = xspfEntry(scan.locations.at(i), scan.bases.value(i), folder);
    return scan.locations;
}
