#include "playlist_io/kept_file.h"

#include "playlist_io/encoding_choice.h"
#include "playlist_io/list_lines.h"
#include "playlist_io/playlist_reader.h"
#include "playlist_io/pls_lines.h"
#include "playlist_io/xspf.h"

#include <algorithm>

using namespace listlines;

// An entry's lines end within 31 bits.
static_assert(kPlaylistMaxBytes < (qint64(1) << 31));

const KeptFile::Track *KeptFile::trackOf(const KeptLines &lines) const
{
    const auto at = std::lower_bound(tracks.cbegin(), tracks.cend(), lines.end,
                                     [](const Track &t, quint32 end) { return t.end < end; });
    return at != tracks.cend() && at->end == lines.end ? &*at : nullptr;
}

const std::vector<KeptFile::PlsLine> &KeptFile::plsLines() const
{
    std::call_once(m_plsOnce, [this] { findPlsLines(); });
    return m_plsLines;
}

std::vector<int> KeptFile::plsNumbered(int number) const
{
    plsLines();
    const auto numberOf = [this](int i) { return m_plsLines[size_t(i)].number; };
    auto at = std::lower_bound(m_plsByNumber.cbegin(), m_plsByNumber.cend(), number,
                               [&](int i, int n) { return numberOf(i) < n; });
    std::vector<int> found;
    for (; at != m_plsByNumber.cend() && numberOf(*at) == number; ++at)
        found.push_back(*at);
    return found;
}

void KeptFile::findPlsLines() const
{
    forEachLine(bytes, [this](const Line &line) {
        const QByteArrayView text = withoutBoms(line.text);
        const qsizetype at = text.data() - bytes.constData();
        const PlsKey key = plsKey(text);
        PlsLine l;
        l.begin = quint32(line.begin);
        l.end = quint32(line.begin + line.text.size());
        l.next = quint32(line.next);
        l.kind = key.isFile ? PlsLine::File : key.numbered ? PlsLine::Numbered : key.isCount ? PlsLine::Count : PlsLine::Other;
        l.number = key.number;
        if (key.numbered)
            l.keyAt = quint32(key.letters.data() - bytes.constData());
        l.digitsAt = quint32(at + key.digitsAt);
        l.digitsEnd = quint32(at + key.digitsEnd);
        l.valueAt = quint32(at + key.valueAt);
        m_plsLines.push_back(l);
    });
    for (int i = 0; i < int(m_plsLines.size()); ++i) {
        if (m_plsLines[size_t(i)].kind >= PlsLine::Numbered && m_plsLines[size_t(i)].number >= 0)
            m_plsByNumber.push_back(i);
    }
    std::stable_sort(m_plsByNumber.begin(), m_plsByNumber.end(),
                     [this](int a, int b) { return m_plsLines[size_t(a)].number < m_plsLines[size_t(b)].number; });
}

namespace {

// A directive that belongs to the entry after it, so the header ends before it.
bool isEntryDirective(QByteArrayView line)
{
    static constexpr QByteArrayView kDirectives[] = {"#EXTINF", "#EXTVLCOPT", "#EXTGRP", "#EXTALB",
                                                     "#EXTART", "#EXTBYT",    "#EXTIMG"};
    const QByteArrayView text = afterBlanks(withoutBoms(line));
    return std::any_of(std::begin(kDirectives), std::end(kDirectives), [text](QByteArrayView d) {
        return text.size() >= d.size() && qstrnicmp(text.data(), d.data(), d.size()) == 0;
    });
}

// QList's append of a struct costs a call of a hundred instructions; a
// vector's is inlined, and the list is made from it in one copy.
void setLines(KeptRead &read, const std::vector<KeptLines> &lines)
{
    read.lines = QList<KeptLines>(lines.cbegin(), lines.cend());
}

void readM3u(KeptFile &file, KeptRead &read)
{
    LineDecoder decoder(file.encoding);
    std::vector<KeptLines> lines;
    file.headerEnd = file.bytes.size() - withoutBoms(file.bytes).size();   // a mark at the start stays on top
    bool inHeader = true;
    qsizetype chunkStart = -1;
    forEachLine(file.bytes, [&](const Line &line) {
        if (isM3uNote(line.text)) {
            if (inHeader && !isEntryDirective(line.text)) {
                file.headerEnd = line.next;
                return;
            }
        } else {
            read.entries.append(decoder.decode(withoutBoms(line.text)));
            lines.push_back(KeptLines{0, quint32(chunkStart < 0 ? file.headerEnd : chunkStart),
                                      quint32(line.next)});
            chunkStart = line.next;
        }
        if (inHeader) {
            inHeader = false;
            if (chunkStart < 0)
                chunkStart = file.headerEnd;
        }
    });
    setLines(read, lines);
    file.trailerBegin = chunkStart < 0 ? file.bytes.size() : chunkStart;
    if (file.trailerBegin < file.headerEnd)
        file.trailerBegin = file.headerEnd;
}

void readPls(KeptFile &file, KeptRead &read)
{
    LineDecoder decoder(file.encoding);
    std::vector<KeptLines> lines;
    forEachLine(file.bytes, [&](const Line &line) {
        const QByteArrayView text = withoutBoms(line.text);
        const PlsKey key = plsKey(text);
        if (key.isFile) {
            read.entries.append(decoder.decode(text.sliced(key.valueAt)));
            lines.push_back(KeptLines{0, quint32(line.begin), quint32(line.next)});
        }
    });
    setLines(read, lines);
    file.headerEnd = 0;
    file.trailerBegin = file.bytes.size();
}

} // namespace

KeptRead readKept(const QByteArray &bytes, PlaylistType type, const QString &folder,
                  std::optional<TextEncoding> encoding)
{
    KeptRead read;
    auto file = std::make_shared<KeptFile>();
    file->bytes = bytes;
    file->type = type;
    file->encoding = encoding ? *encoding : chooseEncoding(bytes, type, QString()).encoding;
    file->folder = folder;
    file->lineEnd = firstLineEnd(bytes, type == PlaylistType::Xspf ? "\n" : "\r\n");
    switch (type) {
    case PlaylistType::M3u:
        readM3u(*file, read);
        break;
    case PlaylistType::Pls:
        readPls(*file, read);
        break;
    case PlaylistType::Xspf:
        if (!readXspfKept(*file, read)) {
            // Another encoding: the entries without their bytes.
            read.lines.fill(KeptLines(), read.entries.size());
            file.reset();
        }
        break;
    case PlaylistType::Other:
        file->headerEnd = 0;
        file->trailerBegin = 0;
        break;
    }
    if (file)
        file->entryCount = read.entries.size();
    read.encoding = file ? file->encoding : TextEncoding::Utf8;
    read.file = std::move(file);
    return read;
}
