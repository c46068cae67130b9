#pragma once
#include <QString>

// Starts a program without waiting for it.
class ProcessStarter {
public:
    virtual ~ProcessStarter() = default;
    // `commandLine` is either the path of a program (spaces allowed, no quotes
    // needed) or a program followed by its arguments. False when nothing started.
    virtual bool startDetached(const QString &commandLine) = 0;
};

class QtProcessStarter : public ProcessStarter {
public:
    bool startDetached(const QString &commandLine) override;
};
