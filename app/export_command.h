#pragma once
#include "playlist_io/export/export_run.h"

#include <QString>
#include <QStringList>

// melvora --export LIST --to FILE [选项]: the window's export, without a
// window system. Progress goes to standard error; the exit status is 0 when
// everything was exported, 1 when anything failed (the list unreadable,
// entries missing, a copy failed, the file not written), 2 for a command
// line that names no export it can run.
struct ExportCommand {
    bool ok = false;
    QString error;     // when not ok: what was wrong, in Chinese, one line
    QString list;      // the list to read
    ExportRequest request;   // without entries: they are read from `list`
};

// True when the arguments (the program's name first) ask for an export.
bool isExportCommand(const QStringList &arguments);
ExportCommand parseExportCommand(const QStringList &arguments);

// Parses, reads the list, exports and reports; returns the exit status.
// --help and --version beside --export answer as they always do.
int runExportCommand(const QStringList &arguments, const QString &version);
