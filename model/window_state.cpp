#include "model/window_state.h"

namespace {

QString titleFor(const PathRules &rules, const QString &path)
{
    if (path.isEmpty())
        return QStringLiteral("Melvora—— 未命名");
    return QStringLiteral("Melvora——") + rules.GetFileName(path).toUpper();
}

// The commands comenabled sets, in its order, each with the step whose
// condition disables it.
struct Rule {
    Command command;
    int step;
};
constexpr Rule kComenabled[] = {
    {Command::SaveList, 1},       {Command::SaveListAs, 1},      {Command::Clear, 1},
    {Command::Delete, 2},         {Command::PlaySelected, 2},    {Command::PopupDelete, 2},
    {Command::PopupPlay, 2},
    {Command::MoveUp, 3},         {Command::PopupMoveUp, 3},     {Command::MoveToTop, 3},
    {Command::PopupMoveToTop, 3},
    {Command::MoveDown, 4},       {Command::PopupMoveDown, 4},   {Command::MoveToBottom, 4},
    {Command::PopupMoveToBottom, 4},
    {Command::AddAll, 5},
};

} // namespace

WindowState::WindowState(Playlist &list, QObject *parent) : QObject(parent), m_list(list)
{
    // Captions as the form is designed; load() replaces them.
    m_labels = {QStringLiteral("现在一共"), QStringLiteral("000000"), QStringLiteral("首歌曲"),
                QStringLiteral("Label7"),   QStringLiteral("Label8"), QStringLiteral("当前位置"),
                QStringLiteral("00000")};
    m_enabled.fill(true);
    m_enabled[std::size_t(Command::ReopenInEncoding)] = false;   // no file yet
    m_title = titleFor(m_list.rules(), m_listPath);
    connect(&m_list, &Playlist::edited, this, &WindowState::onEdited);
    connect(&m_list, &Playlist::selectionChanged, this, &WindowState::onSelectionChanged);
    load();
}

void WindowState::load()
{
    setNameCaption(NameCaption::Initial);
    setListPath(QString());
    m_listChanged = false;
    setPlayerShown(false);
    refresh();

    for (std::size_t i = 0; i < kLabelCount; ++i)
        emit labelChanged(Label(i), m_labels[i]);
    emit titleChanged(m_title);
    for (const Rule &r : kComenabled)
        emit commandEnabledChanged(r.command, isEnabled(r.command));
    for (Command c : {Command::Undo, Command::PopupUndo, Command::ShowPlayer, Command::HidePlayer,
                      Command::ReopenInEncoding})
        emit commandEnabledChanged(c, isEnabled(c));
    emit playerTrackChanged(m_playerTrack, m_list.count());
}

// ---- inputs ----------------------------------------------------------------------

void WindowState::setBrowserFileCount(int files)
{
    m_browserFiles = files;
    comenabled();
}

void WindowState::setPlayingPath(const QString &path)
{
    m_playingPath = path;
}

void WindowState::setPlayerShown(bool shown)
{
    setEnabled(Command::HidePlayer, shown);
    setEnabled(Command::ShowPlayer, !shown);
}

void WindowState::pointerMoved()
{
    // With nothing selected the labels keep what they show.
    if (m_list.selection() >= 0)
        label910();
}

// ---- intents -------------------------------------------------------------------------

void WindowState::startNewList()
{
    m_listChanged = false;
    setNameCaption(NameCaption::Unnamed);
    setListPath(QString());
    setSkippedRepeats(0);
    m_list.replaceEntries({});
}

void WindowState::replaceWith(const QStringList &entries, const QString &path, const QList<KeptLines> &lines)
{
    m_list.replaceEntries(entries, lines);
    setSkippedRepeats(int(entries.size()) - m_list.count());
    setNameCaption(NameCaption::Named);
    setListPath(path);
}

void WindowState::insertEntries(const QStringList &entries, const QList<KeptLines> &lines)
{
    const int added = m_list.appendEntries(entries, lines);
    setSkippedRepeats(m_skippedRepeats + int(entries.size()) - added);
}

void WindowState::insertFailed()
{
    m_listChanged = true;
    m_list.endUndoRecord();
    refresh();
}

void WindowState::restore(const PlaylistSnapshot &list, const QString &path, bool changed)
{
    setSkippedRepeats(0);
    if (!path.isEmpty())
        setNameCaption(NameCaption::Named);
    setListPath(path);
    m_listChanged = changed;
    m_list.restore(list);
}

void WindowState::markSaved(const QString &path)
{
    setNameCaption(NameCaption::Named);
    setListPath(path);
    m_listChanged = false;
    comenabled();
    label456();
}

// ---- reactions to the playlist ---------------------------------------------------------

void WindowState::onEdited(Edit what)
{
    // The change flag each edit leaves; the others keep it.
    switch (what) {
    case Edit::FileAdded:
    case Edit::FilesAdded:
    case Edit::MovedUp:
    case Edit::MovedDown:
    case Edit::Appended:
    case Edit::Reordered:
    case Edit::PathsChanged:
        m_listChanged = true;
        break;
    case Edit::Deleted:
    case Edit::EntriesRemoved:
        // An unnamed list that became empty has nothing left to save.
        m_listChanged = !m_listPath.isEmpty() || m_list.count() != 0;
        break;
    case Edit::Cleared:
        m_listChanged = !m_listPath.isEmpty();
        break;
    default:
        break;
    }
    refresh();
    switch (what) {
    case Edit::MovedUp:
    case Edit::MovedDown:
    case Edit::MovedToTop:
    case Edit::MovedToBottom:
    case Edit::Dragged:
    case Edit::Undone:
    case Edit::Replaced:
    case Edit::Recovered:
    case Edit::Reordered:
    case Edit::EntriesRemoved:
    case Edit::PathsChanged:
        form3label4();
        break;
    default:
        break;
    }
}

void WindowState::onSelectionChanged()
{
    comenabled();
    label910();
    undoenabled();
}

// ---- routines ----------------------------------------------------------------------------

void WindowState::refresh()
{
    comenabled();
    label456();
    label910();
    undoByRecord();
}

void WindowState::comenabled()
{
    const int n = m_list.count();
    const int s = m_list.selection();
    const bool off[] = {false, n < 1, s < 0, s < 1, s >= n - 1 || s < 0, m_browserFiles < 1};
    for (const Rule &r : kComenabled)
        setEnabled(r.command, !off[r.step]);
}

void WindowState::label456()
{
    const bool any = m_list.count() > 0;
    setLabel(Label::CountPrefix, any ? QStringLiteral("现在一共") : QString());
    setLabel(Label::Count, any ? QString::number(m_list.count()) : QString());
    setLabel(Label::CountSuffix, any ? QStringLiteral("首歌曲") : QString());
}

void WindowState::label910()
{
    const int s = m_list.selection();
    setLabel(Label::PositionCaption, s >= 0 ? QStringLiteral("当前位置") : QString());
    setLabel(Label::Position, s >= 0 ? QString::number(s + 1) : QString());
}

void WindowState::undoenabled()
{
    setEnabled(Command::Undo, false);
    setEnabled(Command::PopupUndo, false);
}

void WindowState::undoenabledon()
{
    setEnabled(Command::Undo, true);
    setEnabled(Command::PopupUndo, true);
}

void WindowState::undoByRecord()
{
    if (m_list.canUndo())
        undoenabledon();
    else
        undoenabled();
}

void WindowState::form3label4()
{
    m_playerTrack = m_playingPath.isEmpty() ? 0 : m_list.indexOf(m_playingPath) + 1;
    emit playerTrackChanged(m_playerTrack, m_list.count());
}

// ---- helpers -----------------------------------------------------------------------------

void WindowState::setLabel(Label which, const QString &text)
{
    QString &current = m_labels[std::size_t(which)];
    if (current == text)
        return;
    current = text;
    emit labelChanged(which, text);
    // A new count is a new track count for the player, and positions may have moved.
    if (which == Label::Count)
        form3label4();
}

void WindowState::setEnabled(Command command, bool enabled)
{
    bool &current = m_enabled[std::size_t(command)];
    if (current == enabled)
        return;
    current = enabled;
    emit commandEnabledChanged(command, enabled);
}

void WindowState::setListPath(const QString &path)
{
    m_listPath = path;
    setEnabled(Command::ReopenInEncoding, !path.isEmpty());   // it reads the list's file again
    setLabel(Label::ListPath, path.isEmpty() ? QString() : QStringLiteral("    ") + path);
    const QString title = titleFor(m_list.rules(), path);
    if (title != m_title) {
        m_title = title;
        emit titleChanged(title);
    }
}

void WindowState::setSkippedRepeats(int count)
{
    if (count == m_skippedRepeats)
        return;
    m_skippedRepeats = count;
    emit skippedRepeatsChanged(count);
}

void WindowState::setNameCaption(NameCaption caption)
{
    switch (caption) {
    case NameCaption::Initial: setLabel(Label::ListNameCaption, QStringLiteral("当前列表名：")); break;
    case NameCaption::Named: setLabel(Label::ListNameCaption, QStringLiteral("当前列表名:")); break;
    case NameCaption::Unnamed: setLabel(Label::ListNameCaption, QStringLiteral("当前列表未命名")); break;
    }
}
