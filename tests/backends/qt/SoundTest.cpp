// The window's songs and chapters as a family hears them: through a PulseAudio server of this
// program's own, whose null sink's monitor the test records. Every other Qt test runs without
// a sound server; this one must start its server before Qt Multimedia first looks for devices,
// so it is a program of its own.
#include <gst/gst.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "QtFixture.h"
#include "backends/qt/QtPlayerScreen.h"
#include "backends/qt/QtViewWidgets.h"
#include "backends/qt/QtWindow.h"
#include "backends/qt/ThreadsWindDown.h"
#include "backends/qt/media/QtMediaKit.h"
#include "run/QuietMedia.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kSink = "larkspire_test";

// `pulseaudio -n` with only a null sink and the native protocol, on a socket in a private
// runtime folder, so that it neither finds nor disturbs a server of the machine's.
class SoundServer {
public:
    SoundServer() {
        if (QStandardPaths::findExecutable("pulseaudio").isEmpty() ||
            QStandardPaths::findExecutable("parec").isEmpty()) {
            why_ = "no pulseaudio or parec (pulseaudio, pulseaudio-utils)";
            return;
        }
        QString socket = runtime_.filePath("native");
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", runtime_.path());
        environment.insert("XDG_RUNTIME_DIR", runtime_.path());
        environment.remove("DBUS_SESSION_BUS_ADDRESS");
        server_.setProcessEnvironment(environment);
        server_.setProcessChannelMode(QProcess::MergedChannels);
        server_.start("pulseaudio",
                      {"-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
                       "--log-target=stderr", "-L", QString("module-null-sink sink_name=") + kSink,
                       "-L", "module-native-protocol-unix auth-anonymous=1 socket=" + socket});
        for (int tries = 0; tries < 100 && !fs::exists(socket.toStdString()); ++tries)
            server_.waitForFinished(50);
        if (!fs::exists(socket.toStdString())) {
            why_ = "pulseaudio did not start: " + server_.readAll().toStdString();
            return;
        }
        // Every client of this process, Qt Multimedia's included, reaches this server alone.
        qputenv("PULSE_SERVER", ("unix:" + socket).toUtf8());
        qputenv("XDG_RUNTIME_DIR", runtime_.path().toUtf8());
    }
    ~SoundServer() {
        server_.kill();
        server_.waitForFinished(5000);
    }
    // Why there is no server; empty when it runs.
    const std::string& why() const { return why_; }

private:
    QTemporaryDir runtime_;
    QProcess server_;
    std::string why_;
};

SoundServer* server = nullptr;

// The sink's monitor as it is recorded, 8 kHz mono, 20 ms behind what plays.
class Monitor {
public:
    Monitor() {
        recorder_.start("parec", {"--device", QString(kSink) + ".monitor", "--latency-msec=20",
                                  "--format=s16le", "--rate=8000", "--channels=1", "--raw"});
        recorder_.waitForStarted(5000);
    }
    ~Monitor() {
        recorder_.kill();
        recorder_.waitForFinished(5000);
    }
    // The level of the last 50 ms recorded, in dB of full scale; nothing before 50 ms have come.
    std::optional<double> level() {
        recorded_ += recorder_.readAllStandardOutput();
        constexpr qsizetype window = 8000 / 20 * 2;
        if (recorded_.size() < window)
            return std::nullopt;
        recorded_ = recorded_.right(window);
        double sum = 0;
        for (qsizetype i = 0; i < window; i += 2) {
            auto sample = qint16(quint8(recorded_[i]) | quint8(recorded_[i + 1]) << 8);
            sum += double(sample) * sample;
        }
        return 10 * std::log10(sum / (window / 2) / (32768.0 * 32768.0) + 1e-12);
    }
    // A song at its quietest is far above this, and the null sink gives exact zeros.
    bool heard() { return level().value_or(-120) > -45; }
    bool silent() { return level().value_or(0) < -80; }

private:
    QProcess recorder_;
    QByteArray recorded_;
};

class SoundTest : public QtFixture {
protected:
    void SetUp() override {
        if (!server->why().empty())
            GTEST_SKIP() << "no sound server: " << server->why();
        QtFixture::SetUp();
        for (const char* file : {"LKSChapter13.mp4", "LKSChapter13.jpg"})
            fs::copy_file(fs::path(LARKSPIRE_BUNDLE_DIR) / file, scratch / "bundle" / file);
        addSamplePack("Audio");
        resources->install("Audio");
    }
    void TearDown() override {
        if (server->why().empty())
            QtFixture::TearDown();
    }
    // Where a file's first sound is, in milliseconds: a song starts with a moment's silence
    // before its title is spoken. GStreamer's level element, over 10 ms at a time.
    static int firstSound(const fs::path& file) {
        gst_init(nullptr, nullptr);
        std::string uri =
            QUrl::fromLocalFile(QString::fromStdString(file.string())).toString().toStdString();
        GstElement* pipeline =
            gst_parse_launch(("uridecodebin uri=\"" + uri +
                              "\" ! audioconvert ! level interval=10000000 ! fakesink sync=false")
                                 .c_str(),
                             nullptr);
        if (!pipeline)
            return -1;
        gst_element_set_state(pipeline, GST_STATE_PLAYING);
        GstBus* bus = gst_element_get_bus(pipeline);
        int found = -1;
        while (found < 0) {
            GstMessage* message = gst_bus_timed_pop_filtered(
                bus, 10 * GST_SECOND,
                GstMessageType(GST_MESSAGE_ELEMENT | GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
            if (!message)
                break;
            const GstStructure* level = gst_message_get_structure(message);
            bool ends = GST_MESSAGE_TYPE(message) != GST_MESSAGE_ELEMENT;
            if (!ends && gst_structure_has_name(level, "level")) {
                GstClockTime at = 0;
                gst_structure_get_clock_time(level, "timestamp", &at);
                // The element gives its levels, one per channel, as a GValueArray.
                G_GNUC_BEGIN_IGNORE_DEPRECATIONS
                auto* rms = static_cast<GValueArray*>(
                    g_value_get_boxed(gst_structure_get_value(level, "rms")));
                for (guint i = 0; rms && i < rms->n_values; ++i) {
                    if (g_value_get_double(g_value_array_get_nth(rms, i)) > -45)
                        found = int(at / GST_MSECOND);
                }
                G_GNUC_END_IGNORE_DEPRECATIONS
            }
            gst_message_unref(message);
            if (ends)
                break;
        }
        gst_object_unref(bus);
        gst_element_set_state(pipeline, GST_STATE_NULL);
        gst_object_unref(pipeline);
        return found;
    }
    Monitor monitor;
};

// Heard within half a second of the tap (of the file's first sound, that is), silent within
// half a second of Stop or Done.
TEST_F(SoundTest, ASongAndAChapterAreHeardFromTheTapAndSilencedByStopAndDone) {
    testing::internal::CaptureStderr();
    QuietMedia::reportSoundDevice(&linkedQtMedia());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ASSERT_TRUE(waitUntil([&] { return monitor.silent(); }, 5000)) << "noise before any tap";

    for (const auto& [screen, tile, file] :
         {std::tuple{"music", "Mend the Sky",
                     fs::path(LARKSPIRE_MEDIA_DIR) / "packs/Audio/Mend the Sky.mp3"},
          {"chapters", "chapter13", scratch / "bundle/LKSChapter13.mp4"}}) {
        int lead = firstSound(file);
        ASSERT_GE(lead, 0) << file << " has no sound to hear";
        showScreen(screen);
        settle();
        button(tile)->click();
        EXPECT_TRUE(waitUntil([&] { return monitor.heard(); }, lead + 500))
            << tile << " not heard half a second after its first sound, " << lead
            << " ms into the file; level " << monitor.level().value_or(-120);
        // It goes on playing, not a click of sound. Half a second on, well before the song's
        // first pause between phrases (1.1 s after its first sound).
        spin(500);
        EXPECT_TRUE(monitor.heard()) << tile << " stopped on its own";
        QtPlayerScreen* player = window().playerScreen();
        player ? player->doneButton()->click() : button("stop")->click();
        EXPECT_TRUE(waitUntil([&] { return monitor.silent(); }, 500))
            << tile << " still heard half a second after " << (player ? "Done" : "Stop")
            << "; level " << monitor.level().value_or(-120);
    }
    for (const auto& line : log)
        EXPECT_EQ(line.find("sound device"), std::string::npos) << line;
    // Heard through the server's sink without the plugins of cameras or Vulkan devices loaded.
    for (const auto& [capture, loaded] : pluginsLoaded({"video4linux2", "uvch264", "vulkan"}))
        EXPECT_FALSE(loaded) << capture << " was loaded";
}

}  // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    int status;
    {
        // Qt Multimedia looks for devices at its first use, after the server is up.
        QApplication application(argc, argv);
        SoundServer sound;
        server = &sound;
        ::testing::InitGoogleTest(&argc, argv);
        status = RUN_ALL_TESTS();
    }
    waitForThreadsToWindDown();
    return status;
}
