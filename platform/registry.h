#pragma once
#include <QString>
#include <QtGlobal>

// Read access to the system registry, in the open / query / close steps the
// Win32 calls take. Where the desktop has no registry every open fails.
class Registry {
public:
    enum class Root { LocalMachine, CurrentUser };
    // Value types as the registry reports them.
    enum ValueType : quint32 { String = 1, ExpandString = 2, Binary = 3, DWord = 4 };
    // Read rights only (KEY_READ): asking for more is refused under the
    // local-machine root for a user without administrator rights.
    static constexpr quint32 kReadAccess = 0x20019;
    using Key = quintptr;

    virtual ~Registry() = default;
    // Opens `subKey` under `root`; false when it does not exist or access is refused.
    virtual bool open(Root root, const QString &subKey, quint32 access, Key *key) = 0;
    // Copies the value's bytes into `buffer`, which holds `*size` bytes. On success
    // `*size` is the value's size in bytes (a string's terminating zero included)
    // and `*type` its type. False when the value is missing or does not fit.
    virtual bool query(Key key, const QString &valueName, char *buffer, quint32 *size,
                       quint32 *type) = 0;
    virtual void close(Key key) = 0;
};

// The Win32 registry on Windows; elsewhere nothing is ever found.
class SystemRegistry : public Registry {
public:
    bool open(Root root, const QString &subKey, quint32 access, Key *key) override;
    bool query(Key key, const QString &valueName, char *buffer, quint32 *size,
               quint32 *type) override;
    void close(Key key) override;
};
