// The anchor of bench_track_cpu: a bare GStreamer playbin playing the same songs, switched at
// the same moments, into the same kind of audio sink as Qt Multimedia's GStreamer back-end
// (autoaudiosink), with no interface at all. Prints its CPU share over the same 30 s.
//   bench_bare_playbin MEDIA-DIR
#include <gst/gst.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

namespace {

constexpr double kSeconds = 30.0;
constexpr double kTrackEvery = 9.0;

double cpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Plays `file` from its start for `seconds`, handling the bus as an application would.
void play(GstElement* playbin, const std::string& file, double seconds) {
    gst_element_set_state(playbin, GST_STATE_NULL);
    gchar* uri = gst_filename_to_uri(file.c_str(), nullptr);
    g_object_set(playbin, "uri", uri, nullptr);
    g_free(uri);
    gst_element_set_state(playbin, GST_STATE_PLAYING);
    GstBus* bus = gst_element_get_bus(playbin);
    auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        if (GstMessage* message = gst_bus_timed_pop(bus, 100 * GST_MSECOND))
            gst_message_unref(message);
    }
    gst_object_unref(bus);
}

}  // namespace

int main(int argc, char** argv) {
    gst_init(&argc, &argv);
    if (argc != 2) {
        std::fputs("usage: bench_bare_playbin MEDIA-DIR\n", stderr);
        return 2;
    }
    std::string songs = std::string(argv[1]) + "/packs/Audio/";
    const char* tracks[] = {"Mend the Sky.mp3", "Bright Morning Rising.mp3", "Someday.mp3",
                            "Adrift on Starlight Adieu.mp3"};
    GstElement* playbin = gst_element_factory_make("playbin", nullptr);
    if (!playbin) {
        std::fputs("no playbin: is gstreamer1.0-plugins-base installed?\n", stderr);
        return 2;
    }
    g_object_set(playbin, "audio-sink", gst_element_factory_make("autoaudiosink", nullptr),
                 nullptr);
    // Loads the decoders once, outside the measurement, as the application's bench does.
    play(playbin, songs + tracks[3], 1.0);

    auto wallStart = std::chrono::steady_clock::now();
    double cpuStart = cpuSeconds();
    int picked = 0;
    for (double at = 0; at < kSeconds; at += kTrackEvery)
        play(playbin, songs + tracks[picked++ % 3], std::min(kTrackEvery, kSeconds - at));
    double cpu = cpuSeconds() - cpuStart;
    double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    gst_element_set_state(playbin, GST_STATE_NULL);
    gst_object_unref(playbin);
    std::printf("bare playbin: CPU %.2f s in %.1f s: %.2f %% of one core\n", cpu, wall,
                100.0 * cpu / wall);
    return 0;
}
