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
    static const char* hex = "0123456789abcdef";
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\0':
                out += "\\0";
                break;
            default:
                if (c < 0x20 || c == 0x7f) {
                    out += "\\u{";
                    if (c >= 0x10)
                        out += hex[c >> 4];
                    out += hex[c & 15];
                    out += "}";
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    out += "\"";
    return out;
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
