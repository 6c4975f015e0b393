#pragma once
#include <gtest/gtest.h>
#include <memory>

#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/UIDriver.h"
#include "platform/ui/testing/UIScope.h"
#include "support/ManualClockScope.h"
#include "support/TemporarySandbox.h"

namespace plat::test {

// A fixture for screens presented over a plain root screen: a throw-away
// device, the manual clock, a phone's (or a tablet's) key window showing
// `root`, a driver.
// Header only: the test binaries that use it link the toolkit already.
class RootScreenTest : public ::testing::Test {
protected:
    explicit RootScreenTest(UserInterfaceIdiom idiom = UserInterfaceIdiom::Phone)
        : ui(idiom)
    {
        window->setRootViewController(root);
        window->makeKeyAndVisible();
        driver.wait(0);
    }

    TemporarySandbox sandbox;
    ManualClockScope clock;
    UIScope ui;
    std::shared_ptr<Window> window = std::make_shared<Window>();
    std::shared_ptr<ViewController> root = std::make_shared<ViewController>();
    UIDriver driver;
};

}  // namespace plat::test
