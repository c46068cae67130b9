#include "tests/model/model_test_util.h"

#include <QHash>

QStringList letters(const QString &list)
{
    QStringList out;
    for (QChar c : list)
        out << QString(c);
    return out;
}

QString joined(const Playlist &list)
{
    return list.entries().join(QString());
}

std::unique_ptr<Model> makeModel(const QString &list, int sel, bool after, PathRules rules)
{
    auto m = std::make_unique<Model>(rules);
    m->state.load();
    m->list.replaceEntries(letters(list));
    if (!after)
        m->list.setInsertBeforeMode();
    if (sel < 0)
        m->list.selectNone();
    else
        m->list.selectByUser(sel);
    return m;
}

void run(Model &m, const QString &steps)
{
    Playlist &l = m.list;
    for (const QString &step : steps.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QStringList a = step.split(QLatin1Char(':'));
        const QString &op = a.at(0);
        if (op == QLatin1String("del")) l.deleteentry();
        else if (op == QLatin1String("clear")) l.clearlist();
        else if (op == QLatin1String("up")) l.moveup();
        else if (op == QLatin1String("down")) l.movedown();
        else if (op == QLatin1String("top")) l.movetotop();
        else if (op == QLatin1String("bottom")) l.movetobottom();
        else if (op == QLatin1String("undo")) l.undo();
        else if (op == QLatin1String("after")) l.setInsertAfterMode();
        else if (op == QLatin1String("before")) l.setInsertBeforeMode();
        else if (op == QLatin1String("label9")) l.selectNone();
        else if (op == QLatin1String("release")) l.leftButtonReleased();
        else if (op == QLatin1String("save")) m.state.markSaved(QStringLiteral("C:\\l\\x.m3u"));
        else if (op == QLatin1String("sel")) l.selectByUser(a.at(1).toInt());
        else if (op == QLatin1String("add")) l.addClickedFile(QString(), a.at(1));
        else if (op == QLatin1String("all"))
            l.addallfiles(QString(), a.at(1).split(QLatin1Char(','), Qt::SkipEmptyParts));
        else if (op == QLatin1String("drag")) {
            // The press selects the entry under the pointer, the list's
            // selection follows the pointer, then the button comes up.
            l.selectByUser(a.at(1).toInt());
            l.leftButtonPressed();
            l.selectByUser(a.at(2).toInt());
            l.leftButtonReleased();
        } else
            qFatal("unknown step %s", qPrintable(step));
    }
}

UndoOp undoOpOf(const QString &code)
{
    static const QHash<QString, UndoOp> codes = {
        {QString(), UndoOp::None},          {QStringLiteral("del"), UndoOp::Del},
        {QStringLiteral("delbottom"), UndoOp::DelBottom}, {QStringLiteral("up"), UndoOp::Up},
        {QStringLiteral("down"), UndoOp::Down},           {QStringLiteral("MOVEFIRST"), UndoOp::MoveFirst},
        {QStringLiteral("MOVELAST"), UndoOp::MoveLast},   {QStringLiteral("moveback"), UndoOp::MoveBack},
        {QStringLiteral("movefront"), UndoOp::MoveFront}};
    if (!codes.contains(code))
        qFatal("unknown undo code %s", qPrintable(code));
    return codes.value(code);
}

ShadowList::ShadowList(Playlist &list) : rows(list.entries())
{
    QObject::connect(&list, &Playlist::entriesAboutToChange, &list, [this, &list](const ListChange &) {
        m_announced = true;
        m_countBefore = list.count();
    });
    QObject::connect(&list, &Playlist::entriesChanged, &list, [this, &list](const ListChange &c) {
        ++signals_;
        // A change that does not fit the rows the view holds must fail the
        // comparison, not crash the test.
        const int rowsBefore = int(rows.size());
        const bool fits = m_announced && m_countBefore == rowsBefore
            && (c.kind == ListChange::Reset
                || (c.kind == ListChange::Moved
                        ? c.first >= 0 && c.first < rowsBefore && c.to >= 0 && c.to < rowsBefore
                        : c.first >= 0 && c.count > 0
                              && c.first + c.count <= (c.kind == ListChange::Inserted ? list.count() : rowsBefore)));
        m_announced = false;
        if (!fits) {
            rows = QStringList{QStringLiteral("<change out of range>")};
            return;
        }
        switch (c.kind) {
        case ListChange::Inserted:
            for (int i = 0; i < c.count; ++i)
                rows.insert(c.first + i, list.entry(c.first + i));
            break;
        case ListChange::Removed:
            rows.remove(c.first, c.count);
            break;
        case ListChange::Moved:
            rows.move(c.first, c.to);
            break;
        case ListChange::Reset:
            ++resets;
            rows = list.entries();
            break;
        }
    });
}
