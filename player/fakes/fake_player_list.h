#pragma once
#include "player/player_list.h"

#include <QStringList>

// A playlist for tests: entries and a selection set directly.
class FakePlayerList : public PlayerList {
public:
    FakePlayerList() = default;
    explicit FakePlayerList(QStringList e, int selected = -1) : entries(std::move(e)), selected(selected) {}

    int count() const override { return int(entries.size()); }
    QString entry(int index) const override { return entries.value(index); }
    int selection() const override { return selected; }

    QStringList entries;
    int selected = -1;
};
