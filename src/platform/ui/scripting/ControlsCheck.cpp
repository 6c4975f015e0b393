#include "platform/ui/scripting/ControlsCheck.h"

#include <algorithm>
#include <memory>
#include <set>

#include "platform/foundation/Log.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ActionSheet.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Button.h"
#include "platform/ui/CollectionView.h"
#include "platform/ui/CollectionViewCell.h"
#include "platform/ui/Control.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/Slider.h"
#include "platform/ui/Switch.h"
#include "platform/ui/TabBar.h"
#include "platform/ui/TabBarController.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TableViewCell.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "platform/ui/scripting/ScreenScene.h"
#include "platform/ui/scripting/SelfMotion.h"
#include "platform/ui/scripting/StartedWork.h"
#include "platform/ui/scripting/TapOrder.h"
#include "platform/ui/scripting/TappableControls.h"
#include "platform/ui/scripting/UIDriver.h"
#include "platform/ui/scripting/ViewDescription.h"

namespace plat::scripting {

namespace {

using detail::collectAlerts;
using detail::collectCatchers;
using detail::comeToRest;
using detail::controllersOnScreen;
using detail::controllersShown;
using detail::holds;
using detail::isBarButton;
using detail::isCalled;
using detail::isSameScreen;
using detail::isSettingControl;
using detail::matchesPattern;
using detail::ownState;
using detail::PixelMask;
using detail::Scene;
using detail::sceneOf;
using detail::SelfMotion;
using detail::StartedWork;
using detail::StoredFiles;
using detail::storedFiles;
using detail::TapOrder;
using detail::Tappable;
using detail::tappableControls;
using detail::windowFrameOf;

// A tap is seen when more pixels than these changed where nothing moves by itself.
constexpr int64_t kSeenPixels = 8;
// A brief answer to a tap is looked for this long after it.
constexpr double kGlanceSeconds = 0.1;
// Touches beside a popover tried before giving up on closing what appeared.
constexpr int kMostTouchesBeside = 3;
// Alerts one tap may bring, shown one after another.
constexpr int kMostAlertsInTurn = 8;
// A screen whose controls keep coming back under new names stops here.
constexpr int kMostProbes = 120;
// A grid of this many points a side is searched for a spot to touch beside.
constexpr int kBesideGrid = 16;
// The buttons that close a presented screen, as a person looks for them.
constexpr const char* kClosingTitles[] = {"Done", "Cancel", "Close", "Back"};
// A slider is dragged this share of its track from where its thumb is.
constexpr double kSliderDragShare = 0.25;
constexpr double kSliderDragSeconds = 0.2;
constexpr double kShortestDragPoints = 20;
constexpr double kRowDragShare = 1.5;

}  // namespace

ControlsCheck::ControlsCheck(UIDriver& driver, Plan plan)
    : _driver(driver)
    , _plan(std::move(plan))
{
}

namespace {

// Lets a tap's outcome show: the time it takes, then the app at rest.
void letSettle(UIDriver& driver)
{
    driver.wait(ControlsCheck::kSettleSeconds);
    settle();
    driver.waitForTouchableScreen();
}

// What a control showed before a tap.
struct ControlBefore {
    std::string state;
    std::string title;
};

ControlBefore shownBefore(const View& view)
{
    auto* button = dynamic_cast<const Button*>(&view);
    return {ownState(view), button ? button->currentTitle() : std::string()};
}

// The control's parts a finger goes for: a slider's thumb dragged along its
// track, a segment other than the chosen one, else the middle.
void touchControl(UIDriver& driver, const View& view, Point middle)
{
    if (auto* slider = dynamic_cast<const Slider*>(&view)) {
        const Rect bounds = slider->bounds();
        const Rect track = slider->trackRectForBounds(bounds);
        const Rect thumb = slider->thumbRectForBounds(bounds, track, slider->value());
        const double range = slider->maximumValue() - slider->minimumValue();
        const bool roomOnTheRight = range <= 0 || (slider->value() - slider->minimumValue()) / range < 0.5;
        const double step = (roomOnTheRight ? 1 : -1) * kSliderDragShare * track.size.width;
        // Along the track in the slider's own terms: an upright slider is a turned one.
        const Point from = view.convertPoint({thumb.midX(), thumb.midY()}, nullptr);
        driver.drag(from, view.convertPoint({thumb.midX() + step, thumb.midY()}, nullptr), kSliderDragSeconds);
        return;
    }
    if (auto* segments = dynamic_cast<const SegmentedControl*>(&view)) {
        for (size_t segment = 0; segment < segments->numberOfSegments(); ++segment) {
            if (static_cast<int64_t>(segment) == segments->selectedSegmentIndex())
                continue;
            const Rect frame = segments->frameOfSegment(segment);
            driver.tapAt(view.convertPoint({frame.midX(), frame.midY()}, nullptr));
            return;
        }
    }
    driver.tapAt(middle);
}

// True when the tap left the control turned into another that a tap turns
// back, so that what it started stops (a countdown, a sound): a switch
// turned on or off, a button that shows another title (Play into Stop).
bool isTurned(const View& view, const ControlBefore& before)
{
    if (dynamic_cast<const Switch*>(&view))
        return ownState(view) != before.state;
    auto* button = dynamic_cast<const Button*>(&view);
    return button && button->currentTitle() != before.title;
}

// A finger dragged along the control from its middle, as a person tries a
// band or a handle that a tap leaves alone: along its longer side (a band
// across, a row's grip down), first towards the side with more room in
// what holds it, then (Direction::Back) the other way.
enum class Direction { Out, Back };

void dragAlong(UIDriver& driver, const View& view, Point middle, Direction direction)
{
    const Rect frame = windowFrameOf(view);
    // The room is the list a row's grip moves in, else what holds the control.
    auto holder = view.superview();
    for (auto v = holder; v; v = v->superview())
        if (dynamic_cast<const ScrollView*>(v.get())) {
            holder = v;
            break;
        }
    const Rect room = holder ? windowFrameOf(*holder) : frame;
    const double turn = direction == Direction::Out ? 1 : -1;
    if (frame.size.height > frame.size.width) {
        // Past the middle of the next row: a row's grip moves it one place.
        const double step = turn * (middle.y <= room.midY() ? 1 : -1)
            * std::max(kShortestDragPoints, kRowDragShare * frame.size.height);
        driver.drag(middle, {middle.x, middle.y + step}, kSliderDragSeconds);
        return;
    }
    const double step = turn * (middle.x <= room.midX() ? 1 : -1)
        * std::max(kShortestDragPoints, frame.size.width * kSliderDragShare);
    driver.drag(middle, {middle.x + step, middle.y}, kSliderDragSeconds);
}

// A point where a touch lands on the view itself and on nothing it holds:
// beside a popover or sheet, on what catches such touches.
std::optional<Point> pointBeside(Window& window, const View& catcher)
{
    const Rect screen = window.bounds();
    for (int row = 0; row < kBesideGrid; ++row)
        for (int column = 0; column < kBesideGrid; ++column) {
            const Point point {screen.minX() + (column + 0.5) * screen.size.width / kBesideGrid,
                screen.minY() + (row + 0.5) * screen.size.height / kBesideGrid};
            if (window.hitTest(point, nullptr).get() == &catcher)
                return point;
        }
    return std::nullopt;
}

// Closes a screen presented over the one checked as a person does, by its
// own button, so that its owner hears of it: true when one was tapped.
bool closePresentedByItsButton(UIDriver& driver, Window& window, const Scene& before)
{
    for (const auto& controller : controllersOnScreen(window)) {
        auto presenter = controller->presentingViewController();
        if (!presenter || holds(before.controllers, controller.get()) || !controller->isViewLoaded())
            continue;
        const auto shown = controller->view();
        const auto controls = tappableControls(driver, window);
        for (const char* closer : kClosingTitles)
            for (const Tappable& control : controls) {
                bool inside = false;
                for (const View* v = control.view.get(); v && !inside; v = v->superview().get())
                    inside = v == shown.get();
                if (inside && control.name == closer) {
                    driver.tap(*control.view);
                    letSettle(driver);
                    return true;
                }
            }
    }
    return false;
}

// Puts away, without animation, what the tap brought that was not on the
// screen before: text editing, alerts and sheets, presented and pushed
// screens, popovers (by a touch beside them).
void dismissWhatAppeared(UIDriver& driver, Window& window, const Scene& before)
{
    for (int closed = 0; closed < kMostTouchesBeside && closePresentedByItsButton(driver, window, before); ++closed) { }
    View::performWithoutAnimation([&] {
        if (auto responder = window.firstResponder(); responder && responder != before.firstResponder.lock())
            window.endEditing(/*force=*/true);
        // An alert that waited behind another shows as that one goes: each goes in turn, once.
        std::vector<std::shared_ptr<View>> cancelled;
        for (int round = 0; round < kMostAlertsInTurn; ++round) {
            std::vector<std::shared_ptr<View>> alerts;
            collectAlerts(window.sharedAs<View>(), alerts);
            const size_t cancelledBefore = cancelled.size();
            for (const auto& view : alerts) {
                if (holds(before.alerts, view.get())
                    || std::find(cancelled.begin(), cancelled.end(), view) != cancelled.end())
                    continue;
                cancelled.push_back(view);
                if (auto alert = std::dynamic_pointer_cast<AlertView>(view))
                    alert->cancelBySystem();
                else if (auto sheet = std::dynamic_pointer_cast<ActionSheet>(view))
                    sheet->cancelBySystem();
            }
            if (cancelled.size() == cancelledBefore)
                break;
        }
        for (const auto& controller : controllersOnScreen(window)) {
            auto presenter = controller->presentingViewController();
            if (presenter && !holds(before.controllers, controller.get()) && holds(before.controllers, presenter.get())
                && presenter->presentedViewController() == controller)
                presenter->dismissViewControllerAnimated(/*animated=*/false, {});
        }
        for (const auto& controller : controllersShown(window)) {
            auto navigation = std::dynamic_pointer_cast<NavigationController>(controller);
            auto size = navigation ? before.stackSizes.find(navigation.get()) : before.stackSizes.end();
            if (size != before.stackSizes.end() && navigation->viewControllers().size() > size->second)
                navigation->popToViewController(navigation->viewControllers()[size->second - 1], /*animated=*/false);
        }
    });
    driver.wait(0);
    settle();
    for (int touch = 0; touch < kMostTouchesBeside; ++touch) {
        std::vector<std::shared_ptr<View>> catchers;
        collectCatchers(window.sharedAs<View>(), window.bounds(), catchers);
        std::shared_ptr<View> newest;
        for (const auto& catcher : catchers)
            if (!holds(before.catchers, catcher.get()))
                newest = catcher;
        if (!newest)
            return;
        auto point = pointBeside(window, *newest);
        if (!point)
            return;
        driver.tapAt(*point);
        letSettle(driver);
    }
}

}  // namespace

std::vector<std::string> ControlsCheck::run()
{
    _probed.clear();
    std::vector<std::string> faults;
    auto window = _driver.window();
    if (!window)
        return {"on \"" + _plan.screen + "\": no window to look at"};
    auto fault = [&](const Tappable& control, const std::string& what) {
        std::string named = control.description;
        if (control.name != control.description && named.find("\"" + control.name + "\"") == std::string::npos)
            named += " (" + control.name + ")";
        // A control tapped in several turns is named once.
        const std::string line = "on \"" + _plan.screen + "\": " + named + " " + what;
        if (std::find(faults.begin(), faults.end(), line) == faults.end())
            faults.push_back(line);
    };

    comeToRest(_driver, *window);
    _driver.waitForTouchableScreen();
    // What moves by itself is no sign of a tap.
    SelfMotion motion(_driver, *window);
    motion.watch();

    TapOrder order(_plan.leftOut, _plan.last, _plan.only);
    const std::vector<Tappable> firstSeen = tappableControls(_driver, *window);
    // The names of every control met, to tell a name in the plan that stands for none.
    std::set<std::string> namesMet;
    auto meet = [&](const std::vector<Tappable>& controls) {
        for (const Tappable& control : controls) {
            namesMet.insert(control.names.begin(), control.names.end());
            namesMet.insert(control.name);
        }
    };
    meet(firstSeen);
    // A control that changed its name (Hold 1 times into Hold 2 times) is still the one tapped.
    std::vector<const View*> tappedViews;
    bool stopped = false;
    // What the last tap set going that ends by itself ends before the next.
    StartedWork started;
    for (int probe = 0; probe < kMostProbes && !stopped; ++probe) {
        started.letEnd(_driver);
        // A screen at rest shows nothing changing but what a tap changes.
        const bool atRest = comeToRest(_driver, *window) && !motion.movesByItself();
        _driver.waitForTouchableScreen();
        const auto controls = tappableControls(_driver, *window);
        meet(controls);
        auto next = order.next(controls);
        if (!next)
            break;
        const Tappable control = next->control;
        const bool finalProbe = next->isFinal;
        tappedViews.push_back(control.view.get());
        _probed.push_back(control.name);

        // A setting control's own drawing is left out of the pictures compared.
        const bool setting = isSettingControl(*control.view);
        View* leftOut = setting ? control.view.get() : nullptr;
        const Scene before = sceneOf(*window);
        const ControlBefore controlBefore = shownBefore(*control.view);
        std::vector<std::string> keysBefore;
        for (const auto& c : controls)
            keysBefore.push_back(c.key);
        const std::string moviesBefore = motion.movies();
        const std::string shapesBefore = motion.heldPictureShapes();
        const StoredFiles filesBefore = setting ? storedFiles() : StoredFiles();
        auto pictureBefore = motion.picture(leftOut);
        auto point = _driver.touchPoint(*control.view);
        if (!point.ok() || !pictureBefore) {
            fault(control, "cannot be touched");
            continue;
        }
        // Signs beside the picture: another screen, popover, sheet or alert;
        // controls come or gone; a movie moved or playing otherwise; the
        // control's own state, or for a setting control, what it stores.
        bool hasSign = false;
        // The pictures after the tap that differ where nothing moves by itself.
        std::vector<std::shared_ptr<Image>> changedLooks;
        auto look = [&] {
            std::vector<std::string> keysAfter;
            for (const auto& c : tappableControls(_driver, *window))
                keysAfter.push_back(c.key);
            hasSign = hasSign || !isSameScreen(before, sceneOf(*window)) || keysAfter != keysBefore
                || motion.movies() != moviesBefore || motion.heldPictureShapes() != shapesBefore
                || (setting ? motion.storedAnew(filesBefore, storedFiles())
                            : ownState(*control.view) != controlBefore.state);
            if (auto after = motion.picture(leftOut);
                after && motion.changedPixels(*pictureBefore, *after) > kSeenPixels)
                changedLooks.push_back(after);
            return hasSign || !changedLooks.empty();
        };
        started.note([&] { touchControl(_driver, *control.view, point.value()); });
        // A glance first: some answers are brief (a short sound's play button).
        _driver.wait(kGlanceSeconds);
        bool seen = look();
        letSettle(_driver);
        seen = look() || seen;
        if (!seen && !dynamic_cast<const Slider*>(control.view.get())
            && !dynamic_cast<const SegmentedControl*>(control.view.get()) && !isBarButton(*control.view)
            && _driver.touchPoint(*control.view).ok()) {
            for (Direction direction : {Direction::Out, Direction::Back}) {
                if (seen || !_driver.touchPoint(*control.view).ok())
                    break;
                started.note([&] { dragAlong(_driver, *control.view, point.value(), direction); });
                letSettle(_driver);
                seen = look();
            }
        }
        // Seen only in the picture of a screen that moves by itself: what
        // changes there now and then (a picture that comes as a render goes
        // on) is no sign either, so the untouched screen is looked at once
        // more and what changes then is left out too.
        if (seen && !hasSign && !atRest) {
            const PixelMask meanwhile = motion.lookAgain();
            seen = std::any_of(changedLooks.begin(), changedLooks.end(), [&](const std::shared_ptr<Image>& after) {
                return motion.changedPixels(*pictureBefore, *after, meanwhile) > kSeenPixels;
            });
        }
        if (!seen)
            fault(control, "does nothing a person sees");

        if (finalProbe)
            break;
        if (isSameScreen(before, sceneOf(*window))) {
            // Each tap starts from the screen as it was: what this one started stops.
            if (isTurned(*control.view, controlBefore) && _driver.touchPoint(*control.view).ok()) {
                started.note([&] { _driver.tapAt(point.value()); });
                letSettle(_driver);
                if (!isSameScreen(before, sceneOf(*window)))
                    started.note([&] { dismissWhatAppeared(_driver, *window, before); });
            }
            continue;
        }
        started.note([&] { dismissWhatAppeared(_driver, *window, before); });
        // A control that turned into another (Play into Stop) turns back.
        if (!isSameScreen(before, sceneOf(*window)) && control.view->window() == window
            && _driver.touchPoint(*control.view).ok()) {
            started.note([&] { _driver.tap(*control.view); });
            letSettle(_driver);
        }
        if (!isSameScreen(before, sceneOf(*window)) && _plan.comeBack) {
            const Scene away = sceneOf(*window);
            if (auto back = _plan.comeBack(); !back.ok()) {
                fault(control,
                    "left the screen (it showed " + away.kind + " instead of " + before.kind
                        + "), and the way back failed: " + back.error().localizedDescription());
                stopped = true;
                continue;
            }
            comeToRest(_driver, *window);
            _driver.waitForTouchableScreen();
            // The screen came again made afresh: what moves on it is learnt again.
            if (motion.lostMovingPictures())
                motion.watch();
        }
        if (const Scene now = sceneOf(*window); !isSameScreen(before, now)) {
            fault(control,
                "left the screen, and it did not come back (it shows " + now.kind + " instead of " + before.kind + ")");
            stopped = true;
        }
    }
    // A control the screen showed and that was gone before its turn was never tried.
    for (const Tappable& control : firstSeen)
        if (!stopped && order.isPending(control)
            && std::find(tappedViews.begin(), tappedViews.end(), control.view.get()) == tappedViews.end())
            fault(control, "was gone before its turn (the controls before it changed the screen)");
    // A name in the plan that stands for no control would pass whatever the screen holds.
    for (const auto& [patterns, part] :
        {std::pair {&_plan.only, "only"}, {&_plan.leftOut, "except"}, {&_plan.last, "last"}})
        for (const std::string& pattern : *patterns)
            if (!stopped && std::none_of(namesMet.begin(), namesMet.end(), [&](const std::string& name) {
                    return matchesPattern(name, pattern);
                }))
                faults.push_back("on \"" + _plan.screen + "\": no control a person can tap is called \"" + pattern
                    + "\" (" + part + ")");
    std::string names;
    for (const std::string& name : _probed)
        names += (names.empty() ? "" : ", ") + name;
    log("checkcontrols \"{}\": tapped {}", _plan.screen, names.empty() ? std::string("nothing") : names);
    return faults;
}

}  // namespace plat::scripting
