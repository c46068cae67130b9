#pragma once
#include "platform/tags/track_tags.h"
#include "playlist_io/entry_facts.h"
#include "playlist_io/export/export_options.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

// The bytes of an exported playlist: entries (full paths, as the list holds
// them, or the copies' paths), their tags, and the options in; nothing is
// read from the disk.

class RelativeEntries;

// The entry as the file names it: the full path as it is (native), relative
// to the target's folder as `relative` makes it ("../" allowed; full again on
// another volume), or the file name alone. URLs stay as written.
QString exportedPath(const QString &entry, ExportPaths paths, const RelativeEntries &relative);

struct ExportText {
    QByteArray bytes;
    // Entries whose path or name GBK cannot hold, for a GB18030 file (older
    // devices read GBK only); GB18030 itself holds every name.
    QStringList outsideGbk;
    // Entries whose path or name the file's code page cannot hold (any but
    // GB18030): such a file is not written.
    QStringList notHeld;
};

// `tags` runs beside `entries`; a shorter list leaves the rest unknown.
// `namedAfter`, when given, runs beside them too: the files whose names give
// "<name>" when the tags have no title (the originals of copies).
// `limit` >= 0 formats only the first `limit` entries and, when that is not
// all of them, leaves out what follows the entries (PLS's count and version,
// XSPF's closing lines): the start of the file, for a preview.
// `volumes`: the mount points (volumeOf); relative paths stay on the target's
// volume, an entry on another one is written in full.
ExportText formatExport(const QStringList &entries, const QList<TrackTags> &tags, const ExportOptions &options,
                        const QString &targetFolder, qsizetype limit = -1, const QStringList &namedAfter = {},
                        const QStringList &volumes = {});
