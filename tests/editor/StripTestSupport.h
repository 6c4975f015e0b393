#pragma once
// A phone (or tablet) showing the frame strip of a project on disk, on the
// manual clock, with a recorder in the editor's place and the notifications
// the strip posts.
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "audio/AudioController.h"
#include "document/DataManager.h"
#include "document/Frame.h"
#include "document/FrameList.h"
#include "document/ImageProducer.h"
#include "document/ProjectModel.h"
#include "document/ProjectsList.h"
#include "editor/FrameEditDelegate.h"
#include "editor/PlayerViewController.h"
#include "editor/StripLayouts.h"
#include "platform/foundation/ErrorObject.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/Sandbox.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/UIDriver.h"
#include "platform/ui/testing/UIScope.h"
#include "support/ManualClockScope.h"
#include "support/MediaTools.h"
#include "support/Pixels.h"
#include "support/RunLoopWaiting.h"
#include "support/TemporarySandbox.h"
#include "uikit/Carousel.h"

namespace zt::test {

// What the strip and the timeline tell the editor.
class EditorRecorder : public FrameEditDelegate {
public:
    void zoomOut(plat::ViewController&) override { ++zoomOuts; }
    void zoomIn(plat::ViewController&) override { ++zoomIns; }
    void currentFrameUpdate(int64_t index) override { currentFrames.push_back(index); }
    void didLoadFullResolutionImageForFrameAtIndex(int64_t index) override { fullPictures.push_back(index); }
    void timeLineNeedsUpdate() override { ++timelineUpdates; }
    void userStartScrolling() override { ++scrollStarts; }

    int zoomOuts = 0;
    int zoomIns = 0;
    int timelineUpdates = 0;
    int scrollStarts = 0;
    std::vector<int64_t> currentFrames;
    std::vector<int64_t> fullPictures;
};

// The notifications of these names, in the order they were posted.
class PostedNotifications {
public:
    struct Posted {
        std::string name;
        plat::Dictionary userInfo;
    };
    explicit PostedNotifications(std::vector<std::string> names)
    {
        for (const std::string& name : names) {
            tokens.push_back(plat::NotificationCenter::defaultCenter().addObserver(
                name, nullptr, [this](const plat::Notification& note) {
                    posted.push_back({note.name, note.userInfo});
                }));
        }
    }
    std::vector<std::string> names() const
    {
        std::vector<std::string> all;
        for (const auto& entry : posted)
            all.push_back(entry.name);
        return all;
    }
    std::vector<plat::Error> errors() const
    {
        std::vector<plat::Error> found;
        for (const auto& entry : posted) {
            if (auto error = entry.userInfo.get(kErrorKey).asObjectOf<plat::ErrorObject>())
                found.push_back(error->error());
        }
        return found;
    }

    std::vector<Posted> posted;

private:
    std::vector<plat::ObserverToken> tokens;
};

// A distinct flat colour for each frame id, so that pictures tell frames apart.
inline plat::test::Rgba colourFor(const std::string& frameID)
{
    uint32_t hash = 2166136261u;
    for (char c : frameID)
        hash = (hash ^ static_cast<uint8_t>(c)) * 16777619u;
    return {static_cast<uint8_t>(60 + hash % 180), static_cast<uint8_t>(60 + (hash >> 8) % 180),
        static_cast<uint8_t>(60 + (hash >> 16) % 180), 255};
}

class StripTest : public ::testing::Test {
protected:
    explicit StripTest(plat::UserInterfaceIdiom idiom = plat::UserInterfaceIdiom::Phone)
        : ui(idiom)
    {
        registerStripLayouts();
        DataManager::sharedDataManager().resetToDefaultsForTesting();
        EXPECT_TRUE(ProjectsList::replace({}));
        plat::Pasteboard::generalPasteboard()->setItems({});
        window->setRootViewController(root);
        window->makeKeyAndVisible();
        driver.wait(0);
    }
    ~StripTest() override
    {
        if (strip)
            strip->viewWillClose();
        DataManager::sharedDataManager().resetToDefaultsForTesting();
    }

    // A project on disk: the picture frames (equal ids make a hold) and the placeholder last.
    std::shared_ptr<ProjectModel> makeProject(const std::vector<std::string>& frameIDs)
    {
        auto made = std::make_shared<ProjectModel>(std::nullopt);
        ImageProducer producer(made);
        auto& list = made->getFrameList();
        for (const std::string& id : frameIDs) {
            if (!list.containsFrameWithFrameID(id)) {
                EXPECT_TRUE(producer.storeImage(*plat::test::makeFlatImage(64, 36, colourFor(id)), id));
            }
            list.insertFrame(Frame(FrameTypePicture, id), list.getCaptureIndex());
        }
        EXPECT_TRUE(made->saveAllDataToDisk().ok());
        return made;
    }

    // Shows the project's strip at the bottom of the screen, below the editor's picture.
    void showStrip(std::shared_ptr<ProjectModel> shown)
    {
        project = std::move(shown);
        audio = std::make_shared<AudioController>(project);
        audio->prepareAudioForProject();
        strip = std::make_shared<PlayerViewController>(project);
        root->addChildViewController(strip);
        auto view = strip->view();
        const plat::Rect bounds = root->view()->bounds();
        view->setFrame(
            plat::makeRect(0, bounds.height() - view->bounds().height(), bounds.width(), view->bounds().height()));
        picture = std::make_shared<plat::ImageView>(plat::makeRect(0, 0, bounds.width(), 100));
        root->view()->addSubview(picture);
        root->view()->addSubview(view);
        strip->didMoveToParentViewController(root.get());
        strip->setFrameList(project->getFrameList());
        strip->setAudioController(audio);
        strip->setImageViewPreview(picture);
        strip->setFrameEditDelegate(editor);
        driver.wait(0);
    }

    void closeStrip()
    {
        strip->viewWillClose();
        strip->removeFromParentViewController();
        strip->view()->removeFromSuperview();
        picture->removeFromSuperview();
        strip.reset();
    }

    Carousel& carousel() const { return *strip->outlets().carousel; }
    std::shared_ptr<plat::View> item(int64_t index) const { return carousel().itemViewAtIndex(index); }
    std::shared_ptr<plat::View> part(int64_t index, int64_t tag) const
    {
        auto shown = item(index);
        if (!shown)
            return nullptr;
        for (const auto& subview : shown->subviews()) {
            if (subview->tag() == tag)
                return subview;
        }
        return nullptr;
    }
    // Scrolls the strip there without animation, as the editor does.
    void goTo(int64_t index)
    {
        strip->scrollToFrame(index);
        driver.wait(0);
    }
    // Taps the item's thumbnail and lets the menu fade in.
    void tapItem(int64_t index)
    {
        auto thumbnail = part(index, detail::kThumbnailTag);
        ASSERT_NE(thumbnail, nullptr) << "item " << index << " is not loaded";
        ASSERT_TRUE(driver.tap(*thumbnail));
        // The tap waits out a possible second tap (0.35 s), then the menu fades in (0.25 s).
        driver.wait(1);
    }
    // Taps a command of the open frame menu and lets it run.
    void choose(const std::string& title)
    {
        ASSERT_NE(strip->popoverController(), nullptr) << "no menu is open";
        ASSERT_TRUE(driver.tap(title)) << title;
        driver.wait(0.7);
    }
    // Runs the main queue until the paste saved its last frame: the saving
    // is its last step, in the block that hands over the end of the copying.
    void waitForPaste(int64_t expectedCount)
    {
        ASSERT_TRUE(plat::test::runMainLoopUntil([&] {
            return project->getFrameList().count() == expectedCount
                && static_cast<int64_t>(storedIDs().size()) == expectedCount;
        }));
        driver.wait(1);
    }

    static std::vector<std::string> ids(const FrameList& list)
    {
        std::vector<std::string> all;
        for (const Frame& frame : list)
            all.push_back(frame.frameID());
        return all;
    }
    std::vector<std::string> ids() const { return ids(project->getFrameList()); }
    // A sine tone made by ffmpeg in the sandbox's tmp folder.
    std::string tone(const std::string& name, double seconds)
    {
        std::string path = sandbox.path("tmp/" + name);
        auto made = plat::test::runFFmpeg(sandbox.path("tmp"),
            {"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=44100:duration=" + std::to_string(seconds), "-c:a",
                "pcm_s16le", path});
        EXPECT_EQ(made.exitCode, 0) << made.output;
        return path;
    }
    std::string file(const std::string& name) const
    {
        return plat::appendingPathComponent(*project->getProjectPath(), name);
    }
    static std::string picturePath(const ProjectModel& owner, const std::string& frameID)
    {
        return plat::appendingPathComponent(*owner.getProjectPath(), "frame-" + frameID + ".jpg");
    }
    // The list as another screen opening the project would read it.
    std::vector<std::string> storedIDs() const
    {
        ProjectModel reopened(project->getProjectPath());
        return ids(reopened.getFrameList());
    }

    plat::test::TemporarySandbox sandbox;
    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    std::shared_ptr<plat::Window> window = std::make_shared<plat::Window>();
    std::shared_ptr<plat::ViewController> root = std::make_shared<plat::ViewController>();
    plat::test::UIDriver driver;
    std::shared_ptr<EditorRecorder> editor = std::make_shared<EditorRecorder>();
    std::shared_ptr<ProjectModel> project;
    std::shared_ptr<AudioController> audio;
    std::shared_ptr<PlayerViewController> strip;
    std::shared_ptr<plat::ImageView> picture;
};

}  // namespace zt::test
