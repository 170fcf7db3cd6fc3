#pragma once

#include <initializer_list>
#include <string>

// Marks a text a family reads. The story keeps its English text, which is what its screens,
// tests and debug log see; the backend shows the text in the family's language, looking it up
// in the translation catalogues by this very English text.
constexpr const char* NSLocalizedString(const char* text) {
    return text;
}

// `format`, a marked text, with "%1", "%2"... replaced by the arguments in that order. The
// backend recognises the format in the composed text and shows the format translated, with
// each argument translated too where the catalogues have it (a song's title stays as it is).
std::string localizedFormat(const char* format, std::initializer_list<std::string> arguments);
