#include "platform/foundation/NSPredicate.h"

#include <re2/re2.h>

#include <stdexcept>

std::shared_ptr<NSPredicate> NSPredicate::predicateWithFormat(const std::string& format,
                                                              const std::string& argument) {
    if (format != "SELF MATCHES %@")
        throw std::invalid_argument("unsupported predicate format: " + format);
    // Each byte is one character, so any text, valid UTF-8 or not, gets a verdict;
    // "." matches any character but a line feed.
    RE2::Options options;
    options.set_encoding(RE2::Options::EncodingLatin1);
    options.set_log_errors(false);
    auto pattern = std::make_shared<const RE2>(argument, options);
    if (!pattern->ok())
        throw std::invalid_argument("bad regular expression \"" + argument +
                                    "\": " + pattern->error());
    return std::shared_ptr<NSPredicate>(new NSPredicate(std::move(pattern)));
}

bool NSPredicate::evaluateWithObject(const std::string& text) const {
    return RE2::FullMatch(text, *pattern_);
}
