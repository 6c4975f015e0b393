#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/PopoverController.h"
#include "platform/ui/View.h"

namespace plat {
class ActionSheet;
class BarButtonItem;
class Button;
class Label;
class TabBar;
class Toolbar;
namespace detail {
class ModalOverlay;
}

// What an action sheet tells its delegate (whole selectors where they
// begin with "actionSheet").
class ActionSheetDelegate {
public:
    virtual ~ActionSheetDelegate() = default;
    virtual void actionSheetClickedButtonAtIndex(ActionSheet&, int64_t /*buttonIndex*/) { }
    // The system takes the sheet away. Return true when handled; by
    // default (false) the sheet dismisses itself with its cancel index.
    virtual bool actionSheetCancel(ActionSheet&) { return false; }
    virtual void willPresentActionSheet(ActionSheet&) { }
    virtual void didPresentActionSheet(ActionSheet&) { }
    virtual void actionSheetWillDismissWithButtonIndex(ActionSheet&, int64_t /*buttonIndex*/) { }
    virtual void actionSheetDidDismissWithButtonIndex(ActionSheet&, int64_t /*buttonIndex*/) { }
};

enum class ActionSheetStyle : int { Automatic = -1, Default = 0, BlackTranslucent = 2, BlackOpaque = 1 };

// The platform's action sheet: a title over a column of choices. Buttons
// are numbered destructive first, then the others, cancel last (further
// buttons are added after them). On a phone, and in a view, it slides up
// from the bottom of the screen with the cancel button apart, over the
// dimmed app; on a tablet, from a bar item or a rect, it shows in a
// popover pointing there, without its cancel button. A touch beside it
// counts as the cancel button. A tap on a button tells the delegate it was
// clicked, then the sheet goes (will and did dismiss). Main thread.
class ActionSheet : public View {
public:
    static constexpr double kButtonHeight = 44;
    static constexpr double kSlideSeconds = 0.3;

    ActionSheet(std::string title, std::weak_ptr<ActionSheetDelegate> delegate,
        std::optional<std::string> cancelButtonTitle, std::optional<std::string> destructiveButtonTitle,
        std::vector<std::string> otherButtonTitles);
    ~ActionSheet() override;

    const std::string& title() const { return _title; }
    void setTitle(std::string title);
    std::weak_ptr<ActionSheetDelegate> delegate() const { return _delegate; }
    void setDelegate(std::weak_ptr<ActionSheetDelegate> delegate) { _delegate = std::move(delegate); }
    int64_t addButtonWithTitle(std::string title);
    int64_t numberOfButtons() const { return static_cast<int64_t>(_buttonTitles.size()); }
    std::string buttonTitleAtIndex(int64_t index) const;
    // -1 when there is none.
    int64_t cancelButtonIndex() const { return _cancelButtonIndex; }
    void setCancelButtonIndex(int64_t index);
    int64_t destructiveButtonIndex() const { return _destructiveButtonIndex; }
    void setDestructiveButtonIndex(int64_t index);
    int64_t firstOtherButtonIndex() const;
    ActionSheetStyle actionSheetStyle() const { return _style; }
    void setActionSheetStyle(ActionSheetStyle style);
    bool isVisible() const { return _visible; }

    void showInView(const View& view);
    void showFromTabBar(const TabBar& tabBar);
    void showFromToolbar(const Toolbar& toolbar);
    void showFromBarButtonItem(const BarButtonItem& item, bool animated);
    void showFromRect(Rect rect, const View& view, bool animated);
    // By code: the delegate hears will and did dismiss, not a click.
    void dismissWithClickedButtonIndex(int64_t buttonIndex, bool animated);
    void cancelBySystem();

    void layoutSubviews() override;
    void drawRect(GraphicsContext& context, Rect rect) override;
    // As high as its title and buttons, for the width given.
    Size sizeThatFits(Size size) const override;

private:
    friend class ActionSheetButton;
    class PopoverWatcher;

    void slideUp();
    void showInPopover(Rect rect, const View& view, bool animated);
    void buttonTapped(int64_t index);
    void touchedOutside();
    void rebuildButtons();
    bool showsButton(int64_t index) const;
    double titleHeight(double width) const;
    void didPresent();

    std::string _title;
    std::weak_ptr<ActionSheetDelegate> _delegate;
    std::vector<std::string> _buttonTitles;
    int64_t _cancelButtonIndex = -1;
    int64_t _destructiveButtonIndex = -1;
    ActionSheetStyle _style = ActionSheetStyle::Automatic;
    std::shared_ptr<Label> _titleLabel;
    std::vector<std::shared_ptr<Button>> _buttons;
    // What shows the sheet holds it (the overlay in the window, which also
    // keeps the popover); the sheet only points back.
    std::weak_ptr<detail::ModalOverlay> _overlay;
    std::weak_ptr<PopoverController> _popover;
    std::shared_ptr<PopoverWatcher> _popoverWatcher;
    bool _inPopover = false;
    bool _visible = false;
    bool _dismissing = false;
};

}  // namespace plat
