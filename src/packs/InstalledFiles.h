#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <set>
#include <string>

#include "packs/FileIo.h"
#include "packs/PackManifest.h"
#include "packs/PackStore.h"

// The files a new edition (or a repair) of a pack can take from the installed one instead of
// fetching them: those with the same name, size and SHA-256 in both manifests.
namespace installedfiles {

// The names of the files of `manifest` that the installed pack of its tag lists alike. Its
// manifest copy is not trusted for this: whatever is taken is hashed against `manifest`.
std::set<std::string> alike(const PackStore& store, const PackManifest& manifest);

// The stamps of the regular files of the installed pack of `tag`, by name.
PackStore::Stamps stampsOf(const PackStore& store, const std::string& tag);

// Puts each file of `alike` into `staging`, a hard link to the installed file where the disk
// allows and a copy written with `write` elsewhere, and hashes it against `manifest`; tells
// `onChecked` the size of each that came sound. Returns those, with their stamps as hashed; what
// failed leaves nothing in staging. Throws ContentError (network, "cancelled") once `cancelled`.
PackStore::Stamps take(const PackStore& store, const PackManifest& manifest,
                       const std::set<std::string>& alike, const DirectoryHandle& staging,
                       const WriteFunction& write, const std::atomic<bool>& cancelled,
                       const std::function<void(std::uint64_t bytes)>& onChecked);

}  // namespace installedfiles
