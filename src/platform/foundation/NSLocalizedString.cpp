#include "platform/foundation/NSLocalizedString.h"

#include <vector>

std::string localizedFormat(const char* format, std::initializer_list<std::string> arguments) {
    const std::vector<std::string> values(arguments);
    std::string text;
    for (const char* at = format; *at != '\0'; ++at) {
        const bool placeholder = at[0] == '%' && at[1] >= '1' && at[1] <= '9' &&
                                 static_cast<std::size_t>(at[1] - '1') < values.size();
        if (placeholder) {
            text += values[static_cast<std::size_t>(at[1] - '1')];
            ++at;
        } else {
            text += *at;
        }
    }
    return text;
}
