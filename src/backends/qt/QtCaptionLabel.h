#pragma once

#include <QColor>
#include <QImage>
#include <QLabel>

// The caption over a playing video. Each new frame repaints what lies over the picture, so the
// caption is drawn into an image once per cue, size or style, and each frame only lays that
// image over itself instead of styling and laying out its text again, 30 times a second.
// Its text and style are a label's; its box is a dark rounded rectangle.
class QtCaptionLabel : public QLabel {
public:
    using QLabel::QLabel;

    void setCornerRadius(int radius);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Drawn {
        QString text;
        QSize pixels;
        QFont font;
        QColor color;
        int radius = 0;
        bool operator==(const Drawn&) const = default;
    };

    int radius_ = 0;
    Drawn drawnFor_;
    QImage drawn_;
};
