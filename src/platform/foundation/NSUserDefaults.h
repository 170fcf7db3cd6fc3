#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

// The settings store: one JSON file, loaded once, rewritten atomically on every change.
class NSUserDefaults {
public:
    explicit NSUserDefaults(std::string path);

    static std::shared_ptr<NSUserDefaults> standardUserDefaults();
    // $LARKSPIRE_SETTINGS, else $XDG_CONFIG_HOME/larkspire/settings.json, else
    // ~/.config/larkspire/settings.json.
    static std::string defaultPath();

    long long integerForKey(const std::string& key) const;
    void setInteger(long long value, const std::string& key);
    std::optional<std::string> stringForKey(const std::string& key) const;
    void setObject(const std::string& value, const std::string& key);

    const std::string& path() const { return path_; }

    using Value = std::variant<long long, double, bool, std::string>;
    using Values = std::map<std::string, Value>;
    // A settings file's text: a JSON object whose numbers, booleans and strings are kept and
    // whose other members are ignored. nullopt, with the reason in `problem`, for anything else.
    static std::optional<Values> parseSettings(std::string_view text,
                                               std::string* problem = nullptr);
    // The text save() writes; parseSettings reads it back as `values`.
    static std::string formatSettings(const Values& values);

private:
    void load();
    void save() const;

    std::string path_;
    Values values_;
};
