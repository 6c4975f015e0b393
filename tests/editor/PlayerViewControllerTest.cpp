#include "editor/PlayerViewController.h"

#include "document/AudioClip.h"
#include "editor/StripItemViews.h"
#include "editor/StripTestSupport.h"
#include "platform/ui/GestureRecognizer.h"
#include "uikit/BubblePopoverController.h"
#include "uikit/CAGridView.h"
#include "uikit/QVNumberBadgeView.h"
#include "uikit/ThumbMenuItem.h"

namespace {

using zt::test::StripTest;
namespace detail = zt::detail;

class Strip : public StripTest {
protected:
    // The items of the open menu, in order.
    std::vector<std::shared_ptr<zt::ThumbMenuItem>> menuItems() const
    {
        std::vector<std::shared_ptr<zt::ThumbMenuItem>> items;
        auto popover = strip->popoverController();
        if (!popover)
            return items;
        for (const auto& view : popover->contentViewController()->view()->subviews()) {
            if (auto grid = std::dynamic_pointer_cast<zt::ThumbMenuGridView>(view)) {
                for (const auto& entry : grid->items())
                    items.push_back(std::dynamic_pointer_cast<zt::ThumbMenuItem>(entry));
            }
        }
        return items;
    }
    std::vector<std::string> titles() const
    {
        std::vector<std::string> all;
        for (const auto& entry : menuItems())
            all.push_back(entry->titleText());
        return all;
    }
    std::vector<bool> enabled() const
    {
        std::vector<bool> all;
        for (const auto& entry : menuItems())
            all.push_back(entry->isEnabled());
        return all;
    }
    std::vector<int64_t> badges() const
    {
        std::vector<int64_t> all;
        for (const auto& entry : menuItems())
            all.push_back(entry->badgeValue());
        return all;
    }
    bool marked(int64_t index) const
    {
        auto overlay = part(index, detail::kSelectionTag);
        return overlay && !overlay->isHidden();
    }
    std::string counter() const { return strip->outlets().labelFrameNumber->text(); }
};

TEST_F(Strip, AnEmptyListGivesNoItemsAndAnIndexPastTheEndNoView)
{
    auto empty = makeProject({});
    empty->getFrameList().removeFrameAtIndex(0);
    showStrip(empty);
    EXPECT_EQ(carousel().numberOfItems(), 0);
    EXPECT_EQ(strip->carouselViewForItemAtIndexReusingView(carousel(), 0, nullptr), nullptr);
    EXPECT_EQ(strip->carouselViewForItemAtIndexReusingView(carousel(), -1, nullptr), nullptr);
}

TEST_F(Strip, EveryEntryIsAnItemAndThePlaceholderShowsTheCamera)
{
    showStrip(makeProject({"A", "B", "C"}));
    EXPECT_EQ(carousel().numberOfItems(), 4);
    EXPECT_EQ(strip->carouselItemWidth(carousel()), 90.0);
    auto camera = std::dynamic_pointer_cast<plat::ImageView>(part(3, detail::kThumbnailTag));
    ASSERT_NE(camera, nullptr);
    EXPECT_EQ(camera->image(), plat::Image::imageNamed("thumb_camera.png"));
    auto first = std::dynamic_pointer_cast<plat::ImageView>(part(0, detail::kThumbnailTag));
    ASSERT_NE(first, nullptr);
    ASSERT_NE(first->image(), nullptr);
    EXPECT_LE(
        plat::test::componentDistance(plat::test::pixelAt(*first->image(), 100, 70), zt::test::colourFor("A")), 12);
    EXPECT_EQ(item(0)->frame().size, (plat::Size {90, 194}));
    EXPECT_EQ(part(0, detail::kThumbnailTag)->frame(), plat::makeRect(10, 18, 70, 50));
    EXPECT_TRUE(part(0, detail::kSelectionTag)->isHidden());
    EXPECT_EQ(part(0, detail::kLanesTag)->frame(), plat::makeRect(0, 95, 90, 90));
}

TEST_F(Strip, HoldRunsAreMarkedAtTheirStartMiddleAndEnd)
{
    showStrip(makeProject({"A", "A", "B", "C", "C", "C", "D"}));
    EXPECT_EQ(detail::holdPositionAtIndex(project->getFrameList(), 0), detail::HoldPosition::Start);
    EXPECT_EQ(detail::holdPositionAtIndex(project->getFrameList(), 1), detail::HoldPosition::End);
    EXPECT_EQ(detail::holdPositionAtIndex(project->getFrameList(), 2), detail::HoldPosition::None);
    EXPECT_EQ(detail::holdPositionAtIndex(project->getFrameList(), 4), detail::HoldPosition::Middle);
    goTo(3);
    auto start = part(3, detail::kHoldMarkerTag);
    ASSERT_NE(start, nullptr);
    EXPECT_EQ(start->frame(), plat::makeRect(20, 45, 70, 20)) << "moved so that its centre is at y 55";
    EXPECT_FALSE(start->isUserInteractionEnabled());
    auto count = std::dynamic_pointer_cast<plat::Label>(start->subviews().back());
    ASSERT_NE(count, nullptr);
    EXPECT_EQ(count->text(), "3");
    EXPECT_EQ(count->frame(), plat::makeRect(12, 0, 22, 16));
    EXPECT_EQ(part(4, detail::kHoldMarkerTag)->frame(), plat::makeRect(0, 45, 90, 20));
    EXPECT_EQ(part(5, detail::kHoldMarkerTag)->frame(), plat::makeRect(0, 45, 50, 20));
    EXPECT_EQ(part(2, detail::kHoldMarkerTag), nullptr);
    // The marker sits between the thumbnail and the selection overlay.
    const auto& parts = item(3)->subviews();
    ASSERT_GE(parts.size(), 4u);
    EXPECT_EQ(parts[1]->tag(), detail::kHoldMarkerTag);
    EXPECT_EQ(parts[2]->tag(), detail::kSelectionTag);
}

TEST_F(Strip, AReusedItemLosesTheOldMarkerAndSelectionAndGetsItsOwn)
{
    showStrip(makeProject({"A", "A", "B"}));
    auto reused = strip->carouselViewForItemAtIndexReusingView(carousel(), 0, nullptr);
    ASSERT_NE(reused, nullptr);
    int markers = 0;
    for (const auto& view : reused->subviews())
        markers += view->tag() == detail::kHoldMarkerTag ? 1 : 0;
    EXPECT_EQ(markers, 1);
    reused->viewWithTag(detail::kSelectionTag)->setHidden(false);
    auto again = strip->carouselViewForItemAtIndexReusingView(carousel(), 2, reused);
    EXPECT_EQ(again, reused);
    markers = 0;
    for (const auto& view : again->subviews())
        markers += view->tag() == detail::kHoldMarkerTag ? 1 : 0;
    EXPECT_EQ(markers, 0) << "B is no hold";
    EXPECT_TRUE(again->viewWithTag(detail::kSelectionTag)->isHidden());
}

// Lanes of one item for clips placed by hand (the mixer fills these indexes).
class StripLanes : public Strip {
protected:
    std::shared_ptr<plat::View> lanes()
    {
        auto made = detail::makeAudioLanes(detail::StripItemGeometry::forDevice());
        return made;
    }
    std::shared_ptr<plat::View> lane(plat::View& all, int track)
    {
        return all.viewWithTag(detail::kFirstLaneTag + track);
    }
    static std::shared_ptr<zt::AudioClip> clip(int type, int64_t start, int64_t end, const std::string& name)
    {
        auto made = std::make_shared<zt::AudioClip>();
        made->setType(type);
        made->setStartFrameIndex(start);
        made->setEndFrameIndex(end);
        made->setName(name);
        return made;
    }
};

TEST_F(StripLanes, EachTrackHasALaneThirtyPointsBelowTheLast)
{
    auto all = lanes();
    ASSERT_EQ(all->subviews().size(), 3u);
    EXPECT_EQ(lane(*all, 0)->frame(), plat::makeRect(0, 0, 90, 30));
    EXPECT_EQ(lane(*all, 1)->frame(), plat::makeRect(0, 30, 90, 30));
    EXPECT_EQ(lane(*all, 2)->frame(), plat::makeRect(0, 60, 90, 30));
    for (int track = 0; track < 3; ++track)
        EXPECT_TRUE(lane(*all, track)->isHidden());
}

TEST_F(StripLanes, AClipStartingAndEndingHereGetsTheShortLabelAndBar)
{
    auto all = lanes();
    const auto geometry = detail::StripItemGeometry::forDevice();
    detail::fillAudioLanes(*all, {{1, clip(zt::AudioClip::VoiceOver, 4, 4, "Hello")}}, 4, geometry);
    EXPECT_TRUE(lane(*all, 0)->isHidden()) << "no clip of track 0 sounds here";
    auto voice = lane(*all, 1);
    ASSERT_FALSE(voice->isHidden());
    auto bar = voice->viewWithTag(detail::kLaneBarTag);
    auto label = std::dynamic_pointer_cast<plat::Label>(voice->viewWithTag(detail::kLaneLabelTag));
    EXPECT_EQ(bar->frame(), plat::makeRect(10, 0, 75, 12));
    EXPECT_EQ(*bar->backgroundColor(), plat::Color::colorWithRed(26 / 255.0, 188 / 255.0, 156 / 255.0, 1));
    EXPECT_FALSE(label->isHidden());
    EXPECT_EQ(label->text(), "Hello");
    EXPECT_EQ(label->frame().width(), 80);
}

TEST_F(StripLanes, ALongClipIsNamedAtItsStartAndRunsOnToItsEnd)
{
    auto all = lanes();
    const auto geometry = detail::StripItemGeometry::forDevice();
    auto music = clip(zt::AudioClip::Music, 2, 9, "Song");
    detail::fillAudioLanes(*all, {{2, music}}, 2, geometry);
    auto label = std::dynamic_pointer_cast<plat::Label>(lane(*all, 2)->viewWithTag(detail::kLaneLabelTag));
    EXPECT_EQ(label->frame().width(), 270) << "7 frames of 90 points, at most three items";
    EXPECT_EQ(lane(*all, 2)->viewWithTag(detail::kLaneBarTag)->frame(), plat::makeRect(10, 0, 80, 12));
    detail::fillAudioLanes(*all, {{2, music}}, 5, geometry);
    EXPECT_TRUE(label->isHidden());
    EXPECT_EQ(lane(*all, 2)->viewWithTag(detail::kLaneBarTag)->frame(), plat::makeRect(0, 0, 90, 12));
    detail::fillAudioLanes(*all, {{2, music}}, 9, geometry);
    EXPECT_EQ(lane(*all, 2)->viewWithTag(detail::kLaneBarTag)->frame(), plat::makeRect(0, 0, 85, 12));
    auto shortOne = clip(zt::AudioClip::SoundEffect, 3, 4, "Pop");
    detail::fillAudioLanes(*all, {{0, shortOne}}, 3, geometry);
    auto shortName = std::dynamic_pointer_cast<plat::Label>(lane(*all, 0)->viewWithTag(detail::kLaneLabelTag));
    ASSERT_NE(shortName, nullptr);
    EXPECT_EQ(shortName->frame().width(), 90) << "at least one item";
    EXPECT_TRUE(lane(*all, 2)->isHidden()) << "the music no longer sounds at this item";
}

TEST_F(Strip, TheCurrentFrameShowsItsPreviewAtOnceAndItsPictureHalfASecondLater)
{
    showStrip(makeProject({"A", "B", "C"}));
    goTo(1);
    ASSERT_NE(picture->image(), nullptr);
    EXPECT_EQ(picture->image()->size(), (plat::Size {796, 448})) << "the preview";
    EXPECT_EQ(counter(), "2 / 4");
    EXPECT_EQ(editor->currentFrames.back(), 1);
    clock.advance(0.3);
    EXPECT_FALSE(strip->isFullResolutionImageShown());
    clock.advance(0.5);
    EXPECT_TRUE(strip->isFullResolutionImageShown());
    EXPECT_EQ(picture->image()->size(), (plat::Size {64, 36})) << "the full picture";
    EXPECT_EQ(editor->fullPictures, (std::vector<int64_t> {1}));
}

TEST_F(Strip, ScrollingAwayWithinHalfASecondNeverLoadsTheFullPicture)
{
    showStrip(makeProject({"A", "B", "C"}));
    goTo(0);
    clock.advance(0.6);
    editor->fullPictures.clear();
    goTo(1);
    clock.advance(0.4);
    goTo(2);
    clock.advance(0.4);
    EXPECT_TRUE(editor->fullPictures.empty()) << "each move starts the half second again";
    clock.advance(0.2);
    EXPECT_EQ(editor->fullPictures, (std::vector<int64_t> {2}));
}

TEST_F(Strip, TheMenuOfAPictureOffersEveryCommandButPasteOnAnEmptyPasteboard)
{
    showStrip(makeProject({"A", "B"}));
    tapItem(1);
    EXPECT_EQ(strip->tapedFrameIndex(), 1);
    EXPECT_EQ(
        titles(), (std::vector<std::string> {"Capture", "Hold", "Select", "Copy", "Paste", "Paste Reverse", "Delete"}));
    EXPECT_EQ(enabled(), (std::vector<bool> {true, true, true, true, false, false, true}));
    EXPECT_EQ(badges(), (std::vector<int64_t> {0, 0, 0, 0, 0, 0, 0}));
    auto popover = strip->popoverController();
    ASSERT_NE(popover, nullptr);
    EXPECT_EQ(popover->popoverArrowDirection(), zt::kBubbleArrowDirectionDown);
    // (568 - 20) / 7 = 78.3: kept to 75 points a cell.
    EXPECT_EQ(popover->popoverContentSize(), (plat::Size {525, 100}));
}

TEST_F(Strip, ThePlaceholdersMenuOnlyPastes)
{
    showStrip(makeProject({"A"}));
    plat::Pasteboard::generalPasteboard()->setImage(*plat::test::makeFlatImage(8, 8, {1, 2, 3, 255}));
    tapItem(1);
    EXPECT_EQ(enabled(), (std::vector<bool> {false, false, false, false, true, false, false}));
    EXPECT_EQ(badges()[4], 1) << "one picture; no badge under 2 is drawn";
    EXPECT_EQ(menuItems()[4]->badge(), nullptr);
}

TEST_F(Strip, ASelectionGrowsWithTheCurrentFrameAndBadgesCopyAndDelete)
{
    showStrip(makeProject({"A", "B", "C", "D", "E"}));
    goTo(1);
    tapItem(1);
    choose("Select");
    EXPECT_EQ(strip->selectionStartIndex(), 1);
    EXPECT_EQ(strip->popoverController(), nullptr);
    goTo(3);
    EXPECT_FALSE(marked(0));
    EXPECT_TRUE(marked(1));
    EXPECT_TRUE(marked(2));
    EXPECT_TRUE(marked(3));
    EXPECT_FALSE(marked(4));
    tapItem(4);
    EXPECT_EQ(titles()[2], "Deselect");
    EXPECT_EQ(badges(), (std::vector<int64_t> {0, 0, 0, 3, 0, 0, 3}));
    ASSERT_NE(menuItems()[3]->badge(), nullptr);
    EXPECT_EQ(menuItems()[3]->badge()->value(), 3u);
    choose("Deselect");
    EXPECT_EQ(strip->selectionStartIndex(), -1);
    EXPECT_FALSE(marked(2));
}

TEST_F(Strip, ASelectionOfOnlyThePlaceholderCountsNothing)
{
    showStrip(makeProject({"A", "B"}));
    goTo(2);
    tapItem(1);
    choose("Select");
    goTo(2);
    tapItem(2);
    EXPECT_EQ(badges()[3], 1) << "B is in the range; the placeholder never counts";
    strip->deselectAllSelected();
    goTo(2);
    // A selection started on the placeholder itself (by code: its menu cannot).
    strip->showThumbMenuForFrame(2, *item(2));
    strip->selectSelected();
    tapItem(2);
    EXPECT_EQ(titles()[2], "Select");
    EXPECT_EQ(badges()[3], 0);
    EXPECT_FALSE(marked(2)) << "the placeholder is never marked";
}

TEST_F(Strip, ADoubleTapZoomsOutAndClearsTheSelection)
{
    showStrip(makeProject({"A", "B"}));
    tapItem(0);
    choose("Select");
    auto view = strip->view();
    driver.doubleTapAt(view->convertPoint({300, 30}, nullptr));
    driver.wait(0.5);
    EXPECT_EQ(editor->zoomOuts, 1);
    EXPECT_EQ(strip->selectionStartIndex(), -1);
    EXPECT_EQ(strip->popoverController(), nullptr) << "a double tap is no item tap";
}

TEST_F(Strip, AddingAFrameShowsItsItemAndMakesItCurrent)
{
    showStrip(makeProject({"A", "B"}));
    auto& list = project->getFrameList();
    zt::ImageProducer producer(project);
    ASSERT_TRUE(producer.storeImage(*plat::test::makeFlatImage(64, 36, {200, 10, 10, 255}), "N"));
    zt::Frame added(zt::FrameTypePicture, "N");
    list.insertFrame(added, list.getCaptureIndex());
    strip->addFrame(added);
    driver.wait(1);
    EXPECT_EQ(carousel().numberOfItems(), 4);
    EXPECT_EQ(strip->getCurrentFrame(), 2);
    EXPECT_EQ(counter(), "3 / 4");
}

TEST_F(Strip, ALaneShowsTheClipSoundingThereAndATapOnItOpensTheClip)
{
    showStrip(makeProject({"A", "B", "C", "D", "E", "F", "G"}));
    zt::test::PostedNotifications posted({zt::kShowAudioControllerNotification});
    // One second at 5 frames per second: frames 1 to 5.
    audio->addAudioFromFile(tone("pop.wav", 1.0), 1, std::string("Pop"), zt::AudioClip::SoundEffect);
    strip->updateFrames();
    driver.wait(0);
    goTo(3);
    auto lanesAt = [&](int64_t index) { return part(index, detail::kLanesTag); };
    ASSERT_NE(lanesAt(0), nullptr);
    EXPECT_TRUE(lanesAt(0)->viewWithTag(detail::kFirstLaneTag)->isHidden());
    auto startLane = lanesAt(1)->viewWithTag(detail::kFirstLaneTag);
    ASSERT_FALSE(startLane->isHidden());
    auto name = std::dynamic_pointer_cast<plat::Label>(startLane->viewWithTag(detail::kLaneLabelTag));
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->text(), "Pop");
    auto middle = lanesAt(3)->viewWithTag(detail::kFirstLaneTag);
    ASSERT_FALSE(middle->isHidden());
    ASSERT_TRUE(driver.tap(*middle));
    driver.wait(0.5);
    ASSERT_EQ(posted.posted.size(), 1u);
    auto clip = posted.posted[0].userInfo.get(zt::kClipKey).asObjectOf<zt::AudioClip>();
    ASSERT_NE(clip, nullptr);
    EXPECT_EQ(clip->name(), "Pop");
    EXPECT_EQ(strip->popoverController(), nullptr) << "a lane tap opens no frame menu";
}

}  // namespace
