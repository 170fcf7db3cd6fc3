#pragma once

#include <memory>
#include <optional>
#include <string>
#include <variant>

// The root of every platform object that can be observed, targeted by a
// notification or timer, or held weakly by a callback. Objects live in
// std::shared_ptr so that "weak self" is std::weak_ptr.
class NSObject : public std::enable_shared_from_this<NSObject> {
public:
    NSObject() = default;
    NSObject(const NSObject&) = delete;
    NSObject& operator=(const NSObject&) = delete;
    virtual ~NSObject() = default;

    // Key-value observation callback; the base class ignores every notification.
    virtual void observeValueForKeyPath(const std::optional<std::string>& keyPath,
                                        const std::shared_ptr<NSObject>& object,
                                        const struct NSKeyValueChange& change, void* context);
};

// What a key-value notification carries: the new value of a numeric property.
struct NSKeyValueChange {
    double newValue = 0.0;
};

enum NSKeyValueObservingOptions : unsigned {
    NSKeyValueObservingOptionNew = 0x01,
    NSKeyValueObservingOptionOld = 0x02,
    NSKeyValueObservingOptionInitial = 0x04,
};

// A value of a property list (the information dictionary).
using NSPropertyListValue = std::variant<std::string, long long, double, bool>;

template <typename T>
std::shared_ptr<T> sharedFrom(T* object) {
    return std::static_pointer_cast<T>(object->shared_from_this());
}

template <typename T>
std::weak_ptr<T> weakFrom(T* object) {
    return sharedFrom(object);
}
