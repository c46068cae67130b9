// The export dialog in the main window, offscreen: the preview before and
// after the tags are read, one export through the fakes, the choices kept
// for the next time, and the list left as it was.
#include "main_window/export/export_dialog.h"
#include "tests/common/wait_idle.h"
#include "main_window/main_window.h"
#include "tests/common/accessible_names.h"
#include "tests/common/desktop_fakes.h"
#include "tests/common/test_files.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

class ListExportTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void emptyListIsRefused();
    void previewAndExport();
    void cancelLeavesNoList();
    void failureKeepsTheDialog();

private:
    ExportDialog *openDialog();
    void waitIdle();

    QTemporaryDir m_dir;
    DesktopFakes m_desktop;
    std::unique_ptr<AuxWindows> m_aux;
    std::unique_ptr<MainWindow> m_window;
    QStringList m_entries;
};

void ListExportTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QDir dir(m_dir.path());
    QVERIFY(dir.mkpath(QStringLiteral("music")) && dir.mkpath(QStringLiteral("out")));
    for (const char *name : {"both.mp3", "untagged.mp3"})
        QVERIFY(QFile::copy(QStringLiteral(MELVORA_TEST_DATA "/export/") + QLatin1String(name),
                            dir.filePath(QStringLiteral("music/") + QLatin1String(name))));
    m_entries = {QDir::toNativeSeparators(dir.filePath(QStringLiteral("music/both.mp3"))),
                 QDir::toNativeSeparators(dir.filePath(QStringLiteral("music/untagged.mp3")))};
    m_aux = std::make_unique<AuxWindows>(m_desktop.services());
    m_window = std::make_unique<MainWindow>(m_desktop.messages, m_desktop.dialog, m_desktop.drives, m_desktop.keys,
                                            *m_aux, m_desktop.disk, m_desktop.repairs);
    m_window->show();
}

ExportDialog *ListExportTest::openDialog()
{
    QAction *item = m_window->action(QStringLiteral("menuexport"));
    if (!item || !m_window->toolsMenu()->actions().startsWith(item) || item->text() != QStringLiteral("导出列表(&E)…"))
        return nullptr;
    // One left open (an export cancelled) is closed; a dialog closed before
    // goes at the next turn of the loop.
    if (auto *open = m_window->findChild<ExportDialog *>(); open && open->isVisible())
        open->reject();
    if (!QTest::qWaitFor([this] { return !m_window->findChild<ExportDialog *>(); }))
        return nullptr;
    item->trigger();
    return m_window->findChild<ExportDialog *>(QStringLiteral("exportdialog"));
}

void ListExportTest::waitIdle()
{
    QVERIFY(waitForIdle(m_window->work()));
}

void ListExportTest::emptyListIsRefused()
{
    m_window->playlist().replaceEntries({});
    QVERIFY(!openDialog());
    QCOMPARE(m_desktop.messages.texts(), QStringList{QStringLiteral("列表不能为空!")});
    QCOMPARE(m_desktop.messages.shown.first().title, QStringLiteral("提示"));
}

void ListExportTest::previewAndExport()
{
    m_desktop.messages = FakeMessageBox();
    m_window->playlist().replaceEntries(m_entries);
    ExportDialog *dialog = openDialog();
    QVERIFY(dialog);
    QCOMPARE(dialog->windowTitle(), QStringLiteral("导出列表"));
    for (QWidget *w : dialog->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        QVERIFY2(!w->objectName().isEmpty(), w->metaObject()->className());
    const QStringList unnamed = AccessibleNames::problems(dialog);   // what a screen reader says
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QLatin1Char('\n'))));

    // Names from the tags once they are read; the file names until then.
    const QString both = QStringLiteral("#EXTINF:2,歌手 - 第一首\n") + m_entries[0] + QLatin1Char('\n');
    QTRY_VERIFY2(dialog->preview().contains(both), qPrintable(dialog->preview()));
    QVERIFY(dialog->preview().startsWith(QStringLiteral("#EXTM3U\n")));

    const QString target = QDir(m_dir.path()).filePath(QStringLiteral("out/stick.pls"));
    m_desktop.dialog.names = {target};
    dialog->formatBox()->setCurrentIndex(dialog->formatBox()->findText(QStringLiteral("XSPF")));
    dialog->browseButton()->click();
    QCOMPARE(dialog->target(), target);
    // The browse dialog shows the format chosen first, under its own title.
    QCOMPARE(m_desktop.dialog.saveFilterShown, 3);
    QCOMPARE(m_desktop.dialog.saveTitle, QStringLiteral("导出到"));
    QCOMPARE(dialog->formatBox()->currentText(), QStringLiteral("PLS"));   // from the extension
    dialog->copyBox()->setChecked(true);
    dialog->numberedBox()->setChecked(true);
    QVERIFY(!dialog->pathsBox()->isEnabled());
    QCOMPARE(dialog->preview(), QStringLiteral("[playlist]\nFile1=001 - 歌手 - 第一首.mp3\nTitle1=歌手 - 第一首\n"
                                               "Length1=2\nFile2=002 - untagged.mp3\nTitle2=untagged\nLength2=1\n"
                                               "NumberOfEntries=2\nVersion=2\n"));
    QVERIFY(!QFileInfo::exists(target));   // nothing written before 导出

    dialog->exportButton()->click();
    waitIdle();
    QTRY_COMPARE(m_desktop.messages.texts(),
                 QStringList{QStringLiteral("列表已经导出为%1（复制 2 个文件，0 个已存在）!").arg(target)});
    QCOMPARE(fileBytes(target), QByteArray("[playlist]\r\nFile1=001 - \xe6\xad\x8c\xe6\x89\x8b - "
                                           "\xe7\xac\xac\xe4\xb8\x80\xe9\xa6\x96.mp3\r\n"
                                           "Title1=\xe6\xad\x8c\xe6\x89\x8b - \xe7\xac\xac\xe4\xb8\x80\xe9\xa6\x96\r\n"
                                           "Length1=2\r\nFile2=002 - untagged.mp3\r\nTitle2=untagged\r\n"
                                           "Length2=1\r\nNumberOfEntries=2\r\nVersion=2\r\n"));
    QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral("*.mp3")}, QDir::Files), QStringList());
    QCOMPARE(QDir(QFileInfo(target).path()).entryList(QDir::Files, QDir::Name),
             (QStringList{QStringLiteral("001 - 歌手 - 第一首.mp3"), QStringLiteral("002 - untagged.mp3"),
                          QStringLiteral("stick.pls")}));
    // The list is only read.
    QCOMPARE(m_window->playlist().entries(), m_entries);
    QVERIFY(!m_window->state().listChanged());

    // The choices of this run come back.
    QTRY_VERIFY(!m_window->findChild<ExportDialog *>());
    ExportDialog *again = openDialog();
    QVERIFY(again);
    QCOMPARE(again->target(), target);
    QCOMPARE(again->options().format, ExportFormat::Pls);
    QVERIFY(again->options().copyFiles && again->options().numbered);
    // A format other than the extension's, chosen after the target, stays chosen.
    again->formatBox()->setCurrentIndex(again->formatBox()->findText(QStringLiteral("M3U（只有路径）")));
    again->reject();
    QTRY_VERIFY(!m_window->findChild<ExportDialog *>());
    again = openDialog();
    QVERIFY(again);
    QCOMPARE(again->options().format, ExportFormat::M3uPlain);
    again->reject();
}


// 取消 in the progress window mid-copy: no playlist, no half copy, no message;
// what was copied whole stays whole.
void ListExportTest::cancelLeavesNoList()
{
    m_desktop.messages = FakeMessageBox();
    const QDir many(QDir(m_dir.path()).filePath(QStringLiteral("many")));
    QVERIFY(many.mkpath(QStringLiteral(".")));
    QStringList files;
    for (int i = 0; i < 4000; ++i) {
        files << QDir::toNativeSeparators(many.filePath(QStringLiteral("%1.mp3").arg(i)));
        QVERIFY(putBytes(files.constLast(), QByteArray(1024, char('a' + i % 26))));
    }
    m_window->playlist().replaceEntries(files);
    ExportDialog *dialog = openDialog();
    QVERIFY(dialog);
    const QString target = QDir(m_dir.path()).filePath(QStringLiteral("cancelled/list.m3u"));
    dialog->setTarget(target);
    dialog->copyBox()->setChecked(true);
    dialog->exportButton()->click();
    QProgressDialog *progress = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT((progress = m_window->findChild<QProgressDialog *>(QStringLiteral("workProgress"))),
                             10000);
    if (!m_window->isBusy())
        QSKIP("the copies were done before 取消 could be pressed");
    QPushButton *cancel = progress->findChild<QPushButton *>();
    QVERIFY(cancel && cancel->text() == QStringLiteral("取消"));
    cancel->click();
    waitIdle();
    QVERIFY2(m_desktop.messages.texts().isEmpty(), qPrintable(m_desktop.messages.texts().value(0).left(300)));
    QVERIFY(!QFileInfo::exists(target));
    const QDir out(QFileInfo(target).path());
    const QStringList copies = out.entryList(QDir::Files | QDir::Hidden);
    QVERIFY2(copies.size() < files.size(), "cancelled too late to tell");
    for (const QString &name : copies) {
        QVERIFY2(!name.startsWith(QLatin1Char('.')), qPrintable(name));
        QCOMPARE(fileBytes(out.filePath(name)), fileBytes(many.filePath(name)));
    }
}

// A target the export cannot write: the message names what is in the way,
// in Chinese, and the dialog stays to fix it; a missing folder is made.
void ListExportTest::failureKeepsTheDialog()
{
    m_desktop.messages = FakeMessageBox();
    m_window->playlist().replaceEntries(m_entries);
    const QString file = QDir(m_dir.path()).filePath(QStringLiteral("a file"));
    QVERIFY(putBytes(file, "x"));
    ExportDialog *dialog = openDialog();
    QVERIFY(dialog);
    dialog->copyBox()->setChecked(false);
    dialog->setTarget(file + QStringLiteral("/sub/list.m3u"));
    dialog->exportButton()->click();
    waitIdle();
    QTRY_COMPARE(m_desktop.messages.texts(), QStringList{QStringLiteral("列表没有写入：“%1”不是文件夹").arg(file)});
    QVERIFY(dialog->isVisible());
    const QString target = QDir(m_dir.path()).filePath(QStringLiteral("new/deeper/list.m3u"));
    dialog->setTarget(target);
    dialog->exportButton()->click();
    waitIdle();
    QTRY_COMPARE(m_desktop.messages.texts().size(), 2);
    QCOMPARE(m_desktop.messages.texts().last(), QStringLiteral("列表已经导出为%1!").arg(target));
    QVERIFY(QFileInfo(target).isFile());
    QTRY_VERIFY(!m_window->findChild<ExportDialog *>());
}

QTEST_MAIN(ListExportTest)
#include "tst_list_export.moc"
