#pragma once
// A small disk of a test's own, to fill up: a tmpfs of a given size mounted
// on a folder for as long as the object lives. Mounting needs Linux and root;
// a test that cannot have one skips, saying so.
#include <QByteArray>
#include <QFile>
#include <QString>

#ifdef Q_OS_LINUX
#include <sys/mount.h>
#endif

class SmallDisk {
public:
    static constexpr const char *kCannot = "cannot mount a small tmpfs here (needs Linux and root)";

    SmallDisk(const QString &folder, qint64 bytes) : m_path(QFile::encodeName(folder))
    {
#ifdef Q_OS_LINUX
        const QByteArray size = "size=" + QByteArray::number(bytes);
        m_mounted = ::mount("tmpfs", m_path.constData(), "tmpfs", 0, size.constData()) == 0;
#else
        Q_UNUSED(bytes);
#endif
    }
    ~SmallDisk()
    {
#ifdef Q_OS_LINUX
        if (m_mounted)
            ::umount(m_path.constData());
#endif
    }
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;

    bool mounted() const { return m_mounted; }
    // From now on nothing can be written there (EROFS).
    bool makeReadOnly() const
    {
#ifdef Q_OS_LINUX
        return m_mounted
               && ::mount("tmpfs", m_path.constData(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
#else
        return false;
#endif
    }
    // Takes what room is left with the file `name` in the folder.
    bool fill(const QString &name = QStringLiteral("filler")) const
    {
        QFile filler(QFile::decodeName(m_path) + QLatin1Char('/') + name);
        if (!filler.open(QIODevice::WriteOnly))
            return false;
        const QByteArray block(4096, 'f');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
        return true;
    }

private:
    QByteArray m_path;
    bool m_mounted = false;
};
