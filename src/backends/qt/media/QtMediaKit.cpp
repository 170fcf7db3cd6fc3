#include "backends/qt/media/QtMediaKit.h"

#include "backends/qt/media/QtAudioOutput.h"
#include "backends/qt/media/QtOutputDevices.h"
#include "backends/qt/media/QtVideoOutput.h"
#include "backends/qt/media/QtVideoView.h"

namespace {

class QtMediaKit : public QtMedia {
public:
    std::unique_ptr<VideoOutput> makeVideoOutput(AVPlayer& player, Post post) override {
        return std::make_unique<QtVideoOutput>(player, std::move(post));
    }
    std::unique_ptr<AudioOutput> makeAudioOutput(const std::string& path, Post post) override {
        return std::make_unique<QtAudioOutput>(path, std::move(post));
    }
    bool soundCanBeHeard() override { return QtOutputDevices().soundCanBeHeard(); }
    QtFrameCounts frameCounts() const override { return QtVideoView::frameCounts(); }
};

}  // namespace

QtMedia& linkedQtMedia() {
    static QtMediaKit media;
    return media;
}
