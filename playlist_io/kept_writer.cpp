#include "playlist_io/kept_writer.h"

#include "playlist_io/entry_facts.h"
#include "playlist_io/entry_paths.h"
#include "playlist_io/list_lines.h"
#include "playlist_io/text_out.h"
#include "playlist_io/xspf.h"

#include <QHash>
#include <QUrl>

#include <optional>
#include <vector>

using namespace listlines;

namespace {

// Lines in one encoding read alike in the other: UTF-8 with or without a
// mark, or one code page.
bool sameBytes(TextEncoding a, TextEncoding b)
{
    return isCodePage(a) || isCodePage(b) ? a == b : true;
}

// XML's white space.
bool isXmlBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool startsWithNoCase(QByteArrayView text, QByteArrayView prefix)
{
    return text.size() >= prefix.size() && qstrnicmp(text.data(), prefix.data(), prefix.size()) == 0;
}

// How an entry's lines look, for the entries added beside it.
enum class Style {
    Bare,       // M3U: the path alone
    Program,    // M3U: "#EXTINF:<path>", then the path
    Extended,   // M3U: "#EXTINF:<seconds>,<name>", then the path
    PlsFile,    // PLS: File<k> alone
    PlsTitled,  // PLS: File<k>, Title<k>, Length<k>
    Xspf,       // XSPF: location, title, creator, duration
};

class Writer {
public:
    Writer(const ListToWrite &list, const WriteLayout &layout, PlaylistType type, Qt::CaseSensitivity fileSystemCase,
           const PlaylistForm &form, const QString &folder)
        : m_list(list), m_own(layout.own), m_type(type), m_form(form), m_folder(folder),
          m_upper(!form.relative && fileSystemCase == Qt::CaseInsensitive),
          m_encoding(type == PlaylistType::Xspf ? TextEncoding::Utf8 : form.encoding),
          m_relative(folder, type == PlaylistType::Xspf ? QChar(u'/') : form.separator),
          m_uriRelative(folder, u'/')
    {
        const ListDocument &document = list.document;
        m_lineEnd = type == PlaylistType::Xspf ? QByteArray("\n") : QByteArray("\r\n");
        if (!document.form.lineEnd.isEmpty()) {
            m_lineEnd = document.form.lineEnd;
        } else if (const KeptFile *file = document.keptListFile()) {
            m_lineEnd = file->lineEnd;
        } else {
            for (const KeptLines &k : list.lines) {
                if (const KeptFile *file = kept(k)) {
                    m_lineEnd = file->lineEnd;
                    break;
                }
            }
        }
    }

    QByteArray write()
    {
        qsizetype estimate = 256;
        for (const QString &e : m_list.entries)
            estimate += 2 * e.size() + 48;
        if (m_own)
            estimate += m_own->bytes.size();
        TextOut out(estimate, m_encoding == TextEncoding::Utf8Bom ? TextEncoding::Utf8 : m_encoding);
        if (m_encoding == TextEncoding::Utf8Bom && !(m_own && m_own->bytes.startsWith(kUtf8Bom)))
            out << kUtf8Bom;
        switch (m_type) {
        case PlaylistType::M3u:
            writeM3u(out);
            break;
        case PlaylistType::Pls:
            writePls(out);
            break;
        case PlaylistType::Xspf:
            writeXspf(out);
            break;
        case PlaylistType::Other:
            break;
        }
        return out.take();
    }

    QList<qsizetype> wantingTags()
    {
        QList<qsizetype> wanted;
        for (qsizetype i = 0; i < count(); ++i) {
            const QString &entry = m_list.entries.at(i);
            if (entry.isEmpty() || isUrlEntry(entry) || ownType(i))
                continue;
            if (hasLines(i)) {
                const TrackTags own = keptFacts(kept(lines(i)), lines(i));
                if (own.title.isEmpty() || own.seconds < 0)
                    wanted.append(i);
            } else if (const Style style = newStyle(i);
                       style == Style::Extended || style == Style::PlsTitled || style == Style::Xspf) {
                wanted.append(i);
            }
        }
        return wanted;
    }

private:
    qsizetype count() const { return m_list.entries.size(); }
    const KeptLines &lines(qsizetype i) const
    {
        static const KeptLines none;
        return i < m_list.lines.size() ? m_list.lines.at(i) : none;
    }
    // The file an entry's lines were read from; null: nothing kept.
    const KeptFile *kept(const KeptLines &k) const { return m_list.document.fileOf(k); }
    bool hasLines(qsizetype i) const { return kept(lines(i)); }
    bool ownType(qsizetype i) const { return hasLines(i) && kept(lines(i))->type == m_type; }

    // ---- paths ----------------------------------------------------------------

    // The entry's path as the list's form writes it.
    QString spelled(qsizetype i) const
    {
        const QString &entry = m_list.entries.at(i);
        if (m_form.relative)
            return m_relative(entry);
        return m_upper && !isUrlEntry(entry) ? entry.toUpper() : entry;
    }
    // Appends the path, upper-cased by the rule without a copy.
    void putPath(TextOut &out, qsizetype i) const
    {
        const QString &entry = m_list.entries.at(i);
        if (m_form.relative)
            out << QStringView(m_relative(entry));
        else if (m_upper && !isUrlEntry(entry))
            out.upper(entry);
        else
            out << QStringView(entry);
    }
    // Whether the entry's path line is made anew: it was given another path,
    // or it is relative to another folder than the one written to.
    // `written` is the path line's text as the file has it.
    bool pathAnew(qsizetype i, QByteArrayView written) const
    {
        const KeptLines &k = lines(i);
        if (k.pathReplaced)
            return true;
        if (kept(k)->folder == m_folder)
            return false;
        const QString text = m_type == PlaylistType::Xspf ? QString::fromUtf8(written).trimmed()
                                                          : LineDecoder(kept(k)->encoding).decode(written);
        if (m_type == PlaylistType::Xspf)
            return isRelativeUriReference(text);
        return !text.isEmpty() && !isAbsoluteEntry(text) && !isUrlEntry(text);
    }

    // ---- what is known of a track -------------------------------------------

    // The entry's own lines, then its tags for what they do not say.
    TrackTags facts(qsizetype i) const
    {
        TrackTags known = keptFacts(kept(lines(i)), lines(i));
        if ((known.title.isEmpty() || known.seconds < 0) && m_list.tags) {
            const TrackTags tags = m_list.tags(i);
            if (known.title.isEmpty()) {
                known.title = tags.title;
                known.artist = tags.artist;
            }
            if (known.seconds < 0) {
                known.seconds = tags.seconds;
                known.ms = tags.ms;
            }
        }
        return known;
    }

    // ---- styles -----------------------------------------------------------------

    // The style of an entry that has lines.
    Style styleOf(qsizetype i)
    {
        const auto cached = m_styles.constFind(i);
        if (cached != m_styles.cend())
            return *cached;
        Style style = Style::Xspf;
        if (m_type == PlaylistType::M3u)
            style = ownType(i) ? m3uStyle(lines(i)) : Style::Extended;
        else if (m_type == PlaylistType::Pls)
            style = ownType(i) && !plsHasTitle(lines(i)) ? Style::PlsFile : Style::PlsTitled;
        m_styles.insert(i, style);
        return style;
    }
    Style m3uStyle(const KeptLines &k) const
    {
        QByteArrayView path, extinf;
        forEachLine(kept(k)->of(k), [&](const Line &line) {
            const QByteArrayView text = afterBlanks(withoutBoms(line.text));
            if (startsWithNoCase(text, "#EXTINF:"))
                extinf = text.sliced(8);
            else if (!isM3uNote(line.text))
                path = withoutBoms(line.text);
        });
        if (extinf.isNull())
            return Style::Bare;
        return extinf == path ? Style::Program : Style::Extended;
    }
    // The style an entry added in this run takes: that of the entry with
    // lines before it, else of the first one with lines, else the list's.
    Style newStyle(qsizetype i)
    {
        if (const qsizetype before = lastWithLinesBefore(i); before >= 0)
            return styleOf(before);
        if (const qsizetype first = lastWithLinesBefore(count()) < 0 ? -1 : m_firstWithLines; first >= 0)
            return styleOf(first);
        switch (m_type) {
        case PlaylistType::M3u:
            // An extended header with no entry yet: its entries have titles.
            if (const KeptFile *file = m_list.document.keptListFile(); file && file->type == PlaylistType::M3u)
                return startsWithNoCase(afterBlanks(withoutBoms(file->header())), "#EXTM3U") ? Style::Extended
                                                                                             : Style::Program;
            return m_list.document.keptListFile() ? Style::Extended : Style::Program;
        case PlaylistType::Pls:
            return m_own ? Style::PlsFile : Style::PlsTitled;
        default:
            return Style::Xspf;
        }
    }
    // The last entry with lines before position i (count(): of all), -1 when none.
    qsizetype lastWithLinesBefore(qsizetype i)
    {
        if (m_lastWithLines.empty()) {
            m_lastWithLines.resize(size_t(count()) + 1);
            qsizetype last = -1;
            for (qsizetype j = 0; j <= count(); ++j) {
                m_lastWithLines[size_t(j)] = last;
                if (j < count() && hasLines(j)) {
                    last = j;
                    if (m_firstWithLines < 0)
                        m_firstWithLines = j;
                }
            }
        }
        return m_lastWithLines[size_t(i)];
    }
    bool titledAt(qsizetype i) { return (hasLines(i) ? styleOf(i) : newStyle(i)) == Style::PlsTitled; }

    // ---- kept bytes ---------------------------------------------------------

    // Kept bytes in the encoding written, each line re-encoded when the file's differs.
    void putKept(TextOut &out, QByteArrayView bytes, TextEncoding from) const
    {
        if (sameBytes(from, m_encoding)) {
            out << bytes;
            return;
        }
        LineDecoder decoder(from);
        forEachLine(bytes, [&](const Line &line) {
            out << QStringView(decoder.decode(line.text));
            out << bytes.sliced(line.begin + line.text.size(), line.next - line.begin - line.text.size());
        });
    }
    // A line end first when the last line written has none (a file's last
    // line, now followed by more).
    void toLineStart(TextOut &out) const
    {
        const QByteArrayView made = out.made();
        if (!made.isEmpty() && made.back() != '\n' && made.back() != '\r' && !withoutBoms(made).isEmpty())
            out << m_lineEnd;
    }
    static QByteArrayView lineEndOf(QByteArrayView bytes, const Line &line)
    {
        return bytes.sliced(line.begin + line.text.size(), line.next - line.begin - line.text.size());
    }

    // ---- M3U --------------------------------------------------------------------

    void writeM3u(TextOut &out)
    {
        if (m_own) {
            putKept(out, m_own->header(), m_own->encoding);
        } else {
            for (qsizetype i = 0; i < count(); ++i) {
                if ((hasLines(i) ? styleOf(i) : newStyle(i)) == Style::Extended) {
                    out << "#EXTM3U" << m_lineEnd;
                    break;
                }
            }
        }
        for (qsizetype i = 0; i < count(); ++i) {
            toLineStart(out);
            const KeptLines &k = lines(i);
            if (ownType(i)) {
                putM3uEntry(out, i);
            } else if (kept(k)) {
                putExtinf(out, i);
            } else {
                switch (newStyle(i)) {
                case Style::Extended:
                    putExtinf(out, i);
                    break;
                case Style::Program: {
                    out << "#EXTINF:";
                    const qsizetype at = out.size();
                    putPath(out, i);
                    const qsizetype length = out.size() - at;
                    out << m_lineEnd;
                    out.again(at, length) << m_lineEnd;
                    break;
                }
                default:
                    putPath(out, i);
                    out << m_lineEnd;
                    break;
                }
            }
        }
        if (m_own && m_own->trailerBegin < m_own->bytes.size()) {
            toLineStart(out);
            putKept(out, m_own->trailer(), m_own->encoding);
        }
    }

    void putExtinf(TextOut &out, qsizetype i) const
    {
        const TrackTags known = facts(i);
        out << "#EXTINF:";
        out.number(known.seconds < 0 ? -1 : known.seconds) << ',';
        out << QStringView(trackName(m_list.entries.at(i), known)) << m_lineEnd;
        putPath(out, i);
        out << m_lineEnd;
    }

    void putM3uEntry(TextOut &out, qsizetype i) const
    {
        const KeptLines &k = lines(i);
        const QByteArrayView chunk = kept(k)->of(k);
        if (!k.pathReplaced && kept(k)->folder == m_folder) {
            putKept(out, chunk, kept(k)->encoding);
            return;
        }
        // The path line is the span's last line.
        Line pathLine;
        forEachLine(chunk, [&](const Line &line) {
            if (!isM3uNote(line.text))
                pathLine = line;
        });
        const QByteArrayView written = withoutBoms(pathLine.text);
        if (!pathAnew(i, written)) {
            putKept(out, chunk, kept(k)->encoding);
            return;
        }
        const QString path = spelled(i);
        forEachLine(chunk, [&](const Line &line) {
            if (line.begin == pathLine.begin) {
                out << QStringView(path) << lineEndOf(chunk, line);
            } else if (const QByteArrayView text = afterBlanks(withoutBoms(line.text));
                       startsWithNoCase(text, "#EXTINF:") && text.sliced(8) == written) {
                out << "#EXTINF:" << QStringView(path) << lineEndOf(chunk, line);
            } else {
                putKept(out, chunk.sliced(line.begin, line.next - line.begin), kept(k)->encoding);
            }
        });
    }

    // ---- PLS ----------------------------------------------------------------------

    // The lines of a PLS file that go with its File line `fileLine`: every key
    // of that number when it is the first File line of it, else itself alone.
    struct PlsFileLines {
        const KeptFile *file = nullptr;
        QHash<int, int> firstFileLine;   // number → index of its first File line
    };
    const PlsFileLines &plsFile(const KeptFile *file)
    {
        for (const PlsFileLines &known : m_plsFiles) {
            if (known.file == file)
                return known;
        }
        PlsFileLines found;
        found.file = file;
        const std::vector<KeptFile::PlsLine> &all = file->plsLines();
        for (int i = int(all.size()) - 1; i >= 0; --i) {   // the last insert wins
            if (all[size_t(i)].kind == KeptFile::PlsLine::File && all[size_t(i)].number >= 0)
                found.firstFileLine.insert(all[size_t(i)].number, i);
        }
        m_plsFiles.push_back(std::move(found));
        return m_plsFiles.back();
    }
    // Index of the entry's File line in its file's lines.
    int fileLineOf(const KeptLines &k) const
    {
        const std::vector<KeptFile::PlsLine> &all = kept(k)->plsLines();
        const auto at = std::lower_bound(all.cbegin(), all.cend(), k.begin,
                                         [](const KeptFile::PlsLine &l, quint32 begin) { return l.begin < begin; });
        return at == all.cend() || at->begin != k.begin ? -1 : int(at - all.cbegin());
    }
    // The lines that go with the entry, in file order.
    std::vector<int> plsLinesOf(const KeptLines &k)
    {
        const int fileLine = fileLineOf(k);
        if (fileLine < 0)
            return {};
        const KeptFile::PlsLine &line = kept(k)->plsLines()[size_t(fileLine)];
        if (line.number < 0 || plsFile(kept(k)).firstFileLine.value(line.number, -1) != fileLine)
            return {fileLine};
        std::vector<int> numbered = kept(k)->plsNumbered(line.number);
        // Other File lines of the number are entries of their own.
        std::erase_if(numbered, [&](int i) {
            return i != fileLine && kept(k)->plsLines()[size_t(i)].kind == KeptFile::PlsLine::File;
        });
        return numbered;
    }
    bool plsHasTitle(const KeptLines &k)
    {
        for (int i : plsLinesOf(k)) {
            const KeptFile::PlsLine &l = kept(k)->plsLines()[size_t(i)];
            if (kept(k)->plsKeyOf(l).compare("Title", Qt::CaseInsensitive) == 0)
                return true;
        }
        return false;
    }
    static QByteArray keyOf(const KeptFile &file, const KeptFile::PlsLine &line)
    {
        return file.plsKeyOf(line).toByteArray().toLower();
    }

    // One kept line of a PLS file: renumbered to `number` (-1: as it is), its
    // File value made anew where entry `entry`'s path is, a count given the
    // list's when `countAnew`.
    void putPlsLine(TextOut &out, const KeptFile &file, const KeptFile::PlsLine &line, int number, qsizetype entry,
                    bool countAnew = false)
    {
        toLineStart(out);
        const QByteArrayView end = file.span(line.end, line.next);
        if (line.kind == KeptFile::PlsLine::Count && countAnew) {
            putKept(out, file.span(line.begin, line.valueAt), file.encoding);
            out.number(count()) << end;
            return;
        }
        const bool renumbered = line.kind >= KeptFile::PlsLine::Numbered && number >= 0;
        const bool anew = entry >= 0 && line.kind == KeptFile::PlsLine::File
                          && pathAnew(entry, file.span(line.valueAt, line.end));
        if (!renumbered && !anew) {
            putKept(out, file.span(line.begin, line.next), file.encoding);
            return;
        }
        if (renumbered) {
            putKept(out, file.span(line.begin, line.digitsAt), file.encoding);
            out.number(number);
            putKept(out, file.span(line.digitsEnd, anew ? line.valueAt : line.next), file.encoding);
        } else {
            putKept(out, file.span(line.begin, line.valueAt), file.encoding);
        }
        if (anew) {
            putPath(out, entry);
            out << end;
        }
    }
    // The lines made for an entry without PLS lines of its own.
    void putPlsMade(TextOut &out, qsizetype i, int number, bool titled, QByteArrayView key = {})
    {
        const auto wanted = [&](QByteArrayView k) { return key.isEmpty() || key == k; };
        if (wanted("file")) {
            toLineStart(out);
            out << "File";
            out.number(number) << '=';
            putPath(out, i);
            out << m_lineEnd;
        }
        if (!titled)
            return;
        const TrackTags known = facts(i);
        if (wanted("title")) {
            toLineStart(out);
            out << "Title";
            out.number(number) << '=' << QStringView(trackName(m_list.entries.at(i), known)) << m_lineEnd;
        }
        if (wanted("length")) {
            toLineStart(out);
            out << "Length";
            out.number(number) << '=';
            out.number(known.seconds < 0 ? -1 : known.seconds) << m_lineEnd;
        }
    }
    // An entry's lines renumbered to `number`: all of them, or those of `key`.
    void putPlsEntry(TextOut &out, qsizetype i, int number, bool titledWhenMade, QByteArrayView key = {})
    {
        const KeptLines &k = lines(i);
        if (!ownType(i)) {
            putPlsMade(out, i, number, kept(k) || titledWhenMade, key);
            return;
        }
        for (int l : plsLinesOf(k)) {
            const KeptFile::PlsLine &line = kept(k)->plsLines()[size_t(l)];
            if (key.isEmpty() || keyOf(*kept(k), line) == key)
                putPlsLine(out, *kept(k), line, number, i);
        }
    }

    // Whether the list is as its PLS file was read: its numbers stay.
    bool asRead() const
    {
        if (count() != m_list.document.listFileEntries)
            return false;
        quint32 after = 0;
        for (qsizetype i = 0; i < count(); ++i) {
            const KeptLines &k = lines(i);
            if (kept(k) != m_own || k.pathReplaced || (i > 0 && k.begin <= after))
                return false;
            after = k.begin;
        }
        return true;
    }

    void writePls(TextOut &out)
    {
        if (!m_own) {
            // Winamp's layout.
            out << "[playlist]" << m_lineEnd;
            for (qsizetype i = 0; i < count(); ++i)
                putPlsEntry(out, i, int(i + 1), true);
            toLineStart(out);
            out << "NumberOfEntries=";
            out.number(count()) << m_lineEnd << "Version=2" << m_lineEnd;
            return;
        }
        const KeptFile &file = *m_own;
        const bool read = asRead();
        if (read && count() == file.entryCount && file.folder == m_folder) {
            putKept(out, file.bytes, file.encoding);   // every line as it was
            return;
        }
        const std::vector<KeptFile::PlsLine> &all = file.plsLines();
        const PlsFileLines &own = plsFile(m_own);
        // Each line's owner: the File line of its number (-1: none, it stays where it stands).
        std::vector<int> owner(all.size(), -1);
        for (int l = 0; l < int(all.size()); ++l) {
            const KeptFile::PlsLine &line = all[size_t(l)];
            if (line.kind == KeptFile::PlsLine::File)
                owner[size_t(l)] = l;   // every File line is an entry
            else if (line.kind == KeptFile::PlsLine::Numbered)
                owner[size_t(l)] = own.firstFileLine.value(line.number, -1);
        }
        // The entries of this file in the list, by their File line.
        QHash<int, qsizetype> entryOf;
        for (qsizetype i = 0; i < count(); ++i) {
            if (kept(lines(i)) == m_own)
                entryOf.insert(fileLineOf(lines(i)), i);
        }

        if (read) {
            for (int l = 0; l < int(all.size()); ++l) {
                const int o = owner[size_t(l)];
                if (o < 0) {
                    putPlsLine(out, file, all[size_t(l)], -1, -1);
                } else if (const auto e = entryOf.constFind(o); e != entryOf.cend()) {
                    putPlsLine(out, file, all[size_t(l)], -1, all[size_t(l)].kind == KeptFile::PlsLine::File ? *e : -1);
                }
                // else: the line of a repeat left out when read
            }
            return;
        }

        // The region of the entries' keys, and how the file laid them out.
        int first = -1, last = -1;
        bool interleaved = true;
        QList<QByteArray> keys;   // the keys in the order the file first has them
        {
            QHash<int, bool> seen;
            int current = -2;
            for (int l = 0; l < int(all.size()); ++l) {
                const int o = owner[size_t(l)];
                if (o < 0)
                    continue;
                if (first < 0)
                    first = l;
                last = l;
                if (o != current) {
                    if (seen.contains(o))
                        interleaved = false;
                    seen.insert(o, true);
                    current = o;
                }
                const QByteArray key = keyOf(file, all[size_t(l)]);
                if (!keys.contains(key))
                    keys.append(key);
            }
        }
        const auto putOther = [&](int l) { putPlsLine(out, file, all[size_t(l)], -1, -1, true); };
        const auto putOthers = [&](int from, int to) {
            for (int l = from; l < to; ++l) {
                if (owner[size_t(l)] < 0)
                    putOther(l);
            }
        };
        const auto putEntries = [&](QByteArrayView key) {
            for (qsizetype i = 0; i < count(); ++i)
                putPlsEntry(out, i, int(i + 1), titledAt(i), key);
        };
        if (first < 0) {
            // No entry yet: they go after the section's header.
            int at = 0;
            while (at < int(all.size()) && !afterBlanks(file.span(all[size_t(at)].begin, all[size_t(at)].end)).startsWith('['))
                ++at;
            at = at < int(all.size()) ? at + 1 : 0;
            putOthers(0, at);
            putEntries({});
            putOthers(at, int(all.size()));
            return;
        }
        putOthers(0, first);
        if (interleaved) {
            // Other lines among the entries stay before the entry they stood before.
            int ordinal = 0, current = -1;
            qsizetype next = 0;
            for (int l = first; l <= last; ++l) {
                const int o = owner[size_t(l)];
                if (o < 0) {
                    for (; next < qMin<qsizetype>(ordinal, count()); ++next)
                        putPlsEntry(out, next, int(next + 1), titledAt(next));
                    putOther(l);
                } else if (o != current) {
                    current = o;
                    ++ordinal;
                }
            }
            for (; next < count(); ++next)
                putPlsEntry(out, next, int(next + 1), titledAt(next));
        } else {
            // Each key's lines together; other lines among them stay at the end of their key's run.
            int l = first;
            for (const QByteArray &key : std::as_const(keys)) {
                putEntries(key);
                for (; l <= last; ++l) {
                    const int o = owner[size_t(l)];
                    if (o >= 0 && keyOf(file, all[size_t(l)]) != key)
                        break;
                    if (o < 0)
                        putOther(l);
                }
            }
            // Keys the file has none of, for entries made with them.
            for (QByteArrayView key : {QByteArrayView("title"), QByteArrayView("length")}) {
                if (!keys.contains(key))
                    putEntries(key);
            }
            putOthers(l, last + 1);
        }
        putOthers(last + 1, int(all.size()));
    }

    // ---- XSPF --------------------------------------------------------------------

    // The location an entry gets where `base` (an xml:base, resolved; empty:
    // the file's folder) is in effect: relative to it when `relative`.
    QString locationAt(qsizetype i, const QString &base, bool relative) const
    {
        const QString &entry = m_list.entries.at(i);
        if (base.isEmpty())
            return xspfLocation(entry, relative ? &m_uriRelative : nullptr);
        const QUrl url(base);
        if (!relative || !url.isLocalFile())
            return xspfLocation(entry, nullptr);
        const RelativeEntries fromBase(url.adjusted(QUrl::RemoveFilename).toLocalFile(), u'/');
        return xspfLocation(entry, &fromBase);
    }

    // The blanks a made track is written with: before its start tag, before
    // each element inside it and before its end tag.
    struct XspfLayout {
        QByteArray lead, childLead, closeLead;
    };
    XspfLayout madeLayout() const
    {
        return {m_lineEnd + "    ", m_lineEnd + "      ", m_lineEnd + "    "};
    }

    void putXspfMade(TextOut &out, qsizetype i, const QString &trackTag, const QString &locationTag,
                     const XspfLayout &layout)
    {
        const QString prefix = trackTag.left(trackTag.indexOf(u':') + 1);
        const QString base = m_own ? m_own->listBase : QString();
        const TrackTags known = facts(i);
        out << layout.lead << '<' << QStringView(trackTag) << '>';
        out << layout.childLead << '<' << QStringView(locationTag) << '>'
            << QStringView(xmlText(locationAt(i, base, m_form.relative))) << "</" << QStringView(locationTag) << '>';
        const auto element = [&](QStringView name, const QString &text) {
            out << layout.childLead << '<' << QStringView(prefix) << name << '>' << QStringView(xmlText(text)) << "</"
                << QStringView(prefix) << name << '>';
        };
        if (!known.title.isEmpty())
            element(u"title", withoutControls(known.title));
        if (!known.artist.isEmpty())
            element(u"creator", withoutControls(known.artist));
        if (known.ms >= 0)
            element(u"duration", QString::number(known.ms));
        out << layout.closeLead << "</" << QStringView(trackTag) << '>';
    }

    void putXspfEntry(TextOut &out, qsizetype i)
    {
        const KeptLines &k = lines(i);
        const QByteArrayView chunk = kept(k)->of(k);
        const KeptFile::Track *track = kept(k)->trackOf(k);
        if (!track) {
            out << chunk;
            return;
        }
        const QByteArrayView written = kept(k)->span(track->locationBegin, track->locationEnd);
        if (!pathAnew(i, written)) {
            out << chunk;
            return;
        }
        const QString old = QString::fromUtf8(written).trimmed();
        out << kept(k)->span(k.begin, track->locationBegin);
        out << QStringView(xmlText(locationAt(i, track->base, isRelativeUriReference(old))));
        out << kept(k)->span(track->locationEnd, k.end);
    }

    // The layout of the last track of an entry's span (the blanks around and
    // inside it, a file written on one line having none), and its track's names.
    void xspfLook(qsizetype i, XspfLayout &layout, QString &trackTag, QString &locationTag) const
    {
        const KeptLines &k = lines(i);
        trackTag = kept(k)->trackTag;
        locationTag = kept(k)->locationTag;
        const QByteArrayView chunk = kept(k)->of(k);
        const qsizetype start = chunk.lastIndexOf('<' + trackTag.toUtf8());
        const qsizetype opened = start < 0 ? -1 : chunk.indexOf('>', start);
        const qsizetype closing = chunk.lastIndexOf("</" + trackTag.toUtf8());
        if (opened < 0 || chunk[opened - 1] == '/' || closing < opened) {
            layout = madeLayout();
            return;
        }
        const auto blanksBefore = [&](qsizetype at) {
            qsizetype from = at;
            while (from > 0 && isXmlBlank(chunk[from - 1]))
                --from;
            return chunk.sliced(from, at - from);
        };
        qsizetype child = opened + 1;
        while (child < closing && isXmlBlank(chunk[child]))
            ++child;
        layout.lead = withLineEnd(blanksBefore(start));
        layout.childLead = withLineEnd(chunk.sliced(opened + 1, child - opened - 1));
        layout.closeLead = withLineEnd(blanksBefore(closing));
    }
    // Blanks with their line breaks in the line end written.
    QByteArray withLineEnd(QByteArrayView blanks) const
    {
        QByteArray made;
        for (qsizetype c = 0; c < blanks.size(); ++c) {
            if (blanks[c] == '\r' && c + 1 < blanks.size() && blanks[c + 1] == '\n')
                ++c;
            if (blanks[c] == '\r' || blanks[c] == '\n')
                made += m_lineEnd;
            else
                made += blanks[c];
        }
        return made;
    }

    void writeXspf(TextOut &out)
    {
        QByteArrayView trailer = "\n  </trackList>\n</playlist>\n";
        QByteArray madeTrailer;
        if (m_own) {
            QByteArrayView header = m_own->header();
            trailer = m_own->trailer();
            if (header.endsWith("/>") && count() > 0) {
                // <trackList/>: opened and closed around the tracks.
                out << header.chopped(2) << '>';
                QByteArrayView name = header.sliced(header.lastIndexOf('<') + 1).chopped(2);
                for (qsizetype c = 0; c < name.size(); ++c) {
                    if (isXmlBlank(name[c])) {
                        name.truncate(c);
                        break;
                    }
                }
                madeTrailer = "</" + name.toByteArray() + '>';
                madeTrailer.prepend(m_lineEnd);
                madeTrailer += trailer;
                trailer = madeTrailer;
            } else {
                out << header;
            }
        } else {
            madeTrailer = m_lineEnd + "  </trackList>" + m_lineEnd + "</playlist>" + m_lineEnd;
            trailer = madeTrailer;
            out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" << m_lineEnd
                << "<playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\">" << m_lineEnd << "  <trackList>";
        }
        XspfLayout layout = madeLayout();
        QString trackTag = m_own ? m_own->trackTag : QStringLiteral("track");
        QString locationTag = m_own ? m_own->locationTag : QStringLiteral("location");
        qsizetype looked = -1;
        for (qsizetype i = 0; i < count(); ++i) {
            if (ownType(i)) {
                putXspfEntry(out, i);
                looked = -1;
                continue;
            }
            // New tracks look like the kept one before them.
            const qsizetype neighbour = lastWithLinesBefore(i);
            if (neighbour >= 0 && ownType(neighbour) && neighbour != looked) {
                xspfLook(neighbour, layout, trackTag, locationTag);
                looked = neighbour;
            }
            putXspfMade(out, i, trackTag, locationTag, layout);
        }
        out << trailer;
    }

    const ListToWrite &m_list;
    const KeptFile *m_own;   // the list file, when of the type written
    PlaylistType m_type;
    PlaylistForm m_form;
    QString m_folder;
    bool m_upper;
    TextEncoding m_encoding;
    const RelativeEntries m_relative;
    const RelativeEntries m_uriRelative;
    QByteArray m_lineEnd;
    QHash<qsizetype, Style> m_styles;
    std::vector<qsizetype> m_lastWithLines;
    qsizetype m_firstWithLines = -1;
    std::vector<PlsFileLines> m_plsFiles;
};

} // namespace

QByteArray formatKept(const ListToWrite &list, const WriteLayout &layout, PlaylistType type,
                      Qt::CaseSensitivity fileSystemCase, const PlaylistForm &form, const QString &folder)
{
    return Writer(list, layout, type, fileSystemCase, form, folder).write();
}

QList<qsizetype> keptEntriesWantingTags(const ListToWrite &list, const WriteLayout &layout, PlaylistType type)
{
    return Writer(list, layout, type, Qt::CaseSensitive, PlaylistForm{}, QString()).wantingTags();
}
