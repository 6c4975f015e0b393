#pragma once
#include <memory>
#include <optional>
#include <vector>

#include "platform/graphics/Color.h"
#include "platform/ui/View.h"

namespace plat {
class Gradient;
}

namespace zt {

// A view painted with a linear or radial gradient, with optional one-point
// (or one-pixel) border and inset lines on each side. While the interface
// is dimmed it paints grey tones of the same brightness. Main thread.
class QVGradientView : public plat::View {
public:
    enum GradientMode : unsigned { GradientModeLinear = 0, GradientModeRadial = 1 };
    enum GradientDirection : unsigned { GradientDirectionVertical = 0, GradientDirectionHorizontal = 1 };

    // Both redraw on every change of the bounds.
    QVGradientView();
    explicit QVGradientView(plat::Rect frame);
    ~QVGradientView() override;

    // Fewer than two colours paint no gradient. Locations (0 to 1) count only
    // when there is one per colour; otherwise the stops are evenly spaced.
    const std::vector<plat::Color>& gradientColors() const { return _gradientColors; }
    void setGradientColors(std::vector<plat::Color> colors);
    const std::vector<double>& gradientLocations() const { return _gradientLocations; }
    void setGradientLocations(std::vector<double> locations);
    // Unset: the gradient colours, desaturated where they have a hue.
    std::vector<plat::Color> dimmedGradientColors() const;
    void setDimmedGradientColors(std::optional<std::vector<plat::Color>> colors);

    // Any value other than linear is radial; for linear, any other than vertical is horizontal.
    unsigned gradientMode() const { return _gradientMode; }
    void setGradientMode(unsigned mode);
    unsigned gradientDirection() const { return _gradientDirection; }
    void setGradientDirection(unsigned direction);
    // Borders one device pixel thick instead of one point.
    bool useThinBorders() const { return _useThinBorders; }
    void setUseThinBorders(bool thin);

    // A border line per side and the inset line just inside it; an inset
    // line shows only on a side with a border.
    const std::optional<plat::Color>& topBorderColor() const { return _topBorderColor; }
    void setTopBorderColor(std::optional<plat::Color> color);
    const std::optional<plat::Color>& topInsetColor() const { return _topInsetColor; }
    void setTopInsetColor(std::optional<plat::Color> color);
    const std::optional<plat::Color>& rightBorderColor() const { return _rightBorderColor; }
    void setRightBorderColor(std::optional<plat::Color> color);
    const std::optional<plat::Color>& rightInsetColor() const { return _rightInsetColor; }
    void setRightInsetColor(std::optional<plat::Color> color);
    const std::optional<plat::Color>& bottomBorderColor() const { return _bottomBorderColor; }
    void setBottomBorderColor(std::optional<plat::Color> color);
    const std::optional<plat::Color>& bottomInsetColor() const { return _bottomInsetColor; }
    void setBottomInsetColor(std::optional<plat::Color> color);
    const std::optional<plat::Color>& leftBorderColor() const { return _leftBorderColor; }
    void setLeftBorderColor(std::optional<plat::Color> color);
    const std::optional<plat::Color>& leftInsetColor() const { return _leftInsetColor; }
    void setLeftInsetColor(std::optional<plat::Color> color);

    // The drawable gradient built from the colours and locations (none with fewer than two colours).
    const std::shared_ptr<plat::Gradient>& gradient() const { return _gradient; }
    void setGradient(std::shared_ptr<plat::Gradient> gradient);

    void drawRect(plat::GraphicsContext& context, plat::Rect rect) override;
    void tintColorDidChange() override;

private:
    void refreshGradient();
    void setColorAndRedraw(std::optional<plat::Color>& field, std::optional<plat::Color> color);

    std::vector<plat::Color> _gradientColors;
    std::vector<double> _gradientLocations;
    std::optional<std::vector<plat::Color>> _dimmedGradientColors;
    unsigned _gradientMode = GradientModeLinear;
    unsigned _gradientDirection = GradientDirectionVertical;
    bool _useThinBorders = false;
    std::optional<plat::Color> _topBorderColor;
    std::optional<plat::Color> _topInsetColor;
    std::optional<plat::Color> _rightBorderColor;
    std::optional<plat::Color> _rightInsetColor;
    std::optional<plat::Color> _bottomBorderColor;
    std::optional<plat::Color> _bottomInsetColor;
    std::optional<plat::Color> _leftBorderColor;
    std::optional<plat::Color> _leftInsetColor;
    std::shared_ptr<plat::Gradient> _gradient;
};

}  // namespace zt
