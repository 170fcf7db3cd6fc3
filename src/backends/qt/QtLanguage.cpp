#include "backends/qt/QtLanguage.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLocale>
#include <QRegularExpression>

#include "platform/foundation/DebugLog.h"

namespace {

// "de" of "de_DE", "de-DE" or "de_DE.UTF-8"; empty for the C locale.
QString languageOf(const QString& name) {
    QString language = name.section(QRegularExpression("[-_.@]"), 0, 0).toLower();
    return language == "c" || language == "posix" ? QString() : language;
}

}  // namespace

QtLanguage::QtLanguage(QString folder) : folder_(std::move(folder)) {
    use({});
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
