#pragma once
#include "player/mpris_service.h"

#include <QDBusAbstractAdaptor>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QStringList>
#include <QVariantMap>

// The two MPRIS interfaces on the service's object; every member forwards to
// MprisService, which holds the rules.

class MprisRootAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(QString Identity READ identity)
    Q_PROPERTY(QString DesktopEntry READ desktopEntry)
    Q_PROPERTY(bool CanRaise READ yes)
    Q_PROPERTY(bool CanQuit READ no)
    Q_PROPERTY(bool HasTrackList READ no)
    Q_PROPERTY(QStringList SupportedUriSchemes READ none)
    Q_PROPERTY(QStringList SupportedMimeTypes READ none)
public:
    explicit MprisRootAdaptor(MprisService *service) : QDBusAbstractAdaptor(service), m_service(service) {}
    QString identity() const { return QStringLiteral("Melvora"); }
    QString desktopEntry() const { return QStringLiteral("melvora"); }
    bool yes() const { return true; }
    bool no() const { return false; }
    QStringList none() const { return {}; }

public slots:
    void Raise() { m_service->raise(); }
    void Quit(const QDBusMessage &message);

private:
    MprisService *m_service;
};

class MprisPlayerAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(QString LoopStatus READ loopStatus WRITE setLoopStatus)
    Q_PROPERTY(double Rate READ one WRITE setRate)
    Q_PROPERTY(double MinimumRate READ one)
    Q_PROPERTY(double MaximumRate READ one)
    Q_PROPERTY(bool Shuffle READ no)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(double Volume READ volume WRITE setVolume)
    Q_PROPERTY(qlonglong Position READ position)
    Q_PROPERTY(bool CanGoNext READ canGoNext)
    Q_PROPERTY(bool CanGoPrevious READ canGoPrevious)
    Q_PROPERTY(bool CanPlay READ canPlay)
    Q_PROPERTY(bool CanPause READ canPause)
    Q_PROPERTY(bool CanSeek READ canSeek)
    Q_PROPERTY(bool CanControl READ yes)
public:
    explicit MprisPlayerAdaptor(MprisService *service);

    QString playbackStatus() const { return m_service->playbackStatus(); }
    QString loopStatus() const { return m_service->loopStatus(); }
    void setLoopStatus(const QString &status) { m_service->setLoopStatus(status); }
    double one() const { return 1.0; }
    void setRate(double) {}
    bool no() const { return false; }
    bool yes() const { return true; }
    QVariantMap metadata() const { return m_service->metadata(); }
    double volume() const { return m_service->volume(); }
    void setVolume(double volume) { m_service->setVolume(volume); }
    qlonglong position() const { return m_service->position(); }
    bool canGoNext() const { return m_service->isAllowed(MprisService::Method::Next); }
    bool canGoPrevious() const { return m_service->isAllowed(MprisService::Method::Previous); }
    bool canPlay() const { return m_service->canPlay(); }
    bool canPause() const { return m_service->canPause(); }
    bool canSeek() const { return m_service->canSeek(); }

public slots:
    void Play(const QDBusMessage &message) { answer(message, m_service->run(MprisService::Method::Play)); }
    void Pause(const QDBusMessage &message) { answer(message, m_service->run(MprisService::Method::Pause)); }
    void PlayPause(const QDBusMessage &message) { answer(message, m_service->run(MprisService::Method::PlayPause)); }
    void Stop(const QDBusMessage &message) { answer(message, m_service->run(MprisService::Method::Stop)); }
    void Next(const QDBusMessage &message) { answer(message, m_service->run(MprisService::Method::Next)); }
    void Previous(const QDBusMessage &message) { answer(message, m_service->run(MprisService::Method::Previous)); }
    void Seek(qlonglong offset, const QDBusMessage &message) { answer(message, m_service->seek(offset)); }
    void SetPosition(const QDBusObjectPath &trackId, qlonglong position, const QDBusMessage &message)
    {
        answer(message, m_service->setPosition(trackId, position));
    }
    void OpenUri(const QString &uri, const QDBusMessage &message);

signals:
    void Seeked(qlonglong Position);

private:
    // A refusal answers the call with an error instead of the empty reply.
    void answer(const QDBusMessage &message, bool done);

    MprisService *m_service;
};
