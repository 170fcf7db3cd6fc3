#include "run/PackCommands.h"

#include <unistd.h>
#include <condition_variable>
#include <deque>
#include <functional>
#include <iostream>
#include <mutex>
#include <set>

#include "platform/resources/PackLibrary.h"
#include "platform/ui/Storyboard.h"
#include "run/ApplicationClasses.h"
#include "run/LazyContentService.h"

namespace {

// The terminal's main queue: the library posts its changes here from the service's workers,
// and the command drains it while it waits.
class TerminalQueue {
public:
    void post(std::function<void()> block) {
        std::lock_guard lock(mutex_);
        blocks_.push_back(std::move(block));
        arrived_.notify_one();
    }

    // Runs what is posted until `done` holds.
    void runUntil(const std::function<bool()>& done) {
        while (!done()) {
            std::unique_lock lock(mutex_);
            arrived_.wait(lock, [this] { return !blocks_.empty(); });
            auto block = std::move(blocks_.front());
            blocks_.pop_front();
            lock.unlock();
            block();
        }
    }

private:
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<std::function<void()>> blocks_;
};

// The packs the application plays from: every download tag of its interface descriptions.
std::set<std::string> applicationPacks(const RunOptions& options,
                                       const std::shared_ptr<PackLibrary>& packs) {
    registerApplicationClasses(packs);
    std::set<std::string> tags;
    std::vector<const ViewDescription*> pending;
    auto storyboard = Storyboard::load(options.interfaceDirectory);
    for (const auto& [identifier, screen] : storyboard->screens())
        pending.push_back(&screen.view);
    while (!pending.empty()) {
        const ViewDescription* view = pending.back();
        pending.pop_back();
        if (!view->downloadTag.empty())
            tags.insert(view->downloadTag);
        for (const auto& subview : view->subviews)
            pending.push_back(&subview);
    }
    return tags;
}

std::string joined(const std::set<std::string>& tags) {
    std::string text;
    for (const auto& tag : tags)
        text += (text.empty() ? "" : ", ") + tag;
    return text;
}

int list(PackLibrary& packs, std::set<std::string> tags) {
    for (const auto& status : packs.list())
        tags.insert(status.tag);
    for (const auto& tag : tags) {
        auto status = packs.status(tag);
        bool installed = status.state == PackStatus::State::installed;
        std::cout << tag << "\t" << (installed ? "installed" : "absent") << "\t"
                  << (installed ? status.bytesOnDisk : 0) << "\t"
                  << (installed ? status.edition : 0) << "\n";
    }
    return 0;
}

// The packs a command for installed packs works on: those named, else every one installed.
std::vector<std::string> installedOrNamed(PackLibrary& packs,
                                          const std::vector<std::string>& named) {
    if (!named.empty())
        return named;
    std::vector<std::string> tags;
    for (const auto& status : packs.list()) {
        if (status.state == PackStatus::State::installed)
            tags.push_back(status.tag);
    }
    return tags;
}

// A pack's progress on standard error. On a terminal, one line redrawn in place as the pack
// arrives; anywhere else (a pipe, a log) only the finished line, so that what is kept reads
// one line per pack rather than a run of carriage returns.
class ProgressLine {
public:
    explicit ProgressLine(std::string tag)
        : tag_(std::move(tag)), terminal_(::isatty(STDERR_FILENO) == 1) {}

    bool shown() const { return shown_; }
    void show(double fraction) {
        shown_ = true;
        if (terminal_)
            std::cerr << "\r" << tag_ << ": " << int(fraction * 100) << "%" << std::flush;
    }
    // At 100% when `finished`; else it only ends what is drawn, before the failure's line.
    void end(bool finished) {
        if (finished)
            std::cerr << (terminal_ ? "\r" : "") << tag_ << ": 100%\n";
        else if (shown_ && terminal_)
            std::cerr << "\n";
        shown_ = false;
    }

private:
    std::string tag_;
    bool terminal_;
    bool shown_ = false;
};

// Installs the newer edition of each pack, with a progress line while one arrives.
int update(PackLibrary& packs, TerminalQueue& queue, const std::vector<std::string>& tags) {
    int result = 0;
    for (const auto& tag : tags) {
        const auto before = packs.status(tag).edition;
        bool ended = false;
        ProgressLine line(tag);
        // The line ends as soon as the update does, before the library says why one failed.
        auto observer = packs.addObserver([&](const PackStatus& change) {
            using Update = PackStatus::Update::State;
            if (change.tag != tag)
                return;
            if (change.update.state == Update::updating)
                line.show(change.update.fraction);
            else if (line.shown())
                line.end(change.update.state == Update::upToDate);
        });
        packs.update(tag, [&] { ended = true; });
        queue.runUntil([&] { return ended; });
        packs.removeObserver(observer);
        auto after = packs.status(tag);
        if (after.update.state != PackStatus::Update::State::upToDate) {
            result = 1;  // the library has said why
        } else if (after.edition > before) {
            std::cout << tag << ": updated to edition " << after.edition << "\n";
        } else {
            std::cout << tag << ": edition " << after.edition << ", up to date\n";
        }
    }
    return result;
}

// Hashes each pack's files again; a damaged one is named by the library.
int verify(PackLibrary& packs, TerminalQueue& queue, const std::vector<std::string>& tags) {
    int result = 0;
    for (const auto& tag : tags) {
        bool ended = false;
        packs.checkFiles(tag, [&] { ended = true; });
        queue.runUntil([&] { return ended; });
        auto after = packs.status(tag);
        if (after.filesChecked)
            std::cout << tag << ": every file sound\n";
        else
            result = 1;
    }
    return result;
}

int remove(PackLibrary& packs, const std::string& tag, const std::set<std::string>& known) {
    if (!known.contains(tag) && packs.status(tag).state != PackStatus::State::installed) {
        std::cerr << "larkspire: no pack is called \"" << tag << "\"; the packs are "
                  << joined(known) << "\n";
        return 1;
    }
    if (packs.status(tag).state != PackStatus::State::installed) {
        std::cout << tag << " is not on this machine\n";
        return 0;
    }
    if (auto refused = packs.remove(tag)) {
        std::cerr << PackLibrary::failureLine(tag, "not removed: " + refused->reason) << "\n";
        return 1;
    }
    std::cout << "removed " << tag << "\n";
    return 0;
}

// Downloads each pack in turn with a progress line of its own, which ends before the
// library writes a failure's line.
int download(PackLibrary& packs, TerminalQueue& queue, const std::vector<std::string>& tags) {
    int status = 0;
    for (const auto& tag : tags) {
        // The line starts with the service's first progress, after anything the service says
        // on its own line as it starts (that its module cannot be loaded, say).
        bool ended = false;
        ProgressLine line(tag);
        auto observer = packs.addObserver([&](const PackStatus& change) {
            if (change.tag != tag)
                return;
            bool installed = change.state == PackStatus::State::installed;
            if (change.state == PackStatus::State::downloading) {
                if (change.fraction > 0 || line.shown())
                    line.show(change.fraction);
                return;
            }
            line.end(installed);
            ended = true;
            status = installed ? status : 1;
        });
        packs.request(tag, nullptr, nullptr);
        queue.runUntil([&] { return ended; });
        packs.removeObserver(observer);
    }
    return status;
}

}  // namespace

const std::vector<PackCommand>& packCommands() {
    static const std::vector<PackCommand> commands = {
        {"--list-packs", PackCommand::Tags::none,
         "print each on-demand pack: tag, state, bytes on disk, edition"},
        {"--download-packs", PackCommand::Tags::any,
         "download these packs (all when none is named)"},
        {"--remove-pack", PackCommand::Tags::one, "remove one downloaded pack"},
        {"--update-packs", PackCommand::Tags::any,
         "install newer editions of these packs (all installed when none is named)"},
        {"--verify-packs", PackCommand::Tags::any,
         "hash the files of these packs again (all installed when none is named)"},
    };
    return commands;
}

int runPackCommand(const RunOptions& options) {
    TerminalQueue queue;
    auto packs = std::make_shared<PackLibrary>(
        onDemandContent(options), [&queue](std::function<void()> block) { queue.post(block); },
        nullptr, std::cerr);
    try {
        auto known = applicationPacks(options, packs);
        if (options.packCommand == "--list-packs")
            return list(*packs, known);
        if (options.packCommand == "--remove-pack")
            return remove(*packs, options.packTags.front(), known);
        if (options.packCommand == "--update-packs")
            return update(*packs, queue, installedOrNamed(*packs, options.packTags));
        if (options.packCommand == "--verify-packs")
            return verify(*packs, queue, installedOrNamed(*packs, options.packTags));
        std::vector<std::string> tags = options.packTags;
        if (tags.empty())
            tags.assign(known.begin(), known.end());
        return download(*packs, queue, tags);
    } catch (const std::exception& error) {
        std::cerr << "larkspire: " << error.what() << "\n";
        return 1;
    }
}
