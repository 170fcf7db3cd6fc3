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
    QTimer::singleShot(1000, &window, [&] {
        run.tapped();
        player.setSource(QUrl::fromLocalFile(QString::fromLocal8Bit(argv[1])));
        player.play();
    });
    QObject::connect(&player, &QMediaPlayer::mediaStatusChanged, &window, [&] {
        if (player.mediaStatus() == QMediaPlayer::EndOfMedia ||
            player.mediaStatus() == QMediaPlayer::InvalidMedia)
            application.quit();
    });
    application.exec();
    run.ended("bare player");
    return player.mediaStatus() == QMediaPlayer::EndOfMedia ? 0 : 2;
}
