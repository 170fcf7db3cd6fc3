#pragma once

#include <string>
#include <vector>

// The languages the window speaks. The family may choose one for this application, kept apart
// from the settings; none chosen follows the desktop. Tags are "en", "de", "ar"...
namespace NSLocale {

// Every language the window can speak, English first.
std::vector<std::string> availableLanguages();
// The language chosen for the window, or "" when it follows the desktop.
std::string chosenLanguage();
// Speaks `language` ("" the desktop's) from now on, on every screen at once.
void chooseLanguage(const std::string& language);
// The language spoken now.
std::string spokenLanguage();
// A language's name as its own speakers write it ("Deutsch"), so that anyone finds theirs.
std::string nativeName(const std::string& language);

}  // namespace NSLocale
