#include "player/player_host.h"

#include "player/form3.h"
#include "player/mp3_control.h"
#include "player/mp3_player_control.h"
#include "player/player_state.h"

using namespace Player;

PlayerHost::PlayerHost(const PlayerList &list, ComponentFactory factory, PathRules rules, QObject *parent)
    : QObject(parent)
    , m_list(list)
    , m_factory(std::move(factory))
    , m_rules(rules)
{
}

PlayerHost::~PlayerHost()
{
    delete m_window.data();
}

bool PlayerHost::isLoaded() const
{
    return m_window != nullptr;
}

Form3 *PlayerHost::window() const
{
    return m_window;
}

void PlayerHost::load()
{
    auto *window = new Form3;
    Mp3Control *component = m_factory ? m_factory() : new Mp3PlayerControl;
    component->setParent(window);
    if (component->objectName().isEmpty())
        component->setObjectName(QStringLiteral("mp"));
    m_window = window;
    m_component = component;
    m_state = new PlayerState(m_list, *component, m_rules, window);
    syncView();
    connectView();
    window->dock();
    emit windowChanged();
    m_state->load();   // may start a track, and may fail and unload
}

void PlayerHost::syncView()
{
    for (int i = 0; i < ControlCount; ++i) {
        const auto c = Control(i);
        m_window->setControlEnabled(c, m_state->isEnabled(c));
        if (!m_state->isVisible(c))
            m_window->setControlVisible(c, false);
    }
    for (int i = 0; i < TextCount; ++i)
        m_window->setText(Text(i), m_state->text(Text(i)));
    m_window->setPositionRange(m_state->positionMinimum(), m_state->positionMaximum());
    for (Slider s : {Slider::Sliguocheng, Slider::Sliyin, Slider::Slishengdaoo})
        m_window->setSliderValue(s, m_state->sliderValue(s));
    m_window->setLoopChecked(m_state->loop());
}

void PlayerHost::connectView()
{
    Form3 *w = m_window;
    PlayerState *s = m_state;
    connect(s, &PlayerState::textChanged, w, &Form3::setText);
    connect(s, &PlayerState::enabledChanged, w, &Form3::setControlEnabled);
    connect(s, &PlayerState::visibleChanged, w, &Form3::setControlVisible);
    connect(s, &PlayerState::sliderValueChanged, w, &Form3::setSliderValue);
    connect(s, &PlayerState::positionRangeChanged, w, &Form3::setPositionRange);
    connect(s, &PlayerState::loopChanged, w, &Form3::setLoopChecked);

    connect(w, &Form3::clicked, s, &PlayerState::click);
    connect(w, &Form3::sliderChanged, s, &PlayerState::userMovedSlider);
    connect(w, &Form3::loopToggled, s, &PlayerState::setLoop);

    connect(s, &PlayerState::playingPathChanged, this, &PlayerHost::playingPathChanged);
    connect(s, &PlayerState::failed, this, [this] {
        unload();
        emit showMainWindowRequested();
    });
    connect(w, &Form3::hideRequested, this, [this] {
        if (!m_window)
            return;
        m_window->hide();
        emit hiddenByUser();
    });
}

void PlayerHost::unload()
{
    if (!m_window)
        return;
    Form3 *window = m_window;
    // Cut every connection first: whatever handler is still on the stack
    // finds nothing to talk to, and no queued event reaches the state.
    m_component->disconnect();
    m_state->disconnect();
    window->disconnect();
    // Silence now; the objects go when control is back in the event loop.
    m_component->StopPlay();
    m_window = nullptr;
    m_state = nullptr;
    m_component = nullptr;
    window->hide();
    window->deleteLater();
    emit windowChanged();
}

void PlayerHost::closeWindow()
{
    unload();
}

void PlayerHost::showWindow()
{
    if (!m_window)
        load();
    if (!m_window)
        return;   // the selected entry failed to start
    if (m_window->isVisible())
        m_window->raise();
    else
        m_window->show();
    m_window->activateWindow();
}

void PlayerHost::hideWindow()
{
    if (!m_window)
        load();
    if (m_window)
        m_window->hide();
}

void PlayerHost::setTrackPosition(int number, int count)
{
    if (m_state)
        m_state->setTrackPosition(number, count);
}
