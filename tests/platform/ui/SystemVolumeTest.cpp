#include "platform/ui/SystemVolume.h"

#include <gtest/gtest.h>
#include <vector>

#include "platform/foundation/NotificationCenter.h"

TEST(SystemVolume, ButtonsStepBySixteenthsAndReportEveryPress)
{
    auto& volume = plat::SystemVolume::shared();
    volume.setOutputVolume(0.9);
    std::vector<double> reported;
    auto token = plat::NotificationCenter::defaultCenter().addObserver(
        plat::SystemVolumeDidChangeNotification, nullptr, [&](const plat::Notification& n) {
            reported.push_back(n.userInfo.get(plat::AudioVolumeNotificationParameter).doubleValue().value_or(-1));
        });
    volume.pressVolumeUp();
    volume.pressVolumeUp();
    volume.pressVolumeUp();
    EXPECT_EQ(reported, (std::vector<double> {0.9375, 1.0, 1.0})) << "a press at the top still reports";
    volume.pressVolumeDown();
    EXPECT_DOUBLE_EQ(volume.outputVolume(), 0.9375);
    volume.setOutputVolume(0.5);
}
