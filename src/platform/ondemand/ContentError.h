#pragma once

#include <memory>
#include <stdexcept>
#include <string>

#include "platform/foundation/NSError.h"

// A failed step of a pack fetch. Workers catch it and report it as the NSError of the request.
class ContentError : public std::runtime_error {
public:
    ContentError(long code, const std::string& message)
        : std::runtime_error(message), code_(code) {}

    long code() const { return code_; }
    std::shared_ptr<NSError> toNSError() const { return NSError::make(code_, what()); }

private:
    long code_;
};
