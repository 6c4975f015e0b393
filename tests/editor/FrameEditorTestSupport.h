#pragma once
// The frame editor on a phone or a tablet, opened on a project on disk as
// the root container opens it, on the manual clock, with the layouts of the
// screens it hosts and a delegate that hears it close.
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "audio/AudioPickerLayouts.h"
#include "audio/AudioScreenLayouts.h"
#include "capture/CaptureLayouts.h"
#include "capture/CaptureViewController.h"
#include "document/DataManager.h"
#include "document/Frame.h"
#include "document/FrameList.h"
#include "document/ImageProducer.h"
#include "document/MainViewControllerDelegate.h"
#include "document/ProjectModel.h"
#include "document/ProjectsList.h"
#include "editor/EditorLayouts.h"
#include "editor/FrameEditorLayouts.h"
#include "editor/FrameEditorViewController.h"
#include "editor/PlayerViewController.h"
#include "editor/StripLayouts.h"
#include "editor/TimelineViewController.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Paths.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/UIDriver.h"
#include "platform/ui/testing/UIScope.h"
#include "render/ThemeCardEditViewController.h"
#include "share/ShareLayouts.h"
#include "support/ManualClockScope.h"
#include "support/Pixels.h"
#include "support/ShownAlerts.h"
#include "support/TemporarySandbox.h"
#include "support/VirtualCameras.h"
#include "uikit/HelpManager.h"

namespace zt::test {

// The root container's side: hears the editor close.
class ClosingRecorder : public MainViewControllerDelegate {
public:
    void didFinishProjectExplorer(plat::ViewController&, std::shared_ptr<ProjectModel>) override { }
    void didFinishFrameEditor(plat::ViewController&) override { ++closed; }
    int closed = 0;
};

class FrameEditorScene : public ::testing::Test {
protected:
    explicit FrameEditorScene(plat::UserInterfaceIdiom idiom = plat::UserInterfaceIdiom::Phone)
        : ui(idiom)
    {
        registerFrameEditorLayouts();
        registerEditorLayouts();
        registerStripLayouts();
        registerAudioScreenLayouts();
        registerAudioPickerLayouts();
        registerCaptureLayouts();
        registerShareLayouts();
        registerThemeCardLayouts();
        DataManager::sharedDataManager().resetToDefaultsForTesting();
        EXPECT_TRUE(ProjectsList::replace({}));
        plat::test::setUpCameras({});
        window->setRootViewController(root);
        window->makeKeyAndVisible();
        driver.wait(0);
    }
    ~FrameEditorScene() override
    {
        close();
        DataManager::sharedDataManager().resetToDefaultsForTesting();
    }

    static bool isTablet() { return plat::Device::currentDevice().isTablet(); }

    // A project on disk with pictures of flat colours before the placeholder.
    std::shared_ptr<ProjectModel> makeProject(int pictures)
    {
        std::vector<plat::test::Rgba> colours;
        for (int i = 0; i < pictures; ++i)
            colours.push_back({static_cast<uint8_t>(40 + (i * 37) % 200), static_cast<uint8_t>(200 - (i * 53) % 160),
                static_cast<uint8_t>(60 + (i * 71) % 180), 255});
        return makeProject(colours);
    }
    std::shared_ptr<ProjectModel> makeProject(const std::vector<plat::test::Rgba>& colours)
    {
        auto made = std::make_shared<ProjectModel>(std::nullopt);
        EXPECT_TRUE(made->createFilePathForProject().ok());
        ImageProducer producer(made);
        auto& list = made->getFrameList();
        for (const auto& colour : colours) {
            Frame frame(FrameTypePicture);
            EXPECT_TRUE(producer.storeImage(*plat::test::makeFlatImage(320, 180, colour), frame.frameID()));
            list.insertFrame(frame, list.getCaptureIndex());
        }
        EXPECT_TRUE(made->saveAllDataToDisk().ok());
        return made;
    }

    // Opens the editor on the project as the root container does.
    void open(std::shared_ptr<ProjectModel> opened)
    {
        project = std::move(opened);
        editor = std::make_shared<FrameEditorViewController>(
            isTablet() ? FrameEditorViewController::kTabletLayout : FrameEditorViewController::kPhoneLayout, project);
        editor->setDelegate(closing);
        editor->view()->setFrame(root->view()->bounds());
        root->addChildViewController(editor);
        root->view()->addSubview(editor->view());
        editor->didMoveToParentViewController(root.get());
        driver.wait(1);
    }
    void open(int pictures) { open(makeProject(pictures)); }
    // Leaves the editor (if still open) and lets its fade end. A phone's
    // capture screen over the editor is left first, as its Done leaves it:
    // its camera stops on the test's clock instead of running on after it.
    void close()
    {
        if (!editor || closing->closed > 0)
            return;
        if (auto capture = std::dynamic_pointer_cast<CaptureViewController>(editor->presentedViewController())) {
            capture->finishUpAndExit();
            driver.wait(1);  // the dismissal
        }
        editor->actionProjectExplorer();
        driver.wait(0.25);  // the closing fade
        editor->view()->removeFromSuperview();
        editor->removeFromParentViewController();
    }

    const FrameEditorViewController::Outlets& outlets() const { return editor->outlets(); }
    PlayerViewController& strip() const { return *editor->playerViewController(); }
    TimelineViewController& timeline() const { return *editor->timelineViewController(); }
    FrameList& frames() const { return project->getFrameList(); }
    plat::Dictionary metadata() const { return *project->getMetaData(); }
    void goTo(int64_t index)
    {
        strip().scrollToFrame(index);
        driver.wait(0);
    }
    void post(const std::string& name, plat::Dictionary userInfo = {})
    {
        plat::NotificationCenter::defaultCenter().post(name, nullptr, std::move(userInfo));
        driver.wait(0);
    }

    // As the film grows, a coach mark comes now and then: the person reads it first.
    void readAnyCoachMark()
    {
        while (auto coachMark = editor->helpManager()) {
            ASSERT_TRUE(driver.tap(*coachMark->outlets().btnNext));
            driver.wait(0.25);  // it fades out
        }
    }

    std::shared_ptr<plat::AlertView> shownAlert() const { return plat::test::shownAlertIn(window); }
    // "title\nmessage" of the alert on screen, or "<no alert>".
    std::string alertText()
    {
        driver.wait(0.5);
        auto alert = shownAlert();
        return alert ? alert->title() + "\n" + alert->message() : std::string("<no alert>");
    }
    void closeAlert()
    {
        if (auto alert = shownAlert()) {
            alert->dismissWithClickedButtonIndex(0, /*animated=*/false);
            driver.wait(0.5);
        }
    }
    // The editor's subviews that are the given kind.
    template <typename T> int countSubviews() const
    {
        int found = 0;
        for (const auto& subview : editor->view()->subviews())
            found += std::dynamic_pointer_cast<T>(subview) != nullptr;
        return found;
    }
    std::string file(const std::string& name) const
    {
        return plat::appendingPathComponent(*project->getProjectPath(), name);
    }

    plat::test::TemporarySandbox sandbox;
    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    std::shared_ptr<plat::Window> window = std::make_shared<plat::Window>();
    std::shared_ptr<plat::ViewController> root = std::make_shared<plat::ViewController>();
    plat::test::UIDriver driver;
    std::shared_ptr<ClosingRecorder> closing = std::make_shared<ClosingRecorder>();
    std::shared_ptr<ProjectModel> project;
    std::shared_ptr<FrameEditorViewController> editor;
};

class TabletFrameEditorScene : public FrameEditorScene {
protected:
    TabletFrameEditorScene()
        : FrameEditorScene(plat::UserInterfaceIdiom::Pad)
    {
        // The embedded capture screen's camera.
        plat::test::setUpCameras({plat::test::testPatternCamera(plat::CaptureDevicePosition::Back, 640, 360, 10)});
    }
};

}  // namespace zt::test
