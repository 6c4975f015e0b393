#pragma once
// A project to render cards into, with the run loop driven until a named
// notification arrives, for the card tests.
#include <gtest/gtest.h>
#include <string>

#include "RenderTestSupport.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Image.h"
#include "platform/ui/testing/UIScope.h"
#include "support/ManualClockScope.h"
#include "support/RunLoopWaiting.h"

namespace zt::test {

// Counts the notifications of one name and keeps the last one.
class NotificationRecorder {
public:
    explicit NotificationRecorder(const std::string& name)
        : _token(plat::NotificationCenter::defaultCenter().addObserver(
            name, nullptr, [this](const plat::Notification& notification) {
                ++count;
                last = notification;
            }))
    {
    }
    bool waitForCount(int expected)
    {
        return plat::test::runMainLoopUntil([&] { return count >= expected; });
    }

    int count = 0;
    plat::Notification last;

private:
    plat::ObserverToken _token;
};

class CardProject : public RenderProject {
protected:
    void SetUp() override
    {
        RenderProject::SetUp();
        addFlatPicture("P1", {200, 30, 30, 255});
        ASSERT_TRUE(project->saveAllDataToDisk().ok());
    }

    std::shared_ptr<plat::Image> projectPicture(const std::string& name)
    {
        auto data = project->fileDataForFileWithPreferredFilename(name);
        return data ? plat::Image::imageWithData(*data) : nullptr;
    }

    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
};

}  // namespace zt::test
