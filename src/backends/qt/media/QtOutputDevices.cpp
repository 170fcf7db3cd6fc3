#include "backends/qt/media/QtOutputDevices.h"

#include <gst/gst.h>

#include <QAudioDevice>
#include <QMediaDevices>
#include <fstream>
#include <mutex>
#include <string>

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
    return !QMediaDevices::audioOutputs().isEmpty() || kernelHasSoundCard();
}
