#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "packs/FileIo.h"

// The record an installed pack keeps of its last check, which spares the next request the
// hashing (PackStore::isRecordedSound):
//   larkspire-install-record 3
//   verified | installed in boot <boot id>
//   hashed <seconds since 1970, UTC>
//   key <the trusted key file's bytes, hex>
//   file <device> <inode> <size> <change time: s> <ns> <name>    one line per entry
// It is read at lookups, so reading it takes time in proportion to its size, and a file larger
// than kMaxSize is taken as damage unread.
struct InstallRecord {
    // One line of about 70 bytes a file and a key file of a few hundred bytes: a pack of ten
    // thousand files fits, and a damaged file larger than this costs one rehash, not a read.
    static constexpr std::size_t kMaxSize = 1024 * 1024;

    std::string sound;          // "verified" or "installed in boot <id>"
    std::int64_t hashedAt = 0;  // when its files were last hashed whole
    std::string keyFile;        // the bytes of the key file that verified the manifest copy
    std::map<std::string, FileStamp> entries;

    static constexpr const char* kVerified = "verified";
    static constexpr const char* kBootPrefix = "installed in boot ";

    std::string text() const;
    // Whatever does not read as a record written by text() is none, an older form included.
    static std::optional<InstallRecord> parse(std::string_view text);
};
