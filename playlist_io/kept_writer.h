#pragma once
#include "playlist_io/playlist_writer.h"

// The writer for lists that keep what their files held (see playlist_writer.h
// for the rules); the fixed layout is playlist_writer.cpp's own.
QByteArray formatKept(const ListToWrite &list, PlaylistType type, Qt::CaseSensitivity fileSystemCase,
                      const PlaylistForm &form, const QString &folder);
QList<qsizetype> keptEntriesWantingTags(const ListToWrite &list, PlaylistType type);
