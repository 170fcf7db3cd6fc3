#include "run/PackCommands.h"

#include <condition_variable>
#include <iostream>
#include <map>
#include <mutex>
#include <set>

#include "platform/content/PackLibrary.h"
#include "platform/foundation/NSError.h"
#include "platform/foundation/NSProgress.h"
#include "platform/ui/Storyboard.h"
#include "run/ApplicationClasses.h"
#include "run/LazyContentService.h"

namespace {

// The packs the application plays from: every download tag of its interface descriptions.
std::set<std::string> applicationPacks(const RunOptions& options) {
    registerApplicationClasses();
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

// Prints the progress of one download on a line of its own, redrawn in place.
class ProgressLine : public NSObject {
public:
    explicit ProgressLine(std::string tag) : tag_(std::move(tag)) {}
    void observeValueForKeyPath(const std::optional<std::string>&, const std::shared_ptr<NSObject>&,
                                const NSKeyValueChange& change, void*) override {
        std::cerr << "\r" << tag_ << ": " << int(change.newValue * 100) << "%" << std::flush;
    }

private:
    std::string tag_;
};

// Downloads the pack of `tag`, waiting for it; the cause when it failed.
std::shared_ptr<NSError> download(ResourceService& service, const std::string& tag) {
    std::mutex mutex;
    std::condition_variable done;
    std::optional<std::shared_ptr<NSError>> outcome;
    auto progress = NSProgress::make();
    auto line = std::make_shared<ProgressLine>(tag);
    progress->addObserver(line, "fractionCompleted",
                          NSKeyValueObservingOptionNew | NSKeyValueObservingOptionInitial, nullptr);
    service.beginAccessing(tag, progress, [&](std::shared_ptr<NSError> error) {
        std::lock_guard lock(mutex);
        outcome = std::move(error);
        done.notify_one();
    });
    std::unique_lock lock(mutex);
    done.wait(lock, [&] { return outcome.has_value(); });
    std::cerr << "\n";
    return *outcome;
}

int list(ResourceService& service, const std::set<std::string>& known) {
    std::map<std::string, std::uint64_t> installed;
    for (const auto& pack : service.installedPacks())
        installed[pack.tag] = pack.bytes;
    std::set<std::string> tags = known;
    for (const auto& [tag, bytes] : installed)
        tags.insert(tag);
    for (const auto& tag : tags) {
        auto found = installed.find(tag);
        bool present = found != installed.end();
        std::cout << tag << "\t" << (present ? "installed" : "absent") << "\t"
                  << (present ? found->second : 0) << "\n";
    }
    return 0;
}

}  // namespace

int runPackCommand(const RunOptions& options) {
    ContentService::Options content;
    content.baseUrl = options.contentURL;
    content.trustedKeys = options.trustedKeys;
    LazyContentService service(content, options.contentModule);
    try {
        switch (options.packCommand) {
            case RunOptions::PackCommand::list:
                return list(service, applicationPacks(options));
            case RunOptions::PackCommand::remove:
                for (const auto& tag : options.packTags) {
                    service.removePack(tag);
                    std::cout << "removed " << tag << "\n";
                }
                return 0;
            default:
                break;
        }
        std::vector<std::string> tags = options.packTags;
        if (tags.empty()) {
            auto known = applicationPacks(options);
            tags.assign(known.begin(), known.end());
        }
        int status = 0;
        for (const auto& tag : tags) {
            if (auto error = download(service, tag)) {
                std::cerr << PackLibrary::failureLine(tag, error->localizedDescription()) << "\n";
                status = 1;
            }
        }
        return status;
    } catch (const std::exception& error) {
        std::cerr << "larkspire: " << error.what() << "\n";
        return 1;
    }
}
