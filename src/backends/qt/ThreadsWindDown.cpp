#include "backends/qt/ThreadsWindDown.h"

#include <chrono>
#include <filesystem>
#include <set>
#include <string>
#include <thread>

namespace {

std::set<std::string> threadIds() {
    std::set<std::string> ids;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task", ignored))
        ids.insert(entry.path().filename().string());
    return ids;
}

}  // namespace

void waitForThreadsToWindDown(double seconds) {
    using Clock = std::chrono::steady_clock;
    auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                       std::chrono::duration<double>(seconds));
    auto before = threadIds();
    while (Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        auto now = threadIds();
        if (now == before)
            return;
        before = std::move(now);
    }
}
