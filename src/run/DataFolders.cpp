#include "run/DataFolders.h"

#include <cstdlib>

namespace fs = std::filesystem;

namespace {

fs::path fromEnvironment(const char* name, const fs::path& fallback) {
    const char* value = std::getenv(name);
    return value && *value ? fs::path(value) : fallback;
}

// The data folder beside the running executable, however it was reached (a
// symbolic link in /usr/bin, say).
fs::path besideExecutable() {
    std::error_code error;
    fs::path executable = fs::read_symlink("/proc/self/exe", error);
    if (error)
        return fs::path("share") / "larkspire";
    return (executable.parent_path().parent_path() / "share" / "larkspire").lexically_normal();
}

}  // namespace

DataFolders findDataFolders() {
    fs::path root = fromEnvironment("LARKSPIRE_DATA_DIR", besideExecutable());
    DataFolders folders;
    folders.interfaceDirectory = fromEnvironment("LARKSPIRE_UI_DIR", root / "ui");
    folders.bundleDirectory = fromEnvironment("LARKSPIRE_BUNDLE_DIR", root / "bundle");
    folders.packsDirectory = fromEnvironment("LARKSPIRE_PACKS_DIR", root / "packs");
    folders.tourScript = fromEnvironment("LARKSPIRE_TOUR_SCRIPT", root / "tour.scenario");
    const char* url = std::getenv("LARKSPIRE_CONTENT_URL");
    folders.contentURL =
        url && *url ? std::string(url) : "file://" + fs::absolute(folders.packsDirectory).string();
    return folders;
}
