#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

// A family's choices that the window keeps between runs in a small file of their own beside its
// state (never in the settings, which the story owns), as one JSON object: the captions'
// {"captions": "de", "everyVideo": true, "size": "large", "background": "solid",
// "position": "top"} ("captions" null while off), the packs' {"updateAutomatically": false}. A
// damaged file is named in one debug line and read as holding no choice, so each one takes its
// default.
class QtKeptChoices {
public:
    // An empty `file` keeps the choices for the run only. The file is read when a choice is first
    // asked for (at the first video or panel), never on the way to the first screen.
    explicit QtKeptChoices(std::string file) : file_(std::move(file)) {}

    std::optional<std::string> text(const std::string& key) const;
    void setText(const std::string& key, const std::optional<std::string>& value);
    // Several at once, in one write of the file.
    void setTexts(const std::map<std::string, std::string>& values);
    bool flag(const std::string& key, bool otherwise) const;
    void setFlag(const std::string& key, bool value);

    // A file of choices is a few lines; anything much larger is not one, and is not read.
    static constexpr std::uintmax_t kLargest = 64 * 1024;

private:
    const nlohmann::json& load() const;
    void save() const;

    std::string file_;
    mutable std::optional<nlohmann::json> read_;
};
