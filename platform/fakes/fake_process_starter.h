#pragma once
#include "platform/process_starter.h"

#include <QFileInfo>
#include <QStringList>

// Records every start. Like the real starter, a command line naming no
// existing file fails.
class FakeProcessStarter : public ProcessStarter {
public:
    bool startDetached(const QString &commandLine) override
    {
        attempted.append(commandLine);
        if (!QFileInfo(commandLine).isFile())
            return false;
        started.append(commandLine);
        return true;
    }

    QStringList attempted;
    QStringList started;
};
