#include "backends/qt/QtFrameQueueLimit.h"

#include <gst/gst.h>

#include <cstring>
#include <mutex>

namespace {

void elementMade(GstTracer*, guint64, GstElement* element) {
    if (std::strcmp(G_OBJECT_TYPE_NAME(element), "GstQueue") == 0)
        g_object_set(element, "max-size-bytes", guint(QtFrameQueueLimit::kBytes), nullptr);
}

// GStreamer calls hooks through a tracer object, which needs a type of its own.
struct LarkspireQueueTracer {
    GstTracer parent;
};
struct LarkspireQueueTracerClass {
    GstTracerClass parentClass;
};
G_DEFINE_TYPE(LarkspireQueueTracer, larkspire_queue_tracer, GST_TYPE_TRACER)
void larkspire_queue_tracer_class_init(LarkspireQueueTracerClass*) {}
void larkspire_queue_tracer_init(LarkspireQueueTracer*) {}

}  // namespace

QtFrameQueueLimit::QtFrameQueueLimit() {
    static std::once_flag once;
    std::call_once(once, [] {
        gst_init(nullptr, nullptr);
        auto* tracer =
            static_cast<GstTracer*>(g_object_new(larkspire_queue_tracer_get_type(), nullptr));
        gst_tracing_register_hook(tracer, "element-new", G_CALLBACK(elementMade));
    });
}
