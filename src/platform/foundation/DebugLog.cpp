#include "platform/foundation/DebugLog.h"

#include <cstdio>
#include <mutex>

namespace {

std::mutex gLogMutex;
std::function<void(const std::string&)> gSink;

void writeLine(const std::string& line) {
    std::lock_guard lock(gLogMutex);
    if (gSink) {
        gSink(line);
        return;
    }
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

}  // namespace

std::string debugDescription(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        const char* escape = c == '"'    ? "\\\""
                             : c == '\\' ? "\\\\"
                             : c == '\n' ? "\\n"
                             : c == '\r' ? "\\r"
                             : c == '\t' ? "\\t"
                             : c == '\0' ? "\\0"
                                         : nullptr;
        char code[8];
        if (!escape && (c < 0x20 || c == 0x7f)) {
            std::snprintf(code, sizeof code, "\\u{%x}", c);
            escape = code;
        }
        if (escape)
            out += escape;
        else
            out += static_cast<char>(c);
    }
    return out + "\"";
}

void print(const std::string& text) {
    writeLine(text);
}

void debugPrint(const std::string& text) {
    writeLine(debugDescription(text));
}

void setDebugLogSink(std::function<void(const std::string&)> sink) {
    std::lock_guard lock(gLogMutex);
    gSink = std::move(sink);
}
