#include "backends/qt/QtMediaControls.h"

#include <QFileInfo>
#include <QMediaPlayer>
#include <QRegularExpression>
#include <QUrl>

#include "backends/qt/QtNowPlaying.h"
#include "backends/qt/QtPictures.h"
#include "backends/qt/QtPlayerScreen.h"
#include "backends/qt/QtViewWidgets.h"
#include "backends/qt/QtWindow.h"

bool QtMediaControls::press(QAbstractButton* button) {
    if (!button || !button->isEnabled())
        return false;
    button->click();
    return true;
}

bool QtMediaControls::videoShown() const {
    QtPlayerScreen* player = window_.playerScreen();
    return player && player->mediaPlayer();
}

bool QtMediaControls::hasTrack() const {
    return videoShown() ||
           (nowPlaying_.kind() == QtNowPlaying::Kind::song && nowPlaying_.playing());
}

bool QtMediaControls::stop() {
    if (QtPlayerScreen* player = window_.playerScreen())
        return press(player->doneButton());
    return press(songStopButton());
}

bool QtMediaControls::playPause() {
    if (videoShown())
        return press(window_.playerScreen()->playPauseButton());
    // Whoever presses it while a song plays wants quiet, and Stop is the music screen's only way
    // to it: a song cannot be paused, so leaving it playing would ignore the press.
    return press(songStopButton());
}

bool QtMediaControls::play() {
    if (!videoShown() || nowPlaying_.playing())
        return false;
    return press(window_.playerScreen()->playPauseButton());
}

bool QtMediaControls::pause() {
    if (!videoShown())
        return playPause();
    return nowPlaying_.playing() && press(window_.playerScreen()->playPauseButton());
}

bool QtMediaControls::mediaKey(int key) {
    switch (key) {
        case Qt::Key_MediaPlay:
            return play();
        case Qt::Key_MediaPause:
            return pause();
        case Qt::Key_MediaTogglePlayPause:
            return playPause();
        case Qt::Key_MediaStop:
            return stop();
        default:
            return false;
    }
}

void QtMediaControls::raise() {
    if (window_.isMinimized())
        window_.showNormal();
    window_.show();
    window_.raise();
    window_.activateWindow();
}

QAbstractButton* QtMediaControls::songStopButton() const {
    QWidget* top = window_.topStageWidget();
    if (!top || nowPlaying_.kind() != QtNowPlaying::Kind::song)
        return nullptr;
    // The music screen's Stop, named so in its interface description; shown while a song is on.
    for (auto* button : top->findChildren<QAbstractButton*>()) {
        auto* peer = QtViewPeer::peerOf(button);
        if (peer && peer->view()->identifier() == "stop" && button->isVisibleTo(top))
            return button;
    }
    return nullptr;
}

QtButton* QtMediaControls::playingTile() const {
    QWidget* top = window_.topStageWidget();
    if (!top || nowPlaying_.kind() != QtNowPlaying::Kind::song)
        return nullptr;
    for (auto* child : top->findChildren<QWidget*>()) {
        auto* button = dynamic_cast<QtButton*>(child);
        if (button && static_cast<const UIButton&>(*button->view()).isSelected())
            return button;
    }
    return nullptr;
}

QString QtMediaControls::title() const {
    if (QtButton* tile = playingTile())
        return QString::fromStdString(static_cast<const UIButton&>(*tile->view()).title());
    // "LKSChapter13" reads "Chapter 13", "XmasDocumentary" "Xmas Documentary".
    QString name = QFileInfo(QString::fromStdString(nowPlaying_.path())).completeBaseName();
    name.remove(QRegularExpression("^LKS"));
    name.replace(QRegularExpression("([a-z])([A-Z0-9])"), "\\1 \\2");
    return name;
}

QString QtMediaControls::artUrl() const {
    std::string picture;
    if (QtButton* tile = playingTile())
        picture = static_cast<const UIButton&>(*tile->view()).imageName();
    else if (nowPlaying_.kind() == QtNowPlaying::Kind::video)
        picture =
            QFileInfo(QString::fromStdString(nowPlaying_.path())).completeBaseName().toStdString() +
            ".jpg";
    QString path = picture.empty() ? QString() : QtPictures::path(picture);
    return path.isEmpty() ? QString()
                          : QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString();
}
