#pragma once
#include <QtGlobal>

#include <type_traits>

// What a list file said of an entry besides its path: where the entry's own
// lines lie in the bytes of the file it was read from (its #EXTINF and
// comments, its PLS keys, its XSPF track). An entry added in this run has
// none. They travel with the entry through every move, sort, undo and insert,
// so that the list is saved back with them. The file is named by its place
// among the files the list's document keeps (playlist_io/list_document.h):
// what those bytes say is for the list files' reader and writer to tell.
// Plain data, copied as bytes.
struct KeptLines {
    qint32 file = -1;                       // the file's place in the document; -1: nothing kept
    quint32 begin = 0;                      // the entry's bytes in the file: [begin, end)
    quint32 end : 31 = 0;                   // list files are far below 2 GB
    // The entry was given another path since it was read (a moved file found,
    // a path start replaced): its path line is to be written anew, the rest kept.
    bool pathReplaced : 1 = false;

    bool isEmpty() const { return file < 0; }
    friend bool operator==(const KeptLines &, const KeptLines &) = default;
};
static_assert(sizeof(KeptLines) == 12 && std::is_trivially_copyable_v<KeptLines>);
