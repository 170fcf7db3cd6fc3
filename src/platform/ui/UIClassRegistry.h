#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <type_traits>

#include "platform/ui/UIView.h"
#include "platform/ui/UIViewController.h"

class UIApplicationDelegate;

// The classes that interface descriptions may name, with their outlets and
// actions, so that a description can create a screen by its class name and
// connect it without any screen code knowing the others.
class UIClassRegistry {
public:
    struct Outlet {
        bool required = true;
        std::function<bool(const UIView& view)> accepts;
        std::function<void(UIViewController& controller, const std::shared_ptr<UIView>& view)>
            connect;
    };
    struct Action {
        std::function<void(const std::shared_ptr<UIViewController>& controller, UIControl& control)>
            connect;
    };
    struct ControllerClass {
        std::string name;
        std::function<std::shared_ptr<UIViewController>(NSCoder& coder)> make;
        std::map<std::string, Outlet> outlets;
        std::map<std::string, Action> actions;
    };

    static UIClassRegistry& shared();

    void registerController(ControllerClass controllerClass);
    const ControllerClass* controllerClass(const std::string& name) const;

    void registerView(const std::string& name, std::function<std::shared_ptr<UIView>()> make);
    // Null for a name that is neither a platform view class nor registered.
    std::shared_ptr<UIView> makeView(const std::string& name) const;

    void registerApplicationDelegate(const std::string& name,
                                     std::function<std::shared_ptr<UIApplicationDelegate>()> make);
    std::shared_ptr<UIApplicationDelegate> makeApplicationDelegate(const std::string& name) const;

private:
    UIClassRegistry();

    std::map<std::string, ControllerClass> controllers_;
    std::map<std::string, std::function<std::shared_ptr<UIView>()>> views_;
    std::map<std::string, std::function<std::shared_ptr<UIApplicationDelegate>()>> delegates_;
};

enum class OutletUse { required, optional };

// Describes a screen class for the registry:
//   UIControllerClass<MusicViewController>("MusicViewController")
//       .outlet("stopButton", &MusicViewController::stopButton)
//       .action("stopMusic:", &MusicViewController::stopMusic)
//       .registerClass();
template <typename Controller>
class UIControllerClass {
public:
    explicit UIControllerClass(std::string name)
        : UIControllerClass(std::move(name),
                            [](NSCoder& coder) { return std::make_shared<Controller>(coder); }) {}
    // For a class whose screens are handed more than their description.
    UIControllerClass(std::string name,
                      std::function<std::shared_ptr<Controller>(NSCoder& coder)> make) {
        class_.name = std::move(name);
        class_.make = [make =
                           std::move(make)](NSCoder& coder) -> std::shared_ptr<UIViewController> {
            return make(coder);
        };
    }

    // `Owner` is the controller class or a base class that declares the field.
    template <typename View, typename Owner>
    UIControllerClass& outlet(const std::string& name, std::weak_ptr<View> Owner::*field,
                              OutletUse use = OutletUse::required) {
        static_assert(std::is_base_of_v<Owner, Controller>);
        UIClassRegistry::Outlet outlet;
        outlet.required = use == OutletUse::required;
        outlet.accepts = [](const UIView& view) { return dynamic_cast<const View*>(&view); };
        outlet.connect = [field](UIViewController& controller,
                                 const std::shared_ptr<UIView>& view) {
            static_cast<Controller&>(controller).*field = std::dynamic_pointer_cast<View>(view);
        };
        class_.outlets[name] = std::move(outlet);
        return *this;
    }

    template <typename Sender>
    UIControllerClass& action(const std::string& selector, void (Controller::*method)(Sender&)) {
        UIClassRegistry::Action action;
        action.connect = [method](const std::shared_ptr<UIViewController>& controller,
                                  UIControl& control) {
            control.addTarget(controller, [method](NSObject& target, UIView& sender) {
                (static_cast<Controller&>(target).*method)(static_cast<Sender&>(sender));
            });
        };
        class_.actions[selector] = std::move(action);
        return *this;
    }

    void registerClass() { UIClassRegistry::shared().registerController(std::move(class_)); }

private:
    UIClassRegistry::ControllerClass class_;
};
