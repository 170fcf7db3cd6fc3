#include "packs/ResumeRecord.h"

#include <nlohmann/json.hpp>

KeptFile KeptFile::from(const PackFile& file, const VerifiedFileWriter::Prefix& prefix,
                        const Fetcher::Head& head, const KeptFile* earlier) {
    KeptFile kept{file, prefix.bytes, prefix.sha256, head.etag, head.lastModified};
    if (earlier && head.etag.empty() && head.lastModified.empty()) {
        kept.etag = earlier->etag;
        kept.lastModified = earlier->lastModified;
    }
    return kept;
}

bool KeptFile::sameServerFile(const Fetcher::Head& head) const {
    if (!etag.empty() && !head.etag.empty())
        return etag == head.etag;
    if (!lastModified.empty() && !head.lastModified.empty())
        return lastModified == head.lastModified;
    return true;  // the whole-file hash still decides
}

namespace resumerecord {

std::vector<KeptFile> load(const DirectoryHandle& folder) {
    auto text = folder.readFile(kFileName, kMaxSize);
    if (!text)
        return {};
    auto document = nlohmann::json::parse(*text, nullptr, false);
    std::vector<KeptFile> kept;
    if (!document.is_array())
        return {};
    for (const auto& entry : document) {
        // A damaged entry costs its own file only: the others are still carried on from.
        try {
            KeptFile file;
            file.file.name = entry.at("name").get<std::string>();
            file.file.size = entry.at("size").get<std::uint64_t>();
            file.file.sha256 = entry.at("sha256").get<std::string>();
            file.bytes = entry.at("bytes").get<std::uint64_t>();
            file.prefixSha256 = entry.at("prefixSha256").get<std::string>();
            file.etag = entry.value("etag", "");
            file.lastModified = entry.value("lastModified", "");
            // Sent back in a header line: anything that could end that line is not a validator.
            if (!Fetcher::isHeaderValue(file.etag))
                file.etag.clear();
            if (!Fetcher::isHeaderValue(file.lastModified))
                file.lastModified.clear();
            if (PackManifest::isSafeName(file.file.name) && file.bytes <= file.file.size)
                kept.push_back(std::move(file));
        } catch (const nlohmann::json::exception&) {
        }
    }
    return kept;
}

void save(const DirectoryHandle& folder, const std::vector<KeptFile>& kept) {
    auto document = nlohmann::json::array();
    for (const auto& file : kept) {
        document.push_back({{"name", file.file.name},
                            {"size", file.file.size},
                            {"sha256", file.file.sha256},
                            {"bytes", file.bytes},
                            {"prefixSha256", file.prefixSha256},
                            {"etag", file.etag},
                            {"lastModified", file.lastModified}});
    }
    folder.replaceFile(kFileName, document.dump());
}

}  // namespace resumerecord
