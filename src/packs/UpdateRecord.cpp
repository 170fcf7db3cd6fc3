#include "packs/UpdateRecord.h"

#include <charconv>

#include "packs/ContentError.h"
#include "packs/FileIo.h"

namespace {

constexpr std::string_view kHeader = "larkspire-update-check 1";

// The value of the line "<label> <value>" at the front of `text`, which it then leaves.
std::optional<std::string_view> take(std::string_view& text, std::string_view label) {
    auto end = text.find('\n');
    if (end == std::string_view::npos || !text.starts_with(label) ||
        (end > label.size() && text[label.size()] != ' '))
        return std::nullopt;
    auto value = end > label.size() ? text.substr(label.size() + 1, end - label.size() - 1)
                                    : std::string_view();
    text.remove_prefix(end + 1);
    return value;
}

}  // namespace

std::optional<UpdateRecord> UpdateRecord::parse(std::string_view text) {
    if (text.size() > kMaxSize || !take(text, kHeader))
        return std::nullopt;
    UpdateRecord record;
    auto checked = take(text, "checked");
    auto sha = checked ? take(text, "manifest") : std::nullopt;
    auto etag = sha ? take(text, "etag") : std::nullopt;
    auto lastModified = etag ? take(text, "last-modified") : std::nullopt;
    if (!lastModified || !text.empty())
        return std::nullopt;
    auto [end, error] =
        std::from_chars(checked->data(), checked->data() + checked->size(), record.checked);
    if (error != std::errc() || end != checked->data() + checked->size())
        return std::nullopt;
    record.manifestSha256 = *sha;
    record.validators = {std::string(*etag), std::string(*lastModified)};
    return record;
}

std::string UpdateRecord::text() const {
    return std::string(kHeader) + "\nchecked " + std::to_string(checked) + "\nmanifest " +
           manifestSha256 + "\netag " + validators.etag + "\nlast-modified " +
           validators.lastModified + "\n";
}

std::optional<UpdateRecord> UpdateRecord::load(const std::filesystem::path& cacheDirectory,
                                               const std::string& tag) {
    try {
        auto folder = DirectoryHandle::openRoot(cacheDirectory).find(kFolderName);
        auto text = folder ? folder->readFile(tag, kMaxSize) : std::nullopt;
        return text ? parse(*text) : std::nullopt;
    } catch (const ContentError&) {
        return std::nullopt;
    }
}

void UpdateRecord::save(const std::filesystem::path& cacheDirectory, const std::string& tag) const {
    // A validator with a line break in it would end its line: it is kept as none.
    UpdateRecord kept = *this;
    for (auto* value : {&kept.validators.etag, &kept.validators.lastModified}) {
        if (!Fetcher::isHeaderValue(*value))
            value->clear();
    }
    try {
        DirectoryHandle::openRoot(cacheDirectory).make(kFolderName).replaceFile(tag, kept.text());
    } catch (const ContentError&) {
    }
}
