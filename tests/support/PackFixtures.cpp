#include "PackFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <future>
#include <random>
#include <sstream>
#include <stdexcept>

#include "Process.h"
#include "TempDirectory.h"
#include "packs/Fetcher.h"
#include "packs/PackSignature.h"
#include "packs/PackStore.h"
#include "packs/Sha256.h"

namespace packfixtures {

namespace {

// Made once per test process: key generation is the slow part of signing.
struct TestKeys {
    TempDirectory folder{"larkspire-keys"};
    std::vector<std::unique_ptr<PublisherKey>> signers;
    TestKeys() {
        std::filesystem::create_directory(folder / "trusted");
        for (const std::string name : {"publisher", "rotated", "stranger"}) {
            auto key = folder / (name + ".key");
            auto trusted = name != "stranger" ? folder / "trusted" : folder.path();
            PublisherKey::generate(key, trusted / (name + TrustedKeys::kKeySuffix));
            signers.push_back(std::make_unique<PublisherKey>(key));
        }
    }
};

TestKeys& testKeys() {
    static TestKeys keys;
    return keys;
}

}  // namespace

std::filesystem::path trustedKeys() {
    return testKeys().folder / "trusted";
}

std::string manifestOf(const std::string& tag, const std::vector<FileContent>& files) {
    std::vector<PackFile> entries;
    for (const auto& file : files)
        entries.push_back(
            {file.name, file.bytes.size(), Sha256::hex(file.bytes.data(), file.bytes.size())});
    return PackManifest(tag, entries).toJson();
}

std::string signatureOf(const std::string& tag, const std::string& manifest, Signer signer) {
    return testKeys().signers.at(static_cast<std::size_t>(signer))->sign(tag, manifest);
}

void writePack(const std::filesystem::path& root, const std::string& tag,
               const std::vector<FileContent>& files) {
    std::filesystem::create_directories(root / tag);
    for (const auto& file : files)
        writeFile(root / tag / file.name, file.bytes);
    auto manifest = manifestOf(tag, files);
    writeFile(root / tag / PackManifest::kFileName, manifest);
    writeFile(root / tag / PackManifest::kSignatureFileName, signatureOf(tag, manifest));
}

Routes servePack(FaultyHttpServer& server, const std::string& tag,
                 const std::vector<FileContent>& files) {
    Routes served = {{"/" + tag + "/manifest.json", manifestOf(tag, files)}};
    server.route("/" + tag + "/manifest.json.sig", {200, signatureOf(tag, served[0].second)});
    for (const auto& file : files)
        served.emplace_back("/" + tag + "/" + Fetcher::percentEncode(file.name), file.bytes);
    for (const auto& [path, body] : served)
        server.route(path, {200, body, {}, {}});
    return served;
}

Routes serveEdition(FaultyHttpServer& server, const std::string& tag,
                    const std::vector<FileContent>& files, std::uint64_t edition, Signer signer,
                    std::optional<std::int64_t> expires) {
    auto paths = servePack(server, tag, files);
    paths[0].second =
        PackManifest(tag, PackManifest::parse(paths[0].second).files(), edition, expires).toJson();
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const auto& [path, body] = paths[i];
        server.route(
            path, {200, body, {}, {}, Sha256::hex(body.data(), body.size()).substr(0, 16), i > 0});
    }
    server.route("/" + tag + "/manifest.json.sig",
                 {200, signatureOf(tag, paths[0].second, signer)});
    return paths;
}

std::string randomBytes(std::size_t size, std::uint32_t seed) {
    std::mt19937 generator(seed);
    std::string bytes(size, '\0');
    for (auto& byte : bytes)
        byte = static_cast<char>(generator() & 0xff);
    return bytes;
}

void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream output(path, std::ios::binary | std::ios::trunc);
    if (!output.write(bytes.data(), static_cast<std::streamsize>(bytes.size())).flush())
        throw std::runtime_error("cannot write " + path.string());
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream input(path, std::ios::binary);
    if (!input)
        throw std::runtime_error("cannot read " + path.string());
    std::ostringstream text;
    text << input.rdbuf();
    return text.str();
}

std::vector<std::string> listNames(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string fileUrl(const std::filesystem::path& folder) {
    return "file://" + std::filesystem::absolute(folder).string();
}

}  // namespace packfixtures

using namespace packfixtures;

ContentService::Options testOptions(const std::string& baseUrl, const std::filesystem::path& cache,
                                    const std::filesystem::path& keys) {
    ContentService::Options options;
    options.baseUrl = baseUrl;
    options.cacheDirectory = cache;
    options.trustedKeys = keys;
    options.connectTimeout = std::chrono::seconds(2);
    options.rateWindow = std::chrono::seconds(1);
    options.manifestDeadline = std::chrono::seconds(2);
    return options;
}

std::string unreachableBaseUrl() {
    return "http://127.0.0.1:" + std::to_string(freeLoopbackPort());
}

namespace {

// Starts a call with a completion that reports what it found, and waits for that completion.
template <typename Result, typename Start>
Outcome<Result> runToEnd(const std::string& what, Start start) {
    auto done = std::make_shared<std::promise<Outcome<Result>>>();
    auto outcome = done->get_future();
    start([done](const Result& result, std::shared_ptr<NSError> error) {
        done->set_value(
            {result, error ? error->code() : 0, error ? error->localizedDescription() : ""});
    });
    if (outcome.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
        ADD_FAILURE() << what << " did not complete";
        return {{}, -1, {}};
    }
    return outcome.get();
}

}  // namespace

Outcome<FailureCause> fetchPack(ContentService& service, const std::string& tag) {
    return runToEnd<FailureCause>("the request for \"" + tag + "\"", [&](auto done) {
        service.beginAccessing(tag, NSProgress::make(), [done](std::shared_ptr<NSError> error) {
            done(error ? error->cause() : FailureCause::unknown, error);
        });
    });
}

Outcome<PackUpdate> updatePack(ResourceService& service, const std::string& tag, bool whenDue,
                               bool install) {
    return runToEnd<PackUpdate>("the update of \"" + tag + "\"", [&](auto done) {
        service.updatePack(tag, whenDue, install, NSProgress::make(), done);
    });
}

Outcome<PackCheck> checkPack(ResourceService& service, const std::string& tag, bool background) {
    return runToEnd<PackCheck>("the check of \"" + tag + "\"",
                               [&](auto done) { service.checkPack(tag, background, done); });
}

FolderSnapshot snapshotOf(const std::filesystem::path& folder) {
    FolderSnapshot snapshot;
    std::error_code error;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, error)) {
        auto relative = std::filesystem::relative(entry.path(), folder).string();
        snapshot[relative] = entry.is_directory() ? "<dir>" : readFile(entry.path());
    }
    return snapshot;
}

void expectNothingTrusted(ContentService& service, const std::string& tag,
                          const FolderSnapshot& installedBefore) {
    EXPECT_EQ(snapshotOf(service.bundleDirectory(tag)), installedBefore)
        << "the failed attempt changed the installed pack";
    // At most what a cut transfer kept for the next request to carry on from.
    auto staging = listNames(service.stagingDirectory());
    EXPECT_TRUE(staging.empty() || staging == std::vector<std::string>{tag + ".resume"})
        << "the failed attempt left other files in staging";
    if (!installedBefore.empty())
        return;
    ContentService offline(testOptions(unreachableBaseUrl(), service.cacheDirectory()));
    EXPECT_NE(fetchPack(offline, tag), 0)
        << "a later request trusted what the failed one left in the cache";
}

Routes cutOnce(FaultyHttpServer& server, ContentService& service,
               const std::vector<FileContent>& files, std::size_t cutAt) {
    auto paths = servePack(server, "Video", files);
    for (const auto& [path, body] : paths)
        server.route(path, {200, body, {}, {}, "v1", true});
    server.route(paths[2].first, {200, paths[2].second, cutAt, {}, "v1", true});
    EXPECT_EQ(fetchPack(service, "Video"), LKSOnDemandNetworkError);
    expectNothingTrusted(service, "Video");
    EXPECT_EQ(listNames(service.stagingDirectory()), std::vector<std::string>{"Video.resume"});
    return paths;
}

void expectPackInstalled(ContentService& service, const std::string& tag,
                         const std::vector<FileContent>& files) {
    auto folder = std::filesystem::path(service.bundleDirectory(tag));
    std::vector<std::string> expected = {PackStore::kInstallRecordName,
                                         PackManifest::kInstalledFileName,
                                         PackManifest::kInstalledSignatureName};
    for (const auto& file : files) {
        expected.push_back(file.name);
        EXPECT_TRUE(readFile(folder / file.name) == file.bytes) << file.name;
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(listNames(folder), expected);
    EXPECT_EQ(listNames(service.stagingDirectory()), std::vector<std::string>{});
}

ResourceService::Completion CompletionProbe::handler() {
    return [this](std::shared_ptr<NSError> error) {
        // Notified under the lock: the waiter may destroy the probe as soon as it wakes.
        std::lock_guard lock(mutex_);
        state_ = {state_.calls + 1, error ? error->code() : 0, std::this_thread::get_id(),
                  error ? error->localizedDescription() : ""};
        done_.notify_all();
    };
}

bool CompletionProbe::wait(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return done_.wait_for(lock, timeout, [this] { return state_.calls > 0; });
}
