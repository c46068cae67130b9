#pragma once
#include <QString>

// A playlist file's format follows its name, never its content.
enum class PlaylistType { M3u, Pls, Other };

// The last three characters of the name, trailing blanks removed, in any case:
// "M3U", "PLS", anything else is Other.
PlaylistType playlistTypeOf(const QString &fileName);
