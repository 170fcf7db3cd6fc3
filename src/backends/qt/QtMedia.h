#pragma once

#include <QRect>
#include <QtGlobal>
#include <functional>
#include <memory>
#include <string>

#include "platform/PlatformBackend.h"

class AVPlayer;
class QObject;
class QWidget;

// A chapter or song as the window's controls, the desktop's media keys and its MPRIS service see
// it. Times in milliseconds.
class QtPlayback {
public:
    virtual ~QtPlayback() = default;
    virtual bool playing() const = 0;
    virtual bool paused() const = 0;
    virtual qint64 position() const = 0;
    // 0 while not yet known.
    virtual qint64 duration() const = 0;
    virtual void setPosition(qint64 milliseconds) = 0;
    // Lives exactly as long as the playback: a guard for those who keep a pointer to it.
    virtual QObject& lifetime() = 0;
    // Calls `changed` on the main thread after every change of the position, the duration or
    // whether it plays, for as long as `context` lives.
    enum class Change { position, duration, state };
    virtual void observe(QObject* context, std::function<void(Change)> changed) = 0;
};

// Where a chapter's picture is painted: a widget of the player screen's, owned by its parent.
class QtVideoPicture {
public:
    virtual ~QtVideoPicture() = default;
    virtual QWidget& widget() = 0;
    // Whether a frame of the video has been painted (rather than only the black behind it).
    virtual bool showsFrame() const = 0;
    // The frame fitted into the widget, or the whole widget before the first frame.
    virtual QRect pictureRect() const = 0;
};

// Frames that reached any picture of the process, and those of them painted; the others were
// replaced by a newer frame before a paint came. The chapter benchmark reads them.
// An output the media made, with its playback and, for a chapter, its picture.
class QtPlayingOutput {
public:
    virtual ~QtPlayingOutput() = default;
    virtual QtPlayback& playback() = 0;
    // A new picture of the output's frames in `parent`; none for a song.
    virtual QtVideoPicture* makePicture(QWidget*) { return nullptr; }
};

struct QtFrameCounts {
    quint64 arrived = 0;
    quint64 painted = 0;
};

// Everything that plays sound or pictures. Its libraries (Qt Multimedia, GStreamer and the frame
// converters) cost the start of every run several milliseconds of linking, so the application
// loads it as a module at the first need; tests and benchmarks link it in.
class QtMedia {
public:
    using Post = std::function<void(std::function<void()>)>;
    virtual ~QtMedia() = default;
    // `post` runs a block on the main queue: the end of the item is reported there.
    virtual std::unique_ptr<VideoOutput> makeVideoOutput(AVPlayer& player, Post post) = 0;
    virtual std::unique_ptr<AudioOutput> makeAudioOutput(const std::string& path, Post post) = 0;
    // Whether anything could take the sound: an output the sound server lists, or a sound card
    // of the kernel's.
    virtual bool soundCanBeHeard() = 0;
    virtual QtFrameCounts frameCounts() const = 0;
};

// The name under which a module offers its media, as `QtMedia* larkspire_qt_media()`.
inline constexpr const char* kQtMediaEntry = "larkspire_qt_media";
