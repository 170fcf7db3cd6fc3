#include "OnDemandTestHelpers.h"

#include <gtest/gtest.h>

#include "PackFixtures.h"

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
