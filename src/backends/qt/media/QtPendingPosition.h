#pragma once

#include <QMediaPlayer>
#include <optional>

// A player's position as its owner sets it. Qt Multimedia's player drops a position given while
// it loads the file or sets out to play (a chapter's first frame may already show), as a seek of
// a scenario on a busy machine found: one given then is kept, and set once the player takes it.
class QtPendingPosition {
public:
    explicit QtPendingPosition(QMediaPlayer& player);

    // The position set and not yet taken, else the player's.
    double seconds() const;
    // Finite and non-negative, as the seam hands it over; past any file beyond a billion.
    void set(double seconds);

private:
    void take();

    QMediaPlayer& player_;
    std::optional<qint64> pending_;
};
