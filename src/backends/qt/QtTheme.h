#pragma once

#include <QColor>
#include <QFont>
#include <QString>

// The application's one look: its palette, the sizes of its controls in points turned into
// pixels at the stage's scale, and the style sheets made of them for the screens' buttons, the
// alerts, the player's bars, the review notice and the progress bars.
namespace qttheme {

// Points to pixels at `scale`, never less than one pixel.
int pixels(double points, double scale);
// Ink that reads on a backdrop of this grey level (0 black, 1 white).
QColor textOn(double backdropWhite);
// The buttons' yellow, which also marks what plays.
QColor buttonColour();

// The pixel size of a button's bold title: big for small fingers, smaller for a title that
// would otherwise lose its ends.
int titlePixels(const QString& title, QFont bold, double heightPoints, int widthPixels,
                double scale);

// The border of a button, and the focus ring drawn in its place, which a picture stays inside.
int buttonBorderPixels(bool focused, double scale);
// A screen's button `heightPoints` high, its title `fontPixels` high.
QString buttonStyle(double scale, double heightPoints, int fontPixels);
QString alertStyle(double scale);
QString playerStyle(double scale);
QString noticeStyle(double scale);
QString progressStyle(int radiusPixels);
// The ring drawn round the button the keyboard is on, `width` pixels wide.
QString focusRingStyle(int width);

}  // namespace qttheme
