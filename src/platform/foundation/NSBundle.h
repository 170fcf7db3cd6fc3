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
    // Whether the folder's file of this name may be handed out now.
    using Vouch = std::function<bool(const std::string& file)>;

    explicit NSBundle(std::string directory,
                      std::map<std::string, NSPropertyListValue> infoDictionary = {});
    // A folder whose lookups find only what `vouch` says yes to: a download's folder, whose
    // files are trusted only once a request of this run has checked them, and only those its
    // manifest lists.
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
