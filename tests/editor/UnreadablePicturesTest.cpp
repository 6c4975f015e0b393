// Frames whose picture files are damaged: the strip and the timeline show a
// cracked picture where their thumbnails were, and the editor's picture
// says why it shows nothing, on a phone and a tablet.
#include <functional>

#include "editor/FrameEditorTestSupport.h"
#include "platform/ui/Label.h"
#include "support/DamagedFiles.h"
#include "uikit/Carousel.h"

namespace {

using zt::test::FrameEditorScene;
using zt::test::TabletFrameEditorScene;

const std::string kUnreadable = "Picture cannot be read";

template <typename Scene> class UnreadablePicturesOn : public Scene {
protected:
    // Four pictures: every file of the second is random bytes, of the third a JPEG cut short.
    void openWithDamagedFrames()
    {
        auto made = this->makeProject(4);
        const std::pair<int64_t, void (*)(const std::string&)> damages[]
            = {{1, plat::test::writeRandomBytes}, {2, plat::test::cutInHalf}};
        for (const auto& [index, damage] : damages) {
            const std::string id = *made->getFrameList().getFrameIDAtIndex(index);
            for (const char* kind : {"frame-", "preview-", "thumb-"})
                damage(plat::appendingPathComponent(*made->getProjectPath(), kind + id + ".jpg"));
        }
        this->open(made);
    }
    // The accessibility label of each strip tile's thumbnail, in frame order.
    std::vector<std::string> stripTileLabels()
    {
        std::vector<std::string> labels;
        for (int64_t index = 0; index < this->frames().count(); ++index) {
            auto item = this->strip().outlets().carousel->itemViewAtIndex(index);
            std::string label = "<no item>";
            // The thumbnail is the item's first picture (its tag, 0, is every view's).
            for (const auto& part : item ? item->subviews() : std::vector<std::shared_ptr<plat::View>> {}) {
                if (std::dynamic_pointer_cast<plat::ImageView>(part)) {
                    label = part->accessibilityLabel();
                    break;
                }
            }
            labels.push_back(label);
        }
        return labels;
    }
    std::vector<std::string> timelineTileLabels()
    {
        this->timeline().updateClip();
        std::vector<std::string> labels;
        for (const auto& tile : this->timeline().tiles())
            labels.push_back(tile->accessibilityLabel());
        return labels;
    }
    // Whether the editor's picture says its frame's picture cannot be read.
    bool noteShownAt(int64_t index)
    {
        this->goTo(index);
        this->driver.wait(1);  // the full picture is tried too
        auto note = this->editor->unreadablePictureNote();
        return note && !note->isHidden() && note->superview() == this->editor->framePictureView()
            && note->text() == "The picture of this frame could not be read.";
    }
    void expectTheDamagedFramesTold()
    {
        openWithDamagedFrames();
        EXPECT_EQ(stripTileLabels(), (std::vector<std::string> {"", kUnreadable, kUnreadable, "", ""}));
        EXPECT_EQ(timelineTileLabels(), (std::vector<std::string> {"", kUnreadable, kUnreadable, "", ""}));
        EXPECT_EQ((std::vector<bool> {noteShownAt(1), noteShownAt(0), noteShownAt(2), noteShownAt(3)}),
            (std::vector<bool> {true, false, true, false}));
    }
};

using UnreadablePictures = UnreadablePicturesOn<FrameEditorScene>;
using TabletUnreadablePictures = UnreadablePicturesOn<TabletFrameEditorScene>;

TEST_F(UnreadablePictures, DamagedFramesAreMarkedInTheStripAndTheTimelineAndToldOverThePicture)
{
    this->expectTheDamagedFramesTold();
}

TEST_F(TabletUnreadablePictures, DamagedFramesAreMarkedInTheStripAndTheTimelineAndToldOverThePicture)
{
    this->expectTheDamagedFramesTold();
}

}  // namespace
