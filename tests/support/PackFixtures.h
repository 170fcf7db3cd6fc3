#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "FaultyHttpServer.h"
#include "packs/ContentService.h"
#include "packs/PackManifest.h"
#include "platform/foundation/NSError.h"
#include "platform/foundation/NSProgress.h"
#include "platform/resources/ResourceService.h"

namespace packfixtures {

struct FileContent {
    std::string name;
    std::string bytes;
};

// Publisher keys made for the test run: testOptions() trusts the first two, not the stranger.
enum class Signer { publisher, rotated, stranger };
std::filesystem::path trustedKeys();
// The manifest of `files` and its signature file by `signer`, as served for `tag`.
std::string manifestOf(const std::string& tag, const std::vector<FileContent>& files);
std::string signatureOf(const std::string& tag, const std::string& manifest,
                        Signer signer = Signer::publisher);

// Writes a pack as a content server serves it: <root>/<tag>/<files>, manifest.json and its
// signature by the publisher.
void writePack(const std::filesystem::path& root, const std::string& tag,
               const std::vector<FileContent>& files);
// Routes a pack, signed by the publisher, on the faulty server; returns the URL path and body
// of the manifest and then of each file, in fetch order (the signature comes between).
using Routes = std::vector<std::pair<std::string, std::string>>;
Routes servePack(FaultyHttpServer& server, const std::string& tag,
                 const std::vector<FileContent>& files);
// Routes edition `edition` of a pack as a mirror serves it: the manifest with an ETag of its own
// (a conditional request for it gets 304), its signature by `signer`, the files with ranges.
// Returns what servePack() returns.
Routes serveEdition(FaultyHttpServer& server, const std::string& tag,
                    const std::vector<FileContent>& files, std::uint64_t edition,
                    Signer signer = Signer::publisher,
                    std::optional<std::int64_t> expires = std::nullopt);
std::string randomBytes(std::size_t size, std::uint32_t seed);
void writeFile(const std::filesystem::path& path, const std::string& bytes);
std::string readFile(const std::filesystem::path& path);
// Names in `folder`, sorted; empty when it does not exist.
std::vector<std::string> listNames(const std::filesystem::path& folder);
std::string fileUrl(const std::filesystem::path& folder);

}  // namespace packfixtures

// Options with short timeouts, so faults show up quickly in tests, trusting the keys in `keys`.
ContentService::Options testOptions(
    const std::string& baseUrl, const std::filesystem::path& cache,
    const std::filesystem::path& keys = packfixtures::trustedKeys());
// A base URL where nothing listens.
std::string unreachableBaseUrl();

// Runs one request, update or check of the files to its end: what it found (a request, the
// error's cause), and its error's code (0 for none, -1 after adding a test failure if it did not
// complete in time) and description. It compares as its code.
template <typename Result>
struct Outcome {
    Result result;
    long code = 0;
    std::string said;
    operator long() const { return code; }
};
Outcome<FailureCause> fetchPack(ContentService& service, const std::string& tag);
Outcome<PackUpdate> updatePack(ResourceService& service, const std::string& tag, bool whenDue,
                               bool install);
Outcome<PackCheck> checkPack(ResourceService& service, const std::string& tag, bool background);

// Relative path -> bytes of every file below a folder.
using FolderSnapshot = std::map<std::string, std::string>;
FolderSnapshot snapshotOf(const std::filesystem::path& folder);

// After a failed request: the installed pack is as it was, staging holds at most what a cut
// transfer kept to carry on from, and a service on the same cache that reaches no server
// finds no pack it did not have.
void expectNothingTrusted(ContentService& service, const std::string& tag,
                          const FolderSnapshot& installedBefore = {});
// Serves the pack "Video" with ranges and ETag "v1", then cuts its second file after `cutAt`
// bytes; checks that the failed request kept something in staging and nothing in the bundle.
packfixtures::Routes cutOnce(FaultyHttpServer& server, ContentService& service,
                             const std::vector<packfixtures::FileContent>& files,
                             std::size_t cutAt);
// The bundle of `tag` holds exactly `files` next to the pack's own records; staging is empty.
void expectPackInstalled(ContentService& service, const std::string& tag,
                         const std::vector<packfixtures::FileContent>& files);

// Captures the completion of one request and lets a test wait for it.
class CompletionProbe {
public:
    ResourceService::Completion handler();
    bool wait(std::chrono::milliseconds timeout = std::chrono::seconds(30));
    int calls() const { return read().calls; }
    long errorCode() const { return read().code; }  // 0 on success
    std::thread::id thread() const { return read().thread; }
    std::string description() const { return read().description; }

private:
    struct State {
        int calls = 0;
        long code = 0;
        std::thread::id thread;
        std::string description;
    };
    State read() const {
        std::lock_guard lock(mutex_);
        return state_;
    }
    mutable std::mutex mutex_;
    std::condition_variable done_;
    State state_;
};
