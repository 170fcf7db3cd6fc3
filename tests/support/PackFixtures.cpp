#include "PackFixtures.h"

#include <algorithm>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "platform/ondemand/Sha256.h"

namespace packfixtures {

PackManifest writePack(const std::filesystem::path& root, const std::string& tag,
                       const std::vector<FileContent>& files) {
    auto folder = root / tag;
    std::filesystem::create_directories(folder);
    std::vector<PackFile> entries;
    for (const auto& file : files) {
        writeFile(folder / file.name, file.bytes);
        entries.push_back(
            {file.name, file.bytes.size(), Sha256::hex(file.bytes.data(), file.bytes.size())});
    }
    PackManifest manifest(tag, entries);
    writeFile(folder / PackManifest::kFileName, manifest.toJson());
    return manifest;
}

void writeManifestText(const std::filesystem::path& root, const std::string& tag,
                       const std::string& json) {
    std::filesystem::create_directories(root / tag);
    writeFile(root / tag / PackManifest::kFileName, json);
}

std::string randomBytes(std::size_t size, std::uint32_t seed) {
    std::mt19937 generator(seed);
    std::string bytes(size, '\0');
    for (auto& byte : bytes)
        byte = static_cast<char>(generator() & 0xff);
    return bytes;
}

void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream output(path, std::ios::binary | std::ios::trunc);
    output.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!output.flush())
        throw std::runtime_error("cannot write " + path.string());
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream input(path, std::ios::binary);
    if (!input)
        throw std::runtime_error("cannot read " + path.string());
    std::ostringstream text;
    text << input.rdbuf();
    return text.str();
}

std::vector<std::string> listNames(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> listTree(const std::filesystem::path& folder) {
    std::vector<std::string> paths;
    std::error_code error;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, error))
        paths.push_back(std::filesystem::relative(entry.path(), folder).string());
    std::sort(paths.begin(), paths.end());
    return paths;
}

std::string fileUrl(const std::filesystem::path& folder) {
    return "file://" + std::filesystem::absolute(folder).string();
}

}  // namespace packfixtures

ResourceService::Completion CompletionProbe::handler() {
    return [this](std::shared_ptr<NSError> error) {
        // Notified under the lock: the waiter may destroy the probe as soon as it wakes.
        std::lock_guard lock(mutex_);
        ++calls_;
        error_ = std::move(error);
        thread_ = std::this_thread::get_id();
        done_.notify_all();
    };
}

bool CompletionProbe::wait(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return done_.wait_for(lock, timeout, [this] { return calls_ > 0; });
}

int CompletionProbe::calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
}

std::shared_ptr<NSError> CompletionProbe::error() const {
    std::lock_guard lock(mutex_);
    return error_;
}

long CompletionProbe::errorCode() const {
    std::lock_guard lock(mutex_);
    return error_ ? error_->code() : 0;
}

std::thread::id CompletionProbe::thread() const {
    std::lock_guard lock(mutex_);
    return thread_;
}

void ProgressRecorder::observeValueForKeyPath(const std::optional<std::string>&,
                                              const std::shared_ptr<NSObject>&,
                                              const NSKeyValueChange& change, void*) {
    std::lock_guard lock(mutex_);
    values_.push_back(change.newValue);
    threads_.push_back(std::this_thread::get_id());
}

std::vector<double> ProgressRecorder::values() const {
    std::lock_guard lock(mutex_);
    return values_;
}

std::vector<std::thread::id> ProgressRecorder::threads() const {
    std::lock_guard lock(mutex_);
    return threads_;
}
