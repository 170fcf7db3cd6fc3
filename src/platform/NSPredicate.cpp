#include "platform/NSPredicate.h"

#include <stdexcept>

std::shared_ptr<NSPredicate> NSPredicate::predicateWithFormat(const std::string& format,
                                                              const std::string& argument) {
    if (format != "SELF MATCHES %@")
        throw std::invalid_argument("unsupported predicate format: " + format);
    return std::shared_ptr<NSPredicate>(
        new NSPredicate(std::regex(argument, std::regex::ECMAScript)));
}

bool NSPredicate::evaluateWithObject(const std::string& text) const {
    // ICU's MATCHES treats "." as any character but line terminators, as
    // ECMAScript does; the whole text must match.
    return std::regex_match(text, pattern_);
}
