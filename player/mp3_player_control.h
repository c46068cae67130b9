#pragma once
#include "player/mp3_control.h"

#include <memory>

class Mp3Player;
class OutputTarget;

// The real component: Mp3Player behind the player window's interface. Named
// "mp" like the control it stands for; its Mp3Player is a child object.
//
// Why a seam and not Mp3Player deriving from Mp3Control: the component keeps
// the control's own calls (OpenFile returns the error number and takes an
// unused second argument, SetVolume returns 0) that the window does not use
// and its tests check; and player_component links QtCore, libmpg123 and SDL
// only, not the window's logic (player_logic, model), while player_logic and
// its tests (FakeMp3Control) link no sound code. The calls pass straight on.
class Mp3PlayerControl : public Mp3Control {
    Q_OBJECT
public:
    explicit Mp3PlayerControl(QObject *parent = nullptr);
    // Heard on the target's output.
    explicit Mp3PlayerControl(std::shared_ptr<OutputTarget> target, QObject *parent = nullptr);
    // For tests and benchmarks that want the silent clock.
    Mp3PlayerControl(bool silent, QObject *parent);

    void OpenFile(const QString &path) override;
    void Play() override;
    void TogglePause() override;
    void SeekFrame(qint32 frame) override;
    void StopPlay() override;
    void EndPlayback() override;
    qint32 FrameCount() const override;
    float MsPerFrame() const override;
    qint32 LengthMs() const override;
    qint32 SampleRate() const override;
    qint32 BitRate() const override;
    void SetVolume(qint16 left, qint16 right) override;
    int errorNumber() const override;
    QString errorDescription() const override;

    Mp3Player *player() const { return m_player; }

private:
    void connectPlayer();

    Mp3Player *m_player;
};
