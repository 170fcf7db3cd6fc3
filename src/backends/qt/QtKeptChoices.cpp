#include "backends/qt/QtCaptionPreferences.h"

#include <filesystem>
#include <nlohmann/json.hpp>

#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/DebugLog.h"

const QtCaptionPreferences::Stored& QtCaptionPreferences::load() const {
    if (read_)
        return *read_;
    read_.emplace();
    auto text = file_.empty() ? std::nullopt : AtomicFile::read(file_);
    if (!text)
        return *read_;
    try {
        auto json = nlohmann::json::parse(*text);
        if (json.contains("captions") && !json.at("captions").is_null())
            read_->language = json.at("captions").get<std::string>();
        read_->everyVideo = json.value("everyVideo", false);
    } catch (const nlohmann::json::exception& error) {
        read_.emplace();
        print("Caption preferences " + file_ + " ignored: " + error.what());
    }
    return *read_;
}

void QtCaptionPreferences::setLanguage(const std::optional<std::string>& language) {
    load();
    read_->language = language;
    save();
}

void QtCaptionPreferences::setEveryVideo(bool on) {
    load();
    read_->everyVideo = on;
    save();
}

void QtCaptionPreferences::save() const {
    if (file_.empty())
        return;
    nlohmann::json json{{"captions", read_->language ? nlohmann::json(*read_->language) : nullptr},
                        {"everyVideo", read_->everyVideo}};
    try {
        std::filesystem::create_directories(std::filesystem::path(file_).parent_path());
        AtomicFile::replace(file_, json.dump() + "\n");
    } catch (const std::exception& error) {
        print("Caption preferences " + file_ + " not saved: " + error.what());
    }
}
