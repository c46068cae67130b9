#include "app/check_command.h"

#include "platform/files/entry_check.h"
#include "platform/files/regular_file.h"
#include "playlist_io/entry_paths.h"
#include "playlist_io/playlist_reader.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace {
// The entries as the list writes them; false when it cannot be read.
bool readWritten(const QString &fileName, QStringList &entries)
{
    QFile file;
    if (openRegularFile(file, fileName) != RegularFileOpen::Opened)
        return false;
    PlaylistRead read = readPlaylist(file, playlistTypeOf(fileName));
    entries = std::move(read.entries);
    return read.outcome == PlaylistRead::ReadOk;
}
} // namespace

bool isCheckCommand(const QStringList &arguments)
{
    return arguments.size() > 1 && arguments.at(1) == QLatin1String("--check");
}

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
        QStringList written;
        if (!readWritten(list, written)) {
            answer.err += QStringLiteral("melvora：无法读取列表“%1”\n").arg(list);
            unreadable = true;
            continue;
        }
        read = true;
        // Entries relative to the list's folder are checked where they lead.
        const QString folder = QFileInfo(list).absolutePath();
        QStringList full;
        full.reserve(written.size());
        for (const QString &entry : std::as_const(written))
            full.append(isAbsoluteEntry(entry) ? entry : resolveEntry(entry, folder));
        const QHash<QString, EntryHealth> unwell = checkEntries(full, probe);
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

int runCheckCommand(const QStringList &arguments)
{
    const DiskProbe disk;
    const CheckAnswer answer = checkLists(arguments.mid(2), disk);
    std::fputs(answer.out.toLocal8Bit().constData(), stdout);
    std::fflush(stdout);
    std::fputs(answer.err.toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
    return answer.exitCode;
}
