#include "playlist_writer.h"

#include <QIODevice>
#include <QSaveFile>

QByteArray formatPlaylist(const QStringList &entries, PlaylistType type,
                          Qt::CaseSensitivity fileSystemCase)
{
    QByteArray out;
    if (type == PlaylistType::Other)
        return out;

    const bool upper = fileSystemCase == Qt::CaseInsensitive;
    qsizetype estimate = 32;
    for (const QString &e : entries)
        estimate += 2 * e.size() + 24;
    out.reserve(estimate);

    if (type == PlaylistType::Pls) {
        out.append("[Playlist]\r\nNumberOfEntries=");
        out.append(QByteArray::number(qsizetype(entries.size())));
        out.append("\r\n");
    }
    qsizetype k = 0;
    for (const QString &e : entries) {
        const QByteArray path = upper ? e.toUpper().toUtf8() : e.toUtf8();
        if (type == PlaylistType::M3u) {
            out.append("#EXTINF:").append(path).append("\r\n");
            out.append(path).append("\r\n");
        } else {
            out.append("File").append(QByteArray::number(++k)).append('=');
            out.append(path).append("\r\n");
        }
    }
    return out;
}

bool writePlaylist(QIODevice &device, const QStringList &entries, PlaylistType type,
                   Qt::CaseSensitivity fileSystemCase)
{
    const QByteArray bytes = formatPlaylist(entries, type, fileSystemCase);
    return device.write(bytes) == bytes.size();
}

PlaylistWrite writePlaylistFile(const QString &fileName, const QStringList &entries,
                                Qt::CaseSensitivity fileSystemCase)
{
    PlaylistWrite result;
    if (fileName.isEmpty()) {
        result.errorString = QStringLiteral("no file name");
        return result;
    }
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        result.errorString = file.errorString();
        return result;
    }
    if (!writePlaylist(file, entries, playlistTypeOf(fileName), fileSystemCase)) {
        result.errorString = file.errorString();
        file.cancelWriting();
        return result;
    }
    if (!file.commit()) {
        result.errorString = file.errorString();
        return result;
    }
    result.outcome = PlaylistWrite::Written;
    return result;
}
