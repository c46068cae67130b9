#pragma once
#include "playlist_io/export/export_options.h"

#include <QString>
#include <QStringList>

#include <functional>

class TagCache;
struct TrackTags;
class WorkProgress;

// One export from start to end, on whatever thread runs it (the window's
// long-work runner, or the command line directly): tags, copies, the bytes,
// the durable save. The list is only read.
struct ExportRequest {
    QStringList entries;   // the list's entries, full paths
    QString target;        // the playlist file to write
    ExportOptions options;
};

struct ExportReport {
    enum Outcome {
        Written,     // the playlist is on the disk (see the lists below for what was left out)
        NoSpace,     // the copies would not fit: nothing was copied or written
        Failed,      // the playlist was not written (errorString); the old file, if any, stays
        Cancelled    // stopped: no playlist written, no half-copied file left
    };
    Outcome outcome = Failed;
    QString errorString;      // Failed: what went wrong, in Chinese, naming the file or folder
    QString errorPath;        // Failed, NoSpace: the file or folder it was about
    QStringList missing;      // entries with no file to copy, left out of the playlist
    QStringList copyFailed;   // entries whose copy failed, left out; with copyErrors beside
    QStringList copyErrors;   // in Chinese
    QStringList outsideGbk;   // entries GBK cannot hold in a GB18030 file
    qsizetype exported = 0;   // entries the playlist names (Written)
    int copied = 0;           // new copies
    int kept = 0;             // identical files already there
    qint64 bytesNeeded = 0;   // NoSpace: what the copies need, and what the disk has
    qint64 bytesFree = 0;

    // Nothing failed or was left out.
    bool complete() const { return outcome == Written && missing.isEmpty() && copyFailed.isEmpty(); }
};

// What keeps an export from writing to `target`, in Chinese: a name held by
// a folder or another file that is not a regular one. Empty when nothing does.
// The window asks before its questions; runExport asks before it does anything.
QString exportTargetProblem(const QString &target);

// A size for messages: "3.4 MB", base 1024, one decimal, in KB, MB or GB.
QString sizeText(qint64 bytes);

// What was wrong or left out, in Chinese, one fact a line (names listed
// below their line, at most `namesShown` of each kind unless it is -1);
// empty when the export is complete.
QString exportReportText(const ExportReport &report, qsizetype namesShown = -1);

// What runExport is doing, for a progress line: "正在读取标签", "正在复制文件",
// "正在写入列表", with files done and in all.
using ExportStep = std::function<void(const QString &what, qint64 done, qint64 total)>;

ExportReport runExport(const ExportRequest &request, TagCache &tags, WorkProgress &progress,
                       const ExportStep &step = {});

// What the copy of the `index`th of `count` entries is called in the target
// folder: its file name, or "<nnn> - <name>.<ext>" numbered; FAT-safe.
QString exportCopyName(const QString &entry, qsizetype index, qsizetype count, const TrackTags &tags, bool numbered);

// Whether the request reads tags: formats with names and lengths, and numbered copies.
bool exportReadsTags(const ExportOptions &options);
