#pragma once
#include "platform/tags/track_tags.h"

#include <QList>
#include <QStringList>

#include <optional>

// What a save asks of the files whose lines it makes anew (an entry added to
// a list with titles and lengths, a list saved as another type): their tags,
// read where they are not known yet. The window reads them off the UI thread
// with its progress window and "取消"; tests answer at once.
class SaveTags {
public:
    virtual ~SaveTags() = default;
    // The tags of `paths`, in order; nothing when the user cancelled the reading.
    virtual std::optional<QList<TrackTags>> tagsFor(const QStringList &paths) = 0;
};
