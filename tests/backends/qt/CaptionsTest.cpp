#include <QAccessible>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <fstream>
#include <mutex>
#include <set>
#include <vector>

#include <gst/gst.h>

#include "QtFixture.h"
#include "backends/qt/QtKeptChoices.h"
#include "backends/qt/QtPlayerScreen.h"
#include "backends/qt/QtTheme.h"
#include "backends/qt/QtViewWidgets.h"
#include "backends/qt/QtWindow.h"
#include "backends/qt/media/QtVideoView.h"
#include "platform/media/AVPlayer.h"

namespace fs = std::filesystem;

namespace {

class CaptionsTest : public QtFixture {
protected:
    void configure(QtBackendOptions& options) override {
        options.captionStateFile = (scratch / "state" / "captions.json").string();
    }
    void SetUp() override {
        QtFixture::SetUp();
        for (const char* file : {"LKSChapter13.mp4", "LKSChapter13.en.vtt", "LKSChapter13.de.vtt"})
            fs::copy_file(fs::path(LARKSPIRE_MEDIA_DIR) / "bundle" / file,
                          scratch / "bundle" / file);
    }
};

// Decoded frames alive anywhere (a decoder's pool, a queue, the picture): memories of a frame's
// size or more, each read from the sample after the one that saw it made, once it is set up.
struct FramesWatch {
    static constexpr gsize kFrameBytes = 640 * 360 * 3 / 2;  // chapter 13, planar 4:2:0
    std::mutex mutex;
    std::set<GstMemory*> made, settled;
    std::size_t most = 0;
    void note() {
        std::lock_guard lock(mutex);
        most = std::max<std::size_t>(
            most, std::count_if(settled.begin(), settled.end(),
                                [](auto* m) { return m->maxsize >= kFrameBytes; }));
        settled.merge(made);
    }
} frames;
void objectMade(GstTracer*, guint64, GstMiniObject* object) {
    std::lock_guard lock(frames.mutex);
    if (object->type == GST_TYPE_MEMORY)
        frames.made.insert(GST_MEMORY_CAST(object));
}
void objectGone(GstTracer*, guint64, GstMiniObject* object) {
    std::lock_guard lock(frames.mutex);
    frames.made.erase(GST_MEMORY_CAST(object));
    frames.settled.erase(GST_MEMORY_CAST(object));
}
using FramesTracer = GstTracer;
using FramesTracerClass = GstTracerClass;
G_DEFINE_TYPE(FramesTracer, frames_tracer, GST_TYPE_TRACER)
void frames_tracer_class_init(FramesTracerClass*) {}
void frames_tracer_init(FramesTracer*) {}

}  // namespace

// Chapter 13 as a deaf child's family finds it: a captions control a screen reader names with
// its state, and the choice still there at the next start. While it plays, the frames alive
// at once stay within the few the decoder and the picture need, from the first chapter, and
// with nothing to hear it through, no sound output is loaded.
TEST_F(CaptionsTest, TheControlIsNamedLittleIsHeldAndTheChoiceIsKept) {
    gst_init(nullptr, nullptr);
    auto* tracer = static_cast<GstTracer*>(g_object_new(frames_tracer_get_type(), nullptr));
    gst_tracing_register_hook(tracer, "mini-object-created", G_CALLBACK(objectMade));
    gst_tracing_register_hook(tracer, "mini-object-destroyed", G_CALLBACK(objectGone));
    QTimer counting;
    counting.callOnTimeout([] { frames.note(); });
    counting.start(1);
    showScreen("chapters");
    button("chapter13")->click();
    ASSERT_TRUE(waitUntil([&] { return window().playerScreen() != nullptr; }, 5000));
    QtPlayerScreen& screen = *window().playerScreen();
    QPushButton* control = screen.captionsButton();
    auto said = [&] {
        auto* spoken = QAccessible::queryAccessibleInterface(control);
        return (spoken->text(QAccessible::Name) + ", " + spoken->text(QAccessible::Description) +
                (spoken->state().checked ? ", checked" : ""))
            .toStdString();
    };
    EXPECT_EQ(said(), "Captions, Off");
    control->click();
    EXPECT_EQ(said(), "Captions, On, English, checked");
    EXPECT_EQ(control->text(), "CC English");

    // Where the caption goes and how it looks is the caption style test's.
    QtVideoView* video = widgetsIn<QtVideoView>(&screen).front();
    screen.controller()->player()->seekToTime(2.5);
    ASSERT_TRUE(waitUntil([&] { return video->showsFrame() && screen.captionLabel()->isVisible(); },
                          10000));
    // The screen's first paints done, at a sanitizer's pace too, before any is counted.
    spin(300);
    // A new frame repaints the picture and the caption over it, not the controls beside it.
    struct PaintCount : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            paints += event->type() == QEvent::Paint;
            return false;
        }
    } done;
    screen.doneButton()->installEventFilter(&done);
    const quint64 painted = QtVideoView::frameCounts().painted;
    spin(500);
    EXPECT_GE(QtVideoView::frameCounts().painted, painted + 5);
    EXPECT_EQ(done.paints, 0);
    screen.doneButton()->removeEventFilter(&done);
    // 11 through the chapter's own pipeline; Qt Multimedia's player held 17 with one frame a
    // queue, 35 with its own queue sizes. Fewer than 3 would be a watch that sees nothing.
    EXPECT_LE(frames.most, 12u);
    EXPECT_GE(frames.most, 3u);
    // With no sound server or card here, no kind of sound output was tried for the chapter.
    auto sinks = pluginsLoaded({"jack", "openal", "oss4", "ossaudio", "alsa"});
    for (const auto& [sink, loaded] : sinks)
        EXPECT_FALSE(loaded) << sink << " was tried";
    EXPECT_FALSE(sinks.empty()) << "no sound output plugin is installed to be tried";

    control->click();
    EXPECT_EQ(said(), "Captions, On, German, checked");
    EXPECT_EQ(QtKeptChoices((scratch / "state" / "captions.json").string()).text("captions"), "de");
}

// The words of a song already sung are drawn in the yellow that marks what plays, those to come
// in the screen's ink: on the left of a line read left to right, on the right of one read right
// to left. A screen reader reads the whole line.
TEST_F(CaptionsTest, TheSungWordsOfALineAreDrawnApartFromThoseToCome) {
    // The song's file, its button, its one line and whether that is read right to left.
    const std::tuple<std::string, const char*, const char*, bool> songs[] = {
        {"Mend the Sky", "Mend the Sky", "Needle and <00:30.000>silver thread", false},
        {"Someday", "Someday (Brief Return)", "إبرة من <00:30.000>فضة وخيط", true},
    };
    fs::path pack = scratch / "pack";
    fs::create_directories(pack);
    for (const auto& [name, title, line, rightToLeft] : songs) {
        fs::copy_file(fs::path(LARKSPIRE_MEDIA_DIR) / "packs" / "Audio" / (name + ".mp3"),
                      pack / (name + ".mp3"));
        std::ofstream(pack / (name + ".en.vtt")) << "WEBVTT\n\n00:00.000 --> 01:00.000\n"
                                                 << line << "\n";
    }
    resources->setPackSource("Audio", pack.string());
    resources->install("Audio");
    showScreen("music");
    QtLyricsView* view = widgetsIn<QtLyricsView>(window().topStageWidget()).front();
    for (const auto& [name, title, line, rightToLeft] : songs) {
        SCOPED_TRACE(name);
        button(title)->click();
        std::string whole(line);
        whole.erase(whole.find('<'), std::string("<00:30.000>").size());
        ASSERT_TRUE(
            waitUntil([&] { return view->accessibleName().toStdString() == whole; }, 20000));
        spin(50);
        // The yellow and the ink in each half of the band of the line being sung.
        QImage drawn = view->grab().toImage();
        int yellow[2] = {0, 0}, ink[2] = {0, 0};
        auto near = [](QColor a, QColor b) {
            return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
                       std::abs(a.blue() - b.blue()) <
                   60;
        };
        for (int y = 0; y < drawn.height() * 3 / 5; ++y)
            for (int x = 0; x < drawn.width(); ++x) {
                QColor seen = drawn.pixelColor(x, y);
                int half = x < drawn.width() / 2 ? 0 : 1;
                yellow[half] += near(seen, qttheme::buttonColour());
                ink[half] += near(seen, qttheme::textOn(0.1));
            }
        int sung = rightToLeft ? 1 : 0;
        EXPECT_GT(yellow[sung], 50);
        EXPECT_EQ(yellow[1 - sung], 0);
        EXPECT_GT(ink[1 - sung], 50);
    }
    button("stop")->click();
}
