#pragma once
#include <cstdint>
#include <optional>

#include "platform/foundation/Geometry.h"

namespace plat {
class Layer;
class PanGestureRecognizer;
class ViewController;
}  // namespace plat

namespace zt {
class SPSidePanelController;

// What a side-panel container tells and asks its delegate (and, in a
// delegate mode other than 0, its child controllers that adopt this too).
// Every operation is optional: the questions answer nullopt ("not
// implemented", which counts as yes or as no change) and the announcements
// do nothing unless overridden. The first argument is always the container.
class SPSidePanelControllerDelegate {
public:
    virtual ~SPSidePanelControllerDelegate() = default;

    // Draws the sliding view's shadow in place of the built-in one; true
    // when it did (the default draws nothing and answers false).
    virtual bool sidePanelControllerApplyShadowWithBounds(SPSidePanelController&, plat::Layer&, plat::Rect)
    {
        return false;
    }
    // The ledge to store instead of the one offered.
    virtual std::optional<double> sidePanelControllerChangesLedgeForSide(SPSidePanelController&, double, uint32_t)
    {
        return std::nullopt;
    }
    virtual std::optional<bool> sidePanelControllerShouldOpenViewSide(SPSidePanelController&, uint32_t)
    {
        return std::nullopt;
    }
    virtual std::optional<bool> sidePanelControllerShouldCloseViewSide(SPSidePanelController&, uint32_t)
    {
        return std::nullopt;
    }
    virtual void sidePanelControllerWillOpenViewSideAnimated(SPSidePanelController&, uint32_t, bool) { }
    virtual void sidePanelControllerDidOpenViewSideAnimated(SPSidePanelController&, uint32_t, bool) { }
    virtual void sidePanelControllerWillCloseViewSideAnimated(SPSidePanelController&, uint32_t, bool) { }
    virtual void sidePanelControllerDidCloseViewSideAnimated(SPSidePanelController&, uint32_t, bool) { }
    // Right after each did-close.
    virtual void sidePanelControllerDidShowCenterViewFromSideAnimated(SPSidePanelController&, uint32_t, bool) { }
    virtual void sidePanelControllerDidChangeOffsetOrientationPanning(SPSidePanelController&, double, uint32_t, bool) {
    }
    // The outward leg of a bouncing open (close) finished.
    virtual void sidePanelControllerDidBounceViewSideOpeningController(
        SPSidePanelController&, uint32_t, plat::ViewController*)
    {
    }
    virtual void sidePanelControllerDidBounceViewSideClosingController(
        SPSidePanelController&, uint32_t, plat::ViewController*)
    {
    }
    virtual std::optional<bool> sidePanelControllerShouldPreviewBounceViewSide(SPSidePanelController&, uint32_t)
    {
        return std::nullopt;
    }
    virtual void sidePanelControllerWillPreviewBounceViewSideAnimated(SPSidePanelController&, uint32_t, bool) { }
    virtual void sidePanelControllerDidPreviewBounceViewSideAnimated(SPSidePanelController&, uint32_t, bool) { }
    // Asked in panning mode 4 before a pan begins.
    virtual std::optional<bool> sidePanelControllerShouldPan(SPSidePanelController&, plat::PanGestureRecognizer&)
    {
        return std::nullopt;
    }
};

}  // namespace zt
