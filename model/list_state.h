#pragma once
#include "list_change.h"
#include "path_rules.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

// The main window's playlist and all window-level state that goes with it:
// entries, selection, change flag, list name, insert-position mode, the undo
// record, the display label texts, the enabled state of the commands and the
// two texts written into the player window. No widgets: the window is a view
// over this object and applies what its signals say.
//
// Positions are 0-based ints; -1 means "nothing selected".
class ListState : public QObject {
    Q_OBJECT
public:
    explicit ListState(PathRules rules = PathRules::native(), QObject *parent = nullptr);

    // ---- read access -------------------------------------------------------
    const PathRules &rules() const { return m_rules; }
    int count() const { return int(m_entries.size()); }
    const QString &entry(int i) const { return m_entries.at(i); }
    const QStringList &entries() const { return m_entries; }
    int selection() const { return m_selection; }
    bool contains(const QString &path) const;      // same-entry rule, hashed
    int indexOf(const QString &path) const;        // first same entry, or -1

    QString listchanged() const { return m_listchanged; }  // "true" / "false"
    bool insertAfter() const { return m_insertAfter; }      // menuinsertback checked
    QString openmode() const { return m_openmode; }

    // Texts of the labels "Label4", "Label5", "Label6", "Label7", "Label8",
    // "Label9", "Label10" (empty string for an unknown name).
    QString labelText(const QString &name) const;
    QString title() const;

    // Enabled state of a command by its object name ("menusave", "poplist1del",
    // "menuundo", "MENUFIRST", ...). Names no routine governs report true.
    bool isEnabled(const QString &name) const;
    // Every name isEnabled() governs: the commands comenabled sets, then the undo pair.
    static const QStringList &commandNames();

    // Player window texts: Form3's Label4 (track number) and Label6 ("/ n").
    QString form3Label4() const { return m_form3Label4; }
    QString form3Label6() const { return m_form3Label6; }

    // Undo record and drag fields, exposed for tests.
    QString undoop() const { return m_undoop; }
    QString undotext() const { return m_undotext; }
    int undoindex() const { return m_undoindex; }
    int dragfrom() const { return m_dragfrom; }
    int dragto() const { return m_dragto; }

    // ---- window load -------------------------------------------------------
    // The model's part of the main window's load: initial texts, flags,
    // then comenabled, label456, label910, undoenabled. The constructor already
    // leaves this state; load() then announces every label, the title, every
    // enabled state, the player texts, the insert mode and the selection once,
    // so a freshly connected window is in step. Elsewhere signals fire only
    // when a value actually changes (selectionChanged: whenever the selection
    // is set, see below).
    void load();

    // ---- user-interface events --------------------------------------------
    // The list's selection changed by the user (click, keys, pointer drag):
    // sets the selection and runs the selection-changed reaction. The current
    // index, or one outside -1..count()-1, is ignored, so a view may echo back
    // what the model set. The window must not forward the view's own selection
    // moves while it applies entriesChanged.
    void selectByUser(int index);
    void clickLabel9();                     // clears the selection
    void pointerMoved();                    // position labels follow the selection
    void leftButtonPressed();               // remembers the selection as drag origin
    // When the selection differs from the press origin: dragfrom := origin,
    // dragto := selection, tuodong. A plain click keeps the last drag's
    // dragfrom/dragto, which its undo still needs. Ignored until the first
    // press since construction (no drag origin yet).
    void leftButtonReleased();
    void setBrowserFileCount(int files);    // File1's file count; runs comenabled
    // Form3's Label3 changed (the playing path): recomputes form3label4.
    void setPlayingPath(const QString &path);
    QString playingPath() const { return m_playingPath; }

    // ---- operations --------------------------------------------------------
    enum class AddResult { Added, Duplicate, NoFile };
    // One file clicked in the browser (folder path + file name).
    AddResult addClickedFile(const QString &folder, const QString &name);
    // Every file of the browser's list, names in display order.
    void addallfiles(const QString &folder, const QStringList &names);
    void deleteentry();
    void clearlist();
    void moveup();
    void movedown();
    void movetotop();
    void movetobottom();
    void setInsertAfterMode();   // menuinsertback
    void setInsertBeforeMode();  // menuinsertfront
    // Reverses the undo record; does nothing while "menuundo" is disabled.
    void undo();

    // ---- routines under their own names ------------------------------------
    void jiaohuan();
    void tuodong();
    void form3label4();
    void label456();
    void label910();
    void undoenabled();
    void undoenabledon();
    void comenabled();
    // The usual refresh after an edit that leaves no undo record:
    // comenabled, label456, label910, undoenabled, in that order.
    void refresh();
    QString GetFileName(const QString &path) const { return m_rules.GetFileName(path); }
    QString GetFileExt(const QString &path) const { return m_rules.GetFileExt(path); }

    // ---- building blocks of the list file commands -------------------------
    void setListchanged(bool changed);
    void setOpenmode(const QString &mode);
    void setLabel7(const QString &text);
    void setLabel8(const QString &text);    // recomputes the title
    // Empties the list (selection none), no refresh.
    void clearEntries();
    // Appends the entries the list does not hold yet (same-entry rule, also
    // within `paths`; first wins) as one block. Returns how many were added.
    int appendUnique(const QStringList &paths);
    // Sets the selection as a program action: runs the selection-changed
    // reaction even when the index stays. Out-of-range indexes mean -1.
    void setSelection(int index);

signals:
    // One per operation, emitted right after the entries changed and before
    // the selection moves. A Moved change can shift a view's own selection:
    // re-apply selection() afterwards.
    void entriesChanged(const ListChange &change);
    // Every time the model sets the selection (also to the same index).
    void selectionChanged(int index);
    void labelChanged(const QString &name, const QString &text);
    void titleChanged(const QString &title);
    void enabledChanged(const QString &name, bool enabled);
    void insertModeChanged(bool insertAfter);
    void form3LabelsChanged();                      // form3Label4 or form3Label6

private:
    void setLabel(const QString &name, const QString &text);
    void setCommandEnabled(const QString &name, bool enabled);
    void applySelection(int index);   // sets it, then the selection-changed reaction
    void announceSelection(int index); // sets it without the reaction
    void addKey(const QString &path);
    // Records the key of a path about to be added; false (nothing recorded)
    // when the list already holds that entry.
    bool claimKey(const QString &path);
    void removeKey(const QString &path);
    void placeBesideSelection(const QString &path);  // append + jiaohuan in one insert
    void changed(ListChange::Kind kind, int first, int count, int to = 0);
    QString computeTitle() const;

    PathRules m_rules;
    QStringList m_entries;
    QHash<QString, int> m_keys;   // key -> number of entries with that key
    int m_selection = -1;
    QString m_listchanged = QStringLiteral("false");
    bool m_insertAfter = true;
    QString m_openmode;
    QString m_undoop, m_undotext;
    int m_undoindex = 0, m_dragfrom = 0, m_dragto = 0;
    int m_pressedAt = -1;
    bool m_dragPressed = false;
    QHash<QString, QString> m_labels;
    QHash<QString, bool> m_enabled;
    int m_browserFiles = 0;
    QString m_playingPath;
    QString m_form3Label4 = QStringLiteral("0");
    QString m_form3Label6;
    QString m_title;
};
