#pragma once
#include "playlist_type.h"

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
QByteArray formatPlaylist(const QStringList &entries, PlaylistType type,
                          Qt::CaseSensitivity fileSystemCase);

struct PlaylistWrite {
    enum Outcome { Written, Failed };
    Outcome outcome = Failed;
    QString errorString;  // why it failed, for diagnostics
};

// Writes to an open device; false when the device takes less than all of it.
bool writePlaylist(QIODevice &device, const QStringList &entries, PlaylistType type,
                   Qt::CaseSensitivity fileSystemCase);

// Replaces the file as a whole: on failure the old file stays as it was and
// nothing is left open. Type from the name.
PlaylistWrite writePlaylistFile(const QString &fileName, const QStringList &entries,
                                Qt::CaseSensitivity fileSystemCase);
