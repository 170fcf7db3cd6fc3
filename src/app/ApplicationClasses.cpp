#include "app/ApplicationClasses.h"

#include "app/AppDelegate.h"
#include "platform/UIClassRegistry.h"

void registerApplicationClasses() {
    UIClassRegistry::shared().registerApplicationDelegate(
        AppDelegate::kClassName, [] { return std::make_shared<AppDelegate>(); });
}
