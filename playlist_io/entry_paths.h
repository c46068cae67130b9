#pragma once
#include "model/entry_rules.h"

#include <QString>
#include <QStringView>
#include <QVarLengthArray>

// Entries of lists written for a phone or a USB stick are paths relative to
// the list's own folder ("Music/a.mp3", "../b.mp3"), as every other player
// reads them. The list holds full paths, so a read resolves them.

// `entry` as a full path: URLs, full paths and empty entries as they are;
// anything else taken from `folder` (a full path in Qt's spelling, "/" between
// names) and normalised, no "." or ".." left ("..", at the root, stays there),
// in the system's own separators.
QString resolveEntry(const QString &entry, const QString &folder);

// Whether `entry` is a file URI ("file://...", scheme in any case).
bool isFileUri(QStringView entry);
// The local path a "file://" URI names, %XX decoded, in the system's own
// separators; "file:///C:/a" gives "C:/a" (C:\a on Windows), a host other
// than "localhost" a network path ("//host/share/a"). Anything that is not a
// valid file URI comes back as written.
QString fileUriPath(const QString &entry);

// `path` (a full path) as the list file in `folder` (a full path, either
// separator) should name it: relative to the folder, "../" allowed, names
// joined by `separator`, when both are on the same volume; otherwise `path`
// unchanged. URLs, empty and relative entries come back unchanged too.
//
// Volumes are told by the text alone, so the rule is the same on every system
// and for lists written elsewhere: a drive letter ("C:", any case) or a
// network share ("//server/share", either separator, any case) is a volume,
// and every path starting with a single "/" is on one volume, "/". There is no
// asking the system for mount points: a file on another mount of the same
// machine gets "../" up to "/" and down again, which finds it as long as the
// list sits where it was saved, just as the full path would. Drive and share
// names are compared ignoring case (Windows does), POSIX names exactly.
// "." and ".." in either path are resolved first. A result that would read
// as something else (a full path or a URL: "a:b.mp3"; an M3U comment:
// "#1.mp3"; a byte-order mark) starts with "." and the separator.
QString relativeEntry(const QString &path, const QString &folder, QChar separator);

// The same for many entries and one folder, the folder taken apart once (a
// list of 100,000 entries is made relative in a few tens of milliseconds).
class RelativeEntries {
public:
    RelativeEntries(const QString &folder, QChar separator);
    RelativeEntries(const RelativeEntries &) = delete;   // holds views into its own copy of the folder
    RelativeEntries &operator=(const RelativeEntries &) = delete;
    QString operator()(const QString &path) const;

private:
    struct Split {
        QStringView volume;      // "C:", "//server/share" as written, "/"; empty: not a full path
        bool windows = false;    // a drive or share: names ignore case, "\\" separates too
        QVarLengthArray<QStringView, 24> names;   // "." and ".." resolved
    };
    static Split split(QStringView path);
    static bool sameVolume(const Split &a, const Split &b);
    QString fromPosixFolder(const QString &path) const;

    QString m_folder;
    Split m_from;
    QChar m_separator;
    QString m_posixFolder;   // "/a/b/" when the folder is a POSIX one
};
