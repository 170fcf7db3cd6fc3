#include "platform/ondemand/PackBuilder.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <vector>

#include "platform/ondemand/ContentError.h"
#include "platform/ondemand/FileIo.h"
#include "platform/ondemand/Sha256.h"

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
        if (name == PackManifest::kFileName)
            fail("refusing \"" + name + "\" in " + source.string() +
                 ": the pack's own manifest has that name");
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

std::set<std::string> namesInExistingManifest(const std::filesystem::path& output) {
    std::ifstream input(output / PackManifest::kFileName, std::ios::binary);
    if (!input)
        return {};
    std::ostringstream text;
    text << input.rdbuf();
    try {
        std::set<std::string> names;
        PackManifest manifest = PackManifest::parse(text.str());
        for (const auto& file : manifest.files())
            names.insert(file.name);
        return names;
    } catch (const ContentError&) {
        return {};
    }
}

// Copies `from` to `to`, returning the SHA-256 of what was copied.
std::string copyHashing(const std::filesystem::path& from, const std::filesystem::path& to,
                        std::uint64_t expectedSize, std::vector<char>& buffer,
                        const std::function<void(std::size_t)>& onChunk) {
    UniqueFd in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (!in)
        failErrno("read", from);
    UniqueFd out(::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!out)
        failErrno("create", to);
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
        try {
            fileio::writeAll(fileio::systemWrite, out.get(), buffer.data(), size, to);
        } catch (const ContentError& error) {
            fail(error.what());
        }
        copied += size;
        onChunk(size);
    }
    if (copied != expectedSize)
        fail(from.string() + " changed size while it was being packed");
    if (::close(out.release()) != 0)
        failErrno("write", to);
    return hasher.finishHex();
}

void writeText(const std::filesystem::path& path, const std::string& text) {
    auto temporary = path.parent_path() / ("." + path.filename().string() + ".partial");
    {
        std::ofstream output(temporary, std::ios::binary | std::ios::trunc);
        output << text;
        if (!output.flush())
            fail("cannot write " + temporary.string());
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (error)
        fail("cannot write " + path.string() + ": " + error.message());
}

}  // namespace

PackManifest PackBuilder::build(const std::filesystem::path& source,
                                const std::filesystem::path& output, const std::string& tag,
                                const Progress& progress) {
    if (!PackManifest::isSafeName(tag))
        fail("invalid tag \"" + tag + "\": the same rules as file names apply");
    auto files = listSource(source);

    std::error_code error;
    auto sourceFolder = std::filesystem::weakly_canonical(source, error);
    auto outputFolder = std::filesystem::weakly_canonical(output, error);
    if (error || isInside(outputFolder, sourceFolder) || isInside(sourceFolder, outputFolder))
        fail("the output folder must be outside the source folder and not contain it");
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
        auto temporary = outputFolder / ("." + file.name + ".partial");
        std::string sha256 =
            copyHashing(source / file.name, temporary, file.size, buffer, [&](std::size_t size) {
                done += size;
                if (progress)
                    progress(done, total);
            });
        std::filesystem::rename(temporary, outputFolder / file.name, error);
        if (error)
            fail("cannot write " + (outputFolder / file.name).string() + ": " + error.message());
        packed.push_back({file.name, file.size, sha256});
    }

    PackManifest manifest(tag, std::move(packed));
    std::set<std::string> current;
    for (const auto& file : manifest.files())
        current.insert(file.name);
    for (const auto& stale : namesInExistingManifest(outputFolder)) {
        if (!current.count(stale))
            std::filesystem::remove(outputFolder / stale, error);
    }
    writeText(outputFolder / PackManifest::kFileName, manifest.toJson());
    return manifest;
}
