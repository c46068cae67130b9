#include "playlist_io/entry_facts.h"

#include "playlist_io/kept_file.h"
#include "playlist_io/list_lines.h"

#include <QXmlStreamReader>

#include <algorithm>

using namespace listlines;

QString withoutControls(const QString &text)
{
    QString out = text;
    for (QChar &c : out)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = QLatin1Char(' ');
    return out.trimmed();
}

namespace {

bool startsWithNoCase(QByteArrayView text, QByteArrayView prefix)
{
    return text.size() >= prefix.size() && qstrnicmp(text.data(), prefix.data(), prefix.size()) == 0;
}

// "<seconds>[ attributes],<title>": the seconds (a fraction dropped; -1 when
// negative or missing) and the title.
void readExtinf(QByteArrayView rest, TrackTags &facts, TextEncoding encoding)
{
    QByteArrayView text = afterBlanks(rest);
    qsizetype i = 0;
    const bool negative = i < text.size() && text[i] == '-';
    if (negative)
        ++i;
    qint64 seconds = -1;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        seconds = (seconds < 0 ? 0 : seconds) * 10 + (text[i++] - '0');
        if (seconds > 1000000000)
            seconds = 1000000000;
    }
    if (seconds >= 0 && !negative) {
        facts.seconds = int(seconds);
        facts.ms = seconds * 1000;
    }
    bool quoted = false;
    for (; i < text.size(); ++i) {
        if (text[i] == '"')
            quoted = !quoted;
        else if (text[i] == ',' && !quoted)
            break;
    }
    if (i < text.size())
        facts.title = LineDecoder(encoding).decode(text.sliced(i + 1)).trimmed();
}

TrackTags m3uFacts(const KeptFile &file, const KeptLines &lines)
{
    TrackTags facts;
    QByteArrayView path, extinf;
    forEachLine(file.of(lines), [&](const Line &line) {
        const QByteArrayView text = afterBlanks(withoutBoms(line.text));
        if (startsWithNoCase(text, "#EXTINF:"))
            extinf = text.sliced(8);
        else if (!isM3uNote(line.text))
            path = withoutBoms(line.text);
    });
    if (!extinf.isNull() && extinf != path)
        readExtinf(extinf, facts, file.encoding);
    return facts;
}

TrackTags plsFacts(const KeptFile &file, const KeptLines &lines)
{
    TrackTags facts;
    const std::vector<KeptFile::PlsLine> &all = file.plsLines();
    const auto at = std::lower_bound(all.cbegin(), all.cend(), lines.begin,
                                     [](const KeptFile::PlsLine &l, quint32 begin) { return l.begin < begin; });
    if (at == all.cend() || at->begin != lines.begin || at->number < 0)
        return facts;
    for (int i : file.plsNumbered(at->number)) {
        const KeptFile::PlsLine &l = all[size_t(i)];
        const QByteArrayView key = file.plsKeyOf(l);
        const QByteArrayView value = file.span(l.valueAt, l.end);
        if (key.compare("Title", Qt::CaseInsensitive) == 0 && facts.title.isEmpty()) {
            facts.title = LineDecoder(file.encoding).decode(value).trimmed();
        } else if (key.compare("Length", Qt::CaseInsensitive) == 0 && facts.seconds < 0) {
            bool ok = false;
            const int seconds = value.trimmed().toInt(&ok);
            if (ok && seconds >= 0) {
                facts.seconds = seconds;
                facts.ms = qint64(seconds) * 1000;
            }
        }
    }
    return facts;
}

QStringView localName(QStringView qualified)
{
    return qualified.sliced(qualified.indexOf(u':') + 1);
}

TrackTags xspfFacts(const KeptFile &file, const KeptLines &lines)
{
    TrackTags facts;
    const QByteArrayView chunk = file.of(lines);
    const QByteArray open = '<' + file.trackTag.toUtf8();
    qsizetype start = chunk.size();
    do {   // the last start tag of the track's name in the span: "<track>" or "<track ...>"
        start = chunk.lastIndexOf(open, start - 1);
    } while (start > 0 && start + open.size() < chunk.size() && chunk[start + open.size()] != '>'
             && chunk[start + open.size()] != ' ' && chunk[start + open.size()] != '\t'
             && chunk[start + open.size()] != '\r' && chunk[start + open.size()] != '\n');
    if (start < 0)
        return facts;
    QXmlStreamReader xml(chunk.sliced(start).toByteArray());
    xml.setNamespaceProcessing(false);   // a prefix is declared outside the track
    int depth = 0;
    while (!xml.atEnd() && !xml.hasError()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement) {
            --depth;
            continue;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        if (++depth != 2)
            continue;
        const QStringView name = localName(xml.qualifiedName());
        if (name != u"title" && name != u"creator" && name != u"duration")
            continue;
        const QString text = xml.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
        --depth;
        if (name == u"title") {
            facts.title = text;
        } else if (name == u"creator") {
            facts.artist = text;
        } else {
            bool ok = false;
            const qint64 ms = text.toLongLong(&ok);
            if (ok && ms >= 0) {
                facts.ms = ms;
                facts.seconds = int(qMin<qint64>(ms / 1000, 1000000000));
            }
        }
    }
    return facts;
}

} // namespace

TrackTags keptFacts(const KeptFile *kept, const KeptLines &lines)
{
    if (!kept || lines.isEmpty())
        return {};
    const KeptFile &file = *kept;
    switch (file.type) {
    case PlaylistType::M3u:
        return m3uFacts(file, lines);
    case PlaylistType::Pls:
        return plsFacts(file, lines);
    case PlaylistType::Xspf:
        return xspfFacts(file, lines);
    case PlaylistType::Other:
        break;
    }
    return {};
}

QStringView entryFileName(const QString &entry)
{
    qsizetype slash = entry.lastIndexOf(QLatin1Char('/'));
#ifdef Q_OS_WIN
    slash = qMax(slash, entry.lastIndexOf(QLatin1Char('\\')));
#endif
    return QStringView(entry).mid(slash + 1);
}

QStringView bareName(const QString &entry)
{
    const QStringView name = entryFileName(entry);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? name.left(dot) : name;
}

QString trackName(const QString &entry, const TrackTags &tags)
{
    if (!tags.artist.isEmpty() && !tags.title.isEmpty())
        return withoutControls(tags.artist + QStringLiteral(" - ") + tags.title);
    if (!tags.title.isEmpty())
        return withoutControls(tags.title);
    return bareName(entry).toString();
}
