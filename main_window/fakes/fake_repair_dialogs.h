#pragma once
#include "main_window/repair_dialogs.h"

#include <QList>

// Answers from queues (a cancel when one runs dry) and records what was asked.
class FakeRepairDialogs : public RepairDialogs {
public:
    QString chooseFolder(const QString &) override
    {
        ++folderCount;
        return folders.isEmpty() ? QString() : folders.takeFirst();
    }
    int chooseFile(const QString &entry, const QStringList &candidates, int number, int count) override
    {
        asked.append({entry, candidates, number, count});
        return choices.isEmpty() ? Cancel : choices.takeFirst();
    }
    std::optional<Prefix> askPrefix(const Prefix &suggested) override
    {
        suggestedPrefix = suggested;
        if (prefixes.isEmpty())
            return std::nullopt;
        return prefixes.takeFirst();
    }

    QStringList folders;
    QList<int> choices;
    QList<Prefix> prefixes;
    struct Asked {
        QString entry;
        QStringList candidates;
        int number;
        int count;
    };
    QList<Asked> asked;
    Prefix suggestedPrefix;
    int folderCount = 0;
};
