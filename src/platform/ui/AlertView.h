#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/View.h"

namespace plat {
class AlertView;
class Button;
class Label;
class ScrollView;
class Window;
namespace detail {
class ModalOverlay;
}

// What an alert tells its delegate (operations named after their whole
// selector where they begin with "alertView").
class AlertViewDelegate {
public:
    virtual ~AlertViewDelegate() = default;
    virtual void alertViewClickedButtonAtIndex(AlertView&, int64_t /*buttonIndex*/) { }
    // The system takes the alert away. Return true when handled; by
    // default (false) the alert dismisses itself with its cancel index.
    virtual bool alertViewCancel(AlertView&) { return false; }
    virtual void willPresentAlertView(AlertView&) { }
    virtual void didPresentAlertView(AlertView&) { }
    virtual void alertViewWillDismissWithButtonIndex(AlertView&, int64_t /*buttonIndex*/) { }
    virtual void alertViewDidDismissWithButtonIndex(AlertView&, int64_t /*buttonIndex*/) { }
};

// The platform's alert: a title, a message and buttons in a rounded panel
// in the middle of the screen, in front of the dimmed app, which it keeps
// from touches. Buttons are numbered in the order they were given (a
// cancel button given at creation is 0); two buttons sit side by side
// (cancel on the left), more are stacked (cancel last). A tap on a button
// tells the delegate it was clicked, then the alert fades away (will and
// did dismiss). Without buttons only code dismisses it. A message too long
// for the screen scrolls, so the alert and its buttons stay inside it. One
// alert shows at a time: one asked for while another is up waits, not
// visible, until the alerts before it have gone (dismissing it by code
// meanwhile takes it out of the line). The window keeps a shown or waiting
// alert alive, so callers may let go of it.
// Subclasses may draw their own panel (drawRect). Main thread.
class AlertView : public View {
public:
    static constexpr double kWidth = 270;
    static constexpr double kButtonHeight = 44;
    static constexpr double kPresentSeconds = 0.2;
    static constexpr double kDismissSeconds = 0.2;

    AlertView(std::string title, std::string message, std::weak_ptr<AlertViewDelegate> delegate,
        std::optional<std::string> cancelButtonTitle, std::vector<std::string> otherButtonTitles);
    ~AlertView() override;

    const std::string& title() const { return _title; }
    void setTitle(std::string title);
    const std::string& message() const { return _message; }
    void setMessage(std::string message);
    std::weak_ptr<AlertViewDelegate> delegate() const { return _delegate; }
    void setDelegate(std::weak_ptr<AlertViewDelegate> delegate) { _delegate = std::move(delegate); }

    int64_t addButtonWithTitle(std::string title);
    int64_t numberOfButtons() const { return static_cast<int64_t>(_buttonTitles.size()); }
    std::string buttonTitleAtIndex(int64_t index) const;
    // -1 when there is none.
    int64_t cancelButtonIndex() const { return _cancelButtonIndex; }
    void setCancelButtonIndex(int64_t index);
    int64_t firstOtherButtonIndex() const;
    bool isVisible() const { return _visible; }

    void show();
    // By code: the delegate hears will and did dismiss, not a click.
    void dismissWithClickedButtonIndex(int64_t buttonIndex, bool animated);
    // What the system does when it takes the alert away.
    void cancelBySystem();

    void layoutSubviews() override;
    void drawRect(GraphicsContext& context, Rect rect) override;
    Size sizeThatFits(Size size) const override;

private:
    friend class AlertButton;
    void buttonTapped(int64_t index);
    // Shows the window's next waiting alert once none is shown.
    static void presentNextAlert(Window& window);
    void present(Window& window);
    bool isWaiting() const;
    void rebuildButtons();
    bool buttonsSideBySide() const;
    double buttonsHeight() const;
    double titleHeight() const;
    double naturalMessageHeight() const;
    // The height of the message as shown: all of it, or what leaves the
    // alert inside the screen, the rest scrolled to.
    double shownMessageHeight() const;
    double textHeight() const;
    void fitToText();

    std::string _title;
    std::string _message;
    std::weak_ptr<AlertViewDelegate> _delegate;
    std::vector<std::string> _buttonTitles;
    int64_t _cancelButtonIndex = -1;
    std::shared_ptr<Label> _titleLabel;
    std::shared_ptr<Label> _messageLabel;
    std::shared_ptr<ScrollView> _messageScroller;
    std::vector<std::shared_ptr<Button>> _buttons;
    // The overlay in the window holds the shown alert; the alert only points back.
    std::weak_ptr<detail::ModalOverlay> _overlay;
    // The window it is shown in or waits for.
    std::weak_ptr<Window> _window;
    bool _visible = false;
    bool _dismissing = false;
};

}  // namespace plat
