#include "editor/EffectSelectionViewController.h"

#include <gtest/gtest.h>

#include "document/ProjectModel.h"
#include "editor/EditorNotifications.h"
#include "editor/EditorTestSupport.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Layer.h"
#include "uikit/Carousel.h"

namespace {

// A project folder whose metadata file holds what the test gives, and the
// chooser of that project shown in the middle of a phone.
class EffectChooser : public zt::test::EditorScreens {
protected:
    EffectChooser()
    {
        token = plat::NotificationCenter::defaultCenter().addObserver(
            zt::MovieEffectDidChangeNotification, nullptr, [this](const plat::Notification& notification) {
                senders.push_back(notification.object);
                // Observers run before the chooser returns, with the metadata already saved.
                storedWhenPosted.push_back(storedEffect());
            });
    }

    void makeProject(const plat::Dictionary& metadata)
    {
        auto bytes = plat::PropertyListSerialization::dataWithPropertyList(metadata, plat::PropertyListFormat::XML);
        ASSERT_TRUE(bytes.ok());
        writeMetadata(bytes.value());
    }
    void writeMetadata(const plat::Data& bytes)
    {
        folder = plat::appendingPathComponent(sandbox.documents(), ".plovix-effects");
        ASSERT_TRUE(plat::createDirectory(folder, plat::IntermediateDirectories::Yes).ok());
        ASSERT_TRUE(plat::writeFileAtomically(metadataPath(), bytes).ok());
        project = std::make_shared<zt::ProjectModel>(folder);
    }
    std::string metadataPath() const { return plat::appendingPathComponent(folder, "plovix.meta"); }

    void show()
    {
        chooser = std::make_shared<zt::EffectSelectionViewController>(project);
        auto view = chooser->view();
        view->setFrame(plat::makeRect(124, 116, 320, 88));
        window->addSubview(view);
        driver.wait(0);
    }

    // The metadata as stored on disk now.
    plat::Dictionary stored() const
    {
        auto bytes = plat::readFile(metadataPath());
        if (!bytes.ok())
            return {};
        auto value = plat::PropertyListSerialization::propertyListWithData(bytes.value());
        return value.ok() ? value.value().asDictionary().value_or(plat::Dictionary()) : plat::Dictionary();
    }
    std::optional<int64_t> storedEffect() const { return stored().getInt64("RecordMovieFilter"); }

    zt::Carousel& carousel() const { return *chooser->carousel(); }

    std::string folder;
    std::shared_ptr<zt::ProjectModel> project;
    std::shared_ptr<zt::EffectSelectionViewController> chooser;
    std::vector<const void*> senders;
    std::vector<std::optional<int64_t>> storedWhenPosted;
    plat::ObserverToken token;
};

TEST_F(EffectChooser, WithoutAStoredEffectItOpensOnNoneAndWritesNothing)
{
    makeProject({{"RecordName", plat::Value("Walk")}});
    plat::Data before = plat::readFile(metadataPath()).value();
    show();
    driver.wait(1);
    EXPECT_EQ(carousel().currentItemIndex(), 0);
    EXPECT_EQ(carousel().type(), zt::CarouselTypeLinear);
    EXPECT_TRUE(senders.empty());
    EXPECT_EQ(plat::readFile(metadataPath()).value(), before) << "opening saves nothing";
}

TEST_F(EffectChooser, AStoredEffectOpensCentredOnItsPictureWithoutASave)
{
    makeProject({{"RecordMovieFilter", plat::Value(int64_t(5))}, {"RecordNeedsRendering", plat::Value(false)}});
    show();
    driver.wait(1);
    EXPECT_EQ(carousel().currentItemIndex(), 5);
    EXPECT_FALSE(carousel().scrolling()) << "placed, not scrolled";
    EXPECT_TRUE(senders.empty());
    EXPECT_EQ(stored().getBool("RecordNeedsRendering"), false);
}

TEST_F(EffectChooser, ValuesThatNameNoEffectOpenOnNone)
{
    for (const plat::Value& value : {plat::Value("sepia"), plat::Value(int64_t(12)), plat::Value(int64_t(-1))}) {
        makeProject({{"RecordMovieFilter", value}});
        show();
        EXPECT_EQ(carousel().currentItemIndex(), 0);
    }
}

TEST_F(EffectChooser, ScrollingToAPictureStoresItsEffectAndTellsTheEditor)
{
    makeProject({{"RecordNeedsRendering", plat::Value(false)}});
    show();
    carousel().scrollToItemAtIndex(3, /*animated=*/true);
    EXPECT_TRUE(senders.empty()) << "stored when the scroll ends";
    driver.wait(0.5);
    ASSERT_EQ(senders.size(), 1u);
    EXPECT_EQ(senders[0], chooser.get());
    EXPECT_EQ(storedWhenPosted[0], 3);
    plat::Dictionary metadata = stored();
    EXPECT_EQ(metadata.getInt64("RecordMovieFilter"), 3);
    EXPECT_EQ(metadata.getBool("RecordNeedsRendering"), true);
    EXPECT_EQ(project->getMetaData()->getInt64("RecordMovieFilter"), 3) << "the shared handle sees it too";
}

TEST_F(EffectChooser, ScrollingAwayAndBackStillSavesAndTells)
{
    makeProject({{"RecordMovieFilter", plat::Value(int64_t(2))}});
    show();
    carousel().scrollToItemAtIndex(4, /*animated=*/true);
    driver.wait(0.5);
    project->getMetaData()->set("RecordNeedsRendering", false);
    carousel().scrollToItemAtIndex(2, /*animated=*/true);
    driver.wait(0.5);
    ASSERT_EQ(senders.size(), 2u);
    EXPECT_EQ(storedWhenPosted[1], 2);
    EXPECT_EQ(stored().getBool("RecordNeedsRendering"), true) << "marked again for rendering";
}

TEST_F(EffectChooser, ADragThatSnapsBackToTheStoredPictureStillSavesAndTells)
{
    makeProject({{"RecordMovieFilter", plat::Value(int64_t(4))}});
    show();
    driver.wait(1);
    plat::Data before = plat::readFile(metadataPath()).value();
    driver.drag({284, 160}, {264, 160}, 0.5);
    driver.wait(2);
    EXPECT_EQ(carousel().currentItemIndex(), 4);
    ASSERT_EQ(senders.size(), 1u);
    EXPECT_EQ(storedWhenPosted[0], 4);
    EXPECT_NE(plat::readFile(metadataPath()).value(), before) << "marked for rendering again";
}

TEST_F(EffectChooser, LayingTheRowOutAgainChoosesNothing)
{
    makeProject({{"RecordMovieFilter", plat::Value(int64_t(2))}});
    show();
    driver.wait(1);
    chooser->view()->setFrame(plat::makeRect(24, 116, 520, 88));
    driver.wait(1);
    carousel().reloadData();
    driver.wait(1);
    EXPECT_EQ(carousel().currentItemIndex(), 2);
    EXPECT_TRUE(senders.empty());
}

TEST_F(EffectChooser, AFlickSettlesOnAPictureAndStoresIt)
{
    makeProject({});
    show();
    driver.drag({330, 160}, {170, 160}, 0.2);
    driver.wait(3);
    ASSERT_FALSE(senders.empty());
    int64_t chosen = carousel().currentItemIndex();
    EXPECT_GT(chosen, 0);
    EXPECT_EQ(storedEffect(), chosen);
    EXPECT_EQ(storedWhenPosted.back(), chosen);
}

TEST_F(EffectChooser, TappingAPictureCentresAndStoresIt)
{
    makeProject({});
    show();
    auto item = carousel().itemViewAtIndex(1);
    ASSERT_TRUE(item);
    ASSERT_TRUE(driver.tap(*item));
    driver.wait(0.5);
    EXPECT_EQ(carousel().currentItemIndex(), 1);
    EXPECT_EQ(storedEffect(), 1);
}

TEST_F(EffectChooser, AnUnreadableMetadataFileIsNeitherOverwrittenNorAnnounced)
{
    plat::Data garbage {'n', 'o', 't', ' ', 'a', ' ', 'p', 'l', 'i', 's', 't'};
    writeMetadata(garbage);
    show();
    EXPECT_EQ(carousel().currentItemIndex(), 0);
    carousel().scrollToItemAtIndex(6, /*animated=*/true);
    driver.wait(0.5);
    EXPECT_TRUE(senders.empty());
    EXPECT_EQ(plat::readFile(metadataPath()).value(), garbage);
}

TEST_F(EffectChooser, EachItemShowsItsEffectsPictureFillingTheItem)
{
    makeProject({});
    show();
    EXPECT_EQ(carousel().numberOfItems(), 8);
    EXPECT_EQ(chooser->carouselItemWidth(carousel()), 131.0);
    for (int64_t index : carousel().indexesForVisibleItems()) {
        SCOPED_TRACE(index);
        auto item = std::dynamic_pointer_cast<plat::ImageView>(carousel().itemViewAtIndex(index));
        ASSERT_TRUE(item);
        EXPECT_EQ(item->image(), plat::Image::imageNamed("edit_effect_" + std::to_string(index) + ".png"));
        EXPECT_NE(item->image(), nullptr);
        EXPECT_EQ(item->contentMode(), plat::ContentMode::ScaleAspectFill);
        EXPECT_FALSE(item->layer()->isDoubleSided());
    }
    auto reused = std::make_shared<plat::ImageView>();
    auto view = chooser->carouselViewForItemAtIndexReusingView(carousel(), 7, reused);
    EXPECT_EQ(view, reused);
    EXPECT_EQ(reused->image(), plat::Image::imageNamed("edit_effect_7.png"));
}

TEST_F(EffectChooser, TurnsOnlyWithTheLandscapeScreen)
{
    makeProject({});
    chooser = std::make_shared<zt::EffectSelectionViewController>(project);
    EXPECT_TRUE(chooser->shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation::LandscapeLeft));
    EXPECT_TRUE(chooser->shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation::LandscapeRight));
    EXPECT_FALSE(chooser->shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation::Portrait));
}

}  // namespace
