#include "main_window/file_intake.h"

#include "main_window/workflow/list_file_workflow.h"
#include "platform/message_box.h"
#include "model/media_types.h"
#include "model/playlist.h"
#include "playlist_io/playlist_type.h"
#include "main_window/prompt/prompt.h"
#include "platform/files/folder_walk.h"
#include "platform/work/long_work.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

// The files under `folder` that the pattern takes, as full native paths:
// the folder's own files by name, then each subfolder's likewise. Hidden
// files and folders are left out, as the browser leaves them out; links to
// folders are not followed, so no folder is walked twice.
void collect(const QString &folder, const QString &pattern, QStringList &out, WorkProgress &progress)
{
    FolderWalk walk;
    walk.kind = FolderWalk::Kind::Files;
    walk.depth = FolderWalk::kAllLevels;
    walk.pattern = pattern;
    walk.fullPaths = true;
    out << walkFolder(folder, walk, progress);
}

// "title：" and the names, one a line; a long list ends with how many more.
QString listing(const QString &title, const QStringList &paths)
{
    constexpr int kShown = 10;
    QStringList lines = paths.mid(0, kShown);
    if (paths.size() > kShown)
        lines << QStringLiteral("……等 %1 个文件").arg(paths.size());
    return title + QStringLiteral("\n") + lines.join(QLatin1Char('\n'));
}

} // namespace

FileIntake::Sorted FileIntake::sort(const QStringList &paths, const QString &mediaPattern,
                                    const QString &folderPattern, WorkProgress &progress)
{
    const WildcardMatch media(mediaPattern);
    Sorted out;
    const auto block = [&out]() -> QStringList & {
        if (out.runs.isEmpty() || out.runs.constLast().playlist)
            out.runs.append(Sorted::Run{false, {}});
        return out.runs.last().paths;
    };
    for (const QString &given : paths) {
        const QFileInfo info(given);
        const QString path = QDir::toNativeSeparators(QDir::cleanPath(info.absoluteFilePath()));
        if (info.isDir()) {
            collect(path, folderPattern, block(), progress);
        } else if (playlistTypeOf(info.fileName()) != PlaylistType::Other) {
            // Missing or not, the open and insert commands have their say.
            out.runs.append(Sorted::Run{true, {path}});
        } else if (!info.exists() && !info.isSymLink()) {
            out.missing << path;
        } else if (media.matches(info.fileName())) {
            block() << path;
        } else {
            out.unknown << path;
        }
    }
    // A folder with nothing in it leaves an empty block behind.
    out.runs.removeIf([](const Sorted::Run &run) { return !run.playlist && run.paths.isEmpty(); });
    return out;
}

FileIntake::FileIntake(Playlist &list, ListFileWorkflow &workflow, MessageBox &messages, LongWork &work)
    : m_list(list), m_workflow(workflow), m_messages(messages), m_work(work)
{
}

void FileIntake::drop(const QStringList &paths, const QString &folderPattern)
{
    take(paths, folderPattern, false);
}

void FileIntake::open(const QStringList &paths, const QString &folderPattern)
{
    take(paths, folderPattern, true);
}

void FileIntake::take(const QStringList &paths, const QString &folderPattern, bool openFirstPlaylist)
{
    // Names given relative to the current folder are taken from it now.
    QStringList absolute;
    absolute.reserve(paths.size());
    for (const QString &p : paths)
        absolute << (p.isEmpty() ? p : QFileInfo(p).absoluteFilePath());
    const QString media = MediaTypes::allTypesPattern();
    m_work.run<Sorted>(
        QStringLiteral("正在读取文件…"),
        [absolute, media, folderPattern](WorkProgress &progress) {
            return sort(absolute, media, folderPattern, progress);
        },
        [this, openFirstPlaylist](Sorted &sorted) { land(sorted, openFirstPlaylist); });
}

void FileIntake::land(Sorted &sorted, bool openFirstPlaylist)
{
    if (openFirstPlaylist) {
        // The list opened first, so that nothing added before it is replaced.
        const auto first = std::find_if(sorted.runs.begin(), sorted.runs.end(),
                                        [](const Sorted::Run &run) { return run.playlist; });
        if (first != sorted.runs.end()) {
            const QString list = first->paths.constFirst();
            sorted.runs.erase(first);
            m_workflow.openlist(list);
        }
    }
    int duplicates = 0, lineBreaks = 0;
    for (const Sorted::Run &run : std::as_const(sorted.runs)) {
        if (run.playlist) {
            m_workflow.insertlistfile(run.paths.constFirst());
        } else {
            const Playlist::AddedFiles added = m_list.addFiles(run.paths);
            duplicates += added.duplicates;
            lineBreaks += added.lineBreaks;
        }
    }
    if (duplicates > 0)
        m_messages.exclamation(kDuplicateFileMessage, kPromptTitle);
    if (lineBreaks > 0)
        m_messages.exclamation(kLineBreakMessage, kPromptTitle);
    if (!sorted.missing.isEmpty())
        m_messages.exclamation(listing(QStringLiteral("文件不存在："), sorted.missing), kPromptTitle);
    if (!sorted.unknown.isEmpty())
        m_messages.exclamation(listing(QStringLiteral("不是媒体文件或播放列表，无法加入列表："), sorted.unknown),
                               kPromptTitle);
}
