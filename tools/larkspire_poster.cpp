// larkspire-poster: takes the poster picture of each video, for the application's bundle.
//
//   larkspire-poster <output-folder> <video>...
//
// Writes <output-folder>/<video name>.jpg: the frame a second in (or halfway through a
// shorter video), no larger than the largest button that shows it. Decoded by Qt
// Multimedia, on Qt's offscreen platform: it needs no display and no sound. Exit status:
// 0 done, 1 a video could not be read or a poster written, 2 bad command line.

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QMediaPlayer>
#include <QSaveFile>
#include <QTimer>
#include <QVideoFrame>
#include <QVideoSink>
#include <algorithm>
#include <cstdio>

namespace {

constexpr qint64 kFrameAtMs = 1000;
constexpr int kGiveUpMs = 30000;
// The chapter buttons (380 by 200 points) at twice the stage's size.
constexpr QSize kLargestShown(760, 400);

struct Capture {
    QImage image;
    QString error;
};

Capture takeFrame(const QString& path) {
    QMediaPlayer player;
    QVideoSink sink;
    player.setVideoSink(&sink);
    QEventLoop loop;
    Capture capture;
    QVideoFrame last;
    qint64 targetUs = kFrameAtMs * 1000;
    QObject::connect(&player, &QMediaPlayer::mediaStatusChanged, &loop, [&](auto status) {
        if (status == QMediaPlayer::LoadedMedia) {
            qint64 targetMs = std::min(kFrameAtMs, player.duration() / 2);
            targetUs = targetMs * 1000;
            player.setPosition(targetMs);
            player.play();
        } else if (status == QMediaPlayer::EndOfMedia || status == QMediaPlayer::InvalidMedia) {
            loop.quit();
        }
    });
    QObject::connect(&player, &QMediaPlayer::errorOccurred, &loop,
                     [&](auto, const QString& message) {
                         capture.error = message;
                         loop.quit();
                     });
    QObject::connect(&sink, &QVideoSink::videoFrameChanged, &loop, [&](const QVideoFrame& frame) {
        if (!frame.isValid())
            return;
        last = frame;
        // Frames decoded before the seek took hold are passed over.
        if (frame.startTime() < 0 || frame.startTime() >= targetUs - 100000)
            loop.quit();
    });
    QTimer::singleShot(kGiveUpMs, &loop, [&] {
        capture.error = "no frame within the time allowed";
        loop.quit();
    });
    player.setSource(QUrl::fromLocalFile(path));
    loop.exec();
    player.stop();
    if (last.isValid())
        capture.image = last.toImage();
    if (capture.image.isNull() && capture.error.isEmpty())
        capture.error = "no video frame";
    return capture;
}

bool writePoster(const QString& video, const QDir& output) {
    Capture capture = takeFrame(video);
    if (capture.image.isNull()) {
        std::fprintf(stderr, "larkspire-poster: %s: %s\n", qPrintable(video),
                     qPrintable(capture.error));
        return false;
    }
    QImage poster = capture.image.convertToFormat(QImage::Format_RGB32);
    if (poster.width() > kLargestShown.width() || poster.height() > kLargestShown.height())
        poster = poster.scaled(kLargestShown, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QSaveFile file(output.filePath(QFileInfo(video).completeBaseName() + ".jpg"));
    if (!file.open(QIODevice::WriteOnly) || !poster.save(&file, "JPG", 85) || !file.commit()) {
        std::fprintf(stderr, "larkspire-poster: cannot write %s\n", qPrintable(file.fileName()));
        return false;
    }
    std::printf("larkspire-poster: %s (%dx%d)\n", qPrintable(file.fileName()), poster.width(),
                poster.height());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: larkspire-poster <output-folder> <video>...\n");
        return 2;
    }
    // A build step: never a window, never a sound.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    QDir output(QString::fromLocal8Bit(argv[1]));
    if (!output.mkpath(".")) {
        std::fprintf(stderr, "larkspire-poster: cannot make %s\n", argv[1]);
        return 1;
    }
    bool written = true;
    for (int i = 2; i < argc; ++i)
        written = writePoster(QString::fromLocal8Bit(argv[i]), output) && written;
    return written ? 0 : 1;
}
