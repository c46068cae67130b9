#include "aux_windows/sys_info.h"

#include "aux_windows/aux_config.h"
#include "platform/message_box.h"
#include "model/path_rules.h"
#include "platform/process_starter.h"

#include <QDir>
#include <QFileInfo>

namespace {
const QString kMsinfoKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString kMsinfoPathValue = QStringLiteral("PATH");
const QString kToolsLocationKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
const QString kToolsLocationValue = QStringLiteral("MSINFO");
const QString kMsinfoProgram = QStringLiteral("MSINFO32.EXE");
constexpr quint32 kBufferSize = 1024;

QString joinPath(const QString &folder, const QString &file)
{
    return PathRules::native().join(QDir::toNativeSeparators(folder), file);
}
} // namespace

bool GetKeyValue(Registry &registry, Registry::Root root, const QString &keyName,
                 const QString &valueName, QString *keyVal)
{
    Registry::Key key = 0;
    if (!registry.open(root, keyName, Registry::kReadAccess, &key)) {
        keyVal->clear();
        return false;
    }

    char buffer[kBufferSize] = {};
    quint32 size = kBufferSize;
    quint32 type = 0;
    if (!registry.query(key, valueName, buffer, &size, &type)) {
        keyVal->clear();
        registry.close(key);
        return false;
    }

    const qsizetype n = qMin<quint32>(size, kBufferSize);
    switch (type) {
    case Registry::String: {
        // The reported size counts the terminating zero, when the value has one.
        const qsizetype length = (n > 0 && buffer[n - 1] == '\0') ? n - 1 : n;
        *keyVal = QString::fromLocal8Bit(buffer, length);
        break;
    }
    case Registry::DWord: {
        // Little-endian bytes, written from the last to the first. Two digits
        // per byte keep the number's value: 0x0101 reads &h00000101, not &h0011.
        QString digits;
        for (qsizetype i = n - 1; i >= 0; --i)
            digits += QStringLiteral("%1").arg(uchar(buffer[i]), 2, 16, QLatin1Char('0')).toUpper();
        *keyVal = QStringLiteral("&h") + digits;
        break;
    }
    default:
        break;
    }
    registry.close(key);
    return true;
}

void StartSysInfo(Registry &registry, ProcessStarter &processes, MessageBox &messages)
{
    QString program;
    bool found = GetKeyValue(registry, Registry::Root::LocalMachine, kMsinfoKey,
                             kMsinfoPathValue, &program);
    if (!found) {
        QString folder;
        if (GetKeyValue(registry, Registry::Root::LocalMachine, kToolsLocationKey,
                        kToolsLocationValue, &folder)) {
            program = joinPath(folder, kMsinfoProgram);
            found = QFileInfo::exists(program);
        }
    }
    if (found && processes.startDetached(program))
        return;
    messages.exclamation(QStringLiteral("此时系统信息不可用"), AuxConfig::applicationTitle());
}
