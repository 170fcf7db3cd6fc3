#pragma once

#include <memory>

class PackLibrary;

// Registers every class the interface descriptions and the entry point name; the downloads
// panel shows `packs`.
void registerApplicationClasses(const std::shared_ptr<PackLibrary>& packs);
