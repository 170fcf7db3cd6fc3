#pragma once

#include <memory>
#include <optional>
#include <string>

class NSURL {
public:
    static std::shared_ptr<NSURL> fileURLWithPath(const std::string& path);
    // A URL from text: absent when the text is not an absolute URL with a scheme.
    static std::shared_ptr<NSURL> URLWithString(const std::string& text);

    const std::string& absoluteString() const { return text_; }
    bool isFileURL() const { return isFile_; }
    // The file-system path of a file URL; empty otherwise.
    const std::string& path() const { return path_; }

private:
    NSURL(std::string text, std::string path, bool isFile)
        : text_(std::move(text)), path_(std::move(path)), isFile_(isFile) {}

    std::string text_;
    std::string path_;
    bool isFile_;
};
