#pragma once

#include <QVideoFrame>
#include <QWidget>

class QVideoSink;

// Paints the newest frame of a video sink, fitted into the widget with its
// aspect kept, on black. Unlike a video widget with a window of its own, it
// scales with the stage, lies under the player's controls and shows in grabs.
class QtVideoView : public QWidget {
public:
    explicit QtVideoView(QWidget* parent);
    void setSink(QVideoSink* sink);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QVideoFrame frame_;
    QMetaObject::Connection connection_;
};
