#include "list_file_workflow.h"

#include "file_dialog.h"
#include "list_state.h"
#include "message_box.h"
#include "playlist_reader.h"
#include "playlist_writer.h"

#include <QDir>

namespace {
// Qt's dialog answers with "/" everywhere; the list and its captions use the
// native separator, as the path rules do.
QString chosen(const QString &fileName)
{
    return QDir::toNativeSeparators(fileName);
}

const QString kNamed = QStringLiteral("当前列表名:");
const QString kPathIndent = QStringLiteral("    ");
} // namespace

ListFileWorkflow::ListFileWorkflow(ListState &state, MessageBox &messages, FileDialog &dialog)
    : m_state(state), m_messages(messages), m_dialog(dialog)
{
}

void ListFileWorkflow::savePrompt()
{
    // No way to cancel here: whatever the answer or the save's fate, the command goes on.
    if (m_state.listchanged() == QLatin1String("true")
        && m_messages.askYesNo(QStringLiteral("列表内容已改变!是否保存？"), kPromptTitle))
        savelist();
}

void ListFileWorkflow::newlist()
{
    savePrompt();
    m_state.setListchanged(false);
    m_state.setLabel7(QStringLiteral("当前列表未命名"));
    m_state.setLabel8(QString());
    m_state.clearEntries();
    m_state.refresh();
}

void ListFileWorkflow::openlist()
{
    savePrompt();
    const QString fileName = chosen(m_dialog.getOpenFileName());
    if (fileName.isEmpty())
        return;
    m_state.setOpenmode(QStringLiteral("clear"));
    openfile(fileName);
    if (m_readok != QLatin1String("true"))
        return;
    m_state.setLabel7(kNamed);
    m_state.setLabel8(kPathIndent + fileName);
    m_state.refresh();
    m_state.form3label4();
}

void ListFileWorkflow::insertlistfile()
{
    const QString fileName = chosen(m_dialog.getOpenFileName());
    if (fileName.isEmpty())
        return;
    m_state.setOpenmode(QStringLiteral("noclear"));
    openfile(fileName);
    m_state.setListchanged(true);
    m_state.refresh();
}

void ListFileWorkflow::savelist()
{
    if (m_state.count() == 0) {
        m_messages.exclamation(QStringLiteral("列表不能为空!"), kPromptTitle);
        return;
    }
    QString target = m_state.labelText(QStringLiteral("Label8")).trimmed();
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
    m_state.setListchanged(false);
}

void ListFileWorkflow::saveaslist()
{
    if (m_state.count() == 0) {
        m_messages.exclamation(QStringLiteral("列表不能为空!"), kPromptTitle);
        return;
    }
    const QString target = chosen(m_dialog.getSaveFileName());
    if (target.isEmpty())
        return;
    if (!savefile(target))
        return;
    m_state.setListchanged(false);
    m_state.comenabled();
    m_state.label456();
}

void ListFileWorkflow::quitprogram()
{
    savePrompt();
    if (closeOtherWindows)
        closeOtherWindows();
    if (endProgram)
        endProgram();
}

void ListFileWorkflow::openfile(const QString &fileName)
{
    const PlaylistRead read = readPlaylistFile(fileName);
    if (read.outcome == PlaylistRead::Missing) {
        m_messages.exclamation(QStringLiteral("文件不存在！"), kPromptTitle);
        m_readok = QStringLiteral("false");
        return;
    }
    if (read.outcome != PlaylistRead::ReadOk) {
        // Silent, but never "true": the list must not take the name of a
        // file it was not read from.
        m_readok = QStringLiteral("false");
        return;
    }
    if (m_state.openmode() == QLatin1String("clear")) {
        m_state.clearEntries();
        m_state.label456();
        m_state.label910();
    }
    m_state.appendUnique(read.entries);
    m_readok = QStringLiteral("true");
    m_state.setSelection(m_state.count() - 1);
}

bool ListFileWorkflow::savefile(const QString &fileName)
{
    if (fileName.isEmpty())
        return false;
    const PlaylistWrite write =
        writePlaylistFile(fileName, m_state.entries(), m_state.rules().caseSensitivity);
    if (write.outcome != PlaylistWrite::Written) {
        m_messages.exclamation(QStringLiteral("未知错误!"), kPromptTitle);
        return false;
    }
    m_state.setLabel7(kNamed);
    m_state.setLabel8(kPathIndent + fileName);
    return true;
}
