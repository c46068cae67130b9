#pragma once
#include "model/playlist.h"
#include "platform/files/file_fingerprint.h"
#include "playlist_io/list_document.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// The open list whole, as a recovery record writes it down: the playlist
// (entries, the lines each keeps, selection, insert mode, undo record), its
// document (path, type, form, the bytes of every file the lines name, the
// list file) and what the program last saw of the list's file.
struct DocumentRecord {
    PlaylistSnapshot list;
    ListDocument document;
    FileFingerprint fingerprint;   // of document.path as last read or written
    bool listChanged = true;
};

// The record's payload (record_container.h seals it). Only reads the
// snapshot's lists: safe on another thread while the playlist edits its own
// (copy-on-write) lists.
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
