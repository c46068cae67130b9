#pragma once
#include "model/entry_rules.h"
#include "platform/tags/track_tags.h"
#include "playlist_io/kept_file.h"
#include "platform/files/file_fingerprint.h"
#include "playlist_io/list_document.h"
#include "playlist_io/playlist_form.h"
#include "playlist_io/playlist_type.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

class QIODevice;

// Writes playlists in the program's fixed layout, UTF-8 without BOM, CR LF
// after every line:
//   M3U   "#EXTINF:" + path, then path, for each entry;
//   PLS   "[Playlist]", "NumberOfEntries=" n, "File" k "=" path (k from 1);
//   XSPF  see xspf.h: each entry a file URI (URLs as they are), LF line ends;
//   other types: nothing.
// Paths are upper-cased only where the file system ignores case
// (Qt::CaseInsensitive): elsewhere an upper-cased path names no file.
//
// In a list's own form (playlist_form.h), for a file in `folder`:
// - relative: every entry relative to the folder ("../" allowed) where it is
//   on the folder's volume (relativeEntry), joined by the form's separator
//   (XSPF: relative URI references, always "/"); entries elsewhere stay full
//   paths, URLs stay as they are. Nothing is upper-cased in this form: a
//   relative list is made to be read elsewhere, by a phone or a car stereo
//   that may well tell case, and the entries' own spelling finds the files
//   everywhere (on Linux the rule upper-cases nothing anyway).
// - full paths: as above, upper-cased by the rule.
// - the encoding: UTF-8, UTF-8 after EF BB BF, or a code page (M3U and PLS;
//   the lines are the same, only their bytes differ). writePlaylistFile writes a
//   ".m3u8" name in UTF-8 whatever the form says (a mark is kept).
// The default form gives exactly the bytes of the program's fixed layout.
//
// A list that keeps what its files held (kept_file.h) is written with every
// line it holds, each in the file's own bytes; an edit changes only the lines
// of what it edits:
// - M3U: the header, each entry's lines in list order, the trailing lines; a
//   line end goes after a last line that had none once something follows it.
// - PLS: as read until the list is edited (numbers with holes, File0); after
//   that every key numbered with an entry is numbered anew 1..n in list order,
//   in the file's layout (each entry's keys together, or each key's lines
//   together), NumberOfEntries given the count where it stands, other lines
//   (and keys of a number no File has) where they stood.
// - XSPF: the header, each entry's span, the trailer.
// - A path line is made anew where the entry was given another path, or where
//   it was written relative to another folder than the one written to (also
//   an #EXTINF that repeats the old path, the program's own layout); the rest
//   stays. An XSPF location keeps its kind: relative to the xml:base in effect
//   where it stands (the file's folder without one), or a full file URI.
// - An entry added in this run takes the style of the entry before it, else
//   of the first one: "#EXTINF:<seconds>,<name>" and the path after an
//   #EXTINF with a title, "#EXTINF:<path>" and the path after the program's
//   own layout, the path alone after a path alone; Title<k> and Length<k> in
//   a PLS after an entry that has them; title, creator and duration in an
//   XSPF (each when known). Its path follows the form.
// - Lines of another type (an entry inserted from a PLS saved as M3U, a list
//   saved as another type) cannot go: they become the type's own, carrying
//   the title and length: M3U "#EXTM3U", then "#EXTINF:<seconds>,<name>" and
//   the path; PLS Winamp's layout ("[playlist]", File, Title and Length per
//   entry, "NumberOfEntries", "Version=2"); XSPF title, creator and duration.
//   When nothing kept tells a title or a length (the program's own layout
//   saved as another type), the list is written in the fixed layout.
// - Line ends: the file's own; new lines take the list file's first one.
//   Encoding: the form's; kept lines from a file in another are re-encoded.
// <seconds> is -1 and <name> the file's name when nothing tells them.

// A list as the writer takes it: its document whole (its form, its list
// file and the files its lines name), its entries, what their files said of
// each (beside entries; empty: nothing kept), and, for an entry's index, what
// its file's tags say (null: nothing known), for lines made anew.
struct ListToWrite {
    ListDocument document;
    QStringList entries;
    QList<KeptLines> lines;
    std::function<TrackTags(qsizetype)> tags;
};

// How a list is written as `type`, decided here alone: in the fixed layout
// when it keeps no file of that type and nothing it keeps tells a title or a
// length (a new list; a list in the program's own layout saved as another
// type); otherwise from what it keeps, around `own`, its list file when that
// is of the type (header, trailing lines, layout).
struct WriteLayout {
    bool fixed = true;
    const KeptFile *own = nullptr;
};
WriteLayout writeLayout(const ListToWrite &list, PlaylistType type);

// The file's bytes. Entries must pass playlistCanHold (the writers below check).
QByteArray formatPlaylist(const QStringList &entries, PlaylistType type,
                          Qt::CaseSensitivity fileSystemCase);
QByteArray formatPlaylist(const QStringList &entries, PlaylistType type,
                          Qt::CaseSensitivity fileSystemCase, const PlaylistForm &form,
                          const QString &folder);

// In the document's form, for a file in `folder`.
QByteArray formatPlaylist(const ListToWrite &list, PlaylistType type, Qt::CaseSensitivity fileSystemCase,
                          const QString &folder);
// The entries whose lines would be made from their tags when the list is
// written as `type`: new ones whose style carries titles and lengths, and
// those of another type whose own lines do not say both. Never a URL.
QList<qsizetype> entriesWantingTags(const ListToWrite &list, PlaylistType type);

struct PlaylistWrite {
    enum Outcome {
        Written,
        Failed,     // not created, not written whole, not on disk, or the name
                    // is taken by a folder or special file; errorString says which
        LineBreak,  // entry `badEntry` holds a CR or LF; nothing was written
        NotHeld     // the encoding cannot hold entry `badEntry`; nothing was written
    };
    Outcome outcome = Failed;
    QString errorString;  // why it failed, for diagnostics
    // Why, for fileErrorText(error, FileUse::Write) (platform/files/file_errors.h):
    // the system's error number, EISDIR or fileproblem::NotRegular for a name
    // held by a folder or special file, fileproblem::LineBreak; 0 when not known.
    int error = 0;
    qsizetype badEntry = -1;  // LineBreak: index of the first such entry
    FileFingerprint fingerprint;  // Written: of the bytes written, as the file holds them
};

// The entries whose paths `encoding` cannot hold, in list order (never
// written as "?": the file is not written).
QList<qsizetype> entriesNotHeld(const QStringList &entries, TextEncoding encoding);

// Writes to an open device; false when an entry holds a line break (nothing
// written then) or the device takes less than all of it.
bool writePlaylist(QIODevice &device, const QStringList &entries, PlaylistType type,
                   Qt::CaseSensitivity fileSystemCase);

// Replaces the file as a whole, or not at all. The new content goes to a
// temporary file beside it, every write checked, and reaches the disk before
// it takes the name; on any failure the old file stays byte-identical and no
// temporary file is left. A name held by something other than a regular file
// (folder, FIFO, device) fails without touching it; a symbolic link is
// followed, and stays. Type from the name.
PlaylistWrite writePlaylistFile(const QString &fileName, const QStringList &entries,
                                Qt::CaseSensitivity fileSystemCase);
// The same in the list's form, relative to the file's own folder.
PlaylistWrite writePlaylistFile(const QString &fileName, const QStringList &entries,
                                Qt::CaseSensitivity fileSystemCase, const PlaylistForm &form);
// The same for a list that keeps what its files held, in its document's form.
PlaylistWrite writeListFile(const QString &fileName, const ListToWrite &list, Qt::CaseSensitivity fileSystemCase);
