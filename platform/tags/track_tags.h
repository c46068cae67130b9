#pragma once
#include <QString>

// What a media file says about itself, for the lines an export writes and
// what the desktop is told of the track playing.
struct TrackTags {
    QString artist;      // empty when the file has none
    QString title;       // empty when the file has none
    int seconds = -1;    // whole seconds, -1 when not known
    qint64 ms = -1;      // the same in milliseconds, -1 when not known
    QString album;       // empty when the file has none

    friend bool operator==(const TrackTags &, const TrackTags &) = default;
};

// Reads the tags and length of the file at `path` through TagLib. A file that
// is missing, not a regular file, or of no type TagLib knows gives empty
// tags and -1. Only regular files are opened, without blocking (a FIFO named
// in a list must not hang the reader). Safe to call from any thread.
TrackTags readTrackTags(const QString &path);
