#include "backends/qt/QtCaptionPreferences.h"

#include <filesystem>
#include <nlohmann/json.hpp>

#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/DebugLog.h"

QtCaptionPreferences::QtCaptionPreferences(std::string file) : file_(std::move(file)) {
    if (file_.empty())
        return;
    auto text = AtomicFile::read(file_);
    if (!text)
        return;
    try {
        auto json = nlohmann::json::parse(*text);
        if (json.contains("captions") && !json.at("captions").is_null())
            language_ = json.at("captions").get<std::string>();
        everyVideo_ = json.value("everyVideo", false);
    } catch (const nlohmann::json::exception& error) {
        language_.reset();
        everyVideo_ = false;
        print("Caption preferences " + file_ + " ignored: " + error.what());
    }
}

void QtCaptionPreferences::setLanguage(const std::optional<std::string>& language) {
    language_ = language;
    save();
}

void QtCaptionPreferences::setEveryVideo(bool on) {
    everyVideo_ = on;
    save();
}

void QtCaptionPreferences::save() const {
    if (file_.empty())
        return;
    nlohmann::json json{{"captions", language_ ? nlohmann::json(*language_) : nullptr},
                        {"everyVideo", everyVideo_}};
    try {
        std::filesystem::create_directories(std::filesystem::path(file_).parent_path());
        AtomicFile::replace(file_, json.dump() + "\n");
    } catch (const std::exception& error) {
        print("Caption preferences " + file_ + " not saved: " + error.what());
    }
}
