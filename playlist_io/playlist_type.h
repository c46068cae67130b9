#pragma once
#include <QString>

// A playlist file's format follows its name, never its content.
enum class PlaylistType { M3u, Pls, Other };

// The end of the name, trailing blanks removed, in any case: "M3U" and
// "M3U8" are M3u, "PLS" is Pls, anything else is Other.
PlaylistType playlistTypeOf(const QString &fileName);
