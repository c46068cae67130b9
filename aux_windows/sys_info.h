#pragma once
#include "platform/registry.h"

#include <QString>

class MessageBox;
class ProcessStarter;

// Reads one value under `root`\`keyName`. Returns false (and empties `keyVal`)
// when the key cannot be opened or the value cannot be read. On success a
// string value replaces `keyVal` with its text (without a terminating zero), a
// 32-bit value replaces it with "&h" and two hexadecimal digits per byte, most
// significant first, and any other type leaves it as it was.
bool GetKeyValue(Registry &registry, Registry::Root root, const QString &keyName,
                 const QString &valueName, QString *keyVal);

// Starts the system's own system-information program as the registry names it;
// when there is none or it cannot be started, says so in a box titled with
// the application title.
void StartSysInfo(Registry &registry, ProcessStarter &processes, MessageBox &messages);
