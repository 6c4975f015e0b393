#include "app/AppLayouts.h"

#include "app/MainViewController.h"
#include "app/PassCodeViewController.h"
#include "audio/AudioPickerLayouts.h"
#include "audio/AudioScreenLayouts.h"
#include "capture/CaptureLayouts.h"
#include "editor/EditorLayouts.h"
#include "editor/FrameEditorLayouts.h"
#include "editor/StripLayouts.h"
#include "greenscreen/GreenScreenLayouts.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/LayoutRegistry.h"
#include "platform/ui/Screen.h"
#include "render/ThemeCardEditViewController.h"
#include "share/ShareLayouts.h"
#include "uikit/UIKitLayouts.h"

namespace zt {

namespace {

// The root container: black, with the launch picture behind its children
// unless withLaunchPicture says no (from system 8 on, launch screens are
// the system's business).
enum class LaunchPicture { Shown, None };

plat::LayoutRegistry::Builder rootLayout(LaunchPicture picture)
{
    return [picture](plat::ViewController& owner) {
        auto root = std::make_shared<plat::View>(plat::Screen::mainScreen().bounds());
        root->setBackgroundColor(plat::Color::blackColor());
        root->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth | plat::ViewAutoresizingFlexibleHeight);
        if (picture == LaunchPicture::Shown) {
            auto launch = std::make_shared<plat::ImageView>(root->bounds());
            launch->setContentMode(plat::ContentMode::ScaleAspectFill);
            root->addSubview(launch);
            owner.setOutlet("imageView", launch);
            if (auto* main = dynamic_cast<MainViewController*>(&owner))
                main->setImageView(launch);
        }
        return root;
    };
}

}  // namespace

void registerAppLayouts()
{
    plat::LayoutRegistry::registerLayout("MainViewController", rootLayout(LaunchPicture::Shown));
    plat::LayoutRegistry::registerLayout("MainViewController_iPad", rootLayout(LaunchPicture::Shown));
    plat::LayoutRegistry::registerLayout("MainViewController_ios8", rootLayout(LaunchPicture::None));
    detail::registerProjectExplorerLayouts();
    registerPassCodeLayout();
    registerShareLayouts();
    registerUIKitLayouts();
    registerEditorLayouts();
    registerFrameEditorLayouts();
    registerStripLayouts();
    registerAudioScreenLayouts();
    registerAudioPickerLayouts();
    registerCaptureLayouts();
    registerGreenScreenLayouts();
    registerThemeCardLayouts();
}

}  // namespace zt
