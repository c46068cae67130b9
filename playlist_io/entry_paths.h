#pragma once
#include "model/entry_rules.h"
#include "platform/files/volumes.h"

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
// Volumes are told by the text (pathVolume), so the rule is the same on every
// system and for lists written elsewhere: a drive letter or a network share
// is a volume, and every path starting with a single "/" is on one volume,
// "/". relativeEntry() asks the system for no mount points: a file on
// another mount of the same machine gets "../" up to "/" and down again,
// which finds it as long as the list sits where it was saved, just as the
// full path would. Drive and share names are compared ignoring case (Windows
// does), POSIX names exactly.
// "." and ".." in either path are resolved first. A result that would read
// as something else (a full path or a URL: "a:b.mp3"; an M3U comment:
// "#1.mp3"; a byte-order mark) starts with "." and the separator.
QString relativeEntry(const QString &path, const QString &folder, QChar separator);

// The same for many entries and one folder, the folder taken apart once (a
// list of 100,000 entries is made relative in a few tens of milliseconds).
// `mounts`, when given (it must outlive this), tells the volumes under "/"
// apart too: a POSIX path that it finds on another volume than the folder
// comes back unchanged. A drive or share decides by its text alone.
class RelativeEntries {
public:
    RelativeEntries(const QString &folder, QChar separator, const VolumeFinder *mounts = nullptr);
    RelativeEntries(const RelativeEntries &) = delete;   // holds views into its own copy of the folder
    RelativeEntries &operator=(const RelativeEntries &) = delete;
    QString operator()(const QString &path) const;

private:
    struct Split {
        PathVolume volume;
        QVarLengthArray<QStringView, 24> names;   // "." and ".." resolved
    };
    static Split split(QStringView path);
    QString fromPosixFolder(const QString &path) const;

    QString m_folder;
    Split m_from;
    QChar m_separator;
    QString m_posixFolder;   // "/a/b/" when the folder is a POSIX one
    const VolumeFinder *m_mounts;
    QString m_folderMount;   // the folder's volume by m_mounts
};
