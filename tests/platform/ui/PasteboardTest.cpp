#include "platform/ui/Pasteboard.h"

#include <gtest/gtest.h>

#include "platform/foundation/Files.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Image.h"
#include "platform/ui/TypeIdentifiers.h"
#include "support/Pixels.h"
#include "support/TemporarySandbox.h"

namespace {

constexpr const char* kFrameType = "com.quorvane.gleamly.plovix_4";

plat::Data bytes(const std::string& text)
{
    return plat::Data(text.begin(), text.end());
}

class Pasteboards : public ::testing::Test {
protected:
    plat::test::TemporarySandbox sandbox;
};

}  // namespace

TEST_F(Pasteboards, AnItemWithTwoRepresentationsReachesANewPasteboardObject)
{
    {
        plat::PasteboardItem item;
        item.set(kFrameType, bytes("archived frames"));
        item.set(plat::kUTTypeJPEG, bytes("jpeg bytes"));
        plat::Pasteboard(plat::PasteboardNameGeneral).setItems({item});
    }
    // Another run of the app: a fresh object reads what the sandbox holds.
    plat::Pasteboard later(plat::PasteboardNameGeneral);
    EXPECT_EQ(later.numberOfItems(), 1u);
    EXPECT_EQ(later.pasteboardTypes(), (std::vector<std::string> {kFrameType, "public.jpeg"}));
    EXPECT_TRUE(later.containsPasteboardTypes({kFrameType}));
    EXPECT_EQ(later.dataForPasteboardType(kFrameType), bytes("archived frames"));
    EXPECT_EQ(later.dataForPasteboardType("public.JPEG"), bytes("jpeg bytes")) << "types ignore case";
    EXPECT_FALSE(later.dataForPasteboardType(plat::kUTTypePNG));
    EXPECT_EQ(later.changeCount(), 1);
}

TEST_F(Pasteboards, AChangeByAnotherObjectIsSeenAtTheNextRead)
{
    plat::Pasteboard first(plat::PasteboardNameGeneral);
    plat::Pasteboard second(plat::PasteboardNameGeneral);
    first.setString("one");
    EXPECT_EQ(second.string(), "one");
    second.setString("two, and longer");
    EXPECT_EQ(first.string(), "two, and longer");
    EXPECT_EQ(first.changeCount(), 2);
}

TEST_F(Pasteboards, PicturesAreStoredAsPNGAndFoundInAnyItem)
{
    auto picture = plat::test::makeFlatImage(8, 6, {0, 255, 0, 255});
    auto pasteboard = plat::Pasteboard::generalPasteboard();
    EXPECT_EQ(pasteboard->image(), nullptr);
    pasteboard->setImage(*picture);
    EXPECT_TRUE(pasteboard->containsPasteboardTypes({plat::kUTTypeImage}));
    auto back = pasteboard->image();
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->size(), (plat::Size {8, 6}));
    EXPECT_EQ(plat::test::pixelAt(*back, 3, 3), (plat::test::Rgba {0, 255, 0, 255}));

    plat::PasteboardItem text;
    text.set(plat::kUTTypeUTF8PlainText, bytes("caption"));
    pasteboard->addItems({text});
    EXPECT_EQ(pasteboard->numberOfItems(), 2u);
    EXPECT_EQ(pasteboard->strings(), (std::vector<std::string> {"caption"}));
    EXPECT_EQ(pasteboard->images().size(), 1u);
}

TEST_F(Pasteboards, ADamagedFileReadsAsEmpty)
{
    plat::Pasteboard pasteboard(plat::PasteboardNameGeneral);
    pasteboard.setString("kept");
    ASSERT_TRUE(plat::writeFileAtomically(
        sandbox.path("Pasteboards/com.apple.UIKit.pboard.general.plist"), std::string("bplist00 broken"))
                    .ok());
    EXPECT_EQ(pasteboard.numberOfItems(), 0u);
    EXPECT_FALSE(pasteboard.string());
    pasteboard.setString("again");
    EXPECT_EQ(plat::Pasteboard(plat::PasteboardNameGeneral).string(), "again");
}

TEST_F(Pasteboards, NamedPasteboardsAreSeparateAndRemovable)
{
    EXPECT_EQ(plat::Pasteboard::pasteboardWithName("com.example.private", false), nullptr);
    auto named = plat::Pasteboard::pasteboardWithName("com.example.private", true);
    named->setString("secret");
    EXPECT_FALSE(plat::Pasteboard::generalPasteboard()->string());
    EXPECT_NE(plat::Pasteboard::pasteboardWithName("com.example.private", false), nullptr);
    plat::Pasteboard::removePasteboardWithName("com.example.private");
    EXPECT_EQ(plat::Pasteboard::pasteboardWithName("com.example.private", false), nullptr);
}

TEST_F(Pasteboards, ChangesAreAnnounced)
{
    int changes = 0;
    auto token = plat::NotificationCenter::defaultCenter().addObserver(
        plat::PasteboardChangedNotification, nullptr, [&](const plat::Notification&) { ++changes; });
    plat::Pasteboard::generalPasteboard()->setURL(*plat::URL::URLWithString("https://example.com/a"));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(plat::Pasteboard::generalPasteboard()->url()->absoluteString(), "https://example.com/a");
    plat::NotificationCenter::defaultCenter().removeObserver(token);
}

TEST_F(Pasteboards, DataOfATypeIsCollectedFromEveryItem)
{
    plat::PasteboardItem first, second, third;
    first.set(plat::kUTTypeJPEG, bytes("one"));
    second.set(plat::kUTTypePNG, bytes("not this"));
    third.set(plat::kUTTypeJPEG, bytes("three"));
    auto pasteboard = plat::Pasteboard::generalPasteboard();
    pasteboard->setItems({first, second, third});
    EXPECT_EQ(pasteboard->dataForPasteboardTypeInAllItems(plat::kUTTypeJPEG),
        (std::vector<plat::Data> {bytes("one"), bytes("three")}));
    EXPECT_TRUE(pasteboard->images().empty()) << "the bytes are no pictures";
    pasteboard->setItems({});
    EXPECT_EQ(pasteboard->numberOfItems(), 0u);
    EXPECT_TRUE(pasteboard->pasteboardTypes().empty());
}
