#include "backends/qt/QtCaptionLabel.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

// The box the picture shows through, as captions always had, and the one it does not.
const QColor kTranslucentBox(0, 0, 0, 170);
const QColor kSolidBox(0, 0, 0, 255);
const QColor kEdge(0, 0, 0, 230);

// The text's height against the picture's: medium is the size captions always had.
double linesPerPicture(CaptionStyle::Size size) {
    switch (size) {
        case CaptionStyle::Size::small:
            return 20;
        case CaptionStyle::Size::large:
            return 12;
        case CaptionStyle::Size::largest:
            return 9;
        case CaptionStyle::Size::medium:
            break;
    }
    return 16;
}

}  // namespace

QtCaptionLabel::QtCaptionLabel(QWidget* parent) : QLabel(parent) {
    setObjectName("caption");
    setAlignment(Qt::AlignCenter);
    setWordWrap(true);
    setTextFormat(Qt::PlainText);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

// Centred, always inside the picture however the window letterboxes it, at its foot or its top.
void QtCaptionLabel::placeOver(const QRect& picture, const CaptionStyle& style,
                               const QRect& controls) {
    QFont shown = font();
    shown.setPixelSize(
        std::max(12, int(std::ceil(picture.height() / linesPerPicture(style.size)))));
    int padding = std::max(2, shown.pixelSize() / 4);
    // Set only when the size changes: styling the label again takes about half a millisecond
    // of the main queue, which the frames of the video share, at every cue. The screen's own
    // style sets every label's font, so the caption's size is set there too.
    const QString sheet =
        QString("QLabel#caption { color: #fdfdfd; padding: %1px %2px; font-size: %3px; }")
            .arg(padding / 2)
            .arg(padding)
            .arg(shown.pixelSize());
    if (styleSheet() != sheet)
        setStyleSheet(sheet);
    if (padding != radius_ || style.background != background_) {
        radius_ = padding;
        background_ = style.background;
        update();
    }
    // As wide as its longest line, up to nine tenths of the picture, where it wraps.
    int widest = 0;
    for (const QString& line : text().split('\n'))
        widest = std::max(widest, QFontMetrics(shown).horizontalAdvance(line));
    QSize size;
    size.setWidth(std::min(widest + 2 * padding + 2, picture.width() * 9 / 10));
    size.setHeight(std::min(heightForWidth(size.width()), picture.height()));
    int top;
    if (style.position == CaptionStyle::Position::top) {
        top = picture.top() + padding;
        if (controls.intersects(picture))
            top = std::min(picture.bottom() - size.height(), controls.bottom() + padding);
    } else {
        top = picture.bottom() - padding - size.height();
        if (controls.intersects(picture))
            top = std::max(picture.top(), controls.top() - padding - size.height());
    }
    setGeometry(picture.center().x() - size.width() / 2, top, size.width(), size.height());
    raise();
}

void QtCaptionLabel::paintEvent(QPaintEvent*) {
    const qreal ratio = devicePixelRatioF();
    const Drawn wanted{text(),  (QSizeF(size()) * ratio).toSize(),
                       font(),  palette().color(QPalette::WindowText),
                       radius_, background_};
    if (wanted != drawnFor_) {
        drawn_ = QImage(wanted.pixels, QImage::Format_ARGB32_Premultiplied);
        drawn_.setDevicePixelRatio(ratio);
        drawn_.fill(Qt::transparent);
        QPainter painter(&drawn_);
        painter.setRenderHint(QPainter::Antialiasing);
        const int flags = int(alignment()) | Qt::TextWordWrap;
        if (wanted.background != CaptionStyle::Background::outline) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(
                wanted.background == CaptionStyle::Background::solid ? kSolidBox : kTranslucentBox);
            painter.drawRoundedRect(rect(), radius_, radius_);
        } else {
            // No box: the letters edged in dark all round, readable on a light picture.
            painter.setFont(wanted.font);
            painter.setPen(kEdge);
            int edge = std::max(1, wanted.font.pixelSize() / 14);
            for (int dx = -edge; dx <= edge; ++dx)
                for (int dy = -edge; dy <= edge; ++dy)
                    if (dx != 0 || dy != 0)
                        painter.drawText(contentsRect().translated(dx, dy), flags, wanted.text);
        }
        painter.setPen(wanted.color);
        painter.setFont(wanted.font);
        painter.drawText(contentsRect(), flags, wanted.text);
        drawnFor_ = wanted;
    }
    QPainter(this).drawImage(0, 0, drawn_);
}
