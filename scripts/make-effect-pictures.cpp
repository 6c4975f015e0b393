// Makes resources/edit_effect_0.png ... edit_effect_7.png, the pictures of
// the effect chooser: one small landscape shown with each colour effect,
// through the effects' own code, so each picture shows what its effect does.
// Usage: make_effect_pictures RESOURCES-FOLDER (scripts/make-effect-pictures.sh).
#include <cstdio>
#include <memory>
#include <string>

#include "effects/ColorChangeFilter.h"
#include "effects/DitherFilter.h"
#include "effects/GrayscaleFilter.h"
#include "effects/PosterizeFilter.h"
#include "effects/SepiaFilter.h"
#include "effects/ThermalFilter.h"
#include "effects/UIImageFilter.h"
#include "effects/XRayFilter.h"
#include "platform/foundation/Files.h"
#include "platform/graphics/Gradient.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageRepresentation.h"
#include "platform/graphics/Path.h"

namespace {

constexpr int kWidth = 120;
constexpr int kHeight = 68;
constexpr int kPosterizeLevels = 4;

plat::Color rgb(double red, double green, double blue)
{
    return plat::Color::colorWithRed(red, green, blue, 1);
}

// A sunny hill with a house and the app's ball.
std::shared_ptr<plat::Image> drawScene()
{
    auto context = plat::GraphicsContext::bitmapContext(kWidth, kHeight, 1, plat::ContextOpacity::Opaque);
    plat::Gradient sky({rgb(0.25, 0.55, 0.92), rgb(0.80, 0.90, 1.0)});
    context->drawLinearGradient(sky, {0, 0}, {0, 46}, plat::GradientDrawsAfterEndLocation);
    context->setFillColor(rgb(1.0, 0.85, 0.20));
    context->fillEllipseInRect(plat::makeRect(90, 6, 18, 18));
    context->setFillColor(rgb(0.30, 0.62, 0.25));
    context->beginPath();
    context->moveToPoint({0, 46});
    context->addCurveToPoint({30, 30}, {70, 36}, {120, 44});
    context->addLineToPoint({120, 68});
    context->addLineToPoint({0, 68});
    context->closePath();
    context->fillPath();
    context->setFillColor(rgb(0.86, 0.20, 0.16));
    context->fillRect(plat::makeRect(22, 30, 22, 16));
    context->setFillColor(rgb(0.35, 0.22, 0.16));
    context->beginPath();
    context->moveToPoint({19, 31});
    context->addLineToPoint({33, 20});
    context->addLineToPoint({47, 31});
    context->closePath();
    context->fillPath();
    context->setFillColor(rgb(0.98, 0.92, 0.55));
    context->fillRect(plat::makeRect(29, 34, 6, 6));
    context->setFillColor(rgb(212 / 255.0, 3 / 255.0, 215 / 255.0));
    context->fillEllipseInRect(plat::makeRect(74, 44, 14, 14));
    context->setFillColor(plat::Color::colorWithWhite(1, 0.6));
    context->fillEllipseInRect(plat::makeRect(77, 46, 5, 4));
    return context->makeImage();
}

std::shared_ptr<const zt::RGBFilter> filterForEffect(int effect)
{
    switch (effect) {
    case 1:
        return std::make_shared<zt::GrayscaleFilter>();
    case 2:
        return std::make_shared<zt::SepiaFilter>();
    case 3:
        return std::make_shared<zt::PosterizeFilter>(kPosterizeLevels);
    case 4:
        return std::make_shared<zt::ColorChangeFilter>();
    case 5:
        return std::make_shared<zt::ThermalFilter>();
    case 6:
        return std::make_shared<zt::XRayFilter>();
    case 7:
        return std::make_shared<zt::DitherFilter>();
    default:
        return nullptr;
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s RESOURCES-FOLDER\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    std::shared_ptr<const plat::Image> scene = drawScene();
    for (int effect = 0; effect < 8; ++effect) {
        auto picture = zt::UIImageFilter(filterForEffect(effect)).processImage(scene);
        auto png = picture ? plat::PNGRepresentation(*picture) : std::nullopt;
        std::string path = folder + "/edit_effect_" + std::to_string(effect) + ".png";
        if (!png || !plat::writeFileAtomically(path, *png).ok()) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
