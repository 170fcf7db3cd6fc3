#include "backends/qt/QtMediaControls.h"

#include <QAbstractButton>
#include <QFileInfo>
#include <QUrl>

#include <QPushButton>
#include "backends/qt/QtNowPlaying.h"
#include "backends/qt/QtPictures.h"
#include "backends/qt/QtPlayerScreen.h"
#include "backends/qt/QtTexts.h"
#include "backends/qt/QtViewPeer.h"
#include "backends/qt/QtWindow.h"

bool QtMediaControls::press(QAbstractButton* button) {
    if (!button || !button->isEnabled())
        return false;
    button->click();
    return true;
}

bool QtMediaControls::videoShown() const {
    QtPlayerScreen* player = window_.playerScreen();
    return player && player->playback();
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
    // The button whose role the interface description made "stop"; shown while a song is on.
    for (auto* button : top->findChildren<QAbstractButton*>()) {
        auto* peer = QtViewPeer::peerOf(button);
        auto* view = peer ? dynamic_cast<const UIButton*>(peer->view().get()) : nullptr;
        if (view && view->role() == UIButton::Role::stop && button->isVisibleTo(top))
            return button;
    }
    return nullptr;
}

QString QtMediaControls::title() const {
    return qttexts::shown(nowPlaying_.info().title);
}

QString QtMediaControls::artUrl() const {
    const std::string& picture = nowPlaying_.info().artwork;
    QString path = picture.empty() ? QString() : QtPictures::path(picture);
    return path.isEmpty() ? QString()
                          : QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString();
}
