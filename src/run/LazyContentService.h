#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "packs/ContentService.h"
#include "platform/resources/ResourceService.h"
#include "run/RunOptions.h"

// The on-demand content service, loaded from its module (ContentModule.h) the first time it is
// asked for a pack, on the main thread. Listing and removing installed packs and the free space
// need no network: they are answered without loading the module. A module that cannot be
// loaded fails each request with a clear error.
std::shared_ptr<ResourceService> lazyContentService(ContentService::Options options,
                                                    std::string modulePath);

// The on-demand content of a run, from the content source and keys of `options`, cached in
// `cacheDirectory` (empty: the default cache).
std::shared_ptr<ResourceService> onDemandContent(const RunOptions& options,
                                                 std::filesystem::path cacheDirectory = {});
