#pragma once
#include "model/kept_lines.h"
#include "playlist_io/kept_file.h"
#include "playlist_io/playlist_form.h"
#include "playlist_io/playlist_type.h"

#include <QByteArray>
#include <QChar>
#include <QList>
#include <QString>

#include <memory>

// How the document's file spells its text, as plain data: the list's form
// (playlist_form.h) with its encoding by name, and the file's line end.
struct DocumentForm {
    bool relative = false;
    QChar separator = u'/';
    QString encoding = QStringLiteral("UTF-8");   // by its ICU/IANA name: "UTF-8", "GB18030"
    bool byteOrderMark = false;                     // the file starts with one
    // The list file's first line end; empty without one: lines made anew
    // take the line end of the first kept entry's file, else the type's own
    // (CR LF; XSPF LF). The fixed layout has its own always.
    QByteArray lineEnd;

    friend bool operator==(const DocumentForm &, const DocumentForm &) = default;
};

DocumentForm documentForm(const PlaylistForm &form, const QByteArray &lineEnd = {});
// The writer's form; UTF-8 for an encoding it does not know.
PlaylistForm playlistForm(const DocumentForm &form);

// What the open list is beside its entries, in one record: its file, the
// form it is saved in, the files its entries' lines were read from, and
// whether it differs from what was last read or written. Plain data: every
// part can be written down and read back (a kept file is its bytes, type and
// folder; entries name their file by its place in `files`).
struct ListDocument {
    QString path;                                // the list's file; empty: a new list
    PlaylistType type = PlaylistType::Other;     // the path's (playlistTypeOf)
    DocumentForm form;
    // Every file read into the list since it was last replaced, in the order
    // read: KeptLines::file is a place here.
    QList<std::shared_ptr<const KeptFile>> files;
    // The file whose header, trailing lines and layout the list keeps (the
    // one opened, or inserted into an empty list); -1: none.
    int listFile = -1;
    int listFileEntries = 0;   // the entries the list took from it: a PLS saved as read keeps its numbers
    bool unsaved = false;

    // The file `lines` were read from; null when nothing is kept.
    const KeptFile *fileOf(const KeptLines &lines) const
    {
        return lines.file >= 0 && lines.file < files.size() ? files.at(lines.file).get() : nullptr;
    }
    const KeptFile *keptListFile() const { return listFile >= 0 && listFile < files.size() ? files.at(listFile).get() : nullptr; }
};
