#include "platform/files/folder_walk.h"

#include "model/media_types.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

namespace {

void walkInto(const QString &folder, const QString &prefix, int levelsLeft, const FolderWalk &walk,
              const WildcardMatch &match, QStringList &found, WorkProgress &progress)
{
    if (progress.cancelled())
        return;
    const bool files = walk.kind == FolderWalk::Kind::Files;
    const bool folders = walk.kind == FolderWalk::Kind::Folders || levelsLeft != 0;
    QDir::Filters filters = QDir::NoDotAndDotDot;
    if (files)
        filters |= QDir::Files;
    if (folders)
        filters |= QDir::Dirs;
    if (walk.hidden)
        filters |= QDir::Hidden;
    if (walk.special && files)
        filters |= QDir::System;
    QStringList taken, subfolders;
    QDirIterator it(folder, filters);
    for (qint64 seen = 1; it.hasNext(); ++seen) {
        it.next();
        if (seen % 256 == 0 && progress.cancelled())
            return;
        progress.advance();
        if (walk.most >= 0 && found.size() + taken.size() >= walk.most)
            break;
        QString name = it.fileName();
        // Only a walk that wants folders asks what an entry is.
        if (folders && it.fileInfo().isDir()) {
            if (it.fileInfo().isSymLink() && !walk.followLinks)
                continue;
            if (levelsLeft != 0)
                subfolders << name;
            if (!files)
                taken << std::move(name);
        } else if (files && match.matches(name)) {
            taken << std::move(name);
        }
    }
    sortAsListed(taken);
    for (const QString &name : std::as_const(taken))
        found << prefix + name;
    sortAsListed(subfolders);
    for (const QString &name : std::as_const(subfolders))
        if (walk.most < 0 || found.size() < walk.most)
            walkInto(folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name,
                     prefix + name + QLatin1Char('/'),
                     levelsLeft < 0 ? levelsLeft : levelsLeft - 1, walk, match, found, progress);
}

} // namespace

QStringList walkFolder(const QString &folder, const FolderWalk &walk, WorkProgress &progress)
{
    QStringList found;
    const WildcardMatch match(walk.pattern);
    walkInto(folder, QString(), walk.depth, walk, match, found, progress);
    if (walk.fullPaths) {
        const QDir dir(folder);
        for (QString &path : found)
            path = QDir::toNativeSeparators(dir.filePath(path));
    }
    return found;
}
