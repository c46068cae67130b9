#pragma once
#include <QtGlobal>

#include <memory>
#include <type_traits>

// The bytes of a list file as it was read, never changed. What they say is
// for the list files' reader and writer to tell (playlist_io/kept_file.h); the
// list only carries them, and keeps alive every file its entries point into.
class KeptFile;

// What a list file said of an entry besides its path: where the entry's own
// lines lie in the file's bytes (its #EXTINF and comments, its PLS keys, its
// XSPF track). An entry added in this run has none. They travel with the
// entry through every move, sort, undo and insert, so that the list is saved
// back with them.
// Plain data, copied as bytes, 16 of them.
struct KeptLines {
    const KeptFile *file = nullptr;         // null: nothing kept
    quint32 begin = 0;                      // the entry's bytes in the file: [begin, end)
    quint32 end : 31 = 0;                   // list files are far below 2 GB
    // The entry was given another path since it was read (a moved file found,
    // a path start replaced): its path line is to be written anew, the rest kept.
    bool pathReplaced : 1 = false;

    bool isEmpty() const { return !file; }
    friend bool operator==(const KeptLines &, const KeptLines &) = default;
};
static_assert(sizeof(KeptLines) == 16 && std::is_trivially_copyable_v<KeptLines>);
