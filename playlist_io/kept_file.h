#pragma once
#include "model/kept_lines.h"
#include "playlist_io/playlist_type.h"
#include "playlist_io/text_encoding.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <mutex>
#include <optional>
#include <vector>

// A list file's bytes as they were read, and where its parts lie: what a list
// keeps of the files it read, so that saving writes back every line they held
// (an entry's #EXTINF, #EXTVLCOPT and comments; its PLS Title and Length; its
// XSPF track with every element in it; the header and the lines after the last
// entry). Never changed once read; kept by the list's document (list_document.h),
// whose entries name it by its place there.
//
// M3U (and M3U8): the header is every line before the first entry up to the
// first entry-level directive (#EXTINF, #EXTVLCOPT, #EXTGRP, #EXTALB, #EXTART,
// #EXTBYT, #EXTIMG), with a byte-order mark at the start of the file always in
// it; an entry's lines are every line after the previous entry (or the header)
// up to and including its path line; the lines after the last entry trail.
// PLS: an entry's span is its File<k> line; its other keys of number k are
// found by their number when written, wherever the file put them.
// XSPF: an entry's span runs from the end of the previous entry's track (or of
// the trackList's start tag) to the end of its own track, so tracks without a
// location and the blanks before the track go with it; the header is all
// before, the trailer all after.
class KeptFile {
public:
    QByteArray bytes;
    PlaylistType type = PlaylistType::Other;
    TextEncoding encoding = TextEncoding::Utf8;   // of its lines; XSPF: UTF-8
    QString folder;                  // the file's own folder, where relative entries start
    QByteArray lineEnd = "\r\n";     // the file's first line end (CR LF when it has none)
    qsizetype headerEnd = 0;         // M3U, XSPF: [0, headerEnd)
    qsizetype trailerBegin = 0;      // M3U, XSPF: [trailerBegin, size)
    qsizetype entryCount = 0;        // the entries read from it, repeats included

    // XSPF: each entry's track, in file order (entries() order), by where it ends.
    struct Track {
        quint32 end = 0;             // after its end tag
        quint32 locationBegin = 0;   // the text of its first location: [begin, end)
        quint32 locationEnd = 0;
        QString base;                // the xml:base in effect there, resolved; empty: the file's folder
    };
    QList<Track> tracks;
    QString trackTag = QStringLiteral("track");         // as the file names them ("track", "x:track")
    QString locationTag = QStringLiteral("location");
    QString listBase;                // the xml:base in effect inside the trackList; empty: none

    // PLS: every line of the file with its key, found when first asked (from
    // any thread).
    struct PlsLine {
        quint32 begin = 0, end = 0, next = 0;   // its text [begin, end), the next line at `next`
        enum Kind : quint8 { Other, Count, Numbered, File } kind = Other;
        int number = -1;                        // Numbered, File
        quint32 keyAt = 0;                      // where its key's letters start (after marks and blanks)
        quint32 digitsAt = 0, digitsEnd = 0;    // Numbered, File: offsets of the number in the file
        quint32 valueAt = 0;                    // after the "=" (offset in the file)
    };
    const std::vector<PlsLine> &plsLines() const;
    // The lines of key number `number` (indexes into plsLines(), in file order).
    std::vector<int> plsNumbered(int number) const;
    // A numbered line's key letters, as the file writes them ("Title").
    QByteArrayView plsKeyOf(const PlsLine &line) const { return span(line.keyAt, line.digitsAt); }

    QByteArrayView span(qsizetype begin, qsizetype end) const
    {
        return QByteArrayView(bytes).sliced(begin, end - begin);
    }
    QByteArrayView header() const { return span(0, headerEnd); }
    QByteArrayView trailer() const { return span(trailerBegin, bytes.size()); }
    // The entry's bytes, as the file has them.
    QByteArrayView of(const KeptLines &lines) const { return span(lines.begin, lines.end); }
    // XSPF: the track an entry's span ends with; null when there is none.
    const Track *trackOf(const KeptLines &lines) const;

private:
    void findPlsLines() const;
    mutable std::once_flag m_plsOnce;
    mutable std::vector<PlsLine> m_plsLines;
    mutable std::vector<int> m_plsByNumber;   // indexes into m_plsLines, by number, then file order
};

struct KeptRead {
    QStringList entries;        // as the file writes them (XSPF: the locations, blanks dropped)
    QList<KeptLines> lines;     // beside entries, each naming `file` as file 0
    QStringList bases;          // XSPF: the xml:base in effect for each entry (empty: none)
    std::shared_ptr<const KeptFile> file;
    TextEncoding encoding = TextEncoding::Utf8;
};

// Splits a list file's bytes as the list keeps them; `folder` is the file's
// own folder (XSPF resolves xml:base against it). Entries come in file order,
// repeats included. M3U: every line but the notes (listlines::isM3uNote) is
// an entry. PLS: "File<number>=" lines (key in any case), the text after the
// first "=". XSPF: the first location of each track of the trackList, read as
// xspf.h says; a file in another encoding than UTF-8 keeps no bytes.
// `encoding` is the M3U or PLS file's (see encoding_choice.h); none: chosen
// from the text alone.
KeptRead readKept(const QByteArray &bytes, PlaylistType type, const QString &folder,
                  std::optional<TextEncoding> encoding = std::nullopt);
