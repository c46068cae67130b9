#pragma once
#include "playlist_io/playlist_writer.h"

// The writer for lists that keep what their files held (see playlist_writer.h
// for the rules); the fixed layout is playlist_writer.cpp's own.
// `layout` is writeLayout's, not fixed.
QByteArray formatKept(const ListToWrite &list, const WriteLayout &layout, PlaylistType type,
                      Qt::CaseSensitivity fileSystemCase, const PlaylistForm &form, const QString &folder);
QList<qsizetype> keptEntriesWantingTags(const ListToWrite &list, const WriteLayout &layout, PlaylistType type);
