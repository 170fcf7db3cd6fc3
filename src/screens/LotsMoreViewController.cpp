#include "screens/LotsMoreViewController.h"

#include "platform/UIClassRegistry.h"

void LotsMoreViewController::registerClass() {
    UIControllerClass<LotsMoreViewController>(kClassName).registerClass();
}
