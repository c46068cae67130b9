#pragma once
#include "model/list_order.h"

#include <QObject>

#include <functional>

class MessageBox;
class MissingEntries;
class Playlist;
class QAction;
class QMenu;
class QWidget;

// The 工具 menu's commands that look after the list: going to and removing
// missing entries and putting the list in order. Each change of the list is
// one edit of the playlist, which its undo reverses.
class ListTools : public QObject {
    Q_OBJECT
public:
    // `window` owns the actions (so shortcuts work and the window finds
    // them by name); `seed` gives each shuffle its order.
    ListTools(Playlist &list, MissingEntries &missing, MessageBox &messages, QWidget *window,
              std::function<quint32()> seed);

    // Adds the missing-entry and sort commands to `menu`.
    void addTo(QMenu *menu);

    // Selects the next missing entry after the selection (from the top when
    // nothing is selected), wrapping, as a click on it would.
    void selectNextMissing();
    // Removes every missing entry (not those of an unmounted volume) as one edit.
    void removeMissing();
    void sort(ListOrder order);

private:
    QAction *makeAction(const char *name, const QString &caption, std::function<void()> run);
    void updateEnabled();

    Playlist &m_list;
    MissingEntries &m_missing;
    MessageBox &m_messages;
    QWidget *m_window;
    std::function<quint32()> m_seed;
    QAction *m_next = nullptr;
    QAction *m_remove = nullptr;
    QMenu *m_sortMenu = nullptr;
};
