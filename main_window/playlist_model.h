#pragma once
#include "list_change.h"

#include <QAbstractListModel>
#include <QString>

class Playlist;

// List1's rows: a read-only view straight onto the playlist, without a copy.
// The playlist announces each change before and after it happens; the rows
// change between the model's begin and end signals, so views and proxies see
// the old rows until the change is announced. A move is told as a data change
// of the rows between its two ends: the view repaints them instead of laying
// out every row again.
class PlaylistModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit PlaylistModel(const Playlist &list, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    // The view's layout asks for every row's index: keep it to a bounds check.
    QModelIndex index(int row, int column = 0, const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    // The row text that needs the most room. The view lays out every row at
    // one size, so this one decides how far the list scrolls sideways.
    QString widestText() const { return m_widest; }

signals:
    // Around each change of the rows, outside the model's own begin and end
    // signals: a view's selection moves in between are not the user's.
    void changeStarting();
    void changeFinished();

private:
    void aboutToChange(const ListChange &change);
    void changed(const ListChange &change);
    void findWidest(int first, int last);
    void rescanWidest();

    const Playlist &m_list;
    QString m_widest;
    qsizetype m_widestWeight = -1;
    bool m_widestLeaving = false;   // the change under way removes the widest row
};
