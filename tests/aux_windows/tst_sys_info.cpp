#include "platform/fakes/fake_message_box.h"
#include "platform/fakes/fake_process_starter.h"
#include "platform/fakes/fake_registry.h"
#include "aux_windows/sys_info.h"
#include "platform/url_opener.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

namespace {
const QString kKey = QStringLiteral("SOFTWARE\\Example");
const QString kMsinfoKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString kLocationKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");

QByteArray dword(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}
} // namespace

class SysInfoTest : public QObject {
    Q_OBJECT
private slots:
    void readsValue_data();
    void readsValue();
    void failedLookupEmptiesText_data();
    void failedLookupEmptiesText();
    void startsSysInfo_data();
    void startsSysInfo();
    void systemRegistryWithoutRegistry();
    void internetShortcutFile_data();
    void internetShortcutFile();
};

// A found value gives its text by its type; the key is closed afterwards. The
// fake refuses write access, as the local-machine root does for most users.
void SysInfoTest::readsValue_data()
{
    QTest::addColumn<quint32>("type");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("expected");

    QTest::newRow("string with terminating zero")
        << quint32(Registry::String) << QByteArray("C:\\Tools\\msinfo32.exe\0", 22)
        << QString() << QStringLiteral("C:\\Tools\\msinfo32.exe");
    QTest::newRow("string without terminating zero")
        << quint32(Registry::String) << QByteArray("C:\\Tools") << QString()
        << QStringLiteral("C:\\Tools");
    QTest::newRow("string ending in a zero only once")
        << quint32(Registry::String) << QByteArray("ab\0\0", 4) << QString()
        << QStringLiteral("ab") + QChar(0);
    QTest::newRow("empty string") << quint32(Registry::String) << QByteArray(1, '\0')
                                  << QStringLiteral("old") << QString();
    QTest::newRow("string of no bytes") << quint32(Registry::String) << QByteArray()
                                        << QStringLiteral("old") << QString();
    QTest::newRow("Chinese string") << quint32(Registry::String)
                                    << (QStringLiteral("系统信息").toLocal8Bit() + '\0')
                                    << QString() << QStringLiteral("系统信息");
    QTest::newRow("32-bit value, bytes last to first")
        << quint32(Registry::DWord) << dword(0x0A0B0C0D) << QString()
        << QStringLiteral("&h0A0B0C0D");
    QTest::newRow("32-bit value keeps zero digits")
        << quint32(Registry::DWord) << dword(0x00000101) << QString()
        << QStringLiteral("&h00000101");
    QTest::newRow("32-bit value in upper case")
        << quint32(Registry::DWord) << dword(0xFFEE00AB) << QString()
        << QStringLiteral("&hFFEE00AB");
    QTest::newRow("32-bit value replaces the text")
        << quint32(Registry::DWord) << dword(7) << QStringLiteral("old")
        << QStringLiteral("&h00000007");
    QTest::newRow("binary leaves the text") << quint32(Registry::Binary) << QByteArray("\x01\x02")
                                            << QStringLiteral("old") << QStringLiteral("old");
    QTest::newRow("expandable string leaves the text")
        << quint32(Registry::ExpandString) << QByteArray("%SystemRoot%\0", 13)
        << QStringLiteral("old") << QStringLiteral("old");
}

void SysInfoTest::readsValue()
{
    QFETCH(quint32, type);
    QFETCH(QByteArray, data);
    QFETCH(QString, before);
    QFETCH(QString, expected);

    FakeRegistry registry;
    registry.setValue(kKey, QStringLiteral("Value"), type, data);
    QString text = before;
    QVERIFY(GetKeyValue(registry, Registry::Root::LocalMachine, kKey, QStringLiteral("Value"), &text));
    QCOMPARE(text, expected);
    QVERIFY(registry.openKeys.isEmpty());
}

// Any failed step reports not found with an empty text, and leaves no key open.
void SysInfoTest::failedLookupEmptiesText_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("failQueries");

    QTest::newRow("missing key") << QStringLiteral("SOFTWARE\\Nothing") << QStringLiteral("Value") << false;
    QTest::newRow("missing value") << kKey << QStringLiteral("Other") << false;
    QTest::newRow("query fails") << kKey << QStringLiteral("Value") << true;
    QTest::newRow("value larger than the buffer") << kKey << QStringLiteral("Large") << false;
}

void SysInfoTest::failedLookupEmptiesText()
{
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(bool, failQueries);

    FakeRegistry registry;
    registry.setString(kKey, QStringLiteral("Value"), QStringLiteral("text"));
    registry.setValue(kKey, QStringLiteral("Large"), Registry::String, QByteArray(2000, 'x'));
    registry.failQueries = failQueries;
    QString text = QStringLiteral("stale");
    QVERIFY(!GetKeyValue(registry, Registry::Root::LocalMachine, key, value, &text));
    QCOMPARE(text, QString());
    QVERIFY(registry.openKeys.isEmpty());
}

// "<dir>" in the table stands for a folder that holds MSINFO32.EXE and
// "<missing>" for a program that does not exist.
void SysInfoTest::startsSysInfo_data()
{
    QTest::addColumn<QString>("pathValue");     // MSINFO\PATH, empty: absent
    QTest::addColumn<QString>("locationValue"); // Shared Tools Location\MSINFO, empty: absent
    QTest::addColumn<QString>("started");       // program started, empty: the message

    const QString sep = QDir::separator();
    QTest::newRow("no registry entries") << QString() << QString() << QString();
    QTest::newRow("first key names the program")
        << QStringLiteral("<dir>") + sep + QStringLiteral("MSINFO32.EXE") << QString()
        << QStringLiteral("<dir>") + sep + QStringLiteral("MSINFO32.EXE");
    QTest::newRow("first key names a missing program, second key unused")
        << QStringLiteral("<missing>") << QStringLiteral("<dir>") << QString();
    QTest::newRow("second key names the folder")
        << QString() << QStringLiteral("<dir>")
        << QStringLiteral("<dir>") + sep + QStringLiteral("MSINFO32.EXE");
    QTest::newRow("second key's folder ends with a separator")
        << QString() << QStringLiteral("<dir>") + sep
        << QStringLiteral("<dir>") + sep + QStringLiteral("MSINFO32.EXE");
    QTest::newRow("second key's folder lacks the program")
        << QString() << QStringLiteral("<missing>") << QString();
}

void SysInfoTest::startsSysInfo()
{
    QFETCH(QString, pathValue);
    QFETCH(QString, locationValue);
    QFETCH(QString, started);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = QDir::toNativeSeparators(dir.path());
    QFile program(dir.filePath(QStringLiteral("MSINFO32.EXE")));
    QVERIFY(program.open(QIODevice::WriteOnly));
    program.close();
    const auto resolve = [&](QString text) {
        text.replace(QStringLiteral("<dir>"), folder);
        text.replace(QStringLiteral("<missing>"), folder + QDir::separator() + QStringLiteral("gone"));
        return text;
    };

    FakeRegistry registry;
    if (!pathValue.isEmpty())
        registry.setString(kMsinfoKey, QStringLiteral("PATH"), resolve(pathValue));
    if (!locationValue.isEmpty())
        registry.setString(kLocationKey, QStringLiteral("MSINFO"), resolve(locationValue));
    FakeProcessStarter processes;
    FakeMessageBox messages;

    StartSysInfo(registry, processes, messages);

    if (started.isEmpty()) {
        QVERIFY(processes.started.isEmpty());
        QCOMPARE(messages.shown.size(), 1);
        QCOMPARE(messages.shown.first().text, QStringLiteral("此时系统信息不可用"));
        QCOMPARE(messages.shown.first().title, QStringLiteral("Melvora"));
    } else {
        QCOMPARE(processes.started, QStringList{resolve(started)});
        QVERIFY(messages.shown.isEmpty());
    }
    // The first key's program is tried as it is, never replaced by the second key's.
    if (!pathValue.isEmpty())
        QCOMPARE(processes.attempted, QStringList{resolve(pathValue)});
    QVERIFY(registry.openKeys.isEmpty());
}

// Without a registry of the system's own, the button always ends in the message.
void SysInfoTest::systemRegistryWithoutRegistry()
{
#ifdef Q_OS_WIN
    QSKIP("Windows has a registry");
#else
    SystemRegistry registry;
    QString text = QStringLiteral("stale");
    QVERIFY(!GetKeyValue(registry, Registry::Root::LocalMachine, kMsinfoKey, QStringLiteral("PATH"), &text));
    QCOMPARE(text, QString());
    FakeProcessStarter processes;
    FakeMessageBox messages;
    StartSysInfo(registry, processes, messages);
    QVERIFY(processes.attempted.isEmpty());
    QCOMPARE(messages.texts(), QStringList{QStringLiteral("此时系统信息不可用")});
#endif
}

// The shortcut file handed to the Windows opener: exactly two CR LF lines.
void SysInfoTest::internetShortcutFile_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("mail") << QStringLiteral("mailto:melvora@example.org")
                          << QByteArray("[InternetShortcut]\r\nURL=mailto:melvora@example.org\r\n");
    QTest::newRow("home page") << QStringLiteral("http://www.example.org/melvora")
                               << QByteArray("[InternetShortcut]\r\nURL=http://www.example.org/melvora\r\n");
}

void SysInfoTest::internetShortcutFile()
{
    QFETCH(QString, url);
    QFETCH(QByteArray, expected);
    QCOMPARE(internetShortcutText(url), expected);
}

QTEST_GUILESS_MAIN(SysInfoTest)
#include "tst_sys_info.moc"
