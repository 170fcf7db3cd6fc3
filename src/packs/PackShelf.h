#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "packs/FileIo.h"
#include "packs/PackStore.h"
#include "platform/resources/ResourceService.h"

// What the pack cache offers without any network: the packs installed, removing one, and the
// free space. It links neither libcurl nor OpenSSL, so the application answers these without
// loading the on-demand module (ContentModule.h), and the module's service answers them alike.
class PackShelf {
public:
    // An empty `cacheDirectory` means defaultCacheDirectory(); an empty probe means statvfs.
    // `trustedKeys` is the folder of the publisher keys trusted now (ContentServiceOptions).
    PackShelf(std::filesystem::path cacheDirectory, std::filesystem::path trustedKeys,
              SpaceProbe spaceProbe = {});

    // $LARKSPIRE_CACHE_DIR, else $XDG_CACHE_HOME/larkspire, else ~/.cache/larkspire.
    static std::filesystem::path defaultCacheDirectory();

    const PackStore& store() const { return store_; }
    const SpaceProbe& spaceProbe() const { return spaceProbe_; }

    // The packs installed whole, by tag, with the bytes of their files and manifest copy, whose
    // install record names a key file still in the trusted keys folder, byte for byte: a pack
    // signed by a withdrawn key must be fetched again. Reads no pack file's contents.
    std::vector<PackOnDisk> installedPacks() const;
    // The bytes of every "*.pub" file in `folder`, each read as TrustedKeys reads it.
    static std::vector<std::string> trustedKeyFiles(const std::filesystem::path& folder);
    static constexpr const char* kKeySuffix = ".pub";
    // A key file is a few hundred bytes; anything far larger is not one.
    static constexpr std::size_t kMaxKeyFileSize = 16 * 1024;
    // Whether the files of the installed <Tag> are as its last check recorded them: a file
    // written, replaced or renamed since is not (PackStore::isRecordCurrent).
    bool isUnchanged(const std::string& tag) const;
    // The folder of <Tag>'s files once installed; a tag that could leave the packs folder gets
    // a hidden name no pack is ever installed as.
    std::string bundleDirectory(const std::string& tag) const;
    // The names of the files the manifest copy of the installed <Tag> lists, or none when
    // installed() finds no sound pack.
    std::vector<std::string> packFiles(const std::string& tag) const;
    // Removes the installed <Tag> under its lock, and in one rename, so no reader sees half a
    // pack; nothing when none is installed. Throws ContentError, at once when a download of
    // it holds the lock: whoever asked is not kept waiting for as long as that may take.
    void removePack(const std::string& tag) const;
    // Free space on the disk of the cache (of its nearest existing folder, before the first
    // download made it), or nothing when unknown.
    std::optional<std::uint64_t> availableSpace() const;

private:
    PackStore store_;
    std::filesystem::path trustedKeys_;
    SpaceProbe spaceProbe_;
};
