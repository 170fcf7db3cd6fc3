#include "run/ScratchFolder.h"

#include <stdlib.h>

#include <cerrno>
#include <cstring>
#include <iostream>

namespace fs = std::filesystem;

std::optional<fs::path> ScratchFolder::make(const std::string& prefix) {
    std::string pattern = (fs::temp_directory_path() / (prefix + "-XXXXXX")).string();
    if (!::mkdtemp(pattern.data())) {
        std::cerr << "larkspire: cannot make a folder in " << fs::temp_directory_path().string()
                  << ": " << std::strerror(errno) << "\n";
        return std::nullopt;
    }
    return fs::path(pattern);
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    if (!path_.empty())
        fs::remove_all(path_, ignored);
}
