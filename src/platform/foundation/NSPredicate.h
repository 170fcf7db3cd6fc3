#pragma once

#include <memory>
#include <string>

namespace re2 {
class RE2;
}

// A test of a whole text against a regular expression, in the one form the parental
// gate's answer check asks for ("SELF MATCHES %@"). Matching takes time linear in the text and
// no recursion, so a text of any length (a pasted page, say) is safe to test.
class NSPredicate {
public:
    static std::shared_ptr<NSPredicate> predicateWithFormat(const std::string& format,
                                                            const std::string& argument);
    bool evaluateWithObject(const std::string& text) const;

private:
    explicit NSPredicate(std::shared_ptr<const re2::RE2> pattern) : pattern_(std::move(pattern)) {}
    std::shared_ptr<const re2::RE2> pattern_;
};
