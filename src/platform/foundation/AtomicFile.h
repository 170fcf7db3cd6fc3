#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// Replaces a file so that a crash or a kill at any moment leaves either the old
// file or the new one whole, never a mix: the bytes go to a temporary file in the
// same folder, which is flushed to disk and renamed over the target, and then the
// folder is flushed so that the rename itself survives a power cut. Temporary
// files left by writers that died are removed at the next commit. Every failure
// throws std::system_error with the errno of the call that failed, so callers can
// tell a full disk from other trouble.
class AtomicFile {
public:
    explicit AtomicFile(std::filesystem::path path);
    // Without a commit the target is untouched and the temporary file goes.
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    void write(const void* data, std::size_t size);
    void write(std::string_view text) { write(text.data(), text.size()); }
    void commit();

    // The whole file in one go.
    static void replace(const std::filesystem::path& path, std::string_view contents);
    // The whole of a file, or nothing when it cannot be opened.
    static std::optional<std::string> read(const std::filesystem::path& path);

private:
    std::filesystem::path path_;
    std::filesystem::path temporary_;
    int fd_ = -1;
};
