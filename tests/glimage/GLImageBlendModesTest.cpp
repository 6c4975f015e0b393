#include <cmath>
#include <gtest/gtest.h>

#include "GLImageCpuReference.h"
#include "glimage/GLImageAddBlendFilter.h"
#include "glimage/GLImageAlphaBlendFilter.h"
#include "glimage/GLImageColorBlendFilter.h"
#include "glimage/GLImageColorBurnBlendFilter.h"
#include "glimage/GLImageColorDodgeBlendFilter.h"
#include "glimage/GLImageDarkenBlendFilter.h"
#include "glimage/GLImageDifferenceBlendFilter.h"
#include "glimage/GLImageDivideBlendFilter.h"
#include "glimage/GLImageExclusionBlendFilter.h"
#include "glimage/GLImageHardLightBlendFilter.h"
#include "glimage/GLImageHueBlendFilter.h"
#include "glimage/GLImageLightenBlendFilter.h"
#include "glimage/GLImageLinearBurnBlendFilter.h"
#include "glimage/GLImageLuminosityBlendFilter.h"
#include "glimage/GLImageNormalBlendFilter.h"
#include "glimage/GLImageOverlayBlendFilter.h"
#include "glimage/GLImageSaturationBlendFilter.h"
#include "glimage/GLImageScreenBlendFilter.h"
#include "glimage/GLImageSoftLightBlendFilter.h"
#include "glimage/GLImageSourceOverBlendFilter.h"
#include "glimage/GLImageSubtractBlendFilter.h"

namespace {

using zt::test::Colour;

// Premultiplied pictures of every mix of light and dark, opaque and
// see-through. The overlay has no zero colour component, which colour burn
// and divide would divide by.
std::shared_ptr<plat::Image> basePicture()
{
    return zt::test::makePicture(12, 9, [](int x, int y) {
        const double alpha = x < 4 ? 1.0 : (x < 8 ? 0.7 : 0.4);
        const double r = 0.05 + 0.08 * ((x * 3 + y) % 12);
        const double g = 0.95 - 0.07 * ((x + y * 2) % 13);
        const double b = 0.1 + 0.1 * (y % 9);
        return Colour {r * alpha, g * alpha, b * alpha, alpha};
    });
}

std::shared_ptr<plat::Image> overlayPicture()
{
    return zt::test::makePicture(12, 9, [](int x, int y) {
        const double alpha = y < 3 ? 1.0 : (y < 6 ? 0.6 : 0.3);
        const double r = 0.15 + 0.07 * ((x + y * 5) % 12);
        const double g = 0.12 + 0.075 * ((x * 2 + y) % 11);
        const double b = 0.9 - 0.07 * ((x * 5 + y * 3) % 11);
        return Colour {r * alpha, g * alpha, b * alpha, alpha};
    });
}

using Formula = std::function<Colour(const Colour& b, const Colour& o)>;

// Each colour channel through f, alpha as given.
Colour perChannel(const Colour& b, const Colour& o, double alpha, const std::function<double(double, double)>& f)
{
    return {f(b[0], o[0]), f(b[1], o[1]), f(b[2], o[2]), alpha};
}

Colour allFour(const Colour& b, const Colour& o, const std::function<double(double, double)>& f)
{
    return {f(b[0], o[0]), f(b[1], o[1]), f(b[2], o[2]), f(b[3], o[3])};
}

// O.X (1 - B.a) + B.X (1 - O.a)
double alphaTerms(const Colour& b, const Colour& o, double bx, double ox)
{
    return ox * (1 - b[3]) + bx * (1 - o[3]);
}

using Rgb = std::array<double, 3>;

double lum(const Rgb& c)
{
    return 0.3 * c[0] + 0.59 * c[1] + 0.11 * c[2];
}

Rgb clipColour(Rgb c)
{
    const double l = lum(c);
    const double n = std::min({c[0], c[1], c[2]});
    const double x = std::max({c[0], c[1], c[2]});
    if (n < 0)
        for (auto& v : c)
            v = l + (v - l) * l / (l - n);
    if (x > 1)
        for (auto& v : c)
            v = l + (v - l) * (1 - l) / (x - l);
    return c;
}

Rgb setLum(Rgb c, double l)
{
    const double d = l - lum(c);
    for (auto& v : c)
        v += d;
    return clipColour(c);
}

double sat(const Rgb& c)
{
    return std::max({c[0], c[1], c[2]}) - std::min({c[0], c[1], c[2]});
}

Rgb setSat(const Rgb& c, double s)
{
    const double r = c[0], g = c[1], b = c[2];
    auto mid = [&](double low, double middle, double high) { return (middle - low) * s / (high - low); };
    if (r > g && r > b)
        return g > b ? Rgb {s, mid(b, g, r), 0} : Rgb {s, 0, mid(g, b, r)};
    if (r > g)  // blue largest, red middle
        return {mid(g, r, b), 0, s};
    if (r > b)  // green largest, red middle
        return {mid(b, r, g), s, 0};
    if (g > b)
        return {0, s, mid(r, b, g)};
    if (b > g)
        return {0, mid(r, g, b), s};
    return {0, 0, 0};
}

Rgb rgb(const Colour& c)
{
    return {c[0], c[1], c[2]};
}

// B.rgb (1 - O.a) + k O.a, B.a
Colour overBase(const Colour& b, const Colour& o, const Rgb& k)
{
    return {b[0] * (1 - o[3]) + k[0] * o[3], b[1] * (1 - o[3]) + k[1] * o[3], b[2] * (1 - o[3]) + k[2] * o[3], b[3]};
}

struct BlendCase {
    const char* name;
    std::function<std::shared_ptr<zt::GLImageTwoInputFilter>()> make;
    Formula formula;
};

template <typename Filter> std::function<std::shared_ptr<zt::GLImageTwoInputFilter>()> make()
{
    return [] { return std::make_shared<Filter>(); };
}

TEST(GLImageBlendModes, MatchTheirFormulasOnTheCpu)
{
    const BlendCase cases[] = {
        {"normal", make<zt::GLImageNormalBlendFilter>(),
            [](const Colour& b, const Colour& o) {
                const double a = o[3] + b[3] * (1 - o[3]);
                const double d = a == 0 ? 1 : a;
                return perChannel(
                    b, o, a, [&](double bx, double ox) { return (ox * o[3] + bx * b[3] * (1 - o[3])) / d; });
            }},
        {"source over", make<zt::GLImageSourceOverBlendFilter>(),
            [](const Colour& b, const Colour& o) {
                return allFour(b, o, [&](double bx, double ox) { return bx + (ox - bx) * o[3]; });
            }},
        {"alpha, mix 0.5", make<zt::GLImageAlphaBlendFilter>(),
            [](const Colour& b, const Colour& o) {
                return perChannel(b, o, b[3], [&](double bx, double ox) { return bx + (ox - bx) * o[3] * 0.5; });
            }},
        {"alpha, mix 0.8",
            [] {
                auto filter = std::make_shared<zt::GLImageAlphaBlendFilter>();
                filter->setMix(0.8);
                return filter;
            },
            [](const Colour& b, const Colour& o) {
                return perChannel(b, o, b[3], [&](double bx, double ox) { return bx + (ox - bx) * o[3] * 0.8; });
            }},
        {"overlay", make<zt::GLImageOverlayBlendFilter>(),
            [](const Colour& b, const Colour& o) {
                return perChannel(b, o, 1.0, [&](double bx, double ox) {
                    if (2 * bx < b[3])
                        return 2 * ox * bx + alphaTerms(b, o, bx, ox);
                    return o[3] * b[3] - 2 * (b[3] - bx) * (o[3] - ox) + alphaTerms(b, o, bx, ox);
                });
            }},
        {"hard light", make<zt::GLImageHardLightBlendFilter>(),
            [](const Colour& b, const Colour& o) {
                return perChannel(b, o, 1.0, [&](double bx, double ox) {
                    if (2 * ox < o[3])
                        return 2 * ox * bx + alphaTerms(b, o, bx, ox);
                    return o[3] * b[3] - 2 * (b[3] - bx) * (o[3] - ox) + alphaTerms(b, o, bx, ox);
                });
            }},
        {"darken", make<zt::GLImageDarkenBlendFilter>(),
            [](const Colour& b, const Colour& o) {
                return perChannel(b, o, 1.0,
                    [&](double bx, double ox) { return std::min(ox * b[3], bx * o[3]) + alphaTerms(b, o, bx, ox); });
            }},
        {"lighten", make<zt::GLImageLightenBlendFilter>(),
            [](const Colour& b, const Colour& o) {
                return allFour(b, o, [](double bx, double ox) { return std::max(bx, ox); });
            }},
        {"colour burn", make<zt::GLImageColorBurnBlendFilter>(),
            [](const Colour& b, const Colour& o) {
                return allFour(b, o, [](double bx, double ox) { return 1 - (1 - bx) / ox; });
            }},
        {"colour dodge", make<zt::GLImageColorDodgeBlendFilter>(),
            [](const Colour& b, const Colour& o) {
                return perChannel(b, o, 1.0, [&](double bx, double ox) {
                    const double p = o[3] * b[3];
                    const double h = alphaTerms(b, o, bx, ox);
                    const double unpremultiplied = std::clamp(ox / std::clamp(o[3], 0.01, 1.0), 0.0, 0.99);
                    const double second = bx * o[3] / (1 - unpremultiplied) + h;
                    return p >= ox * b[3] + bx * o[3] ? second : p + h;
                });
            }},
        {"screen", make<zt::GLImageScreenBlendFilter>(),
            [](const Colour& b, const Colour& o) {
                return allFour(b, o, [](double bx, double ox) { return 1 - (1 - ox) * (1 - bx); });
            }},
        {"difference", make<zt::GLImageDifferenceBlendFilter>(),
            [](const Colour& b, const Colour& o) {
                return perChannel(b, o, b[3], [](double bx, double ox) { return std::abs(ox - bx); });
            }},
        {"exclusion", make<zt::GLImageExclusionBlendFilter>(),
            [](const Colour& b, const Colour& o) {
                return perChannel(b, o, b[3], [&](double bx, double ox) {
                    return ox * b[3] + bx * o[3] - 2 * ox * bx + alphaTerms(b, o, bx, ox);
                });
            }},
        {"soft light", make<zt::GLImageSoftLightBlendFilter>(),
            [](const Colour& b, const Colour& o) {
                const double d = b[3] == 0 ? 1 : b[3];
                return allFour(b, o, [&](double bx, double ox) {
                    const double q = bx / d;
                    return bx * (o[3] * q + 2 * ox * (1 - q)) + ox * (1 - b[3]) + bx * (1 - o[3]);
                });
            }},
        {"subtract", make<zt::GLImageSubtractBlendFilter>(),
            [](const Colour& b, const Colour& o) {
                return perChannel(b, o, b[3], [](double bx, double ox) { return bx - ox; });
            }},
        {"divide", make<zt::GLImageDivideBlendFilter>(),
            [](const Colour& b, const Colour& o) {
                return perChannel(b, o, o[3] + b[3] - o[3] * b[3], [&](double bx, double ox) {
                    if (o[3] == 0 || bx / ox > b[3] / o[3])
                        return o[3] * b[3] + alphaTerms(b, o, bx, ox);
                    return bx * o[3] * o[3] / ox + alphaTerms(b, o, bx, ox);
                });
            }},
        {"add", make<zt::GLImageAddBlendFilter>(),
            [](const Colour& b, const Colour& o) {
                return perChannel(b, o, o[3] + b[3] - o[3] * b[3], [&](double bx, double ox) {
                    if (ox * b[3] + bx * o[3] >= o[3] * b[3])
                        return o[3] * b[3] + alphaTerms(b, o, bx, ox);
                    return ox + bx;
                });
            }},
        {"linear burn", make<zt::GLImageLinearBurnBlendFilter>(),
            [](const Colour& b, const Colour& o) {
                return perChannel(b, o, b[3], [](double bx, double ox) { return std::clamp(bx + ox - 1, 0.0, 1.0); });
            }},
        {"colour", make<zt::GLImageColorBlendFilter>(),
            [](const Colour& b, const Colour& o) { return overBase(b, o, setLum(rgb(o), lum(rgb(b)))); }},
        {"hue", make<zt::GLImageHueBlendFilter>(),
            [](const Colour& b, const Colour& o) {
                return overBase(b, o, setLum(setSat(rgb(o), sat(rgb(b))), lum(rgb(b))));
            }},
        {"saturation", make<zt::GLImageSaturationBlendFilter>(),
            [](const Colour& b, const Colour& o) {
                return overBase(b, o, setLum(setSat(rgb(b), sat(rgb(o))), lum(rgb(b))));
            }},
        {"luminosity", make<zt::GLImageLuminosityBlendFilter>(),
            [](const Colour& b, const Colour& o) { return overBase(b, o, setLum(rgb(b), lum(rgb(o)))); }},
    };
    // Besides the ramps: nothing over nothing, greys (whose hue and
    // saturation are none), and each side fully see-through.
    const Colour edges[][2] = {{{0, 0, 0, 0}, {0, 0, 0, 0}}, {{0.5, 0.5, 0.5, 1}, {0.3, 0.3, 0.3, 1}},
        {{0.2, 0.4, 0.6, 1}, {0, 0, 0, 0}}, {{0, 0, 0, 0}, {0.5, 0.2, 0.1, 1}},
        {{0.1, 0.6, 0.3, 0.6}, {0.4, 0.4, 0.4, 0.8}}, {{0.6, 0.6, 0.6, 1}, {0.1, 0.5, 0.9, 1}}};
    const std::pair<std::shared_ptr<plat::Image>, std::shared_ptr<plat::Image>> pictures[] = {
        {basePicture(), overlayPicture()},
        {zt::test::makePicture(6, 1, [&](int x, int) { return edges[x][0]; }),
            zt::test::makePicture(6, 1, [&](int x, int) { return edges[x][1]; })},
    };
    for (const auto& [base, overlay] : pictures) {
        const auto cpuOverlay = zt::test::cpuPicture(*overlay);
        for (const auto& blendCase : cases) {
            SCOPED_TRACE(blendCase.name);
            auto result = zt::test::renderTwoInputs(blendCase.make(), *base, *overlay);
            ASSERT_TRUE(result);
            zt::test::expectPictureMatches(zt::test::mapPicture(zt::test::cpuPicture(*base),
                                               [&](const zt::test::CpuPicture& p, int x, int y) {
                                                   return blendCase.formula(p.at(x, y), cpuOverlay.at(x, y));
                                               }),
                *result);
        }
    }
}

TEST(GLImageAlphaBlendFilter, MixZeroKeepsTheBaseAndMixOneTakesTheOverlaysColour)
{
    auto base = basePicture();
    auto overlay = zt::test::makePicture(12, 9, [](int x, int y) {
        return Colour {0.1 * (x % 10), 0.5, 0.1 * y, 1.0};
    });
    auto filter = std::make_shared<zt::GLImageAlphaBlendFilter>();
    filter->setMix(0.0);
    zt::test::expectPixelsMatch(
        *base, *zt::test::renderTwoInputs(filter, *base, *overlay), [](const Colour& c, int, int) { return c; }, 0);
    filter->setMix(1.0);
    zt::test::expectPixelsMatch(
        *base, *zt::test::renderTwoInputs(filter, *base, *overlay), [&](const Colour& c, int x, int y) {
            Colour o = zt::test::colourAt(*overlay->bitmap(), x, y);
            return Colour {o[0], o[1], o[2], c[3]};
        });
}

}  // namespace
