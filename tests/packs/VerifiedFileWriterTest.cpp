#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "PackFixtures.h"
#include "TempDirectory.h"
#include "packs/ContentError.h"
#include "packs/Sha256.h"
#include "packs/VerifiedFileWriter.h"

// Small files are hashed at their end by the caller, large ones by a thread as they stream in;
// either way what is checked is what the file holds on disk, to its last byte.
TEST(VerifiedFileWriterTest, WhatIsCheckedIsWhatTheFileHoldsWhateverItsSize) {
    struct Row {
        std::string name;
        std::size_t size;
        bool damage;
    };
    const std::uint64_t batch = VerifiedFileWriter::kHashBatch;
    constexpr std::size_t kChunk = 16 * 1024;
    const Row rows[] = {
        {"small, intact", 20 * 1024, false},
        {"small, last byte changed on disk", 20 * 1024, true},
        {"exactly one batch, intact", batch, false},
        {"large, intact", 2 * batch + 12345, false},
        {"large, last byte changed on disk", 2 * batch + 12345, true},
    };
    TempDirectory folder("larkspire-writer");
    for (const auto& row : rows) {
        const auto bytes = packfixtures::randomBytes(row.size, 7);
        const PackFile expected{"part.bin", row.size, Sha256::hex(bytes.data(), bytes.size())};
        const auto path = folder / "part.bin";
        std::filesystem::remove(path);
        VerifiedFileWriter writer(DirectoryHandle::openRoot(folder.path()), "part.bin", expected,
                                  ::write);
        // Streamed in as a transfer does, 16 KiB at a time.
        for (std::size_t at = 0; at < bytes.size(); at += kChunk)
            writer.append(bytes.data() + at, std::min(kChunk, bytes.size() - at));
        if (row.damage) {
            // The last byte changed on disk behind the writer's back before it finishes.
            std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
            file.seekp(static_cast<std::streamoff>(bytes.size() - 1));
            file.put(static_cast<char>(bytes.back() ^ 0x5a));
            file.close();
            EXPECT_THAT([&] { writer.finish(); },
                        testing::Throws<ContentError>(testing::Property(
                            &ContentError::code, LKSOnDemandChecksumMismatchError)))
                << row.name;
        } else {
            EXPECT_NO_THROW(writer.finish()) << row.name;
            EXPECT_EQ(std::filesystem::file_size(path), row.size) << row.name;
        }
    }
}
