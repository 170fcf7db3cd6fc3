#pragma once

#include <filesystem>
#include <string>

// Where the application's data lies. Installed, <prefix>/bin/larkspire reads
// <prefix>/share/larkspire; the build lays out the same folder beside its
// src/ folder, so a build runs as it would installed. The environment can
// name the whole folder (LARKSPIRE_DATA_DIR) or any one part.
struct DataFolders {
    std::filesystem::path interfaceDirectory;  // LARKSPIRE_UI_DIR
    std::filesystem::path bundleDirectory;     // LARKSPIRE_BUNDLE_DIR
    // The compiled translation catalogues, larkspire_<language>.qm.
    std::filesystem::path translationsDirectory;  // LARKSPIRE_TRANSLATIONS_DIR
    // The built on-demand packs, one folder per tag: the default content
    // source, and what a scripted run installs.
    std::filesystem::path packsDirectory;  // LARKSPIRE_PACKS_DIR
    std::filesystem::path tourScript;      // LARKSPIRE_TOUR_SCRIPT
    // The publisher keys whose packs the application installs ("*.pub" files): the key the
    // build signed the packs above with, and any a publisher ships.
    std::filesystem::path keysDirectory;  // LARKSPIRE_KEYS_DIR
    std::string contentURL;               // LARKSPIRE_CONTENT_URL, else the packs as file://
    // The on-demand service's module: <prefix>/lib/larkspire/larkspire-ondemand.so, which the
    // build lays out likewise.
    std::filesystem::path contentModule;  // LARKSPIRE_CONTENT_MODULE
    std::filesystem::path mediaModule;    // LARKSPIRE_MEDIA_MODULE
};

DataFolders findDataFolders();
