#pragma once
#include "model/entry_rules.h"
#include "playlist_io/playlist_form.h"
#include "playlist_io/playlist_type.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

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
// - the encoding: UTF-8, UTF-8 after EF BB BF, or GB18030 (M3U and PLS; the
//   lines are the same, only their bytes differ). writePlaylistFile writes a
//   ".m3u8" name in UTF-8 whatever the form says (a mark is kept).
// The default form gives exactly the bytes of the program's fixed layout.

// The file's bytes. Entries must pass playlistCanHold (the writers below check).
QByteArray formatPlaylist(const QStringList &entries, PlaylistType type,
                          Qt::CaseSensitivity fileSystemCase);
QByteArray formatPlaylist(const QStringList &entries, PlaylistType type,
                          Qt::CaseSensitivity fileSystemCase, const PlaylistForm &form,
                          const QString &folder);

struct PlaylistWrite {
    enum Outcome {
        Written,
        Failed,     // not created, not written whole, not on disk, or the name
                    // is taken by a folder or special file; errorString says which
        LineBreak   // entry `badEntry` holds a CR or LF; nothing was written
    };
    Outcome outcome = Failed;
    QString errorString;  // why it failed, for diagnostics
    qsizetype badEntry = -1;  // LineBreak: index of the first such entry
};

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
