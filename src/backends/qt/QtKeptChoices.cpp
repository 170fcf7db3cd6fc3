#include "backends/qt/QtKeptChoices.h"

#include <filesystem>

#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/DebugLog.h"

const nlohmann::json& QtKeptChoices::load() const {
    if (read_)
        return *read_;
    read_ = nlohmann::json::object();
    if (file_.empty())
        return *read_;
    // Its size first, so that an oversized file is never read; then what was read, in case it
    // grew in between.
    std::error_code unknown;
    bool oversized = std::filesystem::file_size(file_, unknown) > kLargest && !unknown;
    auto text = oversized ? std::nullopt : AtomicFile::read(file_);
    if (oversized || (text && text->size() > kLargest)) {
        print("Kept choices " + file_ + " ignored: larger than " + std::to_string(kLargest) +
              " bytes");
        return *read_;
    }
    if (!text)
        return *read_;
    auto json = nlohmann::json::parse(*text, nullptr, false);
    if (json.is_object())
        read_ = std::move(json);
    else
        print("Kept choices " + file_ + " ignored: not a JSON object");
    return *read_;
}

std::optional<std::string> QtKeptChoices::text(const std::string& key) const {
    auto found = load().find(key);
    if (found == load().end() || !found->is_string())
        return std::nullopt;
    return found->get<std::string>();
}

void QtKeptChoices::setText(const std::string& key, const std::optional<std::string>& value) {
    load();
    (*read_)[key] = value ? nlohmann::json(*value) : nlohmann::json(nullptr);
    save();
}

void QtKeptChoices::setTexts(const std::map<std::string, std::string>& values) {
    load();
    for (const auto& [key, value] : values)
        (*read_)[key] = value;
    save();
}

bool QtKeptChoices::flag(const std::string& key, bool otherwise) const {
    auto found = load().find(key);
    return found != load().end() && found->is_boolean() ? found->get<bool>() : otherwise;
}

void QtKeptChoices::setFlag(const std::string& key, bool value) {
    load();
    (*read_)[key] = value;
    save();
}

void QtKeptChoices::save() const {
    if (file_.empty())
        return;
    try {
        std::filesystem::create_directories(std::filesystem::path(file_).parent_path());
        AtomicFile::replace(file_, read_->dump() + "\n");
    } catch (const std::exception& error) {
        print("Kept choices " + file_ + " not saved: " + error.what());
    }
}
