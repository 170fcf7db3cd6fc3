#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "PackFixtures.h"
#include "platform/foundation/NSProgress.h"
#include "platform/ondemand/ContentService.h"

// What a folder holds: relative path -> bytes (folders map to "<dir>").
using FolderSnapshot = std::map<std::string, std::string>;
FolderSnapshot snapshotOf(const std::filesystem::path& folder);

// Options with short timeouts, so faults show up quickly in tests.
ContentService::Options testOptions(const std::string& baseUrl, const std::filesystem::path& cache);

// Runs one request to the end; returns its error code (0 for success), or -1 after adding a
// test failure if it did not complete within `timeout`.
long fetchPack(ContentService& service, const std::string& tag,
               std::shared_ptr<NSProgress> progress = NSProgress::make(),
               std::chrono::seconds timeout = std::chrono::seconds(30));

// After a failed request: the installed folder is as it was and staging is empty.
void expectNoTraceOfFailure(ContentService& service, const std::string& tag,
                            const FolderSnapshot& installedBefore);

// After a failed request that found nothing installed: nothing of `tag` is visible or staged,
// and what the failure left in the cache is not trusted: a fresh service on the same cache
// that cannot reach any server does not report the pack as there.
void expectFailureLeftNothingTrusted(ContentService& service, const std::string& tag);

// The bundle of `tag` holds exactly `files` next to the pack's own records, and nothing is
// left in staging.
void expectPackInstalled(ContentService& service, const std::string& tag,
                         const std::vector<packfixtures::FileContent>& files);

// A base URL where nothing listens, so any request that needs the network fails at once.
std::string unreachableBaseUrl();
