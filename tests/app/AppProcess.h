#pragma once
// Running the app's own binary on a device folder, as the device-script tests do.
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Files.h"
#include "platform/foundation/PropertyList.h"
#include "support/BoundedChild.h"

namespace zt::test {

// Runs a device script headless and gives the app's exit status (-1 when it
// did not exit, or was killed past the bound, failing the test). environment:
// more NAME=value words for the app's environment; workingFolder: where it
// runs (relative paths are taken from there).
inline int runApp(const std::string& device, const std::string& idiom, const std::string& script,
    const std::string& environment = "", const std::string& workingFolder = "")
{
    std::string command = (workingFolder.empty() ? std::string() : "cd '" + workingFolder + "' && ")
        + "env -u DISPLAY -u WAYLAND_DISPLAY " + environment + " " + ZT_APP_BINARY + " --device " + device + " --idiom "
        + idiom + " --script " + script;
    return plat::test::runShellBounded(command);
}

// The device's cameras (the device folder's Cameras.plist), one of a kind
// at each position ("Back", "Front"): "TestPattern" a moving test picture,
// "GreenScreen" one to key.
inline void addVirtualCameras(
    const std::string& device, const std::string& kind, const std::vector<std::string>& positions)
{
    ASSERT_TRUE(plat::createDirectory(device + "/Cameras", plat::IntermediateDirectories::Yes).ok());
    plat::Array cameras;
    for (const std::string& position : positions) {
        plat::Dictionary camera;
        camera.set("Kind", kind);
        camera.set("Position", position);
        camera.set("Width", 1280);
        camera.set("Height", 720);
        camera.set("FrameRate", 25);
        cameras.append(camera);
    }
    ASSERT_TRUE(plat::writePropertyListFile(cameras, device + "/Cameras/Cameras.plist").ok());
}

// The device's back camera, by kind (as above).
inline void addVirtualCamera(const std::string& device, const std::string& kind)
{
    addVirtualCameras(device, kind, {"Back"});
}

inline void addTestPatternCamera(const std::string& device)
{
    addVirtualCamera(device, "TestPattern");
}

// The device's microphone (the device folder's Microphone.plist): a 440 Hz sine.
inline void addSineMicrophone(const std::string& device)
{
    ASSERT_TRUE(plat::createDirectory(device + "/Microphone", plat::IntermediateDirectories::Yes).ok());
    ASSERT_TRUE(plat::writePropertyListFile(plat::Dictionary {{"Kind", "Signal"}, {"Signal", "sine=frequency=440"}},
        device + "/Microphone/Microphone.plist")
                    .ok());
}

// The device's video encoder takes that many pictures a second of the app's
// time (the device folder's Encoder.plist), as a slow device's does.
inline void addSlowEncoder(const std::string& device, double framesPerSecond)
{
    ASSERT_TRUE(plat::createDirectory(device + "/Encoder", plat::IntermediateDirectories::Yes).ok());
    ASSERT_TRUE(plat::writePropertyListFile(
        plat::Dictionary {{"FramesPerSecond", framesPerSecond}}, device + "/Encoder/Encoder.plist")
                    .ok());
}

// Script lines that take that many pictures with the capture screen's shutter.
inline std::string takePictures(int count)
{
    std::string lines;
    for (int i = 0; i < count; ++i)
        lines += "tap Take Picture\nwait 1.1\n";
    return lines;
}

// The name of the newest project listed on the device (its folder in
// Documents and in the render cache), or none.
inline std::optional<std::string> newestProjectName(const std::string& device)
{
    auto listed = plat::arrayWithContentsOfFile(device + "/Documents/.projects.plist").value_or(plat::Array());
    const std::string* name = listed.empty() ? nullptr : listed.at(0).asString();
    return name ? std::optional<std::string>(*name) : std::nullopt;
}

}  // namespace zt::test
