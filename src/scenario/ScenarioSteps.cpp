#include <algorithm>
#include <cmath>
#include <regex>

#include "platform/Platform.h"
#include "platform/media/AVPlayer.h"
#include "platform/resources/PackLibrary.h"
#include "platform/ui/UIAlertController.h"
#include "platform/ui/UIView.h"
#include "platform/ui/UIViewController.h"
#include "scenario/ScenarioEngine.h"
#include "scenario/ViewQuery.h"

namespace {

using Arguments = ScenarioEngine::Arguments;
using Step = ScenarioEngine::Step;
using Wait = std::optional<ScenarioWait>;

constexpr unsigned kHeadless = unsigned(ScenarioBackend::headless);
constexpr unsigned kQt = unsigned(ScenarioBackend::qt);
constexpr unsigned kBoth = kHeadless | kQt;

// How long the real platform may take: a screen change, a download, a chapter.
constexpr double kScreenSeconds = 5.0;
constexpr double kDownloadSeconds = 300.0;
constexpr double kVideoSeconds = 120.0;

std::shared_ptr<UIAlertController> requireAlert(ScenarioEngine& engine) {
    auto alert = engine.driver().visibleAlert();
    if (!alert)
        failStep("no alert is up");
    return alert;
}

// "PARENTAL GATE: 12 x 7 = ?" and the like: the result of the arithmetic.
std::string answerTo(const std::string& question) {
    static const std::regex form(R"((-?\d+) ([x*+-]) (-?\d+) = \?$)");
    std::smatch parts;
    // A title is a short line; a long one is no question of ours.
    if (question.size() > 200 || !std::regex_search(question, parts, form))
        failStep("the alert \"" + question + "\" asks no arithmetic question");
    long long a = std::stoll(parts[1]), b = std::stoll(parts[3]);
    char op = parts[2].str()[0];
    return std::to_string(op == '+' ? a + b : op == '-' ? a - b : a * b);
}

Wait go(ScenarioEngine& engine, const Arguments& arguments) {
    const std::string& target = arguments[0];
    engine.tap(engine.findNavigation(target), "the way to " + target);
    return ScenarioWait{[&engine, target]() -> std::optional<std::string> {
                            if (engine.visibleScreen()->identifier() == target)
                                return std::nullopt;
                            return "the button did not lead to " + target;
                        },
                        kScreenSeconds};
}

// Waits until the pack library has the pack of TAG installed, or failed, which fails the step.
Wait downloadWait(ScenarioEngine& engine, const Arguments& arguments) {
    auto packs = Platform::environment().packs;
    std::string tag = arguments[0];
    std::ostream& out = engine.transcript();
    auto missing = [packs, tag, &out]() -> std::optional<std::string> {
        auto status = packs->status(tag);
        if (status.state == PackStatus::State::downloading)
            return "the " + tag + " download did not finish";
        out << "\n";
        if (status.state == PackStatus::State::failed)
            failStep("the " + tag + " download failed: " + status.reason);
        return std::nullopt;
    };
    auto draw = [packs, tag, &out] {
        constexpr int kWidth = 30;
        double fraction = std::clamp(packs->status(tag).fraction, 0.0, 1.0);
        int filled = int(std::lround(fraction * kWidth));
        out << "\r  " << tag << " [" << std::string(filled, '#')
            << std::string(kWidth - filled, ' ') << "] " << std::lround(fraction * 100) << "%"
            << std::flush;
    };
    return ScenarioWait{missing, kDownloadSeconds, draw};
}

Wait alertType(ScenarioEngine& engine, const Arguments& arguments) {
    auto shown = requireAlert(engine);
    std::size_t field = 0;
    if (arguments.size() == 3)
        field = std::size_t(wordAsInteger(arguments[2], "the field number"));
    if (field >= shown->textFields().size())
        failStep("the alert has no text field " + std::to_string(field));
    engine.driver().typeIntoAlert(arguments[1], field);
    return std::nullopt;
}

Wait alertAnswer(ScenarioEngine& engine, const Arguments&) {
    auto shown = requireAlert(engine);
    if (shown->textFields().empty())
        failStep("the alert has no text field 0");
    engine.driver().typeIntoAlert(answerTo(shown->title().value_or("")), 0);
    return std::nullopt;
}

Wait alertChoose(ScenarioEngine& engine, const Arguments& arguments) {
    requireAlert(engine);
    if (!engine.driver().chooseAlertAction(arguments[1]))
        failStep("the alert has no action \"" + arguments[1] + "\"");
    return std::nullopt;
}

Wait videoWaitEnd(ScenarioEngine& engine, const Arguments&) {
    if (!engine.driver().visiblePlayer())
        failStep("no player is up");
    return ScenarioWait{[&engine]() -> std::optional<std::string> {
                            if (!engine.driver().visiblePlayer())
                                return std::nullopt;
                            return "the video did not play to its end and close";
                        },
                        kVideoSeconds};
}

Wait randomDraws(ScenarioEngine& engine, const Arguments& arguments) {
    std::vector<std::uint32_t> draws;
    for (const auto& word : arguments) {
        long long draw = wordAsInteger(word, "a draw");
        if (draw < 0 || draw > 0xffffffffLL)
            failStep("a draw must lie between 0 and 4294967295");
        draws.push_back(std::uint32_t(draw));
    }
    engine.driver().queueRandomDraws(draws);
    return std::nullopt;
}

Wait wait(ScenarioEngine&, const Arguments& arguments) {
    double seconds = wordAsNumber(arguments[0], "the time");
    if (seconds < 0)
        failStep("time only goes forward");
    return ScenarioWait{nullptr, seconds};
}

Wait launched(ScenarioEngine& engine, const Arguments&) {
    if (!engine.visibleScreen())
        failStep("the application has not been launched");
    return std::nullopt;
}

Wait install(ScenarioEngine& engine, const Arguments& arguments) {
    engine.driver().installPack(arguments[0]);
    return std::nullopt;
}

Wait back(ScenarioEngine& engine, const Arguments&) {
    engine.tap(engine.findNavigation("back"), "the back button");
    return std::nullopt;
}

Wait tap(ScenarioEngine& engine, const Arguments& arguments) {
    engine.tap(engine.findView(arguments[0]), "'" + arguments[0] + "'");
    return std::nullopt;
}

Wait downloadProgress(ScenarioEngine& engine, const Arguments& arguments) {
    engine.driver().setDownloadProgress(arguments[0], wordAsNumber(arguments[2], "the progress"));
    return std::nullopt;
}

Wait downloadFinish(ScenarioEngine& engine, const Arguments& arguments) {
    engine.driver().completeDownload(arguments[0], 0);
    return std::nullopt;
}

Wait downloadFail(ScenarioEngine& engine, const Arguments& arguments) {
    long long code = wordAsInteger(arguments[2], "the error code");
    if (code == 0)
        failStep("a failure needs a code other than 0");
    engine.driver().completeDownload(arguments[0], long(code));
    return std::nullopt;
}

Wait edition(ScenarioEngine& engine, const Arguments& arguments) {
    engine.driver().offerEdition(arguments[0],
                                 std::uint64_t(wordAsInteger(arguments[1], "the edition")),
                                 std::uint64_t(wordAsInteger(arguments[2], "the bytes")));
    return std::nullopt;
}

Wait damage(ScenarioEngine& engine, const Arguments& arguments) {
    engine.driver().damagePack(arguments[0], arguments[1]);
    return std::nullopt;
}

Wait videoFinish(ScenarioEngine& engine, const Arguments&) {
    if (!engine.driver().finishVideo())
        failStep("no player is up");
    return std::nullopt;
}

Wait videoClose(ScenarioEngine& engine, const Arguments&) {
    if (!engine.driver().closePlayer())
        failStep("no player is up");
    return std::nullopt;
}

std::shared_ptr<AVPlayerViewController> playerUp(ScenarioEngine& engine) {
    auto shown = engine.driver().visiblePlayer();
    if (!shown || !shown->player())
        failStep("no player is up");
    return shown;
}

// "video pause", "video play", "video seek SECONDS": the player's own controls.
Wait videoControl(ScenarioEngine& engine, const Arguments& arguments) {
    auto player = playerUp(engine)->player();
    if (arguments[0] == "pause")
        player->pause();
    else if (arguments[0] == "play")
        player->play();
    else
        player->seekToTime(wordAsNumber(arguments[1], "SECONDS"));
    return std::nullopt;
}

// "captions LANGUAGE", "captions on" (the control's first choice: the window's language when
// the video has it) or "captions off": the player's captions control.
Wait captions(ScenarioEngine& engine, const Arguments& arguments) {
    const auto& captions = playerUp(engine)->captions();
    std::optional<std::string> wanted;
    if (arguments[0] == "on")
        wanted = captions.after(std::nullopt);
    else if (arguments[0] != "off")
        wanted = arguments[0];
    const auto& languages = captions.languages();
    if (wanted && std::find(languages.begin(), languages.end(), *wanted) == languages.end())
        failStep("the video has no captions in '" + arguments[0] + "'");
    if (!engine.driver().chooseCaptions(wanted))
        failStep("the player's captions control did not come to '" + arguments[0] + "'");
    return std::nullopt;
}

Wait scroll(ScenarioEngine& engine, const Arguments& arguments) {
    auto view = std::dynamic_pointer_cast<UIScrollView>(engine.findView(arguments[0]));
    if (!view)
        failStep("'" + arguments[0] + "' is not a scroll view");
    engine.driver().scroll(view,
                           {wordAsNumber(arguments[1], "X"), wordAsNumber(arguments[2], "Y")});
    return std::nullopt;
}

}  // namespace

// Each form: argument counts (the form's own word included), usage, the
// backends that can honour it, whether it acts (and so settles and shows the
// result), and what it does.
void addActingSteps(std::map<std::string, Step>& steps) {
    steps["launch"] = {0, 0, "launch", kBoth, true, launched};
    steps["show"] = {0, 0, "show", kBoth, true, launched};
    steps["install"] = {1, 1, "install TAG", kHeadless, false, install};
    steps["random"] = {1, 1000, "random DRAW...", kHeadless, false, randomDraws};
    steps["go"] = {1, 1, "go SCREEN", kBoth, true, go};
    steps["back"] = {0, 0, "back", kBoth, true, back};
    steps["tap"] = {1, 1, "tap SELECTOR", kBoth, true, tap};
    steps["download progress"] = {3,         3,    "download TAG progress FRACTION",
                                  kHeadless, true, downloadProgress};
    steps["download finish"] = {2, 2, "download TAG finish", kHeadless, true, downloadFinish};
    steps["download fail"] = {3, 3, "download TAG fail CODE", kHeadless, true, downloadFail};
    steps["download wait"] = {2, 2, "download TAG wait", kQt, true, downloadWait};
    steps["edition"] = {3, 3, "edition TAG N BYTES", kHeadless, false, edition};
    steps["damage"] = {2, 2, "damage TAG FILE", kHeadless, false, damage};
    steps["alert type"] = {2, 3, "alert type TEXT [FIELD]", kBoth, true, alertType};
    steps["alert answer"] = {1, 1, "alert answer", kBoth, true, alertAnswer};
    steps["alert choose"] = {2, 2, "alert choose TITLE", kBoth, true, alertChoose};
    steps["video finish"] = {1, 1, "video finish", kHeadless, true, videoFinish};
    steps["video close"] = {1, 1, "video close", kBoth, true, videoClose};
    steps["video pause"] = {1, 1, "video pause", kHeadless, true, videoControl};
    steps["video play"] = {1, 1, "video play", kHeadless, true, videoControl};
    steps["video seek"] = {2, 2, "video seek SECONDS", kHeadless, true, videoControl};
    steps["captions"] = {1, 1, "captions LANGUAGE|on|off", kBoth, true, captions};
    steps["video wait-end"] = {1, 1, "video wait-end", kQt, true, videoWaitEnd};
    steps["scroll"] = {3, 3, "scroll SELECTOR X Y", kBoth, true, scroll};
    steps["wait"] = {1, 1, "wait SECONDS", kBoth, true, wait};
}
