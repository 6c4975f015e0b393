#pragma once
// The look screens on a phone (or tablet) with the manual clock and a
// window, a project of coloured pictures, notifications counted by name and
// pictures compared with references under tests/data/render.
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "RenderTestSupport.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/PropertyList.h"
#include "platform/ui/Screen.h"
#include "platform/ui/ViewRendering.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/PictureComparison.h"
#include "platform/ui/testing/UIDriver.h"
#include "platform/ui/testing/UIScope.h"
#include "render/LookLayouts.h"
#include "support/ManualClockScope.h"

namespace zt::test {

// Every post of one name, with its sender and payload, in order.
class PostedNotifications {
public:
    explicit PostedNotifications(const std::string& name)
        : _token(plat::NotificationCenter::defaultCenter().addObserver(
            name, nullptr, [this](const plat::Notification& notification) { posts.push_back(notification); }))
    {
    }
    size_t count() const { return posts.size(); }
    const void* lastSender() const { return posts.empty() ? nullptr : posts.back().object; }

    std::vector<plat::Notification> posts;

private:
    plat::ObserverToken _token;
};

class LookScreen : public RenderProject {
protected:
    explicit LookScreen(plat::UserInterfaceIdiom idiom = plat::UserInterfaceIdiom::Phone)
        : ui(idiom)
    {
        registerLookLayouts();
        window = std::make_shared<plat::Window>(plat::Screen::mainScreen().bounds());
        window->makeKeyAndVisible();
    }

    // The metadata as stored in the project's file now.
    plat::Dictionary storedMetadata() const
    {
        auto bytes = plat::readFile(projectFile("plovix.meta"));
        if (!bytes.ok())
            return {};
        auto value = plat::PropertyListSerialization::propertyListWithData(bytes.value());
        return value.ok() ? value.value().asDictionary().value_or(plat::Dictionary()) : plat::Dictionary();
    }

    // The window's picture against tests/data/render/<reference>.
    plat::test::PictureComparison compareWindowWith(const std::string& reference)
    {
        driver.wait(2);
        auto picture = plat::snapshotWindow(*window, 1);
        if (!picture)
            return {};
        return plat::test::compareWithReferencePicture(
            *picture, plat::test::sourcePath("tests/data/render/" + reference), sandbox.path("pictures"));
    }
    void expectWindowLooksLike(const std::string& reference)
    {
        auto comparison = compareWindowWith(reference);
        EXPECT_TRUE(comparison.matches) << reference << ": " << comparison.explanation;
    }
    // With the view hidden the picture must differ from the reference (not
    // while references are being made: that would write the picture without it).
    void expectMissing(plat::View& view, const std::string& reference, const std::string& what)
    {
        if (makingReferences())
            return;
        view.setHidden(true);
        EXPECT_FALSE(compareWindowWith(reference).matches) << "without " << what;
        view.setHidden(false);
    }

    static bool makingReferences()
    {
        const char* making = std::getenv("ZT_UPDATE_REFERENCE_PICTURES");
        return making && std::string(making) == "1";
    }

    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    plat::test::UIDriver driver;
    std::shared_ptr<plat::Window> window;
};

}  // namespace zt::test
