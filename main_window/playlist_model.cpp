#include "main_window/playlist_model.h"

#include "main_window/list_tags.h"
#include "main_window/missing_entries.h"
#include "playlist_io/entry_facts.h"
#include "playlist_io/entry_paths.h"
#include "playlist_io/list_document.h"
#include "model/playlist.h"

#include <QColor>
#include <QFont>

#include <QGuiApplication>

PlaylistModel::PlaylistModel(const Playlist &list, QObject *parent)
    : QAbstractListModel(parent), m_list(list), m_metrics(QGuiApplication::font()), m_advance(0x10000, -1)
{
    rescanWidest();
    connect(&list, &Playlist::entriesAboutToChange, this, &PlaylistModel::aboutToChange);
    connect(&list, &Playlist::entriesChanged, this, &PlaylistModel::changed);
}

void PlaylistModel::setMeasureFont(const QFont &font)
{
    m_metrics = QFontMetrics(font);
    m_font = font;
    std::fill(m_advance.begin(), m_advance.end(), -1);
    m_asciiAdvance.clear();
    m_wideAdvance.clear();
    rescanWidest();
}

int PlaylistModel::measure(const QString &text)
{
    int width = 0;
    const char16_t *p = reinterpret_cast<const char16_t *>(text.constData());
    const char16_t *const end = p + text.size();
    int *const advances = m_advance.data();
    // Most paths are ASCII: their advances sit in a table small enough to stay in cache.
    if (m_asciiAdvance.empty()) {
        m_asciiAdvance.resize(128);
        for (char16_t c = 0; c < 128; ++c)
            m_asciiAdvance[c] = qint16(m_metrics.horizontalAdvance(QChar(c)));
    }
    const qint16 *const ascii = m_asciiAdvance.data();
    for (; p < end; ++p) {
        const char16_t c = *p;
        if (c < 128) {
            width += ascii[c];
            continue;
        }
        if (QChar::isHighSurrogate(c) && p + 1 < end && QChar::isLowSurrogate(p[1])) {
            const char32_t code = QChar::surrogateToUcs4(c, p[1]);
            auto found = m_wideAdvance.constFind(code);
            if (found == m_wideAdvance.cend())
                found = m_wideAdvance.insert(code, m_metrics.horizontalAdvance(QString::fromUcs4(&code, 1)));
            width += *found;
            ++p;
            continue;
        }
        int advance = advances[c];
        if (advance < 0)
            advance = advances[c] = m_metrics.horizontalAdvance(QChar(c));
        width += advance;
    }
    return width;
}

void PlaylistModel::findWidest(int first, int last)
{
    for (int i = first; i <= last; ++i) {
        const int w = measure(m_list.entry(i));
        if (w > m_widestWidth) {
            m_widestWidth = w;
            m_widest = m_list.entry(i);
        }
    }
}

void PlaylistModel::rescanWidest()
{
    m_widest.clear();
    m_widestWidth = -1;
    findWidest(0, m_list.count() - 1);
}

int PlaylistModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_list.count();
}

QModelIndex PlaylistModel::index(int row, int column, const QModelIndex &parent) const
{
    if (parent.isValid() || column != 0 || row < 0 || row >= m_list.count())
        return {};
    return createIndex(row, 0);
}

QVariant PlaylistModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_list.count())
        return {};
    if (role == Qt::DisplayRole)
        return m_list.entry(index.row());
    if (role == Qt::ToolTipRole) {
        const QString &path = m_list.entry(index.row());
        if (!m_tags)
            return path;
        const KeptLines &lines = m_list.lines(index.row());
        const TrackTags own = m_document ? keptFacts(m_document->fileOf(lines), lines) : TrackTags();
        std::optional<TrackTags> tags;
        if (own.title.isEmpty() || own.artist.isEmpty() || own.seconds < 0) {
            tags = m_tags->known(path);
            if (!tags && !isUrlEntry(path))
                m_tags->prefetch({path});
        }
        return toolTip(path, own, tags.value_or(TrackTags()));
    }
    if ((role == Qt::ForegroundRole || role == Qt::FontRole) && m_health) {
        const EntryHealth health = m_health->health(m_list.entry(index.row()));
        if (health == EntryHealth::Present)
            return {};
        if (role == Qt::ForegroundRole)
            return QColor(health == EntryHealth::Missing ? Qt::gray : Qt::darkYellow);
        QFont font = m_font;
        font.setStrikeOut(health == EntryHealth::Missing);
        font.setItalic(health == EntryHealth::Unavailable);
        return font;
    }
    return {};
}

void PlaylistModel::setTags(ListTags *tags)
{
    m_tags = tags;
}

QString PlaylistModel::toolTip(const QString &path, const TrackTags &own, const TrackTags &tags)
{
    QStringList lines;
    const QString &title = own.title.isEmpty() ? tags.title : own.title;
    const QString &artist = own.artist.isEmpty() ? tags.artist : own.artist;
    const int seconds = own.seconds >= 0 ? own.seconds : tags.seconds;
    if (!title.isEmpty())
        lines << QStringLiteral("标题：") + title;
    if (!artist.isEmpty())
        lines << QStringLiteral("艺术家：") + artist;
    if (seconds >= 0)
        lines << QStringLiteral("时长：%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
    lines << path;
    return lines.join(u'\n');
}

void PlaylistModel::setHealth(const MissingEntries *health)
{
    m_health = health;
    if (health)
        connect(health, &MissingEntries::checked, this, [this] {
            if (rowCount() > 0)
                emit dataChanged(index(0), index(rowCount() - 1), {Qt::ForegroundRole, Qt::FontRole});
        });
}

void PlaylistModel::aboutToChange(const ListChange &change)
{
    emit changeStarting();
    switch (change.kind) {
    case ListChange::Inserted:
        beginInsertRows(QModelIndex(), change.first, change.first + change.count - 1);
        break;
    case ListChange::Removed:
        m_widestLeaving = false;
        for (int i = change.first; i < change.first + change.count && !m_widestLeaving; ++i)
            m_widestLeaving = m_list.entry(i) == m_widest;
        beginRemoveRows(QModelIndex(), change.first, change.first + change.count - 1);
        break;
    case ListChange::Reset:
        beginResetModel();
        break;
    case ListChange::Moved:
        break;   // told once the rows hold their new texts
    }
}

void PlaylistModel::changed(const ListChange &change)
{
    switch (change.kind) {
    case ListChange::Inserted:
        findWidest(change.first, change.first + change.count - 1);
        endInsertRows();
        break;
    case ListChange::Removed:
        if (m_widestLeaving)
            rescanWidest();
        endRemoveRows();
        break;
    case ListChange::Reset:
        rescanWidest();
        endResetModel();
        break;
    case ListChange::Moved:
        emit dataChanged(index(qMin(change.first, change.to)), index(qMax(change.first, change.to)));
        break;
    }
    emit changeFinished();
}
