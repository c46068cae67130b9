#pragma once
#include "model/kept_lines.h"
#include "platform/files/file_fingerprint.h"
#include "playlist_io/playlist_form.h"
#include "playlist_io/playlist_type.h"

#include <QByteArrayView>
#include <QFile>
#include <QIODevice>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class KeptFile;
class QIODevice;

// Reads M3U, M3U8, PLS and XSPF playlists as other players write them. Shows nothing:
// callers turn the outcome into messages.
//
// Text, line by line: every byte-order mark (U+FEFF) at the start of a line is
// dropped, however many (lists joined with `cat` carry them mid-file); then the
// line is decoded on its own, as UTF-8 when it is valid UTF-8, otherwise in
// the file's code page (see encoding_choice.h), so a file mixing both keeps both.
// CR LF, a lone CR and a lone LF each end a line.
// M3U: every line is an entry but empty or blank ones and comments and
// directives, whose first character other than blanks and tabs is "#".
// PLS: only "File<number>=" lines (key in any case) give an entry, the text
// after the first "=".
// XSPF: each track's first location (see xspf.h).
// Entries come in file order, duplicates included: the list decides what it
// already holds.
//
// The form (playlist_form.h) says how the file spelled its entries: the
// encoding (UTF-8 with a mark when the file starts with one, its code page
// when any line is not UTF-8), and, from readPlaylistFile, whether any entry was relative
// and which separator the relative entries used (the first one holding a
// separator tells; "/" when none does).
struct PlaylistRead {
    enum Outcome {
        ReadOk,      // entries hold the whole file's entries (none for Other)
        Missing,     // no file of that name (or a folder on the way is missing)
        Unreadable,  // it exists but could not be opened or read; entries empty
        NotRegular,  // a folder, FIFO, socket or device: never opened for reading
        TooLarge,    // more than the size limit; nothing was parsed
        NotText      // not a list but some other file (an image, a program): see readPlaylistFile
    };
    Outcome outcome = Unreadable;
    // Why it was not read, for fileErrorText(error, FileUse::Read)
    // (platform/files/file_errors.h): the system's error number, or the
    // program's own reason (fileproblem::NotRegular, TooLarge, NotText; EISDIR
    // for a folder). 0 when read, or when the system told no reason.
    int error = 0;
    QStringList entries;
    // From readPlaylistFile: what the file said of each entry, beside
    // entries (naming `file` as file 0), and the file itself (its header, trailing lines and layout;
    // see kept_file.h). Empty and null where nothing is kept.
    QList<KeptLines> lines;
    std::shared_ptr<const KeptFile> file;
    PlaylistForm form;
    // From readPlaylistFile: the file's bytes as read, before any decoding.
    FileFingerprint fingerprint;
};

// The largest playlist read: far beyond any real list (100,000 entries take
// about 10 MB), small enough that a wrong file cannot exhaust memory.
constexpr qint64 kPlaylistMaxBytes = qint64(256) * 1024 * 1024;

// Entries as written (XSPF: %XX decoded, file URIs as paths, relative ones
// left relative); `encoding`, when given, gets the text's encoding.
QStringList parsePlaylistBytes(QByteArrayView bytes, PlaylistType type,
                               TextEncoding *encoding = nullptr);

// Reads the device to its end (opening it read-only first if it is closed),
// at most maxBytes: a device that holds more gives TooLarge after reading
// maxBytes + 1, so an endless one ends too.
PlaylistRead readPlaylist(QIODevice &device, PlaylistType type,
                          qint64 maxBytes = kPlaylistMaxBytes);
// Type from the name. Only regular files are opened, and without blocking;
// the file is always released before returning. Entries come back as the
// list holds them:
// - paths relative to the file's folder as full paths (see entry_paths.h);
//   one that holds a "\" and, as written, names no file (a "\" is a
//   character of a name outside Windows) is read with "\" as a separator,
//   as lists written on Windows mean it;
// - "file://" URIs (M3U and PLS as in XSPF) as local paths, %XX decoded;
// - other URLs and full paths exactly as written.
// `asWritten`, when given, gets the same entries as the file spells them.
//
// The code page is chosen with the disk's help (encoding_choice.h): the
// entries that name files in it, or whose names lie in the list's folder.
// A file is no list (NotText, nothing read) when its first 64 KB hold a
// control byte other than tab, CR and LF, or when more than a quarter of its
// lines are valid neither as UTF-8 nor in its code page: an image or a
// program renamed, whose bytes would give garbage entries. A UTF-16 or UTF-32 byte-order mark (what Notepad's
// "Unicode" writes) is the exception: M3U and PLS are read in that encoding,
// as UTF-8 with a mark from then on (its lines kept; it is saved in UTF-8);
// XSPF as its XML says. A file whose text is not valid in its encoding is NotText.
// `encoding`, when given, is the encoding the user chose to read it in: no
// choice is made then (a UTF-8 line is still UTF-8). `device`, when given,
// is what the opened file is read through (a slow device, in benchmarks).
using ListDevice = std::function<std::unique_ptr<QIODevice>(std::unique_ptr<QFile> file)>;
PlaylistRead readPlaylistFile(const QString &fileName, QStringList *asWritten = nullptr,
                              std::optional<TextEncoding> encoding = std::nullopt, const ListDevice &device = {});
