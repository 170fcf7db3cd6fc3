#include "story/gate/UIAlertControllerParentalGate.h"

#include "platform/ui/UIClassRegistry.h"

void UIAlertControllerParentalGate::registerClass() {
    UIControllerClass<UIAlertControllerParentalGate>(kClassName).registerClass();
}
