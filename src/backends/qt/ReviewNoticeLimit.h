#pragma once

#include <chrono>
#include <filesystem>
#include <vector>

// How often the desktop's review notice may show: at most three times in any
// 365 days. The times it showed are kept in the platform's own state file
// (JSON), apart from the story's settings.
class ReviewNoticeLimit {
public:
    using Clock = std::chrono::system_clock;
    static constexpr int kMaximumNotices = 3;
    static constexpr std::chrono::hours kPeriod{24 * 365};

    explicit ReviewNoticeLimit(std::filesystem::path stateFile);

    // True when the notice may show at `now`; the showing is then recorded.
    // False as well when it cannot be recorded, so that the limit holds.
    bool allowAndRecord(Clock::time_point now);
    // The recorded times (seconds since the epoch) that still count at `now`.
    std::vector<long long> recentNotices(Clock::time_point now) const;

private:
    std::vector<long long> load() const;
    bool save(const std::vector<long long>& times) const;

    std::filesystem::path file_;
};
