#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <memory>

// XSPF ("spiff"), the XML playlist of xspf.org, version 1, UTF-8.

struct XspfTrack {
    QString location;         // a URI as xspfLocation gives it; empty: none written
    QString title, creator;   // empty: not written
    qint64 durationMs = -1;   // negative: not written
};

// The file's bytes, each line ended by `lineEnd`, two blanks per level:
//   <?xml version="1.0" encoding="UTF-8"?>
//   <playlist version="1" xmlns="http://xspf.org/ns/0/">
//     <trackList>
//       <track>
//         <location>file:///m/a.mp3</location>
//         <title>…</title>
//         <creator>…</creator>
//         <duration>…</duration>
//       </track>
//     </trackList>
//   </playlist>
// An element only when known. Text escapes &, < and > (and nothing else);
// characters XML 1.0 cannot hold (controls but tab, LF, CR; lone surrogates;
// U+FFFE, U+FFFF) are left out.
QByteArray formatXspf(const QList<XspfTrack> &tracks, QStringView lineEnd = u"\n");
// Text as an element's content: &, < and > escaped, what XML cannot hold left out.
QString xmlText(QStringView text);

// The location of `entry` (a full path, or a URL) in a list written to `folder`:
// URLs as they are; with `relative`, a relative URI reference when the entry
// is on the folder's volume (relativeEntry, "/" separators, every byte but
// unreserved ones and "/" percent-encoded, so a ":" never reads as a scheme);
// otherwise a percent-encoded file URI (QUrl::fromLocalFile(...).toEncoded():
// "file:///m/a%20b.mp3", "file:///C:/a.mp3", "file://server/share/a.mp3").
QString xspfLocation(const QString &entry, bool relative, const QString &folder);
// The same for many entries: relative to `relativeTo`'s folder ("/" as its
// separator), or full when it is null.
class RelativeEntries;
QString xspfLocation(const QString &entry, const RelativeEntries *relativeTo);

// The first location of each track of the (first) trackList, in file order,
// as entries: file URIs as local paths (fileUriPath), relative references
// resolved against the xml:base in effect where they stand, or without one
// %XX-decoded and resolved against `folder` (resolveEntry; with an empty
// folder left relative), other URIs exactly as written (surrounding blanks
// dropped). Tracks without a location are skipped. Elements are matched by local name (any namespace or
// none), so lists with a missing or wrong namespace still read. Malformed XML
// ends the read: what was read up to the error is returned, so junk gives
// nothing and never more than the file holds; nothing is loaded from outside
// (no external entities, no DTD fetched).
QStringList parseXspf(QByteArrayView bytes, const QString &folder);

// The same in two steps: the tracks' first locations as written (blanks
// around them dropped), and one location as an entry.
QStringList xspfLocations(QByteArrayView bytes);
QString xspfEntry(const QString &location, const QString &folder);

// The same, with the xml:base in effect where the location stands (resolved,
// as XSPF scans give it; empty: none, the file's folder is the base).
QString xspfEntry(const QString &location, const QString &base, const QString &folder);

// Fills `read` with the tracks' first locations and bases, and `file` with
// where its tracks lie (kept_file.h). False when the bytes are not to be kept
// (another encoding than UTF-8, or XML that ends in an error): the entries
// are read all the same, up to the error.
class KeptFile;
struct KeptRead;
bool readXspfKept(KeptFile &file, KeptRead &read);

// Whether a location (as read, before any resolving) is a relative reference:
// no scheme, no leading "/".
bool isRelativeUriReference(QStringView location);
