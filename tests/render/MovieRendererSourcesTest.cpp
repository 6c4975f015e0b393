#include "render/MovieRendererSources.h"

#include "RenderTestSupport.h"
#include "platform/foundation/UniformTypeIdentifiers.h"
#include "render/AnimatedGifRenderer.h"
#include "render/ProjectExportRenderer.h"
#include "render/SingleImagesExportRenderer.h"
#include "render/ZantropeMovieRenderer.h"

namespace {

class RendererRegistry : public zt::test::RenderProject {
protected:
    zt::MovieRendererSources sources {project};
};

TEST_F(RendererRegistry, EachRequestMakesANewRendererOfTheType)
{
    auto first = sources.getRendererForUTI(plat::kUTTypeQuickTimeMovie);
    auto second = sources.getRendererForUTI(plat::kUTTypeQuickTimeMovie);
    ASSERT_TRUE(first && second);
    EXPECT_NE(first, second);
    EXPECT_TRUE(std::dynamic_pointer_cast<zt::ZantropeMovieRenderer>(first));
    EXPECT_TRUE(std::dynamic_pointer_cast<zt::AnimatedGifRenderer>(sources.getRendererForUTI(plat::kUTTypeGIF)));
    EXPECT_TRUE(std::dynamic_pointer_cast<zt::SingleImagesExportRenderer>(
        sources.getRendererForUTI("com.quorvane.plovix.all-images")));
    EXPECT_TRUE(
        std::dynamic_pointer_cast<zt::ProjectExportRenderer>(sources.getRendererForUTI("com.quorvane.plovix.archive")));
    EXPECT_FALSE(sources.getRendererForUTI("public.jpeg"));
}

TEST_F(RendererRegistry, ExportTypesComeInTheRenderersOrder)
{
    auto types = sources.getMovieExportTypesForUTIItems({"com.quorvane.plovix.archive", plat::kUTTypeQuickTimeMovie});
    ASSERT_EQ(types.size(), 6u);
    EXPECT_EQ(types.front()->title(), "HD - 1080p");
    EXPECT_EQ(types[4]->title(), "Medium - 360p");
    EXPECT_EQ(types.back()->title(), "Export Project");
    EXPECT_TRUE(sources.getMovieExportTypesForUTIItems({}).empty());
}

TEST_F(RendererRegistry, TheBaseHasNoRenderers)
{
    zt::MovieRendererSourcesBase base(project);
    EXPECT_TRUE(base.getAvailableRenderer().empty());
    EXPECT_FALSE(base.getRendererForUTI(plat::kUTTypeQuickTimeMovie));
    EXPECT_TRUE(base.getMovieExportTypesForUTIItems({plat::kUTTypeQuickTimeMovie}).empty());
}

}  // namespace
