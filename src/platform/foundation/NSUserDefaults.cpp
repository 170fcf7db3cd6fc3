#include "platform/foundation/NSUserDefaults.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>
#include <sstream>

#include "platform/Platform.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/DebugLog.h"
#include "platform/foundation/HomeDirectory.h"

namespace fs = std::filesystem;

namespace {

std::string timestamp() {
    std::time_t now = std::time(nullptr);
    std::tm parts{};
    gmtime_r(&now, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &parts);
    return text;
}

}  // namespace

NSUserDefaults::NSUserDefaults(std::string path) : path_(std::move(path)) {
    load();
}

std::shared_ptr<NSUserDefaults> NSUserDefaults::standardUserDefaults() {
    return Platform::environment().userDefaults;
}

std::string NSUserDefaults::defaultPath() {
    if (const char* explicitPath = std::getenv("LARKSPIRE_SETTINGS"); explicitPath && *explicitPath)
        return explicitPath;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config == '/')
        return std::string(config) + "/larkspire/settings.json";
    return homeDirectory() + "/.config/larkspire/settings.json";
}

std::optional<NSUserDefaults::Values> NSUserDefaults::parseSettings(std::string_view text,
                                                                    std::string* problem) {
    try {
        auto json = nlohmann::json::parse(text);
        if (!json.is_object())
            throw std::runtime_error("not a JSON object");
        Values values;
        for (auto& [key, value] : json.items()) {
            // Beyond long long an unsigned count would wrap to a negative one: keep it as the
            // out-of-range number it is.
            if (value.is_number_unsigned() &&
                value.get<unsigned long long>() >
                    static_cast<unsigned long long>(std::numeric_limits<long long>::max()))
                values[key] = value.get<double>();
            else if (value.is_number_integer())
                values[key] = value.get<long long>();
            else if (value.is_number())
                values[key] = value.get<double>();
            else if (value.is_boolean())
                values[key] = value.get<bool>();
            else if (value.is_string())
                values[key] = value.get<std::string>();
        }
        return values;
    } catch (const std::exception& error) {
        if (problem)
            *problem = error.what();
        return std::nullopt;
    }
}

std::string NSUserDefaults::formatSettings(const Values& values) {
    nlohmann::json json = nlohmann::json::object();
    for (const auto& [key, value] : values)
        std::visit([&, k = key](const auto& v) { json[k] = v; }, value);
    // A string that is not UTF-8 must not make saving throw; it is stored with U+FFFD instead.
    return json.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

void NSUserDefaults::load() {
    auto contents = AtomicFile::read(path_);
    if (!contents)
        return;
    std::string problem;
    if (auto values = parseSettings(*contents, &problem)) {
        values_ = std::move(*values);
        return;
    }
    values_.clear();
    std::string aside = path_ + ".damaged-" + timestamp();
    for (int n = 1; fs::exists(aside); ++n)
        aside = path_ + ".damaged-" + timestamp() + "-" + std::to_string(n);
    std::error_code ec;
    fs::rename(path_, aside, ec);
    print("Settings file " + path_ + " could not be read (" + problem + "); kept it as " + aside +
          " and started from an empty store");
}

void NSUserDefaults::save() const {
    try {
        fs::path path(path_);
        if (path.has_parent_path())
            fs::create_directories(path.parent_path());
        AtomicFile::replace(path, formatSettings(values_));
    } catch (const std::exception& error) {
        print("Settings file " + path_ + " could not be written: " + error.what());
    }
}

long long NSUserDefaults::integerForKey(const std::string& key) const {
    auto found = values_.find(key);
    if (found == values_.end())
        return 0;
    const Value& value = found->second;
    if (auto integer = std::get_if<long long>(&value))
        return *integer;
    if (auto real = std::get_if<double>(&value))
        return (*real >= -9.2e18 && *real <= 9.2e18) ? static_cast<long long>(*real) : 0;
    if (auto flag = std::get_if<bool>(&value))
        return *flag ? 1 : 0;
    const std::string& text = std::get<std::string>(value);
    errno = 0;
    char* end = nullptr;
    long long parsed = std::strtoll(text.c_str(), &end, 10);
    return (errno == 0 && end != text.c_str()) ? parsed : 0;
}

void NSUserDefaults::setInteger(long long value, const std::string& key) {
    values_[key] = value;
    save();
}

std::optional<std::string> NSUserDefaults::stringForKey(const std::string& key) const {
    auto found = values_.find(key);
    if (found == values_.end())
        return std::nullopt;
    const Value& value = found->second;
    if (auto text = std::get_if<std::string>(&value))
        return *text;
    if (auto integer = std::get_if<long long>(&value))
        return std::to_string(*integer);
    if (auto real = std::get_if<double>(&value)) {
        std::ostringstream out;
        out << *real;
        return out.str();
    }
    return std::nullopt;
}

void NSUserDefaults::setObject(const std::string& value, const std::string& key) {
    values_[key] = value;
    save();
}
