#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/NSObject.h"

class NSURL;

inline constexpr const char* kCFBundleVersionKey = "CFBundleVersion";

// A folder of resources. Lookups never leave the folder: a name that would
// (a path separator, "." or "..") finds nothing.
class NSBundle : public NSObject {
public:
    explicit NSBundle(std::string directory,
                      std::map<std::string, NSPropertyListValue> infoDictionary = {});

    static std::shared_ptr<NSBundle> mainBundle();

    std::optional<std::string> pathForResource(const std::string& name,
                                               const std::string& type) const;
    std::shared_ptr<NSURL> URLForResource(const std::string& name,
                                          const std::string& extension) const;
    std::optional<NSPropertyListValue> objectForInfoDictionaryKey(const std::string& key) const;


private:
    std::string directory_;
    std::map<std::string, NSPropertyListValue> info_;
};
