#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QtBackend;
class UIView;
class UIViewController;

// Clicks the widget of the button titled `title` among `view` and its subviews, as a tap would;
// false when there is none.
bool tapButton(const std::shared_ptr<UIView>& view, const std::string& title);

// The application's platform on the Qt backend for a benchmark: the bundle and
// both packs of media/ already on the device, fresh settings in a scratch
// folder, the interface descriptions of ui/. Made after the QApplication.
class BenchPlatform {
public:
    // With `chapter13`, the bundle is a copy of the built one in which that file is chapter 13,
    // with the timed text beside that file (`<base name>.<language>.vtt`) as its captions. With
    // `packs`, the packs' files come from its folders instead of media/packs.
    explicit BenchPlatform(const std::filesystem::path& chapter13 = {},
                           const std::filesystem::path& packs = {});
    ~BenchPlatform();

    // Puts a screen of the interface descriptions in the window as the root.
    std::shared_ptr<UIViewController> showRoot(const std::string& identifier);
    std::shared_ptr<UIViewController> present(const std::shared_ptr<UIViewController>& on,
                                              const std::string& identifier);
    // Clicks the button with that title on the screen's widgets; false when there is none.
    bool tap(const std::shared_ptr<UIViewController>& screen, const std::string& title);
    // Runs the event loop until `done` or the time is up; true when done.
    static bool runUntil(const std::function<bool()>& done, double seconds);
    static void run(double seconds);
    // Shows captions in `language` in every video from now on, as the captions control would.
    void showCaptions(const std::string& language);
    // Debug-log lines written so far.
    const std::vector<std::string>& log() const { return log_; }

    // Resident memory now and at its peak, in KiB, from /proc/self/status.
    static long residentKiB();
    static long peakResidentKiB();

private:
    std::filesystem::path scratch_;
    std::shared_ptr<QtBackend> backend_;
    std::shared_ptr<void> window_;
    std::vector<std::string> log_;
};

// Sets Qt's offscreen platform when there is no display; call before the QApplication.
void useOffscreenWithoutDisplay();
