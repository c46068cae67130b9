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
    // then comenabled, label456, label910, undoenabled.
    void load();

    // ---- user-interface events --------------------------------------------
    // The list's selection changed by the user (click, keys, pointer drag):
    // sets the selection and runs the selection-changed reaction.
    void selectByUser(int index);
    void clickLabel9();                     // clears the selection
    void pointerMoved();                    // position labels follow the selection
    void leftButtonPressed();               // dragfrom := selection
    void leftButtonReleased();              // dragto := selection; tuodong when they differ
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
    // Sets the selection as a program action: runs the selection-changed reaction.
    void setSelection(int index);

signals:
    void entriesChanged(const ListChange &change);  // one per operation
    void selectionChanged(int index);
    void labelChanged(const QString &name, const QString &text);
    void titleChanged(const QString &title);
    void enabledChanged(const QString &name, bool enabled);
    void insertModeChanged(bool insertAfter);
    void form3LabelsChanged();                      // form3Label4 or form3Label6

private:
    // Implementation detail, owned by the model's author.
    PathRules m_rules;
    QStringList m_entries;
    QHash<QString, int> m_keys;   // key -> number of entries with that key
    int m_selection = -1;
    QString m_listchanged = QStringLiteral("false");
    bool m_insertAfter = true;
    QString m_openmode;
    QString m_undoop, m_undotext;
    int m_undoindex = 0, m_dragfrom = 0, m_dragto = 0;
    bool m_dragPressed = false;
    QHash<QString, QString> m_labels;
    QHash<QString, bool> m_enabled;
    int m_browserFiles = 0;
    QString m_playingPath;
    QString m_form3Label4 = QStringLiteral("0");
    QString m_form3Label6;
};
