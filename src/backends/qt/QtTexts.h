#pragma once

#include <QString>
#include <optional>
#include <string>

class QAbstractButton;
class QFont;
class QLabel;
class QRect;

// What a family reads, in the language the application speaks now. Texts come as the story wrote
// them, in English, and the installed catalogue finds each by those words. A composed text
// ("Now playing: Mend the Sky") is recognised by its format, whose translation is shown with
// each argument translated where the catalogue has it: a song's title stays as it is, a size is
// written the language's way. Without a catalogue, or for a text it lacks, the English shows.
namespace qttexts {

QString shown(const std::string& english);

// A size as the panel writes it ("1.5 MB", "800 bytes") in the language's way, or nothing when
// `text` is no such size.
std::optional<QString> shownSize(const QString& text);

// Whether `text` shows whole in `room` with `font`, wrapped at words or on one line: no word
// sticks out and no line is cut off at the bottom. A label's, with the font it has now.
bool fits(const QString& text, const QFont& font, const QRect& room, bool wrapped);
bool fits(const QLabel& label);
// Whether a button's title fits inside its border and padding, in the font it has now.
bool fits(const QAbstractButton& button);

}  // namespace qttexts
