#pragma once
#include <QString>
#include <QStringView>

#include <span>

// A playlist file's format follows its name, never its content.
enum class PlaylistType { M3u, Pls, Xspf, Other };

// The kinds of list file the program reads and writes, one row each, in the
// order the list dialogs offer them (the first is in force when a dialog
// first shows). Everything that names them (the dialogs' filters and type
// column, Save As's extension, the export's formats, --help) is made from
// this table: a new kind is one more row (with its reader and writer
// branches when it is a new type).
struct PlaylistFileType {
    QStringView suffix;    // the end of the name, in any case, no dot needed: "m3u8"
    PlaylistType type;
    bool utf8Only;         // written in UTF-8 whatever encoding the list came in
    QStringView filter;    // the list dialogs' filter: "play list file(*.m3u8)"
};
std::span<const PlaylistFileType> playlistFileTypes();

// The first row whose suffix ends the name (trailing blanks removed, any
// case), or null. No suffix of the table ends another.
const PlaylistFileType *playlistFileTypeOf(const QString &fileName);
// The place of that row in playlistFileTypes(): the dialogs' filter for the
// name; 0, the first, for a name of none.
int playlistFilterOf(const QString &fileName);
// The dialogs' filters in their order, joined by ";;" as QFileDialog takes them.
QString playlistDialogFilter();

// The type of the row the name ends in, Other for none: "M3U" and "M3U8" are
// M3u, "PLS" is Pls, "XSPF" is Xspf.
PlaylistType playlistTypeOf(const QString &fileName);

// Whether the name's row is always UTF-8 (".m3u8").
bool isUtf8OnlyName(const QString &fileName);
