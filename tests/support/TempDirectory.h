#pragma once

#include <filesystem>
#include <string>

// A fresh folder under the system temp folder, removed with everything in it on destruction.
class TempDirectory {
public:
    explicit TempDirectory(const std::string& prefix = "larkspire-test");
    ~TempDirectory();
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};
