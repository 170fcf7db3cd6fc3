#include <cmath>
#include <filesystem>
#include <regex>

#include "platform/foundation/NSLocale.h"
#include "platform/foundation/NSURL.h"
#include "platform/media/AVPlayer.h"
#include "platform/media/MACaptionAppearance.h"
#include "platform/media/UICaptionPreview.h"
#include "platform/media/UILyricsView.h"
#include "platform/ui/UIAlertController.h"
#include "platform/ui/UIView.h"
#include "platform/ui/UIViewController.h"
#include "scenario/ScenarioEngine.h"
#include "scenario/ScreenReport.h"
#include "scenario/ViewQuery.h"

namespace {

using Arguments = ScenarioEngine::Arguments;
using Missing = std::optional<std::string>;
using Wait = std::optional<ScenarioWait>;

constexpr unsigned kBoth = unsigned(ScenarioBackend::headless) | unsigned(ScenarioBackend::qt);
// How long the real platform may take to show what is expected.
constexpr double kExpectSeconds = 5.0;

// An expectation holds once nothing is missing.
ScenarioWait until(std::function<Missing()> missing) {
    return {std::move(missing), kExpectSeconds};
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
    return until([&engine, id = arguments[1]]() -> Missing {
        auto shown = engine.visibleScreen();
        if (!shown)
            failStep("the application has not been launched");
        if (shown->identifier() == id)
            return std::nullopt;
        return "the visible screen is '" + shown->identifier() + "' (" + shown->className() + ")";
    });
}

Wait alert(ScenarioEngine& engine, const Arguments& arguments) {
    std::optional<std::string> message;
    if (arguments.size() == 3)
        message = arguments[2];
    return until([&driver = engine.driver(), title = arguments[1], message]() -> Missing {
        auto shown = driver.visibleAlert();
        if (!shown)
            return "no alert is up";
        if (shown->title().value_or("") != title)
            return "the alert's title is " + quoted(shown->title().value_or(""));
        if (message && shown->message().value_or("") != *message)
            return "the alert's message is " + quoted(shown->message().value_or(""));
        return std::nullopt;
    });
}

// The visible alert's actions in order, each a title and its style (default,
// cancel or destructive).
Wait actions(ScenarioEngine& engine, const Arguments& arguments) {
    if (arguments.size() % 2 == 0)
        failStep("expected pairs of an action's title and its style");
    std::string expected;
    for (std::size_t i = 1; i < arguments.size(); i += 2)
        expected += (i > 1 ? " " : "") + quoted(arguments[i]) + " " + arguments[i + 1];
    return until([&driver = engine.driver(), expected]() -> Missing {
        auto shown = driver.visibleAlert();
        if (!shown)
            return "no alert is up";
        std::string found;
        for (const auto& action : shown->actions())
            found += (found.empty() ? "" : " ") + quoted(action->title()) + " " +
                     actionStyleName(action->style());
        return found == expected ? std::nullopt : Missing("the alert's actions are " + found);
    });
}

Wait noAlert(ScenarioEngine& engine, const Arguments&) {
    return until([&driver = engine.driver()]() -> Missing {
        auto shown = driver.visibleAlert();
        return shown ? Missing("an alert is up: " + quoted(shown->title().value_or("")))
                     : std::nullopt;
    });
}

Wait player(ScenarioEngine& engine, const Arguments& arguments) {
    return until([&driver = engine.driver(), file = arguments[1]]() -> Missing {
        auto shown = driver.visiblePlayer();
        if (!shown)
            return "no player is up";
        return fileOfPlayer(*shown) == file ? std::nullopt
                                            : Missing("the player plays " + fileOfPlayer(*shown));
    });
}

// The shown text an argument names, "\n" between its lines; nothing past the arguments.
std::optional<std::string> shownText(const Arguments& arguments, std::size_t index) {
    if (index >= arguments.size())
        return std::nullopt;
    return std::regex_replace(arguments[index], std::regex(R"(\\n)"), "\n");
}

// "expect caption TEXT" and "expect no-caption": what the visible player shows over its picture
// now.
Wait caption(ScenarioEngine& engine, const Arguments& arguments) {
    std::string expected = shownText(arguments, 1).value_or("");
    return until([&driver = engine.driver(), expected]() -> Missing {
        auto shown = driver.visiblePlayer();
        if (!shown)
            return "no player is up";
        std::string text = driver.shownCaption();
        if (text == expected)
            return std::nullopt;
        return Missing(text.empty() ? "no caption shows" : "the caption reads \"" + text + "\"");
    });
}

// The lyrics view of the visible screen, if it has one.
std::shared_ptr<UILyricsView> visibleLyrics() {
    auto screen = topScreen();
    std::shared_ptr<UILyricsView> view;
    for (const auto& found : screen ? viewsOf(*screen) : std::vector<FoundView>()) {
        if (auto lyrics = std::dynamic_pointer_cast<UILyricsView>(found.view))
            view = lyrics;
    }
    return view;
}

// "expect lyrics CURRENT [NEXT]" ("\n" between lines; without NEXT, the next line is not
// checked) and "expect no-lyrics": the sing-along lines of the visible screen now.
Wait lyrics(ScenarioEngine&, const Arguments& arguments) {
    bool none = arguments[0] == "no-lyrics";
    std::string current = shownText(arguments, 1).value_or("");
    auto next = none ? std::optional<std::string>("") : shownText(arguments, 2);
    return until([current, next]() -> Missing {
        auto view = visibleLyrics();
        if (!view)
            return current.empty() ? std::nullopt : Missing("the screen has no lyrics");
        if (view->currentLine() == current && (!next || view->nextLine() == *next))
            return std::nullopt;
        return "the lyrics read \"" + view->currentLine() + "\", next \"" + view->nextLine() + "\"";
    });
}

// A language tag, or "spoken" for the window's language.
std::string languageNamed(const std::string& word) {
    return word == "spoken" ? NSLocale::spokenLanguage() : word;
}

// "expect caption-in LANGUAGE" and "expect lyrics-in LANGUAGE": a line shows, from the timed
// text of LANGUAGE, whatever its words.
Wait shownIn(ScenarioEngine& engine, const Arguments& arguments) {
    bool captions = arguments[0] == "caption-in";
    return until(
        [&driver = engine.driver(), captions, language = languageNamed(arguments[1])]() -> Missing {
            std::optional<std::string> shown;
            std::string text;
            if (captions) {
                auto player = driver.visiblePlayer();
                if (!player)
                    return "no player is up";
                shown = player->captions().shown();
                text = driver.shownCaption();
            } else if (auto lyrics = visibleLyrics()) {
                shown = lyrics->language();
                text = lyrics->currentLine();
            }
            if (shown != language)
                return std::string(captions ? "captions" : "lyrics") + " show in " +
                       shown.value_or("no language");
            return text.empty() ? Missing("no line shows") : std::nullopt;
        });
}

// "expect sung TEXT": the part of the line being sung that has been sung so far;
// "expect sung-whole": the line has no word times; "expect part-sung": some words of the line
// have been sung and some are still to come.
Wait sung(ScenarioEngine&, const Arguments& arguments) {
    std::optional<std::string> expected = shownText(arguments, 1);
    std::string form = arguments[0];
    return until([expected, form]() -> Missing {
        auto lyrics = visibleLyrics();
        if (!lyrics || lyrics->currentLine().empty())
            return "no line is being sung";
        const std::string& line = lyrics->currentLine();
        auto words = lyrics->sungWords();
        const std::string part(words.value_or(line));
        bool holds = form == "sung-whole"  ? !words
                     : form == "part-sung" ? words && !part.empty() && part.size() < line.size()
                                           : words && part == expected;
        if (holds)
            return std::nullopt;
        return words ? "the sung part of " + quoted(line) + " is " + quoted(part)
                     : quoted(line) + " is sung as a whole";
    });
}

// "expect caption-style SIZE BACKGROUND POSITION": the look the platform keeps for captions,
// and that of every caption preview on the visible screen.
Wait captionStyle(ScenarioEngine&, const Arguments& arguments) {
    auto size = CaptionStyle::sizeNamed(arguments[1]);
    auto background = CaptionStyle::backgroundNamed(arguments[2]);
    auto position = CaptionStyle::positionNamed(arguments[3]);
    if (!size || !background || !position)
        failStep(
            "expected a size (small, medium, large, largest), a background (translucent, "
            "solid, outline) and a position (bottom, top)");
    CaptionStyle expected{*size, *background, *position};
    return until([expected]() -> Missing {
        auto kept = MACaptionAppearance::style();
        if (kept != expected)
            return "the captions' style is " + kept.name();
        auto screen = topScreen();
        for (const auto& found : screen ? viewsOf(*screen) : std::vector<FoundView>()) {
            auto preview = std::dynamic_pointer_cast<UICaptionPreview>(found.view);
            if (preview && preview->style() != expected)
                return "the preview shows " + preview->style().name();
        }
        return std::nullopt;
    });
}

Wait noPlayer(ScenarioEngine& engine, const Arguments&) {
    return until([&driver = engine.driver()]() -> Missing {
        auto shown = driver.visiblePlayer();
        return shown ? Missing("a player is up, playing " + fileOfPlayer(*shown)) : std::nullopt;
    });
}

// The oldest debug-log line or opened URL not yet matched must be the one named.
template <auto unmatched, auto match>
Wait next(ScenarioEngine& engine, const std::string& expected, const std::string& what,
          const std::string& nothing) {
    return until([&engine, expected, what, nothing]() -> Missing {
        auto found = (engine.*unmatched)();
        if (!found)
            return nothing;
        if (*found != expected)
            failStep("the next " + what + " is: " + *found);
        (engine.*match)();
        return std::nullopt;
    });
}

Wait none(const std::optional<std::string>& unmatched, const std::string& what) {
    if (unmatched)
        failStep(what + *unmatched);
    return std::nullopt;
}

Wait text(ScenarioEngine& engine, const Arguments& arguments) {
    auto view = engine.findView(arguments[1]);
    if (!dynamic_cast<UILabel*>(view.get()) && !dynamic_cast<UIButton*>(view.get()) &&
        !dynamic_cast<UITextField*>(view.get()))
        failStep("'" + arguments[1] + "' shows no text");
    return until([view, selector = arguments[1], expected = arguments[2]]() -> Missing {
        if (textOf(*view) == expected)
            return std::nullopt;
        return "'" + selector + "' shows " + quoted(textOf(*view));
    });
}

Wait visibility(ScenarioEngine& engine, const Arguments& arguments) {
    bool hidden = arguments[0] == "hidden";
    return until(
        [view = engine.findView(arguments[1]), hidden, selector = arguments[1]]() -> Missing {
            if (view->isShownInTree() != hidden)
                return std::nullopt;
            return "'" + selector + (hidden ? "' is shown" : "' is hidden");
        });
}

Wait progress(ScenarioEngine& engine, const Arguments& arguments) {
    auto bar = std::dynamic_pointer_cast<UIProgressView>(engine.findView(arguments[1]));
    if (!bar)
        failStep("'" + arguments[1] + "' is not a progress bar");
    double expected = wordAsNumber(arguments[2], "the progress");
    return until([bar, expected, selector = arguments[1]]() -> Missing {
        if (std::fabs(double(bar->progress()) - expected) <= 0.005)
            return std::nullopt;
        return "'" + selector + "' shows " + formatNumber(bar->progress());
    });
}

Wait contentSize(ScenarioEngine& engine, const Arguments& arguments) {
    auto view = std::dynamic_pointer_cast<UIScrollView>(engine.findView(arguments[1]));
    if (!view)
        failStep("'" + arguments[1] + "' is not a scroll view");
    CGSize expected{wordAsNumber(arguments[2], "the width"),
                    wordAsNumber(arguments[3], "the height")};
    return until([view, expected, selector = arguments[1]]() -> Missing {
        CGSize size = view->contentSize();
        if (size == expected)
            return std::nullopt;
        return "'" + selector + "' has content " + formatNumber(size.width) + "x" +
               formatNumber(size.height);
    });
}

}  // namespace

void addExpectations(std::map<std::string, ScenarioEngine::Step>& steps) {
    auto log = [](ScenarioEngine& engine, const Arguments& arguments) {
        return next<&ScenarioEngine::unmatchedLogLine, &ScenarioEngine::matchLogLine>(
            engine, arguments[1], "debug-log line", "no further debug-log line was written");
    };
    auto logEmpty = [](ScenarioEngine& engine, const Arguments&) {
        return none(engine.unmatchedLogLine(), "the debug log has unmatched lines, the first: ");
    };
    auto opened = [](ScenarioEngine& engine, const Arguments& arguments) {
        return next<&ScenarioEngine::unmatchedURL, &ScenarioEngine::matchURL>(
            engine, arguments[1], "opened URL", "no further URL was opened");
    };
    auto openedNone = [](ScenarioEngine& engine, const Arguments&) {
        return none(engine.unmatchedURL(), "a URL was opened: ");
    };
    steps["expect screen"] = {2, 2, "expect screen ID", kBoth, false, screen};
    steps["expect alert"] = {2, 3, "expect alert TITLE [MESSAGE]", kBoth, false, alert};
    steps["expect actions"] = {3, 99, "expect actions TITLE STYLE...", kBoth, false, actions};
    steps["expect no-alert"] = {1, 1, "expect no-alert", kBoth, false, noAlert};
    steps["expect player"] = {2, 2, "expect player FILE", kBoth, false, player};
    steps["expect no-player"] = {1, 1, "expect no-player", kBoth, false, noPlayer};
    steps["expect caption"] = {2, 2, "expect caption TEXT", kBoth, false, caption};
    steps["expect no-caption"] = {1, 1, "expect no-caption", kBoth, false, caption};
    steps["expect lyrics"] = {2, 3, "expect lyrics CURRENT [NEXT]", kBoth, false, lyrics};
    steps["expect no-lyrics"] = {1, 1, "expect no-lyrics", kBoth, false, lyrics};
    steps["expect caption-in"] = {2, 2, "expect caption-in LANGUAGE|spoken", kBoth, false, shownIn};
    steps["expect lyrics-in"] = {2, 2, "expect lyrics-in LANGUAGE|spoken", kBoth, false, shownIn};
    steps["expect sung"] = {2, 2, "expect sung TEXT", kBoth, false, sung};
    steps["expect sung-whole"] = {1, 1, "expect sung-whole", kBoth, false, sung};
    steps["expect part-sung"] = {1, 1, "expect part-sung", kBoth, false, sung};
    steps["expect caption-style"] = {4,     4,     "expect caption-style SIZE BACKGROUND POSITION",
                                     kBoth, false, captionStyle};
    steps["expect log"] = {2, 2, "expect log LINE", kBoth, false, log};
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
