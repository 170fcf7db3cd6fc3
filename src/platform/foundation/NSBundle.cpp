#include "platform/foundation/NSBundle.h"

#include <sys/stat.h>

#include "platform/Platform.h"
#include "platform/foundation/NSURL.h"

NSBundle::NSBundle(std::string directory, std::map<std::string, NSPropertyListValue> infoDictionary)
    : directory_(std::move(directory)), info_(std::move(infoDictionary)) {}

NSBundle::NSBundle(std::string directory, Vouch vouch)
    : directory_(std::move(directory)), vouch_(std::move(vouch)) {}

std::shared_ptr<NSBundle> NSBundle::mainBundle() {
    return Platform::environment().mainBundle;
}

std::optional<std::string> NSBundle::pathForResource(const std::string& name,
                                                     const std::string& type) const {
    std::string file = type.empty() ? name : name + "." + type;
    if (file.empty() || file == "." || file == ".." ||
        file.find_first_of(std::string("/\0", 2)) != std::string::npos)
        return std::nullopt;
    if (vouch_ && !vouch_(file))
        return std::nullopt;
    std::string path = directory_ + "/" + file;
    // The bundle's own folder may be reached through a link (installed data often is), but a
    // file inside it is handed to a player only if it really is there: a link in a pack's
    // folder would hand out whatever it points to.
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;
    return path;
}

std::shared_ptr<NSURL> NSBundle::URLForResource(const std::string& name,
                                                const std::string& extension) const {
    auto path = pathForResource(name, extension);
    return path ? NSURL::fileURLWithPath(*path) : nullptr;
}

std::optional<NSPropertyListValue> NSBundle::objectForInfoDictionaryKey(
    const std::string& key) const {
    auto found = info_.find(key);
    if (found == info_.end())
        return std::nullopt;
    return found->second;
}
