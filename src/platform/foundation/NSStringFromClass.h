#pragma once

#include <string>

// The registered name of a class that declares `static constexpr const char* kClassName`.
template <typename T>
std::string NSStringFromClass() {
    return T::kClassName;
}
