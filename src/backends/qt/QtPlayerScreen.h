#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>

#include "backends/qt/QtCaptionLabel.h"

class AVPlayerViewController;
class QLabel;
class QPushButton;
class QSlider;
class QTimer;
class QtPlayback;
class QtVideoPicture;

// The screen of an AVPlayerViewController: the video over the whole stage,
// with the player's own controls: Done (closes the player screen), play and
// pause, a position slider with the elapsed and total time, and, when the video
// has timed text beside it, a captions control and the captions over the bottom
// of the picture.
class QtPlayerScreen : public QWidget {
public:
    QtPlayerScreen(std::shared_ptr<AVPlayerViewController> controller, QWidget* parent);

    const std::shared_ptr<AVPlayerViewController>& controller() const { return controller_; }
    // The chapter's playback; none when the media could not be had.
    QtPlayback* playback() const { return alive_ ? media_ : nullptr; }
    QPushButton* doneButton() const { return done_; }
    QPushButton* playPauseButton() const { return playPause_; }
    QPushButton* captionsButton() const { return captions_; }
    // The caption shown now; hidden between cues and while captions are off.
    QtCaptionLabel* captionLabel() const { return caption_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void togglePlayback();
    void updateControls();
    // One step of the captions control (PlayerCaptions::after).
    void nextCaptions();
    void showCaption();
    void placeCaption();

    std::shared_ptr<AVPlayerViewController> controller_;
    // Where the picture is: the frame fitted in, or the whole screen before one or without one.
    QRect pictureRect() const;

    QtPlayback* media_ = nullptr;
    QPointer<QObject> alive_;
    QtVideoPicture* video_ = nullptr;
    QWidget* topBar_;
    QWidget* bottomBar_;
    QPushButton* done_;
    QPushButton* playPause_;
    QSlider* slider_;
    QLabel* time_;
    QPushButton* captions_;
    QtCaptionLabel* caption_;
    QTimer* captionTimer_;
    // The picture the caption was last placed over: a first frame or a resize moves it.
    QRect captionPicture_;
    double styledScale_ = 0;  // the scale the style sheet was made for
};
