#include "platform/registry.h"

#ifdef Q_OS_WIN
#include <QByteArray>
#include <windows.h>

// The "A" calls: names and string values in the system's ANSI code page.
bool SystemRegistry::open(Root root, const QString &subKey, quint32 access, Key *key)
{
    const HKEY parent = root == Root::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    const QByteArray name = subKey.toLocal8Bit();
    HKEY handle = nullptr;
    if (RegOpenKeyExA(parent, name.constData(), 0, access, &handle) != ERROR_SUCCESS)
        return false;
    *key = reinterpret_cast<Key>(handle);
    return true;
}

bool SystemRegistry::query(Key key, const QString &valueName, char *buffer, quint32 *size,
                           quint32 *type)
{
    const QByteArray name = valueName.toLocal8Bit();
    DWORD valueType = 0;
    DWORD valueSize = *size;
    if (RegQueryValueExA(reinterpret_cast<HKEY>(key), name.constData(), nullptr, &valueType,
                         reinterpret_cast<BYTE *>(buffer), &valueSize) != ERROR_SUCCESS)
        return false;
    *size = valueSize;
    *type = valueType;
    return true;
}

void SystemRegistry::close(Key key)
{
    RegCloseKey(reinterpret_cast<HKEY>(key));
}

#else

bool SystemRegistry::open(Root, const QString &, quint32, Key *)
{
    return false;
}

bool SystemRegistry::query(Key, const QString &, char *, quint32 *, quint32 *)
{
    return false;
}

void SystemRegistry::close(Key) {}

#endif
