#include "story/screens/LotsMoreViewController.h"

#include "platform/ui/UIClassRegistry.h"

void LotsMoreViewController::registerClass() {
    UIControllerClass<LotsMoreViewController>(kClassName).registerClass();
}
