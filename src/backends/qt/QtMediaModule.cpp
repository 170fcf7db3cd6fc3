#include "backends/qt/QtMediaModule.h"

#include <dlfcn.h>

#include <iostream>
#include <map>

#include "backends/qt/QtMedia.h"

QtMedia* loadQtMedia(const std::string& path) {
    // Main thread only, as every player is made there.
    static std::map<std::string, QtMedia*> loaded;
    if (auto found = loaded.find(path); found != loaded.end())
        return found->second;
    QtMedia* media = nullptr;
    void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    using Entry = QtMedia* (*)();
    auto entry = module ? reinterpret_cast<Entry>(::dlsym(module, kQtMediaEntry)) : nullptr;
    if (entry)
        media = entry();
    if (!media) {
        const char* error = ::dlerror();
        std::cerr << "larkspire: cannot load the media module " << path << ": "
                  << (error ? error : "it offers no media") << "; chapters and songs cannot play\n";
    }
    loaded.emplace(path, media);
    return media;
}
