#include "backends/qt/media/QtVideoOutput.h"

#include <QUrl>
#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include "backends/qt/media/QtVideoView.h"
#include "platform/foundation/NSURL.h"
#include "platform/media/AVPlayer.h"

namespace {

std::string uriOf(const AVPlayer& player) {
    const auto& url = player.currentItem()->url();
    if (!url)
        return {};
    if (url->isFileURL())
        return QUrl::fromLocalFile(QString::fromStdString(url->path())).toEncoded().toStdString();
    return url->absoluteString();
}

std::function<void()> reportEnd(AVPlayer& player, QtVideoOutput::Post post) {
    std::weak_ptr<AVPlayerItem> item = player.currentItem();
    return [item, post = std::move(post)] {
        post([item] {
            if (auto strongItem = item.lock())
                strongItem->didPlayToEnd();
        });
    };
}

}  // namespace

QtVideoOutput::QtVideoOutput(AVPlayer& player, Post post)
    : pipeline_(uriOf(player), outputDevices_.soundCanBeHeard(), reportEnd(player, post)) {
    if (pipeline_.hasSound() || !QtOutputDevices::soundServerMayListen())
        return;
    devices_ = std::make_unique<QMediaDevices>();
    QObject::connect(devices_.get(), &QMediaDevices::audioOutputsChanged, &pipeline_.lifetime(),
                     [this] {
                         if (outputDevices_.soundCanBeHeard())
                             pipeline_.takeUpSound();
                     });
}

void QtVideoOutput::seekTo(double seconds) {
    pipeline_.setPosition(qint64(std::llround(std::clamp(seconds, 0.0, 1e9) * 1000.0)));
}

QtVideoPicture* QtVideoOutput::makePicture(QWidget* parent) {
    return new QtVideoView(parent, pipeline_.frames());
}
