#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

// What a family reads, as a format with its arguments: the story writes the format in English,
// which is also the catalogues' id for it, and each backend renders it. The English rendering
// (english()) is what the story, the simulated backend, the debug log, the terminal and the tests
// see; the real backend translates the format and writes each argument the language's way.
class LocalizedText {
public:
    // A number of bytes, written as a parent reads a size ("800 bytes", "1.5 MB").
    struct ByteCount {
        std::uint64_t bytes = 0;
        bool operator==(const ByteCount&) const = default;
    };
    // What "%1", "%2"... stand for: another text (a name among them), a number or a size.
    struct Argument;

    // Both defined below Argument, which a vector of them needs complete.
    LocalizedText();
    // A text of the catalogues without arguments, as NSLocalizedString marks it.
    LocalizedText(const char* format);  // NOLINT: implicit
    // A text of the catalogues whose words come at run time (an interface description's). Two
    // overloads rather than a default argument, for the same reason.
    static LocalizedText marked(std::string format);
    static LocalizedText marked(std::string format, std::vector<Argument> arguments);
    // A name, shown as it stands in every language: a song's title, a file's name.
    static LocalizedText name(std::string text);

    bool empty() const { return format_.empty(); }
    bool isName() const { return name_; }
    // The English words with "%1"... in place of the arguments, or the name.
    const std::string& format() const { return format_; }
    const std::vector<Argument>& arguments() const { return arguments_; }
    std::string english() const;
    bool operator==(const LocalizedText& other) const;

    // A size as a number of its unit and the unit, both as English writes them: bytes below
    // 1000, else kB, MB, GB or TB (powers of 1000) with one decimal.
    struct Size {
        double value = 0;
        bool whole = true;  // bytes are written without a decimal
        const char* unit = "bytes";
    };
    static Size sizeOf(std::uint64_t bytes);

private:
    std::string format_;
    bool name_ = false;
    std::vector<Argument> arguments_;
};

struct LocalizedText::Argument {
    Argument(LocalizedText text) : value(std::move(text)) {}        // NOLINT: implicit
    Argument(const char* format) : value(LocalizedText(format)) {}  // NOLINT: implicit
    Argument(ByteCount size) : value(size) {}                       // NOLINT: implicit
    template <typename Number, typename = std::enable_if_t<std::is_integral_v<Number>>>
    Argument(Number number) : value(static_cast<long long>(number)) {}  // NOLINT: implicit

    std::string english() const;
    bool operator==(const Argument&) const = default;

    std::variant<LocalizedText, long long, ByteCount> value;
};

inline LocalizedText::LocalizedText() = default;
inline LocalizedText::LocalizedText(const char* format) : format_(format ? format : "") {}

// `format`, a marked text, with "%1", "%2"... standing for the arguments in that order.
LocalizedText localizedFormat(const char* format, std::vector<LocalizedText::Argument> arguments);
