#include "playlist_io/playlist_type.h"

#include <QStringList>

namespace {

constexpr PlaylistFileType kTypes[] = {
    {u"m3u", PlaylistType::M3u, false, u"play list file(*.m3u)"},
    {u"pls", PlaylistType::Pls, false, u"play list file(*.pls)"},
    {u"m3u8", PlaylistType::M3u, true, u"play list file(*.m3u8)"},
    {u"xspf", PlaylistType::Xspf, false, u"play list file(*.xspf)"},
};

QStringView trimmedName(const QString &fileName)
{
    QStringView name(fileName);
    while (!name.isEmpty() && name.back().isSpace())
        name.chop(1);
    return name;
}

} // namespace

std::span<const PlaylistFileType> playlistFileTypes()
{
    return kTypes;
}

const PlaylistFileType *playlistFileTypeOf(const QString &fileName)
{
    const QStringView name = trimmedName(fileName);
    for (const PlaylistFileType &type : kTypes) {
        if (name.endsWith(type.suffix, Qt::CaseInsensitive))
            return &type;
    }
    return nullptr;
}

int playlistFilterOf(const QString &fileName)
{
    const PlaylistFileType *type = playlistFileTypeOf(fileName);
    return type ? int(type - kTypes) : 0;
}

QString playlistDialogFilter()
{
    QStringList filters;
    for (const PlaylistFileType &type : kTypes)
        filters << type.filter.toString();
    return filters.join(QStringLiteral(";;"));
}

PlaylistType playlistTypeOf(const QString &fileName)
{
    const PlaylistFileType *type = playlistFileTypeOf(fileName);
    return type ? type->type : PlaylistType::Other;
}

bool isUtf8OnlyName(const QString &fileName)
{
    const PlaylistFileType *type = playlistFileTypeOf(fileName);
    return type && type->utf8Only;
}
