#include "run/ApplicationClasses.h"

#include "app/AppDelegate.h"
#include "gate/UIAlertControllerParentalGate.h"
#include "music/MusicViewController.h"
#include "platform/ui/UIClassRegistry.h"
#include "screens/FadingScrollView.h"
#include "screens/LotsMoreViewController.h"
#include "screens/PacksViewController.h"
#include "screens/TheEndViewController.h"
#include "screens/TitleViewController.h"
#include "screens/ViewController.h"
#include "screens/Xmas2024ViewController.h"

void registerApplicationClasses() {
    UIClassRegistry::shared().registerApplicationDelegate(
        AppDelegate::kClassName, [] { return std::make_shared<AppDelegate>(); });
    ViewController::registerClass();
    Xmas2024ViewController::registerClass();
    TheEndViewController::registerClass();
    TitleViewController::registerClass();
    PacksViewController::registerClass();
    LotsMoreViewController::registerClass();
    FadingScrollView::registerClass();
    UIAlertControllerParentalGate::registerClass();
    MusicViewController::registerClass();
}
