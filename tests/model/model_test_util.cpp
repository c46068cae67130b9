#include "model_test_util.h"

QStringList letters(const QString &list)
{
    QStringList out;
    for (QChar c : list)
        out << QString(c);
    return out;
}

QString joined(const ListState &m)
{
    return m.entries().join(QString());
}

std::unique_ptr<ListState> makeState(const QString &list, int sel, bool after, PathRules rules)
{
    auto m = std::make_unique<ListState>(rules);
    m->load();
    m->appendUnique(letters(list));
    if (!after)
        m->setInsertBeforeMode();
    m->setSelection(sel);
    m->label456();
    return m;
}

void run(ListState &m, const QString &steps)
{
    for (const QString &step : steps.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QStringList a = step.split(QLatin1Char(':'));
        const QString &op = a.at(0);
        if (op == QLatin1String("del")) m.deleteentry();
        else if (op == QLatin1String("clear")) m.clearlist();
        else if (op == QLatin1String("up")) m.moveup();
        else if (op == QLatin1String("down")) m.movedown();
        else if (op == QLatin1String("top")) m.movetotop();
        else if (op == QLatin1String("bottom")) m.movetobottom();
        else if (op == QLatin1String("undo")) m.undo();
        else if (op == QLatin1String("after")) m.setInsertAfterMode();
        else if (op == QLatin1String("before")) m.setInsertBeforeMode();
        else if (op == QLatin1String("label9")) m.clickLabel9();
        else if (op == QLatin1String("release")) m.leftButtonReleased();
        else if (op == QLatin1String("name")) m.setLabel8(QStringLiteral("    C:\\l\\x.m3u"));
        else if (op == QLatin1String("sel")) m.selectByUser(a.at(1).toInt());
        else if (op == QLatin1String("add")) m.addClickedFile(QString(), a.at(1));
        else if (op == QLatin1String("all"))
            m.addallfiles(QString(), a.at(1).split(QLatin1Char(','), Qt::SkipEmptyParts));
        else if (op == QLatin1String("drag")) {
            // The press selects the entry under the pointer, the list's
            // selection follows the pointer, then the button comes up.
            m.selectByUser(a.at(1).toInt());
            m.leftButtonPressed();
            m.selectByUser(a.at(2).toInt());
            m.leftButtonReleased();
        } else
            qFatal("unknown step %s", qPrintable(step));
    }
}

ShadowList::ShadowList(ListState &m) : rows(m.entries())
{
    QObject::connect(&m, &ListState::entriesChanged, &m, [this, &m](const ListChange &c) {
        ++signals_;
        // A change that does not fit the rows the view holds must fail the
        // comparison, not crash the test.
        const int rowsBefore = int(rows.size());
        const bool fits = c.kind == ListChange::Reset
            || (c.kind == ListChange::Moved
                    ? c.first >= 0 && c.first < rowsBefore && c.to >= 0 && c.to < rowsBefore
                    : c.first >= 0 && c.count > 0
                          && c.first + c.count <= (c.kind == ListChange::Inserted ? m.count() : rowsBefore));
        if (!fits) {
            rows = QStringList{QStringLiteral("<change out of range>")};
            return;
        }
        switch (c.kind) {
        case ListChange::Inserted:
            for (int i = 0; i < c.count; ++i)
                rows.insert(c.first + i, m.entry(c.first + i));
            break;
        case ListChange::Removed:
            rows.remove(c.first, c.count);
            break;
        case ListChange::Moved:
            rows.move(c.first, c.to);
            break;
        case ListChange::DataChanged:
            for (int i = 0; i < c.count; ++i)
                rows[c.first + i] = m.entry(c.first + i);
            break;
        case ListChange::Reset:
            ++resets;
            rows = m.entries();
            break;
        }
    });
}
