#include "app/check_command.h"

#include "platform/files/entry_check.h"
#include "platform/files/file_errors.h"
#include "model/entry_rules.h"
#include "playlist_io/playlist_reader.h"

#include <cstdio>

CheckAnswer checkLists(const QStringList &lists, const FileProbe &probe)
{
    CheckAnswer answer;
    if (lists.isEmpty()) {
        answer.err = QStringLiteral("melvora：--check 需要至少一个列表文件\n");
        answer.exitCode = 2;
        return answer;
    }
    qsizetype checked = 0, missing = 0, unavailable = 0;
    bool unreadable = false, read = false;
    for (const QString &list : lists) {
        // Checked as the program would open the list (relative entries,
        // file URIs and backslashes read as it reads them), told as written.
        QStringList written;
        const PlaylistRead opened = readPlaylistFile(list, &written);
        if (opened.outcome != PlaylistRead::ReadOk) {
            answer.err += QStringLiteral("melvora：无法读取列表“%1”：%2\n")
                              .arg(list, fileErrorText(opened.error, FileUse::Read));
            unreadable = true;
            continue;
        }
        read = true;
        const QStringList &full = opened.entries;
        WorkProgress progress;
        const QHash<QString, EntryHealth> unwell = checkEntries(full, probe, progress);
        for (qsizetype i = 0; i < full.size(); ++i) {
            const EntryHealth health = unwell.value(full.at(i), EntryHealth::Present);
            if (health == EntryHealth::Missing) {
                answer.out += written.at(i) + QLatin1Char('\n');
                ++missing;
            } else if (health == EntryHealth::Unavailable) {
                ++unavailable;
            }
            if (!full.at(i).isEmpty() && !isUrlEntry(full.at(i)))
                ++checked;
        }
    }
    // Nothing read, nothing to sum up: only the errors are said.
    if (read) {
        answer.out += QStringLiteral("检查了 %1 个文件，缺失 %2 个").arg(checked).arg(missing);
        if (unavailable > 0)
            answer.out += QStringLiteral("，%1 个所在的卷未挂载").arg(unavailable);
        answer.out += QStringLiteral("。\n");
    }
    answer.exitCode = unreadable ? 2 : (missing > 0 ? 1 : 0);
    return answer;
}

int runCheckCommand(const QStringList &lists)
{
    const DiskProbe disk;
    const CheckAnswer answer = checkLists(lists, disk);
    std::fputs(answer.out.toLocal8Bit().constData(), stdout);
    std::fflush(stdout);
    std::fputs(answer.err.toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
    return answer.exitCode;
}
