// The strip and the playback options as the screen shows them.
#include <cstdlib>

#include "document/AudioClip.h"
#include "editor/ConfigurationCell.h"
#include "editor/ConfigurationViewController.h"
#include "editor/StripTestSupport.h"
#include "platform/ui/Switch.h"
#include "platform/ui/ViewRendering.h"
#include "platform/ui/testing/PictureComparison.h"
#include "uikit/BubblePopoverController.h"

namespace {

using zt::test::StripTest;

bool updatingReferences()
{
    const char* update = std::getenv("ZT_UPDATE_REFERENCE_PICTURES");
    return update && std::string(update) == "1";
}

class StripPicture : public StripTest {
protected:
    // A hold of two, a sound under three frames and a selection of two.
    void showMarkedStrip()
    {
        showStrip(makeProject({"A", "H", "H", "B", "C", "D"}));
        audio->addAudioFromFile(tone("pop.wav", 0.6), 1, std::string("Pop"), zt::AudioClip::SoundEffect);
        strip->updateFrames();
        goTo(3);
        tapItem(3);
        choose("Select");
        goTo(4);
        driver.wait(1);
    }
    plat::test::PictureComparison compare(const std::string& name)
    {
        auto screen = plat::snapshotWindow(*window, 1);
        if (!screen)
            return {};
        return plat::test::compareWithReferencePicture(
            *screen, plat::test::sourcePath("tests/data/editor/" + name), output.path());
    }

    plat::test::TemporaryFolder output;
};

TEST_F(StripPicture, HoldsSoundsAndTheSelectionAreMarked)
{
    showMarkedStrip();
    auto result = compare("strip_marks.png");
    EXPECT_TRUE(result.matches) << result.explanation;
}

TEST_F(StripPicture, AMissingMarkFailsTheComparison)
{
    if (updatingReferences())
        GTEST_SKIP() << "it would write the reference";
    showMarkedStrip();
    auto marker = part(1, zt::detail::kHoldMarkerTag);
    ASSERT_NE(marker, nullptr);
    marker->setHidden(true);
    EXPECT_FALSE(compare("strip_marks.png").matches) << "without the hold's count";
    marker->setHidden(false);
    part(2, zt::detail::kLanesTag)->setHidden(true);
    EXPECT_FALSE(compare("strip_marks.png").matches) << "without the sound's lane";
    part(2, zt::detail::kLanesTag)->setHidden(false);
    part(4, zt::detail::kSelectionTag)->setHidden(true);
    EXPECT_FALSE(compare("strip_marks.png").matches) << "without a selection mark";
}

class OptionsPicture : public StripPicture {
protected:
    void SetUp() override
    {
        project = makeProject({"A", "B", "C"});
        project->getMetaData()->set("PlayAtHalfSpeed", true);
        options = std::make_shared<zt::ConfigurationViewController>(project);
        popover = std::make_shared<zt::BubblePopoverController>(options);
        popover->presentPopoverFromRect(plat::makeRect(260, 300, 40, 20), *root->view(), zt::kBubbleArrowDirectionDown,
            /*animated=*/false);
        driver.wait(0.5);
    }
    void TearDown() override { popover->dismissPopoverAnimated(/*animated=*/false); }

    std::shared_ptr<zt::ConfigurationViewController> options;
    std::shared_ptr<zt::BubblePopoverController> popover;
};

TEST_F(OptionsPicture, ThePlaybackOptionsInTheirBubble)
{
    auto result = compare("playback_options.png");
    EXPECT_TRUE(result.matches) << result.explanation;
}

TEST_F(OptionsPicture, AMissingTitleOrAWrongSwitchFails)
{
    if (updatingReferences())
        GTEST_SKIP() << "it would write the reference";
    auto cell = std::dynamic_pointer_cast<zt::ConfigurationCell>(
        options->tableView()->cellForRowAtIndexPath(plat::IndexPath::indexPathForRow(1, 0)));
    ASSERT_NE(cell, nullptr);
    cell->labelTitle()->setHidden(true);
    EXPECT_FALSE(compare("playback_options.png").matches) << "without a title";
    cell->labelTitle()->setHidden(false);
    cell->switchOnOff()->setOn(false);
    EXPECT_FALSE(compare("playback_options.png").matches) << "with the loop off";
}

}  // namespace
