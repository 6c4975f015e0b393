#include "platform/ui/scripting/TappableControls.h"

#include <algorithm>
#include <map>
#include <string_view>

#include "platform/foundation/Log.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Button.h"
#include "platform/ui/CollectionView.h"
#include "platform/ui/CollectionViewCell.h"
#include "platform/ui/Control.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationBar.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/Slider.h"
#include "platform/ui/Switch.h"
#include "platform/ui/TabBar.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TableViewCell.h"
#include "platform/ui/Toolbar.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "platform/ui/scripting/ScreenScene.h"
#include "platform/ui/scripting/UIDriver.h"
#include "platform/ui/scripting/ViewDescription.h"

namespace plat::scripting::detail {

namespace {

// An item captioned by one label holds at most a picture button and a touch zone.
constexpr int kMostControlsOfAnItem = 2;

bool isSelectableRow(const View& view)
{
    auto* cell = dynamic_cast<const TableViewCell*>(&view);
    auto* item = dynamic_cast<const CollectionViewCell*>(&view);
    if ((!cell && !item) || (cell && cell->selectionStyle() == TableViewCellSelectionStyle::None))
        return false;
    for (auto v = view.superview(); v; v = v->superview()) {
        if (auto* table = dynamic_cast<const TableView*>(v.get()))
            return cell && table->allowsSelection();
        if (auto* collection = dynamic_cast<const CollectionView*>(v.get()))
            return item && collection->allowsSelection();
    }
    return false;
}

bool isChosenTab(const Control& control)
{
    if (!control.isSelected())
        return false;
    for (auto v = control.superview(); v; v = v->superview())
        if (dynamic_cast<const TabBar*>(v.get()))
            return true;
    return false;
}

bool isChosenRow(const View& view)
{
    auto* cell = dynamic_cast<const TableViewCell*>(&view);
    auto* item = dynamic_cast<const CollectionViewCell*>(&view);
    return (cell && cell->isSelected()) || (item && item->isSelected());
}

// Enabled controls and selectable rows that take touches, back to front.
void collectTappable(const std::shared_ptr<View>& view, std::vector<std::shared_ptr<View>>& out)
{
    if (!isShown(*view) || !view->isUserInteractionEnabled())
        return;
    if (auto* control = dynamic_cast<const Control*>(view.get())) {
        // A clear touch zone (a panel's catch button) is no control a person
        // sees; the chosen tab is where the person is already.
        if (control->isEnabled() && drawsWithin(*control, windowFrameOf(*control)) && !isChosenTab(*control))
            out.push_back(view);
        return;
    }
    // A chosen row is where the person is already, as a chosen tab is.
    if (isSelectableRow(*view) && !isChosenRow(*view))
        out.push_back(view);
    for (const auto& subview : view->subviews())
        collectTappable(subview, out);
}

std::string firstText(const View& view)
{
    if (auto* label = dynamic_cast<const Label*>(&view); label && isShown(*label) && !label->text().empty())
        return label->text();
    for (const auto& subview : view.subviews())
        if (auto text = firstText(*subview); !text.empty())
            return text;
    return {};
}

}  // namespace

std::vector<std::string> namesOf(const View& view, const Window& window)
{
    std::vector<std::string> names;
    auto add = [&](const std::string& name) {
        if (!name.empty() && std::find(names.begin(), names.end(), name) == names.end())
            names.push_back(name);
    };
    add(view.accessibilityLabel());
    if (auto* button = dynamic_cast<const Button*>(&view))
        add(button->currentTitle());
    add(view.accessibilityIdentifier());
    if (!names.empty())
        return names;
    // The controllers on screen and the one whose view holds it (a popover's content is no child).
    auto controllers = controllersShown(window);
    for (const View* v = &view; v; v = v->superview().get())
        if (auto owner = v->viewController()) {
            controllers.push_back(owner);
            break;
        }
    for (const auto& controller : controllers)
        for (const std::string& outlet : controller->outletNames())
            if (controller->outlet(outlet).get() == &view)
                return {outlet};
    if (auto text = firstText(view); !text.empty())
        return {text};
    // A picture button captioned by the one label beside it, in an item of
    // its own (a grid menu's picture, its touch zone and its title).
    if (auto holder = view.superview()) {
        std::vector<std::string> captions;
        int controls = 0;
        for (const auto& sibling : holder->subviews()) {
            controls += dynamic_cast<const Control*>(sibling.get()) != nullptr;
            if (auto* label = dynamic_cast<const Label*>(sibling.get());
                label && isShown(*label) && !label->text().empty())
                captions.push_back(label->text());
        }
        if (captions.size() == 1 && controls <= kMostControlsOfAnItem)
            return captions;
    }
    return {};
}

bool matchesPattern(const std::string& name, const std::string& pattern)
{
    const size_t star = pattern.find('*');
    if (star == std::string::npos)
        return name == pattern;
    const std::string_view head(pattern.data(), star);
    const std::string_view tail(pattern.data() + star + 1, pattern.size() - star - 1);
    return name.size() >= head.size() + tail.size() && std::string_view(name).substr(0, head.size()) == head
        && std::string_view(name).substr(name.size() - tail.size()) == tail;
}

bool isCalled(const Tappable& control, const std::string& pattern)
{
    // One without a name is called by its kind and place.
    if (control.names.empty())
        return matchesPattern(control.name, pattern);
    return std::any_of(control.names.begin(), control.names.end(),
        [&](const std::string& name) { return matchesPattern(name, pattern); });
}

bool isSettingControl(const View& view)
{
    return dynamic_cast<const Switch*>(&view) || dynamic_cast<const Slider*>(&view)
        || dynamic_cast<const SegmentedControl*>(&view);
}

bool isBarButton(const View& view)
{
    if (!dynamic_cast<const Button*>(&view))
        return false;
    for (auto v = view.superview(); v; v = v->superview())
        if (dynamic_cast<const Toolbar*>(v.get()) || dynamic_cast<const NavigationBar*>(v.get()))
            return true;
    return false;
}

namespace {

void unhookBarItems(const View& view, const View& control)
{
    auto unhookShowing = [&](const std::vector<std::shared_ptr<BarButtonItem>>& items) {
        for (const auto& item : items)
            if (item && item->view().get() == &control)
                item->removeAction();
    };
    if (auto* toolbar = dynamic_cast<const Toolbar*>(&view))
        unhookShowing(toolbar->items());
    if (auto* bar = dynamic_cast<const NavigationBar*>(&view))
        for (const auto& item : bar->items()) {
            unhookShowing(item->leftBarButtonItems());
            unhookShowing(item->rightBarButtonItems());
            unhookShowing({item->backBarButtonItem()});
        }
    for (const auto& subview : view.subviews())
        unhookBarItems(*subview, control);
}

}  // namespace

void unhook(Control& control, Window& window)
{
    control.removeTarget(nullptr, ControlEventAllEvents);
    unhookBarItems(window, control);
}

std::string ownState(const View& view)
{
    std::string state;
    if (auto* control = dynamic_cast<const Control*>(&view))
        state += formatLine("selected {} enabled {}", control->isSelected(), control->isEnabled());
    if (auto* button = dynamic_cast<const Button*>(&view))
        state += " title " + button->currentTitle();
    if (auto* toggle = dynamic_cast<const Switch*>(&view))
        state += formatLine(" on {}", toggle->isOn());
    if (auto* slider = dynamic_cast<const Slider*>(&view))
        state += formatLine(" value {}", slider->value());
    if (auto* segments = dynamic_cast<const SegmentedControl*>(&view))
        state += formatLine(" segment {}", segments->selectedSegmentIndex());
    if (auto* cell = dynamic_cast<const TableViewCell*>(&view))
        state += formatLine(" row selected {}", cell->isSelected());
    if (auto* item = dynamic_cast<const CollectionViewCell*>(&view))
        state += formatLine(" item selected {}", item->isSelected());
    return state;
}

std::vector<Tappable> tappableControls(UIDriver& driver, Window& window)
{
    window.layoutIfNeeded();
    std::vector<std::shared_ptr<View>> views;
    collectTappable(window.sharedAs<View>(), views);
    std::vector<Tappable> found;
    std::map<std::string, int> seen;
    for (const auto& view : views) {
        auto point = driver.touchPoint(*view);
        if (!point.ok())
            continue;
        // A control under another of the same item (a picture button under
        // the item's touch zone) is tapped through that one.
        auto hit = window.hitTest(point.value(), nullptr);
        bool ownTouch = false;
        for (auto v = hit; v && !ownTouch; v = v->superview())
            ownTouch = v == view;
        if (!ownTouch && std::find(views.begin(), views.end(), hit) != views.end())
            continue;
        std::vector<std::string> names = namesOf(*view, window);
        std::string name = names.empty() ? describe(*view) : names.front();
        // An unnamed control is known by its kind and order, not by where it is (a band moves).
        std::string key = view->className() + " " + (names.empty() ? std::string("(unnamed)") : name);
        if (int repeat = seen[key]++; repeat > 0)
            key += formatLine(" #{}", repeat + 1);
        found.push_back({view, std::move(name), std::move(names), std::move(key), describe(*view)});
    }
    return found;
}

}  // namespace plat::scripting::detail
