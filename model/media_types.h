#pragma once
#include "model/path_rules.h"

#include <QRegularExpression>
#include <QString>
#include <QStringList>

// What the program takes for a media file, and how it shows media files.
// The browser's filter, drops, folders named on the command line and the
// play commands all ask here, so a new file type is one more row of the
// table in media_types.cpp.
namespace MediaTypes {

// Text of the filter item that selects every media type.
extern const QString kAllTypesItem;   // "所有音频,视频文件..."
// The ten filter items, in their order in the browser's filter box.
QStringList filterItems();
// The pattern list behind the all-types item: 22 patterns, ";"-separated.
QString allTypesPattern();
// The file-list pattern a filter text selects: the text itself, or the
// all-types pattern for the all-types item (exact text only).
QString patternFor(const QString &filterText);

} // namespace MediaTypes

// Names matching a ";"-separated list of wildcard patterns ("*.MP3;*.M3U"):
// "*" stands for any run of characters, "?" for one; letter case is ignored,
// blanks around a pattern are not part of it. An empty list matches nothing.
class WildcardMatch {
public:
    explicit WildcardMatch(const QString &patterns);
    bool matches(const QString &name) const;

private:
    QRegularExpression m_expression;
};

// The order in which the browser shows names, and everything that follows
// it (a folder dropped on the list, folders named on the command line): by
// name without regard to letter case, names that differ only in case in
// their exact order. `sortAsListed` is fast for folders of many thousand names.
bool listedBefore(const QString &a, const QString &b);
void sortAsListed(QStringList &names);

// The play command's MP3 rule: the entry's extension (GetFileExt) is "MP3" in
// any case. "C:\Music.mp3\song.wav", "songmp3" and "a.mp3 " are not.
bool hasMp3Extension(const QString &entry, const PathRules &rules);
// The player's MP3 rule: the text, trailing blanks removed, ends in "MP3" in
// any case; no dot is needed ("songmp3" and "a.mp3 " are MP3 entries).
bool endsInMp3(const QString &entry);
