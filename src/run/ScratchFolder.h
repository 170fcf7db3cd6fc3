#pragma once

#include <filesystem>
#include <optional>
#include <string>

// A new folder in the temporary folder that goes when the run ends, however it
// ends: the settings and downloads of scripted runs and the tour, which start from none.
class ScratchFolder {
public:
    // Writes the reason to standard error and returns nullopt when none can be made.
    static std::optional<std::filesystem::path> make(const std::string& prefix);
    explicit ScratchFolder(std::filesystem::path path) : path_(std::move(path)) {}
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};
