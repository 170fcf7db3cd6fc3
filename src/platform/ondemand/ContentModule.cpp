#include "platform/ondemand/ContentModule.h"

#include "platform/ondemand/ContentService.h"

extern "C" ResourceService* larkspireMakeContentService(const ContentServiceOptions* options) {
    return new ContentService(*options);
}
