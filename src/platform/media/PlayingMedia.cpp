#include "platform/media/PlayingMedia.h"

#include <filesystem>
#include <mutex>
#include <set>

namespace {

std::mutex gMutex;
std::multiset<std::string> gOpen;

}  // namespace

namespace PlayingMedia {

void opened(const std::string& path) {
    std::lock_guard lock(gMutex);
    gOpen.insert(path);
}

void closed(const std::string& path) {
    std::lock_guard lock(gMutex);
    if (auto found = gOpen.find(path); found != gOpen.end())
        gOpen.erase(found);
}

bool anyUnder(const std::string& directory) {
    auto folder = std::filesystem::path(directory).lexically_normal();
    std::lock_guard lock(gMutex);
    for (const auto& path : gOpen) {
        auto relative = std::filesystem::path(path).lexically_normal().lexically_relative(folder);
        if (!relative.empty() && *relative.begin() != "..")
            return true;
    }
    return false;
}

}  // namespace PlayingMedia
