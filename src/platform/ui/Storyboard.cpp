#include "platform/ui/Storyboard.h"

#include <functional>
#include <nlohmann/json.hpp>
#include <set>

#include "platform/foundation/AtomicFile.h"
#include "platform/ui/UIClassRegistry.h"
#include "platform/ui/UIView.h"
#include "platform/ui/UIViewController.h"

using nlohmann::json;

namespace {

[[noreturn]] void fail(const std::string& file, const std::string& problem) {
    throw InterfaceDescriptionError(file + ": " + problem);
}

std::string readFile(const std::string& path) {
    auto text = AtomicFile::read(path);
    if (!text)
        fail(path, "cannot be read");
    return *text;
}

json parseJson(const std::string& text, const std::string& file) {
    try {
        return json::parse(text);
    } catch (const json::exception& error) {
        fail(file, std::string("is not valid JSON: ") + error.what());
    }
}

double number(const json& value, const std::string& file, const std::string& what) {
    if (!value.is_number())
        fail(file, what + " must be a number");
    double n = value.get<double>();
    if (!(n > -1e6 && n < 1e6))
        fail(file, what + " is out of range");
    return n;
}

// Images are named by a relative path that cannot climb out of the folder it is looked up in.
bool isRelativePathInside(const std::string& path) {
    if (path.empty())
        return true;
    if (path.front() == '/' || path.back() == '/' || path.find('\0') != std::string::npos)
        return false;
    std::istringstream parts(path);
    for (std::string part; std::getline(parts, part, '/');) {
        if (part.empty() || part == "." || part == "..")
            return false;
    }
    return true;
}

std::string text(const json& object, const char* key, const std::string& file) {
    auto found = object.find(key);
    if (found == object.end())
        return {};
    if (!found->is_string())
        fail(file, std::string("\"") + key + "\" must be text");
    return found->get<std::string>();
}

const std::set<std::string> kViewKeys = {
    "class",  "id",          "frame",    "tag",       "hidden",    "background", "text",
    "title",  "placeholder", "fontSize", "alignment", "image",     "download",   "contentSize",
    "outlet", "action",      "navigate", "subviews",  "translate", "role"};

// The properties given as lists of numbers: frame, background and content size.
void parseGeometry(const json& object, const std::string& file, ViewDescription& view) {
    if (auto frame = object.find("frame"); frame != object.end()) {
        if (!frame->is_array() || frame->size() != 4)
            fail(file, "frame of '" + view.identifier + "' must be [x, y, width, height]");
        view.frame =
            CGRectMake(number((*frame)[0], file, "frame"), number((*frame)[1], file, "frame"),
                       number((*frame)[2], file, "frame"), number((*frame)[3], file, "frame"));
        if (view.frame.size.width < 0 || view.frame.size.height < 0)
            fail(file, "frame of '" + view.identifier + "' has a negative size");
    }
    if (auto background = object.find("background"); background != object.end()) {
        if (!background->is_array() || background->size() != 2)
            fail(file, "background must be [white, alpha]");
        view.background = CGColor{number((*background)[0], file, "background"),
                                  number((*background)[1], file, "background")};
    }
    if (auto size = object.find("contentSize"); size != object.end()) {
        if (!size->is_array() || size->size() != 2)
            fail(file, "contentSize must be [width, height]");
        view.contentSize = CGSize{number((*size)[0], file, "contentSize"),
                                  number((*size)[1], file, "contentSize")};
    }
}

ViewDescription parseView(const json& object, const std::string& file, int depth) {
    if (depth > 32)
        fail(file, "views are nested too deeply");
    if (!object.is_object())
        fail(file, "a view must be an object");
    for (auto& [key, value] : object.items()) {
        if (!kViewKeys.count(key))
            fail(file, "unknown view property '" + key + "'");
    }
    ViewDescription view;
    view.className = text(object, "class", file);
    if (view.className.empty())
        fail(file, "a view has no class");
    view.identifier = text(object, "id", file);
    if (auto tag = object.find("tag"); tag != object.end()) {
        if (!tag->is_number_integer())
            fail(file, "tag of '" + view.identifier + "' must be an integer");
        view.tag = tag->get<long long>();
    }
    if (auto hidden = object.find("hidden"); hidden != object.end()) {
        if (!hidden->is_boolean())
            fail(file, "hidden must be true or false");
        view.hidden = hidden->get<bool>();
    }
    if (auto translate = object.find("translate"); translate != object.end()) {
        if (!translate->is_boolean())
            fail(file, "translate must be true or false");
        view.textIsName = !translate->get<bool>();
    }
    view.text = text(object, "text", file);
    if (view.text.empty())
        view.text = text(object, "title", file);
    if (view.text.empty())
        view.text = text(object, "placeholder", file);
    if (auto size = object.find("fontSize"); size != object.end())
        view.fontSize = number(*size, file, "fontSize");
    view.alignment = text(object, "alignment", file);
    view.image = text(object, "image", file);
    if (!isRelativePathInside(view.image))
        fail(file, "image '" + view.image + "' must be a path inside the data folders");
    view.downloadTag = text(object, "download", file);
    parseGeometry(object, file, view);
    view.outlet = text(object, "outlet", file);
    view.action = text(object, "action", file);
    view.navigate = text(object, "navigate", file);
    view.role = text(object, "role", file);
    if (!view.role.empty() && view.role != "stop")
        fail(file, "role '" + view.role + "' is none the platform knows (\"stop\")");
    if (auto subviews = object.find("subviews"); subviews != object.end()) {
        if (!subviews->is_array())
            fail(file, "subviews must be a list");
        for (const auto& subview : *subviews)
            view.subviews.push_back(parseView(subview, file, depth + 1));
    }
    return view;
}

// Checks the view tree against the screen's class: every class, outlet and
// action named exists, and every outlet the screen needs is connected.
void checkView(const ViewDescription& view, const UIClassRegistry::ControllerClass& controller,
               const std::string& file, std::set<std::string>& connected) {
    auto prototype = UIClassRegistry::shared().makeView(view.className);
    if (!prototype)
        fail(file, "unknown view class '" + view.className + "'");
    if (!view.outlet.empty()) {
        auto outlet = controller.outlets.find(view.outlet);
        if (outlet == controller.outlets.end())
            fail(file, "unknown outlet '" + view.outlet + "' for class " + controller.name);
        if (!outlet->second.accepts(*prototype))
            fail(file, "outlet '" + view.outlet + "' cannot hold a " + view.className);
        if (!connected.insert(view.outlet).second)
            fail(file, "outlet '" + view.outlet + "' is connected twice");
    }
    if (!view.action.empty()) {
        if (!controller.actions.count(view.action))
            fail(file, "unknown action '" + view.action + "' for class " + controller.name);
        if (!dynamic_cast<UIButton*>(prototype.get()))
            fail(file, "action '" + view.action + "' needs a UIButton, not a " + view.className);
    }
    if (!view.navigate.empty() && !dynamic_cast<UIButton*>(prototype.get()))
        fail(file, "navigation needs a UIButton, not a " + view.className);
    for (const auto& subview : view.subviews)
        checkView(subview, controller, file, connected);
}

void checkNavigation(const ViewDescription& view, const Storyboard& storyboard,
                     const std::string& file) {
    if (!view.navigate.empty() && view.navigate != "back" &&
        !storyboard.screens().count(view.navigate))
        fail(file, "navigation to unknown screen '" + view.navigate + "'");
    for (const auto& subview : view.subviews)
        checkNavigation(subview, storyboard, file);
}

}  // namespace

ScreenDescription Storyboard::parseScreen(const std::string& source, const std::string& file) {
    json document = parseJson(source, file);
    if (!document.is_object())
        fail(file, "a screen description must be an object");
    for (auto& [key, value] : document.items()) {
        if (key != "id" && key != "class" && key != "view")
            fail(file, "unknown screen property '" + key + "'");
    }
    ScreenDescription screen;
    screen.file = file;
    screen.identifier = text(document, "id", file);
    screen.className = text(document, "class", file);
    if (screen.identifier.empty())
        fail(file, "the screen has no id");
    const auto* controller = UIClassRegistry::shared().controllerClass(screen.className);
    if (!controller)
        fail(file, "unknown class '" + screen.className + "'");
    if (!document.contains("view"))
        fail(file, "the screen has no view");
    screen.view = parseView(document["view"], file, 0);
    std::set<std::string> connected;
    checkView(screen.view, *controller, file, connected);
    for (const auto& [name, outlet] : controller->outlets) {
        if (outlet.required && !connected.count(name))
            fail(file, "outlet '" + name + "' of class " + controller->name + " is not connected");
    }
    return screen;
}

std::shared_ptr<Storyboard> Storyboard::load(const std::string& directory) {
    auto storyboard = std::make_shared<Storyboard>();
    storyboard->directory_ = directory;
    std::string indexFile = directory + "/storyboard.json";
    json index = parseJson(readFile(indexFile), indexFile);
    if (!index.is_object() || !index.contains("screens") || !index["screens"].is_array())
        fail(indexFile, "must list \"screens\"");
    storyboard->initial_ = text(index, "initialScreen", indexFile);
    storyboard->launch_ = text(index, "launchScreen", indexFile);
    for (const auto& entry : index["screens"]) {
        if (!entry.is_string())
            fail(indexFile, "screen entries must be file names");
        std::string name = entry.get<std::string>();
        if (name.empty() || name.find('/') != std::string::npos || name[0] == '.')
            fail(indexFile, "screen file '" + name + "' must be a file name in the folder");
        std::string path = directory + "/" + name;
        ScreenDescription screen = parseScreen(readFile(path), path);
        if (storyboard->screens_.count(screen.identifier))
            fail(path, "screen id '" + screen.identifier + "' is used twice");
        storyboard->screens_[screen.identifier] = std::move(screen);
    }
    for (const char* key : {"initialScreen", "launchScreen"}) {
        std::string name = text(index, key, indexFile);
        if (!storyboard->screens_.count(name))
            fail(indexFile, std::string(key) + " names unknown screen '" + name + "'");
    }
    for (const auto& [id, screen] : storyboard->screens_)
        checkNavigation(screen.view, *storyboard, screen.file);
    return storyboard;
}

namespace {

std::shared_ptr<UIView> buildView(const ViewDescription& description,
                                  const UIClassRegistry::ControllerClass& controllerClass,
                                  const std::shared_ptr<UIViewController>& controller,
                                  const std::weak_ptr<Storyboard>& storyboard) {
    auto view = UIClassRegistry::shared().makeView(description.className);
    view->setIdentifier(description.identifier);
    view->setTag(description.tag);
    view->setHidden(description.hidden);
    if (description.background)
        view->setBackgroundColor(*description.background);
    // A name (a song's title) stands as it is in every language; any other text is the
    // catalogues' to translate.
    auto text = description.textIsName ? LocalizedText::name(description.text)
                                       : LocalizedText::marked(description.text);
    if (auto label = std::dynamic_pointer_cast<UILabel>(view)) {
        label->setText(text);
        if (description.fontSize > 0)
            label->setFontSize(description.fontSize);
        if (!description.alignment.empty())
            label->setAlignment(description.alignment);
    } else if (auto button = std::dynamic_pointer_cast<UIButton>(view)) {
        button->setTitle(text);
        button->setRole(description.navigate == "back" ? UIButton::Role::back
                        : description.role == "stop"   ? UIButton::Role::stop
                                                       : UIButton::Role::none);
        button->setImageName(description.image);
        button->setDownloadTag(description.downloadTag);
    } else if (auto image = std::dynamic_pointer_cast<UIImageView>(view)) {
        image->setImageName(description.image);
    } else if (auto field = std::dynamic_pointer_cast<UITextField>(view)) {
        field->setPlaceholder(text);
    }
    if (auto scroll = std::dynamic_pointer_cast<UIScrollView>(view);
        scroll && description.contentSize)
        scroll->setContentSize(*description.contentSize);
    for (const auto& subview : description.subviews)
        view->addSubview(buildView(subview, controllerClass, controller, storyboard));
    view->setFrame(description.frame);
    if (!description.outlet.empty())
        controllerClass.outlets.at(description.outlet).connect(*controller, view);
    auto control = std::dynamic_pointer_cast<UIControl>(view);
    if (control && !description.action.empty())
        controllerClass.actions.at(description.action).connect(controller, *control);
    if (control && !description.navigate.empty()) {
        std::weak_ptr<UIViewController> weakController = controller;
        std::string target = description.navigate;
        control->addHandler([weakController, storyboard, target](UIView&) {
            auto source = weakController.lock();
            auto board = storyboard.lock();
            if (!source || !board)
                return;
            if (target == "back")
                source->dismissViewControllerAnimated(true, nullptr);
            else
                source->presentViewController(
                    board->instantiateViewControllerWithIdentifier(target), true, nullptr);
        });
    }
    return view;
}

}  // namespace

std::shared_ptr<UIViewController> Storyboard::instantiateViewControllerWithIdentifier(
    const std::string& identifier) {
    auto found = screens_.find(identifier);
    if (found == screens_.end())
        throw InterfaceDescriptionError(directory_ + ": no screen with id '" + identifier + "'");
    const ScreenDescription& screen = found->second;
    const auto& controllerClass = *UIClassRegistry::shared().controllerClass(screen.className);
    NSCoder coder(screen.identifier, screen.file);
    auto controller = controllerClass.make(coder);
    std::weak_ptr<UIViewController> weakController = controller;
    std::weak_ptr<Storyboard> weakBoard = weak_from_this();
    controller->setViewBuilder([view = screen.view, &controllerClass, weakController, weakBoard] {
        return buildView(view, controllerClass, weakController.lock(), weakBoard);
    });
    return controller;
}

std::shared_ptr<UIViewController> Storyboard::instantiateInitialViewController() {
    return instantiateViewControllerWithIdentifier(initial_);
}

std::shared_ptr<UIViewController> Storyboard::instantiateLaunchScreen() {
    return instantiateViewControllerWithIdentifier(launch_);
}
