#pragma once

#include <QString>

class QAbstractButton;
class QtNowPlaying;
class QtWindow;

// The desktop's player controls and the keyboard's media keys, acting through the window's own
// buttons so that a screen cannot tell them from a press: the player's Done and Play/Pause for
// a video, the music screen's Stop for a song (which has no pause, so Pause and Play/Pause stop
// it too, and Play leaves it be).
class QtMediaControls {
public:
    QtMediaControls(QtWindow& window, const QtNowPlaying& nowPlaying)
        : window_(window), nowPlaying_(nowPlaying) {}

    // Each is true when it pressed something.
    bool stop();
    bool playPause();
    bool play();
    bool pause();
    // A media key; false when it is none or does nothing now.
    bool mediaKey(int key);
    void raise();

    // Whether a video is on the stage, which can pause and play again.
    bool videoShown() const;
    // Whether there is something to act on: a video on the stage, or a song while it plays (a
    // stopped song leaves nothing of it on the music screen, and nothing starts it again but
    // its tile).
    bool hasTrack() const;
    // What plays, as the reader sees it: the title of the tile whose tap started it, in the
    // window's language, and its picture.
    QString title() const;
    QString artUrl() const;

private:
    QAbstractButton* songStopButton() const;
    static bool press(QAbstractButton* button);

    QtWindow& window_;
    const QtNowPlaying& nowPlaying_;
};
