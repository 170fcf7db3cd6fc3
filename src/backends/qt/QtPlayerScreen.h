#pragma once

#include <QMediaPlayer>
#include <QPointer>
#include <QWidget>
#include <memory>

class AVPlayerViewController;
class QLabel;

class QPushButton;
class QSlider;
class QtVideoView;

// The screen of an AVPlayerViewController: the video over the whole stage,
// with the player's own controls: Done (closes the player screen), play and
// pause, and a position slider with the elapsed and total time.
class QtPlayerScreen : public QWidget {
public:
    QtPlayerScreen(std::shared_ptr<AVPlayerViewController> controller, QWidget* parent);

    const std::shared_ptr<AVPlayerViewController>& controller() const { return controller_; }
    QMediaPlayer* mediaPlayer() const { return media_; }
    QPushButton* doneButton() const { return done_; }
    QPushButton* playPauseButton() const { return playPause_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void togglePlayback();
    void updateControls();

    std::shared_ptr<AVPlayerViewController> controller_;
    QPointer<QMediaPlayer> media_;
    QtVideoView* video_;
    QWidget* topBar_;
    QWidget* bottomBar_;
    QPushButton* done_;
    QPushButton* playPause_;
    QSlider* slider_;
    QLabel* time_;
};
