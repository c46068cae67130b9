#include "playlist_io/encoding_choice.h"

#include "playlist_io/entry_paths.h"
#include "playlist_io/list_lines.h"
#include "playlist_io/pls_lines.h"

#include "platform/files/entry_check.h"
#include "platform/files/folder_walk.h"
#include "platform/work/work_progress.h"

#include <QHash>
#include <QSet>

#include <unicode/ucsdet.h>

#include <algorithm>
#include <optional>

#include <array>
#include <memory>

namespace {

constexpr int kDiskEntries = 200;
constexpr qsizetype kNamesListed = 10000;
constexpr qsizetype kDetectorBytes = 16 * 1024;   // enough for it to be sure; more costs milliseconds
constexpr int kSureConfidence = 30;
constexpr int kCloseConfidence = 10;

bool isUtf8Text(QByteArrayView line)
{
    return listlines::isAscii(line) || line.isValidUtf8();
}

// The lines that are not UTF-8, and the entries among them, as the file has them.
struct ForeignText {
    QByteArray lines;               // joined by LF, at most kDetectorBytes
    QList<QByteArrayView> entries;  // at most kDiskEntries
    bool any = false;
};

ForeignText foreignText(QByteArrayView bytes, PlaylistType type)
{
    ForeignText text;
    const auto full = [&text] {
        return text.any && text.entries.size() >= kDiskEntries && text.lines.size() >= kDetectorBytes;
    };
    const auto look = [&](const listlines::Line &line) {
        const QByteArrayView view = listlines::withoutBoms(line.text);
        if (isUtf8Text(view))
            return;
        text.any = true;
        if (text.lines.size() < kDetectorBytes)
            text.lines.append(view.data(), view.size()).append('\n');
        if (text.entries.size() >= kDiskEntries)
            return;
        if (type == PlaylistType::Pls) {
            const PlsKey key = plsKey(view);
            if (key.isFile)
                text.entries.append(view.sliced(key.valueAt));
        } else if (!listlines::isM3uNote(view)) {
            text.entries.append(view);
        }
    };
    // A piece at a time, cut after an LF, until all it needs is found: a
    // long list is not read to its end for it.
    constexpr qsizetype kPiece = 256 * 1024;
    for (qsizetype from = 0; from < bytes.size() && !full();) {
        qsizetype to = bytes.size();
        if (from + kPiece < to) {
            const qsizetype lf = bytes.indexOf('\n', from + kPiece);
            to = lf < 0 ? to : lf + 1;
        }
        listlines::forEachLine(bytes.sliced(from, to - from), look);
        from = to;
    }
    return text;
}

// The entry's name: what follows its last separator, either of them.
QString nameOf(const QString &entry)
{
    return entry.mid(qMax(entry.lastIndexOf(u'/'), entry.lastIndexOf(u'\\')) + 1);
}

// How many entries name files under each code page (index as codePages()).
using Counts = std::array<int, 6>;

// Tallies `found(entry)` over the entries decoded in each code page; an
// entry invalid in a code page counts nothing for it.
template <typename Found>
Counts tally(const QList<QByteArrayView> &entries, Found found, WorkProgress *progress)
{
    Counts counts{};
    const auto pages = codePages();
    for (size_t p = 0; p < pages.size(); ++p) {
        TextDecoder decode(pages[p]);
        for (QByteArrayView bytes : entries) {
            if (progress && progress->cancelled())
                return counts;
            bool ok = false;
            const QString entry = decode(bytes, &ok);
            if (ok && found(entry))
                ++counts[p];
        }
    }
    return counts;
}

// The code pages of the highest count, when it is above zero.
QList<TextEncoding> best(const Counts &counts)
{
    QList<TextEncoding> found;
    const int top = *std::max_element(counts.begin(), counts.end());
    for (size_t p = 0; top > 0 && p < counts.size(); ++p) {
        if (counts[p] == top)
            found.append(codePages()[p]);
    }
    return found;
}

// The file names in the folder and two levels below, at most kNamesListed.
QSet<QString> namesNear(const QString &folder, WorkProgress *outer)
{
    WorkProgress own;
    FolderWalk walk;
    walk.kind = FolderWalk::Kind::Files;
    walk.depth = 2;
    walk.pattern = QStringLiteral("*");
    walk.most = kNamesListed;
    QSet<QString> names;
    for (const QString &path : walkFolder(folder, walk, outer ? *outer : own))
        names.insert(nameOf(path));
    return names;
}

std::optional<TextEncoding> fromIcuName(const char *name)
{
    const QByteArrayView n(name);
    if (n == "ISO-8859-1")   // what ICU calls Latin text without the bytes 0x80-0x9F
        return TextEncoding::Windows1252;
    for (TextEncoding page : codePages()) {
        if (n.compare(encodingEntry(page).name, Qt::CaseInsensitive) == 0)
            return page;
    }
    return std::nullopt;
}

// ICU's matches of the text among the code pages, with their confidence.
QHash<TextEncoding, int> detect(QByteArrayView text)
{
    QHash<TextEncoding, int> found;
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UCharsetDetector, void (*)(UCharsetDetector *)> detector(ucsdet_open(&status), ucsdet_close);
    if (U_FAILURE(status))
        return found;
    ucsdet_setText(detector.get(), text.data(), int32_t(qMin<qsizetype>(text.size(), kDetectorBytes)), &status);
    int32_t count = 0;
    const UCharsetMatch **matches = ucsdet_detectAll(detector.get(), &count, &status);
    for (int32_t i = 0; U_SUCCESS(status) && i < count; ++i) {
        const std::optional<TextEncoding> page = fromIcuName(ucsdet_getName(matches[i], &status));
        const int confidence = ucsdet_getConfidence(matches[i], &status);
        if (page && U_SUCCESS(status) && !found.contains(*page))
            found.insert(*page, confidence);
    }
    return found;
}

} // namespace

int detectorConfidence(QByteArrayView text, TextEncoding encoding)
{
    return detect(text).value(encoding, 0);
}

EncodingChoice chooseEncoding(QByteArrayView bytes, PlaylistType type, const QString &folder, WorkProgress *progress)
{
    EncodingChoice choice;
    const bool marked = bytes.startsWith(listlines::kUtf8Bom);
    choice.encoding = marked ? TextEncoding::Utf8Bom : TextEncoding::Utf8;
    if (type == PlaylistType::Xspf || listlines::isAscii(bytes))
        return choice;
    const ForeignText foreign = foreignText(bytes, type);
    if (!foreign.any)
        return choice;

    // The disk first: the entries as written, then their names nearby.
    QList<TextEncoding> candidates;
    if (!folder.isEmpty() && !foreign.entries.isEmpty()) {
        const DiskProbe disk;
        const auto exists = [&](const QString &entry) {
            if (entry.isEmpty() || isUrlEntry(entry) || isFileUri(entry))
                return false;
#ifndef Q_OS_WIN
            if (entry.size() > 1 && entry.at(1) == u':' && entry.at(0).isLetter())
                return false;   // a drive of another machine: only its name can tell
#endif
            const QString path = resolveEntry(entry, folder);
            return disk.exists(path)
                   || (entry.contains(u'\\') && disk.exists(resolveEntry(QString(entry).replace(u'\\', u'/'), folder)));
        };
        candidates = best(tally(foreign.entries, exists, progress));
        choice.by = EncodingChoice::By::Disk;
        if (candidates.isEmpty()) {
            const QSet<QString> names = namesNear(folder, progress);
            candidates = best(tally(foreign.entries, [&](const QString &e) { return names.contains(nameOf(e)); }, progress));
            choice.by = EncodingChoice::By::Names;
        }
        if (candidates.size() == 1) {
            choice.encoding = candidates.front();
            return choice;
        }
    }

    // A tie or no evidence: the detector, among the tied ones when there are,
    // for a code page the text is valid in. Short texts leave it unsure, and
    // Chinese ones often look Latin to it: a single-byte code page is not
    // taken on its word for a text that reads as GB18030.
    const QHash<TextEncoding, int> detected = detect(foreign.lines);
    const bool readsAsGb18030 = listlines::isGb18030(foreign.lines);
    const auto pages = codePages();
    const QList<TextEncoding> among = candidates.isEmpty() ? QList<TextEncoding>(pages.begin(), pages.end()) : candidates;
    int sure = kSureConfidence - 1;
    std::optional<TextEncoding> found;
    for (TextEncoding page : among) {
        if (encodingEntry(page).singleByte && readsAsGb18030)
            continue;
        bool valid = page == TextEncoding::Gb18030 ? readsAsGb18030 : false;
        if (page != TextEncoding::Gb18030)
            decodeText(foreign.lines, page, &valid);
        if (valid && detected.value(page, 0) > sure) {
            sure = detected.value(page);
            found = page;
        }
    }
    // GB18030 and EUC-KR share their byte ranges, and the detector often
    // ranks a Chinese list a little higher as Korean: GB18030 close behind
    // the best (within kCloseConfidence) is taken.
    if (found && readsAsGb18030 && among.contains(TextEncoding::Gb18030)
        && detected.value(TextEncoding::Gb18030, 0) >= qMax(kSureConfidence, sure - kCloseConfidence))
        found = TextEncoding::Gb18030;
    choice.by = found ? EncodingChoice::By::Detector : EncodingChoice::By::Default;
    choice.encoding = found ? *found
                      : candidates.isEmpty() || candidates.contains(TextEncoding::Gb18030) ? TextEncoding::Gb18030
                                                                                           : candidates.front();
    return choice;
}
