#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/AlertView.h"

namespace plat {
class GraphicsContext;
}

namespace zt {

// The alert the app's screens use: each button carries the block that runs
// when it is tapped, instead of a delegate. The alert answers its own
// delegate calls; it draws a dark rounded panel with a light rim and a soft
// gloss over its upper part, in the colours shared by every alert. The
// window keeps a shown alert alive, so callers create, configure, show and
// let go; blocks that need the alert get it as their argument. Main thread.
class AlertView : public plat::AlertView {
public:
    using ButtonBlock = std::function<void(AlertView& alert, int64_t buttonIndex)>;
    using AlertBlock = std::function<void(AlertView& alert)>;

    static constexpr double kCornerRadius = 8.0;

    // initWithTitle:message: without buttons; button indexes start at 0
    // with the first added button.
    AlertView(std::string title, std::string message);
    // The platform's initialiser: the given delegate (none reports nothing
    // back) and buttons, no blocks.
    AlertView(std::string title, std::string message, std::weak_ptr<plat::AlertViewDelegate> delegate,
        std::optional<std::string> cancelButtonTitle, std::vector<std::string> otherButtonTitles);
    ~AlertView() override;

    // The block runs when the button is tapped; an empty block is a button
    // without an action. Returns the button's index.
    int64_t addButtonWithTitle(std::string title, ButtonBlock block);

    void setAlertViewCancelBlock(AlertBlock block) { _cancel = std::move(block); }
    void setWillPresentAlertViewBlock(AlertBlock block) { _willPresent = std::move(block); }
    void setDidPresentAlertViewBlock(AlertBlock block) { _didPresent = std::move(block); }
    void setAlertViewWillDismissWithButtonIndexBlock(ButtonBlock block) { _willDismiss = std::move(block); }
    void setAlertViewDidDismissWithButtonIndexBlock(ButtonBlock block) { _didDismiss = std::move(block); }

    // setBackgroundColor:withStrokeColor: the fill and rim of every alert drawn from now on.
    static void setBackgroundColorWithStrokeColor(const plat::Color& fill, const plat::Color& stroke);
    static std::optional<plat::Color> sharedBackgroundColor();
    static std::optional<plat::Color> sharedStrokeColor();
    // Back to "no colour set yet"; for tests, which share the process.
    static void resetSharedColorsForTesting();

    // Adds a closed path to the context: from the middle of the left edge,
    // through one arc of the radius towards each corner, tangent to the sides.
    void drawRoundedRect(plat::Rect rect, plat::GraphicsContext& context, double radius) const;

    void drawRect(plat::GraphicsContext& context, plat::Rect rect) override;
    void layoutSubviews() override;

private:
    class BlockResponder;
    void clickedButtonAtIndex(int64_t index);
    bool cancelledBySystem();
    void runBlock(const AlertBlock& block);
    void runBlock(const ButtonBlock& block, int64_t index);
    void removeStockBackground();
    void useLightText();
    static void lightenTextsIn(plat::View& view);

    // The platform alert holds its delegate weakly; the alert owns the
    // responder that forwards to it, so the responder never outlives it.
    std::shared_ptr<BlockResponder> _responder;
    // The action of each button, at the button's index.
    std::vector<ButtonBlock> _buttonCallbackArray;
    AlertBlock _cancel;
    AlertBlock _willPresent;
    AlertBlock _didPresent;
    ButtonBlock _willDismiss;
    ButtonBlock _didDismiss;
};

}  // namespace zt
