#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>
#include <string>

class QFont;
class QPainter;

// The pictures the interface descriptions name: a relative path in the interface folder,
// else in the application's bundle (where the posters of the videos are). Each is decoded
// once for each size it is shown at, when first painted, and kept. One that is missing or
// cannot be read is a null image, and the debug log names it once.
namespace QtPictures {

enum class Fit {
    letterbox,  // the whole picture, centred, at the largest size that fits
    fill,       // the box covered, the overflow cut evenly from both sides
};

// Where pictures are found: the interface folder, then the application's bundle.
void setFolders(const std::string& interfaceDirectory, const std::string& bundleDirectory);

QImage picture(const std::string& name, QSize size, Fit fit);
// The file of a picture, or empty when there is none.
QString path(const std::string& name);

// Draws `title` as a caption on a dark band along the bottom of `box`, in up to two lines.
void drawCaption(QPainter& painter, const QRect& box, const QString& title, double scale);
// Whether that caption shows `title` whole, drawn from `font`'s family.
bool captionFits(const QRect& box, const QString& title, double scale, const QFont& font);
// Draws the mark of what is still to be downloaded in the top right corner of `box`.
void drawDownloadMark(QPainter& painter, const QRect& box, double scale);
// Draws the mark of what plays now: a band in the stage's yellow just inside `box`, and a
// play sign in its top left corner.
void drawPlayingMark(QPainter& painter, const QRect& box, double scale);
// The colour of the playing mark.
QColor playingMarkColour();

}  // namespace QtPictures
