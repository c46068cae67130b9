// List1's rows over the playlist: each change of the list reaches a view as
// one coarse model signal, inside changeStarting/changeFinished, with the
// rows as they were until the model tells the change; and the roles a row
// serves. A QAbstractItemModelTester watches every test.
#include "main_window/missing_entries.h"
#include "main_window/playlist_model.h"
#include "model/playlist.h"
#include "platform/fakes/fake_file_probe.h"

#include <QAbstractItemModelTester>
#include <QColor>
#include <QFont>
#include <QSignalSpy>
#include <QTest>

#include <memory>

class PlaylistModelTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    // Inserts, deletes, moves, drags, undo, clear and open each come as one
    // signal of the right kind over the right rows.
    void changesAreTold_data();
    void changesAreTold();
    // 100,000 rows come and go as one signal, not one a row.
    void manyRowsAreOneChange_data();
    void manyRowsAreOneChange();
    // A row's text, tip and the marks of a missing or unmounted entry; other
    // roles and rows out of range give nothing.
    void roles_data();
    void roles();

private:
    QString rows() const { return m_list->entries().join(u','); }
    QString text(int row) const { return m_model->index(row).data().toString(); }
    void run(const QString &step);

    std::unique_ptr<Playlist> m_list;
    std::unique_ptr<PlaylistModel> m_model;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
    QString m_told;   // what the model said, in order
};

void PlaylistModelTest::init()
{
    m_list = std::make_unique<Playlist>(PathRules::posix());
    m_model = std::make_unique<PlaylistModel>(*m_list);
    m_tester = std::make_unique<QAbstractItemModelTester>(m_model.get(),
                                                          QAbstractItemModelTester::FailureReportingMode::QtTest);
    m_told.clear();
    PlaylistModel *model = m_model.get();
    const auto texts = [this](int first, int last) {
        QStringList t;
        for (int row = first; row <= last && t.size() < 3; ++row)
            t << text(row);
        return t.join(u',');
    };
    connect(model, &PlaylistModel::changeStarting, this, [this] { m_told += u'['; });
    connect(model, &PlaylistModel::changeFinished, this, [this] { m_told += u']'; });
    // The rows a removal takes are still there when it is announced; new rows
    // and moved ones hold their texts when they are told.
    connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, this, [=, this](const QModelIndex &, int first, int last) {
        m_told += QStringLiteral("remove %1-%2 %3").arg(first).arg(last).arg(texts(first, last));
    });
    connect(model, &QAbstractItemModel::rowsInserted, this, [=, this](const QModelIndex &, int first, int last) {
        m_told += QStringLiteral("insert %1-%2 %3").arg(first).arg(last).arg(texts(first, last));
    });
    connect(model, &QAbstractItemModel::dataChanged, this, [=, this](const QModelIndex &from, const QModelIndex &to) {
        m_told += QStringLiteral("data %1-%2 %3").arg(from.row()).arg(to.row()).arg(texts(from.row(), to.row()));
    });
    connect(model, &QAbstractItemModel::modelReset, this, [this] { m_told += QStringLiteral("reset"); });
}

void PlaylistModelTest::cleanup()
{
    m_tester.reset();
    m_model.reset();
    m_list.reset();
}

// "add X" (beside the selection), "before" (insert-before mode), "select N",
// "press"/"release" (the left button), "delete", "up", "down", "top",
// "bottom", "undo", "clear", "open X,Y", "append X,Y", "reverse".
void PlaylistModelTest::run(const QString &step)
{
    const QString verb = step.section(u' ', 0, 0);
    const QString rest = step.section(u' ', 1);
    if (verb == u"add")
        m_list->addFiles({rest});
    else if (verb == u"before")
        m_list->setInsertBeforeMode();
    else if (verb == u"select")
        m_list->selectByUser(rest.toInt());
    else if (verb == u"press")
        m_list->leftButtonPressed();
    else if (verb == u"release")
        m_list->leftButtonReleased();
    else if (verb == u"delete")
        m_list->deleteentry();
    else if (verb == u"up")
        m_list->moveup();
    else if (verb == u"down")
        m_list->movedown();
    else if (verb == u"top")
        m_list->movetotop();
    else if (verb == u"bottom")
        m_list->movetobottom();
    else if (verb == u"undo")
        m_list->undo();
    else if (verb == u"clear")
        m_list->clearlist();
    else if (verb == u"open")
        m_list->replaceEntries(rest.split(u','));
    else if (verb == u"append")
        m_list->appendEntries(rest.split(u','));
    else if (verb == u"reverse")
        m_list->reorder({3, 2, 1, 0});
    else
        QFAIL(qPrintable(step));
}

void PlaylistModelTest::changesAreTold_data()
{
    QTest::addColumn<QStringList>("steps");   // on A,B,C,D with B selected
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("told");
    QTest::newRow("add after the selected") << QStringList{"add N"} << "A,B,N,C,D" << "[insert 2-2 N]";
    QTest::newRow("add before the selected") << QStringList{"before", "add N"} << "A,N,B,C,D" << "[insert 1-1 N]";
    QTest::newRow("add with nothing selected") << QStringList{"select -1", "add N"} << "A,B,C,D,N"
                                               << "[insert 4-4 N]";
    QTest::newRow("delete") << QStringList{"delete"} << "A,C,D" << "[remove 1-1 B]";
    QTest::newRow("delete the last") << QStringList{"select 3", "delete"} << "A,B,C" << "[remove 3-3 D]";
    QTest::newRow("up") << QStringList{"up"} << "B,A,C,D" << "[data 0-1 B,A]";
    QTest::newRow("down") << QStringList{"down"} << "A,C,B,D" << "[data 1-2 C,B]";
    QTest::newRow("top") << QStringList{"select 3", "top"} << "D,A,B,C" << "[data 0-3 D,A,B]";
    QTest::newRow("bottom") << QStringList{"select 0", "bottom"} << "B,C,D,A" << "[data 0-3 B,C,D]";
    QTest::newRow("drag down") << QStringList{"select 0", "press", "select 2", "release"} << "B,C,A,D"
                               << "[data 0-2 B,C,A]";
    QTest::newRow("drag up") << QStringList{"select 3", "press", "select 0", "release"} << "A,D,B,C"
                             << "[data 1-3 D,B,C]";
    QTest::newRow("undo a delete") << QStringList{"delete", "undo"} << "A,B,C,D" << "[remove 1-1 B][insert 1-1 B]";
    QTest::newRow("undo a move") << QStringList{"down", "undo"} << "A,B,C,D" << "[data 1-2 C,B][data 1-2 B,C]";
    QTest::newRow("clear") << QStringList{"clear"} << "" << "[reset]";
    QTest::newRow("open, repeats left out") << QStringList{"open X,Y,X"} << "X,Y" << "[reset]";
    QTest::newRow("append what is new") << QStringList{"append C,E"} << "A,B,C,D,E" << "[insert 4-4 E]";
    QTest::newRow("append nothing new") << QStringList{"append A,D"} << "A,B,C,D" << "";
    QTest::newRow("sort or reverse") << QStringList{"reverse"} << "D,C,B,A" << "[reset]";
    QTest::newRow("undo a reverse") << QStringList{"reverse", "undo"} << "A,B,C,D" << "[reset][reset]";
}

void PlaylistModelTest::changesAreTold()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, after);
    QFETCH(QString, told);
    m_list->replaceEntries({"A", "B", "C", "D"});
    m_list->selectByUser(1);
    m_told.clear();
    for (const QString &step : steps)
        run(step);
    QCOMPARE(m_told, told);
    QCOMPARE(rows(), after);
    QStringList shown;
    for (int row = 0; row < m_model->rowCount(); ++row)
        shown << text(row);
    QCOMPARE(shown.join(u','), after);
}

void PlaylistModelTest::manyRowsAreOneChange_data()
{
    QTest::addColumn<QString>("step");   // on A,B,C,D; "many": 100,000 entries
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("told");
    QTest::newRow("open") << "open many" << 100000 << "[reset]";
    QTest::newRow("append") << "append many" << 100004 << "[insert 4-100003 /m/0.mp3,/m/1.mp3,/m/2.mp3]";
    QTest::newRow("clear") << "clear" << 0 << "[reset]";
}

void PlaylistModelTest::manyRowsAreOneChange()
{
    QFETCH(QString, step);
    QFETCH(int, rows);
    QFETCH(QString, told);
    QStringList many;
    many.reserve(100000);
    for (int i = 0; i < 100000; ++i)
        many << QStringLiteral("/m/%1.mp3").arg(i);
    if (step == u"clear")
        m_list->replaceEntries(many);
    else
        m_list->replaceEntries({"A", "B", "C", "D"});
    m_told.clear();
    if (step == u"open many")
        m_list->replaceEntries(many);
    else if (step == u"append many")
        m_list->appendEntries(many);
    else
        run(step);
    QCOMPARE(m_told, told);
    QCOMPARE(m_model->rowCount(), rows);
    if (rows > 0)
        QCOMPARE(text(rows - 1), QStringLiteral("/m/99999.mp3"));
}

void PlaylistModelTest::roles_data()
{
    QTest::addColumn<int>("row");   // of /m/here.mp3, /m/gone.mp3, /media/usb/away.mp3
    QTest::addColumn<int>("role");
    QTest::addColumn<QString>("shown");   // text, colour name, font marks, or "none"
    QTest::newRow("text") << 1 << int(Qt::DisplayRole) << "/m/gone.mp3";
    QTest::newRow("tip without tags: the path") << 0 << int(Qt::ToolTipRole) << "/m/here.mp3";
    QTest::newRow("present: plain colour") << 0 << int(Qt::ForegroundRole) << "none";
    QTest::newRow("present: plain font") << 0 << int(Qt::FontRole) << "none";
    QTest::newRow("missing: grey") << 1 << int(Qt::ForegroundRole) << "#a0a0a4";
    QTest::newRow("missing: struck through") << 1 << int(Qt::FontRole) << "struck";
    QTest::newRow("unmounted: dark yellow") << 2 << int(Qt::ForegroundRole) << "#808000";
    QTest::newRow("unmounted: italics") << 2 << int(Qt::FontRole) << "italic";
    QTest::newRow("no picture") << 0 << int(Qt::DecorationRole) << "none";
    QTest::newRow("row past the end") << 3 << int(Qt::DisplayRole) << "none";
}

void PlaylistModelTest::roles()
{
    QFETCH(int, row);
    QFETCH(int, role);
    QFETCH(QString, shown);
    FakeFileProbe disk;
    disk.files = {QStringLiteral("/m/here.mp3")};
    disk.mounts = {QStringLiteral("/media/usb")};
    MissingEntries health(*m_list, disk);
    m_model->setHealth(&health);
    QSignalSpy checked(&health, &MissingEntries::checked);
    m_list->replaceEntries({"/m/here.mp3", "/m/gone.mp3", "/media/usb/away.mp3"});
    m_told.clear();
    QVERIFY(checked.wait());
    QCOMPARE(m_told, QStringLiteral("data 0-2 /m/here.mp3,/m/gone.mp3,/media/usb/away.mp3"));   // every row repainted

    const QVariant value = m_model->data(m_model->index(row), role);
    QString got = QStringLiteral("none");
    if (value.typeId() == QMetaType::QColor)
        got = value.value<QColor>().name();
    else if (value.typeId() == QMetaType::QFont)
        got = value.value<QFont>().strikeOut() ? QStringLiteral("struck")
              : value.value<QFont>().italic()  ? QStringLiteral("italic")
                                               : QStringLiteral("plain");
    else if (value.isValid())
        got = value.toString();
    QCOMPARE(got, shown);
}

QTEST_MAIN(PlaylistModelTest)
#include "tst_playlist_model.moc"
