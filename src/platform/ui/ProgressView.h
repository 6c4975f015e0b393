#pragma once
#include <optional>

#include "platform/ui/View.h"

namespace plat {

enum class ProgressViewStyle : int { Default = 0, Bar = 1 };

// The platform's progress bar: a share from 0 to 1 filled in the tint (or
// progress tint) over the track tint.
class ProgressView : public View {
public:
    static constexpr double kHeight = 2;

    explicit ProgressView(ProgressViewStyle style = ProgressViewStyle::Default);
    explicit ProgressView(Rect frame);

    ProgressViewStyle progressViewStyle() const { return _style; }
    double progress() const { return _progress; }
    void setProgress(double progress);
    void setProgress(double progress, bool animated);
    std::optional<Color> progressTintColor() const { return _progressTint; }
    void setProgressTintColor(std::optional<Color> color);
    std::optional<Color> trackTintColor() const { return _trackTint; }
    void setTrackTintColor(std::optional<Color> color);

    Size sizeThatFits(Size size) const override { return {size.width, kHeight}; }
    void drawRect(GraphicsContext& context, Rect rect) override;
    void tintColorDidChange() override { setNeedsDisplay(); }

private:
    ProgressViewStyle _style = ProgressViewStyle::Default;
    double _progress = 0;
    std::optional<Color> _progressTint;
    std::optional<Color> _trackTint;
};

}  // namespace plat
