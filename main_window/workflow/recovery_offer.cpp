#include "main_window/workflow/recovery_offer.h"

#include "main_window/prompt/prompt.h"
#include "main_window/workflow/list_file_workflow.h"
#include "platform/message_box.h"
#include "platform/recovery/record_container.h"
#include "platform/recovery/recovery_store.h"
#include "playlist_io/recovery_record.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
std::optional<DocumentRecord> readRecordFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const OpenedRecord opened = openRecord(file.readAll());
    if (!opened.payload)
        return std::nullopt;
    return readDocumentRecord(*opened.payload).record;
}

QString questionFor(const DocumentRecord &record, const QDateTime &written, qsizetype others)
{
    const QString facts = QStringLiteral("（%1 项，%2）")
                              .arg(record.list.entries.size())
                              .arg(written.toString(QStringLiteral("yyyy-MM-dd HH:mm")));
    QString text = record.document.path.isEmpty()
                       ? QStringLiteral("上次没有保存的新列表%1可以恢复。是否恢复？").arg(facts)
                       : QStringLiteral("上次没有保存的列表“%1”%2可以恢复。是否恢复？")
                             .arg(QFileInfo(record.document.path).fileName(), facts);
    if (others > 0)
        text += QStringLiteral("另有 %1 个未恢复的列表。").arg(others);
    return text;
}
} // namespace

RecoveryOffered offerRecovery(RecoveryStore &store, ListFileWorkflow &workflow, MessageBox &messages)
{
    store.removeOld(QDateTime::currentDateTime());
    QList<RecoveryStore::Dead> dead = store.deadRecords();
    while (!dead.isEmpty()) {
        const RecoveryStore::Dead newest = dead.takeFirst();
        std::unique_ptr<QLockFile> lock = store.take(newest.path);
        if (!lock)
            continue;   // another program starting took it
        const std::optional<DocumentRecord> record = readRecordFile(newest.path);
        if (!record) {
            const QString folder = store.moveAside(newest.path, QStringLiteral("damaged"));
            messages.exclamation(QStringLiteral("恢复信息“%1”已损坏，已移到“%2”。")
                                     .arg(QFileInfo(newest.path).fileName(), QDir::toNativeSeparators(folder)),
                                 kPromptTitle);
            continue;
        }
        switch (messages.askYesNo(questionFor(*record, newest.written, dead.size()), kPromptTitle,
                                  MessageBox::Answer::Yes)) {
        case MessageBox::Answer::Yes:
            store.adopt(newest.path, std::move(lock));
            workflow.restore(*record);
            return {true, record->document.path};
        case MessageBox::Answer::No:
            store.moveAside(newest.path, QStringLiteral("discarded"), plainCopyOf(*record), QStringLiteral(".m3u8"));
            return {};
        case MessageBox::Answer::Cancel:
            return {};
        }
    }
    return {};
}
