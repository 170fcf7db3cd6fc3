#pragma once

#include "AppFixture.h"

#include <QWidget>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "backends/qt/QtBackend.h"
#include "backends/qt/QtViewPeer.h"
#include "backends/sim/SimResourceService.h"
#include "platform/ui/UIView.h"

class QtButton;
class QtWindow;
class UIViewController;

// The application on the Qt backend, with real widgets on the offscreen
// platform; on-demand packs are finished when the test says so.
class QtFixture : public AppFixture {
protected:
    void SetUp() override;
    void TearDown() override;
    void settle() override { spin(20); }
    // Closes the window and lets the event loop delete what it left; TearDown does it too.
    void closeBackend();
    // Changes the backend's options before the backend is made.
    virtual void configure(QtBackendOptions&) {}

    // Runs the event loop until `done` holds or `timeoutMs` have passed; true when done.
    static bool waitUntil(const std::function<bool()>& done, int timeoutMs);
    // Runs the event loop for a while.
    static void spin(int milliseconds);
    // The installed GStreamer plugins of these names, each with whether this process loaded it.
    static std::map<std::string, bool> pluginsLoaded(std::initializer_list<const char*> names);

    // The pack's files come from media/packs/<tag>.
    void addSamplePack(const std::string& tag);

    QtWindow& window() const;
    // A button of the screen on top of the stage, by identifier or title.
    QtButton* button(const std::string& identifierOrTitle) const;
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

    std::shared_ptr<QtBackend> backend;
    std::vector<std::string> openedURLs;
};
