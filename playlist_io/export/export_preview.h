#pragma once
#include "platform/tags/track_tags.h"
#include "playlist_io/export/export_options.h"

#include <QList>
#include <QStringList>

// The first lines an export will write, as text, before anything is written:
// the first `entries` (at most kPreviewEntries of them) formatted as the
// export will format them, copies under the names they will get, decoded
// back from the chosen encoding. `tags` as far as read (shorter: unknown).
constexpr qsizetype kPreviewEntries = 20;
// `volumes` as formatExport takes them.
QString exportPreview(const QStringList &entries, const QList<TrackTags> &tags, const ExportOptions &options,
                      const QString &target, const QStringList &volumes = {});
