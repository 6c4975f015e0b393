#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

#include "GLImageCpuSampling.h"
#include "glimage/GLImageBulgeDistortionFilter.h"
#include "glimage/GLImageCropFilter.h"
#include "glimage/GLImageCrosshatchFilter.h"
#include "glimage/GLImageGlassSphereFilter.h"
#include "glimage/GLImageHalftoneFilter.h"
#include "glimage/GLImagePicture.h"
#include "glimage/GLImagePinchDistortionFilter.h"
#include "glimage/GLImagePixellateFilter.h"
#include "glimage/GLImagePixellatePositionFilter.h"
#include "glimage/GLImagePolarPixellateFilter.h"
#include "glimage/GLImagePolkaDotFilter.h"
#include "glimage/GLImageSphereRefractionFilter.h"
#include "glimage/GLImageStretchDistortionFilter.h"
#include "glimage/GLImageSwirlFilter.h"
#include "glimage/GLImageTransformFilter.h"
#include "glimage/GLImageVignetteFilter.h"

namespace {

using zt::test::Colour;
using zt::test::CpuPicture;

constexpr int kWidth = 32;
constexpr int kHeight = 24;
constexpr double kAspect = double(kHeight) / kWidth;  // the shaders' height over width
// Distances this close to a formula's threshold may fall either way in single precision.
constexpr double kKnifeEdge = 2e-4;

// Smooth colours with some structure, opaque.
std::shared_ptr<plat::Image> scene()
{
    return zt::test::makePicture(kWidth, kHeight, [](int x, int y) {
        const double u = (x + 0.5) / kWidth;
        const double v = (y + 0.5) / kHeight;
        return Colour {0.5 + 0.45 * std::sin(6 * u + 1), 0.5 + 0.45 * std::cos(5 * v), 0.2 + 0.7 * u * v, 1.0};
    });
}

double distance(double ax, double ay, double bx, double by)
{
    return std::hypot(ax - bx, ay - by);
}

// t' = (u, v * ar + 0.5 - 0.5 * ar): distances come out round.
double corrected(double v)
{
    return v * kAspect + 0.5 - 0.5 * kAspect;
}

double fmod1(double x, double y)
{
    return x - y * std::floor(x / y);
}

using Formula = std::function<Colour(const CpuPicture& in, double u, double v)>;

CpuPicture expectedPicture(const CpuPicture& in, const Formula& formula)
{
    CpuPicture out(in.width, in.height);
    for (int y = 0; y < in.height; ++y)
        for (int x = 0; x < in.width; ++x)
            out.at(x, y) = formula(in, (x + 0.5) / in.width, (y + 0.5) / in.height);
    return out;
}

Colour pixellated(const CpuPicture& in, double u, double v, double w)
{
    const double dx = w;
    const double dy = w / kAspect;
    return zt::test::sampleLinear(in, u - fmod1(u, dx) + 0.5 * dx, v - fmod1(v, dy) + 0.5 * dy);
}

double luminance(const Colour& c)
{
    return 0.2125 * c[0] + 0.7154 * c[1] + 0.0721 * c[2];
}

struct Vector3 {
    double x, y, z;
};

Vector3 normalized(Vector3 a)
{
    const double length = std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
    return {a.x / length, a.y / length, a.z / length};
}

double dot(Vector3 a, Vector3 b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// GLSL's refract.
Vector3 refract(Vector3 i, Vector3 n, double eta)
{
    const double d = dot(n, i);
    const double k = 1.0 - eta * eta * (1.0 - d * d);
    if (k < 0.0)
        return {0, 0, 0};
    const double s = eta * d + std::sqrt(k);
    return {eta * i.x - s * n.x, eta * i.y - s * n.y, eta * i.z - s * n.z};
}

struct SphereGeometry {
    double distance;  // corrected, from the centre
    Vector3 normal;
};

SphereGeometry sphereAt(double u, double v, double radius)
{
    const double tv = corrected(v);
    const double d = distance(0.5, 0.5, u, tv);
    const double q = d / radius;
    const double depth = radius * std::sqrt(std::max(1.0 - q * q, 0.0));
    return {d, normalized({u - 0.5, tv - 0.5, depth})};
}

double smoothstep(double edge0, double edge1, double x)
{
    const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

struct DistortionCase {
    const char* name;
    std::function<std::shared_ptr<zt::GLImageOutput>()> make;
    Formula formula;
};

TEST(GLImageDistortions, EveryDistortionMatchesItsFormulaOnTheCpu)
{
    const DistortionCase cases[] = {
        {"pixellate",
            [] {
                auto filter = std::make_shared<zt::GLImagePixellateFilter>();
                filter->setFractionalWidthOfAPixel(0.125);
                return filter;
            },
            [](const CpuPicture& in, double u, double v) { return pixellated(in, u, v, 0.125); }},
        {"polka dot",
            [] {
                auto filter = std::make_shared<zt::GLImagePolkaDotFilter>();
                filter->setFractionalWidthOfAPixel(0.125);
                return filter;
            },
            [](const CpuPicture& in, double u, double v) {
                const double dy = 0.125 / kAspect;
                const double su = u - fmod1(u, 0.125) + 0.0625;
                const double sv = v - fmod1(v, dy) + 0.5 * dy;
                const double d = distance(su, corrected(sv), u, corrected(v));
                const double edge = 0.125 * 0.5 * 0.9;
                if (std::abs(d - edge) < kKnifeEdge)
                    return zt::test::eitherSide();
                const Colour c = zt::test::sampleLinear(in, su, sv);
                const double inside = d <= edge ? 1.0 : 0.0;
                return Colour {c[0] * inside, c[1] * inside, c[2] * inside, c[3]};
            }},
        {"halftone",
            [] {
                auto filter = std::make_shared<zt::GLImageHalftoneFilter>();
                filter->setFractionalWidthOfAPixel(0.125);
                return filter;
            },
            [](const CpuPicture& in, double u, double v) {
                const double dy = 0.125 / kAspect;
                const double su = u - fmod1(u, 0.125) + 0.0625;
                const double sv = v - fmod1(v, dy) + 0.5 * dy;
                const double d = distance(su, corrected(sv), u, corrected(v));
                const double edge = 0.125 * 0.5 * (1.0 - luminance(zt::test::sampleLinear(in, su, sv)));
                if (std::abs(d - edge) < 0.01)
                    return zt::test::eitherSide();
                const double grey = d <= edge ? 0.0 : 1.0;
                return Colour {grey, grey, grey, 1.0};
            }},
        {"pixellate position",
            [] {
                auto filter = std::make_shared<zt::GLImagePixellatePositionFilter>();
                filter->setFractionalWidthOfAPixel(0.125);
                filter->setRadius(0.3);
                return filter;
            },
            [](const CpuPicture& in, double u, double v) {
                const double d = distance(0.5, 0.5, u, corrected(v));
                if (std::abs(d - 0.3) < kKnifeEdge)
                    return zt::test::eitherSide();
                return d < 0.3 ? pixellated(in, u, v, 0.125) : zt::test::sampleLinear(in, u, v);
            }},
        {"polar pixellate",
            [] {
                auto filter = std::make_shared<zt::GLImagePolarPixellateFilter>();
                filter->setPixelSize({0.1, 0.3});
                return filter;
            },
            [](const CpuPicture& in, double u, double v) {
                double nx = 2 * u - 1;
                double ny = 2 * v - 1;
                double r = std::hypot(nx, ny);
                double phi = std::atan2(ny, nx);
                if (fmod1(r, 0.1) < 1e-3 || fmod1(r, 0.1) > 0.1 - 1e-3 || fmod1(phi, 0.3) < 1e-3
                    || fmod1(phi, 0.3) > 0.3 - 1e-3)
                    return zt::test::eitherSide();
                r = r - fmod1(r, 0.1) + 0.03;
                phi = phi - fmod1(phi, 0.3);
                return zt::test::sampleLinear(in, r * std::cos(phi) / 2 + 0.5, r * std::sin(phi) / 2 + 0.5);
            }},
        {"crosshatch",
            [] {
                auto filter = std::make_shared<zt::GLImageCrosshatchFilter>();
                filter->setCrossHatchSpacing(0.25);
                filter->setLineWidth(0.05);
                return filter;
            },
            [](const CpuPicture& in, double u, double v) {
                const double l = luminance(zt::test::sampleLinear(in, u, v));
                const double spacing = 0.25;
                const double width = 0.05;
                bool black = false;
                bool unsure = false;
                const auto line = [&](bool darkEnough, double threshold, double position) {
                    const double m = fmod1(position, spacing);
                    if (std::abs(l - threshold) < 2e-3 || std::abs(m - width) < kKnifeEdge || m > spacing - kKnifeEdge)
                        unsure = unsure || (std::abs(m - width) < kKnifeEdge || m > spacing - kKnifeEdge || m <= width);
                    if (darkEnough && m <= width)
                        black = true;
                };
                line(l < 1.0, 1.0, u + v);
                line(l < 0.75, 0.75, u - v);
                line(l < 0.5, 0.5, u + v - spacing / 2);
                line(l < 0.3, 0.3, u - v - spacing / 2);
                if (unsure)
                    return zt::test::eitherSide();
                return black ? Colour {0, 0, 0, 1} : Colour {1, 1, 1, 1};
            }},
        {"swirl", [] { return std::make_shared<zt::GLImageSwirlFilter>(); },
            [](const CpuPicture& in, double u, double v) {
                const double d = distance(0.5, 0.5, u, v);
                if (d >= 0.5)
                    return zt::test::sampleLinear(in, u, v);
                const double px = u - 0.5;
                const double py = v - 0.5;
                const double p = (0.5 - d) / 0.5;
                const double theta = p * p * 1.0 * 8.0;
                const double s = std::sin(theta);
                const double c = std::cos(theta);
                return zt::test::sampleLinear(in, px * c - py * s + 0.5, px * s + py * c + 0.5);
            }},
        {"bulge", [] { return std::make_shared<zt::GLImageBulgeDistortionFilter>(); },
            [](const CpuPicture& in, double u, double v) {
                const double d = distance(0.5, 0.5, u, corrected(v));
                if (d >= 0.25)
                    return zt::test::sampleLinear(in, u, v);
                double p = 1 - ((0.25 - d) / 0.25) * 0.5;
                p *= p;
                return zt::test::sampleLinear(in, (u - 0.5) * p + 0.5, (v - 0.5) * p + 0.5);
            }},
        {"pinch", [] { return std::make_shared<zt::GLImagePinchDistortionFilter>(); },
            [](const CpuPicture& in, double u, double v) {
                const double d = distance(0.5, 0.5, u, corrected(v));
                const double p = 1 + ((0.5 - d) / 0.5) * 0.5;
                return zt::test::sampleLinear(in, (u - 0.5) * p + 0.5, (v - 0.5) * p + 0.5);
            }},
        {"stretch", [] { return std::make_shared<zt::GLImageStretchDistortionFilter>(); },
            [](const CpuPicture& in, double u, double v) {
                const auto stretch = [](double t) {
                    const double n = 2 * t - 1;
                    double m = std::abs(n);
                    m = 0.5 * m + 0.5 * smoothstep(0.25, 0.5, m) * m;
                    return (std::copysign(m, n) + 1) / 2;
                };
                return zt::test::sampleLinear(in, stretch(u), stretch(v));
            }},
        {"sphere refraction", [] { return std::make_shared<zt::GLImageSphereRefractionFilter>(); },
            [](const CpuPicture& in, double u, double v) {
                const auto sphere = sphereAt(u, v, 0.25);
                if (sphere.distance > 0.25 * 0.93)
                    return sphere.distance > 0.25 + kKnifeEdge ? Colour {0, 0, 0, 0} : zt::test::eitherSide();
                const Vector3 r = refract({0, 0, -1}, sphere.normal, 0.71);
                return zt::test::sampleLinear(in, (r.x + 1) * 0.5, (r.y + 1) * 0.5);
            }},
        {"glass sphere", [] { return std::make_shared<zt::GLImageGlassSphereFilter>(); },
            [](const CpuPicture& in, double u, double v) {
                const auto sphere = sphereAt(u, v, 0.25);
                if (sphere.distance > 0.25 * 0.93)
                    return sphere.distance > 0.25 + kKnifeEdge ? Colour {0, 0, 0, 0} : zt::test::eitherSide();
                Vector3 r = refract({0, 0, -1}, sphere.normal, 0.71);
                r = {-2 * r.x, -2 * r.y, 2 * r.z};
                const Colour c = zt::test::sampleLinear(in, (r.x + 1) * 0.5, (r.y + 1) * 0.5);
                const double ambient
                    = 2.5 * (1.0 - std::pow(std::clamp(dot({0, 0, 1}, sphere.normal), 0.0, 1.0), 0.25));
                const double highlight
                    = std::pow(std::clamp(dot(normalized({-0.5, 0.5, 1.0}), sphere.normal), 0.0, 1.0), 15.0);
                return Colour {c[0] + ambient + 0.8 * highlight, c[1] + ambient + 0.8 * highlight,
                    c[2] + ambient + 0.8 * highlight, 1.0};
            }},
        {"vignette",
            [] {
                auto filter = std::make_shared<zt::GLImageVignetteFilter>();
                filter->setVignetteColor({0.2f, 0.4f, 0.9f});
                filter->setVignetteStart(0.2);
                filter->setVignetteEnd(0.6);
                return filter;
            },
            [](const CpuPicture& in, double u, double v) {
                const Colour c = zt::test::sampleLinear(in, u, v);
                const double p = smoothstep(0.2, 0.6, distance(u, v, 0.5, 0.5));
                return Colour {c[0] + (0.2 - c[0]) * p, c[1] + (0.4 - c[1]) * p, c[2] + (0.9 - c[2]) * p, c[3]};
            }},
    };
    auto picture = scene();
    const auto input = zt::test::cpuPicture(*picture);
    for (const auto& distortion : cases) {
        SCOPED_TRACE(distortion.name);
        auto result = zt::test::filtered(distortion.make(), *picture);
        ASSERT_TRUE(result);
        zt::test::expectPictureMatches(expectedPicture(input, distortion.formula), *result);
    }
}

TEST(GLImageDistortions, CellsAreNeverSmallerThanOneInputPixel)
{
    auto pixellate = std::make_shared<zt::GLImagePixellateFilter>();
    pixellate->setFractionalWidthOfAPixel(0.0001);
    EXPECT_EQ(pixellate->fractionalWidthOfAPixel(), 1.0 / 2048.0);  // no frame yet
    auto crosshatch = std::make_shared<zt::GLImageCrosshatchFilter>();
    auto source = std::make_shared<zt::GLImagePicture>(*scene());
    source->addTarget(pixellate);
    source->addTarget(crosshatch);
    source->processImage();
    pixellate->setFractionalWidthOfAPixel(0.0001);
    EXPECT_EQ(pixellate->fractionalWidthOfAPixel(), 1.0 / kWidth);
    crosshatch->setCrossHatchSpacing(0.001);
    EXPECT_EQ(crosshatch->crossHatchSpacing(), 1.0 / kWidth);
    source->removeAllTargets();
}

TEST(GLImageDistortions, PureWhiteStaysWhiteUnderCrossHatching)
{
    auto white = zt::test::makePicture(16, 16, [](int, int) { return Colour {1, 1, 1, 1}; });
    auto result = zt::test::filtered(std::make_shared<zt::GLImageCrosshatchFilter>(), *white);
    ASSERT_TRUE(result);
    zt::test::expectPixelsMatch(
        *white, *result,
        [](const Colour&, int, int) {
            return Colour {1, 1, 1, 1};
        },
        0);
}

// A turned input keeps each effect on the same scene point: on a square
// frame, the output of the turned frame is the turned output of the frame.
TEST(GLImageDistortions, ATurnedInputKeepsTheCentreOnTheSameScenePoint)
{
    const std::function<std::shared_ptr<zt::GLImageFilter>()> makers[] = {
        [] {
            auto bulge = std::make_shared<zt::GLImageBulgeDistortionFilter>();
            bulge->setCenter({0.3, 0.6});
            return bulge;
        },
        [] {
            auto swirl = std::make_shared<zt::GLImageSwirlFilter>();
            swirl->setCenter({0.6, 0.45});
            swirl->setRadius(0.3);
            return swirl;
        },
        [] {
            auto pinch = std::make_shared<zt::GLImagePinchDistortionFilter>();
            pinch->setCenter({0.4, 0.5});
            pinch->setRadius(0.3);
            return pinch;
        },
        [] {
            auto position = std::make_shared<zt::GLImagePixellatePositionFilter>();
            position->setCenter({0.35, 0.55});
            return position;
        },
    };
    constexpr int kSide = 32;
    auto picture = zt::test::makePicture(kSide, kSide, [](int x, int y) {
        return Colour {0.5 + 0.45 * std::sin(0.3 * x + 1), 0.5 + 0.45 * std::cos(0.2 * y), (x + y) / 62.0, 1.0};
    });
    // Stored turned left, so that a filter turning it right sees the picture.
    auto turned = zt::test::makePicture(
        kSide, kSide, [&](int x, int y) { return zt::test::colourAt(*picture->bitmap(), kSide - 1 - y, x); });
    int index = 0;
    for (const auto& make : makers) {
        SCOPED_TRACE(index++);
        auto straight = zt::test::filtered(make(), *picture);
        auto turnedFilter = make();
        turnedFilter->setInputRotation(zt::GLImageRotationMode::RotateRight, 0);
        auto result = zt::test::filtered(turnedFilter, *turned);
        ASSERT_TRUE(straight && result);
        zt::test::expectPictureMatches(zt::test::cpuPicture(*straight), *result);
    }
}

// Distances are measured in the input texture, whose proportions a turn
// does not change: against the turned output frame the ratio is inverted.
TEST(GLImageDistortions, ATurnThatSwapsTheSidesInvertsTheAspectRatioAgainstTheOutput)
{
    auto bulge = std::make_shared<zt::GLImageBulgeDistortionFilter>();
    auto source = std::make_shared<zt::GLImagePicture>(*scene());
    source->addTarget(bulge);
    source->processImage();
    zt::test::drainContextQueue();
    EXPECT_DOUBLE_EQ(bulge->aspectRatio(), kAspect);
    bulge->setInputRotation(zt::GLImageRotationMode::RotateLeft, 0);
    source->processImage();
    zt::test::drainContextQueue();
    auto output = bulge->imageFromCurrentlyProcessedOutputWithOrientation(plat::ImageOrientation::Up);
    ASSERT_TRUE(output);
    const double outputHeightOverWidth = double(output->bitmap()->height()) / output->bitmap()->width();
    EXPECT_DOUBLE_EQ(outputHeightOverWidth, 1.0 / kAspect);
    EXPECT_DOUBLE_EQ(bulge->aspectRatio(), 1.0 / outputHeightOverWidth);
    source->removeAllTargets();
}

TEST(GLImageCropFilter, CropsTheRegionAtItsShareOfTheInputSize)
{
    auto picture = zt::test::makePicture(64, 48, [](int x, int y) { return Colour {x / 63.0, y / 47.0, 0.5, 1}; });
    auto crop = std::make_shared<zt::GLImageCropFilter>(plat::makeRect(0.25, 0.25, 0.5, 0.5));
    auto result = zt::test::filtered(crop, *picture);
    ASSERT_TRUE(result);
    ASSERT_EQ(result->bitmap()->width(), 32);
    ASSERT_EQ(result->bitmap()->height(), 24);
    EXPECT_EQ(plat::test::pixelAt(*result, 0, 0), plat::test::pixelAt(*picture, 16, 12));
    EXPECT_EQ(plat::test::pixelAt(*result, 31, 23), plat::test::pixelAt(*picture, 47, 35));

    crop->setCropRegion(plat::makeRect(0, 0.5, 1, 0.5));
    result = zt::test::filtered(crop, *picture);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->bitmap()->height(), 24);
    EXPECT_EQ(plat::test::pixelAt(*result, 5, 0), plat::test::pixelAt(*picture, 5, 24));
}

TEST(GLImageCropFilter, TexturesCoordinatesFollowTheInputsTurn)
{
    auto crop = std::make_shared<zt::GLImageCropFilter>(plat::makeRect(0.1, 0.2, 0.3, 0.4));
    using Coordinates = std::array<float, 8>;
    EXPECT_EQ(crop->cropTextureCoordinatesForTesting(), (Coordinates {0.1f, 0.2f, 0.4f, 0.2f, 0.1f, 0.6f, 0.4f, 0.6f}));
    crop->setInputRotation(zt::GLImageRotationMode::RotateRight, 0);
    EXPECT_EQ(crop->cropTextureCoordinatesForTesting(),
        (Coordinates {0.2f, 1.0f - 0.1f, 0.2f, 1.0f - 0.4f, 0.6f, 1.0f - 0.1f, 0.6f, 1.0f - 0.4f}));
    crop->setInputRotation(zt::GLImageRotationMode::Rotate180, 0);
    EXPECT_EQ(crop->cropTextureCoordinatesForTesting(), (Coordinates {0.4f, 0.6f, 0.1f, 0.6f, 0.4f, 0.2f, 0.1f, 0.2f}));
}

TEST(GLImageCropFilter, ARegionOutsideTheFrameIsAProgrammingError)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(zt::GLImageCropFilter(plat::makeRect(0.5, 0, 1.5, 1)), "Invalid parameter not satisfying");
}

TEST(GLImageTransformFilter, TheIdentityReproducesTheInputAndARotationTurnsWithoutShearing)
{
    auto picture = zt::test::makePicture(40, 20, [](int x, int y) { return Colour {x / 39.0, y / 19.0, 0.3, 1}; });
    auto transform = std::make_shared<zt::GLImageTransformFilter>();
    auto same = zt::test::filtered(transform, *picture);
    ASSERT_TRUE(same);
    zt::test::expectPixelsMatch(
        *picture, *same, [](const Colour& c, int, int) { return c; }, 1);

    // A quarter turn of a 40 x 20 frame in its own proportions: the picture's
    // middle 20 x 20 turns in place, the rest leaves the frame. Points are
    // rows times the matrix, so (1, 0) goes to (0, 1): an output pixel
    // (dx, dy) from the centre shows the input at (dy, -dx). A transposed
    // matrix would turn the other way.
    transform->setAffineTransform(plat::AffineTransform::makeRotation(std::numbers::pi / 2));
    auto turned = zt::test::filtered(transform, *picture);
    ASSERT_TRUE(turned);
    const auto source = zt::test::cpuPicture(*picture);
    int wrong = 0;
    for (int y = 2; y < 18; ++y) {
        for (int x = 12; x < 28; ++x) {
            const double dx = x + 0.5 - 20;
            const double dy = y + 0.5 - 10;
            const Colour want = zt::test::sampleLinear(source, (20 + dy) / 40, (10 - dx) / 20);
            const auto got = plat::test::pixelAt(*turned, x, y);
            if (std::abs(got[0] - zt::test::toByte(want[0])) > 3 || std::abs(got[1] - zt::test::toByte(want[1])) > 3)
                ++wrong;
        }
    }
    EXPECT_EQ(wrong, 0) << "of the 16 x 16 pixels in the middle";
}

TEST(GLImageTransformFilter, TheOrthographicMatrixFollowsTheFlags)
{
    const auto plain = zt::GLImageTransformFilter::loadOrthoMatrix(-1, 1, -0.5, 0.5, -1, 1, false);
    EXPECT_FLOAT_EQ(plain.one.one, 1.0f);
    EXPECT_FLOAT_EQ(plain.two.two, 2.0f);
    EXPECT_FLOAT_EQ(plain.three.three, 1.0f);
    EXPECT_FLOAT_EQ(plain.one.four, 0.0f);
    const auto anchored = zt::GLImageTransformFilter::loadOrthoMatrix(-1, 1, -0.5, 0.5, -1, 1, true);
    EXPECT_FLOAT_EQ(anchored.one.one, 2.0f);
    EXPECT_FLOAT_EQ(anchored.two.two, 4.0f);
    EXPECT_FLOAT_EQ(anchored.one.four, -1.0f);
    EXPECT_FLOAT_EQ(anchored.two.four, -1.0f);

    auto transform = std::make_shared<zt::GLImageTransformFilter>();
    (void)zt::test::filtered(transform, *scene());
    EXPECT_FLOAT_EQ(transform->orthographicMatrixForTesting().two.two, 1.0f / float(kAspect));
    transform->setIgnoreAspectRatio(true);
    EXPECT_FLOAT_EQ(transform->orthographicMatrixForTesting().two.two, 1.0f);
    // Anchored to the corner, an identity transform draws the whole picture
    // from the frame's corner: the quad (0..1) maps onto the full frame.
    transform->setAnchorTopLeft(true);
    auto picture = scene();
    auto result = zt::test::filtered(transform, *picture);
    ASSERT_TRUE(result);
    zt::test::expectPixelsMatch(
        *picture, *result, [](const Colour& c, int, int) { return c; }, 1);
}

}  // namespace
