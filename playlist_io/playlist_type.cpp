#include "playlist_io/playlist_type.h"

namespace {

struct Suffix {
    QStringView text;
    PlaylistType type;
};

// One row per type; a new type is one more row (with its own reader and
// writer branches). Should one suffix ever end another, the longer goes first.
constexpr Suffix kSuffixes[] = {
    {u"m3u", PlaylistType::M3u},
    {u"m3u8", PlaylistType::M3u},   // M3U in UTF-8, as every M3U here is read and written
    {u"pls", PlaylistType::Pls},
};

} // namespace

PlaylistType playlistTypeOf(const QString &fileName)
{
    QStringView name(fileName);
    while (!name.isEmpty() && name.back().isSpace())
        name.chop(1);
    for (const Suffix &suffix : kSuffixes) {
        if (name.endsWith(suffix.text, Qt::CaseInsensitive))
            return suffix.type;
    }
    return PlaylistType::Other;
}
