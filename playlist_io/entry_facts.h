#pragma once
#include "model/kept_lines.h"
#include "platform/tags/track_tags.h"

#include <QString>
#include <QStringView>

// What the list knows of an entry's track, besides its path.

// What the entry's own lines say (unknown parts empty and -1): an #EXTINF's
// seconds and title (the text after its first comma outside quotes, so IPTV
// attributes are passed over; nothing from the "#EXTINF:<path>" the program's
// own layout writes); a PLS entry's Title<k> and Length<k>; an XSPF track's
// title, creator and duration. Nothing for an entry without lines. `file`
// is the file they were read from (ListDocument::fileOf).
class KeptFile;
TrackTags keptFacts(const KeptFile *file, const KeptLines &lines);

// The file name of a native path or URL, and the same without its extension.
QStringView entryFileName(const QString &entry);
QStringView bareName(const QString &entry);

// A tag's text as a line can hold it: control characters become blanks,
// blanks around it dropped.
QString withoutControls(const QString &text);

// "<name>" of an #EXTINF or Title line: "Artist - Title" when the file has
// both, else the title, else the file name without its extension. Line breaks
// and other control characters of a tag become blanks.
QString trackName(const QString &entry, const TrackTags &tags);
