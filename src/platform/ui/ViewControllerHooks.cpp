#include "platform/ui/ViewControllerHooks.h"

#include <vector>

#include "platform/ui/ViewController.h"

namespace plat {

namespace {

struct Hooks {
    std::vector<ViewControllerHooks::NavigationControllerHook> navigationController;
    std::vector<ViewControllerHooks::NavigationItemHook> navigationItem;
    std::vector<ViewControllerHooks::PresentHook> present;
};

Hooks& hooks()
{
    static Hooks all;
    return all;
}

std::shared_ptr<NavigationController> navigationControllerFrom(size_t index, ViewController& controller)
{
    const auto& list = hooks().navigationController;
    if (index >= list.size())
        return controller.platformNavigationController();
    auto hook = list[index];  // a hook may add hooks
    return hook(controller, [index](ViewController& c) { return navigationControllerFrom(index + 1, c); });
}

std::shared_ptr<NavigationItem> navigationItemFrom(size_t index, ViewController& controller)
{
    const auto& list = hooks().navigationItem;
    if (index >= list.size())
        return controller.platformNavigationItem();
    auto hook = list[index];
    return hook(controller, [index](ViewController& c) { return navigationItemFrom(index + 1, c); });
}

void presentFrom(size_t index, ViewController& presenter, std::shared_ptr<ViewController> presented, bool animated,
    std::function<void()> completion)
{
    const auto& list = hooks().present;
    if (index >= list.size()) {
        presenter.platformPresentViewController(std::move(presented), animated, std::move(completion));
        return;
    }
    auto hook = list[index];
    hook(presenter, std::move(presented), animated, std::move(completion),
        [index](ViewController& p, std::shared_ptr<ViewController> c, bool a, std::function<void()> done) {
            presentFrom(index + 1, p, std::move(c), a, std::move(done));
        });
}

}  // namespace

void ViewControllerHooks::addNavigationControllerHook(NavigationControllerHook hook)
{
    hooks().navigationController.push_back(std::move(hook));
}

void ViewControllerHooks::addNavigationItemHook(NavigationItemHook hook)
{
    hooks().navigationItem.push_back(std::move(hook));
}

void ViewControllerHooks::addPresentHook(PresentHook hook)
{
    hooks().present.push_back(std::move(hook));
}

void ViewControllerHooks::removeAllHooks()
{
    hooks() = Hooks {};
}

std::shared_ptr<NavigationController> ViewControllerHooks::navigationController(ViewController& controller)
{
    return navigationControllerFrom(0, controller);
}

std::shared_ptr<NavigationItem> ViewControllerHooks::navigationItem(ViewController& controller)
{
    return navigationItemFrom(0, controller);
}

void ViewControllerHooks::present(ViewController& presenter, std::shared_ptr<ViewController> presented, bool animated,
    std::function<void()> completion)
{
    presentFrom(0, presenter, std::move(presented), animated, std::move(completion));
}

}  // namespace plat
