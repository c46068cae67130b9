#pragma once
#include "playlist_type.h"

#include <QByteArrayView>
#include <QStringList>

class QIODevice;

// Reads M3U and PLS playlists as other players write them. Shows nothing:
// callers turn the outcome into messages.
//
// Text: a leading UTF-8 BOM is dropped; content that is not valid UTF-8 is
// taken as GB18030 (lists saved on Chinese Windows). CR LF, a lone CR and a
// lone LF each end a line.
// M3U: every line but empty ones and those starting with "#" is an entry.
// PLS: only "File<number>=" lines (key in any case) give an entry, the text
// after the first "=". Entries come in file order, duplicates included: the
// list decides what it already holds.
struct PlaylistRead {
    enum Outcome {
        ReadOk,     // entries hold the whole file's entries (none for Other)
        Missing,    // no file of that name
        Unreadable  // it exists but could not be opened or read; entries empty
    };
    Outcome outcome = Unreadable;
    QStringList entries;
};

QStringList parsePlaylistBytes(QByteArrayView bytes, PlaylistType type);

// Reads the device to its end (opening it read-only first if it is closed).
PlaylistRead readPlaylist(QIODevice &device, PlaylistType type);
// Type from the name; the file is always released before returning.
PlaylistRead readPlaylistFile(const QString &fileName);
