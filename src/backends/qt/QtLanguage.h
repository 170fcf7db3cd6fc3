#pragma once

#include <QString>
#include <QTranslator>

// The language the application speaks, and its catalogue installed for every text shown: the
// one asked for, else the desktop's (LANGUAGE, LC_ALL, LC_MESSAGES, LANG, as Qt's locale reads
// them), else English, the language the texts are written in. Numbers follow it, and a
// right-to-left language lays the window out from the right.
class QtLanguage {
public:
    // Speaks the desktop's language. `folder` holds the catalogues, larkspire_<language>.qm.
    explicit QtLanguage(QString folder);
    ~QtLanguage();
    QtLanguage(const QtLanguage&) = delete;
    QtLanguage& operator=(const QtLanguage&) = delete;

    // Speaks `language` ("de", "ar"...; empty: the desktop's) from now on, English when it has no
    // catalogue, and says so on the debug log. Widgets hear of a change as Qt tells them.
    void use(const QString& language);
    // "en" while English is spoken.
    const QString& spoken() const { return spoken_; }

private:
    bool load(const QString& language);

    QString folder_;
    QTranslator translator_;
    bool installed_ = false;
    QString spoken_ = "en";
};
