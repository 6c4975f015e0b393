#include <gtest/gtest.h>

#include "TitleCardsTestSupport.h"
#include "document/FrameMeta.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/testing/PictureComparison.h"
#include "platform/ui/web/WebView.h"
#include "render/OutlinePlaceholders.h"
#include "render/ThemeCardPages.h"
#include "render/ThemeMovieHandler.h"
#include "render/WebRenderer.h"

namespace {

using plat::test::pixelAt;
using plat::test::Rgba;
using zt::ThemeMovieHandler;
using zt::WebRenderer;

bool near(Rgba a, Rgba b, int tolerance = 40)
{
    for (int i = 0; i < 3; ++i)
        if (std::abs(a[i] - b[i]) > tolerance)
            return false;
    return true;
}

class CardRendering : public zt::test::CardProject {
protected:
    std::shared_ptr<WebRenderer> renderer = std::make_shared<WebRenderer>(project);
    zt::test::NotificationRecorder finished {WebRenderer::kWebRenderingFinishedNotification};
};

class ThemeRendering : public zt::test::CardProject {
protected:
    void SetUp() override
    {
        CardProject::SetUp();
        setMetadata("META_RECORD_THEME", int64_t {3});
    }
    std::shared_ptr<ThemeMovieHandler> handler = std::make_shared<ThemeMovieHandler>(project);
    zt::test::NotificationRecorder themeFinished {ThemeMovieHandler::kThemeRenderingFinishedNotification};

    int countOfType(int type)
    {
        int count = 0;
        for (zt::Frame frame : project->getFrameList())
            count += frame.type() == type;
        return count;
    }
};

}  // namespace

TEST_F(CardRendering, StoresTheCardAsFullPicturePreviewAndThumbnail)
{
    renderer->renderContent("theme_title_01.html", {800, 600}, "CARD", zt::getPlaceholderOutline(*project),
        zt::bundlePicture("theme_bg_01.jpg"));
    EXPECT_EQ(finished.count, 0);  // the page loads after the call
    ASSERT_TRUE(finished.waitForCount(1));
    EXPECT_EQ(finished.last.object, renderer.get());
    EXPECT_FALSE(finished.last.userInfo.contains(WebRenderer::kErrorKey));
    for (auto [name, size] :
        {std::pair {"frame-CARD.jpg", plat::Size {1280, 720}}, std::pair {"preview-CARD.jpg", plat::Size {796, 448}},
            std::pair {"thumb-CARD.jpg", plat::Size {272, 153}}}) {
        auto picture = projectPicture(name);
        ASSERT_TRUE(picture) << name;
        EXPECT_EQ(picture->size(), size) << name;
    }
    // The curtain's gold hem at the top, under a transparent page.
    EXPECT_TRUE(near(pixelAt(*projectPicture("frame-CARD.jpg"), 640, 5), {217, 166, 51, 255}));
    plat::RunLoop::main().drain();
    EXPECT_EQ(finished.count, 1);  // captured once
}

TEST_F(CardRendering, TheTitleAndCreditsCardsMatchTheirPictures)
{
    // A serif title card with its spaced studio line, and a sans-serif
    // credits card whose spaced, upper-case roles are drawn as a browser does.
    struct Case {
        const char* page;
        const char* background;
        const char* reference;
    };
    const Case cases[] = {
        {"theme_title_08.html", "theme_bg_08.jpg", "tests/data/render/title-card-08.png"},
        {"theme_credits_03.html", "theme_bg_03.jpg", "tests/data/render/credits-card-03.png"},
    };
    project->getMetaData()->set("RecordName", std::string("The Big Pie"));
    int rendered = 0;
    for (const Case& c : cases) {
        renderer->renderContent(
            c.page, {800, 600}, "CARD", zt::getPlaceholderOutline(*project), zt::bundlePicture(c.background));
        ASSERT_TRUE(finished.waitForCount(++rendered)) << c.page;
        auto preview = projectPicture("preview-CARD.jpg");
        ASSERT_TRUE(preview) << c.page;
        plat::test::TemporaryFolder output;
        auto comparison
            = plat::test::compareWithReferencePicture(*preview, plat::test::sourcePath(c.reference), output.path());
        EXPECT_TRUE(comparison.matches) << c.page << ": " << comparison.explanation;
    }
}

TEST_F(CardRendering, MarkupInATitleShowsAsTextAndLoadsNothing)
{
    renderer->renderContent("theme_card_20.html", {800, 600}, "CARD",
        zt::themeCardReplacements("<img src=/etc/passwd><script>document.write('x')</script>"),
        zt::bundlePicture("theme_bg_20.jpg"));
    ASSERT_TRUE(finished.waitForCount(1));
    ASSERT_TRUE(renderer->webView());
    EXPECT_EQ(renderer->webView()->refusedResourceCount(), 0);  // no picture was even asked for
    // The text stands in the middle of the card in white.
    auto picture = projectPicture("frame-CARD.jpg");
    int bright = 0;
    for (int x = 100; x < 1180; ++x)
        bright += pixelAt(*picture, x, 345)[0] > 200;
    EXPECT_GT(bright, 20);
}

TEST_F(CardRendering, APageThatFailsToLoadStillEndsTheRender)
{
    renderer->renderContent("theme_title_01.html", {800, 600}, "CARD", {}, zt::bundlePicture("theme_bg_01.jpg"));
    renderer->webView()->stopLoading();
    EXPECT_EQ(finished.count, 1);
    EXPECT_TRUE(finished.last.userInfo.getString(WebRenderer::kErrorKey).has_value());
    EXPECT_FALSE(project->fileDataForFileWithPreferredFilename("frame-CARD.jpg"));
    plat::RunLoop::main().drain();
    EXPECT_EQ(finished.count, 1);
}

TEST_F(CardRendering, AMissingPageIsCapturedAsTheBareBackground)
{
    renderer->renderContent("theme_title_99.html", {800, 600}, "CARD", {}, zt::bundlePicture("theme_bg_05.jpg"));
    ASSERT_TRUE(finished.waitForCount(1));
    EXPECT_FALSE(finished.last.userInfo.contains(WebRenderer::kErrorKey));
    EXPECT_TRUE(near(pixelAt(*projectPicture("frame-CARD.jpg"), 640, 360), {255, 184, 51, 255}, 60));
}

TEST(OutlinePlaceholders, TheMovieNameIsTheProjectsTitleOrTheDefault)
{
    plat::test::TemporarySandbox sandbox;
    zt::ProjectModel project(std::nullopt);
    project.getMetaData()->remove("RecordName");
    plat::Dictionary outline = zt::getPlaceholderOutline(project);
    EXPECT_EQ(outline.getString("META_RECORD_OUTLINE_MOVIE_NAME"), "My Plovix Movie");
    EXPECT_EQ(outline.getString("META_RECORD_OUTLINE_STUDIO"), "Acme Studios");
    EXPECT_EQ(outline.getString("META_RECORD_OUTLINE_MUSIC_BY"), "iTunes");
    EXPECT_EQ(outline.count(), 8u);
    project.getMetaData()->set("RecordName", std::string("Cat Heist"));
    EXPECT_EQ(zt::getPlaceholderOutline(project).getString("META_RECORD_OUTLINE_MOVIE_NAME"), "Cat Heist");
}

TEST_F(ThemeRendering, RendersTheTitleThenTheCreditsAndSaysSoOnce)
{
    handler->renderTheme();
    EXPECT_EQ(handler->currentRenderdCard(), ThemeMovieHandler::kTitleCard);
    ASSERT_TRUE(themeFinished.waitForCount(1));
    EXPECT_EQ(themeFinished.last.object, handler.get());
    EXPECT_FALSE(themeFinished.last.userInfo.contains(WebRenderer::kErrorKey));
    EXPECT_TRUE(projectPicture("frame-PLACEHOLDER_TITLE_SCREEN.jpg"));
    EXPECT_TRUE(projectPicture("thumb-PLACEHOLDER_CREDITS_SCREEN.jpg"));
    plat::RunLoop::main().drain();
    EXPECT_EQ(themeFinished.count, 1);
}

TEST_F(ThemeRendering, AnotherRenderersEndDoesNotAdvanceIt)
{
    handler->renderTheme();
    auto other = std::make_shared<WebRenderer>(project);
    plat::NotificationCenter::defaultCenter().post(WebRenderer::kWebRenderingFinishedNotification, other.get());
    plat::NotificationCenter::defaultCenter().post(WebRenderer::kWebRenderingFinishedNotification, other.get());
    EXPECT_EQ(handler->currentRenderdCard(), ThemeMovieHandler::kTitleCard);
    EXPECT_EQ(themeFinished.count, 0);
    ASSERT_TRUE(themeFinished.waitForCount(1));
    EXPECT_TRUE(projectPicture("frame-PLACEHOLDER_CREDITS_SCREEN.jpg"));
}

TEST_F(ThemeRendering, AFailedCardStillEndsTheThemeWithTheFailure)
{
    handler->renderTheme();
    handler->webRenderer()->webView()->stopLoading();
    ASSERT_TRUE(themeFinished.waitForCount(1));
    EXPECT_TRUE(themeFinished.last.userInfo.getString(WebRenderer::kErrorKey).has_value());
    EXPECT_FALSE(projectPicture("frame-PLACEHOLDER_TITLE_SCREEN.jpg"));
    EXPECT_TRUE(projectPicture("frame-PLACEHOLDER_CREDITS_SCREEN.jpg"));
}

TEST_F(ThemeRendering, AHandlerLetGoEndsWithoutTheNotification)
{
    handler->renderTheme();
    handler.reset();
    plat::RunLoop::main().drain();
    EXPECT_EQ(themeFinished.count, 0);
}

TEST_F(ThemeRendering, FramesAsBackgroundTakeTheFirstAndLastPictures)
{
    addFlatPicture("P2", {30, 30, 200, 255});
    setMetadata("META_RECORD_THEME_USE_FRAME_AS_BG", true);
    handler->renderTheme();
    ASSERT_TRUE(themeFinished.waitForCount(1));
    EXPECT_TRUE(near(pixelAt(*projectPicture("frame-PLACEHOLDER_TITLE_SCREEN.jpg"), 4, 4), {200, 30, 30, 255}));
    EXPECT_TRUE(near(pixelAt(*projectPicture("frame-PLACEHOLDER_CREDITS_SCREEN.jpg"), 4, 4), {30, 30, 200, 255}));
}

TEST_F(ThemeRendering, FramesAsBackgroundWithoutPicturesFallBackToTheTheme)
{
    project->getFrameList().removeFrameWithFrameType(zt::FrameTypePicture);
    setMetadata("META_RECORD_THEME_USE_FRAME_AS_BG", true);
    handler->renderTheme();
    ASSERT_TRUE(themeFinished.waitForCount(1));
    auto expected = zt::bundlePicture("theme_bg_03.jpg");
    for (const char* name : {"frame-PLACEHOLDER_TITLE_SCREEN.jpg", "frame-PLACEHOLDER_CREDITS_SCREEN.jpg"})
        EXPECT_TRUE(near(pixelAt(*projectPicture(name), 1, 1), pixelAt(*expected, 1, 1), 20)) << name;
}

TEST_F(ThemeRendering, UpdateMovieAddsFourSecondsOfCardsOnce)
{
    setMetadata("RecordFPS", int64_t {5});
    setMetadata("RecordNeedsRendering", false);
    handler->updateMovie();
    auto& frames = project->getFrameList();
    EXPECT_EQ(countOfType(zt::FrameTypeTitle), 20);
    EXPECT_EQ(countOfType(zt::FrameTypeCredits), 20);
    EXPECT_EQ(frames.findFirstOccurrenceOfFrameWithType(zt::FrameTypeTitle), 0);
    EXPECT_EQ(frames.findLastOccurrenceOfFrameWithType(zt::FrameTypeTitle), 19);
    EXPECT_EQ(frames.findLastOccurrenceOfFrameWithType(zt::FrameTypeCredits), frames.count() - 1);
    EXPECT_EQ(frames.count(), 42);  // the picture and the capture placeholder between
    EXPECT_EQ(project->getMetaData()->getBool("RecordNeedsRendering"), true);
    handler->updateMovie();
    EXPECT_EQ(frames.count(), 42);
    zt::ProjectModel reread(project->getProjectPath());
    EXPECT_EQ(reread.getFrameList().count(), 42);
}

TEST_F(ThemeRendering, ThemeZeroRemovesEveryCardFrame)
{
    handler->updateMovie();
    project->getFrameList().setHoldForFrame(*project->getFrameList().getFrameAtIndex(0), 33);
    setMetadata("META_RECORD_THEME", int64_t {0});
    handler->updateMovie();
    EXPECT_EQ(countOfType(zt::FrameTypeTitle), 0);
    EXPECT_EQ(countOfType(zt::FrameTypeCredits), 0);
    EXPECT_EQ(project->getFrameList().count(), 2);
}

TEST_F(ThemeRendering, AnEmptyListGetsNoCards)
{
    auto& frames = project->getFrameList();
    while (frames.count() > 0)
        frames.removeFrameAtIndex(0);
    handler->updateMovie();
    EXPECT_EQ(frames.count(), 0);
}
