#include <QCoreApplication>
#include <QTest>

#include <memory>

QObject *newPathRulesTest();
QObject *newEditingTest();
QObject *newStateTest();
QObject *newEntryKeysTest();
QObject *newHealTest();
QObject *newMediaTypesTest();

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int failed = 0;
    for (auto make : {newPathRulesTest, newEditingTest, newStateTest, newEntryKeysTest, newHealTest,
                      newMediaTypesTest}) {
        std::unique_ptr<QObject> test(make());
        failed += QTest::qExec(test.get(), argc, argv);
    }
    return failed;
}
