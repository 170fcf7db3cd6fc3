#pragma once

#include <QString>
#include <QTranslator>
#include <string>
#include <vector>

// The language the application speaks, and its catalogue installed for every text shown: the
// one the family chose, else the desktop's (LANGUAGE, LC_ALL, LC_MESSAGES, LANG, as Qt's locale
// reads them), else English, the language the texts are written in. Numbers follow it, and a
// right-to-left language lays the window out from the right. The choice is kept between runs
// in a file of its own beside the window's state, {"language": "de"}, never in the settings.
class QtLanguage {
public:
    // `folder` holds the catalogues, larkspire_<language>.qm; an empty `choiceFile` keeps the
    // choice for the run only. A damaged choice file is named in one debug line and ignored.
    QtLanguage(QString folder, std::string choiceFile);
    ~QtLanguage();
    QtLanguage(const QtLanguage&) = delete;
    QtLanguage& operator=(const QtLanguage&) = delete;

    // Speaks `language` ("de", "ar"...; empty: the desktop's) from now on, English when it has no
    // catalogue, and says so on the debug log. Widgets hear of a change as Qt tells them.
    void use(const QString& language);
    // Uses `language` and keeps it as the family's choice.
    void choose(const std::string& language);
    const std::string& chosen() const { return chosen_; }
    // "en" while English is spoken.
    const QString& spoken() const { return spoken_; }
    // English and every language with a catalogue, English first.
    std::vector<std::string> available() const;

private:
    bool load(const QString& language);

    QString folder_;
    std::string choiceFile_;
    std::string chosen_;
    QTranslator translator_;
    bool installed_ = false;
    QString spoken_ = "en";
};
