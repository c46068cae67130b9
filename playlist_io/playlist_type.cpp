#include "playlist_type.h"

PlaylistType playlistTypeOf(const QString &fileName)
{
    qsizetype end = fileName.size();
    while (end > 0 && fileName.at(end - 1).isSpace())
        --end;
    if (end < 3)
        return PlaylistType::Other;
    const QStringView suffix = QStringView(fileName).sliced(end - 3, 3);
    if (suffix.compare(u"m3u", Qt::CaseInsensitive) == 0)
        return PlaylistType::M3u;
    if (suffix.compare(u"pls", Qt::CaseInsensitive) == 0)
        return PlaylistType::Pls;
    return PlaylistType::Other;
}
