#pragma once
#include <QLatin1String>
#include <QObject>
#include <QString>

class FileDialog;
class MessageBox;
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
    // The filter the main window gives its file dialog; the first choice is
    // the one in force when a dialog first shows.
    static constexpr QLatin1String kDialogFilter{"play list file(*.m3u);;play list file(*.pls)"};

    ListFileWorkflow(WindowState &state, const Playlist &list, MessageBox &messages, FileDialog &dialog,
                     QObject *parent = nullptr);

    void newlist();
    void openlist();
    void insertlistfile();
    void savelist();
    void saveaslist();
    // Save prompt, then closeOtherWindows, then endProgram.
    void quitprogram();

    // True when the last save went to the list's own path without a dialog.
    bool savedtoname() const { return m_savedtoname; }

signals:
    // The player, declaration and about windows are to close, in that order.
    void closeOtherWindows();
    void endProgram();

private:
    // Whether the read replaces the list or appends to it.
    enum class OpenMode { Clear, NoClear };
    enum class ReadOutcome { Read, Missing, Failed };

    void savePrompt();
    // Reads `fileName` into the list as `mode` says; a missing file is reported.
    ReadOutcome openfile(const QString &fileName, OpenMode mode);
    // Writes the list to `fileName` and makes it the list's path. False, after
    // "未知错误!", when the file could not be written: nothing else changes then.
    bool savefile(const QString &fileName);

    WindowState &m_state;
    const Playlist &m_list;
    MessageBox &m_messages;
    FileDialog &m_dialog;
    bool m_savedtoname = false;
};
