#include "platform/ui/LayoutRegistry.h"

#include <map>

#include "platform/foundation/Fatal.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewController.h"

namespace plat {

namespace {

std::map<std::string, LayoutRegistry::Builder>& builders()
{
    static std::map<std::string, LayoutRegistry::Builder> all;
    return all;
}

}  // namespace

void LayoutRegistry::registerLayout(std::string name, Builder builder)
{
    builders()[std::move(name)] = std::move(builder);
}

bool LayoutRegistry::hasLayout(const std::string& name)
{
    return builders().count(name) != 0;
}

std::vector<std::string> LayoutRegistry::layoutNames()
{
    std::vector<std::string> names;
    for (const auto& [name, builder] : builders())
        names.push_back(name);
    return names;
}

void LayoutRegistry::loadLayout(const std::string& name, ViewController& owner)
{
    owner.setView(loadNibNamed(name, owner));
}

std::shared_ptr<View> LayoutRegistry::loadNibNamed(const std::string& name, ViewController& owner)
{
    auto it = builders().find(name);
    if (it == builders().end())
        detail::fatal("layout \"{}\" is not registered (asked for by {})", name, owner.className());
    auto builder = it->second;
    auto root = builder(owner);
    if (!root)
        detail::fatal("layout \"{}\" made no view", name);
    return root;
}

void LayoutRegistry::removeLayout(const std::string& name)
{
    builders().erase(name);
}

}  // namespace plat
