// Frames whose picture files are damaged: the strip and the timeline show a
// cracked picture where their thumbnails were for every frame an export
// cannot show, and the editor's picture says why it shows nothing, on a
// phone and a tablet; a frame whose picture is whole gets its damaged small
// pictures back.
#include <functional>

#include "editor/FrameEditorTestSupport.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Label.h"
#include "support/DamagedFiles.h"
#include "uikit/Carousel.h"

namespace {

using zt::test::FrameEditorScene;
using zt::test::TabletFrameEditorScene;

const std::string kUnreadable = "Picture cannot be read";

template <typename Scene> class UnreadablePicturesOn : public Scene {
protected:
    // Five pictures: every file of the second is random bytes, of the third
    // a JPEG cut short; only the full picture of the fourth is cut short, and
    // only the thumbnail and preview of the fifth are random bytes.
    void openWithDamagedFrames()
    {
        auto made = this->makeProject(5);
        struct Damage {
            int64_t index;
            void (*damage)(const std::string&);
            std::vector<const char*> files;
        };
        const Damage damages[] = {{1, plat::test::writeRandomBytes, {"frame-", "preview-", "thumb-"}},
            {2, plat::test::cutInHalf, {"frame-", "preview-", "thumb-"}}, {3, plat::test::cutInHalf, {"frame-"}},
            {4, plat::test::writeRandomBytes, {"preview-", "thumb-"}}};
        for (const auto& [index, damage, files] : damages) {
            const std::string id = *made->getFrameList().getFrameIDAtIndex(index);
            for (const char* kind : files)
                damage(plat::appendingPathComponent(*made->getProjectPath(), kind + id + ".jpg"));
        }
        this->open(made);
    }
    bool smallPicturesDecodeAt(int64_t index)
    {
        const std::string id = *this->frames().getFrameIDAtIndex(index);
        for (const char* kind : {"preview-", "thumb-"}) {
            if (!plat::Image::imageWithContentsOfFile(
                    plat::appendingPathComponent(*this->project->getProjectPath(), kind + id + ".jpg")))
                return false;
        }
        return true;
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
        const std::vector<std::string> tiles {"", kUnreadable, kUnreadable, kUnreadable, "", ""};
        EXPECT_EQ(stripTileLabels(), tiles);
        EXPECT_EQ(timelineTileLabels(), tiles);
        EXPECT_EQ((std::vector<bool> {noteShownAt(1), noteShownAt(0), noteShownAt(2), noteShownAt(3), noteShownAt(4)}),
            (std::vector<bool> {true, false, true, true, false}));
        EXPECT_TRUE(smallPicturesDecodeAt(4)) << "made again from the whole picture";
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
