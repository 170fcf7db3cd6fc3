#include "backends/qt/media/QtAudioOutput.h"

#include <QUrl>
#include <iostream>

QtAudioOutput::QtAudioOutput(const std::string& path, Post post) {
    player_.setAudioOutput(&audio_);
    player_.setSource(QUrl::fromLocalFile(QString::fromStdString(path)));
    QObject::connect(&player_, &QMediaPlayer::mediaStatusChanged, &player_,
                     [this, post](QMediaPlayer::MediaStatus status) {
                         if (status == QMediaPlayer::EndOfMedia && didFinishPlaying())
                             post(didFinishPlaying());
                     });
    QObject::connect(&player_, &QMediaPlayer::errorOccurred, &player_,
                     [](QMediaPlayer::Error, const QString& message) {
                         std::cerr << "larkspire: audio: " << message.toStdString() << "\n";
                     });
}

void QtAudioOutput::play() {
    player_.play();
}
