#include "backends/qt/QtPlayerScreen.h"

#include <QLabel>
#include <QMediaPlayer>
#include <QPushButton>
#include <QSlider>
#include <algorithm>
#include <cmath>
#include <limits>

#include "backends/qt/QtGuard.h"
#include "backends/qt/QtKeyboard.h"
#include "backends/qt/QtStage.h"
#include "backends/qt/QtVideoOutput.h"
#include "backends/qt/QtVideoView.h"
#include "platform/media/AVPlayer.h"

namespace {

QString clock(qint64 milliseconds) {
    qint64 seconds = std::max<qint64>(0, milliseconds / 1000);
    return QString("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QChar('0'));
}

}  // namespace

QtPlayerScreen::QtPlayerScreen(std::shared_ptr<AVPlayerViewController> controller, QWidget* parent)
    : QWidget(parent), controller_(std::move(controller)) {
    setAutoFillBackground(true);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);

    video_ = new QtVideoView(this);
    topBar_ = new QWidget(this);
    bottomBar_ = new QWidget(this);
    for (QWidget* bar : {topBar_, bottomBar_}) {
        bar->setObjectName("playerBar");
        bar->setAttribute(Qt::WA_StyledBackground);
    }
    done_ = new QtKeyButton(topBar_);
    done_->setText("Done");
    playPause_ = new QtKeyButton(bottomBar_);
    playPause_->setText("Play");
    slider_ = new QSlider(Qt::Horizontal, bottomBar_);
    time_ = new QLabel(clock(0) + " / " + clock(0), bottomBar_);
    for (QPushButton* button : {done_, playPause_})
        button->setCursor(Qt::PointingHandCursor);
    slider_->setAccessibleName("Position");

    connect(done_, &QPushButton::clicked, this, [this] {
        auto keep = controller_;
        runGuarded([&] { keep->done(); });
    });
    connect(playPause_, &QPushButton::clicked, this, [this] { togglePlayback(); });

    if (const auto& player = controller_->player()) {
        if (auto* output = dynamic_cast<QtVideoOutput*>(&player->output())) {
            media_ = &output->mediaPlayer();
            video_->setSink(&output->videoSink());
            connect(media_, &QMediaPlayer::positionChanged, this, [this] { updateControls(); });
            connect(media_, &QMediaPlayer::durationChanged, this, [this] { updateControls(); });
            connect(media_, &QMediaPlayer::playbackStateChanged, this,
                    [this] { updateControls(); });
            connect(slider_, &QSlider::sliderMoved, this, [this](int position) {
                if (media_)
                    media_->setPosition(position);
            });
        }
    }
    slider_->setEnabled(media_ != nullptr);
    playPause_->setEnabled(media_ != nullptr);
    updateControls();
}

void QtPlayerScreen::togglePlayback() {
    const auto& player = controller_->player();
    if (!player || !media_)
        return;
    runGuarded([&] {
        if (media_->playbackState() == QMediaPlayer::PlayingState)
            player->pause();
        else
            player->play();
    });
}

void QtPlayerScreen::updateControls() {
    if (!media_)
        return;
    qint64 duration = media_->duration();
    qint64 position = media_->position();
    playPause_->setText(media_->playbackState() == QMediaPlayer::PlayingState ? "Pause" : "Play");
    slider_->setRange(0, int(std::min<qint64>(duration, std::numeric_limits<int>::max())));
    if (!slider_->isSliderDown())
        slider_->setValue(int(std::min<qint64>(position, std::numeric_limits<int>::max())));
    time_->setText(clock(position) + " / " + clock(duration));
}

void QtPlayerScreen::resizeEvent(QResizeEvent*) {
    double s = width() / QtStage::kWidth;
    auto px = [s](double points) { return std::max(1, int(std::lround(points * s))); };
    setStyleSheet(
        QString("QWidget#playerBar { background: rgba(0, 0, 0, 150); }"
                "QPushButton { background: #f6c945; color: #1f2633; border: %1px solid "
                "#b8860b; border-radius: %2px; font-weight: bold; font-size: %3px; }"
                "QPushButton:pressed { background: #e0a800; }"
                "QLabel { color: white; font-size: %3px; }"
                "QSlider::groove:horizontal { height: %4px; background: #5b6270; "
                "border-radius: %5px; }"
                "QSlider::sub-page:horizontal { background: #4fb3ff; border-radius: %5px; }"
                "QSlider::handle:horizontal { background: white; width: %6px; "
                "margin: -%7px 0; border-radius: %8px; }" +
                focusRingStyle(px(5)))
            .arg(px(2))
            .arg(px(12))
            .arg(px(24))
            .arg(px(10))
            .arg(px(5))
            .arg(px(36))
            .arg(px(13))
            .arg(px(18)));
    int barHeight = px(96);
    video_->setGeometry(rect());
    topBar_->setGeometry(0, 0, width(), barHeight);
    bottomBar_->setGeometry(0, height() - barHeight, width(), barHeight);
    int margin = px(16);
    int buttonHeight = barHeight - 2 * margin;
    done_->setGeometry(margin, margin, px(140), buttonHeight);
    playPause_->setGeometry(margin, margin, px(140), buttonHeight);
    int timeWidth = px(180);
    time_->setGeometry(width() - margin - timeWidth, margin, timeWidth, buttonHeight);
    time_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    int sliderLeft = playPause_->geometry().right() + px(24);
    slider_->setGeometry(sliderLeft, margin, time_->geometry().left() - px(24) - sliderLeft,
                         buttonHeight);
}
