#pragma once

#include <memory>
#include <regex>
#include <string>

// Only the form the system uses: "SELF MATCHES %@" with a regular expression,
// true when the whole text matches.
class NSPredicate {
public:
    static std::shared_ptr<NSPredicate> predicateWithFormat(const std::string& format,
                                                            const std::string& argument);
    bool evaluateWithObject(const std::string& text) const;

private:
    explicit NSPredicate(std::regex pattern) : pattern_(std::move(pattern)) {}
    std::regex pattern_;
};
