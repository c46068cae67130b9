#pragma once
#include "model/list_order.h"

#include <QObject>

#include <functional>

class FileProbe;
class LongWork;
class MessageBox;
class MissingEntries;
class Playlist;
class RepairDialogs;
class QWidget;

// The 工具 menu's commands that look after the list: going to, removing and
// finding missing entries, replacing the start of paths and putting the list
// in order. Each change of the list is one edit of the playlist, which its
// undo reverses; the disk is read off the UI thread.
class ListTools : public QObject {
    Q_OBJECT
public:
    // Owned by `window`; `seed` gives each shuffle its order.
    struct Services {
        MessageBox &messages;
        RepairDialogs &dialogs;
        const FileProbe &files;
        LongWork &work;   // shows its progress with Cancel
    };
    ListTools(Playlist &list, MissingEntries &missing, Services services, QWidget *window,
              std::function<quint32()> seed);

    // Selects the next missing entry after the selection (from the top when
    // nothing is selected), wrapping, as a click on it would.
    void selectNextMissing();
    // Removes every missing entry (not those of an unmounted volume) as one edit.
    void removeMissing();
    void sort(ListOrder order);
    // Asks for a folder and gives each missing entry the file of its name
    // found there (asking when several have it), as one edit.
    void relocate();
    // Asks for a path start and its replacement, says how many entries it
    // changes and how many of them then exist, and replaces it when asked to.
    void replacePrefix();

private:
    // False, after saying so, when the list has no missing entry.
    bool anyMissing();
    void relocateAmong(const QStringList &files);
    QList<int> missingPositions() const;
    // Says what a repair did, and how many repeats it dropped.
    void tell(QString text, int dropped);

    Playlist &m_list;
    MissingEntries &m_missing;
    MessageBox &m_messages;
    RepairDialogs &m_dialogs;
    const FileProbe &m_files;
    LongWork &m_work;
    std::function<quint32()> m_seed;
};
