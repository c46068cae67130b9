#pragma once
#include <QString>

// A playlist file's format follows its name, never its content.
enum class PlaylistType { M3u, Pls, Xspf, Other };

// The end of the name, trailing blanks removed, in any case: "M3U" and
// "M3U8" are M3u, "PLS" is Pls, "XSPF" is Xspf, anything else is Other.
PlaylistType playlistTypeOf(const QString &fileName);

// Whether the name ends in ".m3u8" (trailing blanks removed, any case): M3U
// that is always UTF-8.
bool isUtf8OnlyName(const QString &fileName);
