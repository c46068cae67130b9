#pragma once
#include "model/commands.h"
#include "model/playlist.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <array>

// The main window's state around its playlist: the change flag, the list file's
// path, the texts of the count, position and list-name labels, the title, the
// enabled state of the commands and the track number the player window shows.
// All of it is derived from the playlist's signals and the few inputs below;
// the window applies what the signals say.
//
// After every edit of the playlist the same refresh runs, in this order:
// comenabled, label456, label910, then the undo pair (on while the playlist's
// undo record may be used, else off); after a reordering, an undo or an open
// also form3label4. A change of the selection runs comenabled, label910 and
// undoenabled. Signals fire only when a value changes, except
// playerTrackChanged, which fires every time form3label4 runs.
class WindowState : public QObject {
    Q_OBJECT
public:
    explicit WindowState(Playlist &list, QObject *parent = nullptr);

    bool listChanged() const { return m_listChanged; }   // listchanged: differs from the file last read or written
    // Full path of the list's file as chosen in the dialog; empty for an unnamed list.
    const QString &listPath() const { return m_listPath; }
    const QString &label(Label which) const { return m_labels[std::size_t(which)]; }
    const QString &title() const { return m_title; }
    // Commands no routine governs are always enabled.
    bool isEnabled(Command command) const { return m_enabled[std::size_t(command)]; }
    // What form3label4 last computed: the playing track's 1-based position in
    // the list, 0 when it is not in the list.
    int playerTrack() const { return m_playerTrack; }
    // Entries of the files read into the list (opened, then inserted) that
    // were left out as repeats of an earlier one; 0 after New.
    int skippedRepeats() const { return m_skippedRepeats; }
    const QString &playingPath() const { return m_playingPath; }

    // The window's load: the list-name caption, an empty path, the change flag
    // off and the player window hidden, then the refresh. Announces every
    // label, the title, every governed command and the player's track once,
    // so a freshly connected window is in step.
    void load();

    // ---- inputs ------------------------------------------------------------
    void setBrowserFileCount(int files);   // File1's file count; runs comenabled
    // The player window's playing path (its Label3). Looked up in the list by
    // the next form3label4; the player numbers a track it starts itself.
    void setPlayingPath(const QString &path);
    void setPlayerShown(bool shown);       // the MENUOPENFORM3/MENUCLOSEFORM3 pair
    void pointerMoved();                   // the position labels follow the selection

    // ---- intents of the list file commands ---------------------------------
    // New: unnamed, unchanged and empty.
    void startNewList();
    // Open: the read entries (with what the file said of each, `lines`, which
    // may be empty) replace the list, which takes the file's name; the change
    // flag stays as it was.
    void replaceWith(const QStringList &entries, const QString &path, const QList<KeptLines> &lines = {});
    // Insert: the entries the list does not hold yet are appended; the list
    // counts as changed, even when nothing was new.
    void insertEntries(const QStringList &entries, const QList<KeptLines> &lines = {});
    // Insert of a file that is missing: nothing is appended, but the list
    // counts as changed all the same.
    void insertFailed();
    // A save wrote the list to `path`: named after it and unchanged.
    void markSaved(const QString &path);

signals:
    void labelChanged(Label which, const QString &text);
    void titleChanged(const QString &title);
    void commandEnabledChanged(Command command, bool enabled);
    // Form3's Label4 and Label6: the playing track's position (0: not in the
    // list) and the entry count.
    void playerTrackChanged(int number, int count);
    void skippedRepeatsChanged(int count);

private:
    enum class NameCaption { Initial, Named, Unnamed };

    void onEdited(Edit what);
    void onSelectionChanged();

    void refresh();         // comenabled, label456, label910, the undo pair
    void comenabled();      // enables the commands that apply to the list and selection
    void label456();        // the count labels
    void label910();        // the position labels
    void undoenabled();     // undo commands off
    void undoenabledon();   // undo commands on
    void undoByRecord();    // undoenabledon while the record may be used, else undoenabled
    void form3label4();     // the playing track's position, sent to the player

    void setLabel(Label which, const QString &text);
    void setEnabled(Command command, bool enabled);
    void setListPath(const QString &path);
    void setNameCaption(NameCaption caption);
    void setSkippedRepeats(int count);

    Playlist &m_list;
    bool m_listChanged = false;
    QString m_listPath;
    int m_browserFiles = 0;
    QString m_playingPath;
    int m_playerTrack = 0;
    int m_skippedRepeats = 0;
    std::array<QString, kLabelCount> m_labels;
    std::array<bool, kCommandCount> m_enabled;
    QString m_title;
};
