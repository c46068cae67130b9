#include "list_file_workflow.h"

#include "file_dialog.h"
#include "message_box.h"
#include "playlist.h"
#include "playlist_reader.h"
#include "playlist_writer.h"
#include "prompt.h"
#include "window_state.h"

#include <QDir>

namespace {
// Qt's dialog answers with "/" everywhere; the list and its captions use the
// native separator, as the path rules do.
QString chosen(const QString &fileName)
{
    return QDir::toNativeSeparators(fileName);
}
} // namespace

ListFileWorkflow::ListFileWorkflow(WindowState &state, const Playlist &list, MessageBox &messages,
                                   FileDialog &dialog, QObject *parent)
    : QObject(parent), m_state(state), m_list(list), m_messages(messages), m_dialog(dialog)
{
}

void ListFileWorkflow::savePrompt()
{
    // No way to cancel here: whatever the answer or the save's fate, the command goes on.
    if (m_state.listChanged() && m_messages.askYesNo(QStringLiteral("列表内容已改变!是否保存？"), kPromptTitle))
        savelist();
}

void ListFileWorkflow::newlist()
{
    savePrompt();
    m_state.startNewList();
}

void ListFileWorkflow::openlist()
{
    savePrompt();
    const QString fileName = chosen(m_dialog.getOpenFileName());
    if (fileName.isEmpty())
        return;
    openfile(fileName, OpenMode::Clear);
}

void ListFileWorkflow::insertlistfile()
{
    const QString fileName = chosen(m_dialog.getOpenFileName());
    if (fileName.isEmpty())
        return;
    if (openfile(fileName, OpenMode::NoClear) != ReadOutcome::Read)
        m_state.insertFailed();
}

void ListFileWorkflow::savelist()
{
    if (m_list.count() == 0) {
        m_messages.exclamation(QStringLiteral("列表不能为空!"), kPromptTitle);
        return;
    }
    QString target = m_state.listPath();
    m_savedtoname = !target.isEmpty();
    if (!m_savedtoname) {
        target = chosen(m_dialog.getSaveFileName());
        if (target.isEmpty())
            return;
    }
    if (!savefile(target))
        return;
    if (m_savedtoname)
        m_messages.exclamation(QStringLiteral("列表已经保存为") + target + u'!', kPromptTitle);
}

void ListFileWorkflow::saveaslist()
{
    if (m_list.count() == 0) {
        m_messages.exclamation(QStringLiteral("列表不能为空!"), kPromptTitle);
        return;
    }
    const QString target = chosen(m_dialog.getSaveFileName());
    if (target.isEmpty())
        return;
    savefile(target);
}

void ListFileWorkflow::quitprogram()
{
    savePrompt();
    emit closeOtherWindows();
    emit endProgram();
}

ListFileWorkflow::ReadOutcome ListFileWorkflow::openfile(const QString &fileName, OpenMode mode)
{
    const PlaylistRead read = readPlaylistFile(fileName);
    if (read.outcome == PlaylistRead::Missing) {
        m_messages.exclamation(QStringLiteral("文件不存在！"), kPromptTitle);
        return ReadOutcome::Missing;
    }
    // Silent, but the list never takes the name of a file it was not read from.
    if (read.outcome != PlaylistRead::ReadOk)
        return ReadOutcome::Failed;
    if (mode == OpenMode::Clear)
        m_state.replaceWith(read.entries, fileName);
    else
        m_state.insertEntries(read.entries);
    return ReadOutcome::Read;
}

bool ListFileWorkflow::savefile(const QString &fileName)
{
    if (fileName.isEmpty())
        return false;
    const PlaylistWrite write = writePlaylistFile(fileName, m_list.entries(), m_list.rules().caseSensitivity);
    if (write.outcome != PlaylistWrite::Written) {
        m_messages.exclamation(QStringLiteral("未知错误!"), kPromptTitle);
        return false;
    }
    m_state.markSaved(fileName);
    return true;
}
