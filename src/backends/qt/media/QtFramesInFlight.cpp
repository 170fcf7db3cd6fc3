#include "backends/qt/media/QtFramesInFlight.h"

#include <gst/gst.h>

#include <cstring>
#include <mutex>

namespace {

bool isVideoDecoder(GstElement* element) {
    const char* klass =
        gst_element_class_get_metadata(GST_ELEMENT_GET_CLASS(element), GST_ELEMENT_METADATA_KLASS);
    return klass && std::strstr(klass, "Decoder") && std::strstr(klass, "Video");
}

void elementMade(GstTracer*, guint64, GstElement* element) {
    if (std::strcmp(G_OBJECT_TYPE_NAME(element), "GstQueue") == 0)
        g_object_set(element, "max-size-bytes", guint(QtFramesInFlight::kQueueBytes), nullptr);
    // libav's decoders name their thread count so; other decoders keep their own ways.
    else if (isVideoDecoder(element) &&
             g_object_class_find_property(G_OBJECT_GET_CLASS(element), "max-threads"))
        g_object_set(element, "max-threads", QtFramesInFlight::kDecoderThreads, nullptr);
}

// GStreamer calls hooks through a tracer object, which needs a type of its own.
struct LarkspireFramesTracer {
    GstTracer parent;
};
struct LarkspireFramesTracerClass {
    GstTracerClass parentClass;
};
G_DEFINE_TYPE(LarkspireFramesTracer, larkspire_frames_tracer, GST_TYPE_TRACER)
void larkspire_frames_tracer_class_init(LarkspireFramesTracerClass*) {}
void larkspire_frames_tracer_init(LarkspireFramesTracer*) {}

}  // namespace

QtFramesInFlight::QtFramesInFlight() {
    static std::once_flag once;
    std::call_once(once, [] {
        gst_init(nullptr, nullptr);
        auto* tracer =
            static_cast<GstTracer*>(g_object_new(larkspire_frames_tracer_get_type(), nullptr));
        gst_tracing_register_hook(tracer, "element-new", G_CALLBACK(elementMade));
    });
}
