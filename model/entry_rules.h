#pragma once
#include <QString>
#include <QStringView>

// What a playlist entry is and what it may hold. An entry is a URL, a full
// path or a path relative to the list's own folder; every rule that needs to
// tell them apart asks here.

// A URL: a scheme (a letter, then letters, digits, "+", "-" or ".") and "://".
bool isUrlEntry(const QString &entry);
// A full path on any system: "/...", "\\...", or a drive letter with a colon.
bool isAbsoluteEntry(const QString &entry);
// Starts with a drive letter and its colon ("C:", "d:"): a volume by its name alone.
bool startsWithDrive(QStringView path);
// Neither empty, nor a URL, nor a full path: a path from the list's own folder.
bool isRelativeEntry(const QString &entry);

// What a playlist entry may hold: no CR or LF, since a playlist file would
// read such a path back as two entries. Lists refuse such paths when adding
// them, and the writers check them before writing.
bool playlistCanHold(QStringView path);
