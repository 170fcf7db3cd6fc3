#pragma once

// Marks a text a family reads. The story keeps its English text, which is what its screens,
// tests and debug log see; the backend shows the text in the family's language, looking it up
// in the translation catalogues by this very English text (LocalizedText.h).
constexpr const char* NSLocalizedString(const char* text) {
    return text;
}
