#include "platform/graphics/ImageContext.h"

#include <gtest/gtest.h>
#include <thread>

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "support/Pixels.h"

namespace {

TEST(ImageContext, BeginDrawGetEnd)
{
    plat::graphicsBeginImageContextWithOptions({272, 153}, /*opaque=*/false, 1.0);
    plat::GraphicsContext* context = plat::graphicsGetCurrentContext();
    ASSERT_TRUE(context);
    EXPECT_EQ(context->pixelWidth(), 272);
    EXPECT_EQ(context->pixelHeight(), 153);
    context->setFillColor(plat::Color::greenColor());
    context->fillRect(plat::makeRect(0, 0, 1, 1));
    auto image = plat::graphicsGetImageFromCurrentImageContext();
    plat::graphicsEndImageContext();
    EXPECT_FALSE(plat::graphicsGetCurrentContext());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), (plat::Size {272, 153}));
    EXPECT_EQ(plat::test::pixelAt(*image, 0, 0), (plat::test::Rgba {0, 255, 0, 255}));
    EXPECT_EQ(plat::test::pixelAt(*image, 1, 0), (plat::test::Rgba {0, 0, 0, 0}));
}

TEST(ImageContext, ScaleZeroIsTheScreensAndFractionsRoundUp)
{
    plat::graphicsBeginImageContextWithOptions({10.25, 3}, /*opaque=*/true, 0);
    plat::GraphicsContext* context = plat::graphicsGetCurrentContext();
    ASSERT_TRUE(context);
    EXPECT_EQ(context->scale(), plat::kMainScreenScale);
    EXPECT_EQ(context->pixelWidth(), 21);
    EXPECT_EQ(context->pixelHeight(), 6);
    auto image = plat::graphicsGetImageFromCurrentImageContext();
    plat::graphicsEndImageContext();
    EXPECT_TRUE(image->bitmap()->isOpaque());
    EXPECT_EQ(plat::test::pixelAt(*image, 0, 0), (plat::test::Rgba {0, 0, 0, 255}));
}

TEST(ImageContext, NestedContextsComeOffInOrder)
{
    plat::graphicsBeginImageContext({4, 4});
    plat::GraphicsContext* outer = plat::graphicsGetCurrentContext();
    plat::graphicsBeginImageContext({2, 2});
    EXPECT_NE(plat::graphicsGetCurrentContext(), outer);
    EXPECT_EQ(plat::graphicsGetImageFromCurrentImageContext()->size(), (plat::Size {2, 2}));
    plat::graphicsEndImageContext();
    EXPECT_EQ(plat::graphicsGetCurrentContext(), outer);
    plat::graphicsEndImageContext();
    EXPECT_FALSE(plat::graphicsGetCurrentContext());
    plat::graphicsEndImageContext();  // one too many: logged, harmless
}

TEST(ImageContext, AnUndrawableSizeKeepsTheStackBalanced)
{
    plat::graphicsBeginImageContext({4, 4});
    plat::GraphicsContext* outer = plat::graphicsGetCurrentContext();
    plat::graphicsBeginImageContext({0, 10});
    EXPECT_FALSE(plat::graphicsGetCurrentContext());
    EXPECT_FALSE(plat::graphicsGetImageFromCurrentImageContext());
    plat::graphicsEndImageContext();
    EXPECT_EQ(plat::graphicsGetCurrentContext(), outer);
    plat::graphicsEndImageContext();
}

TEST(ImageContext, PushedContextsAreCurrentButYieldNoImage)
{
    auto view = plat::GraphicsContext::bitmapContext(3, 3, 1, plat::ContextOpacity::Transparent);
    plat::graphicsPushContext(*view);
    EXPECT_EQ(plat::graphicsGetCurrentContext(), view.get());
    EXPECT_FALSE(plat::graphicsGetImageFromCurrentImageContext());
    plat::graphicsPopContext();
    EXPECT_FALSE(plat::graphicsGetCurrentContext());
}

TEST(ImageContext, EachThreadHasItsOwnStack)
{
    plat::ImageContext scoped({2, 2}, /*opaque=*/false, 1);
    ASSERT_TRUE(scoped.context());
    plat::GraphicsContext* seenOnOtherThread = scoped.context();
    std::thread([&] { seenOnOtherThread = plat::graphicsGetCurrentContext(); }).join();
    EXPECT_FALSE(seenOnOtherThread);
    auto image = scoped.finish();
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), (plat::Size {2, 2}));
    EXPECT_FALSE(plat::graphicsGetCurrentContext());
}

}  // namespace
