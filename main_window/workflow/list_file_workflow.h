#pragma once
#include "playlist_io/list_document.h"
#include "playlist_io/playlist_form.h"
#include "playlist_io/recovery_record.h"
#include "platform/work/long_work.h"

#include <QFileSystemWatcher>
#include <QLatin1String>
#include <QObject>
#include <QString>

#include <optional>

class FileDialog;
class ListReads;
class MessageBox;
class SaveTags;
struct ListToWrite;
class Playlist;
class WindowState;

// The file commands of the main window: new, open, insert list file, save,
// save as and quit, with the save prompt for a changed list. Reads and writes
// list files and tells the window state what happened through its intents;
// talks to the user through the platform's message box and file dialog, so it
// runs without a screen.
class ListFileWorkflow : public QObject {
    Q_OBJECT
public:
    // `tags` gives a save the tags of the files whose lines it makes anew;
    // without it those lines say what the file names tell (lengths -1).
    // `reads` reads the list files opened and inserted; without it they are
    // read at once.
    ListFileWorkflow(WindowState &state, const Playlist &list, MessageBox &messages, FileDialog &dialog,
                     SaveTags *tags = nullptr, ListReads *reads = nullptr, QObject *parent = nullptr);

    // The commands that may discard a changed list ask first; when the user
    // escapes from that question, or answers Yes and the list is not saved
    // (the save dialog cancelled, the write failed), the command stops there.
    void newlist();
    void openlist();
    // Open and insert for a name given other than through the dialog (the
    // command line, a drop): the same checks and messages.
    void openlist(const QString &fileName);
    void insertlistfile();
    void insertlistfile(const QString &fileName);
    void savelist();
    void saveaslist();
    // Reads the list's file again in `encoding`, after the save prompt;
    // nothing for a list without a file.
    void reopenIn(TextEncoding encoding);
    // Save prompt, then closeOtherWindows, then endProgram. False, with the
    // program going on, when the prompt stopped it.
    bool quitprogram();

    // True when the last save went to the list's own path without a dialog.
    bool savedtoname() const { return m_savedtoname; }

    // The open list's record (list_document.h), kept here alone and told to
    // the window state through its intents:
    // - path: the file opened or last saved to; none at start and after New;
    // - form: that of the file it was opened from, or inserted from into an
    //   empty list; the program's own (full paths, UTF-8) at start, after New
    //   and after opening a list of full paths in UTF-8. Save, Save As and the
    //   save prompt write in it, every entry, those added in this run too,
    //   relative to the saved file's folder when the form is relative;
    // - files: those read since the last open or New, the list file among
    //   them (the one opened, or inserted into an empty list), whose header,
    //   trailing lines and layout its saves keep;
    // - unsaved: set by every change of the entries and every insert, cleared
    //   by open, New and a save that wrote the file.
    const ListDocument &document() const { return m_document; }
    PlaylistForm form() const { return playlistForm(m_document.form); }
    // The entries whose lines a save in place would make from their files'
    // tags (see entriesWantingTags): none for an unnamed list.
    QStringList pathsWantingTags() const;

    // Whether the list differs from what was last read or written: any edit
    // since the last open, new or save, also those that leave the change
    // flag as it was (drags, moves to the top or bottom, undo).
    bool unsaved() const { return m_document.unsaved; }
    // The list's file as last read, or as the program itself last wrote it.
    // A save to that file that finds other bytes there asks first.
    const FileFingerprint &fingerprint() const { return m_fingerprint; }
    // The whole document, for a recovery record; copies no entry.
    DocumentRecord documentRecord() const;
    // The document becomes what a recovery record held: unsaved, changed.
    void restore(const DocumentRecord &record);
    // The list's file changed on disk while nothing was unsaved: asks once
    // whether to open it again (Yes opens it as Open would). Nothing when
    // there is no such change, or it was answered already.
    void askReload();

signals:
    // The player, declaration and about windows are to close, in that order.
    void closeOtherWindows();
    // form() changed.
    void formChanged();
    void endProgram();
    void unsavedChanged(bool unsaved);
    // The list's file changed on disk meanwhile; askReload() asks about it.
    void reloadWanted();

private:
    // Whether the read replaces the list or appends to it.
    enum class OpenMode { Clear, NoClear };
    // Refused: not a playlist's name, or not a file that can be read whole;
    // Cancelled: the user cancelled the reading. Only Read changes the list.
    enum class ReadOutcome { Read, Missing, Refused, Cancelled };
    enum class SaveOutcome { Saved, EmptyList, Cancelled, Failed };

    // True when the command that asks may go on.
    bool savePrompt();
    SaveOutcome save();
    // Reads `fileName` into the list as `mode` says; failures are reported
    // (under the message, a line naming the file and why) and change nothing.
    ReadOutcome openfile(const QString &fileName, OpenMode mode, std::optional<TextEncoding> encoding = std::nullopt);
    // Writes the list to `fileName` and makes it the list's path. Failed,
    // after "未知错误!" and a line naming the file and why, when the file
    // could not be written; Cancelled when the user cancelled reading the
    // tags it needed. Nothing else changes then.
    SaveOutcome savefile(const QString &fileName);
    ListToWrite toWrite() const;
    // Just before a save to the list's own file: Yes when its bytes are as
    // last seen, or the user lets the list replace what another program wrote.
    bool mayOverwrite(const QString &fileName);
    // The document names `path` and is as that file (read, written or new)
    // unless `unsaved`.
    void settled(const QString &path, const FileFingerprint &fingerprint, bool unsaved = false);
    void setUnsaved(bool unsaved);
    // The document becomes `document`, all but whether it is unsaved: that
    // changes through setUnsaved alone, which tells of it.
    void takeDocument(ListDocument document);
    void watch(const QString &path);
    void onDiskChanged();
    // Whether the form's encoding holds every entry written to `fileName`;
    // else the user is asked whether to write the whole list in UTF-8 (the
    // list's encoding from then on). False when the answer was not Yes.
    bool holdsAll(const QStringList &entries, const QString &fileName);

    WindowState &m_state;
    const Playlist &m_list;
    MessageBox &m_messages;
    FileDialog &m_dialog;
    SaveTags *m_tags;
    ListReads *m_reads;

    bool m_savedtoname = false;
    ListDocument m_document;
    FileFingerprint m_fingerprint;
    QFileSystemWatcher m_watcher;   // the list's file and its folder
    bool m_reloadWanted = false;
    FileFingerprint m_seen;         // the change that made m_reloadWanted
    QByteArray m_answered;          // the hash of the last change asked about
    LongWork m_looking;             // the file looked at after a change, one look at a time
};
