#pragma once

// Waits, at most `seconds`, until no thread of the process has started or ended
// for a tenth of a second. Qt Multimedia's back-ends (GStreamer, the sound
// server's client) wind their threads down after the application object is
// gone; exiting while they do races the process's exit-time work, such as a
// leak checker that stops every thread to scan memory.
void waitForThreadsToWindDown(double seconds = 2.0);
