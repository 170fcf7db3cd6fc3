#pragma once

#include <QList>
#include <QRect>
#include <optional>
#include <ostream>
#include <string>

class QWidget;

// The window's size, place and full screen, kept between runs in a file of their own (never
// in the settings, which the story owns).
namespace QtWindowState {

struct Placement {
    QRect geometry;
    bool fullScreen = false;
};

// Nothing when there is no file; a damaged one is named on `problems` in one line.
std::optional<Placement> read(const std::string& file, std::ostream& problems);
bool write(const std::string& file, const Placement& placement);
// `geometry` when enough of it shows on one of `screens` to be dragged back, else the same size
// (shrunk to fit) centred on `primary`.
QRect onScreen(const QRect& geometry, const QList<QRect>& screens, const QRect& primary);

// The window as it was left, on one of today's screens.
void restore(QWidget& window, const std::string& file);
void save(const QWidget& window, const std::string& file);

}  // namespace QtWindowState
