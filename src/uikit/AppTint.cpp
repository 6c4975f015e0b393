#include "uikit/AppTint.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageContext.h"
#include "platform/graphics/Path.h"
#include "platform/ui/Device.h"
#include "platform/ui/NavigationBar.h"

namespace zt {

namespace {

constexpr double kPlateCornerRadius = 6;

}  // namespace

plat::Color appTintColor()
{
    return plat::Color::colorWithRed(212 / 255.0, 3 / 255.0, 215 / 255.0, 1);
}

plat::Color appTintForTextOnLightColor()
{
    return plat::Color::colorWithRed(170 / 255.0, 0, 173 / 255.0, 1);
}

plat::Color appTintForTextOnDarkColor()
{
    return plat::Color::colorWithRed(240 / 255.0, 112 / 255.0, 242 / 255.0, 1);
}

void tintBarButtonsForReading(plat::NavigationBar& bar)
{
    const plat::Color shade
        = bar.barStyle() == plat::BarStyle::Black ? appTintForTextOnDarkColor() : appTintForTextOnLightColor();
    if (bar.tintColor() != shade)
        bar.setTintColor(shade);
}

plat::Color appTintFillColor()
{
    return appTintForTextOnLightColor();
}

std::shared_ptr<const plat::Image> appTintPlateImage()
{
    // The corners and one stretchable point between them.
    constexpr double kSide = 2 * kPlateCornerRadius + 1;
    plat::ImageContext drawing({kSide, kSide}, /*opaque=*/false, /*scale=*/0);
    if (auto* context = drawing.context()) {
        context->setFillColor(appTintFillColor());
        context->beginPath();
        context->addPath(plat::Path::pathWithRoundedRect(plat::makeRect(0, 0, kSide, kSide), kPlateCornerRadius));
        context->fillPath();
    }
    auto plate = drawing.finish();
    if (!plate)
        return nullptr;
    return plate->resizableImageWithCapInsets(
        {kPlateCornerRadius, kPlateCornerRadius, kPlateCornerRadius, kPlateCornerRadius});
}

bool controlsTakeAppTint()
{
    return plat::Device::currentDevice().systemVersionIsAtLeast("5.0");
}

}  // namespace zt
