#pragma once

#include <exception>
#include <string>

#include "platform/foundation/DebugLog.h"

// Raised by a content screen's lookup when a named file is missing, and
// caught by the same screen's button action. Each content screen names it as
// its own nested AppError.
class AppError : public std::exception {
public:
    enum class Case { invalidResource };

    static AppError invalidResource(std::string name, std::string extension) {
        return AppError(std::move(name), std::move(extension));
    }

    Case kind() const { return Case::invalidResource; }
    const std::string& name() const { return name_; }
    const std::string& extension() const { return extension_; }
    const char* what() const noexcept override { return "invalidResource"; }

private:
    AppError(std::string name, std::string extension)
        : name_(std::move(name)), extension_(std::move(extension)) {}

    std::string name_;
    std::string extension_;
};

// Runs a content button's lookup and writes the debug line for what it raised:
// the missing file for AppError, "Generic error" for anything else.
template <typename Lookup>
void runCatchingLookupErrors(Lookup&& lookup) {
    try {
        lookup();
    } catch (const AppError& error) {
        debugPrint("Could not find resource " + error.name() + "." + error.extension());
    } catch (...) {
        debugPrint("Generic error");
    }
}
