#include "document/ProjectTrackModel.h"

#include <gtest/gtest.h>

namespace {

plat::Dictionary itemRecord(int64_t start, int64_t duration)
{
    return plat::Dictionary {
        {"ID", "item-" + std::to_string(start)}, {"Name", "n"}, {"Start", start}, {"Duration", duration}};
}

TEST(ProjectTrackModel, ARecordWithOnlyItemsTakesTheTypesDefaults)
{
    plat::Dictionary record {{"Items", plat::Array {itemRecord(0, 5), itemRecord(5, 5)}}};
    auto track = zt::ProjectTrackModel::initFromDictonary(record, zt::ProjectTrackTypeEffect);
    EXPECT_EQ(track->trackID().size(), 36u);
    EXPECT_EQ(track->name(), "Effect");
    EXPECT_TRUE(track->isEnabled());
    EXPECT_FALSE(track->isHidden());
    ASSERT_EQ(track->getItems().size(), 2u);
    for (const auto& item : track->getItems())
        EXPECT_EQ(item->type(), zt::ProjectTrackTypeEffect);
}

TEST(ProjectTrackModel, FindsTheItemCoveringAFrame)
{
    plat::Dictionary record {{"Items", plat::Array {itemRecord(0, 5), itemRecord(5, 5)}}};
    auto track = zt::ProjectTrackModel::initFromDictonary(record, zt::ProjectTrackTypeMarker);
    EXPECT_EQ(track->getItemAtIndex(7)->itemID(), "item-5");
    EXPECT_EQ(track->getItemAtIndex(4)->itemID(), "item-0");
    EXPECT_EQ(track->getItemAtIndex(10), nullptr);
    EXPECT_EQ(track->getItemAtIndex(-1), nullptr);
}

TEST(ProjectTrackModel, ClosestItemStartsAtOrAfterTheFrame)
{
    plat::Dictionary record {{"Items", plat::Array {itemRecord(0, 5), itemRecord(5, 5)}}};
    auto track = zt::ProjectTrackModel::initFromDictonary(record, zt::ProjectTrackTypeMarker);
    EXPECT_EQ(track->getClosestItemToIndex(6), nullptr);
    EXPECT_EQ(track->getClosestItemToIndex(5)->itemID(), "item-5");
    EXPECT_EQ(track->getClosestItemToIndex(1)->itemID(), "item-5");
    EXPECT_EQ(track->getClosestItemToIndex(0)->itemID(), "item-0");

    auto tie = std::make_shared<zt::ProjectTrackItemModel>();
    tie->setStart(5);
    track->addItem(tie);
    EXPECT_EQ(track->getClosestItemToIndex(2)->itemID(), "item-5");  // first in list order
}

TEST(ProjectTrackModel, TypeNamesMapBothWays)
{
    EXPECT_EQ(zt::ProjectTrackModel::getTrackTypeForName("ProjectTrackTypeAudio"), 5);
    EXPECT_EQ(zt::ProjectTrackModel::getTrackTypeForName("ProjectTrackTypeDefault"), 0);
    EXPECT_EQ(zt::ProjectTrackModel::getTrackTypeForName("Audio"), plat::kNotFound);
    EXPECT_EQ(zt::ProjectTrackModel::getTrackStoreNameForTrackType(3), "ProjectTrackTypeForeground");
    EXPECT_FALSE(zt::ProjectTrackModel::getTrackStoreNameForTrackType(6).has_value());
    EXPECT_FALSE(zt::ProjectTrackModel::getTrackStoreNameForTrackType(-1).has_value());
    EXPECT_EQ(zt::ProjectTrackModel().getDefaultName(), "");
    EXPECT_EQ(zt::ProjectTrackModel(zt::ProjectTrackTypeBackground).getDefaultName(), "Background");
}

TEST(ProjectTrackModel, TracksRoundTripThroughEncode)
{
    zt::ProjectTrackModel track(zt::ProjectTrackTypeAudio);
    track.setName("Sounds");
    track.setIsHidden(true);
    track.setIsEnabled(false);
    auto item = std::make_shared<zt::ProjectTrackItemModel>(zt::ProjectTrackTypeAudio);
    item->setStart(3);
    item->setDuration(4);
    track.addItem(item);

    auto back = zt::ProjectTrackModel::initFromDictonary(track.encode(), zt::ProjectTrackTypeAudio);
    EXPECT_EQ(back->trackID(), track.trackID());
    EXPECT_EQ(back->name(), "Sounds");
    EXPECT_TRUE(back->isHidden());
    EXPECT_FALSE(back->isEnabled());
    ASSERT_EQ(back->getItems().size(), 1u);
    EXPECT_EQ(back->getItems()[0]->itemID(), item->itemID());
    EXPECT_EQ(back->getItems()[0]->getEnd(), 7);

    track.deleteItem(item);
    EXPECT_TRUE(track.getItems().empty());
}

TEST(ProjectTrackModel, DamagedItemEntriesAreSkipped)
{
    plat::Dictionary record {{"Items", plat::Array {"junk", itemRecord(2, 1), 7}}, {"Name", 3}, {"Hidden", "yes"}};
    auto track = zt::ProjectTrackModel::initFromDictonary(record, zt::ProjectTrackTypeMarker);
    ASSERT_EQ(track->getItems().size(), 1u);
    EXPECT_EQ(track->name(), "Marker");
    EXPECT_FALSE(track->isHidden());
}

TEST(ProjectTrackItemModel, AnItemWithoutColourGetsTheDefaultGreen)
{
    auto item = zt::ProjectTrackItemModel::initFromDictonary(itemRecord(0, 1));
    EXPECT_DOUBLE_EQ(item->color().red(), 104 / 255.0);
    EXPECT_DOUBLE_EQ(item->color().green(), 168 / 255.0);
    EXPECT_DOUBLE_EQ(item->color().blue(), 8 / 255.0);
    EXPECT_DOUBLE_EQ(item->color().alpha(), 0.9);
    EXPECT_TRUE(item->meta().empty());
    EXPECT_EQ(item->information(), "");
}

TEST(ProjectTrackItemModel, NewItemsTakeTheirTypesColour)
{
    zt::ProjectTrackItemModel background(zt::ProjectTrackTypeBackground);
    EXPECT_DOUBLE_EQ(background.color().red(), 204 / 255.0);
    EXPECT_EQ(background.type(), zt::ProjectTrackTypeBackground);
    EXPECT_EQ(background.start(), 0);
    EXPECT_EQ(background.duration(), 0);
}

TEST(ProjectTrackItemModel, StartAndDurationAreThirtyTwoBitInTheRecord)
{
    plat::Dictionary record {{"Start", int64_t(1) << 40}, {"Duration", -(int64_t(1) << 40)}};
    auto item = zt::ProjectTrackItemModel::initFromDictonary(record);
    EXPECT_EQ(item->start(), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(item->duration(), std::numeric_limits<int32_t>::min());
}

TEST(ProjectTrackItemModel, DuplicateGetsANewIdAndTypeZero)
{
    zt::ProjectTrackItemModel item(zt::ProjectTrackTypeEffect);
    item.setName("fade");
    item.setStart(2);
    item.setDuration(3);
    item.setInformation("slow");
    item.setMeta(plat::Dictionary {{"k", plat::Array {1}}});
    auto copy = item.duplicate();
    EXPECT_NE(copy->itemID(), item.itemID());
    EXPECT_EQ(copy->type(), 0);
    EXPECT_EQ(copy->name(), "fade");
    EXPECT_EQ(copy->getEnd(), 5);
    EXPECT_EQ(copy->information(), "slow");
    EXPECT_EQ(copy->color(), plat::Color::colorWithRed(104 / 255.0f, 68 / 255.0f, 8 / 255.0f, 0.9f));
    copy->meta().getArray("k")->append(2);
    EXPECT_EQ(item.meta().getArray("k")->count(), 1u);
}

}  // namespace
