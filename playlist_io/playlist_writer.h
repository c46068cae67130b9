#pragma once
#include "model/entry_rules.h"
#include "playlist_io/playlist_type.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

class QIODevice;

// Writes playlists in the program's fixed layout, UTF-8 without BOM, CR LF
// after every line:
//   M3U   "#EXTINF:" + path, then path, for each entry;
//   PLS   "[Playlist]", "NumberOfEntries=" n, "File" k "=" path (k from 1);
//   other types: nothing.
// Paths are upper-cased only where the file system ignores case
// (Qt::CaseInsensitive): elsewhere an upper-cased path names no file.

// The file's bytes. Entries must pass playlistCanHold (the writers below check).
QByteArray formatPlaylist(const QStringList &entries, PlaylistType type,
                          Qt::CaseSensitivity fileSystemCase);

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
