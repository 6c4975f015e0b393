// The app killed (SIGKILL) while it saves a frame's first painting, right
// after the painting's strokes file or its layer list appears: after the
// next start the frame and its strokes agree, its picture showing the
// painting with its strokes stored, or neither.
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "app/AppProcess.h"
#include "app/AppScreensTestSupport.h"
#include "document/ImageProducer.h"
#include "editor/PlayerViewController.h"
#include "painter/StrokeArchive.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Text.h"
#include "support/KilledChild.h"
#include "support/Pixels.h"

namespace {

constexpr double kTimeoutSeconds = 120;
// A child run of this test: the device folder and the file after which it is killed.
constexpr const char* kChildVariable = "ZT_INTERRUPTED_PAINTING_CHILD";
const std::string kProject = ".plovix-2015-05-01-10-00-00";
constexpr int64_t kPaintedFrame = 1;

class InterruptedPainting : public zt::test::AppScreens {
protected:
    // Started on this device before: one project of two pictures, selected.
    void makeDevice()
    {
        ASSERT_TRUE(plat::writePropertyListFile(plat::Dictionary {{"version", 4.0}, {"lastSelection", 1}},
            zt::DataManager::settingsFilePath(), plat::PropertyListFormat::XML)
                        .ok());
        auto project = makeProject(kProject, 0);
        zt::ImageProducer producer(project);
        auto& list = project->getFrameList();
        for (int i = 0; i < 2; ++i) {
            zt::Frame frame(zt::FrameTypePicture);
            ASSERT_TRUE(producer.storeImage(*plat::test::makeFlatImage(320, 180, {40, 40, 200, 255}), frame.frameID()));
            list.insertFrame(frame, list.getCaptureIndex());
        }
        ASSERT_TRUE(project->saveAllDataToDisk().ok());
        ASSERT_TRUE(zt::ProjectsList::replace({kProject}));
        frameID = *project->getFrameList().getFrameIDAtIndex(kPaintedFrame);
    }

    // The child: opens the project in the app, paints one stroke on the
    // frame and goes Back; once the file named by the orders has appeared,
    // it tells the parent and waits to be killed.
    void runChild(const std::string& orders)
    {
        const auto lines = plat::componentsSeparatedByString(orders, "\n");
        ASSERT_EQ(lines.size(), 3u);
        plat::Sandbox::setCurrent(std::make_shared<plat::Sandbox>(lines[0]));
        const std::string watched = lines[1];
        const int ready = std::stoi(lines[2]);
        plat::detail::setWriteFaultInjector([ready, watched](const std::string&) {
            if (plat::fileExists(watched))
                plat::test::waitToBeKilled(ready);
            return plat::detail::WriteFailurePoint::None;
        });
        launch();
        settle();
        ASSERT_NO_FATAL_FAILURE(openCentredProject());
        editor()->playerViewController()->scrollToFrame(kPaintedFrame);
        driver.wait(1);
        driver.tapAt({284, 108});
        driver.wait(0.6);
        ASSERT_TRUE(driver.tap("Paint"));
        driver.wait(1.5);
        tapNextWhenShown();
        driver.drag({150, 150}, {420, 170});
        driver.wait(0.5);
        ASSERT_TRUE(driver.tap("Back"));
        driver.wait(1);
        ADD_FAILURE() << "the save ended without being killed";
    }

    std::string projectFile(const std::string& name) const { return documents(kProject) + "/" + name; }
    // Whether any of the frame's strokes files holds a stroke.
    bool strokesAreStored() const
    {
        auto names = plat::contentsOfDirectory(documents(kProject));
        for (const std::string& name : names.valueOr({})) {
            if (!name.starts_with("canvas-" + frameID) || !name.ends_with(".cnv"))
                continue;
            auto strokes = zt::StrokeArchive::strokesWithData(plat::readFile(projectFile(name)).valueOr({}));
            if (strokes.ok() && !strokes.value().empty())
                return true;
        }
        return false;
    }
    // The hidden items in the project folder: what a save keeps or builds beside its files.
    std::vector<std::string> leftovers() const
    {
        std::vector<std::string> found;
        for (const std::string& name : plat::contentsOfDirectory(documents(kProject)).valueOr({}))
            if (name.starts_with("."))
                found.push_back(name);
        return found;
    }

    std::string frameID;
};

}  // namespace

TEST_F(InterruptedPainting, AfterTheNextStartTheFrameAndItsStrokesAgree)
{
    if (const char* orders = std::getenv(kChildVariable)) {
        runChild(orders);
        return;
    }
    for (const std::string suffix : {".cnv", ".layers"}) {
        SCOPED_TRACE("killed once canvas-ID" + suffix + " appears");
        ASSERT_TRUE(plat::removeItemIfExists(documents(kProject)).ok());
        makeDevice();
        const std::string picture = projectFile("frame-" + frameID + ".jpg");
        const plat::Data unpainted = plat::readFile(picture).value();
        const std::string watched = projectFile("canvas-" + frameID + suffix);

        ASSERT_TRUE(
            plat::test::killChildOfThisTestWhenReady(kChildVariable, sandbox.root() + "\n" + watched, kTimeoutSeconds))
            << "killed while saving";
        const std::string script = sandbox.path("start.txt");
        ASSERT_TRUE(plat::writeFileAtomically(script, std::string_view("wait 2\nquit\n")).ok());
        ASSERT_EQ(zt::test::runApp(sandbox.root(), "phone", script), 0);

        const bool pictureIsPainted = plat::readFile(picture).value() != unpainted;
        EXPECT_EQ(pictureIsPainted, strokesAreStored()) << "the frame's picture and its strokes";
        EXPECT_EQ(leftovers(), std::vector<std::string>());
    }
}
