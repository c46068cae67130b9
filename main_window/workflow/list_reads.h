#pragma once
#include "playlist_io/playlist_reader.h"

#include <QString>

#include <optional>

// How the file commands read a list's file: the window reads it off the UI
// thread with its progress window and "取消" (a large list on a slow stick
// takes seconds); tests read at once.
class ListReads {
public:
    virtual ~ListReads() = default;
    // The file read as readPlaylistFile reads it; nothing when the user
    // cancelled the reading.
    virtual std::optional<PlaylistRead> read(const QString &fileName, std::optional<TextEncoding> encoding) = 0;
};
