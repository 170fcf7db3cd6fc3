#include "packs/ContentModule.h"

#include "packs/ContentService.h"

extern "C" ResourceService* larkspireMakeContentService(const ContentServiceOptions* options) {
    return new ContentService(*options);
}
