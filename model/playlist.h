#pragma once
#include "model/entry_keys.h"
#include "model/kept_lines.h"
#include "model/list_change.h"
#include "model/path_rules.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

// The edit the undo command reverses, with the codes the list has always used
// for them in brackets.
enum class UndoOp {
    None,       // nothing recorded yet
    Del,        // ("del") an entry that was not the last was deleted
    DelBottom,  // ("delbottom") the last entry was deleted
    Up,         // ("up") moved one place up
    Down,       // ("down") moved one place down
    MoveFirst,  // ("MOVEFIRST") moved to the top; undoindex holds where from
    MoveLast,   // ("MOVELAST") moved to the bottom; undoindex holds where from
    MoveBack,   // ("moveback") dragged in insert-after mode; dragfrom/dragto
    MoveFront,  // ("movefront") dragged in insert-before mode; dragfrom/dragto
    Restore,    // a whole-list edit (sort, repair): the old list and selection are kept
};

// What an operation of the playlist did, announced once at its end. The window
// state derives its labels, enabling and change flag from it.
enum class Edit {
    FileAdded,      // one file from the browser was added
    FilesAdded,     // add-all added at least one file
    NothingAdded,   // add-all found every file in the list already; the last entry is selected
    Deleted,
    Cleared,
    MovedUp,        // also run by the undo of a move down
    MovedDown,      // also run by the undo of a move up
    MovedToTop,
    MovedToBottom,
    Dragged,        // a drag ended on another entry, whether or not an entry moved
    InsertModeSet,  // either insert-position command, also the one already in force
    Undone,
    Replaced,       // the whole list was replaced (open, new)
    Appended,       // a list file's entries were appended (insert list file)
    Reordered,      // the whole list was put in another order (sort, reverse, shuffle)
    EntriesRemoved, // entries chosen by a rule were removed (the missing ones)
    PathsChanged,   // entries were given other paths (moved files found, a prefix replaced)
};

// The main window's playlist: entries, the same-entry keys, the selection, the
// insert-position mode, the one-level undo record and the drag origin. Nothing
// about captions or commands: WindowState derives those from the signals.
//
// Positions are 0-based ints; -1 means "nothing selected". Every operation
// checks its own precondition and silently does nothing when it fails (no
// signal at all). Signals of one operation come in this order:
//   entriesAboutToChange, entriesChanged   (once per change of the entries)
//   selectionChanged                       (each time the selection is set)
//   edited                                 (once, at the end)
// The undo record may be used only while canUndo(): every selection change
// and every edit that does not write a record ends that.
class Playlist : public QObject {
    Q_OBJECT
public:
    explicit Playlist(PathRules rules = PathRules::native(), QObject *parent = nullptr);

    const PathRules &rules() const { return m_rules; }
    int count() const { return int(m_entries.size()); }
    const QString &entry(int i) const { return m_entries.at(i); }
    const QStringList &entries() const { return m_entries; }
    // What the list file said of each entry (kept_lines.h), beside entries().
    const KeptLines &lines(int i) const;
    QList<KeptLines> allLines() const;   // empty when nothing is kept for any entry
    int selection() const { return m_selection; }
    bool insertAfter() const { return m_insertAfter; }   // menuinsertback checked
    bool contains(const QString &path) const { return m_keys.contains(m_rules.key(path)); }
    // Position of the first entry that is the same as `path`, or -1.
    int indexOf(const QString &path) const;

    // ---- the undo record --------------------------------------------------
    bool canUndo() const { return m_undoValid; }
    UndoOp undoop() const { return m_undoop; }                 // which edit undo reverses
    const QString &undotext() const { return m_undotext; }     // the entry the last delete removed
    int undoindex() const { return m_undoindex; }              // where a move to top/bottom came from
    int dragfrom() const { return m_dragfrom; }                // the drag's origin position
    int dragto() const { return m_dragto; }                    // the drag's target position

    // ---- the user's own moves ---------------------------------------------
    // The list's selection changed by the user (click, keys, pointer drag).
    // The current index, or one outside -1..count()-1, is ignored, so a view
    // may echo back what the list set.
    void selectByUser(int index);
    void selectNone();           // a click on the position caption
    void leftButtonPressed();    // remembers the selection as drag origin
    // When the selection differs from the press origin: dragfrom := origin,
    // dragto := selection, then the drag move. A plain click keeps the last
    // drag's dragfrom/dragto, which its undo still needs. Ignored until the
    // first press (no drag origin yet).
    void leftButtonReleased();

    // ---- editing operations -----------------------------------------------
    // Whether a path can be an entry at all: a playlist file keeps one entry
    // per line, so a path holding a line break would come back as two.
    static bool canHold(const QString &path);

    enum class AddResult { Added, Duplicate, NoFile, LineBreak };
    // One file clicked in the browser (folder path + file name). An empty name
    // adds nothing (NoFile); a duplicate, or a name with a line break, changes nothing.
    AddResult addClickedFile(const QString &folder, const QString &name);
    // Every file of the browser's list, names in display order. Names with a
    // line break are left out; returns how many.
    int addallfiles(const QString &folder, const QStringList &names);
    // Full paths from outside the browser (a drop, the command line), in
    // order, with the outcome of clicking each of them in the browser in a
    // row: refused when the list holds it already (or it came earlier in
    // `paths`) or when it holds a line break; the others beside the selection
    // by the insert mode, and selected as the clicks would leave them. With
    // nothing selected they go to the end in their order, the last selected
    // (clicks would put all but the first before the first in insert-before
    // mode). Done as one insert and one edit (FilesAdded), with no change at
    // all when nothing is new. Counts what was refused.
    struct AddedFiles {
        int added = 0;
        int duplicates = 0;
        int lineBreaks = 0;
    };
    AddedFiles addFiles(const QStringList &paths);
    void deleteentry();
    void clearlist();
    void moveup();
    void movedown();
    void movetotop();
    void movetobottom();
    void setInsertAfterMode();   // menuinsertback
    void setInsertBeforeMode();  // menuinsertfront
    // Reverses the record; does nothing unless canUndo().
    void undo();
    // The record can no longer be used, though the list did not change (an
    // insert whose file was missing).
    void endUndoRecord() { m_undoValid = false; }

    // ---- whole-list edits ---------------------------------------------------
    // Each is one edit whose undo puts back the list and the selection as they
    // were; one that would change nothing does nothing.
    // The entries in a new order: order[i] is the old position of the entry
    // that goes to position i (a permutation). The selected entry stays selected.
    void reorder(const QList<int> &order);
    // Removes every entry for which `drop` holds; the selected entry stays
    // selected when kept, else the next one kept (or the last). Returns how many.
    int removeWhere(const std::function<bool(const QString &)> &drop);
    // Gives the entries at the keys' positions the paths given, keeping their
    // other lines (marked pathReplaced). When an entry becomes the same as
    // another, the first keeps its place and the later one is dropped; returns
    // how many were dropped.
    int changePaths(const QHash<int, QString> &paths);

    // ---- list files (through WindowState's intents) ------------------------
    // `lines` runs beside `paths` (what the file said of each entry); an
    // empty list means nothing kept for any. A repeat is left out with its lines.
    // The list becomes `paths` without repeats (first wins), its last entry selected.
    void replaceEntries(const QStringList &paths, const QList<KeptLines> &lines = {});
    // Appends the paths the list does not hold yet, as one block, and selects
    // the last entry. Returns how many were added.
    int appendEntries(const QStringList &paths, const QList<KeptLines> &lines = {});

signals:
    // Around every change of the entries: views take their rows from entries()
    // after entriesChanged and may still read the old rows until then.
    void entriesAboutToChange(const ListChange &change);
    void entriesChanged(const ListChange &change);
    // Every time the list sets the selection (also to the same index).
    void selectionChanged(int index);
    void insertModeChanged(bool insertAfter);
    void edited(Edit what);

private:
    // Puts a new entry beside the selection by the insert mode: the result of
    // appending it and moving it there, in one insert. Selects it (insert-after)
    // or keeps the selected entry selected (insert-before).
    void jiaohuan(const QString &path, const KeptLines &lines = {});
    // Where added entries go: after the last one with nothing selected, else
    // after or before the selected one as the insert mode says.
    int newEntryPosition() const;
    // The drag move from dragfrom to dragto by the insert mode.
    void tuodong();

    // Changes of the entries, each announced around itself.
    // `lines` runs beside `paths`; empty: nothing kept for any of them.
    void insertAt(int at, const QStringList &paths, const QList<KeptLines> &lines = {});
    void removeAt(int at);
    void moveEntry(int from, int to);
    void resetEntries(QStringList entries, QList<KeptLines> lines);
    void gatherLinePool();

    // Replaces the whole list by one whole-list edit, recording the old one.
    // A reorder holds the same entries, so their keys stay as counted.
    enum class Keys { Same, Recount };
    void applyWholeList(QStringList entries, QList<KeptLines> lines, int selection, Edit what, Keys keys);
    void rebuildKeys();

    void setSelection(int index);   // out-of-range indexes mean -1
    void record(UndoOp op);         // writes the code; the record becomes usable
    void finish(Edit what) { emit edited(what); }
    static ListChange change(ListChange::Kind kind, int first, int count, int to = 0);

    PathRules m_rules;
    QStringList m_entries;
    // What the list file said of each entry, beside m_entries and always as
    // long: 0 (nothing kept) or 1 + the place of its lines in m_linePool. An
    // edit in the middle of 100,000 entries moves these 4 bytes an entry
    // rather than the lines themselves (16 bytes when measured): the undo of
    // a delete there took 49 us
    // with the lines beside the paths, 36 us so (the paths alone: 30 us).
    // A pool entry belongs to one entry only; it is let go by a removal and
    // gathered again when the pool outgrows the list.
    QList<quint32> m_lineIds;
    QList<KeptLines> m_linePool;
    EntryKeys m_keys;
    int m_selection = -1;
    bool m_insertAfter = true;
    UndoOp m_undoop = UndoOp::None;
    QString m_undotext;
    KeptLines m_undoLines;    // the lines of the entry m_undotext names
    int m_undoindex = 0, m_dragfrom = 0, m_dragto = 0;
    bool m_undoValid = false;
    QStringList m_undoList;   // Restore: the list, its lines and the selection before the edit
    QList<KeptLines> m_undoLinesList;
    int m_undoSelection = -1;
    int m_pressedAt = -1;
    bool m_dragPressed = false;
};
