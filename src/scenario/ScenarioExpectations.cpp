#include <cmath>
#include <filesystem>

#include "platform/foundation/NSURL.h"
#include "platform/media/AVPlayer.h"
#include "platform/ui/UIAlertController.h"
#include "platform/ui/UIView.h"
#include "platform/ui/UIViewController.h"
#include "scenario/ScenarioEngine.h"
#include "scenario/ScreenReport.h"
#include "scenario/ViewQuery.h"

namespace {

using Arguments = ScenarioEngine::Arguments;
using Step = ScenarioEngine::Step;
using Wait = std::optional<ScenarioWait>;

constexpr unsigned kBoth = unsigned(ScenarioBackend::headless) | unsigned(ScenarioBackend::qt);
// How long the real platform may take to show what is expected.
constexpr double kExpectSeconds = 5.0;

ScenarioWait holds(std::function<bool()> done, std::function<std::string()> failure) {
    return {std::move(done), std::move(failure), kExpectSeconds, {}};
}

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string fileOfPlayer(const AVPlayerViewController& player) {
    if (!player.player() || !player.player()->currentItem()->url())
        return "(none)";
    return std::filesystem::path(player.player()->currentItem()->url()->path()).filename();
}

Wait screen(ScenarioEngine& engine, const Arguments& arguments) {
    std::string id = arguments[1];
    auto shown = [&engine] {
        auto screen = engine.visibleScreen();
        if (!screen)
            ScenarioEngine::fail("the application has not been launched");
        return screen;
    };
    return holds([shown, id] { return shown()->identifier() == id; },
                 [shown] {
                     return "the visible screen is '" + shown()->identifier() + "' (" +
                            shown()->className() + ")";
                 });
}

Wait alert(ScenarioEngine& engine, const Arguments& arguments) {
    std::string title = arguments[1];
    std::optional<std::string> message;
    if (arguments.size() == 3)
        message = arguments[2];
    auto& driver = engine.driver();
    return holds(
        [&driver, title, message] {
            auto shown = driver.visibleAlert();
            return shown && shown->title().value_or("") == title &&
                   (!message || shown->message().value_or("") == *message);
        },
        [&driver, title] {
            auto shown = driver.visibleAlert();
            if (!shown)
                return std::string("no alert is up");
            if (shown->title().value_or("") != title)
                return "the alert's title is " + quoted(shown->title().value_or(""));
            return "the alert's message is " + quoted(shown->message().value_or(""));
        });
}

// An action of the visible alert with its style: default, cancel or destructive.
Wait action(ScenarioEngine& engine, const Arguments& arguments) {
    std::string title = arguments[1], style = arguments[2];
    auto& driver = engine.driver();
    auto styleOf = [&driver, title]() -> std::optional<std::string> {
        auto shown = driver.visibleAlert();
        if (!shown)
            return std::nullopt;
        for (const auto& choice : shown->actions()) {
            if (choice->title() == title)
                return actionStyleName(choice->style());
        }
        return std::nullopt;
    };
    return holds([styleOf, style] { return styleOf() == style; },
                 [styleOf, title] {
                     auto found = styleOf();
                     return found ? "the action " + quoted(title) + " is " + *found
                                  : "no alert action " + quoted(title) + " is up";
                 });
}

Wait noAlert(ScenarioEngine& engine, const Arguments&) {
    auto& driver = engine.driver();
    return holds([&driver] { return !driver.visibleAlert(); },
                 [&driver] {
                     auto shown = driver.visibleAlert();
                     return "an alert is up: " + quoted(shown ? shown->title().value_or("") : "");
                 });
}

Wait player(ScenarioEngine& engine, const Arguments& arguments) {
    std::string file = arguments[1];
    auto& driver = engine.driver();
    return holds(
        [&driver, file] {
            auto shown = driver.visiblePlayer();
            return shown && fileOfPlayer(*shown) == file;
        },
        [&driver] {
            auto shown = driver.visiblePlayer();
            return shown ? "the player plays " + fileOfPlayer(*shown) : "no player is up";
        });
}

Wait noPlayer(ScenarioEngine& engine, const Arguments&) {
    auto& driver = engine.driver();
    return holds([&driver] { return !driver.visiblePlayer(); },
                 [&driver] {
                     auto shown = driver.visiblePlayer();
                     return "a player is up, playing " + (shown ? fileOfPlayer(*shown) : "");
                 });
}

Wait logLine(ScenarioEngine& engine, const Arguments& arguments) {
    std::string line = arguments[1];
    return holds(
        [&engine, line] {
            auto next = engine.unmatchedLogLine();
            if (!next)
                return false;
            if (*next != line)
                ScenarioEngine::fail("the next debug-log line is: " + *next);
            engine.matchLogLine();
            return true;
        },
        [] { return std::string("no further debug-log line was written"); });
}

Wait logEmpty(ScenarioEngine& engine, const Arguments&) {
    auto next = engine.unmatchedLogLine();
    if (next)
        ScenarioEngine::fail("the debug log has unmatched lines, the first: " + *next);
    return std::nullopt;
}

Wait opened(ScenarioEngine& engine, const Arguments& arguments) {
    std::string url = arguments[1];
    return holds(
        [&engine, url] {
            auto next = engine.unmatchedURL();
            if (!next)
                return false;
            if (*next != url)
                ScenarioEngine::fail("the next opened URL is " + *next);
            engine.matchURL();
            return true;
        },
        [] { return std::string("no further URL was opened"); });
}

Wait openedNone(ScenarioEngine& engine, const Arguments&) {
    if (auto next = engine.unmatchedURL())
        ScenarioEngine::fail("a URL was opened: " + *next);
    return std::nullopt;
}

Wait text(ScenarioEngine& engine, const Arguments& arguments) {
    auto view = engine.findView(arguments[1]);
    std::string selector = arguments[1], expected = arguments[2];
    if (!dynamic_cast<UILabel*>(view.get()) && !dynamic_cast<UIButton*>(view.get()) &&
        !dynamic_cast<UITextField*>(view.get()))
        ScenarioEngine::fail("'" + selector + "' shows no text");
    return holds([view, expected] { return textOf(*view) == expected; },
                 [view, selector] { return "'" + selector + "' shows " + quoted(textOf(*view)); });
}

Wait visibility(ScenarioEngine& engine, const Arguments& arguments) {
    auto view = engine.findView(arguments[1]);
    bool hidden = arguments[0] == "hidden";
    std::string selector = arguments[1];
    return holds(
        [view, hidden] { return isEffectivelyVisible(view) != hidden; },
        [selector, hidden] { return "'" + selector + (hidden ? "' is shown" : "' is hidden"); });
}

Wait progress(ScenarioEngine& engine, const Arguments& arguments) {
    auto bar = std::dynamic_pointer_cast<UIProgressView>(engine.findView(arguments[1]));
    if (!bar)
        ScenarioEngine::fail("'" + arguments[1] + "' is not a progress bar");
    double expected = ScenarioEngine::number(arguments[2], "the progress");
    std::string selector = arguments[1];
    return holds(
        [bar, expected] { return std::fabs(double(bar->progress()) - expected) <= 0.005; },
        [bar, selector] { return "'" + selector + "' shows " + formatNumber(bar->progress()); });
}

Wait contentSize(ScenarioEngine& engine, const Arguments& arguments) {
    auto view = std::dynamic_pointer_cast<UIScrollView>(engine.findView(arguments[1]));
    if (!view)
        ScenarioEngine::fail("'" + arguments[1] + "' is not a scroll view");
    CGSize expected{ScenarioEngine::number(arguments[2], "the width"),
                    ScenarioEngine::number(arguments[3], "the height")};
    std::string selector = arguments[1];
    return holds([view, expected] { return view->contentSize() == expected; },
                 [view, selector] {
                     return "'" + selector + "' has content " +
                            formatNumber(view->contentSize().width) + "x" +
                            formatNumber(view->contentSize().height);
                 });
}

}  // namespace

void addExpectations(std::map<std::string, Step>& steps) {
    steps["expect screen"] = {2, 2, "expect screen ID", kBoth, false, screen};
    steps["expect alert"] = {2, 3, "expect alert TITLE [MESSAGE]", kBoth, false, alert};
    steps["expect action"] = {3, 3, "expect action TITLE STYLE", kBoth, false, action};
    steps["expect no-alert"] = {1, 1, "expect no-alert", kBoth, false, noAlert};
    steps["expect player"] = {2, 2, "expect player FILE", kBoth, false, player};
    steps["expect no-player"] = {1, 1, "expect no-player", kBoth, false, noPlayer};
    steps["expect log"] = {2, 2, "expect log LINE", kBoth, false, logLine};
    steps["expect log-empty"] = {1, 1, "expect log-empty", kBoth, false, logEmpty};
    steps["expect opened"] = {2, 2, "expect opened URL", kBoth, false, opened};
    steps["expect opened-none"] = {1, 1, "expect opened-none", kBoth, false, openedNone};
    steps["expect text"] = {3, 3, "expect text SELECTOR TEXT", kBoth, false, text};
    steps["expect hidden"] = {2, 2, "expect hidden SELECTOR", kBoth, false, visibility};
    steps["expect shown"] = {2, 2, "expect shown SELECTOR", kBoth, false, visibility};
    steps["expect progress"] = {3, 3, "expect progress SELECTOR VALUE", kBoth, false, progress};
    steps["expect content-size"] = {4,     4,     "expect content-size SELECTOR WIDTH HEIGHT",
                                    kBoth, false, contentSize};
}
