#pragma once
#include <optional>

#include "platform/graphics/Color.h"
#include "platform/ui/View.h"

namespace zt {

// A thin ring that fills clockwise from 12 o'clock as the progress grows
// from 0 to 1 (the interval timer's countdown). Main thread.
class QVCircularProgressView : public plat::View {
public:
    // init: 40 x 40 at the origin.
    QVCircularProgressView();
    explicit QVCircularProgressView(plat::Rect frame);

    float progress() const { return _progress; }
    // Stores the share (not clamped: beyond 1 the slice goes round again) and
    // redraws. NaN and infinities would draw nothing sensible and are refused.
    void setProgress(float progress);

    // Unset, the track is black and the filled part white. A new colour
    // shows at the next redraw.
    plat::Color trackTintColor() const { return _trackTintColor.value_or(plat::Color::blackColor()); }
    void setTrackTintColor(std::optional<plat::Color> color) { _trackTintColor = std::move(color); }
    plat::Color progressTintColor() const { return _progressTintColor.value_or(plat::Color::whiteColor()); }
    void setProgressTintColor(std::optional<plat::Color> color) { _progressTintColor = std::move(color); }

    void drawRect(plat::GraphicsContext& context, plat::Rect rect) override;

private:
    float _progress = 0;
    std::optional<plat::Color> _trackTintColor;
    std::optional<plat::Color> _progressTintColor;
};

}  // namespace zt
