#pragma once
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

    QString readok() const { return m_readok; }

private:
    ListState &m_state;
    MessageBox &m_messages;
    FileDialog &m_dialog;
    QString m_readok;
    bool m_savedtoname = false;
};
