#include "run/DataFolders.h"

#include <cstdlib>

namespace fs = std::filesystem;

namespace {

fs::path fromEnvironment(const char* name, const fs::path& fallback) {
    const char* value = std::getenv(name);
    return value && *value ? fs::path(value) : fallback;
}

// A folder of the installation the running executable belongs to, however it was reached (a
// symbolic link in /usr/bin, say): <prefix>/<folder>/larkspire.
fs::path besideExecutable(const char* folder) {
    std::error_code error;
    fs::path executable = fs::read_symlink("/proc/self/exe", error);
    if (error)
        return fs::path(folder) / "larkspire";
    return (executable.parent_path().parent_path() / folder / "larkspire").lexically_normal();
}

}  // namespace

DataFolders findDataFolders() {
    fs::path root = fromEnvironment("LARKSPIRE_DATA_DIR", besideExecutable("share"));
    DataFolders folders;
    folders.interfaceDirectory = fromEnvironment("LARKSPIRE_UI_DIR", root / "ui");
    folders.bundleDirectory = fromEnvironment("LARKSPIRE_BUNDLE_DIR", root / "bundle");
    folders.translationsDirectory =
        fromEnvironment("LARKSPIRE_TRANSLATIONS_DIR", root / "translations");
    folders.packsDirectory = fromEnvironment("LARKSPIRE_PACKS_DIR", root / "packs");
    folders.tourScript = fromEnvironment("LARKSPIRE_TOUR_SCRIPT", root / "tour.scenario");
    folders.keysDirectory = fromEnvironment("LARKSPIRE_KEYS_DIR", root / "keys");
    folders.contentModule = fromEnvironment("LARKSPIRE_CONTENT_MODULE",
                                            besideExecutable("lib") / "larkspire-ondemand.so");
    folders.mediaModule =
        fromEnvironment("LARKSPIRE_MEDIA_MODULE", besideExecutable("lib") / "larkspire-media.so");
    const char* url = std::getenv("LARKSPIRE_CONTENT_URL");
    folders.contentURL =
        url && *url ? std::string(url) : "file://" + fs::absolute(folders.packsDirectory).string();
    return folders;
}
