#pragma once

#include <memory>
#include <stdexcept>
#include <string>

#include "platform/foundation/NSError.h"

// A failed step of a pack fetch. Workers catch it and report it as the NSError of the request,
// whose description is shown as one line: a control character (from a path or a server's
// reply) becomes a space.
class ContentError : public std::runtime_error {
public:
    ContentError(long code, const std::string& message)
        : ContentError(code, message, failureCauseOf(code)) {}
    ContentError(long code, const std::string& message, FailureCause cause)
        : std::runtime_error(oneLine(message)), code_(code), cause_(cause) {}

    long code() const { return code_; }
    FailureCause cause() const { return cause_; }
    std::shared_ptr<NSError> toNSError() const { return NSError::make(code_, what(), cause_); }

private:
    static std::string oneLine(std::string text) {
        for (char& c : text) {
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
                c = ' ';
        }
        return text;
    }

    long code_;
    FailureCause cause_;
};
