#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/layers/CoreGraphics.h"

class AVPlayerViewController;
class ScenarioEngine;
class UIAlertController;
class UIButton;
class UIScrollView;
struct ScenarioStep;

// The backends a step can run on.
enum class ScenarioBackend : unsigned { headless = 1, qt = 2 };

// What a step waits for before the next one runs. `missing` says what is still
// missing, worded as the failure, or nothing once the wait is over; the wait
// fails when something is still missing after `seconds`. A pause, without
// `missing`, lasts `seconds`. The driver decides how time passes meanwhile.
struct ScenarioWait {
    std::function<std::optional<std::string>()> missing;
    double seconds = 0;
    // Runs while the wait lasts (a download's progress, say).
    std::function<void()> onTick = {};
};

// One backend as the scenario engine sees it: what is shown, how a reader acts
// on it, and how a wait is resolved. Acting calls return false when the thing
// cannot be acted on.
class ScenarioDriver {
public:
    virtual ~ScenarioDriver() = default;
    void attach(ScenarioEngine& engine) { engine_ = &engine; }

    virtual ScenarioBackend backend() const = 0;
    // Starts the application, or checks that it runs. Returns true when its first
    // screen is already up; false when the driver resumes the engine once it is.
    virtual bool launch() = 0;

    virtual std::shared_ptr<UIAlertController> visibleAlert() const = 0;
    virtual std::shared_ptr<AVPlayerViewController> visiblePlayer() const = 0;
    virtual bool tap(const std::shared_ptr<UIButton>& button) = 0;
    virtual void typeIntoAlert(const std::string& text, std::size_t field) = 0;
    virtual bool chooseAlertAction(const std::string& title) = 0;
    virtual bool closePlayer() = 0;
    virtual void scroll(const std::shared_ptr<UIScrollView>& view, CGPoint offset) = 0;
    // The visible player's captions control, used until it shows `language` (nothing: off);
    // false when it cannot. And the caption it shows now ("" for none). The defaults act on
    // the player's own state, which the headless backend shows as it is.
    virtual bool chooseCaptions(const std::optional<std::string>& language);
    virtual std::string shownCaption() const;

    // Each returns true when already done, or false when the driver resumes the
    // engine later (or aborts it when the wait gives up).
    virtual bool await(const ScenarioWait& wait) = 0;
    // After a step that acts: let the application settle and show the result.
    virtual bool settle(const ScenarioStep& step) = 0;
    virtual void finished(bool passed, const std::string& scriptName) = 0;

    // Forced outcomes, which only a simulated platform can give; the engine
    // refuses the steps that use them on other backends before a script runs.
    virtual void installPack(const std::string& tag);
    virtual void queueRandomDraws(const std::vector<std::uint32_t>& draws);
    virtual void setDownloadProgress(const std::string& tag, double fraction);
    virtual void completeDownload(const std::string& tag, long code);
    // What the content source offers of an installed pack from now on, and a file a check of
    // it will find damaged.
    virtual void offerEdition(const std::string& tag, std::uint64_t edition, std::uint64_t bytes);
    virtual void damagePack(const std::string& tag, const std::string& file);
    virtual bool finishVideo();

protected:
    ScenarioEngine& engine() const { return *engine_; }

private:
    ScenarioEngine* engine_ = nullptr;
};
