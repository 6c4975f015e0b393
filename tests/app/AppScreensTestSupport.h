#pragma once
// A fresh device for each test of the app's screens: its own sandbox, the
// manual clock, the toolkit reset, the app's layouts and capture sources,
// the shared settings and crash reporter back at their defaults, and
// helpers that make project folders and archives the way the app writes
// them.
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "app/AppCaptureSources.h"
#include "app/AppLayouts.h"
#include "app/MainViewController.h"
#include "app/ProjectExplorer.h"
#include "app/WelcomeMain.h"
#include "app/ZantropeAppDelegate.h"
#include "diagnostics/CrashReportManager.h"
#include "document/DataManager.h"
#include "document/Frame.h"
#include "document/ProjectModel.h"
#include "document/ProjectsList.h"
#include "document/QVZipArchive.h"
#include "editor/FrameEditorViewController.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Sandbox.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Application.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/UIDriver.h"
#include "platform/ui/testing/UIScope.h"
#include "support/ManualClockScope.h"
#include "support/RunLoopWaiting.h"
#include "support/ShownAlerts.h"
#include "support/TemporarySandbox.h"
#include "support/TextContrast.h"
#include "support/VirtualCameras.h"
#include "uikit/Carousel.h"
#include "uikit/HelpManager.h"

namespace zt::test {

class AppScreens : public ::testing::Test {
protected:
    explicit AppScreens(plat::UserInterfaceIdiom idiom = plat::UserInterfaceIdiom::Phone)
        : ui(idiom)
    {
        registerAppLayouts();
        registerAppCaptureSources();
        resetShared();
        // The welcome screen would cover the explorer on the first start of every test; its own tests reset this.
        WelcomeMain::setHasSeen(true);
    }
    ~AppScreens() override
    {
        plat::Application::sharedApplication().resetForTesting();
        resetShared();
    }

    static void resetShared()
    {
        DataManager::sharedDataManager().resetToDefaultsForTesting();
        CrashReportManager::sharedCrashReportManager().resetForTesting();
    }

    // Launches the app as the system does and lets start-up finish.
    void launch(const plat::Dictionary& options = {})
    {
        delegate = std::make_shared<ZantropeAppDelegate>();
        app.setDelegate(delegate);
        app.launch(options);
        driver.wait(0);
    }
    // Lets the fade-in and the first details appear.
    void settle() { driver.wait(2); }
    // Opens the project centred in the explorer and reads past its coach
    // mark, if one shows.
    void openCentredProject()
    {
        driver.tapAt({284, 119});
        driver.wait(1);
        ASSERT_NE(editor(), nullptr);
        tapNextWhenShown();
    }
    void tapNextWhenShown()
    {
        if (driver.findView("Next")) {
            ASSERT_TRUE(driver.tap("Next"));
            driver.wait(1);
        }
    }

    std::shared_ptr<MainViewController> root() const { return delegate->mainViewController(); }
    std::shared_ptr<FrameEditorViewController> editor() const
    {
        return std::dynamic_pointer_cast<FrameEditorViewController>(root()->viewFrameEditor());
    }
    // The device's camera: a moving test picture.
    static void useTestCamera()
    {
        plat::test::setUpCameras({plat::test::testPatternCamera(plat::CaptureDevicePosition::Back, 1280, 720, 25)});
    }
    // Reads the coach mark that opening a longer project brings to its end (Next).
    void dismissCoachMark()
    {
        auto coachMark = editor()->helpManager();
        ASSERT_NE(coachMark, nullptr);
        ASSERT_TRUE(driver.tap(*coachMark->outlets().btnNext));
        driver.wait(0.25);  // it fades out
        EXPECT_EQ(editor()->helpManager(), nullptr);
    }
    // Lets the virtual camera make pictures, a frame at a time, each frame's
    // work finished before the next comes, until done().
    bool runCameraUntil(const std::function<bool()>& done, int maximumFrames = 100)
    {
        constexpr double kCameraFrameSeconds = 1.0 / 25;
        return done() || plat::test::advanceClockUntil(clock.clock(), kCameraFrameSeconds, done, maximumFrames);
    }
    // Opens the phone's capture screen from the editor.
    void openCaptureScreen()
    {
        ASSERT_TRUE(driver.tap("Capture"));
        driver.wait(1.5);
    }
    // Presses the shutter; true when a picture came into the editor's project.
    bool takePicture()
    {
        const int64_t before = editor()->project()->getFrameList().count();
        if (!driver.tap("Take Picture"))
            return false;
        const bool taken = runCameraUntil([&] { return editor()->project()->getFrameList().count() > before; });
        driver.wait(1.1);  // the still display ends, so the shutter works again
        return taken;
    }
    // Takes pictures through the phone's capture screen, opened from the
    // editor, and comes back to the editor, as a person does.
    void captureFrames(int count)
    {
        openCaptureScreen();
        for (int i = 0; i < count; ++i)
            ASSERT_TRUE(takePicture());
        ASSERT_TRUE(driver.tap("Done"));
        driver.wait(1);
    }
    std::shared_ptr<ProjectExplorer> explorer() const { return root()->viewExplorer(); }
    Carousel& carousel() const { return *explorer()->outlets().carousel; }

    // The alerts on screen, the frontmost last.
    std::vector<std::shared_ptr<plat::AlertView>> shownAlerts() const
    {
        return plat::test::shownAlertsIn(app.keyWindow());
    }
    // The frontmost alert on screen, or none.
    std::shared_ptr<plat::AlertView> shownAlert() const
    {
        auto found = shownAlerts();
        return found.empty() ? nullptr : found.back();
    }
    // How the shown alert's message stands out from the panel behind it, as
    // the screen shows it (0 without an alert or a message).
    double shownAlertMessageContrast() const
    {
        auto alert = shownAlert();
        auto window = app.keyWindow();
        if (!alert || !window)
            return 0;
        std::shared_ptr<plat::Label> message;
        std::function<void(const std::shared_ptr<plat::View>&)> search = [&](const std::shared_ptr<plat::View>& view) {
            if (auto label = std::dynamic_pointer_cast<plat::Label>(view); label && label->text() == alert->message())
                message = label;
            for (const auto& subview : view->subviews())
                search(subview);
        };
        search(alert);
        constexpr double kScreenScale = 2;
        return message ? plat::test::measureTextContrast(*window, *message, kScreenScale).ratio : 0;
    }
    // Waits for an alert on screen, letting the app's time pass (a sheet
    // fades first) and its queues finish their work at every step, and gives
    // its title and message, one a line. wanted tells the awaited alert from
    // one already there.
    std::string waitForAlert(const std::function<bool(const plat::AlertView&)>& wanted = {})
    {
        auto found = [&] {
            auto alert = shownAlert();
            return alert && (!wanted || wanted(*alert)) ? alert : nullptr;
        };
        plat::RunLoop::main().settle();
        if (!found())
            (void)plat::test::advanceClockUntil(
                clock.clock(), 0.1, [&] { return found() != nullptr; }, 300);
        std::shared_ptr<plat::AlertView> alert = found();
        EXPECT_NE(alert, nullptr) << "no alert came";
        return alert ? alert->title() + "\n" + alert->message() : std::string("<no alert>");
    }

    std::string documents(const std::string& name = {}) const
    {
        return name.empty() ? sandbox.documents() : plat::appendingPathComponent(sandbox.documents(), name);
    }
    std::string caches(const std::string& name) const
    {
        return plat::appendingPathComponent(sandbox.sandbox().cachesDirectory(), name);
    }
    static std::vector<std::string> listed()
    {
        return ProjectsList::projectNames().value_or(std::vector<std::string> {"<unreadable>"});
    }

    // A project folder in Documents as the app writes it: pictures entries
    // (plus the capture placeholder) and the metadata given over the defaults.
    std::shared_ptr<ProjectModel> makeProject(
        const std::string& name, int pictures, const plat::Dictionary& metadata = {}) const
    {
        std::string path = documents(name);
        EXPECT_TRUE(plat::createDirectory(path, plat::IntermediateDirectories::Yes).ok());
        auto project = std::make_shared<ProjectModel>(path);
        auto& list = project->getFrameList();
        for (int i = 0; i < pictures; ++i)
            list.insertFrame(Frame(FrameTypePicture), list.getCaptureIndex());
        auto stored = project->getMetaData();
        for (const auto& [key, value] : metadata)
            stored->set(key, value);
        EXPECT_TRUE(project->saveAllDataToDisk().ok());
        return project;
    }
    // A project archive of such a folder at path (the folder is removed).
    void makeArchive(const std::string& path, const std::string& name, int pictures) const
    {
        makeProject(name, pictures, plat::Dictionary {{"RecordName", name}});
        auto names = plat::contentsOfDirectory(documents(name));
        ASSERT_TRUE(names.ok());
        std::vector<std::string> files;
        for (const std::string& file : names.value())
            files.push_back(plat::appendingPathComponent(documents(name), file));
        ASSERT_TRUE(QVZipArchive::createZipFileAtPath(path, files));
        ASSERT_TRUE(plat::removeItem(documents(name)).ok());
    }

    plat::test::TemporarySandbox sandbox;
    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    plat::Application& app = plat::Application::sharedApplication();
    std::shared_ptr<ZantropeAppDelegate> delegate;
    plat::test::UIDriver driver;
};

}  // namespace zt::test
