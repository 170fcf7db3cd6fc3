#pragma once

// The application plays sound and pictures and never records. Qt Multimedia lists every kind
// of device as its first player or sound output is made, and GStreamer loads each provider's
// plugin for that: cameras (video4linux2, UVC), Vulkan devices, each with the libraries it
// links, more than a megabyte of pages held for the whole run. Every provider that cannot list a
// sound output is taken out of the process's plugin registry first, so none of them is loaded. The
// registry's cache on disk is left as it is.
class QtOutputDevices {
public:
    // Prunes the providers the first time one is made. Players and sound outputs hold one as a
    // member declared before their Qt Multimedia objects.
    QtOutputDevices();

    // Whether anything could take the sound: an output the sound server lists, or a sound card
    // of the kernel's that GStreamer may open without one (ALSA, OSS, JACK).
    bool soundCanBeHeard() const;
    // Whether a sound server may be listening where libpulse looks for one (PulseAudio's socket,
    // or PipeWire's in its place). Without one, the server is not asked for its outputs: that
    // would load Qt Multimedia's device layer and libpulse, some 3 MB, to hear of none.
    static bool soundServerMayListen();
};
