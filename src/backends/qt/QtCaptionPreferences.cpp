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
        if (json.contains("captions")) {
            const auto& captions = json.at("captions");
            choice_ = {true, captions.is_null() ? std::nullopt
                                                : std::optional(captions.get<std::string>())};
        }
        everyVideo_ = json.value("everyVideo", false);
    } catch (const nlohmann::json::exception& error) {
        choice_ = {};
        everyVideo_ = false;
        print("Caption preferences " + file_ + " ignored: " + error.what());
    }
}

void QtCaptionPreferences::setChoice(const CaptionChoice& choice) {
    choice_ = choice;
    save();
}

void QtCaptionPreferences::setEveryVideo(bool on) {
    everyVideo_ = on;
    save();
}

void QtCaptionPreferences::save() const {
    if (file_.empty())
        return;
    nlohmann::json json{{"everyVideo", everyVideo_}};
    if (choice_.chosen)
        json["captions"] = choice_.language ? nlohmann::json(*choice_.language) : nullptr;
    try {
        std::filesystem::create_directories(std::filesystem::path(file_).parent_path());
        AtomicFile::replace(file_, json.dump() + "\n");
    } catch (const std::exception& error) {
        print("Caption preferences " + file_ + " not saved: " + error.what());
    }
}
