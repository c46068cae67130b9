#pragma once
#include "model/list_change.h"

#include <QAbstractListModel>
#include <QFontMetrics>
#include <QHash>
#include <QString>

#include <vector>

class ListTags;
struct ListDocument;
class MissingEntries;
class Playlist;
struct TrackTags;

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

    // The font the rows are drawn in; the widest row is measured in it. Until
    // set, the application's font.
    void setMeasureFont(const QFont &font);
    // Missing entries are drawn dimmed and struck through, those of a volume
    // that is not mounted dimmed in italics. Until set, every entry is drawn alike.
    void setHealth(const MissingEntries *health);
    // An entry's tip tells what is known of its track ("标题：…", "艺术家：…",
    // "时长：m:ss", each when known: from the entry's own lines, else its
    // file's tags), then its path; before anything is known, the path alone.
    // Tags not read yet are asked for when a tip shows. Until set, the path alone.
    void setTags(ListTags *tags);
    // The document whose files the entries' own lines are read from; until
    // set, tips tell nothing from them.
    void setDocument(const ListDocument *document) { m_document = document; }
    static QString toolTip(const QString &path, const TrackTags &own, const TrackTags &tags);
    // The row text that needs the most room in that font, and that room in
    // pixels, without the view's padding. The view lays out every row at one
    // size, so this decides how far the list scrolls sideways. Kept up to date
    // through every change of the list, shrinking as well as growing.
    QString widestText() const { return m_widest; }
    int widestWidth() const { return m_widestWidth; }

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
    // Sum of the characters' advances: what the text needs up to kerning,
    // at a table lookup per character, so a whole large list is measured fast.
    int measure(const QString &text);

    const Playlist &m_list;
    const MissingEntries *m_health = nullptr;
    ListTags *m_tags = nullptr;
    const ListDocument *m_document = nullptr;
    QFontMetrics m_metrics;
    QFont m_font;   // the rows' font, which the marks of missing entries vary
    std::vector<qint16> m_asciiAdvance; // the first 128 units, measured together on first use
    std::vector<int> m_advance;        // per UTF-16 unit; -1 not measured yet
    QHash<char32_t, int> m_wideAdvance; // characters beyond the 16-bit range
    QString m_widest;
    int m_widestWidth = -1;
    bool m_widestLeaving = false;   // the change under way removes the widest row
};
