#include "list_state.h"

namespace {

QString signBlank(int n)
{
    return n >= 0 ? QLatin1Char(' ') + QString::number(n) : QString::number(n);
}

const QString kLabel4 = QStringLiteral("Label4");
const QString kLabel5 = QStringLiteral("Label5");
const QString kLabel6 = QStringLiteral("Label6");
const QString kLabel7 = QStringLiteral("Label7");
const QString kLabel8 = QStringLiteral("Label8");
const QString kLabel9 = QStringLiteral("Label9");
const QString kLabel10 = QStringLiteral("Label10");
const QString kUndo = QStringLiteral("menuundo");
const QString kPopUndo = QStringLiteral("poplist1undo");

} // namespace

const QStringList &ListState::commandNames()
{
    static const QStringList names = {
        QStringLiteral("menusave"), QStringLiteral("menusaveas"), QStringLiteral("menuclear"),
        QStringLiteral("menudell"), QStringLiteral("menuplay"), QStringLiteral("poplist1del"),
        QStringLiteral("poplist1play"),
        QStringLiteral("menuup"), QStringLiteral("poplist1up"), QStringLiteral("MENUFIRST"),
        QStringLiteral("POPLIST1FIRST"),
        QStringLiteral("menudown"), QStringLiteral("poplist1down"), QStringLiteral("MENULAST"),
        QStringLiteral("POPLIST1LAST"),
        QStringLiteral("menuselec"),
        kUndo, kPopUndo};
    return names;
}

ListState::ListState(PathRules rules, QObject *parent)
    : QObject(parent), m_rules(rules)
{
    // Captions as the form is designed; load() replaces them.
    m_labels = {{kLabel4, QStringLiteral("现在一共")}, {kLabel5, QStringLiteral("000000")},
                {kLabel6, QStringLiteral("首歌曲")},   {kLabel7, QStringLiteral("Label7")},
                {kLabel8, QStringLiteral("Label8")},   {kLabel9, QStringLiteral("当前位置")},
                {kLabel10, QStringLiteral("00000")}};
    for (const QString &name : commandNames())
        m_enabled.insert(name, true);
    m_title = computeTitle();
    load();
}

bool ListState::contains(const QString &path) const
{
    return m_keys.contains(m_rules.key(path));
}

int ListState::indexOf(const QString &path) const
{
    const QString key = m_rules.key(path);
    if (!m_keys.contains(key))
        return -1;
    for (int i = 0; i < count(); ++i) {
        if (m_rules.key(m_entries.at(i)) == key)
            return i;
    }
    return -1;
}

QString ListState::labelText(const QString &name) const
{
    return m_labels.value(name);
}

QString ListState::title() const
{
    return m_title;
}

bool ListState::isEnabled(const QString &name) const
{
    return m_enabled.value(name, true);
}

// ---- load ------------------------------------------------------------------

void ListState::load()
{
    setLabel7(QStringLiteral("当前列表名："));
    setLabel8(QString());
    setListchanged(false);
    refresh();

    for (auto it = m_labels.cbegin(); it != m_labels.cend(); ++it)
        emit labelChanged(it.key(), it.value());
    emit titleChanged(m_title);
    for (const QString &name : commandNames())
        emit enabledChanged(name, m_enabled.value(name));
    emit form3LabelsChanged();
    emit insertModeChanged(m_insertAfter);
    emit selectionChanged(m_selection);
}

// ---- user-interface events ---------------------------------------------------

void ListState::selectByUser(int index)
{
    if (index == m_selection || index < -1 || index >= count())
        return;
    applySelection(index);
}

void ListState::clickLabel9()
{
    applySelection(-1);
    label910();
    undoenabled();
}

void ListState::pointerMoved()
{
    // With nothing selected the labels keep what they show.
    if (m_selection >= 0)
        label910();
}

void ListState::leftButtonPressed()
{
    m_pressedAt = m_selection;
    m_dragPressed = true;
}

void ListState::leftButtonReleased()
{
    // Without a press there is no drag origin; moving from a made-up one
    // would shuffle an entry the user never touched.
    if (!m_dragPressed)
        return;
    // Clicking the entry a drag just moved changes no selection, so undo stays
    // on: the drag's record must survive the click, or undo would do nothing.
    if (m_selection == m_pressedAt)
        return;
    m_dragfrom = m_pressedAt;
    m_dragto = m_selection;
    tuodong();
}

void ListState::setBrowserFileCount(int files)
{
    m_browserFiles = files;
    comenabled();
}

void ListState::setPlayingPath(const QString &path)
{
    m_playingPath = path;
    form3label4();
}

// ---- routines ------------------------------------------------------------------

void ListState::form3label4()
{
    const int i = m_playingPath.isEmpty() ? -1 : indexOf(m_playingPath);
    const QString text = i >= 0 ? signBlank(i + 1) : QStringLiteral("0");
    if (text == m_form3Label4)
        return;
    m_form3Label4 = text;
    emit form3LabelsChanged();
}

void ListState::label456()
{
    const bool any = count() > 0;
    setLabel(kLabel4, any ? QStringLiteral("现在一共") : QString());
    setLabel(kLabel5, any ? QString::number(count()) : QString());
    setLabel(kLabel6, any ? QStringLiteral("首歌曲") : QString());
}

void ListState::label910()
{
    const bool any = m_selection >= 0;
    setLabel(kLabel9, any ? QStringLiteral("当前位置") : QString());
    setLabel(kLabel10, any ? QString::number(m_selection + 1) : QString());
}

void ListState::refresh()
{
    comenabled();
    label456();
    label910();
    undoenabled();
}

void ListState::undoenabled()
{
    setCommandEnabled(kUndo, false);
    setCommandEnabled(kPopUndo, false);
}

void ListState::undoenabledon()
{
    setCommandEnabled(kUndo, true);
    setCommandEnabled(kPopUndo, true);
}

void ListState::comenabled()
{
    const QStringList &names = commandNames();
    const int n = count();
    const int s = m_selection;
    const bool off[] = {n < 1, s < 0, s < 1, s >= n - 1 || s < 0, m_browserFiles < 1};
    const int steps[] = {0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4};
    for (int i = 0; i < 16; ++i)
        setCommandEnabled(names.at(i), !off[steps[i]]);
}

// ---- building blocks -------------------------------------------------------------

void ListState::setListchanged(bool changed)
{
    m_listchanged = changed ? QStringLiteral("true") : QStringLiteral("false");
}

void ListState::setOpenmode(const QString &mode)
{
    m_openmode = mode;
}

void ListState::setLabel7(const QString &text)
{
    setLabel(kLabel7, text);
}

void ListState::setLabel8(const QString &text)
{
    setLabel(kLabel8, text);
}

void ListState::clearEntries()
{
    if (!m_entries.isEmpty()) {
        m_entries.clear();
        m_keys.clear();
        changed(ListChange::Reset, 0, 0);
    }
    if (m_selection != -1)
        announceSelection(-1);
}

int ListState::appendUnique(const QStringList &paths)
{
    const int first = count();
    m_keys.reserve(first + paths.size());
    m_entries.reserve(first + paths.size());
    for (const QString &path : paths) {
        if (claimKey(path))
            m_entries.append(path);
    }
    const int added = count() - first;
    if (added > 0)
        changed(ListChange::Inserted, first, added);
    return added;
}

void ListState::setSelection(int index)
{
    applySelection(index < -1 || index >= count() ? -1 : index);
}

// ---- private helpers -------------------------------------------------------------

void ListState::setLabel(const QString &name, const QString &text)
{
    QString &current = m_labels[name];
    if (current == text)
        return;
    current = text;
    emit labelChanged(name, text);
    if (name == kLabel5) {
        form3label4();
        const QString slash = QLatin1Char('/') + signBlank(count());
        if (slash != m_form3Label6) {
            m_form3Label6 = slash;
            emit form3LabelsChanged();
        }
    } else if (name == kLabel8) {
        const QString t = computeTitle();
        if (t != m_title) {
            m_title = t;
            emit titleChanged(t);
        }
    }
}

void ListState::setCommandEnabled(const QString &name, bool enabled)
{
    bool &current = m_enabled[name];
    if (current == enabled)
        return;
    current = enabled;
    emit enabledChanged(name, enabled);
}

void ListState::applySelection(int index)
{
    announceSelection(index);
    comenabled();
    label910();
    undoenabled();
}

void ListState::announceSelection(int index)
{
    m_selection = index;
    emit selectionChanged(index);
}

void ListState::addKey(const QString &path)
{
    ++m_keys[m_rules.key(path)];
}

bool ListState::claimKey(const QString &path)
{
    int &entries = m_keys[m_rules.key(path)];   // one hash lookup per path
    if (entries)
        return false;
    entries = 1;
    return true;
}

void ListState::removeKey(const QString &path)
{
    const auto it = m_keys.find(m_rules.key(path));
    if (it != m_keys.end() && --it.value() <= 0)
        m_keys.erase(it);
}

void ListState::changed(ListChange::Kind kind, int first, int count, int to)
{
    ListChange change;
    change.kind = kind;
    change.first = first;
    change.count = count;
    change.to = to;
    emit entriesChanged(change);
}

QString ListState::computeTitle() const
{
    QString path = m_labels.value(kLabel8);
    if (path.isEmpty())
        return QStringLiteral("Melvora—— 未命名");
    qsizetype lead = 0;
    while (lead < path.size() && path.at(lead) == QLatin1Char(' '))
        ++lead;
    path.remove(0, lead);
    return QStringLiteral("Melvora——") + m_rules.GetFileName(path).toUpper();
}
