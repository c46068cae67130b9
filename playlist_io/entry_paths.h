#pragma once
#include <QString>

// Entries of lists written for a phone or a USB stick are paths relative to
// the list's own folder ("Music/a.mp3", "../b.mp3"), as every other player
// reads them. The list holds full paths, so a read resolves them.

// A URL: a scheme (a letter, then letters, digits, "+", "-" or ".") and "://".
bool isUrlEntry(const QString &entry);
// A full path on any system: "/...", "\\...", or a drive letter with a colon.
bool isAbsoluteEntry(const QString &entry);

// `entry` as a full path: URLs, full paths and empty entries as they are;
// anything else taken from `folder` (a full path in Qt's spelling, "/" between
// names) and normalised, no "." or ".." left ("..", at the root, stays there),
// in the system's own separators.
QString resolveEntry(const QString &entry, const QString &folder);
