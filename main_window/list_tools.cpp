#include "main_window/list_tools.h"

#include "main_window/missing_entries.h"
#include "main_window/prompt/prompt.h"
#include "model/playlist.h"
#include "model/relocation.h"
#include "platform/files/entry_check.h"
#include "platform/files/folder_walk.h"
#include "platform/message_box.h"
#include "main_window/repair_dialogs.h"
#include "platform/work/long_work.h"

#include <QWidget>

ListTools::ListTools(Playlist &list, MissingEntries &missing, Services services, QWidget *window,
                     std::function<quint32()> seed)
    : QObject(window), m_list(list), m_missing(missing), m_messages(services.messages),
      m_dialogs(services.dialogs), m_files(services.files), m_work(services.work),
      m_seed(std::move(seed))
{
}

bool ListTools::anyMissing()
{
    if (m_missing.missingCount() > 0)
        return true;
    // Until the check has landed, "none" would not be known to be true.
    m_messages.exclamation(m_missing.isChecking() ? QStringLiteral("正在检查文件，请稍后再试。")
                                                  : QStringLiteral("没有缺失的文件。"),
                           kPromptTitle);
    return false;
}

void ListTools::selectNextMissing()
{
    if (!anyMissing())
        return;
    const int n = m_list.count();
    for (int step = 1; step <= n; ++step) {
        const int i = (m_list.selection() + step + n) % n;
        if (m_missing.isMissing(m_list.entry(i))) {
            m_list.selectByUser(i);
            return;
        }
    }
}

void ListTools::removeMissing()
{
    if (!anyMissing())
        return;
    const MissingEntries &missing = m_missing;
    const int removed = m_list.removeWhere([&missing](const QString &entry) { return missing.isMissing(entry); });
    if (removed > 0)
        m_messages.exclamation(QStringLiteral("已从列表中删除 %1 个缺失的条目。").arg(removed), kPromptTitle);
}

void ListTools::sort(ListOrder order)
{
    m_list.reorder(listOrder(m_list.entries(), order, m_list.rules(), m_seed ? m_seed() : 0));
}

QList<int> ListTools::missingPositions() const
{
    QList<int> positions;
    for (int i = 0; i < m_list.count(); ++i) {
        if (m_missing.isMissing(m_list.entry(i)))
            positions.append(i);
    }
    return positions;
}

void ListTools::tell(QString text, int dropped)
{
    if (dropped > 0)
        text += QStringLiteral("\n有 %1 个条目因与前面的条目相同而被删除。").arg(dropped);
    m_messages.exclamation(text, kPromptTitle);
}

void ListTools::relocate()
{
    if (!anyMissing())
        return;
    const QString folder = m_dialogs.chooseFolder(QStringLiteral("选择移动后的文件所在的文件夹"));
    if (folder.isEmpty())
        return;
    m_work.run<QStringList>(
        QStringLiteral("正在查找文件…"),
        [folder](WorkProgress &progress) {
            // Every file under it, hidden ones and those in hidden folders too;
            // links to folders are not followed.
            FolderWalk walk;
            walk.kind = FolderWalk::Kind::Files;
            walk.hidden = true;
            walk.special = true;
            walk.depth = FolderWalk::kAllLevels;
            walk.pattern = QStringLiteral("*");
            walk.fullPaths = true;
            return walkFolder(folder, walk, progress);
        },
        [this](QStringList &files) { relocateAmong(files); });
}

void ListTools::relocateAmong(const QStringList &files)
{
    // The list as it is now: it may have changed while the folder was read.
    Relocation relocation(m_list.entries(), missingPositions(), files, m_list.rules());
    while (const std::optional<Relocation::Question> q = relocation.next()) {
        const int answer = m_dialogs.chooseFile(m_list.entry(q->position), q->candidates, q->number, q->count);
        if (answer == RepairDialogs::Cancel)
            return;   // nothing applied
        if (answer == RepairDialogs::SkipAll)
            relocation.skipAll();
        else if (answer >= 0 && answer < q->candidates.size())
            relocation.answer(q->candidates.at(answer));
        else
            relocation.skip();
    }
    const int dropped = m_list.changePaths(relocation.paths());
    tell(QStringLiteral("找到 %1 个文件，选择了 %2 个，仍缺失 %3 个。")
             .arg(relocation.found())
             .arg(relocation.chosen())
             .arg(relocation.stillMissing()),
         dropped);
}

void ListTools::replacePrefix()
{
    // The folder start the missing entries share is the likeliest to replace.
    QStringList missing;
    for (int position : missingPositions())
        missing.append(m_list.entry(position));
    RepairDialogs::Prefix suggested;
    suggested.from = sharedFolderStart(missing, m_list.rules());
    const std::optional<RepairDialogs::Prefix> asked = m_dialogs.askPrefix(suggested);
    if (!asked)
        return;
    const QHash<int, QString> changed = ::replacePrefix(m_list.entries(), asked->from, asked->to, m_list.rules());
    if (changed.isEmpty()) {
        m_messages.exclamation(QStringLiteral("没有以“%1”开头的文件。").arg(asked->from), kPromptTitle);
        return;
    }
    const QStringList paths = changed.values();
    const FileProbe &probe = m_files;
    const QStringList before = m_list.entries();
    m_work.run<int>(
        QStringLiteral("正在检查文件…"),
        [paths, &probe](WorkProgress &progress) {
            const auto unwell = checkEntries(paths, probe, progress);
            return int(paths.size() - unwell.size());
        },
        [this, changed, before](int &existing) {
            // What was counted is what is applied, or nothing.
            if (m_list.entries() != before)
                return;
            const QString question = QStringLiteral("将改变 %1 个文件的路径，改变后其中 %2 个文件存在。\n是否替换？")
                                         .arg(changed.size())
                                         .arg(existing);
            if (m_messages.askYesNo(question, kPromptTitle) != MessageBox::Answer::Yes)
                return;
            const int dropped = m_list.changePaths(changed);
            tell(QStringLiteral("已替换 %1 个文件的路径。").arg(changed.size()), dropped);
        });
}
