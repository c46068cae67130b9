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
    {u"m3u8", PlaylistType::M3u},   // M3U always in UTF-8, whatever encoding the list came in
    {u"pls", PlaylistType::Pls},
    {u"xspf", PlaylistType::Xspf},
};

QStringView trimmedName(const QString &fileName)
{
    QStringView name(fileName);
    while (!name.isEmpty() && name.back().isSpace())
        name.chop(1);
    return name;
}

} // namespace

PlaylistType playlistTypeOf(const QString &fileName)
{
    const QStringView name = trimmedName(fileName);
    for (const Suffix &suffix : kSuffixes) {
        if (name.endsWith(suffix.text, Qt::CaseInsensitive))
            return suffix.type;
    }
    return PlaylistType::Other;
}

bool isUtf8OnlyName(const QString &fileName)
{
    return trimmedName(fileName).endsWith(u".m3u8", Qt::CaseInsensitive);
}
