#include "platform/foundation/NSObject.h"

void NSObject::observeValueForKeyPath(const std::optional<std::string>&,
                                      const std::shared_ptr<NSObject>&, const NSKeyValueChange&,
                                      void*) {}
