#include "backends/qt/QtWindowState.h"

#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScreen>
#include <QWidget>
#include <filesystem>
#include <iostream>
#include <system_error>

#include "platform/foundation/AtomicFile.h"

namespace QtWindowState {

namespace {

// What must show of a window for its title bar to be caught and dragged back.
constexpr int kGrip = 48;

}  // namespace

std::optional<Placement> read(const std::string& file, std::ostream& problems) {
    auto text = AtomicFile::read(file);
    if (!text)
        return std::nullopt;
    QJsonParseError error{};
    QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(*text), &error);
    QJsonObject object = document.object();
    bool whole = object.value("width").isDouble() && object.value("height").isDouble() &&
                 object.value("x").isDouble() && object.value("y").isDouble() &&
                 object.value("fullScreen").isBool();
    QRect geometry(object.value("x").toInt(), object.value("y").toInt(),
                   object.value("width").toInt(), object.value("height").toInt());
    if (error.error != QJsonParseError::NoError || !whole || geometry.width() <= 0 ||
        geometry.height() <= 0) {
        problems << "larkspire: ignoring the damaged window state " << file << "\n";
        return std::nullopt;
    }
    return Placement{geometry, object.value("fullScreen").toBool()};
}

bool write(const std::string& file, const Placement& placement) {
    QJsonObject object{{"x", placement.geometry.x()},
                       {"y", placement.geometry.y()},
                       {"width", placement.geometry.width()},
                       {"height", placement.geometry.height()},
                       {"fullScreen", placement.fullScreen}};
    try {
        std::filesystem::create_directories(std::filesystem::path(file).parent_path());
        AtomicFile::replace(file, QJsonDocument(object).toJson().toStdString());
        return true;
    } catch (const std::exception& error) {
        std::cerr << "larkspire: cannot keep the window state in " << file << ": " << error.what()
                  << "\n";
        return false;
    }
}

QRect onScreen(const QRect& geometry, const QList<QRect>& screens, const QRect& primary) {
    for (const QRect& screen : screens) {
        QRect shown = screen.intersected(geometry);
        // The top edge must be on the screen too: that is where the window is taken hold of.
        if (shown.width() >= kGrip && shown.height() >= kGrip &&
            screen.contains(QPoint(shown.center().x(), geometry.top())))
            return geometry;
    }
    QSize size = geometry.size().boundedTo(primary.size());
    QRect centred(QPoint(0, 0), size);
    centred.moveCenter(primary.center());
    return centred;
}

void restore(QWidget& window, const std::string& file) {
    auto placement = read(file, std::cerr);
    if (!placement)
        return;
    QList<QRect> screens;
    for (QScreen* screen : QGuiApplication::screens())
        screens.push_back(screen->availableGeometry());
    QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary)
        return;
    window.setGeometry(onScreen(placement->geometry, screens, primary->availableGeometry()));
    if (placement->fullScreen)
        window.setWindowState(window.windowState() | Qt::WindowFullScreen);
}

void save(const QWidget& window, const std::string& file) {
    // The size to come back to from full screen, as the window manager keeps it.
    write(file, Placement{window.normalGeometry(), window.isFullScreen()});
}

}  // namespace QtWindowState
