#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "platform/NSProgress.h"
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
