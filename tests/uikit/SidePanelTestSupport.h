#pragma once
// Controllers, a delegate and a fixture shared by the side-panel tests.
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/Label.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/UIDriver.h"
#include "platform/ui/testing/UIScope.h"
#include "support/ManualClockScope.h"
#include "uikit/SPSidePanelController.h"
#include "uikit/SPWrapController.h"
#include "uikit/UISidePanelItem.h"

namespace zt::test {

// A screen that records its appearance callbacks ("left willAppear") in a shared log.
class Panel : public plat::ViewController {
public:
    Panel(std::string name, std::vector<std::string>& log, plat::Color color = plat::Color::grayColor())
        : _name(std::move(name))
        , _log(log)
        , _color(color)
    {
    }
    void loadView() override
    {
        auto root = std::make_shared<plat::View>(plat::makeRect(0, 0, 568, 320));
        root->setBackgroundColor(_color);
        auto caption = std::make_shared<plat::Label>(plat::makeRect(10, 140, 200, 40));
        caption->setText(_name);
        caption->setTextColor(plat::Color::whiteColor());
        root->addSubview(caption);
        setView(root);
    }
    void viewWillAppear(bool) override { _log.push_back(_name + " willAppear"); }
    void viewDidAppear(bool) override { _log.push_back(_name + " didAppear"); }
    void viewWillDisappear(bool) override { _log.push_back(_name + " willDisappear"); }
    void viewDidDisappear(bool) override { _log.push_back(_name + " didDisappear"); }
    const std::string& name() const { return _name; }

private:
    std::string _name;
    std::vector<std::string>& _log;
    plat::Color _color;
};

// Records what the container tells it ("willOpen 1") and answers from its settings.
class PanelDelegate : public SPSidePanelControllerDelegate {
public:
    std::optional<bool> sidePanelControllerShouldOpenViewSide(SPSidePanelController&, uint32_t side) override
    {
        events.push_back("shouldOpen " + std::to_string(side));
        return refusedOpen.count(side) ? std::optional<bool>(false) : std::nullopt;
    }
    std::optional<bool> sidePanelControllerShouldCloseViewSide(SPSidePanelController&, uint32_t side) override
    {
        return refusedClose.count(side) ? std::optional<bool>(false) : std::nullopt;
    }
    void sidePanelControllerWillOpenViewSideAnimated(SPSidePanelController&, uint32_t side, bool) override
    {
        events.push_back("willOpen " + std::to_string(side));
    }
    void sidePanelControllerDidOpenViewSideAnimated(SPSidePanelController&, uint32_t side, bool) override
    {
        events.push_back("didOpen " + std::to_string(side));
    }
    void sidePanelControllerWillCloseViewSideAnimated(SPSidePanelController&, uint32_t side, bool) override
    {
        events.push_back("willClose " + std::to_string(side));
    }
    void sidePanelControllerDidCloseViewSideAnimated(SPSidePanelController&, uint32_t side, bool) override
    {
        events.push_back("didClose " + std::to_string(side));
    }
    void sidePanelControllerDidShowCenterViewFromSideAnimated(SPSidePanelController&, uint32_t side, bool) override
    {
        events.push_back("didShowCenter " + std::to_string(side));
    }
    void sidePanelControllerDidBounceViewSideOpeningController(
        SPSidePanelController&, uint32_t side, plat::ViewController*) override
    {
        events.push_back("bouncedOpening " + std::to_string(side));
    }
    void sidePanelControllerDidChangeOffsetOrientationPanning(
        SPSidePanelController&, double offset, uint32_t, bool panning) override
    {
        offsets.push_back(offset);
        if (panning)
            ++panningChanges;
    }
    std::optional<double> sidePanelControllerChangesLedgeForSide(SPSidePanelController&, double, uint32_t side) override
    {
        auto found = ledgeOverrides.find(side);
        return found == ledgeOverrides.end() ? std::nullopt : std::optional<double>(found->second);
    }

    // Only what changes the state, without the questions.
    std::vector<std::string> changes() const
    {
        std::vector<std::string> kept;
        for (const auto& event : events)
            if (event.rfind("should", 0) != 0)
                kept.push_back(event);
        return kept;
    }

    std::vector<std::string> events;
    std::vector<double> offsets;
    int panningChanges = 0;
    std::map<uint32_t, bool> refusedOpen;
    std::map<uint32_t, bool> refusedClose;
    std::map<uint32_t, double> ledgeOverrides;
};

// A phone window (568 x 320) whose root is a container with a centre and
// whichever sides a test gives it.
class SidePanelScreen : public ::testing::Test {
protected:
    void SetUp() override
    {
        vdc_swizzle();
        wc_swizzle();
        window = std::make_shared<plat::Window>(plat::makeRect(0, 0, 568, 320));
        window->makeKeyAndVisible();
        container->setDelegate(delegate);
    }

    std::shared_ptr<Panel> panel(const std::string& name, plat::Color color = plat::Color::grayColor())
    {
        return std::make_shared<Panel>(name, log, color);
    }

    // Puts the container on screen and lets its delayed set-up run.
    void show()
    {
        window->setRootViewController(container);
        clock.advance(0.02);
        log.clear();
        delegate->events.clear();
    }

    // Long enough for any slide or bounce to end.
    void settle() { clock.advance(1.5); }

    plat::Rect slidingFrame() const { return container->slidingControllerView()->frame(); }

    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    plat::test::UIDriver driver;
    std::shared_ptr<plat::Window> window;
    std::vector<std::string> log;
    std::shared_ptr<Panel> center = panel("centre", plat::Color::colorWithRed(0.2, 0.35, 0.6, 1));
    std::shared_ptr<SPSidePanelController> container = SPSidePanelController::initWithCenterViewController(center);
    std::shared_ptr<PanelDelegate> delegate = std::make_shared<PanelDelegate>();
};

// Completion calls as "done YES" / "done NO".
inline SPSidePanelController::Completion recordCompletion(std::vector<std::string>& into)
{
    return [&into](SPSidePanelController&, bool success) { into.push_back(success ? "done YES" : "done NO"); };
}

}  // namespace zt::test
