#include "platform/media/WebVTTCueText.h"

#include <gumbo.h>

#include <algorithm>

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// After its '&', a character reference is letters and digits (a name ending in ';') or '#',
// 'x' and digits: anything else ends it, and cannot change how HTML reads what came before.
bool mayBeInReference(char c) {
    char lower = static_cast<char>(c | 0x20);
    return isDigit(c) || (lower >= 'a' && lower <= 'z') || c == '#' || c == ';';
}

// The digits at `at`, moved past, and their value: held at a bound far beyond any time kept,
// so that a thousand digits do not overflow.
std::size_t digitsAt(std::string_view text, std::size_t& at, double& value) {
    std::size_t begin = at;
    for (value = 0; at < text.size() && isDigit(text[at]); ++at)
        value = std::min(value * 10 + (text[at] - '0'), 1e15);
    return at - begin;
}

// Each reference ("&amp", "&#39;x") as HTML reads it in text, all in one parse: a <br> after
// each ends it and keeps the texts apart. Only the references go in, not the text around them,
// which HTML would change (control characters become U+FFFD) and WebVTT keeps.
std::vector<std::string> decodeReferences(const std::vector<std::string_view>& references) {
    std::string html;
    for (auto reference : references)
        html.append(reference).append("<br>");
    GumboOptions options = kGumboDefaultOptions;
    options.fragment_context = GUMBO_TAG_DIV;
    options.fragment_namespace = GUMBO_NAMESPACE_HTML;
    GumboOutput* output = gumbo_parse_with_options(&options, html.data(), html.size());
    std::vector<std::string> decoded(references.size());
    std::size_t index = 0;
    const GumboVector& children = output->root->v.element.children;
    for (unsigned i = 0; i < children.length && index < decoded.size(); ++i) {
        const auto* node = static_cast<const GumboNode*>(children.data[i]);
        if (node->type == GUMBO_NODE_ELEMENT)
            ++index;
        else if (node->type == GUMBO_NODE_TEXT || node->type == GUMBO_NODE_WHITESPACE)
            decoded[index] += node->v.text.text;
    }
    gumbo_destroy_output(&options, output);
    return decoded;
}

}  // namespace

std::optional<double> readWebVTTTimestamp(std::string_view text, std::size_t& at) {
    auto separator = [&](char c) {
        if (at >= text.size() || text[at] != c)
            return false;
        ++at;
        return true;
    };
    double first = 0, second = 0, third = 0, fraction = 0;
    std::size_t firstDigits = digitsAt(text, at, first);
    if (firstDigits == 0)
        return std::nullopt;
    bool hours = firstDigits != 2 || first > 59;
    if (!separator(':') || digitsAt(text, at, second) != 2)
        return std::nullopt;
    if (hours || (at < text.size() && text[at] == ':')) {
        if (!separator(':') || digitsAt(text, at, third) != 2)
            return std::nullopt;
    } else {
        third = second;
        second = first;
        first = 0;
    }
    if (!separator('.') || digitsAt(text, at, fraction) != 3 || second > 59 || third > 59)
        return std::nullopt;
    return first * 3600 + second * 60 + third + fraction / 1000;
}

WebVTTCueText readWebVTTCueText(std::string_view payload) {
    // The cue in order: text as written, a reference still to decode, or a word time.
    struct Piece {
        std::string_view written;
        std::optional<double> word;
    };
    std::vector<Piece> pieces;
    std::vector<std::string_view> references;
    for (std::size_t i = 0; i < payload.size();) {
        // A tag runs to its '>' whatever it holds; only a timestamp tag, whole, means anything.
        if (payload[i] == '<') {
            std::size_t close = std::min(payload.find('>', i), payload.size());
            std::string_view tag = payload.substr(i + 1, close - i - 1);
            i = close + 1;
            std::size_t at = 0;
            auto time = readWebVTTTimestamp(tag, at);
            if (time && at == tag.size())
                pieces.push_back({{}, time});
            continue;
        }
        std::size_t end = std::min(payload.find_first_of("<&", i + 1), payload.size());
        if (payload[i] == '&') {
            end = i + 1;
            while (end < payload.size() && mayBeInReference(payload[end]))
                ++end;
            // A lone '&' stays as written without a parse: a file of them costs no more to read
            // than any other text.
            if (end == i + 1) {
                pieces.push_back({payload.substr(i, 1), std::nullopt});
                i = end;
                continue;
            }
            references.push_back(payload.substr(i, end - i));
        }
        pieces.push_back({payload.substr(i, end - i), std::nullopt});
        i = end;
    }
    auto decoded = references.empty() ? std::vector<std::string>() : decodeReferences(references);
    WebVTTCueText cue;
    std::size_t reference = 0;
    for (const auto& piece : pieces) {
        if (piece.word)
            cue.words.push_back({cue.text.size(), *piece.word});
        else if (piece.written.front() == '&' && piece.written.size() > 1)
            cue.text += decoded[reference++];
        else
            cue.text += piece.written;
    }
    return cue;
}
