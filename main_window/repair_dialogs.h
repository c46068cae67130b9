#pragma once
#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

// The questions the list tools' repairs ask: where moved files went, which
// of several files of a name an entry meant, and which path start to replace.
// The list tools talk to this interface, so tests can answer them (the fake
// is in main_window/fakes/); the questions carry the main window's title
// for its boxes, "提示".
class RepairDialogs {
public:
    virtual ~RepairDialogs() = default;
    // A folder to search; empty when the user cancelled.
    virtual QString chooseFolder(const QString &title) = 0;
    // Which of `candidates` (best first) is the file `entry` meant, asked as
    // question `number` of `count`: its index, Skip, SkipAll (this one and
    // every one after it), or Cancel (nothing found so far is applied).
    static constexpr int Skip = -1;
    static constexpr int Cancel = -2;
    static constexpr int SkipAll = -3;
    virtual int chooseFile(const QString &entry, const QStringList &candidates, int number, int count) = 0;
    struct Prefix {
        QString from;
        QString to;
    };
    // The start to replace and its replacement, `suggested` filled in; none when cancelled.
    virtual std::optional<Prefix> askPrefix(const Prefix &suggested) = 0;
};

// The dialogs the user sees, modal to `parent`, in Chinese.
class QtRepairDialogs : public RepairDialogs {
public:
    explicit QtRepairDialogs(QWidget *parent = nullptr) : m_parent(parent) {}
    // The window the dialogs are modal to, once there is one.
    void setParent(QWidget *parent) { m_parent = parent; }
    QString chooseFolder(const QString &title) override;
    int chooseFile(const QString &entry, const QStringList &candidates, int number, int count) override;
    std::optional<Prefix> askPrefix(const Prefix &suggested) override;

private:
    QWidget *m_parent;
};
