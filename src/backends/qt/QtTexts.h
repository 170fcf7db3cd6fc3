#pragma once

#include <QString>
#include <string>

#include "platform/foundation/LocalizedText.h"

class QAbstractButton;
class QFont;
class QLabel;
class QRect;

// What a family reads, in the language the application speaks now. A text comes as a format
// the story wrote in English, which the installed catalogue finds by those words, with its
// arguments: each is written the language's way, a name as it stands, a number and a size by
// the window's locale, a nested text translated in turn. Without a catalogue, or for a format
// it lacks, the English shows.
namespace qttexts {

QString shown(const LocalizedText& text);

// What a field hands the story: while the window speaks Arabic, the digits an Arabic keyboard
// types (Arabic-Indic, and the Eastern forms of Persian and Urdu layouts) become 0 to 9, so that
// the story reads the number typed as it reads Western digits; anything else stays as typed.
QString typedText(const QString& typed);

// Whether `text` shows whole in `room` with `font`, wrapped at words or on one line: no word
// sticks out and no line is cut off at the bottom. A label's, with the font it has now.
bool fits(const QString& text, const QFont& font, const QRect& room, bool wrapped);
bool fits(const QLabel& label);
// Whether a button's title fits inside its border and padding, in the font it has now.
bool fits(const QAbstractButton& button);

}  // namespace qttexts
