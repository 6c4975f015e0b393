#include "uikit/UIDeviceHardware.h"

#include <gtest/gtest.h>

#include "platform/ui/Device.h"
#include "platform/ui/testing/UIScope.h"
#include "support/TemporarySandbox.h"

namespace {

using plat::Device;

class DeviceModel : public ::testing::Test {
protected:
    void useMachine(const std::string& machine, plat::UserInterfaceIdiom idiom = plat::UserInterfaceIdiom::Phone)
    {
        Device device(idiom);
        device.setMachine(machine);
        Device::setCurrentDevice(device);
    }
    const Device& device() const { return Device::currentDevice(); }

    plat::test::TemporarySandbox sandbox;
    plat::test::UIScope ui;
};

TEST_F(DeviceModel, MachineIdentifiersGiveTheirModelCodesAndNames)
{
    struct Case {
        const char* machine;
        uint32_t type;
        const char* name;
    };
    const Case cases[] = {{"iPhone4,1", 9, "iPhone 4S"}, {"iPad3,4", 17, "iPad 3G"}, {"iPhone1,2", 6, "iPhone 3G"},
        {"iPhone1,3", 22, "Unknown iPhone"}, {"iPhone5,3", 10, "iPhone 5"}, {"iPhone6,1", 22, "Unknown iPhone"},
        {"iPad4,7", 18, "iPad 4G"}, {"iPad5,1", 24, "Unknown iPad"}, {"iFPGA", 26, "iFPGA"},
        {"AppleTV3,2", 20, "Apple TV 3G"}, {"AppleTV5,3", 25, "Unknown Apple TV"}, {"iPod4,1", 14, "iPod touch 4G"},
        {"Watch1,1", 0, "Unknown iOS device"}};
    for (const Case& each : cases) {
        useMachine(each.machine);
        EXPECT_EQ(zt::platform(device()), each.machine);
        EXPECT_EQ(zt::platformType(device()), each.type) << each.machine;
        EXPECT_EQ(zt::platformString(device()), each.name) << each.machine;
    }
    EXPECT_EQ(zt::platformStringForType(1), "iPhone Simulator");
    EXPECT_EQ(zt::platformStringForType(4), "Apple TV Simulator");
    EXPECT_EQ(zt::platformStringForType(21), "Apple TV 4G");
    EXPECT_EQ(zt::platformStringForType(27), "Unknown iOS device");
}

TEST_F(DeviceModel, SimulatorsAreTellingPhonesFromTabletsByTheScreenWidth)
{
    EXPECT_EQ(zt::platformTypeForMachine("x86_64", 320), 2u);
    EXPECT_EQ(zt::platformTypeForMachine("i386", 768), 3u);
    EXPECT_EQ(zt::platformTypeForMachine("i386", 767.5), 2u);
    useMachine("x86_64");
    EXPECT_EQ(zt::platformString(device()), "iPhone Simulator");
    useMachine("x86_64", plat::UserInterfaceIdiom::Pad);
    EXPECT_EQ(zt::platformString(device()), "iPad Simulator");
}

TEST_F(DeviceModel, FamiliesComeFromThePrefix)
{
    useMachine("iPhone7,2");
    EXPECT_EQ(zt::deviceFamily(device()), zt::UIDeviceFamilyiPhone);
    useMachine("iPod5,1");
    EXPECT_EQ(zt::deviceFamily(device()), zt::UIDeviceFamilyiPod);
    useMachine("iPad2,1");
    EXPECT_EQ(zt::deviceFamily(device()), zt::UIDeviceFamilyiPad);
    useMachine("AppleTV2,1");
    EXPECT_EQ(zt::deviceFamily(device()), zt::UIDeviceFamilyAppleTV);
    useMachine("Watch1,1");
    EXPECT_EQ(zt::deviceFamily(device()), zt::UIDeviceFamilyUnknown);
}

TEST_F(DeviceModel, CountersAreTheKernelsInFullAndPrintUnsigned)
{
    EXPECT_GE(zt::cpuCount(device()), 1u);
    // Today's machines have more memory than 32 bits count: it is neither cut nor negative.
    uint64_t memory = zt::totalMemory(device());
    EXPECT_GT(memory, uint64_t(256) << 20);
    EXPECT_LE(zt::userMemory(device()), memory);
    EXPECT_EQ(zt::getSysInfo(device(), 9999), 0u);
    EXPECT_EQ(zt::sysInfoText(uint64_t(3) << 32), "12884901888");
    EXPECT_EQ(zt::sysInfoText(0xFFFFFFFFu), "4294967295");
    EXPECT_EQ(zt::getSysInfoByName(device(), "no.such.name"), "");
    EXPECT_FALSE(zt::hwmodel(device()).empty());
}

TEST_F(DeviceModel, DiskSpaceIsThatOfTheSandboxVolume)
{
    auto total = zt::totalDiskSpace(device());
    auto free = zt::freeDiskSpace(device());
    ASSERT_TRUE(total && free);
    EXPECT_GT(*total, 0u);
    EXPECT_LE(*free, *total);
    EXPECT_TRUE(zt::hasRetinaDisplay(device())) << "scale 2";
}

}  // namespace
