#pragma once
// The green screen's screens over a plain root screen of a phone, with a
// delegate that records what they report, and a project with a folder.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "document/ProjectModel.h"
#include "glimage/GLImageInput.h"
#include "greenscreen/ChromaKeyConfigurationDelegate.h"
#include "greenscreen/GreenScreenLayouts.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/UIDriver.h"
#include "platform/ui/testing/UIScope.h"
#include "support/ManualClockScope.h"
#include "support/TemporarySandbox.h"

namespace zt::test {

// What the screens told the camera, in order.
class RecordingConfigurationDelegate : public ChromaKeyConfigurationDelegate {
public:
    void didSelectChangeBackDrop(plat::ViewController&) override { calls.push_back("photo roll"); }
    void didSelectChangeBackDrop(plat::ViewController&, const std::shared_ptr<plat::Image>& image) override
    {
        calls.push_back("picture");
        pictures.push_back(image);
    }
    void didSelectUseFrameAsBackdrop(plat::ViewController&) override { calls.push_back("last frame"); }
    void didChangedFilterValue(plat::ViewController&, float value) override
    {
        calls.push_back("sensitivity");
        values.push_back(value);
    }
    void didSelectChangeChromaKeyColor(plat::ViewController&, const plat::Color& color) override
    {
        calls.push_back("colour");
        colours.push_back(color);
    }
    void didSelectChangeAutoChromaKeyColor(plat::ViewController&) override { calls.push_back("autodetect"); }
    void didSelectResetChromaKeyColor(plat::ViewController&) override { calls.push_back("reset"); }

    std::string joinedCalls() const
    {
        std::string joined;
        for (const std::string& call : calls)
            joined += (joined.empty() ? "" : ", ") + call;
        return joined;
    }

    std::vector<std::string> calls;
    std::vector<std::shared_ptr<plat::Image>> pictures;
    std::vector<float> values;
    std::vector<plat::Color> colours;
};

// Counts the frames that reach it, from the context queue, and wakes the
// main loop so that a wait sees each at once.
class FrameCounter : public GLImageInput {
public:
    void newFrameReadyAtTime(const plat::MediaTime&, int64_t) override
    {
        ++frames;
        plat::DispatchQueue::mainQueue().async([] {});
    }
    void setInputTexture(uint32_t, int64_t) override { }
    void setTextureDelegate(std::weak_ptr<GLImageTextureDelegate>, int64_t) override { }
    int64_t nextAvailableTextureIndex() override { return 0; }
    void setInputSize(plat::Size, int64_t) override { }
    void setInputRotation(GLImageRotationMode, int64_t) override { }
    plat::Size maximumOutputSize() override { return {}; }
    void endProcessing() override { }
    bool shouldIgnoreUpdatesToThisTarget() override { return false; }
    bool enabled() override { return true; }
    void conserveMemoryForNextFrame() override { }
    bool wantsMonochromeInput() override { return false; }
    void setCurrentlyReceivingMonochromeInput(bool) override { }

    std::atomic<int> frames {0};
};

class GreenScreenScene : public ::testing::Test {
protected:
    GreenScreenScene()
    {
        registerGreenScreenLayouts();
        EXPECT_TRUE(project->createFilePathForProject().ok());
        window->setRootViewController(root);
        window->makeKeyAndVisible();
        driver.wait(0);
    }

    plat::test::TemporarySandbox sandbox;
    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    std::shared_ptr<plat::Window> window = std::make_shared<plat::Window>();
    std::shared_ptr<plat::ViewController> root = std::make_shared<plat::ViewController>();
    plat::test::UIDriver driver;
    std::shared_ptr<ProjectModel> project = std::make_shared<ProjectModel>(std::nullopt);
};

}  // namespace zt::test
