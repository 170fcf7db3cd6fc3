#include "platform/foundation/LocalizedText.h"

#include <cstdio>

#include "platform/foundation/NSLocalizedString.h"

LocalizedText localizedFormat(const char* format, std::vector<LocalizedText::Argument> arguments) {
    return LocalizedText::marked(format, std::move(arguments));
}

LocalizedText LocalizedText::marked(std::string format) {
    return marked(std::move(format), {});
}

LocalizedText LocalizedText::marked(std::string format, std::vector<Argument> arguments) {
    LocalizedText text;
    text.format_ = std::move(format);
    text.arguments_ = std::move(arguments);
    return text;
}

LocalizedText LocalizedText::name(std::string text) {
    LocalizedText name;
    name.format_ = std::move(text);
    name.name_ = true;
    return name;
}

bool LocalizedText::operator==(const LocalizedText& other) const {
    return format_ == other.format_ && name_ == other.name_ && arguments_ == other.arguments_;
}

LocalizedText::Size LocalizedText::sizeOf(std::uint64_t bytes) {
    static constexpr const char* kUnits[] = {NSLocalizedString("bytes"), NSLocalizedString("kB"),
                                             NSLocalizedString("MB"), NSLocalizedString("GB"),
                                             NSLocalizedString("TB")};
    double value = static_cast<double>(bytes);
    std::size_t unit = 0;
    while (value >= 1000.0 && unit + 1 < std::size(kUnits)) {
        value /= 1000.0;
        ++unit;
    }
    return {unit == 0 ? static_cast<double>(bytes) : value, unit == 0, kUnits[unit]};
}

std::string LocalizedText::Argument::english() const {
    if (const auto* text = std::get_if<LocalizedText>(&value))
        return text->english();
    if (const auto* number = std::get_if<long long>(&value))
        return std::to_string(*number);
    auto size = sizeOf(std::get<ByteCount>(value).bytes);
    char written[48];
    if (size.whole)
        std::snprintf(written, sizeof written, "%llu %s",
                      static_cast<unsigned long long>(std::get<ByteCount>(value).bytes), size.unit);
    else
        std::snprintf(written, sizeof written, "%.1f %s", size.value, size.unit);
    return written;
}

std::string LocalizedText::english() const {
    if (name_)
        return format_;
    std::string text;
    // In one pass, so that an argument holding "%2" stays as it is.
    for (std::size_t at = 0; at < format_.size(); ++at) {
        const char next = at + 1 < format_.size() ? format_[at + 1] : '\0';
        const bool placeholder = format_[at] == '%' && next >= '1' && next <= '9' &&
                                 static_cast<std::size_t>(next - '1') < arguments_.size();
        if (placeholder) {
            text += arguments_[static_cast<std::size_t>(next - '1')].english();
            ++at;
        } else {
            text += format_[at];
        }
    }
    return text;
}
