#include "backends/qt/QtTheme.h"

#include <QFontMetrics>
#include <algorithm>
#include <cmath>

namespace qttheme {

namespace {

// The palette: warm yellow buttons with a darker rim, dark ink, paper for alerts, sky blue for
// focus and progress.
constexpr const char* kButton = "#f6c945";
constexpr const char* kButtonPressed = "#e0a800";
constexpr const char* kRim = "#b8860b";
constexpr const char* kInk = "#1f2633";
constexpr const char* kPaper = "#fbfaf7";
constexpr const char* kSky = "#4fb3ff";
constexpr const char* kTrack = "#5b6270";

// The yellow button the screens, the alerts and the player share.
QString yellowButton(int border, int radius, int fontPixels) {
    return QString(
               "QPushButton { background: %1; color: %2; border: %3px solid %4; "
               "border-radius: %5px; font-size: %6px; }"
               "QPushButton:pressed { background: %7; }")
        .arg(kButton, kInk)
        .arg(border)
        .arg(kRim)
        .arg(radius)
        .arg(fontPixels)
        .arg(kButtonPressed);
}

}  // namespace

int pixels(double points, double scale) {
    return std::max(1, int(std::lround(points * scale)));
}

QColor buttonColour() {
    return QColor(kButton);
}

QColor textOn(double backdropWhite) {
    return backdropWhite < 0.5 ? QColor(0xf5, 0xf1, 0xe8) : QColor(kInk);
}

int titlePixels(const QString& title, QFont bold, double heightPoints, int widthPixels,
                double scale) {
    int fontPixels = pixels(std::clamp(heightPoints * 0.38, 14.0, 36.0), scale);
    int room = widthPixels - pixels(12, scale);
    bold.setBold(true);
    bold.setPixelSize(fontPixels);
    int wide = QFontMetrics(bold).horizontalAdvance(title);
    if (wide <= room)
        return fontPixels;
    // Every size tried loads a font: the search starts from what the width at full size asks.
    if (room > 0)
        fontPixels = std::min(fontPixels - 1, int(double(fontPixels) * room / wide) + 1);
    for (int smallest = pixels(12, scale); fontPixels > smallest; --fontPixels) {
        bold.setPixelSize(fontPixels);
        if (QFontMetrics(bold).horizontalAdvance(title) <= room)
            break;
    }
    return fontPixels;
}

int buttonBorderPixels(bool focused, double scale) {
    return pixels(focused ? 5 : 2, scale);
}

QString buttonStyle(double scale, double heightPoints, int fontPixels) {
    return yellowButton(buttonBorderPixels(false, scale),
                        pixels(std::min(16.0, heightPoints / 3), scale), fontPixels) +
           QString(
               "QPushButton { font-weight: bold; padding: %1px; }"
               "QPushButton:disabled { background: #c9c9c9; color: #707070; "
               "border-color: #9a9a9a; }")
               .arg(pixels(4, scale)) +
           focusRingStyle(buttonBorderPixels(true, scale));
}

QString alertStyle(double scale) {
    auto px = [scale](double points) { return pixels(points, scale); };
    return QString(
               "QDialog#alert { background: %1; border: %2px solid %3; }"
               "QLabel { color: %4; }"
               "QLabel#alertTitle { font-weight: bold; font-size: %5px; }"
               "QLabel#alertMessage { font-size: %6px; }"
               "QLineEdit { font-size: %6px; padding: %7px; }")
               .arg(kPaper)
               .arg(px(2))
               .arg(kRim, kInk)
               .arg(px(24))
               .arg(px(20))
               .arg(px(8)) +
           yellowButton(px(2), px(10), px(20)) +
           QString(
               "QPushButton { padding: %1px; min-height: %2px; }"
               "QPushButton[actionStyle=\"cancel\"] { background: #ece7da; }"
               "QPushButton[actionStyle=\"destructive\"] { color: #b00020; }"
               "QPushButton:default { font-weight: bold; }"
               "QPushButton:focus { outline: none; border-color: %3; }")
               .arg(px(8))
               .arg(px(48))
               .arg(kSky);
}

QString playerStyle(double scale) {
    auto px = [scale](double points) { return pixels(points, scale); };
    return QString("QWidget#playerBar { background: rgba(0, 0, 0, 150); }") +
           yellowButton(px(2), px(12), px(24)) +
           QString(
               "QPushButton { font-weight: bold; }"
               "QLabel { color: white; font-size: %1px; }"
               "QSlider::groove:horizontal { height: %2px; background: %3; "
               "border-radius: %4px; }"
               "QSlider::sub-page:horizontal { background: %5; border-radius: %4px; }"
               "QSlider::handle:horizontal { background: white; width: %6px; "
               "margin: -%7px 0; border-radius: %8px; }")
               .arg(px(24))
               .arg(px(10))
               .arg(kTrack)
               .arg(px(5))
               .arg(kSky)
               .arg(px(36))
               .arg(px(13))
               .arg(px(18)) +
           focusRingStyle(px(5));
}

QString noticeStyle(double scale) {
    auto px = [scale](double points) { return pixels(points, scale); };
    return QString(
               "QFrame#reviewNotice { background: %1; border: %2px solid %3; "
               "border-radius: %4px; }"
               "QLabel { color: %5; font-size: %6px; }"
               "QPushButton { background: transparent; border: none; color: %5; "
               "font-size: %7px; font-weight: bold; }")
               .arg(kPaper)
               .arg(px(2))
               .arg(kRim)
               .arg(px(14))
               .arg(kInk)
               .arg(px(20))
               .arg(px(30)) +
           focusRingStyle(px(3));
}

QString progressStyle(int radiusPixels) {
    return QString(
               "QProgressBar { background: %1; border: none; border-radius: %2px; }"
               "QProgressBar::chunk { background: %3; border-radius: %2px; }")
        .arg(kTrack)
        .arg(radiusPixels)
        .arg(kSky);
}

QString focusRingStyle(int width) {
    return QString(
               "QPushButton { outline: none; }"
               "QPushButton[showsFocus=\"true\"] { border: %1px solid %2; }")
        .arg(width)
        .arg(kSky);
}

}  // namespace qttheme
