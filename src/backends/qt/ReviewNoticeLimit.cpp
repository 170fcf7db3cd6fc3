#include "backends/qt/ReviewNoticeLimit.h"

#include <nlohmann/json.hpp>
#include <system_error>

#include "platform/foundation/AtomicFile.h"

namespace {

constexpr const char* kKey = "reviewNoticesShown";

long long secondsSinceEpoch(ReviewNoticeLimit::Clock::time_point time) {
    return std::chrono::duration_cast<std::chrono::seconds>(time.time_since_epoch()).count();
}

}  // namespace

ReviewNoticeLimit::ReviewNoticeLimit(std::filesystem::path stateFile)
    : file_(std::move(stateFile)) {}

std::vector<long long> ReviewNoticeLimit::load() const {
    auto text = AtomicFile::read(file_);
    // A damaged file counts as no notice shown: the worst case is one notice more.
    auto document = nlohmann::json::parse(text.value_or(""), nullptr, false);
    std::vector<long long> times;
    if (!document.is_object() || !document.contains(kKey) || !document[kKey].is_array())
        return times;
    for (const auto& time : document[kKey]) {
        if (time.is_number_integer())
            times.push_back(time.get<long long>());
    }
    return times;
}

bool ReviewNoticeLimit::save(const std::vector<long long>& times) const {
    try {
        std::filesystem::create_directories(file_.parent_path());
        AtomicFile::replace(file_, nlohmann::json{{kKey, times}}.dump() + "\n");
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

std::vector<long long> ReviewNoticeLimit::recentNotices(Clock::time_point now) const {
    long long current = secondsSinceEpoch(now);
    long long period = std::chrono::duration_cast<std::chrono::seconds>(kPeriod).count();
    std::vector<long long> recent;
    // Times ahead of the clock (set back since) still count, so the limit cannot be undone.
    for (long long time : load()) {
        if (time > current - period)
            recent.push_back(time);
    }
    return recent;
}

bool ReviewNoticeLimit::allowAndRecord(Clock::time_point now) {
    auto recent = recentNotices(now);
    if (recent.size() >= std::size_t(kMaximumNotices))
        return false;
    recent.push_back(secondsSinceEpoch(now));
    return save(recent);
}
