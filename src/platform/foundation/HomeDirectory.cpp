#include "platform/foundation/HomeDirectory.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

std::string homeDirectory() {
    if (const char* home = std::getenv("HOME"); home && *home == '/')
        return home;
    struct passwd entry {};
    struct passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_dir != nullptr && found->pw_dir[0] == '/')
        return found->pw_dir;
    return std::filesystem::temp_directory_path().string();
}
