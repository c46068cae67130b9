#pragma once
#include "player/player_list.h"
#include "model/playlist.h"

// The main window's playlist as the player window reads it.
class PlaylistForPlayer : public PlayerList {
public:
    explicit PlaylistForPlayer(const Playlist &list) : m_list(list) {}
    int count() const override { return m_list.count(); }
    QString entry(int index) const override
    {
        return index >= 0 && index < m_list.count() ? m_list.entry(index) : QString();
    }
    int selection() const override { return m_list.selection(); }

private:
    const Playlist &m_list;
};
