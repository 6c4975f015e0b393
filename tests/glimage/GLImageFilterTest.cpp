#include <gtest/gtest.h>

#include "GLImageTestSupport.h"
#include "glimage/GLImageFilter.h"
#include "glimage/GLImagePicture.h"

namespace {

using zt::test::Colour;

TEST(GLImageFilter, PassThroughReadsBackTheInputPixels)
{
    auto input = zt::test::makeColourRamp(16, 8);
    auto filter = std::make_shared<zt::GLImageFilter>();
    auto result = filter->imageByFilteringImage(*input);
    ASSERT_TRUE(result);
    zt::test::expectPixelsMatch(
        *input, *result, [](const Colour& c, int, int) { return c; }, 0);
}

}  // namespace
