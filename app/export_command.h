#pragma once
#include "playlist_io/export/export_run.h"

#include <QString>

// melvora --export LIST --to FILE [选项]: the window's export, without a
// window system (the command line is read by parseCommandLine). Progress goes
// to standard error; the exit status is 0 when everything was exported, 1
// when anything failed (the list unreadable, entries missing, a copy failed,
// the file not written).
int runExportCommand(const QString &list, const ExportRequest &request);
