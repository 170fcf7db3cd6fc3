#include "gate/UIAlertControllerParentalGate.h"

#include "platform/UIClassRegistry.h"

void UIAlertControllerParentalGate::registerClass() {
    UIControllerClass<UIAlertControllerParentalGate>(kClassName).registerClass();
}
