// The anchor of bench_resident_memory: a bare Qt Multimedia program that plays chapter 13 to
// its end in a video widget, then one song for 3 s, in one window. Prints its resident memory.
//   bench_bare_player MEDIA-DIR
#include <QApplication>
#include <QAudioOutput>
#include <QElapsedTimer>
#include <QMediaPlayer>
#include <QUrl>
#include <QVideoWidget>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>

namespace {

// A field of /proc/self/status ("VmRSS:", "VmHWM:") in KiB.
long statusKiB(const std::string& field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(field, 0) == 0)
            return std::stol(line.substr(field.size()));
    }
    return -1;
}

void runFor(double seconds, const std::function<bool()>& done = {}) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < seconds * 1000 && !(done && done()))
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fputs("usage: bench_bare_player MEDIA-DIR\n", stderr);
        return 2;
    }
    QString media = QString::fromLocal8Bit(argv[1]);
    QVideoWidget window;
    window.resize(1024, 768);
    window.show();

    QMediaPlayer player;
    QAudioOutput output;
    player.setAudioOutput(&output);
    player.setVideoOutput(&window);
    player.setSource(QUrl::fromLocalFile(media + "/bundle/LKSChapter13.mp4"));
    player.play();
    runFor(30, [&] { return player.mediaStatus() == QMediaPlayer::EndOfMedia; });
    player.stop();

    player.setVideoOutput(nullptr);
    player.setSource(QUrl::fromLocalFile(media + "/packs/Audio/Mend the Sky.mp3"));
    player.play();
    runFor(3.0);
    player.stop();
    runFor(0.5);
    std::printf("bare player: %ld KiB resident after chapter 13 and a song (peak %ld KiB)\n",
                statusKiB("VmRSS:"), statusKiB("VmHWM:"));
    return 0;
}
