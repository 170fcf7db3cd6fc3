#include "backends/qt/media/QtOutputDevices.h"

#include <gst/gst.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAudioDevice>
#include <QMediaDevices>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

namespace {

// The kernel's list of sound cards reads so when it has none; without sound support it is not
// there.
bool kernelHasSoundCard() {
    std::ifstream cards("/proc/asound/cards");
    std::string first;
    return std::getline(cards, first) && first.find("no soundcards") == std::string::npos;
}

}  // namespace

QtOutputDevices::QtOutputDevices() {
    static std::once_flag once;
    std::call_once(once, [] {
        gst_init(nullptr, nullptr);
        GstRegistry* registry = gst_registry_get();
        GList* providers = gst_device_provider_factory_list_get_device_providers(GST_RANK_NONE);
        for (GList* each = providers; each; each = each->next) {
            auto* factory = GST_DEVICE_PROVIDER_FACTORY(each->data);
            if (!gst_device_provider_factory_has_classes(factory, "Audio/Sink"))
                gst_registry_remove_feature(registry, GST_PLUGIN_FEATURE(factory));
        }
        gst_plugin_feature_list_free(providers);
    });
}

bool QtOutputDevices::soundCanBeHeard() const {
    return kernelHasSoundCard() ||
           (soundServerMayListen() && !QMediaDevices::audioOutputs().isEmpty());
}

bool QtOutputDevices::soundServerMayListen() {
    if (qEnvironmentVariableIsSet("PULSE_SERVER"))
        return true;
    std::vector<std::string> sockets{"/run/user/" + std::to_string(::getuid()) + "/pulse/native",
                                     "/var/run/pulse/native"};
    if (const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR"); !runtime.isEmpty())
        sockets.insert(sockets.begin(), runtime.toStdString() + "/pulse/native");
    for (const auto& socket : sockets) {
        struct stat info {};
        if (::stat(socket.c_str(), &info) == 0 && S_ISSOCK(info.st_mode))
            return true;
    }
    return false;
}
