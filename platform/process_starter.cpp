#include "platform/process_starter.h"

#include <QFileInfo>
#include <QProcess>
#include <QStringList>

bool QtProcessStarter::startDetached(const QString &commandLine)
{
    // Paths read from the system are often unquoted and contain spaces.
    if (QFileInfo(commandLine).isFile())
        return QProcess::startDetached(commandLine, {});
    QStringList args = QProcess::splitCommand(commandLine);
    if (args.isEmpty())
        return false;
    const QString program = args.takeFirst();
    return QProcess::startDetached(program, args);
}
