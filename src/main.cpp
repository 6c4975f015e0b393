#include <atomic>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "app/AppCaptureSources.h"
#include "app/AppLayouts.h"
#include "app/ZantropeAppDelegate.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Sandbox.h"
#include "platform/media/AudioOutput.h"
#include "platform/ui/ApplicationMain.h"
#include "platform/ui/DesktopScreen.h"
#include "platform/ui/Device.h"
#include "platform/ui/scripting/DeviceScript.h"
#include "platform/ui/scripting/UIDriver.h"
#include "uikit/SPWrapController.h"
#include "uikit/UISidePanelItem.h"

namespace {

// Where a script's clock starts; any fixed moment makes runs repeat exactly.
constexpr double kScriptStartUptimeSeconds = 1000;

void printUsage()
{
    std::puts("usage: zantrope [--device DIR] [--idiom phone|tablet] [--script FILE [--window]]");
}

}  // namespace

int main(int argc, char** argv)
{
    plat::RunLoop::main().bindToCurrentThread();
    std::string deviceFolder = plat::Sandbox::defaultRoot();
    plat::UserInterfaceIdiom idiom = plat::UserInterfaceIdiom::Phone;
    std::string scriptPath;
    bool scriptInWindow = false;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        if (argument == "--device" && i + 1 < argc) {
            deviceFolder = argv[++i];
        } else if (argument == "--idiom" && i + 1 < argc) {
            std::string value = argv[++i];
            if (value != "phone" && value != "tablet") {
                printUsage();
                return 2;
            }
            idiom = value == "tablet" ? plat::UserInterfaceIdiom::Pad : plat::UserInterfaceIdiom::Phone;
        } else if (argument == "--script" && i + 1 < argc) {
            scriptPath = argv[++i];
        } else if (argument == "--window") {
            scriptInWindow = true;
        } else if (argument == "--help" || argument == "-h") {
            printUsage();
            return 0;
        } else {
            printUsage();
            return 2;
        }
    }
    // An empty name would make the working folder the device.
    if (deviceFolder.empty() || (scriptInWindow && scriptPath.empty())) {
        printUsage();
        return 2;
    }
    // Paths the app stores (the pasteboard's project location among them)
    // must not depend on the folder it was started in.
    std::error_code absoluteError;
    std::filesystem::path absoluteFolder = std::filesystem::absolute(deviceFolder, absoluteError);
    if (absoluteError) {
        std::fprintf(stderr, "zantrope: cannot use %s as the device folder: %s\n", deviceFolder.c_str(),
            absoluteError.message().c_str());
        return 1;
    }
    deviceFolder = absoluteFolder.lexically_normal().string();
    if (deviceFolder.size() > 1 && deviceFolder.back() == '/')
        deviceFolder.pop_back();
    auto sandbox = std::make_shared<plat::Sandbox>(deviceFolder);
    // Without its folders nothing the person makes could be kept: stop rather than run on.
    for (const std::string& folder : {sandbox->documentsDirectory(), sandbox->cachesDirectory(),
             sandbox->preferencesDirectory(), sandbox->temporaryDirectory()}) {
        if (!plat::isDirectory(folder)) {
            std::fprintf(stderr, "zantrope: cannot use %s as the device folder\n", deviceFolder.c_str());
            return 1;
        }
    }
    plat::Sandbox::setCurrent(std::move(sandbox));
    plat::Device::setCurrentDevice(plat::Device(idiom));
    plat::log("device folder {}", deviceFolder);

    plat::ApplicationMainOptions options;
    if (!scriptPath.empty()) {
        // A script is read before launch: a broken one stops the run at once.
        auto script = plat::scripting::DeviceScript::load(scriptPath);
        if (!script.ok()) {
            std::fprintf(stderr, "zantrope: %s\n", script.error().localizedDescription().c_str());
            return 1;
        }
        options.headless = true;
        // A script runs on a clock of its own: `wait 1` is one second of the
        // app's time, and time moves on only once the work that fell due is
        // done, so a run repeats exactly however busy the machine is.
        plat::Clock::setCurrent(std::make_shared<plat::ManualClock>(
            kScriptStartUptimeSeconds, plat::Date::now(), plat::ManualClock::BackgroundWork::SettlesBeforeTimeMoves));
        options.session = [commands = script.value(), scriptInWindow](const std::atomic<bool>& quitRequested) {
            // With --window the screen is also drawn in a desktop window
            // after every command; the script's clock stays its own.
            std::function<void()> shown;
            if (scriptInWindow) {
                shown = plat::DesktopScreen::openPresenter();
                if (!shown) {
                    std::fprintf(stderr, "zantrope: cannot open a desktop window for the script\n");
                    return 1;
                }
            }
            plat::scripting::UIDriver driver;
            driver.wait(0);
            auto ran = commands.run(driver, shown, [&quitRequested] { return quitRequested.load(); });
            if (!ran.ok()) {
                std::fprintf(stderr, "zantrope: %s\n", ran.error().localizedDescription().c_str());
                return 1;
            }
            return 0;
        };
    }
    zt::registerAppLayouts();
    zt::registerAppCaptureSources();
    // Before any screen exists: every controller finds its container and wrapper.
    zt::loadUISidePanelItem();
    zt::loadWrapControllerItem();
    // Sound goes to the machine's speaker while the desktop window shows the
    // screen; headless runs play it silently, in step with the clock.
    std::optional<plat::SystemAudioOutputScope> speaker;
    if (!options.headless && plat::DesktopScreen::isAvailable())
        speaker.emplace();
    return plat::ApplicationMain(options, [] { return std::make_shared<zt::ZantropeAppDelegate>(); });
}
