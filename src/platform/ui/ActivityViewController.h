#pragma once
#include <any>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/Activity.h"
#include "platform/ui/ViewController.h"

namespace plat {

// The platform's share sheet: offers the application activities that can
// handle its items, then the system's own (see SystemActivities) less the
// excluded types, as buttons in a grid with a Cancel button. Presented
// modally (over the screen, dimmed, which stays in sight; a touch beside
// the sheet cancels) or in a popover. Choosing an activity prepares it, takes the
// sheet away, then presents the activity's screen (from whoever presented
// the sheet, or from the front of the key window when a popover showed it)
// or performs it; when the activity finishes (its screen is dismissed
// first) the completion handler hears its type and whether it completed.
// Cancel takes the sheet away and reports no type, not completed.
// Main thread.
class ActivityViewController : public ViewController {
public:
    using CompletionHandler = std::function<void(std::optional<std::string> activityType, bool completed)>;
    static constexpr double kButtonSize = 76;

    ActivityViewController(
        std::vector<std::any> activityItems, std::vector<std::shared_ptr<Activity>> applicationActivities);
    ~ActivityViewController() override;

    const std::vector<std::string>& excludedActivityTypes() const { return _excluded; }
    void setExcludedActivityTypes(std::vector<std::string> types);
    void setCompletionHandler(CompletionHandler handler) { _completion = std::move(handler); }

    // The activities the sheet offers, in order.
    std::vector<std::shared_ptr<Activity>> activities();
    // What a tap on an activity's button, or on Cancel, does.
    void chooseActivity(const std::shared_ptr<Activity>& activity);
    void cancel();

    void loadView() override;
    void viewWillLayoutSubviews() override;

private:
    void takeSheetAway(std::function<void()> then);
    void activityFinished(const std::shared_ptr<Activity>& activity, bool completed);
    void report(std::optional<std::string> type, bool completed);

    std::vector<std::any> _items;
    std::vector<std::shared_ptr<Activity>> _applicationActivities;
    std::vector<std::shared_ptr<Activity>> _systemActivities;
    std::vector<std::string> _excluded;
    CompletionHandler _completion;
    std::weak_ptr<ViewController> _activityScreen;  // it holds the sheet while shown
    std::weak_ptr<ViewController> _activityPresenter;
    std::shared_ptr<View> _panel;
    std::vector<std::shared_ptr<View>> _buttons;
    std::shared_ptr<View> _cancelButton;
    bool _busy = false;
};

}  // namespace plat
