#pragma once

#include <QColor>
#include <QImage>
#include <QLabel>

#include "platform/media/CaptionStyle.h"

// The caption over a playing video, and over the preview of the caption choices. Each new frame
// repaints what lies over the picture, so the caption is drawn into an image once per cue, size
// or style, and each frame only lays that image over itself instead of styling and laying out
// its text again, 30 times a second. Its text and font are a label's; its look (box, edge, size,
// place) the family's caption style.
class QtCaptionLabel : public QLabel {
public:
    explicit QtCaptionLabel(QWidget* parent);

    // Sizes, styles and places the caption over `picture` (in the parent's coordinates) as
    // `style` says, clear of `controls` where they cover the picture.
    void placeOver(const QRect& picture, const CaptionStyle& style, const QRect& controls = {});

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Drawn {
        QString text;
        QSize pixels;
        QFont font;
        QColor color;
        int radius = 0;
        CaptionStyle::Background background = CaptionStyle::Background::translucent;
        bool operator==(const Drawn&) const = default;
    };

    int radius_ = 0;
    CaptionStyle::Background background_ = CaptionStyle::Background::translucent;
    Drawn drawnFor_;
    QImage drawn_;
};
