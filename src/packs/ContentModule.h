#pragma once

class ResourceService;
struct ContentServiceOptions;

// The on-demand content service as a module of its own, which the application loads when it
// first needs it: libcurl and the two dozen libraries it brings are then not loaded before the
// launch screen. The module takes the seam (errors, progress) from the application that
// loads it, so there is one copy of each.
inline constexpr const char* kContentModuleFactory = "larkspireMakeContentService";
using ContentModuleFactory = ResourceService* (*)(const ContentServiceOptions* options);

extern "C" ResourceService* larkspireMakeContentService(const ContentServiceOptions* options);
