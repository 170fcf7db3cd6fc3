#pragma once

#include <gtest/gtest.h>

#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/UIView.h"
#include "platform/qt/QtBackend.h"
#include "platform/qt/QtViewPeer.h"
#include "platform/sim/SimResourceService.h"

class AppDelegate;
class QtButton;
class QtWindow;
class UIViewController;

// A fresh platform on the Qt backend for each test, with real widgets on the
// offscreen platform: a scratch folder with the bundle, the settings, the
// platform's state and the on-demand packs (finished when the test says so),
// the interface descriptions of ui/, every application class registered, an
// AppDelegate as the application's delegate, and the debug log captured.
class QtFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs the event loop until `done` holds or `timeoutMs` have passed; true when done.
    static bool waitUntil(const std::function<bool()>& done, int timeoutMs);
    // Runs the event loop for a while.
    static void spin(int milliseconds);

    void addSampleBundledFile(const std::string& samplePath);
    // The pack's files come from media/packs/<tag>.
    void addSamplePack(const std::string& tag);

    // Puts a screen of the interface descriptions in the window as the root.
    std::shared_ptr<UIViewController> showScreen(const std::string& identifier);
    QtWindow& window() const;
    // A button of the screen on top of the stage, by identifier or title.
    QtButton* button(const std::string& identifierOrTitle) const;
    // The widget that shows a view.
    static QWidget* widgetOf(const std::shared_ptr<UIView>& view);
    template <typename Widget>
    static Widget* widgetOf(const std::shared_ptr<UIView>& view) {
        return dynamic_cast<Widget*>(widgetOf(view));
    }
    bool logHas(const std::string& line) const;
    // The widgets of a class below `root`. The backend's widget classes have no meta-object of
    // their own, so findChildren cannot tell them from their Qt base classes.
    template <typename Widget>
    static std::vector<Widget*> widgetsIn(QWidget* root) {
        std::vector<Widget*> found;
        for (QWidget* child : root->findChildren<QWidget*>()) {
            if (auto* widget = dynamic_cast<Widget*>(child))
                found.push_back(widget);
        }
        return found;
    }

    std::filesystem::path scratch;
    std::shared_ptr<QtBackend> backend;
    std::shared_ptr<SimResourceService> resources;
    std::shared_ptr<AppDelegate> appDelegate;
    std::vector<std::string> log;
    std::vector<std::string> openedURLs;

private:
    std::shared_ptr<void> keepWindow_;
};
