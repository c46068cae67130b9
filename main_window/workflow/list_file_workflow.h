#pragma once
#include <QLatin1String>
#include <QString>
#include <functional>

class ListState;
class MessageBox;
class FileDialog;

// The file commands of the main window: new, open, insert list file, save,
// save as and quit, with the save prompt for a changed list. Works on the
// list state through the platform's message box and file dialog, so it runs
// without a screen.
class ListFileWorkflow {
public:
    // The filter the main window gives its file dialog; the first choice is
    // the one in force when a dialog first shows.
    static constexpr QLatin1String kDialogFilter{"play list file(*.m3u);;play list file(*.pls)"};

    ListFileWorkflow(ListState &state, MessageBox &messages, FileDialog &dialog);

    void newlist();
    void openlist();
    void insertlistfile();
    void savelist();
    void saveaslist();
    // Save prompt, then closeOtherWindows, then endProgram.
    void quitprogram();

    // Set by the main window: closes the player, declaration and about windows
    // (in that order), and ends the program.
    std::function<void()> closeOtherWindows;
    std::function<void()> endProgram;

    // "true" after a read that worked, "false" after one that did not, empty
    // before the first read.
    QString readok() const { return m_readok; }
    // True when the last save went to the list's own path without a dialog.
    bool savedtoname() const { return m_savedtoname; }

private:
    void savePrompt();
    // Reads `fileName` into the list as the state's openmode says; sets readok.
    void openfile(const QString &fileName);
    // Writes the list to `fileName` and makes it the list's path. False, after
    // "未知错误!", when the file could not be written: nothing else changes then.
    bool savefile(const QString &fileName);

    ListState &m_state;
    MessageBox &m_messages;
    FileDialog &m_dialog;
    QString m_readok;
    bool m_savedtoname = false;
};
