#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/content/ResourceService.h"
#include "platform/foundation/NSError.h"
#include "platform/foundation/NSObject.h"
#include "platform/ondemand/PackManifest.h"

namespace packfixtures {

struct FileContent {
    std::string name;
    std::string bytes;
};

// Writes a pack as a content server serves it: <root>/<tag>/<files> and manifest.json.
PackManifest writePack(const std::filesystem::path& root, const std::string& tag,
                       const std::vector<FileContent>& files);
// Writes <root>/<tag>/manifest.json as given, for manifests no valid pack would have.
void writeManifestText(const std::filesystem::path& root, const std::string& tag,
                       const std::string& json);
// Deterministic pseudo-random bytes.
std::string randomBytes(std::size_t size, std::uint32_t seed);
void writeFile(const std::filesystem::path& path, const std::string& bytes);
std::string readFile(const std::filesystem::path& path);
// Names in `folder`, sorted; empty when it does not exist.
std::vector<std::string> listNames(const std::filesystem::path& folder);
// Every path below `folder`, relative to it, sorted.
std::vector<std::string> listTree(const std::filesystem::path& folder);
std::string fileUrl(const std::filesystem::path& folder);

}  // namespace packfixtures

// Captures the completion of one request and lets a test wait for it.
class CompletionProbe {
public:
    ResourceService::Completion handler();
    // False if the completion did not come within `timeout`.
    bool wait(std::chrono::milliseconds timeout = std::chrono::seconds(30));

    int calls() const;
    std::shared_ptr<NSError> error() const;
    long errorCode() const;  // 0 on success
    std::thread::id thread() const;

private:
    mutable std::mutex mutex_;
    std::condition_variable done_;
    int calls_ = 0;
    std::shared_ptr<NSError> error_;
    std::thread::id thread_;
};

// Records every fractionCompleted an NSProgress reports, with the reporting thread.
class ProgressRecorder : public NSObject {
public:
    void observeValueForKeyPath(const std::optional<std::string>& keyPath,
                                const std::shared_ptr<NSObject>& object,
                                const NSKeyValueChange& change, void* context) override;
    std::vector<double> values() const;
    std::vector<std::thread::id> threads() const;

private:
    mutable std::mutex mutex_;
    std::vector<double> values_;
    std::vector<std::thread::id> threads_;
};
