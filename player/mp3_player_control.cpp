#include "player/mp3_player_control.h"

#include "player/component/mp3_player.h"

Mp3PlayerControl::Mp3PlayerControl(QObject *parent)
    : Mp3PlayerControl(false, parent)
{
}

Mp3PlayerControl::Mp3PlayerControl(bool silent, QObject *parent)
    : Mp3Control(parent)
    , m_player(new Mp3Player(this, silent ? Mp3Player::Output::Silent : Mp3Player::Output::Device))
{
    connectPlayer();
}

Mp3PlayerControl::Mp3PlayerControl(std::shared_ptr<OutputTarget> target, QObject *parent)
    : Mp3Control(parent)
    , m_player(new Mp3Player(this, Mp3Player::Output::Device, {}, std::move(target)))
{
    connectPlayer();
}

void Mp3PlayerControl::connectPlayer()
{
    setObjectName(QStringLiteral("mp"));
    m_player->setObjectName(QStringLiteral("mpPlayer"));
    connect(m_player, &Mp3Player::FramePlayed, this, &Mp3Control::FramePlayed);
    connect(m_player, &Mp3Player::PlayEnded, this, &Mp3Control::PlayEnded);
    connect(m_player, &Mp3Player::FiguresChanged, this, &Mp3Control::FiguresChanged);
    connect(m_player, &Mp3Player::OpenFailed, this, &Mp3Control::OpenFailed);
}

void Mp3PlayerControl::OpenFile(const QString &path) { m_player->OpenFile(path, QString()); }
void Mp3PlayerControl::Play() { m_player->Play(); }
void Mp3PlayerControl::TogglePause() { m_player->TogglePause(); }
void Mp3PlayerControl::SeekFrame(qint32 frame) { m_player->SeekFrame(frame); }
void Mp3PlayerControl::StopPlay() { m_player->StopPlay(); }
void Mp3PlayerControl::EndPlayback() { m_player->EndPlayback(); }
qint32 Mp3PlayerControl::FrameCount() const { return m_player->FrameCount(); }
float Mp3PlayerControl::MsPerFrame() const { return m_player->MsPerFrame(); }
qint32 Mp3PlayerControl::LengthMs() const { return m_player->LengthMs(); }
qint32 Mp3PlayerControl::SampleRate() const { return m_player->SampleRate(); }
qint32 Mp3PlayerControl::BitRate() const { return m_player->BitRate(); }
void Mp3PlayerControl::SetVolume(qint16 left, qint16 right) { m_player->SetVolume(left, right); }
int Mp3PlayerControl::errorNumber() const { return m_player->errorNumber(); }
QString Mp3PlayerControl::errorDescription() const { return m_player->errorDescription(); }
