// The real message boxes and file dialog, driven on the offscreen platform:
// widths that keep titles whole, Chinese in the file dialog whatever the
// system's locale, and the folder the dialog opens in.
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "tests/common/when_modal.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QTimer>
#include <QTreeView>
#include <QtTest>

#include <functional>
#include <memory>

namespace {
QStringList columnTexts(QTreeView *view, int row)
{
    QStringList out;
    for (int column = 0; column < 4; ++column)
        out << view->model()->index(row, column, view->rootIndex()).data().toString();
    return out;
}
} // namespace

class PlatformDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();

    void messageBoxKeepsTitleWhole_data();
    void messageBoxKeepsTitleWhole();

    void fileDialogSpeaksChinese();
    void startFolder_data();
    void startFolder();
    void dialogOpensInListFolderThenLastUsed();
    void saveNameTakesChosenFilter_data();
    void saveNameTakesChosenFilter();

private:
    QTemporaryDir m_tmp;
};

void PlatformDialogsTest::initTestCase()
{
    QVERIFY(m_tmp.isValid());
    // The system locale here is C: English sizes and dates unless the dialog
    // sees to its own texts.
    QCOMPARE(QLocale::system().language(), QLocale::C);
}

void PlatformDialogsTest::messageBoxKeepsTitleWhole_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("question");
    QTest::newRow("failed save") << QStringLiteral("提示") << QStringLiteral("未知错误!") << false;
    QTest::newRow("no system information") << QStringLiteral("Melvora") << QStringLiteral("此时系统信息不可用")
                                           << false;
    QTest::newRow("one character") << QStringLiteral("提示") << QStringLiteral("!") << false;
    QTest::newRow("save prompt") << QStringLiteral("提示") << QStringLiteral("列表内容已改变!是否保存？") << true;
}

// A short text must not make the box so narrow that the window manager cuts
// its title to dots: room for the frame's icon and three buttons besides it.
void PlatformDialogsTest::messageBoxKeepsTitleWhole()
{
    QFETCH(QString, title);
    QFETCH(QString, text);
    QFETCH(bool, question);
    QtMessageBox boxes;
    int width = 0;
    QString shownTitle;
    whenModalShows([&](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        if (!box) {
            modal->close();
            return;
        }
        width = box->frameGeometry().width();
        shownTitle = box->windowTitle();
        box->button(question ? QMessageBox::No : QMessageBox::Ok)->click();
    });
    if (question)
        QCOMPARE(boxes.askYesNo(text, title), MessageBox::Answer::No);
    else
        boxes.exclamation(text, title);
    QCOMPARE(shownTitle, title);
    QFont bold = QApplication::font();
    bold.setBold(true);
    // Under openbox's default theme "Melvora" was cut below some 160 pixels.
    QVERIFY2(width >= 160, qPrintable(QString::number(width)));
    QVERIFY(width >= QFontMetrics(bold).horizontalAdvance(title) + 4 * 20);
}

// Sizes, dates, types and column titles in Chinese under the C locale, and
// every column wide enough for its texts.
void PlatformDialogsTest::fileDialogSpeaksChinese()
{
    QDir dir(m_tmp.path());
    QVERIFY(dir.mkpath(QStringLiteral("chinese/专辑")));
    QVERIFY(dir.cd(QStringLiteral("chinese")));
    const QDateTime when(QDate(2023, 12, 7), QTime(9, 5));
    const auto make = [&](const QString &name, qint64 size) {
        QFile f(dir.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.resize(size));
        QVERIFY(f.setFileTime(when, QFileDevice::FileModificationTime));
    };
    make(QStringLiteral("empty.m3u"), 0);
    make(QStringLiteral("a rather long name for a list.pls"), 3 * 1024 * 1024);

    std::unique_ptr<QFileDialog> dialog(createListFileDialog(
        nullptr, QStringLiteral("play list file(*.m3u);;play list file(*.pls)"), false, dir.path()));
    QCOMPARE(QDir(dialog->directory()).canonicalPath(), QDir(dir.path()).canonicalPath());
    dialog->setNameFilter(QStringLiteral("all lists(*.m3u *.pls)"));
    dialog->show();
    auto *details = dialog->findChild<QTreeView *>(QStringLiteral("treeView"));
    QVERIFY(details);
    QTRY_COMPARE(details->model()->rowCount(details->rootIndex()), 3);
    QTest::qWait(100);   // the columns fit once the folder is loaded

    const QStringList header = {details->model()->headerData(0, Qt::Horizontal).toString(),
                                details->model()->headerData(1, Qt::Horizontal).toString(),
                                details->model()->headerData(2, Qt::Horizontal).toString(),
                                details->model()->headerData(3, Qt::Horizontal).toString()};
    QCOMPARE(header, QStringList({"名称", "大小", "类型", "修改日期"}));

    QHash<QString, QStringList> rows;
    for (int row = 0; row < 3; ++row) {
        const QStringList texts = columnTexts(details, row);
        rows.insert(texts.at(0), texts);
        for (int column = 0; column < 4; ++column) {
            const int needed = details->fontMetrics().horizontalAdvance(texts.at(column));
            QVERIFY2(details->columnWidth(column) >= needed,
                     qPrintable(QStringLiteral("column %1: %2").arg(column).arg(texts.at(column))));
        }
    }
    QCOMPARE(rows.value(QStringLiteral("empty.m3u")).mid(1, 2), QStringList({"0 字节", "M3U 播放列表"}));
    const QStringList big = rows.value(QStringLiteral("a rather long name for a list.pls"));
    QVERIFY2(big.at(1).startsWith(QStringLiteral("3.00")) && !big.at(1).contains(QStringLiteral("bytes")),
             qPrintable(big.at(1)));
    QCOMPARE(big.at(2), QStringLiteral("PLS 播放列表"));
    QCOMPARE(big.at(3), QStringLiteral("2023/12/7 09:05"));
    QCOMPARE(rows.value(QStringLiteral("专辑")).mid(1, 2), QStringList({QString(), "文件夹"}));
}

void PlatformDialogsTest::startFolder_data()
{
    QTest::addColumn<QString>("listFolder");
    QTest::addColumn<QString>("lastFolder");
    QTest::addColumn<QString>("expected");
    const QString a = m_tmp.path();
    const QString b = QDir::tempPath();
    const QString gone = m_tmp.filePath(QStringLiteral("no such folder"));
    QTest::newRow("the list's folder first") << a << b << a;
    QTest::newRow("unnamed list: the last one") << QString() << b << b;
    QTest::newRow("list's folder removed") << gone << b << b;
    QTest::newRow("last one removed") << QString() << gone << QString();
    QTest::newRow("nothing yet") << QString() << QString() << QString();
}

void PlatformDialogsTest::startFolder()
{
    QFETCH(QString, listFolder);
    QFETCH(QString, lastFolder);
    QFETCH(QString, expected);
    QCOMPARE(dialogStartFolder(listFolder, lastFolder), expected);
}

// The real dialog opens in the list's folder; with an unnamed list, in the
// folder of the file chosen last.
void PlatformDialogsTest::dialogOpensInListFolderThenLastUsed()
{
    QDir dir(m_tmp.path());
    QVERIFY(dir.mkpath(QStringLiteral("lists")));
    QVERIFY(dir.mkpath(QStringLiteral("elsewhere")));
    const QString lists = QDir(dir.filePath(QStringLiteral("lists"))).canonicalPath();
    const QString elsewhere = QDir(dir.filePath(QStringLiteral("elsewhere"))).canonicalPath();

    QtFileDialog dialog;
    dialog.setFilter(QStringLiteral("play list file(*.m3u);;play list file(*.pls)"));
    QStringList openedIn;
    const auto answer = [&](const QString &file) {
        whenModalShows([&, file](QWidget *modal) {
            auto *d = qobject_cast<QFileDialog *>(modal);
            if (!d) {
                modal->close();
                return;
            }
            openedIn << QDir(d->directory()).canonicalPath();
            // As typed into the name box.
            auto *name = d->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            if (!name) {
                modal->close();
                return;
            }
            name->setText(file);
            QMetaObject::invokeMethod(d, "accept");
        });
    };
    dialog.setListFolder(lists);
    answer(elsewhere + QStringLiteral("/x.m3u"));
    QCOMPARE(dialog.getOpenFileName(), elsewhere + QStringLiteral("/x.m3u"));
    dialog.setListFolder(QString());
    answer(elsewhere + QStringLiteral("/y.pls"));
    QCOMPARE(dialog.getSaveFileName().fileName, elsewhere + QStringLiteral("/y.pls"));
    QCOMPARE(openedIn, QStringList({lists, elsewhere}));
}

// A typed name that matches none of the filters gets the chosen filter's
// extension; one that matches a filter, in any case, stays as typed.
void PlatformDialogsTest::saveNameTakesChosenFilter_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("filter");
    QTest::addColumn<QString>("saved");
    QTest::newRow("no extension, first filter") << "mine" << 0 << "mine.m3u";
    QTest::newRow("no extension, second filter") << "mine" << 1 << "mine.pls";
    QTest::newRow("another extension") << "notes.txt" << 2 << "notes.txt.m3u8";
    QTest::newRow("a filter's extension") << "mine.PLS" << 0 << "mine.PLS";
    QTest::newRow("m3u8 under the m3u filter") << "mine.m3u8" << 0 << "mine.m3u8";
}

void PlatformDialogsTest::saveNameTakesChosenFilter()
{
    QFETCH(QString, typed);
    QFETCH(int, filter);
    QFETCH(QString, saved);
    const QString folder = QDir(m_tmp.path()).canonicalPath();
    QtFileDialog dialog;
    dialog.setFilter(QStringLiteral("play list file(*.m3u);;play list file(*.pls);;play list file(*.m3u8)"));
    dialog.setListFolder(folder);
    whenModalShows([&](QWidget *modal) {
        auto *d = qobject_cast<QFileDialog *>(modal);
        auto *name = d ? d->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")) : nullptr;
        if (!name) {
            modal->close();
            return;
        }
        d->selectNameFilter(d->nameFilters().value(filter));
        name->setFocus();   // as when the user types the name and presses Enter
        name->setText(typed);
        QMetaObject::invokeMethod(d, "accept");
    });
    const FileDialog::SaveName answer = dialog.getSaveFileName();
    QCOMPARE(answer.fileName, folder + QLatin1Char('/') + saved);
    QCOMPARE(answer.filter, filter);
}

QTEST_MAIN(PlatformDialogsTest)
#include "tst_platform_dialogs.moc"
