#pragma once

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QString>
#include <QVariantMap>

class QtPlayback;
class QtMediaControls;
class QtNowPlaying;

// The desktop's view of what plays (its sound menu, its media keys): the player object on the
// bus as org.mpris.MediaPlayer2.larkspire, answering from what the window plays and acting
// through QtMediaControls. Messages are read by hand, so that no meta-object compiler is needed.
class QtMprisService : public QDBusVirtualObject {
public:
    QtMprisService(QDBusConnection bus, const QtNowPlaying& nowPlaying, QtMediaControls& controls);
    ~QtMprisService() override;

    // The bus name taken; empty when none could be.
    // Tells the desktop what changed, once the story has finished its turn (a song starts
    // before its tile is marked).
    void publish();

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    QVariantMap rootProperties() const;
    QVariantMap playerProperties() const;
    QVariantMap metadata() const;
    QString playbackStatus() const;
    bool act(const QString& member);
    bool answerProperties(const QDBusMessage& message, const QDBusConnection& connection);
    void publishNow();

    QDBusConnection bus_;
    const QtNowPlaying& nowPlaying_;
    QtMediaControls& controls_;
    QString serviceName_;
    QVariantMap published_;
    // A new number for each new player, for the track's identity.
    const QtPlayback* lastPlayer_ = nullptr;
    int track_ = 0;
    // The track's title and picture as its marked tile gave them: they stay once it stops.
    QString title_;
    QString art_;
    bool publishing_ = false;
};
