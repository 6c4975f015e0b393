#include "uikit/QVCircularProgressView.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/Log.h"
#include "platform/graphics/GraphicsContext.h"

namespace zt {

namespace {

constexpr double kDefaultSide = 40;
// Progress 1 stops a tenth of a degree short of a full turn, so the slice
// never closes into a disc whose start and end coincide.
constexpr double kFullTurnDegrees = 359.9;
constexpr double kRadiansPerDegree = 0.0174532925;
constexpr double kTwelveOClock = 4.712388975;  // 3 pi / 2
// The end dot sits at this share of the radius; the hole leaves a ring this thin.
constexpr double kEndDotRadiusShare = 0.85;
constexpr double kHoleRadiusShare = 0.92;

}  // namespace

QVCircularProgressView::QVCircularProgressView()
    : QVCircularProgressView(plat::makeRect(0, 0, kDefaultSide, kDefaultSide))
{
}

QVCircularProgressView::QVCircularProgressView(plat::Rect frame)
    : plat::View(frame)
{
    setBackgroundColor(plat::Color::clearColor());
}

void QVCircularProgressView::setProgress(float progress)
{
    if (!std::isfinite(progress)) {
        plat::log("QVCircularProgressView: progress {} ignored; it stays {}", progress, _progress);
        return;
    }
    _progress = progress;
    setNeedsDisplay();
}

void QVCircularProgressView::drawRect(plat::GraphicsContext& context, plat::Rect)
{
    const double width = bounds().width();
    const double height = bounds().height();
    // x from the height and y from the width: the same point for the square views in use.
    const plat::Point centre {height / 2, width / 2};
    const double radius = std::min(width, height) / 2;
    if (!(radius > 0))
        return;
    const double end = (static_cast<double>(_progress) * kFullTurnDegrees - 90) * kRadiansPerDegree;

    context.setFillColor(trackTintColor());
    context.beginPath();
    context.addArc(centre, radius, 0, 2 * M_PI, /*clockwise=*/true);
    context.fillPath();

    context.setFillColor(progressTintColor());
    context.beginPath();
    context.moveToPoint(centre);
    context.addArc(centre, radius, kTwelveOClock, end, /*clockwise=*/true);
    context.closePath();
    context.fillPath();
    context.fillRect(plat::makeRect(centre.x - 0.5, 0, 1, 1));
    context.fillRect(plat::makeRect(radius * (std::cos(end) * kEndDotRadiusShare + 1) - 0.5,
        radius * (std::sin(end) * kEndDotRadiusShare + 1) - 0.5, 1, 1));

    context.setBlendMode(plat::BlendMode::Clear);
    context.beginPath();
    context.addArc(centre, radius * kHoleRadiusShare, 0, 2 * M_PI, /*clockwise=*/true);
    context.fillPath();
}

}  // namespace zt
