#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Geometry.h"
#include "platform/graphics/Color.h"
#include "platform/ui/Object.h"

namespace plat {
class Button;
class Control;
class View;
}  // namespace plat

namespace zt {
class TipPopoverView;

// Posted on the main thread when the help overlay's background is tapped;
// the object is the FrameEditorHelp, no payload. The frame editor closes
// the overlay.
inline constexpr const char* FrameEditorHelpCloseNotification = "FrameEditorHelpCloseNotification";

// One bubble of the help overlay: its text, the spot it points at (in the
// help view's coordinates), its arrow (0: chosen by where the spot lies,
// else a TipPopoverArrowDirection), its colour (none: the default purple)
// and what a tap on it does (none: a long text opens in full).
struct FrameEditorHelpItem {
    std::string text;
    plat::Rect rect;
    uint64_t arrowDirection = 0;
    std::optional<plat::Color> color;
    std::function<void()> block;
};

// The frame editor's help overlay: a speech bubble at each control with a
// short text, over a close button that covers the view, so a tap beside
// the bubbles closes the overlay (through FrameEditorHelpCloseNotification).
// Every bubble shows its whole text, however long; one that has a block
// carries a button and a mark that says it leads on, and a tap runs the
// block. Made afresh for each showing. Main thread.
class FrameEditorHelp : public plat::Object {
public:
    static constexpr double kBubbleWidthTablet = 200.0;
    static constexpr double kBubbleWidthPhone = 150.0;
    // Above and below a bubble's text.
    static constexpr double kTextMargin = 8.0;
    // A text wider than this many bubble widths on one line is wrapped in a
    // bubble of the bubble width, which it widens by steps, up to the
    // widest, until it takes no more lines.
    static constexpr double kLongTextFactor = 1.85;
    static constexpr int kMostLines = 3;
    static constexpr double kWideningStep = 10.0;
    static constexpr double kWidestText = 300.0;
    static constexpr double kFontSize = 12.0;
    static constexpr double kMoreImageWidth = 25.0;
    // Between the text and the mark of a bubble that leads on.
    static constexpr double kMarkGap = 4.0;
    static constexpr double kLabelInset = 5.0;
    static constexpr double kUnlimitedTextHeight = 10000;
    // Opaque, so that neither the picture nor the toolbar's icons show
    // through; white text reads on it at 6.1 to 1.
    static plat::Color defaultBubbleColor();

    FrameEditorHelp();
    ~FrameEditorHelp() override;

    // addHelp:atRect:withArrowPosition:withColor:andBlock: and its shorter forms.
    void addHelp(const std::string& text, plat::Rect rect, uint64_t arrowDirection, std::optional<plat::Color> color,
        std::function<void()> block);
    void addHelp(const std::string& text, plat::Rect rect, uint64_t arrowDirection);
    void addHelp(const std::string& text, plat::Rect rect);
    // The first item at exactly that rectangle gets the text; bubbles shown stay as they are.
    void replaceHelpAtRect(plat::Rect rect, const std::string& text);

    // Shows every item's bubble in the view, above a close button that
    // covers it. Shown already: nothing (the first showing stays the only one).
    void showHelpInView(const std::shared_ptr<plat::View>& view);
    // A bubble's button (its tag is the item's index): runs the item's block.
    void actionHelpBtn(plat::Button& button);
    // The close button: posts FrameEditorHelpCloseNotification.
    void actionClose(plat::Control& sender);
    // Takes the close button away and fades every bubble out. Taps on
    // bubbles still fading do nothing.
    void dismissHelp();

    const std::vector<FrameEditorHelpItem>& helpItems() const { return _helpItems; }
    // Index-aligned with the items once shown.
    const std::vector<std::shared_ptr<TipPopoverView>>& popovers() const { return _popovers; }
    const std::shared_ptr<plat::View>& helpView() const { return _helpView; }
    const std::shared_ptr<plat::Button>& closeButton() const { return _closeButton; }
    bool isShown() const { return _isShown; }

private:
    std::shared_ptr<TipPopoverView> makeBubble(size_t index);
    double bubbleWidth() const;
    unsigned arrowDirectionFor(const FrameEditorHelpItem& item) const;
    // The item and bubble of a button's tag; nullopt when there are none (or the overlay closed).
    std::optional<size_t> indexOfButton(const plat::Button& button) const;

    std::vector<std::shared_ptr<TipPopoverView>> _popovers;
    std::shared_ptr<plat::View> _helpView;
    std::vector<FrameEditorHelpItem> _helpItems;
    std::shared_ptr<plat::Button> _closeButton;
    bool _isShown = false;
};

}  // namespace zt
