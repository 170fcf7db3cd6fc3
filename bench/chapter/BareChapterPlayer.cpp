// The anchor of bench_chapter: a bare Qt Multimedia player, a video widget in a window of the
// application's size with an audio output, playing the same file to its end.
//   bench_bare_chapter VIDEO-FILE
#include <QApplication>
#include <QAudioOutput>
#include <QMediaPlayer>
#include <QTimer>
#include <QUrl>
#include <QVideoFrame>
#include <QVideoSink>
#include <QVideoWidget>
#include <cstdio>
#include <functional>

#include "ChapterRun.h"
#include "VideoSinkStats.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc != 2) {
        std::fputs("usage: bench_bare_chapter VIDEO-FILE\n", stderr);
        return 2;
    }
    VideoSinkStats::watch();
    QApplication application(argc, argv);
    QVideoWidget window;
    window.resize(1024, 768);
    window.show();
    QMediaPlayer player;
    QAudioOutput output;
    player.setAudioOutput(&output);
    player.setVideoOutput(&window);

    // The widget draws in a window of its own, so a frame is on screen once that window, or
    // the widget, has painted after the frame reached the widget's sink.
    bool frameArrived = false;
    QObject::connect(window.videoSink(), &QVideoSink::videoFrameChanged, &window,
                     [&](const QVideoFrame& frame) { frameArrived |= frame.isValid(); });
    ChapterRun run([&](QObject* painted) {
        return frameArrived &&
               (painted == &window || painted->inherits("QVideoWindow") || painted->isWindowType());
    });
    // As many starts as the application's, each stopped at its first frame, then the one
    // played to its end.
    constexpr int kStarts = 4;
    int starts = 0;
    bool pending = true;  // a start is on its way
    std::function<void()> start = [&] {
        pending = false;
        frameArrived = false;
        run.tapped();
        player.setSource(QUrl::fromLocalFile(QString::fromLocal8Bit(argv[1])));
        player.play();
    };
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &window, [&] {
        if (starts >= kStarts)
            watch.stop();
        if (starts >= kStarts || pending || !run.firstFrameShown())
            return;
        ++starts;
        pending = true;
        player.stop();
        player.setSource(QUrl());
        QTimer::singleShot(500, &window, start);
    });
    watch.start(20);
    QTimer::singleShot(1000, &window, start);
    QObject::connect(&player, &QMediaPlayer::mediaStatusChanged, &window, [&] {
        if ((player.mediaStatus() == QMediaPlayer::EndOfMedia && starts >= kStarts) ||
            player.mediaStatus() == QMediaPlayer::InvalidMedia)
            application.quit();
    });
    application.exec();
    run.ended("bare player");
    return player.mediaStatus() == QMediaPlayer::EndOfMedia ? 0 : 2;
}
