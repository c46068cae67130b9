#pragma once
#include <QStringView>

// What a playlist entry may hold: no CR or LF, since a playlist file would
// read such a path back as two entries. Lists refuse such paths when adding
// them, and the writers check them before writing.
bool playlistCanHold(QStringView path);
