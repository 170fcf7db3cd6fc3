#pragma once

#include <cstdint>

// What the GStreamer pipeline itself counts at its video sink: frames rendered and frames
// dropped as late. Watches every video sink the process makes, through a tracer hook, so the
// application and its anchor are read the same way without reaching into Qt's pipeline.
struct VideoSinkCounts {
    std::uint64_t rendered = 0;
    std::uint64_t dropped = 0;
};

class VideoSinkStats {
public:
    // Starts watching; call before the first player is made.
    static void watch();
    // The counts of the busiest video sink so far (its fullest, once it has stopped).
    static VideoSinkCounts counts();
};
