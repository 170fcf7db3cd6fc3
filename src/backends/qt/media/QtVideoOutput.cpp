#include "backends/qt/media/QtVideoOutput.h"

#include <QUrl>
#include <iostream>

#include "backends/qt/media/QtVideoView.h"
#include "platform/foundation/NSURL.h"
#include "platform/media/AVPlayer.h"

QtVideoOutput::QtVideoOutput(AVPlayer& player, Post post) {
    takeUpSoundOutput();
    if (!audio_)
        QObject::connect(&devices_, &QMediaDevices::audioOutputsChanged, &player_,
                         [this] { takeUpSoundOutput(); });
    player_.setVideoSink(&sink_);
    const auto& url = player.currentItem()->url();
    if (url)
        player_.setSource(url->isFileURL()
                              ? QUrl::fromLocalFile(QString::fromStdString(url->path()))
                              : QUrl(QString::fromStdString(url->absoluteString())));
    std::weak_ptr<AVPlayerItem> item = player.currentItem();
    QObject::connect(&player_, &QMediaPlayer::mediaStatusChanged, &player_,
                     [item, post](QMediaPlayer::MediaStatus status) {
                         if (status != QMediaPlayer::EndOfMedia)
                             return;
                         post([item] {
                             if (auto strongItem = item.lock())
                                 strongItem->didPlayToEnd();
                         });
                     });
    QObject::connect(&player_, &QMediaPlayer::errorOccurred, &player_,
                     [](QMediaPlayer::Error, const QString& message) {
                         std::cerr << "larkspire: video: " << message.toStdString() << "\n";
                     });
}

void QtVideoOutput::takeUpSoundOutput() {
    if (audio_ || !outputDevices_.soundCanBeHeard())
        return;
    audio_ = std::make_unique<QAudioOutput>();
    player_.setAudioOutput(audio_.get());
}

QtVideoPicture* QtVideoOutput::makePicture(QWidget* parent) {
    auto* view = new QtVideoView(parent);
    view->setSink(&sink_);
    return view;
}
