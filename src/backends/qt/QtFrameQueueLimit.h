#pragma once

#include <cstddef>

// Qt Multimedia's player puts two queues of its own between the video decoder and the
// picture, each holding up to 10 MB: four decoded full-HD frames apiece, 25 MB while a
// chapter plays, where the decoder keeps pace with a frame or two in hand. The player offers
// no way to size them, so every queue element made in the process is given a byte limit as
// it is made. A second of sound is far below it, so only decoded video is held back.
class QtFrameQueueLimit {
public:
    // A queue stops taking more once it holds this much: two full-HD frames (3 MB each), and
    // always at least one frame of any size. Half of it, one frame a queue, saved 3 MB more but
    // had the decoder's buffers freed and faulted in again, for more system time.
    static constexpr std::size_t kBytes = 4u << 20;

    // Installs the limit for the rest of the process the first time one is made. A player
    // holds one as a member declared before it, so the limit is in place before the player's
    // queues are made.
    QtFrameQueueLimit();
};
