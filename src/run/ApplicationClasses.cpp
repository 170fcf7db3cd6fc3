#include "run/ApplicationClasses.h"

#include "platform/ui/UIClassRegistry.h"
#include "story/app/AppDelegate.h"
#include "story/gate/UIAlertControllerParentalGate.h"
#include "story/music/MusicViewController.h"
#include "story/screens/CaptionStyleViewController.h"
#include "story/screens/FadingScrollView.h"
#include "story/screens/LotsMoreViewController.h"
#include "story/screens/PacksViewController.h"
#include "story/screens/TheEndViewController.h"
#include "story/screens/TitleViewController.h"
#include "story/screens/ViewController.h"
#include "story/screens/Xmas2024ViewController.h"

void registerApplicationClasses(const std::shared_ptr<PackLibrary>& packs) {
    UIClassRegistry::shared().registerApplicationDelegate(
        AppDelegate::kClassName, [] { return std::make_shared<AppDelegate>(); });
    ViewController::registerClass();
    Xmas2024ViewController::registerClass();
    TheEndViewController::registerClass();
    TitleViewController::registerClass();
    PacksViewController::registerClass(packs);
    CaptionStyleViewController::registerClass();
    LotsMoreViewController::registerClass();
    FadingScrollView::registerClass();
    UIAlertControllerParentalGate::registerClass();
    MusicViewController::registerClass();
}
