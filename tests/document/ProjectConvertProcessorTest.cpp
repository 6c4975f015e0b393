#include "document/ProjectConvertProcessor.h"

#include <gtest/gtest.h>

#include "platform/foundation/DispatchGroup.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/PropertyList.h"
#include "support/TemporarySandbox.h"

namespace {

constexpr double kGenerousTimeoutSeconds = 30;

class ProjectUpgrade : public ::testing::Test {
protected:
    void writeVersion(double version)
    {
        ASSERT_TRUE(plat::writePropertyListFile(
            plat::Dictionary {{"ProductVersion", version}, {"RecordFPS", 5}}, folder.path("plovix.meta"))
                        .ok());
    }

    // Runs the upgrade and waits for its completion on the background queue.
    void convertAndWait()
    {
        plat::DispatchGroup done;
        done.enter();
        bool ranInBackground = false;
        processor.convertProjectAtPath(folder.path(), [&] {
            ranInBackground = !plat::DispatchQueue::mainQueue().isCurrent();
            done.leave();
        });
        EXPECT_EQ(processor.status(), zt::ProjectConvertProcessor::Queued);
        ASSERT_TRUE(done.wait(kGenerousTimeoutSeconds));
        EXPECT_TRUE(ranInBackground);
    }

    plat::test::TemporaryFolder folder;
    zt::ProjectConvertProcessor processor;
};

TEST_F(ProjectUpgrade, OldProjectsCompleteAndKeepTheirFiles)
{
    writeVersion(2.0);
    auto before = plat::readFile(folder.path("plovix.meta")).value();
    convertAndWait();
    EXPECT_EQ(plat::readFile(folder.path("plovix.meta")).value(), before);
    EXPECT_EQ(plat::contentsOfDirectory(folder.path()).value(), std::vector<std::string> {"plovix.meta"});
}

TEST_F(ProjectUpgrade, CurrentAndUnreadableProjectsCompleteToo)
{
    writeVersion(5.0);
    convertAndWait();
    ASSERT_TRUE(plat::writeFileAtomically(folder.path("plovix.meta"), std::string_view("damaged")).ok());
    convertAndWait();
}

TEST(ProjectUpgradeSteps, NeedAFolder)
{
    plat::test::TemporaryFolder folder;
    EXPECT_TRUE(zt::ProjectConvertProcessor::convertProjectTo_3_0_AtPath(folder.path()));
    EXPECT_FALSE(zt::ProjectConvertProcessor::convertProjectTo_4_0_AtPath(folder.path("missing")));
}

}  // namespace
