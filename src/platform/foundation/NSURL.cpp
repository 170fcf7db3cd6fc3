#include "platform/foundation/NSURL.h"

#include <cctype>
#include <filesystem>

namespace {

std::string percentEncodePath(const std::string& path) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : path) {
        if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

bool hasScheme(const std::string& text) {
    auto colon = text.find(':');
    if (colon == std::string::npos || colon == 0 ||
        !std::isalpha(static_cast<unsigned char>(text[0])))
        return false;
    for (std::size_t i = 1; i < colon; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.')
            return false;
    }
    for (unsigned char c : text) {
        if (c <= ' ' || c == 0x7f)
            return false;
    }
    return true;
}

}  // namespace

std::shared_ptr<NSURL> NSURL::fileURLWithPath(const std::string& path) {
    std::string absolute = std::filesystem::absolute(path).lexically_normal().string();
    return std::shared_ptr<NSURL>(
        new NSURL("file://" + percentEncodePath(absolute), absolute, true));
}

std::shared_ptr<NSURL> NSURL::URLWithString(const std::string& text) {
    if (!hasScheme(text))
        return nullptr;
    return std::shared_ptr<NSURL>(new NSURL(text, "", false));
}
