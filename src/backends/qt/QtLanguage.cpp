#include "backends/qt/QtLanguage.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QLocale>
#include <QRegularExpression>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/DebugLog.h"

namespace {

// "de" of "de_DE", "de-DE" or "de_DE.UTF-8"; empty for the C locale and for anything that is
// no language's name, which never becomes part of a file's name.
QString languageOf(const QString& name) {
    static const QRegularExpression plain("^[a-z]{2,8}$");
    QString language = name.section(QRegularExpression("[-_.@]"), 0, 0).toLower();
    if (language == "c" || language == "posix" || !plain.match(language).hasMatch())
        return {};
    return language;
}

std::string readChoice(const std::string& file) {
    auto text = file.empty() ? std::nullopt : AtomicFile::read(file);
    if (!text)
        return {};
    try {
        return nlohmann::json::parse(*text).at("language").get<std::string>();
    } catch (const nlohmann::json::exception& error) {
        print("Language choice " + file + " ignored: " + error.what());
        return {};
    }
}

}  // namespace

QtLanguage::QtLanguage(QString folder, std::string choiceFile)
    : folder_(std::move(folder)),
      choiceFile_(std::move(choiceFile)),
      chosen_(readChoice(choiceFile_)) {
    use(QString::fromStdString(chosen_));
}

void QtLanguage::choose(const std::string& language) {
    chosen_ = language;
    use(QString::fromStdString(language));
    if (choiceFile_.empty())
        return;
    try {
        std::filesystem::create_directories(std::filesystem::path(choiceFile_).parent_path());
        AtomicFile::replace(choiceFile_, nlohmann::json{{"language", language}}.dump() + "\n");
    } catch (const std::exception& error) {
        print("Language choice " + choiceFile_ + " not saved: " + error.what());
    }
}

std::vector<std::string> QtLanguage::available() const {
    std::vector<std::string> languages{"en"};
    for (const auto& file : QDir(folder_).entryList({"larkspire_*.qm"}, QDir::Files, QDir::Name)) {
        QString language = languageOf(file.mid(10).chopped(3));
        if (!language.isEmpty() && language != "pseudo")
            languages.push_back(language.toStdString());
    }
    return languages;
}

QtLanguage::~QtLanguage() {
    if (installed_)
        QCoreApplication::removeTranslator(&translator_);
}

void QtLanguage::use(const QString& language) {
    QStringList wanted =
        language.isEmpty() ? QLocale::system().uiLanguages() : QStringList{language};
    QString first;
    QString found;
    for (const auto& name : wanted) {
        QString candidate = languageOf(name);
        if (candidate.isEmpty())
            continue;
        if (first.isEmpty())
            first = candidate;
        // Texts are written in English: it needs no catalogue, and stops the search.
        if (candidate == "en" || load(candidate)) {
            found = candidate;
            break;
        }
    }
    if (found.isEmpty() || found == "en") {
        if (installed_)
            QCoreApplication::removeTranslator(&translator_);
        installed_ = false;
        found = "en";
        if (!first.isEmpty() && first != "en")
            print("No catalogue for the language " + first.toStdString() + " in " +
                  folder_.toStdString() + "; the texts show in English");
    }
    spoken_ = found;
    QLocale::setDefault(found == "en" ? QLocale::c() : QLocale(found));
    QGuiApplication::setLayoutDirection(QLocale(found).textDirection());
}

bool QtLanguage::load(const QString& language) {
    if (installed_)
        QCoreApplication::removeTranslator(&translator_);
    // A damaged catalogue does not load, and one with no text is as good as none.
    installed_ = translator_.load("larkspire_" + language, folder_) && !translator_.isEmpty() &&
                 QCoreApplication::installTranslator(&translator_);
    return installed_;
}
