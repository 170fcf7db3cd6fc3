#include "packs/PackBuilder.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <set>
#include <vector>

#include "packs/ContentError.h"
#include "packs/FileIo.h"
#include "packs/Sha256.h"
#include "platform/foundation/AtomicFile.h"

namespace {

constexpr std::size_t kCopyChunk = 1024 * 1024;

[[noreturn]] void fail(const std::string& message) {
    throw std::runtime_error(message);
}

[[noreturn]] void failErrno(const std::string& action, const std::filesystem::path& path) {
    fail("cannot " + action + " " + path.string() + ": " + std::strerror(errno));
}

struct SourceFile {
    std::string name;
    std::uint64_t size;
};

std::vector<SourceFile> listSource(const std::filesystem::path& source) {
    std::error_code error;
    if (!std::filesystem::is_directory(source, error))
        fail(source.string() + " is not a folder");
    std::vector<SourceFile> files;
    std::filesystem::directory_iterator entries(source, error);
    if (error)
        fail("cannot list " + source.string() + ": " + error.message());
    for (const auto& entry : entries) {
        std::string name = entry.path().filename().string();
        if (!PackManifest::isSafeName(name))
            fail("refusing \"" + name + "\" in " + source.string() +
                 ": pack file names must be valid UTF-8, at most 255 bytes, must not start "
                 "with '.', and must not contain '/', '\\' or control characters");
        if (name == PackManifest::kFileName || name == PackManifest::kSignatureFileName)
            fail("refusing \"" + name + "\" in " + source.string() +
                 ": the pack's own manifest or signature has that name");
        if (!entry.is_regular_file(error))
            fail(entry.path().string() + " is not a regular file (packs have no subfolders)");
        files.push_back({name, static_cast<std::uint64_t>(entry.file_size())});
    }
    std::sort(files.begin(), files.end(),
              [](const auto& a, const auto& b) { return a.name < b.name; });
    return files;
}

bool isInside(const std::filesystem::path& path, const std::filesystem::path& folder) {
    auto [end, unused] = std::mismatch(folder.begin(), folder.end(), path.begin(), path.end());
    (void)unused;
    return end == folder.end();
}

// The manifest an earlier build left in `output`, if it is one.
std::optional<PackManifest> existingManifest(const std::filesystem::path& output) {
    auto text = AtomicFile::read(output / PackManifest::kFileName);
    try {
        if (text)
            return PackManifest::parse(*text);
    } catch (const ContentError&) {
    }
    return std::nullopt;
}

// Copies `from` to `to` through a temporary file, so that an interrupted build never
// leaves a half-written pack file under its real name. Returns the SHA-256 of what
// was copied.
std::string copyHashing(const std::filesystem::path& from, const std::filesystem::path& to,
                        std::uint64_t expectedSize, std::vector<char>& buffer,
                        const std::function<void(std::size_t)>& onChunk) {
    UniqueFd in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (!in)
        failErrno("read", from);
    try {
        AtomicFile out(to);
        Sha256 hasher;
        std::uint64_t copied = 0;
        for (;;) {
            ssize_t got = ::read(in.get(), buffer.data(), buffer.size());
            if (got < 0) {
                if (errno == EINTR)
                    continue;
                failErrno("read", from);
            }
            if (got == 0)
                break;
            auto size = static_cast<std::size_t>(got);
            hasher.update(buffer.data(), size);
            out.write(buffer.data(), size);
            copied += size;
            onChunk(size);
        }
        if (copied != expectedSize)
            fail(from.string() + " changed size while it was being packed");
        out.commit();
        return hasher.finishHex();
    } catch (const std::system_error& error) {
        fail(error.what());
    }
}

}  // namespace

PackManifest PackBuilder::build(const std::filesystem::path& source,
                                const std::filesystem::path& output, const std::string& tag,
                                const PublisherKey& key, const Progress& progress,
                                std::uint64_t edition, std::optional<std::int64_t> expires) {
    if (!PackManifest::isSafeName(tag))
        fail("invalid tag \"" + tag + "\": the same rules as file names apply");
    if (edition == 0)
        fail("the edition must be a positive integer");
    auto files = listSource(source);

    std::error_code error;
    auto sourceFolder = std::filesystem::weakly_canonical(source, error);
    auto outputFolder = std::filesystem::weakly_canonical(output, error);
    if (error || isInside(outputFolder, sourceFolder) || isInside(sourceFolder, outputFolder))
        fail("the output folder must be outside the source folder and not contain it");
    // Checked before anything is copied, so that the folder is never left half replaced.
    auto existing = existingManifest(outputFolder);
    if (existing && existing->tag() == tag && existing->edition() > edition)
        fail(outputFolder.string() + " holds edition " + std::to_string(existing->edition()) +
             " of " + tag + ": applications that installed it refuse edition " +
             std::to_string(edition) + "; give a higher one");
    std::filesystem::create_directories(outputFolder, error);
    if (error)
        fail("cannot create " + outputFolder.string() + ": " + error.message());

    std::uint64_t total = 0;
    for (const auto& file : files)
        total += file.size;
    std::uint64_t done = 0;
    std::vector<char> buffer(kCopyChunk);
    std::vector<PackFile> packed;
    for (const auto& file : files) {
        std::string sha256 = copyHashing(source / file.name, outputFolder / file.name, file.size,
                                         buffer, [&](std::size_t size) {
                                             done += size;
                                             if (progress)
                                                 progress(done, total);
                                         });
        packed.push_back({file.name, file.size, sha256});
    }

    PackManifest manifest(tag, std::move(packed), edition, expires);
    std::set<std::string> current;
    for (const auto& file : manifest.files())
        current.insert(file.name);
    for (const auto& stale : existing ? existing->files() : std::vector<PackFile>{}) {
        if (!current.count(stale.name))
            std::filesystem::remove(outputFolder / stale.name, error);
    }
    try {
        std::string json = manifest.toJson();
        AtomicFile::replace(outputFolder / PackManifest::kFileName, json);
        AtomicFile::replace(outputFolder / PackManifest::kSignatureFileName, key.sign(tag, json));
    } catch (const std::system_error& failure) {
        fail(failure.what());
    }
    return manifest;
}
