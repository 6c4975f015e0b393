#pragma once
#include <optional>

#include "platform/ui/View.h"

namespace plat {
class Layer;

enum class ActivityIndicatorViewStyle : int { WhiteLarge = 0, White = 1, Gray = 2 };

// The platform's spinner: twelve spokes that turn while animating (a
// repeating layer rotation on the run loop's clock); hidden when stopped
// unless told otherwise.
class ActivityIndicatorView : public View {
public:
    explicit ActivityIndicatorView(ActivityIndicatorViewStyle style = ActivityIndicatorViewStyle::White);

    ActivityIndicatorViewStyle activityIndicatorViewStyle() const { return _style; }
    void setActivityIndicatorViewStyle(ActivityIndicatorViewStyle style);
    std::optional<Color> color() const { return _color; }
    void setColor(std::optional<Color> color);
    bool hidesWhenStopped() const { return _hidesWhenStopped; }
    void setHidesWhenStopped(bool hides);

    void startAnimating();
    void stopAnimating();
    bool isAnimating() const { return _animating; }

    Size sizeThatFits(Size size) const override;
    void layoutSubviews() override;

private:
    Color spokeColor() const;
    void drawSpokes();

    ActivityIndicatorViewStyle _style;
    std::optional<Color> _color;
    bool _hidesWhenStopped = true;
    bool _animating = false;
    std::shared_ptr<Layer> _spokes;
};

}  // namespace plat
