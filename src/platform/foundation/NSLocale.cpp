#include "platform/foundation/NSLocale.h"

#include "platform/Platform.h"
#include "platform/PlatformBackend.h"

namespace NSLocale {

std::vector<std::string> availableLanguages() {
    return Platform::backend().languages();
}

std::string chosenLanguage() {
    return Platform::backend().chosenLanguage();
}

void chooseLanguage(const std::string& language) {
    Platform::backend().chooseLanguage(language);
}

std::string spokenLanguage() {
    return Platform::backend().spokenLanguage();
}

std::string nativeName(const std::string& language) {
    return Platform::backend().nativeLanguageName(language);
}

}  // namespace NSLocale
