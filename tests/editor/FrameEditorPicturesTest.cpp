// The frame editor as a person sees it on a phone and a tablet, against
// reference pictures; a missing button, picture or strip fails.
#include "editor/FrameEditorTestSupport.h"
#include "platform/ui/Label.h"
#include "platform/ui/ViewRendering.h"
#include "platform/ui/testing/PictureComparison.h"

namespace {

using zt::test::FrameEditorScene;
using zt::test::TabletFrameEditorScene;
using Rgba = plat::test::Rgba;

const std::vector<Rgba> kColours {{220, 60, 40, 255}, {50, 170, 90, 255}, {60, 90, 210, 255}};

plat::test::PictureComparison compare(plat::Window& window, const std::string& reference, const std::string& output)
{
    auto picture = plat::snapshotWindow(window, 1);
    if (!picture)
        return {};
    return plat::test::compareWithReferencePicture(
        *picture, plat::test::sourcePath("tests/data/editor/" + reference), output);
}

class FrameEditorPicture : public FrameEditorScene {
protected:
    plat::test::TemporaryFolder output;
};
class TabletFrameEditorPicture : public TabletFrameEditorScene {
protected:
    plat::test::TemporaryFolder output;
};

TEST_F(FrameEditorPicture, APhoneShowsThePictureBetweenItsButtonColumnsAboveTheStrip)
{
    open(makeProject(kColours));
    goTo(1);
    driver.wait(1);
    auto result = compare(*window, "frame_editor_phone.png", output.path());
    EXPECT_TRUE(result.matches) << result.explanation;
}

TEST_F(FrameEditorPicture, AMissingButtonPictureOrStripFailsThePhonesComparison)
{
    open(makeProject(kColours));
    goTo(1);
    driver.wait(1);
    for (const auto& part : std::initializer_list<std::shared_ptr<plat::View>> {
             outlets().btnExplorer, outlets().btnPlay, outlets().btnForward, outlets().imageViewFrame}) {
        part->setHidden(true);
        EXPECT_FALSE(compare(*window, "frame_editor_phone.png", output.path()).matches)
            << "without " << part->accessibilityLabel();
        part->setHidden(false);
    }
    strip().view()->setHidden(true);
    EXPECT_FALSE(compare(*window, "frame_editor_phone.png", output.path()).matches) << "without the strip";
    strip().view()->setHidden(false);
}

TEST_F(FrameEditorPicture, APhoneWithoutPicturesShowsTheHint)
{
    open(0);
    auto result = compare(*window, "frame_editor_phone_empty.png", output.path());
    EXPECT_TRUE(result.matches) << result.explanation;
}

TEST_F(FrameEditorPicture, AMissingHintFailsTheComparison)
{
    open(0);
    outlets().labelEmptyHelp->setHidden(true);
    EXPECT_FALSE(compare(*window, "frame_editor_phone_empty.png", output.path()).matches) << "without the hint";
}

TEST_F(FrameEditorPicture, TheSingleFrameControlsShowOverThePicture)
{
    open(makeProject(kColours));
    goTo(1);
    ASSERT_TRUE(driver.tap(*outlets().imageViewFrame));
    driver.wait(1);
    auto result = compare(*window, "frame_editor_phone_controls.png", output.path());
    EXPECT_TRUE(result.matches) << result.explanation;
}

TEST_F(FrameEditorPicture, AMissingControlFailsTheComparison)
{
    open(makeProject(kColours));
    goTo(1);
    ASSERT_TRUE(driver.tap(*outlets().imageViewFrame));
    driver.wait(1);
    outlets().btnImageMerge->setHidden(true);
    EXPECT_FALSE(compare(*window, "frame_editor_phone_controls.png", output.path()).matches) << "without Merge";
}

TEST_F(TabletFrameEditorPicture, ATabletShowsItsToolbarTheCaptureScreenAndTheStrip)
{
    open(makeProject(kColours));
    goTo(1);
    driver.wait(1);
    auto result = compare(*window, "frame_editor_tablet.png", output.path());
    EXPECT_TRUE(result.matches) << result.explanation;
}

TEST_F(TabletFrameEditorPicture, AMissingPartFailsTheTabletsComparison)
{
    open(makeProject(kColours));
    goTo(1);
    driver.wait(1);
    for (const auto& part : std::initializer_list<std::shared_ptr<plat::View>> {
             outlets().btnExplorer, outlets().btnMusic, outlets().btnPlay, outlets().viewLeftControls}) {
        part->setHidden(true);
        EXPECT_FALSE(compare(*window, "frame_editor_tablet.png", output.path()).matches)
            << "without " << part->accessibilityLabel();
        part->setHidden(false);
    }
}

}  // namespace
