#include "main_window/workflow/list_file_workflow.h"

#include "platform/file_dialog.h"
#include "platform/files/file_errors.h"
#include "platform/message_box.h"
#include "model/playlist.h"
#include "playlist_io/playlist_reader.h"
#include "playlist_io/playlist_writer.h"
#include "main_window/prompt/prompt.h"
#include "main_window/workflow/list_reads.h"
#include "main_window/workflow/save_tags.h"
#include "model/window_state.h"

#include <QDir>
#include <QFileInfo>

namespace {
// Qt's dialog answers with "/" everywhere; the list and its captions use the
// native separator, as the path rules do.
QString chosen(const QString &fileName)
{
    return QDir::toNativeSeparators(fileName);
}

// A save dialog's answer as it is written: a name without a playlist's
// extension gets the one of the filter chosen, so the list is never written
// as nothing under another name.
QString savableName(const FileDialog::SaveName &answer)
{
    const QString name = chosen(answer.fileName);
    if (name.isEmpty() || playlistTypeOf(name) != PlaylistType::Other)
        return name;
    const std::span<const PlaylistFileType> types = playlistFileTypes();
    const PlaylistFileType &type = types[answer.filter >= 0 && size_t(answer.filter) < types.size() ? answer.filter : 0];
    return name + u'.' + type.suffix.toString();
}
} // namespace

ListFileWorkflow::ListFileWorkflow(WindowState &state, const Playlist &list, MessageBox &messages,
                                   FileDialog &dialog, SaveTags *tags, ListReads *reads, QObject *parent)
    : QObject(parent), m_state(state), m_list(list), m_messages(messages), m_dialog(dialog), m_tags(tags),
      m_reads(reads)
{
    // Any change of the entries makes the document differ from its file; so
    // does every other edit but the insert mode's and an add-all that added
    // nothing (an insert does even when it added nothing).
    connect(&list, &Playlist::entriesChanged, this, [this] { setUnsaved(true); });
    connect(&m_list, &Playlist::edited, this, [this](Edit what) {
        if (what != Edit::InsertModeSet && what != Edit::NothingAdded)
            setUnsaved(true);
    });
    // Many programs replace a file by renaming another over it: the folder
    // tells of that, and the file is watched again.
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &ListFileWorkflow::onDiskChanged);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &ListFileWorkflow::onDiskChanged);
}

void ListFileWorkflow::setUnsaved(bool unsaved)
{
    if (unsaved == m_document.unsaved)
        return;
    m_document.unsaved = unsaved;
    emit unsavedChanged(unsaved);
}

void ListFileWorkflow::takeDocument(ListDocument document)
{
    document.unsaved = m_document.unsaved;
    m_document = std::move(document);
    emit formChanged();
}

void ListFileWorkflow::settled(const QString &path, const FileFingerprint &fingerprint, bool unsaved)
{
    m_document.path = path;
    m_document.type = playlistTypeOf(path);
    m_fingerprint = fingerprint;
    m_reloadWanted = false;
    m_answered.clear();
    watch(path);
    setUnsaved(unsaved);
}

void ListFileWorkflow::watch(const QString &path)
{
    if (!m_watcher.files().isEmpty())
        m_watcher.removePaths(m_watcher.files());
    if (!m_watcher.directories().isEmpty())
        m_watcher.removePaths(m_watcher.directories());
    if (path.isEmpty())
        return;
    m_watcher.addPath(QFileInfo(path).absolutePath());
    if (QFileInfo::exists(path))
        m_watcher.addPath(path);
}

void ListFileWorkflow::onDiskChanged()
{
    const QString path = m_state.listPath();
    if (path.isEmpty() || m_fingerprint.isNull())
        return;
    if (!m_watcher.files().contains(path) && QFileInfo::exists(path))
        m_watcher.addPath(path);   // renamed over: the new file
    if (m_document.unsaved)
        return;
    // The file is read and hashed off the UI thread: a large list on a slow
    // stick takes a while, and many programs write in bursts.
    m_looking.run<FileLook>(
        QString(), [path](WorkProgress &) { return lookAt(path, kPlaylistMaxBytes); },
        [this, path](FileLook &look) {
            if (path != m_state.listPath() || look.outcome != FileLook::Read)
                return;
            // Changed back before it was asked about: nothing to ask.
            if (look.fingerprint.sameContent(m_fingerprint)) {
                m_reloadWanted = false;
                return;
            }
            if (m_document.unsaved || look.fingerprint.hash == m_answered)
                return;
            m_seen = look.fingerprint;   // the newest change is the one asked about
            if (!std::exchange(m_reloadWanted, true))
                emit reloadWanted();
        });
}

void ListFileWorkflow::askReload()
{
    if (!m_reloadWanted)
        return;
    m_reloadWanted = false;
    const QString path = m_state.listPath();
    // Edited meanwhile: the save's check speaks for the file then. A change
    // after the one seen is looked at again, once the watcher tells of it.
    if (m_document.unsaved)
        return;
    m_answered = m_seen.hash;
    const QString question = QStringLiteral("“%1”已被其他程序修改。是否重新打开？").arg(QFileInfo(path).fileName());
    if (m_messages.askYesNo(question, kPromptTitle, MessageBox::Answer::Yes) != MessageBox::Answer::Yes)
        return;
    // In the code page the list was read in (chosen or found); a UTF-8 list
    // is judged again, since a mark or a line in another code page decides.
    const TextEncoding inUse = form().encoding;
    openfile(path, OpenMode::Clear, isCodePage(inUse) ? std::optional(inUse) : std::nullopt);
}

bool ListFileWorkflow::mayOverwrite(const QString &fileName)
{
    if (m_fingerprint.isNull() || fileName != m_state.listPath())
        return true;
    // Gone, or no longer a file that can be read: the write says what it finds.
    const FileLook look = lookAt(fileName, kPlaylistMaxBytes);
    if (look.outcome != FileLook::Read || look.fingerprint.sameContent(m_fingerprint))
        return true;
    const QString question =
        QStringLiteral("“%1”已被其他程序修改。是否用本列表覆盖它？").arg(QFileInfo(fileName).fileName());
    return m_messages.askYesNo(question, kPromptTitle, MessageBox::Answer::No) == MessageBox::Answer::Yes;
}

DocumentRecord ListFileWorkflow::documentRecord() const
{
    return DocumentRecord{m_list.snapshot(), m_document, m_fingerprint, m_state.listChanged()};
}

void ListFileWorkflow::restore(const DocumentRecord &record)
{
    takeDocument(record.document);
    m_state.restore(record.list, record.document.path, true);
    settled(record.document.path, record.fingerprint, true);
}

bool ListFileWorkflow::savePrompt()
{
    if (!m_state.listChanged())
        return true;
    switch (m_messages.askYesNo(QStringLiteral("列表内容已改变!是否保存？"), kPromptTitle)) {
    case MessageBox::Answer::Yes: {
        // A list that could not be saved is not thrown away; an empty one
        // has nothing to lose.
        const SaveOutcome saved = save();
        return saved == SaveOutcome::Saved || saved == SaveOutcome::EmptyList;
    }
    case MessageBox::Answer::No:
        return true;
    case MessageBox::Answer::Cancel:
        break;
    }
    return false;
}

void ListFileWorkflow::newlist()
{
    if (savePrompt()) {
        m_state.startNewList();
        takeDocument(ListDocument{});
        settled(QString(), {});
    }
}

void ListFileWorkflow::openlist()
{
    if (!savePrompt())
        return;
    const QString fileName = chosen(m_dialog.getOpenFileName());
    if (!fileName.isEmpty())
        openfile(fileName, OpenMode::Clear);
}

void ListFileWorkflow::openlist(const QString &fileName)
{
    if (savePrompt())
        openfile(fileName, OpenMode::Clear);
}

void ListFileWorkflow::insertlistfile()
{
    const QString fileName = chosen(m_dialog.getOpenFileName());
    if (!fileName.isEmpty())
        insertlistfile(fileName);
}

void ListFileWorkflow::insertlistfile(const QString &fileName)
{
    // A missing file still marks the list as changed, as inserts always have;
    // a refused one changes nothing.
    if (openfile(fileName, OpenMode::NoClear) == ReadOutcome::Missing)
        m_state.insertFailed();
}

void ListFileWorkflow::savelist()
{
    save();
}

ListFileWorkflow::SaveOutcome ListFileWorkflow::save()
{
    if (m_list.count() == 0) {
        m_messages.exclamation(QStringLiteral("列表不能为空!"), kPromptTitle);
        return SaveOutcome::EmptyList;
    }
    QString target = m_document.path;
    m_savedtoname = !target.isEmpty();
    if (!m_savedtoname) {
        target = savableName(m_dialog.getSaveFileName(playlistFilterOf(target)));
        if (target.isEmpty())
            return SaveOutcome::Cancelled;
    }
    if (const SaveOutcome saved = savefile(target); saved != SaveOutcome::Saved)
        return saved;
    if (m_savedtoname)
        m_messages.exclamation(QStringLiteral("列表已经保存为") + target + u'!', kPromptTitle);
    return SaveOutcome::Saved;
}

void ListFileWorkflow::saveaslist()
{
    if (m_list.count() == 0) {
        m_messages.exclamation(QStringLiteral("列表不能为空!"), kPromptTitle);
        return;
    }
    const QString target = savableName(m_dialog.getSaveFileName(playlistFilterOf(m_document.path)));
    if (!target.isEmpty())
        savefile(target);
}

void ListFileWorkflow::reopenIn(TextEncoding encoding)
{
    const QString fileName = m_state.listPath();
    if (!fileName.isEmpty() && savePrompt())
        openfile(fileName, OpenMode::Clear, encoding);
}

bool ListFileWorkflow::quitprogram()
{
    if (!savePrompt())
        return false;
    emit closeOtherWindows();
    emit endProgram();
    return true;
}

ListFileWorkflow::ReadOutcome ListFileWorkflow::openfile(const QString &fileName, OpenMode mode,
                                                        std::optional<TextEncoding> encoding)
{
    // The format follows the name: any other name would be read as nothing
    // and, once saved, overwritten with nothing.
    if (playlistTypeOf(fileName) == PlaylistType::Other) {
        m_messages.exclamation(QStringLiteral("只能打开M3U或PLS播放列表文件！"), kPromptTitle);
        return ReadOutcome::Refused;
    }
    const std::optional<PlaylistRead> reading =
        m_reads ? m_reads->read(fileName, encoding) : readPlaylistFile(fileName, nullptr, encoding);
    if (!reading)
        return ReadOutcome::Cancelled;
    const PlaylistRead &read = *reading;
    if (read.outcome == PlaylistRead::Missing) {
        m_messages.exclamation(QStringLiteral("文件不存在！"), kPromptTitle);
        return ReadOutcome::Missing;
    }
    if (read.outcome != PlaylistRead::ReadOk) {
        m_messages.exclamation(QStringLiteral("该文件无法读取！\n") + fileFailureLine(fileName, read.error, FileUse::Read),
                               kPromptTitle);
        return ReadOutcome::Refused;
    }
    // The list takes the file's form, header and trailing lines when the
    // file is all it holds.
    const bool takesFile = mode == OpenMode::Clear || m_list.count() == 0;
    if (mode == OpenMode::Clear)
        m_document.files.clear();
    // The read names its file as the first; here it takes its place among the document's.
    QList<KeptLines> lines = read.lines;
    int place = -1;
    if (read.file) {
        place = int(m_document.files.size());
        m_document.files.append(read.file);
        if (place > 0) {
            for (KeptLines &k : lines) {
                if (!k.isEmpty())
                    k.file = place;
            }
        }
    }
    // The record is whole before the list changes, for those who ask it then.
    if (takesFile) {
        m_document.form = documentForm(read.form, read.file ? read.file->lineEnd : QByteArray());
        m_document.listFile = place;
    }
    if (mode == OpenMode::Clear)
        m_state.replaceWith(read.entries, fileName, lines);
    else
        m_state.insertEntries(read.entries, lines);
    if (takesFile) {
        m_document.listFileEntries = m_list.count();
        emit formChanged();
    }
    if (mode == OpenMode::Clear)
        settled(fileName, read.fingerprint);
    return ReadOutcome::Read;
}

bool ListFileWorkflow::holdsAll(const QStringList &entries, const QString &fileName)
{
    const PlaylistType type = playlistTypeOf(fileName);
    const TextEncoding held = form().encoding;
    const TextEncoding encoding = isUtf8OnlyName(fileName) || type == PlaylistType::Xspf ? utf8Only(held) : held;
    const QList<qsizetype> unheld = entriesNotHeld(entries, encoding);
    if (unheld.isEmpty())
        return true;
    const QString question = QStringLiteral("列表的编码（%1）不能写出“%2”等 %3 项。是否改用 UTF-8 保存整个列表？")
                                 .arg(encodingTitle(encoding), entries.at(unheld.front()))
                                 .arg(unheld.size());
    if (m_messages.askYesNo(question, kPromptTitle, MessageBox::Answer::No) != MessageBox::Answer::Yes)
        return false;
    m_document.form.encoding = encodingName(TextEncoding::Utf8Bom);
    m_document.form.byteOrderMark = writesByteOrderMark(TextEncoding::Utf8Bom);
    emit formChanged();
    return true;
}

ListToWrite ListFileWorkflow::toWrite() const
{
    return ListToWrite{m_document, m_list.entries(), m_list.allLines(), {}};
}

QStringList ListFileWorkflow::pathsWantingTags() const
{
    QStringList paths;
    if (m_document.path.isEmpty())
        return paths;
    for (qsizetype i : entriesWantingTags(toWrite(), m_document.type))
        paths.append(m_list.entry(int(i)));
    return paths;
}

ListFileWorkflow::SaveOutcome ListFileWorkflow::savefile(const QString &fileName)
{
    if (fileName.isEmpty())
        return SaveOutcome::Cancelled;
    QHash<QString, TrackTags> tags;
    if (m_tags) {
        QStringList paths;
        const ListToWrite before = toWrite();
        for (qsizetype i : entriesWantingTags(before, playlistTypeOf(fileName)))
            paths.append(before.entries.at(i));
        if (!paths.isEmpty()) {
            const std::optional<QList<TrackTags>> read = m_tags->tagsFor(paths);
            if (!read)
                return SaveOutcome::Cancelled;
            for (qsizetype k = 0; k < paths.size() && k < read->size(); ++k)
                tags.insert(paths.at(k), read->at(k));
        }
    }
    // Taken after the reading: what landed meanwhile is saved too.
    ListToWrite list = toWrite();
    if (!holdsAll(list.entries, fileName))
        return SaveOutcome::Failed;
    list.document.form = m_document.form;   // "是" made it UTF-8
    // The last question of the save.
    if (!mayOverwrite(fileName))
        return SaveOutcome::Failed;
    if (!tags.isEmpty())
        list.tags = [tags, entries = list.entries](qsizetype i) { return tags.value(entries.at(i)); };
    const PlaylistWrite write = writeListFile(fileName, list, m_list.rules().caseSensitivity);
    if (write.outcome != PlaylistWrite::Written) {
        m_messages.exclamation(QStringLiteral("未知错误!\n") + fileFailureLine(fileName, write.error, FileUse::Write),
                               kPromptTitle);
        return SaveOutcome::Failed;
    }
    m_state.markSaved(fileName);
    settled(fileName, write.fingerprint);
    return SaveOutcome::Saved;
}
