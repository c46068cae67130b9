#pragma once
#include "platform/registry.h"

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <cstring>

// An in-memory registry. Keys are found case-insensitively, as Windows does.
// By default it behaves like the local-machine root for a user without
// administrator rights: an open asking for more than read rights is refused.
class FakeRegistry : public Registry {
public:
    struct Value {
        quint32 type;
        QByteArray data;
    };

    void setValue(const QString &subKey, const QString &name, quint32 type, const QByteArray &data)
    {
        keys[subKey.toLower()][name.toLower()] = Value{type, data};
    }
    // A string value as the registry stores it: bytes plus a terminating zero.
    void setString(const QString &subKey, const QString &name, const QString &text)
    {
        QByteArray bytes = text.toLocal8Bit();
        bytes.append('\0');
        setValue(subKey, name, String, bytes);
    }

    bool open(Root root, const QString &subKey, quint32 access, Key *key) override
    {
        if (root != Root::LocalMachine || !keys.contains(subKey.toLower()))
            return false;
        if (readOnly && (access & ~kReadAccess) != 0)
            return false;
        const Key k = ++lastKey;
        openKeys.insert(k, subKey.toLower());
        *key = k;
        return true;
    }

    bool query(Key key, const QString &valueName, char *buffer, quint32 *size,
               quint32 *type) override
    {
        const auto values = keys.value(openKeys.value(key));
        const auto it = values.find(valueName.toLower());
        if (failQueries || it == values.end())
            return false;
        const quint32 needed = quint32(it->data.size());
        const bool fits = needed <= *size;
        *size = needed;
        if (!fits)
            return false;
        std::memcpy(buffer, it->data.constData(), needed);
        *type = it->type;
        return true;
    }

    void close(Key key) override { openKeys.remove(key); }

    QHash<QString, QHash<QString, Value>> keys; // lower-case key path -> values
    QHash<Key, QString> openKeys;               // keys opened and not closed yet
    bool readOnly = true;
    bool failQueries = false;
    Key lastKey = 0;
};
