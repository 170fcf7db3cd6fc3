#include <cmath>

#include "platform/AVPlayer.h"
#include "platform/NSURL.h"
#include "platform/UIAlertController.h"
#include "platform/UIView.h"
#include "platform/sim/SimBackend.h"
#include "platform/sim/SimResourceService.h"
#include "scenario/ScenarioRunner.h"
#include "scenario/ScreenReport.h"

namespace {

using Arguments = ScenarioRunner::Arguments;

std::shared_ptr<UIAlertController> requireAlert(ScenarioRunner& runner) {
    auto alert = runner.sim().visibleAlert();
    if (!alert)
        ScenarioRunner::fail("no alert is up");
    return alert;
}

std::string fileOfPlayer(const AVPlayerViewController& player) {
    if (!player.player() || !player.player()->currentItem()->url())
        return "(none)";
    const std::string& path = player.player()->currentItem()->url()->path();
    return path.substr(path.find_last_of('/') + 1);
}

std::string showText(const std::string& text) {
    return "\"" + text + "\"";
}

void download(ScenarioRunner& runner, const Arguments& arguments) {
    ScenarioRunner::requireArguments(arguments, 2, 3);
    const std::string& tag = arguments[0];
    const std::string& what = arguments[1];
    auto& resources = runner.resources();
    std::vector<std::size_t> pending;
    for (std::size_t i = 0; i < resources.pendingCount(); ++i) {
        if (resources.pending(i).tag == tag)
            pending.push_back(i);
    }
    if (pending.empty())
        ScenarioRunner::fail("no download of \"" + tag + "\" is running");
    if (what == "progress") {
        ScenarioRunner::requireArguments(arguments, 3, 3);
        double fraction = ScenarioRunner::number(arguments[2], "the progress");
        for (std::size_t index : pending)
            resources.setProgress(index, fraction);
    } else if (what == "finish") {
        ScenarioRunner::requireArguments(arguments, 2, 2);
        resources.completeAll(tag, 0);
    } else if (what == "fail") {
        ScenarioRunner::requireArguments(arguments, 3, 3);
        long long code = ScenarioRunner::integer(arguments[2], "the error code");
        if (code == 0)
            ScenarioRunner::fail("a failure needs a code other than 0");
        resources.completeAll(tag, static_cast<long>(code));
    } else {
        ScenarioRunner::requireArguments(arguments, 99, 99);
    }
}

void alert(ScenarioRunner& runner, const Arguments& arguments) {
    ScenarioRunner::requireArguments(arguments, 2, 3);
    auto shown = requireAlert(runner);
    if (arguments[0] == "choose") {
        ScenarioRunner::requireArguments(arguments, 2, 2);
        if (!runner.sim().chooseAlertAction(arguments[1]))
            ScenarioRunner::fail("the alert has no action " + showText(arguments[1]));
    } else if (arguments[0] == "type") {
        std::size_t field = 0;
        if (arguments.size() == 3)
            field = std::size_t(ScenarioRunner::integer(arguments[2], "the field number"));
        if (field >= shown->textFields().size())
            ScenarioRunner::fail("the alert has no text field " + std::to_string(field));
        runner.sim().typeIntoAlertTextField(arguments[1], field);
    } else {
        ScenarioRunner::requireArguments(arguments, 99, 99);
    }
}

void video(ScenarioRunner& runner, const Arguments& arguments) {
    ScenarioRunner::requireArguments(arguments, 1, 1);
    if (arguments[0] != "finish" && arguments[0] != "close")
        ScenarioRunner::requireArguments(arguments, 99, 99);
    bool done = arguments[0] == "finish" ? runner.sim().finishVideo() : runner.sim().closePlayer();
    if (!done)
        ScenarioRunner::fail("no player is up");
}

}  // namespace

void ScenarioRunner::addBuiltInSteps() {
    addStep(
        "install", "install TAG   (the pack is already on the device)",
        [](ScenarioRunner& runner, const Arguments& arguments) {
            requireArguments(arguments, 1, 1);
            runner.resources().install(arguments[0]);
        },
        false);
    addStep(
        "random", "random DRAW...   (the next draws of the random source)",
        [](ScenarioRunner& runner, const Arguments& arguments) {
            requireArguments(arguments, 1, 1000);
            std::vector<std::uint32_t> draws;
            for (const auto& word : arguments) {
                long long draw = integer(word, "a draw");
                if (draw < 0 || draw > 0xffffffffLL)
                    fail("a draw must lie between 0 and 4294967295");
                draws.push_back(std::uint32_t(draw));
            }
            runner.sim().queueRandomDraws(draws);
        },
        false);
    addStep("go", "go SCREEN   (taps the button that leads to SCREEN)",
            [](ScenarioRunner& runner, const Arguments& arguments) {
                requireArguments(arguments, 1, 1);
                runner.tap(runner.findNavigation(arguments[0]), "the way to " + arguments[0]);
                if (runner.visibleScreen()->identifier() != arguments[0])
                    fail("the button did not lead to " + arguments[0]);
            });
    addStep("back", "back", [](ScenarioRunner& runner, const Arguments& arguments) {
        requireArguments(arguments, 0, 0);
        runner.tap(runner.findNavigation("back"), "the back button");
    });
    addStep("tap", "tap SELECTOR", [](ScenarioRunner& runner, const Arguments& arguments) {
        requireArguments(arguments, 1, 1);
        runner.tap(runner.findView(arguments[0]), "'" + arguments[0] + "'");
    });
    addStep("download",
            "download TAG progress FRACTION | download TAG finish | download TAG fail CODE",
            download);
    addStep("alert", "alert choose TITLE | alert type TEXT [FIELD]", alert);
    addStep("video", "video finish | video close", video);
    addStep("scroll", "scroll SELECTOR X Y",
            [](ScenarioRunner& runner, const Arguments& arguments) {
                requireArguments(arguments, 3, 3);
                auto view = runner.findViewAs<UIScrollView>(arguments[0], "scroll view");
                runner.sim().scroll(view, number(arguments[1], "X"), number(arguments[2], "Y"));
            });
    addStep("wait", "wait SECONDS   (advances the virtual clock)",
            [](ScenarioRunner& runner, const Arguments& arguments) {
                requireArguments(arguments, 1, 1);
                double seconds = number(arguments[0], "the time");
                if (seconds < 0)
                    fail("time only goes forward");
                runner.sim().fastForwardBy(seconds);
            });
    addStep("show", "show", [](ScenarioRunner& runner, const Arguments& arguments) {
        requireArguments(arguments, 0, 0);
        runner.requireLaunched();
    });
}

void ScenarioRunner::addBuiltInExpectations() {
    addExpectation("screen", "expect screen ID",
                   [](ScenarioRunner& runner, const Arguments& arguments) {
                       requireArguments(arguments, 1, 1);
                       runner.requireLaunched();
                       auto screen = runner.visibleScreen();
                       if (screen->identifier() != arguments[0])
                           fail("the visible screen is '" + screen->identifier() + "' (" +
                                screen->className() + ")");
                   });
    addExpectation("alert", "expect alert TITLE [MESSAGE]",
                   [](ScenarioRunner& runner, const Arguments& arguments) {
                       requireArguments(arguments, 1, 2);
                       auto shown = requireAlert(runner);
                       std::string title = shown->title().value_or("");
                       std::string message = shown->message().value_or("");
                       if (title != arguments[0])
                           fail("the alert's title is " + showText(title));
                       if (arguments.size() == 2 && message != arguments[1])
                           fail("the alert's message is " + showText(message));
                   });
    addExpectation("actions", "expect actions TITLE STYLE...   (the alert's actions, in order)",
                   [](ScenarioRunner& runner, const Arguments& arguments) {
                       if (arguments.empty() || arguments.size() % 2 != 0)
                           fail("expected pairs of an action's title and its style");
                       std::string shown;
                       for (const auto& action : requireAlert(runner)->actions()) {
                           auto style = action->style();
                           shown += (shown.empty() ? "" : " ") + showText(action->title()) +
                                    (style == UIAlertActionStyle::cancel        ? " cancel"
                                     : style == UIAlertActionStyle::destructive ? " destructive"
                                                                                : " default");
                       }
                       std::string expected;
                       for (std::size_t i = 0; i < arguments.size(); i += 2)
                           expected +=
                               (i ? " " : "") + showText(arguments[i]) + " " + arguments[i + 1];
                       if (shown != expected)
                           fail("the alert's actions are " + shown);
                   });
    addExpectation("no-alert", "expect no-alert",
                   [](ScenarioRunner& runner, const Arguments& arguments) {
                       requireArguments(arguments, 0, 0);
                       if (auto shown = runner.sim().visibleAlert())
                           fail("an alert is up: " + showText(shown->title().value_or("")));
                   });
    addExpectation("player", "expect player FILE",
                   [](ScenarioRunner& runner, const Arguments& arguments) {
                       requireArguments(arguments, 1, 1);
                       auto player = runner.sim().visiblePlayer();
                       if (!player)
                           fail("no player is up");
                       if (fileOfPlayer(*player) != arguments[0])
                           fail("the player plays " + fileOfPlayer(*player));
                   });
    addExpectation("no-player", "expect no-player",
                   [](ScenarioRunner& runner, const Arguments& arguments) {
                       requireArguments(arguments, 0, 0);
                       if (auto player = runner.sim().visiblePlayer())
                           fail("a player is up, playing " + fileOfPlayer(*player));
                   });
    addExpectation("log", "expect log LINE   (the next debug-log line not yet matched)",
                   [](ScenarioRunner& runner, const Arguments& arguments) {
                       requireArguments(arguments, 1, 1);
                       auto& log = runner.unmatchedLog();
                       if (log.empty())
                           fail("no further debug-log line was written");
                       if (log.front() != arguments[0])
                           fail("the next debug-log line is: " + log.front());
                       log.pop_front();
                   });
    addExpectation("log-empty", "expect log-empty",
                   [](ScenarioRunner& runner, const Arguments& arguments) {
                       requireArguments(arguments, 0, 0);
                       if (!runner.unmatchedLog().empty())
                           fail("the debug log has unmatched lines, the first: " +
                                runner.unmatchedLog().front());
                   });
    addExpectation("opened", "expect opened URL   (the next opened URL not yet matched)",
                   [](ScenarioRunner& runner, const Arguments& arguments) {
                       requireArguments(arguments, 1, 1);
                       runner.collectOpenedURLs();
                       auto& urls = runner.unmatchedURLs();
                       if (urls.empty())
                           fail("no further URL was opened");
                       if (urls.front() != arguments[0])
                           fail("the next opened URL is " + urls.front());
                       urls.pop_front();
                   });
    addExpectation("opened-none", "expect opened-none",
                   [](ScenarioRunner& runner, const Arguments& arguments) {
                       requireArguments(arguments, 0, 0);
                       runner.collectOpenedURLs();
                       if (!runner.unmatchedURLs().empty())
                           fail("a URL was opened: " + runner.unmatchedURLs().front());
                   });
    addExpectation("text", "expect text SELECTOR TEXT",
                   [](ScenarioRunner& runner, const Arguments& arguments) {
                       requireArguments(arguments, 2, 2);
                       auto view = runner.findView(arguments[0]);
                       std::string text;
                       if (auto label = std::dynamic_pointer_cast<UILabel>(view))
                           text = label->text();
                       else if (auto button = std::dynamic_pointer_cast<UIButton>(view))
                           text = button->title();
                       else if (auto field = std::dynamic_pointer_cast<UITextField>(view))
                           text = field->text();
                       else
                           fail("'" + arguments[0] + "' shows no text");
                       if (text != arguments[1])
                           fail("'" + arguments[0] + "' shows " + showText(text));
                   });
    addExpectation("hidden", "expect hidden SELECTOR",
                   [](ScenarioRunner& runner, const Arguments& arguments) {
                       requireArguments(arguments, 1, 1);
                       if (isEffectivelyVisible(runner.findView(arguments[0])))
                           fail("'" + arguments[0] + "' is shown");
                   });
    addExpectation("shown", "expect shown SELECTOR",
                   [](ScenarioRunner& runner, const Arguments& arguments) {
                       requireArguments(arguments, 1, 1);
                       if (!isEffectivelyVisible(runner.findView(arguments[0])))
                           fail("'" + arguments[0] + "' is hidden");
                   });
    addExpectation("progress", "expect progress SELECTOR VALUE",
                   [](ScenarioRunner& runner, const Arguments& arguments) {
                       requireArguments(arguments, 2, 2);
                       auto bar = runner.findViewAs<UIProgressView>(arguments[0], "progress bar");
                       double expected = number(arguments[1], "the progress");
                       if (std::fabs(double(bar->progress()) - expected) > 0.005)
                           fail("'" + arguments[0] + "' shows " + formatNumber(bar->progress()));
                   });
    addExpectation(
        "content-size", "expect content-size SELECTOR WIDTH HEIGHT",
        [](ScenarioRunner& runner, const Arguments& arguments) {
            requireArguments(arguments, 3, 3);
            auto view = runner.findViewAs<UIScrollView>(arguments[0], "scroll view");
            CGSize expected{number(arguments[1], "the width"), number(arguments[2], "the height")};
            if (view->contentSize() != expected)
                fail("'" + arguments[0] + "' has content " +
                     formatNumber(view->contentSize().width) + "x" +
                     formatNumber(view->contentSize().height));
        });
}
