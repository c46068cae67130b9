#include "player/player_state.h"

#include "player/mp3_control.h"
#include "player/player_list.h"
#include "player/player_texts.h"
#include "model/media_types.h"

#include <algorithm>
#include <climits>

using namespace Player;

namespace {
// A move of the position slider by this many frames or fewer is no seek; fast
// forward and rewind jump by it (about 9.3 s at 44.1 kHz).
constexpr qint64 SeekThreshold = 355;
constexpr int LoadVolumeSlider = -35;

int boxIndex(Text box)
{
    return int(box) - int(Text::Text1);
}
} // namespace

PlayerState::PlayerState(const PlayerList &list, Mp3Control &mp, PathRules rules, QObject *parent)
    : QObject(parent)
    , m_list(list)
    , m_mp(mp)
    , m_rules(rules)
{
    // Design state: every control enabled and visible.
    m_enabled.fill(true);
    m_visible.fill(true);
    connect(&m_mp, &Mp3Control::FramePlayed, this, &PlayerState::mp_FramePlayed);
    connect(&m_mp, &Mp3Control::PlayEnded, this, &PlayerState::mp_PlayEnded);
    connect(&m_mp, &Mp3Control::FiguresChanged, this, &PlayerState::mp_FiguresChanged);
    connect(&m_mp, &Mp3Control::OpenFailed, this, &PlayerState::mp_OpenFailed);
}

// ---- read access ---------------------------------------------------------------

int PlayerState::sliderValue(Slider slider) const
{
    switch (slider) {
    case Slider::Sliguocheng: return m_position;
    case Slider::Sliyin: return m_sliyin;
    case Slider::Slishengdaoo: return m_balance;
    }
    return 0;
}

PlayerState::Display &PlayerState::display(Text box)
{
    return m_boxes[size_t(boxIndex(box))];
}

const PlayerState::Display &PlayerState::display(Text box) const
{
    return m_boxes[size_t(boxIndex(box))];
}

QString PlayerState::text(Text which) const
{
    switch (which) {
    case Text::Label2:
        switch (m_state) {
        case PlaybackState::Paused: return QStringLiteral("暂停播放第");
        case PlaybackState::Stopped: return QStringLiteral("停止播放第");
        case PlaybackState::Idle:
        case PlaybackState::Playing: break;
        }
        return QStringLiteral("正在播放第");
    case Text::Label3:
        return m_path;
    case Text::Label4:
        if (!m_trackShown)
            return QString();
        return m_trackForm == NumberForm::SignBlank ? PlayerTexts::signBlank(m_trackNumber)
                                                    : QString::number(m_trackNumber);
    case Text::Label6:
        return m_countShown < 0 ? QString() : QLatin1Char('/') + PlayerTexts::signBlank(m_countShown);
    case Text::Text1:
    case Text::Text2:
    case Text::Text3:
    case Text::Text4:
    case Text::Text5:
    case Text::Text6: {
        const Display &d = display(which);
        if (d.kind == Display::Design)
            return QStringLiteral("Text%1").arg(boxIndex(which) + 1);
        if (d.kind == Display::Zero)
            return QStringLiteral("0");
        switch (which) {
        case Text::Text1:
        case Text::Text2: return PlayerTexts::clockText(d.value);
        case Text::Text5: return PlayerTexts::signBlank(d.value) + QStringLiteral("kHz");
        case Text::Text6: return PlayerTexts::signBlank(d.value) + QStringLiteral("kbps");
        default: return QString::number(d.value);
        }
    }
    case Text::ZantingCaption:
        return m_state == PlaybackState::Paused ? QStringLiteral(">") : QStringLiteral(">|");
    case Text::ZantingToolTip:
        return m_state == PlaybackState::Paused ? QStringLiteral("继续") : QStringLiteral("暂停");
    case Text::Caption:
        return QStringLiteral("播放窗口--") + m_rules.GetFileName(m_path).toUpper();
    }
    return QString();
}

qint64 PlayerState::framesShown() const
{
    const Display &d = display(Text::Text3);
    return d.kind == Display::Value ? d.value : 0;
}

QString PlayerState::entryText(int number) const
{
    if (number < 1 || number > m_list.count())
        return QString();
    return m_list.entry(number - 1);
}

// ---- setters that announce changes ---------------------------------------------

void PlayerState::setState(PlaybackState state)
{
    if (m_state == state)
        return;
    const QString label2 = text(Text::Label2);
    const QString caption = text(Text::ZantingCaption);
    const QString tip = text(Text::ZantingToolTip);
    m_state = state;
    emit playbackStateChanged(state);
    if (text(Text::Label2) != label2)
        emit textChanged(Text::Label2, text(Text::Label2));
    if (text(Text::ZantingCaption) != caption)
        emit textChanged(Text::ZantingCaption, text(Text::ZantingCaption));
    if (text(Text::ZantingToolTip) != tip)
        emit textChanged(Text::ZantingToolTip, text(Text::ZantingToolTip));
}

// Label4: a changed text re-runs commenable.
void PlayerState::setTrack(int number, NumberForm form)
{
    const QString before = text(Text::Label4);
    m_trackNumber = number;
    m_trackForm = form;
    m_trackShown = true;
    const QString after = text(Text::Label4);
    if (after == before)
        return;
    emit textChanged(Text::Label4, after);
    commenable();
}

// Label6: a changed text re-runs commenable.
void PlayerState::setCountShown(int count)
{
    const QString before = text(Text::Label6);
    m_countShown = std::max(count, 0);
    const QString after = text(Text::Label6);
    if (after == before)
        return;
    emit textChanged(Text::Label6, after);
    commenable();
}

// Label3: the caption names the file; the label hides for good.
void PlayerState::setPath(const QString &path)
{
    if (path == m_path)
        return;
    const QString caption = text(Text::Caption);
    m_path = path;
    emit textChanged(Text::Label3, m_path);
    if (text(Text::Caption) != caption)
        emit textChanged(Text::Caption, text(Text::Caption));
    setVisible(Control::Label3, false);
    emit playingPathChanged(m_path);
}

void PlayerState::setDisplay(Text box, Display value)
{
    const QString before = text(box);
    display(box) = value;
    const QString after = text(box);
    if (after == before)
        return;
    emit textChanged(box, after);
    if (box == Text::Text3) {
        // The position slider follows the frames played.
        setPositionValue(int(std::clamp<qint64>(framesShown(), m_positionMin, m_positionMax)));
    } else if (box == Text::Text4) {
        const Display &d = display(Text::Text4);
        const qint64 total = d.kind == Display::Value ? d.value : 0;
        setPositionRange(0, int(std::min<qint64>(total + 1, INT_MAX)));
    }
}

void PlayerState::setEnabled(Control control, bool enabled)
{
    bool &slot = m_enabled[size_t(control)];
    if (slot == enabled)
        return;
    slot = enabled;
    emit enabledChanged(control, enabled);
}

void PlayerState::setVisible(Control control, bool visible)
{
    bool &slot = m_visible[size_t(control)];
    if (slot == visible)
        return;
    slot = visible;
    emit visibleChanged(control, visible);
}

// A value set by the program runs the slider's change reaction like a user's
// move would; it seeks only when the value is far from the frames shown.
void PlayerState::setPositionValue(int value)
{
    value = std::clamp(value, m_positionMin, m_positionMax);
    if (value == m_position)
        return;
    m_position = value;
    emit sliderValueChanged(Slider::Sliguocheng, value);
    positionChanged();
}

// A narrower range pulls the value in without a change reaction: the user did
// not move the slider, and the next frame report puts it right.
void PlayerState::setPositionRange(int minimum, int maximum)
{
    if (minimum == m_positionMin && maximum == m_positionMax)
        return;
    m_positionMin = minimum;
    m_positionMax = std::max(minimum, maximum);
    emit positionRangeChanged(m_positionMin, m_positionMax);
    const int clamped = std::clamp(m_position, m_positionMin, m_positionMax);
    if (clamped != m_position) {
        m_position = clamped;
        emit sliderValueChanged(Slider::Sliguocheng, clamped);
    }
}

void PlayerState::setSlider(Slider slider, int value)
{
    int *slot = nullptr;
    switch (slider) {
    case Slider::Sliguocheng: setPositionValue(value); return;
    case Slider::Sliyin: slot = &m_sliyin; value = std::clamp(value, -100, 0); break;
    case Slider::Slishengdaoo: slot = &m_balance; value = std::clamp(value, -45, 45); break;
    }
    if (*slot == value)
        return;
    *slot = value;
    emit sliderValueChanged(slider, value);
}

// ---- load ----------------------------------------------------------------------

void PlayerState::load()
{
    if (m_finished)
        return;
    setDisplay(Text::Text1, {Display::Value, 0});
    setDisplay(Text::Text2, {Display::Value, 0});
    setDisplay(Text::Text3, {Display::Zero, 0});
    setDisplay(Text::Text4, {Display::Zero, 0});
    setDisplay(Text::Text5, {Display::Zero, 0});
    setDisplay(Text::Text6, {Display::Zero, 0});

    setSlider(Slider::Sliyin, LoadVolumeSlider);
    applyvolume();
    setSlider(Slider::Slishengdaoo, 0);
    setEnabled(Control::Sliguocheng, false);
    for (Control c : {Control::kuaijin, Control::kuaitui, Control::tingzhi, Control::zanting})
        setEnabled(c, false);

    const int selected = m_list.selection();
    setTrack(selected >= 0 && selected < m_list.count() ? selected + 1 : 0, NumberForm::Plain);

    if (endsInMp3(entryText(m_trackNumber))) {
        play();
        return;
    }
    for (Control c : {Control::Label2, Control::Label4, Control::Label5, Control::Label6, Control::Check1})
        setVisible(c, false);
    setTrack(0, NumberForm::Plain);
}

// ---- starting tracks -----------------------------------------------------------

void PlayerState::play()
{
    if (m_list.count() > 0)
        setPath(entryText(m_trackNumber));
    tongyishou();
}

void PlayerState::tongyishou()
{
    setCountShown(m_list.count());
    m_mp.OpenFile(m_path);
    m_mp.Play();
    applyvolume();
    setEnabled(Control::Sliguocheng, true);
    setEnabled(Control::bofang, false);
    for (Control c : {Control::zanting, Control::tingzhi, Control::kuaijin, Control::kuaitui})
        setEnabled(c, true);
    // A track started while paused (a navigation button the list re-enabled)
    // plays: the volume and balance sliders come back with it, and the pause
    // button reads ">|" again through the state below.
    setEnabled(Control::Sliyin, true);
    setEnabled(Control::Slishengdaoo, true);
    showtotaltime();
    showstreaminfo();
    commenable();
    showframecount();
    m_userstopped = false;
    m_jumppending = false;
    setState(PlaybackState::Playing);
    if (errorPending()) {
        m_finished = true;
        emit failed();
        return;
    }
    emit trackStarted();
}

bool PlayerState::errorPending() const
{
    return m_mp.errorNumber() != 0 || !m_mp.errorDescription().isEmpty();
}

// ---- enabling --------------------------------------------------------------------

void PlayerState::commenable()
{
    const int pos = m_trackNumber;
    const int count = m_list.count();
    // Later steps override earlier ones.
    setEnabled(Control::Command2, pos != count);
    setEnabled(Control::Command4, pos != count);
    if (pos < 1) {
        setEnabled(Control::Command2, false);
        setEnabled(Control::Command4, true);
    }
    if (pos == 1) {
        setEnabled(Control::Command1, false);
        setEnabled(Control::Command3, false);
    }
    if (pos > 1) {
        setEnabled(Control::Command1, true);
        setEnabled(Control::Command3, true);
    }
    if (pos <= 0) {
        setEnabled(Control::Command1, false);
        setEnabled(Control::Command3, true);
    }
    if (count == 0) {
        for (Control c : {Control::Command1, Control::Command2, Control::Command3, Control::Command4})
            setEnabled(c, false);
    }
}

// ---- buttons -----------------------------------------------------------------------

void PlayerState::click(Control control)
{
    if (m_finished || !isEnabled(control))
        return;
    switch (control) {
    case Control::bofang: bofang(); break;
    case Control::zanting: zanting(); break;
    case Control::tingzhi: tingzhi(); break;
    case Control::kuaijin: kuaijin(); break;
    case Control::kuaitui: kuaitui(); break;
    case Control::Command1: Command1(); break;
    case Control::Command2: Command2(); break;
    case Control::Command3: Command3(); break;
    case Control::Command4: Command4(); break;
    default: break;
    }
}

void PlayerState::bofang()
{
    if (m_finished)
        return;
    tongyishou();
}

void PlayerState::zanting()
{
    if (m_finished)
        return;
    m_mp.TogglePause();
    if (m_state != PlaybackState::Paused) {
        setState(PlaybackState::Paused);
        for (Control c : {Control::Sliguocheng, Control::Sliyin, Control::Slishengdaoo, Control::Command1,
                          Control::Command2, Control::Command3, Control::Command4, Control::tingzhi,
                          Control::kuaijin, Control::kuaitui})
            setEnabled(c, false);
    } else {
        setState(PlaybackState::Playing);
        for (Control c : {Control::Sliguocheng, Control::Sliyin, Control::Slishengdaoo})
            setEnabled(c, true);
        commenable();
        for (Control c : {Control::tingzhi, Control::kuaijin, Control::kuaitui})
            setEnabled(c, true);
    }
}

void PlayerState::tingzhi()
{
    if (m_finished)
        return;
    // Set before the call: PlayEnded may come inside it.
    m_userstopped = true;
    m_mp.StopPlay();
    setDisplay(Text::Text1, {Display::Zero, 0});
    setDisplay(Text::Text3, {Display::Zero, 0});
    for (Control c : {Control::kuaijin, Control::kuaitui, Control::tingzhi, Control::zanting})
        setEnabled(c, false);
    setEnabled(Control::bofang, true);
    setEnabled(Control::Sliguocheng, false);
    setState(PlaybackState::Stopped);
}

void PlayerState::kuaijin()
{
    if (m_finished)
        return;
    if (qint64(m_curframe) + SeekThreshold < m_mp.FrameCount())
        seek(qint32(m_curframe + SeekThreshold));
}

void PlayerState::kuaitui()
{
    if (m_finished)
        return;
    if (qint64(m_curframe) - SeekThreshold > 0)
        seek(qint32(m_curframe - SeekThreshold));
}

// ---- navigation ------------------------------------------------------------------

void PlayerState::Command1()
{
    if (!m_finished && m_trackNumber > 1)
        navigate(m_trackNumber - 1);
}

void PlayerState::Command2()
{
    if (!m_finished && m_trackNumber < m_list.count())
        navigate(m_trackNumber + 1);
}

void PlayerState::Command3()
{
    if (!m_finished && m_trackNumber != 1)
        navigate(1);
}

void PlayerState::Command4()
{
    if (!m_finished && m_trackNumber < m_list.count())
        navigate(m_list.count());
}

void PlayerState::navigate(int number)
{
    // Number and flag first: PlayEnded may come inside EndPlayback.
    setTrack(number, NumberForm::Plain);
    m_jumppending = true;
    if (m_userstopped)
        startChosenEntry();
    else
        m_mp.EndPlayback();
}

void PlayerState::startChosenEntry()
{
    if (endsInMp3(entryText(m_trackNumber)))
        play();
    else
        xiayishou();
}

void PlayerState::xiayishou()
{
    // One full pass at most: a list without an MP3 entry stops the player
    // instead of searching for ever.
    const int count = m_list.count();
    for (int step = 0; step < count; ++step) {
        const int pos = m_trackNumber;
        setTrack(pos >= count || pos <= 0 ? 1 : pos + 1, NumberForm::Plain);
        if (endsInMp3(entryText(m_trackNumber))) {
            play();
            return;
        }
    }
    showStoppedWithoutTrack();
}

// No entry to play: the stopped state, as after the stop button, with no
// current entry. The component has already ended its playback.
void PlayerState::showStoppedWithoutTrack()
{
    m_userstopped = true;
    m_jumppending = false;
    setTrack(0, NumberForm::Plain);
    setDisplay(Text::Text1, {Display::Zero, 0});
    setDisplay(Text::Text3, {Display::Zero, 0});
    for (Control c : {Control::kuaijin, Control::kuaitui, Control::tingzhi, Control::zanting})
        setEnabled(c, false);
    setEnabled(Control::bofang, true);
    setEnabled(Control::Sliyin, true);
    setEnabled(Control::Slishengdaoo, true);
    setPositionValue(0);
    setEnabled(Control::Sliguocheng, false);
    setState(PlaybackState::Stopped);
}

void PlayerState::setLoop(bool checked)
{
    if (m_loop == checked)
        return;
    m_loop = checked;
    emit loopChanged(checked);
}

void PlayerState::seekTo(qint64 frame)
{
    if (m_finished || !isEnabled(Control::Sliguocheng))
        return;
    if (frame >= m_mp.FrameCount()) {
        click(Control::Command2);
        return;
    }
    const auto target = qint32(std::max<qint64>(frame, 0));
    seek(target);
    setDisplay(Text::Text3, {Display::Value, target});
}

void PlayerState::setVolume(int volume)
{
    if (m_finished || !isEnabled(Control::Sliyin))
        return;
    setSlider(Slider::Sliyin, -std::clamp(volume, 0, 100));
    applyvolume();
}

void PlayerState::seek(qint32 frame)
{
    m_mp.SeekFrame(frame);
    emit seeked(frame);
}

void PlayerState::setTrackPosition(int number, int count)
{
    if (m_finished)
        return;
    setTrack(std::max(number, 0), number > 0 ? NumberForm::SignBlank : NumberForm::Plain);
    setCountShown(count);
}

// ---- component events ------------------------------------------------------------

void PlayerState::mp_PlayEnded()
{
    if (m_finished)
        return;
    if (m_userstopped) {
        setPositionValue(0);
        setEnabled(Control::Sliguocheng, false);
        setState(PlaybackState::Stopped);
        return;
    }
    if (m_list.count() < 1) {
        // The list was emptied under the playing track: it plays again, for ever.
        setLoop(true);
        tongyishou();
        return;
    }
    if (m_jumppending) {
        startChosenEntry();
        return;
    }
    if (m_loop) {
        tongyishou();
        return;
    }
    xiayishou();
}

void PlayerState::mp_FramePlayed(qint32 frame)
{
    if (m_finished)
        return;
    m_curframe = frame;
    const qint64 ms = PlayerTexts::roundHalfEven(double(frame) * double(m_mp.MsPerFrame()));
    setDisplay(Text::Text1, {Display::Value, ms / 1000});
    setDisplay(Text::Text3, {Display::Value, frame});
}

// ---- sliders ---------------------------------------------------------------------

void PlayerState::userMovedSlider(Slider slider, int value)
{
    if (m_finished)
        return;
    switch (slider) {
    case Slider::Sliguocheng: Sliguocheng_Change(value); break;
    case Slider::Sliyin: Sliyin_Change(value); break;
    case Slider::Slishengdaoo: Slishengdaoo_Change(value); break;
    }
}

// The user's value is what the slider shows already: it is only announced
// when it had to be pulled into the range.
int PlayerState::takeUserValue(Slider slider, int value, int minimum, int maximum, int &slot)
{
    const int clamped = std::clamp(value, minimum, maximum);
    slot = clamped;
    if (clamped != value)
        emit sliderValueChanged(slider, clamped);
    return clamped;
}

void PlayerState::Sliguocheng_Change(int value)
{
    if (m_finished)
        return;
    takeUserValue(Slider::Sliguocheng, value, m_positionMin, m_positionMax, m_position);
    positionChanged();
}

void PlayerState::positionChanged()
{
    const qint64 v = m_position;
    const qint64 distance = v - framesShown();
    if ((distance > SeekThreshold || distance < -SeekThreshold) && !m_userstopped) {
        seek(qint32(v));
        setDisplay(Text::Text3, {Display::Value, v});
    }
}

void PlayerState::Sliyin_Change(int value)
{
    if (m_finished)
        return;
    takeUserValue(Slider::Sliyin, value, -100, 0, m_sliyin);
    applyvolume();
}

void PlayerState::Slishengdaoo_Change(int value)
{
    if (m_finished)
        return;
    takeUserValue(Slider::Slishengdaoo, value, -45, 45, m_balance);
    applyvolume();
}

void PlayerState::applyvolume()
{
    m_volume = -m_sliyin;
    const int bal = m_balance;
    int left = m_volume - bal;
    int right = m_volume + bal;
    // Each correction keeps right - left at 2 × bal.
    if (left > 100) {
        left = 100;
        right = 100 + 2 * bal;
    }
    if (right > 100) {
        right = 100;
        left = 100 - 2 * bal;
    }
    if (left < 0) {
        left = 0;
        right = 2 * bal;
    }
    if (right < 0) {
        right = 0;
        left = -2 * bal;
    }
    m_mp.SetVolume(qint16(left), qint16(right));
}

// ---- time and stream boxes ---------------------------------------------------------

void PlayerState::showtotaltime()
{
    setDisplay(Text::Text2, {Display::Value, figuresKnown() ? m_mp.LengthMs() / 1000 : 0});
}

// The component knows the figures once it has found the file's first frame
// (at once for most files); until then the boxes keep the load's values.
bool PlayerState::figuresKnown() const
{
    return m_mp.SampleRate() != 0;
}

void PlayerState::showframecount()
{
    setDisplay(Text::Text4, figuresKnown() ? Display{Display::Value, m_mp.FrameCount()} : Display{Display::Zero, 0});
}

void PlayerState::mp_FiguresChanged()
{
    if (m_finished)
        return;
    showtotaltime();
    showstreaminfo();
    showframecount();
}

void PlayerState::mp_OpenFailed()
{
    if (m_finished || !errorPending())
        return;
    m_finished = true;
    emit failed();
}

void PlayerState::showstreaminfo()
{
    if (!figuresKnown()) {
        setDisplay(Text::Text5, {Display::Zero, 0});
        setDisplay(Text::Text6, {Display::Zero, 0});
        return;
    }
    setDisplay(Text::Text5, {Display::Value, m_mp.SampleRate() / 1000});
    setDisplay(Text::Text6, {Display::Value, m_mp.BitRate() / 1000});
}
