#pragma once
#include "model/playlist.h"
#include "platform/files/file_fingerprint.h"
#include "playlist_io/kept_file.h"
#include "playlist_io/playlist_form.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// The open list whole, as a recovery record writes it down: the playlist
// (entries, the lines each keeps, selection, insert mode, undo record), the
// bytes of every file those lines point into, and the document around it.
struct DocumentRecord {
    PlaylistSnapshot list;
    QString path;                  // empty: a new list
    PlaylistForm form;
    ListFile listFile;             // header, trailing lines and layout; its file is written too
    FileFingerprint fingerprint;   // of `path` as last read or written
    bool listChanged = true;
};

// The record's payload (record_container.h seals it). Shares nothing with
// the snapshot's lists but reads them: safe on another thread while the
// playlist edits its own (copy-on-write) lists.
QByteArray writeDocumentRecord(const DocumentRecord &record);
// The record back, its files read again from their bytes; none when any
// part is missing or out of range (why says which).
struct DocumentRecordRead {
    std::optional<DocumentRecord> record;
    QString why;
};
DocumentRecordRead readDocumentRecord(QByteArrayView payload);

// The entries alone, as an M3U8 list a user can open.
QByteArray plainCopyOf(const DocumentRecord &record);
