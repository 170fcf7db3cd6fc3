#include "backends/qt/media/QtMediaKit.h"

// What the application looks up once it has loaded the module.
extern "C" __attribute__((visibility("default"))) QtMedia* larkspire_qt_media() {
    return &linkedQtMedia();
}
