#include "platform/ui/ActivityViewController.h"

#include <algorithm>
#include <cmath>

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/Path.h"
#include "platform/ui/Application.h"
#include "platform/ui/Button.h"
#include "platform/ui/Control.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Layer.h"
#include "platform/ui/PopoverController.h"
#include "platform/ui/Screen.h"
#include "platform/ui/SystemActivities.h"
#include "platform/ui/Touch.h"
#include "platform/ui/Window.h"

namespace plat {

namespace {

constexpr double kMargin = 12;
constexpr double kCancelHeight = 44;
constexpr double kIconSize = 50;
// Over the screen: the dimming behind the sheet, and its two cards (the
// activities and Cancel) inset from the screen's edges.
constexpr double kDimmingAlpha = 0.4;
constexpr double kCardInset = 8;
constexpr double kCardCornerRadius = 12;
// Four buttons to a row, with their margins.
constexpr double kPopoverWidth = kMargin + 4 * (ActivityViewController::kButtonSize + kMargin);
// The associated object by which an activity's screen keeps the sheet.
constexpr const char* kSheetOfActivityScreenKey = "ActivityViewController.sheet";

// One activity: its picture (or a rounded tile with its initial) over its title.
class ActivityButton : public Control {
public:
    ActivityButton(std::shared_ptr<Activity> activity, std::weak_ptr<ActivityViewController> sheet)
        : Control(makeRect(0, 0, ActivityViewController::kButtonSize, ActivityViewController::kButtonSize))
        , _activity(std::move(activity))
        , _sheet(std::move(sheet))
    {
        setBackgroundColor(Color::clearColor());
        _title->setText(_activity->activityTitle());
        _title->setFont(Font::systemFontOfSize(11));
        _title->setTextAlignment(TextAlignment::Center);
        addTarget(this, &ActivityButton::tapped, ControlEventTouchUpInside);
    }

    void layoutSubviews() override
    {
        if (_title->superview().get() != this)
            addSubview(_title);
        Rect b = bounds();
        _title->setFrame(makeRect(0, kIconSize + 4, b.width(), b.height() - kIconSize - 4));
    }

    void drawRect(GraphicsContext& context, Rect) override
    {
        Rect b = bounds();
        Rect icon = makeRect(b.midX() - kIconSize / 2, 0, kIconSize, kIconSize);
        if (auto picture = _activity->activityImage()) {
            context.drawImage(*picture, icon);
            return;
        }
        context.setFillColor(isHighlighted() ? Color::colorWithWhite(0.75, 1) : Color::colorWithWhite(0.88, 1));
        context.addPath(Path::pathWithRoundedRect(icon, 12));
        context.fillPath();
        std::string title = _activity->activityTitle();
        if (!title.empty()) {
            context.setFillColor(tintColor());
            context.drawText(title.substr(0, 1), icon, Font::boldSystemFontOfSize(24), LineBreakMode::Clipping,
                TextAlignment::Center);
        }
    }

    std::string accessibilityLabel() const override { return _activity->activityTitle(); }

private:
    void tapped()
    {
        if (auto sheet = _sheet.lock())
            sheet->chooseActivity(_activity);
    }

    std::shared_ptr<Activity> _activity;
    std::weak_ptr<ActivityViewController> _sheet;
    std::shared_ptr<Label> _title = std::make_shared<Label>();
};

// What the sheet's Cancel button does.
class CancelButton : public Button {
public:
    explicit CancelButton(std::weak_ptr<ActivityViewController> sheet)
        : Button(ButtonType::System)
        , _sheet(std::move(sheet))
    {
        addTarget(this, &CancelButton::tapped, ControlEventTouchUpInside);
    }

private:
    void tapped()
    {
        if (auto sheet = _sheet.lock())
            sheet->cancel();
    }
    std::weak_ptr<ActivityViewController> _sheet;
};

// The sheet's view over the screen: a touch that ends on it, beside the
// cards, cancels as the sheet's Cancel does.
class SheetBackground : public View {
public:
    SheetBackground(Rect frame, std::weak_ptr<ActivityViewController> sheet)
        : View(frame)
        , _sheet(std::move(sheet))
    {
    }
    void touchesBegan(const TouchSet&, const Event&) override { }
    void touchesMoved(const TouchSet&, const Event&) override { }
    void touchesEnded(const TouchSet& touches, const Event&) override
    {
        auto sheet = _sheet.lock();
        if (!sheet || !sheet->presentingViewController() || touches.empty())
            return;
        const Point point = touches.front()->locationInView(this);
        for (const auto& card : subviews())
            if (card->frame().contains(point))
                return;
        sheet->cancel();
    }
    void touchesCancelled(const TouchSet&, const Event&) override { }

private:
    std::weak_ptr<ActivityViewController> _sheet;
};

// The controller at the front of the key window, which presents an activity's screen.
std::shared_ptr<ViewController> frontController()
{
    auto window = Application::sharedApplication().keyWindow();
    auto controller = window ? window->rootViewController() : nullptr;
    while (controller && controller->presentedViewController())
        controller = controller->presentedViewController();
    return controller;
}

}  // namespace

ActivityViewController::ActivityViewController(
    std::vector<std::any> activityItems, std::vector<std::shared_ptr<Activity>> applicationActivities)
    : _items(std::move(activityItems))
    , _applicationActivities(std::move(applicationActivities))
    , _systemActivities(detail::makeSystemActivities())
{
    // Presented, the sheet rises over the dimmed screen, which stays in sight.
    setModalPresentationStyle(ModalPresentationStyle::OverFullScreen);
}

ActivityViewController::~ActivityViewController() = default;

void ActivityViewController::setExcludedActivityTypes(std::vector<std::string> types)
{
    _excluded = std::move(types);
}

std::vector<std::shared_ptr<Activity>> ActivityViewController::activities()
{
    std::vector<std::shared_ptr<Activity>> offered;
    for (const auto& activity : _applicationActivities)
        if (activity && activity->canPerformWithActivityItems(_items))
            offered.push_back(activity);
    for (const auto& activity : _systemActivities)
        if (std::find(_excluded.begin(), _excluded.end(), activity->activityType()) == _excluded.end()
            && activity->canPerformWithActivityItems(_items))
            offered.push_back(activity);
    return offered;
}

void ActivityViewController::loadView()
{
    auto self = std::static_pointer_cast<ActivityViewController>(shared_from_this());
    auto root = std::make_shared<SheetBackground>(Screen::mainScreen().applicationFrame(), self);
    root->setBackgroundColor(Color::whiteColor());
    setView(root);
    _panel = std::make_shared<View>();
    _panel->setBackgroundColor(Color::whiteColor());
    root->addSubview(_panel);
    for (const auto& activity : activities()) {
        auto button = std::make_shared<ActivityButton>(activity, self);
        _panel->addSubview(button);
        _buttons.push_back(button);
    }
    auto cancel = std::make_shared<CancelButton>(self);
    // A button takes its title only once it is shared.
    cancel->setTitle("Cancel", ControlStateNormal);
    cancel->titleLabel()->setFont(Font::boldSystemFontOfSize(18));
    cancel->setBackgroundColor(Color::whiteColor());
    root->addSubview(cancel);
    _cancelButton = cancel;
    // Four to a row in a popover.
    double rows = std::ceil(static_cast<double>(_buttons.size()) / 4.0);
    setContentSizeForViewInPopover({kPopoverWidth, kMargin + rows * (kButtonSize + kMargin) + kCancelHeight + kMargin});
}

void ActivityViewController::viewWillLayoutSubviews()
{
    // Presented, the sheet is two cards at the bottom of the dimmed screen;
    // in a popover it fills the popover.
    const bool overScreen = presentingViewController() != nullptr;
    view()->setBackgroundColor(overScreen ? Color::colorWithWhite(0, kDimmingAlpha) : Color::whiteColor());
    for (const auto& card : {_panel, _cancelButton})
        card->layer()->setCornerRadius(overScreen ? kCardCornerRadius : 0);
    const double inset = overScreen ? kCardInset : 0;
    const Rect b = view()->bounds();
    const Rect area = makeRect(b.minX() + inset, b.minY() + inset, b.width() - 2 * inset, b.height() - 2 * inset);
    double columns = std::max(1.0, std::floor((area.width() - kMargin) / (kButtonSize + kMargin)));
    double rows = std::ceil(static_cast<double>(_buttons.size()) / columns);
    double panelHeight = kMargin + rows * (kButtonSize + kMargin);
    const double gap = overScreen ? kCardInset : kMargin;
    double top = std::max(area.minY(), area.maxY() - panelHeight - kCancelHeight - gap);
    _panel->setFrame(makeRect(area.minX(), top, area.width(), panelHeight));
    for (size_t i = 0; i < _buttons.size(); ++i) {
        double column = std::fmod(static_cast<double>(i), columns);
        double row = std::floor(static_cast<double>(i) / columns);
        _buttons[i]->setFrame(makeRect(kMargin + column * (kButtonSize + kMargin),
            kMargin + row * (kButtonSize + kMargin), kButtonSize, kButtonSize));
    }
    // Over the screen Cancel is a card as wide as the grid's; in a popover a
    // line of its own under the grid.
    if (overScreen)
        _cancelButton->setFrame(makeRect(area.minX(), area.maxY() - kCancelHeight, area.width(), kCancelHeight));
    else
        _cancelButton->setFrame(
            makeRect(kMargin, b.maxY() - kCancelHeight - kMargin / 2, b.width() - 2 * kMargin, kCancelHeight));
}

void ActivityViewController::takeSheetAway(std::function<void()> then)
{
    if (auto popover = PopoverController::presentingPopover(*this)) {
        popover->dismissPopoverAnimated(true, std::move(then));
        return;
    }
    if (presentingViewController()) {
        dismissViewControllerAnimated(true, std::move(then));
        return;
    }
    then();
}

void ActivityViewController::chooseActivity(const std::shared_ptr<Activity>& activity)
{
    if (_busy || !activity)
        return;
    _busy = true;
    auto self = std::static_pointer_cast<ActivityViewController>(shared_from_this());
    activity->prepareWithActivityItems(_items);
    // Until the activity is done the sheet lives on, whoever lets go of it
    // meanwhile: through the activity while it works without a screen...
    activity->_finished = [self, activity](bool completed) { self->activityFinished(activity, completed); };
    auto presenter = presentingViewController();
    if (!presenter)
        presenter = frontController();
    _activityPresenter = presenter;
    takeSheetAway([self, activity] {
        auto screen = activity->activityViewController();
        auto from = self->_activityPresenter.lock();
        if (screen && from) {
            // ...and through the activity's screen while that is shown, so
            // that a screen taken away by anyone else frees the sheet, the
            // activity and the screen together: the activity (which the
            // screen may hold) reaches back to the sheet only weakly.
            screen->associatedObjects().set(kSheetOfActivityScreenKey, self, AssociationPolicy::Retain);
            std::weak_ptr<ActivityViewController> weakSheet = self;
            std::weak_ptr<Activity> weakActivity = activity;
            activity->_finished = [weakSheet, weakActivity](bool completed) {
                auto sheet = weakSheet.lock();
                auto finished = weakActivity.lock();
                if (sheet && finished)
                    sheet->activityFinished(finished, completed);
            };
            self->_activityScreen = screen;
            from->presentViewController(screen, true, nullptr);
            return;
        }
        activity->performActivity();
    });
}

void ActivityViewController::activityFinished(const std::shared_ptr<Activity>& activity, bool completed)
{
    auto self = std::static_pointer_cast<ActivityViewController>(shared_from_this());
    std::string type = activity->activityType();
    auto screen = _activityScreen.lock();
    _activityScreen.reset();
    if (screen && screen->presentingViewController()) {
        screen->dismissViewControllerAnimated(true, [self, type, completed] { self->report(type, completed); });
        return;
    }
    report(type, completed);
}

void ActivityViewController::cancel()
{
    if (_busy)
        return;
    _busy = true;
    auto self = std::static_pointer_cast<ActivityViewController>(shared_from_this());
    takeSheetAway([self] { self->report(std::nullopt, false); });
}

void ActivityViewController::report(std::optional<std::string> type, bool completed)
{
    _busy = false;
    if (auto completion = _completion)
        completion(std::move(type), completed);
}

}  // namespace plat
