// The panels' pictures against their references: the crop editor with its
// dimmed surroundings, band edge and bar; the row of effect pictures; the
// add-media menu in its popover with greyed rows. Each test also shows that
// a missing part fails the comparison.
#include <gtest/gtest.h>

#include "document/Frame.h"
#include "document/ProjectModel.h"
#include "editor/EditorTestSupport.h"
#include "editor/EffectSelectionViewController.h"
#include "editor/ImageEditor.h"
#include "editor/MediaSelectionViewController.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TableViewCell.h"
#include "platform/ui/ViewRendering.h"
#include "platform/ui/testing/PictureComparison.h"
#include "uikit/BubblePopoverController.h"
#include "uikit/Carousel.h"

namespace {

plat::test::PictureComparison compare(plat::Window& window, const std::string& reference, const std::string& output)
{
    auto picture = plat::snapshotWindow(window, 1);
    if (!picture)
        return {};
    return plat::test::compareWithReferencePicture(
        *picture, plat::test::sourcePath("tests/data/editor/" + reference), output);
}

// A 4:3 picture of blocks with a ring: on a tablet it reaches above and
// below the 16:9 band, where the overlay dims it.
std::shared_ptr<plat::Image> ringPicture()
{
    return plat::test::makeImage(1024, 768, [](int x, int y) {
        double dx = x - 512, dy = y - 384;
        double distance = std::sqrt(dx * dx + dy * dy);
        if (distance > 150 && distance < 190)
            return plat::test::Rgba {250, 250, 250, 255};
        return zt::test::blockColour(x, y, 1024, 768, 128);
    });
}

class CropEditorPicture : public zt::test::EditorScreens {
protected:
    CropEditorPicture()
        : EditorScreens(plat::UserInterfaceIdiom::Pad)
    {
        editor = std::make_shared<zt::ImageEditor>();
        editor->setCheckBounds(true);
        editor->setSourceImage(ringPicture());
        window->setRootViewController(editor);
        driver.wait(0);
    }

    std::shared_ptr<zt::ImageEditor> editor;
    plat::test::TemporaryFolder output;
};

TEST_F(CropEditorPicture, ShowsThePictureUnderTheBandWithItsSurroundingsDimmedAndTheBar)
{
    auto result = compare(*window, "crop_editor.png", output.path());
    EXPECT_TRUE(result.matches) << result.explanation;
}

TEST_F(CropEditorPicture, WithoutTheOverlayOrTheBarThePictureDiffers)
{
    editor->frameView()->setHidden(true);
    EXPECT_FALSE(compare(*window, "crop_editor.png", output.path()).matches) << "without the dimming";
    editor->frameView()->setHidden(false);
    editor->outlet("toolbar")->setHidden(true);
    EXPECT_FALSE(compare(*window, "crop_editor.png", output.path()).matches) << "without the bar";
}

class EffectChooserPicture : public zt::test::EditorScreens {
protected:
    EffectChooserPicture()
    {
        window->setBackgroundColor(plat::Color::colorWithWhite(0.3, 1));
        project = std::make_shared<zt::ProjectModel>(std::nullopt);
        project->getMetaData()->set("RecordMovieFilter", int64_t(2));
        chooser = std::make_shared<zt::EffectSelectionViewController>(project);
        chooser->view()->setFrame(plat::makeRect(124, 116, 320, 88));
        window->addSubview(chooser->view());
        driver.wait(1);
    }

    std::shared_ptr<zt::ProjectModel> project;
    std::shared_ptr<zt::EffectSelectionViewController> chooser;
    plat::test::TemporaryFolder output;
};

TEST_F(EffectChooserPicture, ShowsTheStoredEffectCentredBetweenItsNeighbours)
{
    auto result = compare(*window, "effect_chooser.png", output.path());
    EXPECT_TRUE(result.matches) << result.explanation;
}

TEST_F(EffectChooserPicture, AMissingPictureFailsTheComparison)
{
    auto item = std::dynamic_pointer_cast<plat::ImageView>(chooser->carousel()->itemViewAtIndex(3));
    ASSERT_TRUE(item);
    item->setImage(nullptr);
    EXPECT_FALSE(compare(*window, "effect_chooser.png", output.path()).matches);
}

class MediaMenuPicture : public zt::test::EditorScreens {
protected:
    void show(int pictures)
    {
        window->setBackgroundColor(plat::Color::colorWithWhite(0.2, 1));
        project = std::make_shared<zt::ProjectModel>(std::nullopt);
        auto& list = project->getFrameList();
        for (int i = 0; i < pictures; ++i)
            list.insertFrame(zt::Frame(zt::FrameTypePicture), list.getCaptureIndex());
        menu = std::make_shared<zt::MediaSelectionViewController>(project, plat::TableViewStyle::Plain);
        popover = std::make_shared<zt::BubblePopoverController>(menu);
        popover->presentPopoverFromRect(
            plat::makeRect(10, 130, 44, 44), *window, zt::kBubbleArrowDirectionLeft, /*animated=*/true);
        driver.wait(0.3);
    }

    std::shared_ptr<zt::ProjectModel> project;
    std::shared_ptr<zt::MediaSelectionViewController> menu;
    std::shared_ptr<zt::BubblePopoverController> popover;
    plat::test::TemporaryFolder output;
};

TEST_F(MediaMenuPicture, AShortProjectShowsTwoGreyedRows)
{
    show(1);
    auto result = compare(*window, "media_menu_short_project.png", output.path());
    EXPECT_TRUE(result.matches) << result.explanation;
}

TEST_F(MediaMenuPicture, BlackRowsOrAMissingIconFailTheComparison)
{
    show(2);
    EXPECT_FALSE(compare(*window, "media_menu_short_project.png", output.path()).matches) << "rows not greyed";
    popover->dismissPopoverAnimated(false);
    show(1);
    menu->tableView()->cellForRowAtIndexPath({0, 2})->imageView()->setImage(nullptr);
    EXPECT_FALSE(compare(*window, "media_menu_short_project.png", output.path()).matches) << "without the note";
}

}  // namespace
