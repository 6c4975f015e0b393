#pragma once
// The audio controller's project on a phone's (or a tablet's) screen, with the generated
// music library as the device's, the pickers' layouts, and the alerts and
// activity messages the controller shows.
#include "audio/AudioPickerLayouts.h"
#include "audio/AudioTestSupport.h"
#include "audio/QVMediaPickerController.h"
#include "platform/foundation/Bundle.h"
#include "platform/graphics/Image.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/TabBarController.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/PictureComparison.h"
#include "platform/ui/testing/UIDriver.h"
#include "platform/ui/testing/UIScope.h"
#include "support/ManualClockScope.h"
#include "support/MusicLibraryFiles.h"
#include "support/RunLoopWaiting.h"

namespace zt::test {

class AudioPickerScreen : public AudioProject {
protected:
    explicit AudioPickerScreen(plat::UserInterfaceIdiom idiom = plat::UserInterfaceIdiom::Phone)
        : ui(idiom)
    {
    }
    void SetUp() override
    {
        AudioProject::SetUp();
        registerAudioPickerLayouts();
        plat::test::GeneratedMusicLibrary::shared().useInCurrentSandbox();
        window->setRootViewController(root);
        window->makeKeyAndVisible();
        driver.wait(0);
        activityToken = plat::NotificationCenter::defaultCenter().addObserver(
            kShowActivityNotification, nullptr, [this](const plat::Notification& note) {
                if (auto text = note.userInfo.getString(kInfoKey))
                    activities.push_back(*text);
            });
    }

    std::shared_ptr<QVMediaPickerController> openPicker(int64_t frame)
    {
        controller->addAudioInView(*root, frame);
        driver.wait(1);
        return std::dynamic_pointer_cast<QVMediaPickerController>(controller->mediaPicker());
    }
    std::shared_ptr<plat::ViewController> selectedList(const std::shared_ptr<MQMediaPickerController>& picker)
    {
        auto navigation = std::dynamic_pointer_cast<plat::NavigationController>(
            picker->tabBarController()->selectedViewController());
        return navigation ? navigation->topViewController() : nullptr;
    }
    // Waits for the copy of a music-library song (a background queue) and the clip it makes.
    bool waitForAddedClips(size_t count)
    {
        return plat::test::runMainLoopUntil([&] { return added.size() + errors.size() >= count; });
    }
    void expectPicture(const std::string& name)
    {
        auto picture = driver.screenshot();
        ASSERT_NE(picture, nullptr);
        auto comparison = plat::test::compareWithReferencePicture(
            *picture, plat::test::sourcePath("tests/data/audio/" + name + ".png"), pictures.path());
        EXPECT_TRUE(comparison.matches) << comparison.explanation;
    }
    // The alert on screen, if any.
    std::shared_ptr<plat::AlertView> shownAlert()
    {
        return std::dynamic_pointer_cast<plat::AlertView>(
            driver.findView(plat::localized("Dismiss")) ? findAlert(window) : nullptr);
    }

    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    std::shared_ptr<plat::Window> window = std::make_shared<plat::Window>();
    std::shared_ptr<plat::ViewController> root = std::make_shared<plat::ViewController>();
    plat::test::UIDriver driver;
    plat::test::TemporaryFolder pictures;
    std::vector<std::string> activities;
    plat::ObserverToken activityToken;

private:
    static std::shared_ptr<plat::View> findAlert(const std::shared_ptr<plat::View>& view)
    {
        if (std::dynamic_pointer_cast<plat::AlertView>(view))
            return view;
        for (const auto& child : view->subviews())
            if (auto found = findAlert(child))
                return found;
        return nullptr;
    }
};

}  // namespace zt::test
