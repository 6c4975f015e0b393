#pragma once
#include <optional>

#include "platform/ui/Control.h"

namespace plat {

// The platform's on/off switch (51 x 31 points whatever its frame): a tap
// flips it and sends value-changed; setOn changes it without events.
class Switch : public Control {
public:
    static constexpr Size kSize {51, 31};

    Switch();
    explicit Switch(Rect frame);

    bool isOn() const { return _on; }
    void setOn(bool on);
    void setOn(bool on, bool animated);
    std::optional<Color> onTintColor() const { return _onTint; }
    void setOnTintColor(std::optional<Color> color);
    std::optional<Color> thumbTintColor() const { return _thumbTint; }
    void setThumbTintColor(std::optional<Color> color);
    // The outline of the off state (the view's tint colour when none).
    std::optional<Color> offTintColor() const { return _offTint; }
    void setOffTintColor(std::optional<Color> color);

    void setFrame(Rect frame) override;
    Size sizeThatFits(Size) const override { return kSize; }
    void endTrackingWithTouch(Touch& touch, const Event& event) override;
    void drawRect(GraphicsContext& context, Rect rect) override;

protected:
    bool keepsDragsFromAncestors() const override { return true; }

private:
    bool _on = false;
    std::optional<Color> _onTint;
    std::optional<Color> _thumbTint;
    std::optional<Color> _offTint;
};

}  // namespace plat
