#include "document/FrameList.h"

#include <gtest/gtest.h>
#include <set>
#include <thread>

#include "platform/foundation/KeyedArchive.h"
#include "platform/foundation/PropertyList.h"

namespace {

// A list of picture frames with the given FRAME_IDs, then the placeholder.
zt::FrameList makeList(std::initializer_list<const char*> frameIDs)
{
    zt::FrameList list;
    for (const char* frameID : frameIDs)
        list.insertFrame(zt::Frame(zt::FrameTypePicture, frameID), list.getCaptureIndex());
    return list;
}

std::string idsOf(const zt::FrameList& list)
{
    std::string ids;
    for (const zt::Frame& frame : list)
        ids += frame.type() == zt::FrameTypeCapturePlaceholder ? std::string("_") : frame.frameID();
    return ids;
}

plat::Data framesMeta(const std::string& entries)
{
    std::string xml = R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict><key>FRAMELIST_VERSION</key><real>4</real><key>FRAMELIST_DATA</key><array>)"
        + entries + "</array></dict></plist>";
    return plat::Data(xml.begin(), xml.end());
}

TEST(Frame, NewRecordsCarryTheirTypesFrameID)
{
    zt::Frame picture(zt::FrameTypePicture);
    EXPECT_EQ(picture.frameID(), picture.UID());
    EXPECT_FALSE(picture.encode().contains("FRAME_TYPE"));
    EXPECT_EQ(zt::Frame(zt::FrameTypeCapturePlaceholder).frameID(), "RESERVED_PLACEHOLDER_CAPTURE");
    EXPECT_EQ(zt::Frame(zt::FrameTypeTitle).frameID(), "PLACEHOLDER_TITLE_SCREEN");
    EXPECT_EQ(zt::Frame(zt::FrameTypeCredits).frameID(), "PLACEHOLDER_CREDITS_SCREEN");
    zt::Frame card(zt::FrameTypeThemeCard);
    EXPECT_EQ(card.frameID(), card.UID());
    EXPECT_EQ(card.encode().getInt64("FRAME_TYPE"), 4);
}

TEST(Frame, CopyChangesOnlyTheUid)
{
    zt::Frame card(zt::FrameTypeThemeCard, "SHARED");
    zt::Frame copy = card.copy();
    EXPECT_EQ(copy.type(), zt::FrameTypeThemeCard);
    EXPECT_EQ(copy.frameID(), "SHARED");
    EXPECT_NE(copy.UID(), card.UID());
    EXPECT_FALSE(copy.encode().isSameContainer(card.encode()));
}

TEST(Frame, OnlyThePlaceholderRefusesEditing)
{
    zt::Frame placeholder(zt::FrameTypeCapturePlaceholder);
    EXPECT_FALSE(placeholder.canCopy() || placeholder.canHold() || placeholder.canDelete() || placeholder.canSelect()
        || placeholder.canCapture());
    EXPECT_TRUE(placeholder.canPaste());
    zt::Frame title(zt::FrameTypeTitle);
    EXPECT_TRUE(title.canCopy() && title.canHold() && title.canDelete() && title.canSelect() && title.canCapture());
}

TEST(Frame, FrameIDsMustBePlainFileNameFragments)
{
    EXPECT_TRUE(zt::isValidFrameID("0F8C2E6A-1B2C-4D5E-8F90-ABCDEF012345"));
    EXPECT_TRUE(zt::isValidFrameID("RESERVED_PLACEHOLDER_CAPTURE"));
    for (const char* bad : {"", "..", "../x", "a/b", "a.b", "x y", "%00"})
        EXPECT_FALSE(zt::isValidFrameID(bad)) << bad;
    EXPECT_FALSE(zt::isValidFrameID(std::string(129, 'a')));
}

TEST(FrameList, ANewListHoldsOnlyThePlaceholder)
{
    zt::FrameList list;
    EXPECT_EQ(list.count(), 1);
    EXPECT_EQ(list.getCaptureIndex(), 0);
    EXPECT_EQ(list.frameIndexAtPlayhead(), 0);
}

TEST(FrameList, InsertAppendsAtCountAndIgnoresNegativeIndexes)
{
    zt::FrameList list = makeList({"A"});
    list.insertFrame(zt::Frame(zt::FrameTypePicture, "B"), list.count());
    list.insertFrame(zt::Frame(zt::FrameTypePicture, "C"), -1);
    list.insertFrame(zt::Frame(zt::FrameTypePicture, "D"), 0);
    EXPECT_EQ(idsOf(list), "DA_B");
    list.removeFrameAtIndex(10);
    list.removeFrameAtIndex(-1);
    list.removeFrameAtIndex(0);
    EXPECT_EQ(idsOf(list), "A_B");
}

TEST(FrameList, SearchesByTypeTreatAMissingTypeAsPicture)
{
    auto data = framesMeta(R"(<dict><key>FRAME_ID</key><string>A</string><key>UID</key><string>u1</string></dict>
        <dict><key>FRAME_TYPE</key><integer>2</integer><key>FRAME_ID</key><string>T</string></dict>
        <dict><key>FRAME_TYPE</key><integer>1</integer><key>FRAME_ID</key><string>RESERVED_PLACEHOLDER_CAPTURE</string></dict>
        <dict><key>FRAME_ID</key><string>B</string><key>UID</key><string>u2</string></dict>)");
    zt::FrameList list(data);
    EXPECT_EQ(list.count(), 4);  // holds a placeholder already: nothing appended
    EXPECT_EQ(list.findFirstOccurrenceOfFrameWithType(zt::FrameTypePicture), 0);
    EXPECT_EQ(list.findLastOccurrenceOfFrameWithType(zt::FrameTypePicture), 3);
    EXPECT_EQ(list.findFirstOccurrenceOfFrameWithType(zt::FrameTypeCredits), plat::kNotFound);
    EXPECT_EQ(list.getCaptureIndex(), 2);
    EXPECT_EQ(list.getIndexOfFrameWithUID("u2"), 3);
    EXPECT_EQ(list.getIndexOfFrameWithUID("nope"), plat::kNotFound);
    EXPECT_TRUE(list.containsFrameWithFrameID("T"));
    list.removeFrameWithFrameType(zt::FrameTypePicture);
    EXPECT_EQ(list.count(), 2);
}

TEST(FrameList, LoadingWithoutAPlaceholderAppendsOne)
{
    zt::FrameList list(framesMeta("<dict><key>FRAME_ID</key><string>A</string></dict>"));
    EXPECT_EQ(idsOf(list), "A_");
    EXPECT_EQ(list.getCaptureIndex(), 1);
}

TEST(FrameList, UnreadableDataGivesOnlyThePlaceholder)
{
    for (std::string bad : {std::string("garbage"), std::string(), std::string("bplist00")}) {
        zt::FrameList list(plat::Data(bad.begin(), bad.end()));
        EXPECT_EQ(idsOf(list), "_") << bad;
    }
    std::string arrayRoot = "<plist version=\"1.0\"><array/></plist>";
    EXPECT_EQ(zt::FrameList(plat::Data(arrayRoot.begin(), arrayRoot.end())).count(), 1);
    EXPECT_EQ(zt::FrameList(framesMeta("")).count(), 1);
}

TEST(FrameList, EntriesThatCouldNameFilesOutsideTheFolderAreDropped)
{
    zt::FrameList list(framesMeta(R"(<string>not a record</string>
        <dict><key>FRAME_ID</key><string>../../escape</string></dict>
        <dict><key>FRAME_ID</key><string></string></dict>
        <dict><key>FRAME_ID</key><integer>5</integer></dict>
        <dict><key>UID</key><string>no id</string></dict>
        <dict><key>FRAME_ID</key><string>GOOD</string></dict>)"));
    EXPECT_EQ(idsOf(list), "GOOD_");
}

TEST(FrameList, RepresentationRoundTripsAndOtherToolsCanReadIt)
{
    zt::FrameList list = makeList({"A", "A", "B"});
    list.insertFrame(zt::Frame(zt::FrameTypeTitle), 0);
    auto data = list.getFrameListRepresentationData();
    ASSERT_TRUE(data.ok());
    auto root = plat::PropertyListSerialization::propertyListWithData(data.value());
    ASSERT_TRUE(root.ok());
    auto dictionary = root.value().asDictionary();
    ASSERT_TRUE(dictionary.has_value());
    EXPECT_EQ(dictionary->getDouble("FRAMELIST_VERSION"), 4.0);
    EXPECT_TRUE(dictionary->getString("FRAMELIST_INFO").has_value());
    EXPECT_EQ(dictionary->getArray("FRAMELIST_DATA")->count(), 5u);

    zt::FrameList loaded(data.value());
    EXPECT_EQ(idsOf(loaded), "PLACEHOLDER_TITLE_SCREENAAB_");
    EXPECT_EQ(loaded.getFrameAtIndex(2)->UID(), list.getFrameAtIndex(2)->UID());
}

class FrameListHold : public ::testing::Test {
protected:
    zt::FrameList list = makeList({"A", "A", "A", "B"});
};

TEST_F(FrameListHold, CountIsTheRunLengthFromEveryMember)
{
    EXPECT_EQ(list.getHoldTimeForFrameAtIndex(0), 3);
    EXPECT_EQ(list.getHoldTimeForFrameAtIndex(1), 3);
    EXPECT_EQ(list.getHoldTimeForFrameAtIndex(2), 3);
    EXPECT_EQ(list.getHoldTimeForFrameAtIndex(3), 1);
    EXPECT_EQ(list.getHoldTimeForFrameAtIndex(99), 1);
    EXPECT_EQ(list.getHoldTimeForFrameAtIndex(-1), 1);
}

TEST_F(FrameListHold, ShrinkingKeepsTheRunsLastEntry)
{
    auto last = list.getFrameAtIndex(2);
    list.setHoldForFrame(*list.getFrameAtIndex(0), 1);
    EXPECT_EQ(idsOf(list), "AB_");
    EXPECT_EQ(list.getIndexForFrame(*last), 0);
}

TEST_F(FrameListHold, GrowingInsertsCopiesWithNewUidsAfterTheRun)
{
    list.setHoldForFrame(*list.getFrameAtIndex(0), 5);
    EXPECT_EQ(idsOf(list), "AAAAAB_");
    std::set<std::string> uids;
    for (int64_t i = 0; i < 5; ++i)
        uids.insert(list.getFrameAtIndex(i)->UID());
    EXPECT_EQ(uids.size(), 5u);
}

TEST_F(FrameListHold, AHoldBelowOneCountsAsOne)
{
    list.setHoldForFrame(*list.getFrameAtIndex(3), 0);
    EXPECT_EQ(idsOf(list), "AAAB_");
    list.setHoldForFrame(*list.getFrameAtIndex(1), -4);
    EXPECT_EQ(idsOf(list), "AB_");
}

TEST_F(FrameListHold, AnUnknownFrameChangesNothing)
{
    list.setHoldForFrame(zt::Frame(zt::FrameTypePicture, "A"), 7);
    EXPECT_EQ(idsOf(list), "AAAB_");
}

TEST_F(FrameListHold, ShrinkingFromTheMiddleOfTheRun)
{
    zt::FrameList longer = makeList({"B", "A", "A", "A", "A", "C"});
    longer.setHoldForFrame(*longer.getFrameAtIndex(3), 2);
    EXPECT_EQ(idsOf(longer), "BAAC_");
    EXPECT_EQ(longer.getHoldTimeForFrameAtIndex(1), 2);
}

TEST(FrameListRange, ClipsAtTheEndOfTheListIncludingTheLastEntry)
{
    zt::FrameList list = makeList({"A", "B", "C"});
    auto all = list.subarrayWithRange(0, list.count());
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(all.back().type(), zt::FrameTypeCapturePlaceholder);
    EXPECT_EQ(list.subarrayWithRange(1, 100).size(), 3u);
    EXPECT_EQ(list.subarrayWithRange(3, 1).size(), 1u);
    EXPECT_EQ(list.subarrayWithRange(1, 2)[1].frameID(), "C");
}

TEST(FrameListRange, EmptyAndOutsideRangesGiveNothing)
{
    zt::FrameList list = makeList({"A", "B"});
    EXPECT_TRUE(list.subarrayWithRange(0, 0).empty());
    EXPECT_TRUE(list.subarrayWithRange(3, 1).empty());
    EXPECT_TRUE(list.subarrayWithRange(-1, 2).empty());
    EXPECT_TRUE(list.subarrayWithRange(plat::kNotFound, 1).empty());
    EXPECT_TRUE(list.subarrayWithRange(1, -1).empty());
}

}  // namespace

namespace {

TEST(FrameArchive, FramesTravelThroughAKeyedArchive)
{
    zt::Frame title(zt::FrameTypeTitle);
    zt::Frame picture(zt::FrameTypePicture);
    plat::Array frames {std::make_shared<zt::Frame>(title), std::make_shared<zt::Frame>(picture)};
    plat::Dictionary root {{"UIPASTEBOARD_FRAMES", frames}, {"UIPASTEBOARD_LOCATION", "/projects/a"}};
    auto archive = plat::KeyedArchiver::archivedDataWithRootObject(root);
    ASSERT_TRUE(archive.ok()) << archive.error().localizedDescription();

    plat::ClassTable classes {{"Frame", zt::Frame::initWithCoder}};
    auto decoded = plat::KeyedUnarchiver::unarchiveObjectWithData(archive.value(), classes);
    ASSERT_TRUE(decoded.ok()) << decoded.error().localizedDescription();
    auto back = decoded.value().asDictionary()->getArray("UIPASTEBOARD_FRAMES");
    ASSERT_TRUE(back.has_value());
    ASSERT_EQ(back->count(), 2u);
    auto first = back->at(0).asObjectOf<zt::Frame>();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->type(), zt::FrameTypeTitle);
    EXPECT_EQ(first->UID(), title.UID());
    EXPECT_EQ(back->at(1).asObjectOf<zt::Frame>()->frameID(), picture.frameID());
}

TEST(FrameArchive, ADamagedArchivedFrameFailsTheArchive)
{
    plat::Dictionary record {{"FRAME_ID", "../../etc"}};
    auto archive = plat::KeyedArchiver::archivedDataWithRootObject(std::make_shared<zt::Frame>(zt::Frame(record)));
    ASSERT_TRUE(archive.ok());
    auto decoded
        = plat::KeyedUnarchiver::unarchiveObjectWithData(archive.value(), {{"Frame", zt::Frame::initWithCoder}});
    EXPECT_FALSE(decoded.ok());
}

}  // namespace

namespace {

TEST(FrameListDeathTest, ChangesOffTheMainQueueAbort)
{
    // Re-executed rather than forked: the process already has threads.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            zt::FrameList list;
            std::thread worker([&] { list.addFrame(zt::Frame(zt::FrameTypePicture)); });
            worker.join();
        },
        "expected to run on queue");
}

}  // namespace
