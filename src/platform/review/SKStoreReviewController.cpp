#include "platform/review/SKStoreReviewController.h"

#include "platform/Platform.h"
#include "platform/PlatformBackend.h"

void SKStoreReviewController::requestReview() {
    Platform::backend().requestReview();
}
