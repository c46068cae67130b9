#pragma once
#include "playlist_io/text_encoding.h"

#include <QChar>

// How a list file spells its entries, kept from the file a list was opened
// from so that saving it back keeps what the file relied on: a list on a
// stick with "Music/a.mp3" stays relative, one written on Chinese Windows
// stays GB18030. The default is the program's own form (full paths, UTF-8),
// in which the writer's output is exactly the program's fixed layout.
struct PlaylistForm {
    bool relative = false;        // entries relative to the list file's folder
    QChar separator = u'/';       // between names of relative entries
    TextEncoding encoding = TextEncoding::Utf8;   // M3U and PLS; XSPF and .m3u8 are UTF-8

    friend bool operator==(const PlaylistForm &, const PlaylistForm &) = default;
};
