#pragma once

#include <cstddef>

// Bounds the decoded frames a chapter holds between its decoder and its picture. The queues
// and decoders are made inside playbin (and Qt Multimedia's player for songs), out of reach of
// their owners, so every element made in the process is set up as it is made:
// - Its queues stop at one full-HD frame each, not 10 MB (four such frames) apiece. A second
//   of sound is far below the limit, so only decoded video is held back.
// - A libav video decoder decodes one frame at a time. Frame threading keeps frames of its
//   own in every thread, 16 MB more for a full-HD chapter on two cores and more with every
//   core, for a chapter that one thread decodes in a sixth of the frame's time.
// A queue or a decoder made before the first one of these is left as it was made.
class QtFramesInFlight {
public:
    // A queue is full once it holds this much, and always takes at least one frame of any size.
    static constexpr std::size_t kQueueBytes = 1u << 20;
    static constexpr int kDecoderThreads = 1;

    // Installs the limits for the rest of the process the first time one is made. A player
    // holds one as a member declared before it, so they are in place before its pipeline is.
    QtFramesInFlight();
};
