#include "OnDemandTestHelpers.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "NetUtil.h"
#include "PackFixtures.h"
#include "platform/foundation/NSError.h"
#include "platform/ondemand/PackManifest.h"
#include "platform/ondemand/PackStore.h"

FolderSnapshot snapshotOf(const std::filesystem::path& folder) {
    FolderSnapshot snapshot;
    for (const auto& relative : packfixtures::listTree(folder)) {
        auto path = folder / relative;
        snapshot[relative] = std::filesystem::is_directory(path) ? std::string("<dir>")
                                                                 : packfixtures::readFile(path);
    }
    return snapshot;
}

ContentService::Options testOptions(const std::string& baseUrl,
                                    const std::filesystem::path& cache) {
    ContentService::Options options;
    options.baseUrl = baseUrl;
    options.cacheDirectory = cache;
    options.connectTimeout = std::chrono::seconds(2);
    options.lowSpeedTime = std::chrono::seconds(2);
    return options;
}

long fetchPack(ContentService& service, const std::string& tag,
               std::shared_ptr<NSProgress> progress, std::chrono::seconds timeout) {
    // Shared with the handler: a request that overruns must not complete into a dead probe.
    auto probe = std::make_shared<CompletionProbe>();
    auto handler = probe->handler();
    service.beginAccessing(tag, std::move(progress),
                           [probe, handler](std::shared_ptr<NSError> error) { handler(error); });
    if (!probe->wait(timeout)) {
        ADD_FAILURE() << "request for \"" << tag << "\" did not complete";
        return -1;
    }
    return probe->errorCode();
}

void expectNoTraceOfFailure(ContentService& service, const std::string& tag,
                            const FolderSnapshot& installedBefore) {
    EXPECT_EQ(snapshotOf(service.bundleDirectory(tag)), installedBefore)
        << "the failed attempt changed the installed pack";
    EXPECT_EQ(packfixtures::listNames(service.stagingDirectory()), std::vector<std::string>{})
        << "the failed attempt left files in staging";
}

void expectFailureLeftNothingTrusted(ContentService& service, const std::string& tag) {
    expectNoTraceOfFailure(service, tag, {});
    ContentService offline(testOptions(unreachableBaseUrl(), service.cacheDirectory()));
    EXPECT_EQ(fetchPack(offline, tag), LKSOnDemandNetworkError)
        << "a later request trusted what the failed one left in the cache";
    EXPECT_FALSE(std::filesystem::exists(offline.bundleDirectory(tag)));
}

void expectPackInstalled(ContentService& service, const std::string& tag,
                         const std::vector<packfixtures::FileContent>& files) {
    auto folder = std::filesystem::path(service.bundleDirectory(tag));
    std::vector<std::string> expectedNames = {PackStore::kInstallRecordName,
                                              PackManifest::kInstalledFileName};
    for (const auto& file : files) {
        expectedNames.push_back(file.name);
        EXPECT_EQ(packfixtures::readFile(folder / file.name), file.bytes) << file.name;
    }
    std::sort(expectedNames.begin(), expectedNames.end());
    EXPECT_EQ(packfixtures::listNames(folder), expectedNames);
    EXPECT_EQ(packfixtures::listNames(service.stagingDirectory()), std::vector<std::string>{});
}

std::string unreachableBaseUrl() {
    return "http://127.0.0.1:" + std::to_string(netutil::freeLoopbackPort());
}
