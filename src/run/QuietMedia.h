#pragma once

#include <memory>
#include <string>

class QtMedia;

// Keeps the media libraries' own messages off the terminal for a window or tour
// run. Without a sound device, ALSA, OpenAL, PulseAudio and GStreamer write
// dozens of lines to standard error for every song, straight to the file
// descriptor; while a QuietMedia lives, standard error passes through a filter
// that drops those lines and lets everything else through, in order. Standard
// output (the debug log) is left alone.
class QuietMedia {
public:
    // `quiet` false (--media-debug) leaves standard error as it is.
    explicit QuietMedia(bool quiet);
    // Lets the filter pass on what is still in the pipe, then puts standard error back.
    ~QuietMedia();
    QuietMedia(const QuietMedia&) = delete;
    QuietMedia& operator=(const QuietMedia&) = delete;

    // Once the QApplication is up: says once, in our own words, when songs and videos will
    // play silently for want of a sound device.
    // Media that could not be had have said so already.
    static void reportSoundDevice(QtMedia* media);
    // Whether a line of standard error is the media libraries' chatter.
    static bool isChatter(const std::string& line);

private:
    struct Filter;
    std::unique_ptr<Filter> filter_;
};
