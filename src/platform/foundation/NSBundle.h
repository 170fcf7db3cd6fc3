#pragma once

#include <functional>
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
    // Whether the folder's files may be handed out now.
    using Vouch = std::function<bool()>;

    explicit NSBundle(std::string directory,
                      std::map<std::string, NSPropertyListValue> infoDictionary = {});
    // A folder whose lookups find nothing while `vouch` says no: a download's folder, whose
    // files are trusted only once a request of this run has checked them.
    NSBundle(std::string directory, Vouch vouch);

    static std::shared_ptr<NSBundle> mainBundle();

    std::optional<std::string> pathForResource(const std::string& name,
                                               const std::string& type) const;
    std::shared_ptr<NSURL> URLForResource(const std::string& name,
                                          const std::string& extension) const;
    std::optional<NSPropertyListValue> objectForInfoDictionaryKey(const std::string& key) const;

private:
    std::string directory_;
    std::map<std::string, NSPropertyListValue> info_;
    Vouch vouch_;
};
