// The project explorer's other toolbar actions (the preview movie, the
// share sheet, the info centre and the gallery) and the checks each time it
// comes into view: the gallery restriction with the parental passcode, the
// low-storage warning and the welcome screen.
#include "app/FeatureScreens.h"
#include "app/MessagesAfterWelcome.h"
#include "app/PassCodeViewController.h"
#include "app/ProjectExplorer.h"
#include "app/WelcomeMain.h"
#include "document/DataManager.h"
#include "document/FileUtil.h"
#include "document/ProjectModel.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/UniformTypeIdentifiers.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/ActivityViewController.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Device.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/PopoverController.h"
#include "render/MovieExportType.h"
#include "render/MovieRenderer.h"
#include "render/MovieRendererSources.h"
#include "share/GalleryScreens.h"
#include "share/ShareServices.h"
#include "uikit/AlertView.h"
#include "uikit/QVNavigationController.h"
#include "uikit/SPSidePanelController.h"
#include "uikit/TintedNavigationController.h"

namespace zt {

namespace {

constexpr const char* kGalleryDefaultsKey = "isYoutubeGalleryEnabled";
// The gallery's side panel leaves this much of the screen beside it.
constexpr double kGalleryLedge = 95;
constexpr double kGalleryListWidth = 320;
constexpr double kGalleryGap = 2;

bool isTabletDevice()
{
    return plat::Device::currentDevice().isTablet();
}

}  // namespace

std::shared_ptr<MovieExportType> ProjectExplorer::previewExportType(plat::Size size) const
{
    return std::make_shared<MovieExportType>(
        plat::localized("MoviePreview"), std::nullopt, size, plat::kUTTypeQuickTimeMovie, "mov");
}

// Screen entry.

void ProjectExplorer::checkLowStorage()
{
    auto& settings = DataManager::sharedDataManager();
    if (settings.isLowSpaceWarningShown() || !isStorageNearlyFull(FileUtil::freeDiskspace()))
        return;
    settings.setIsLowSpaceWarningShown(true);
    auto alert = std::make_shared<AlertView>(plat::localized("Storage Nearly Full"),
        plat::localized("There is almost no space left on this device. You cannot record new media until you free "
                        "some space."));
    alert->addButtonWithTitle(plat::localized("Dismiss"), nullptr);
    // It waits for a welcome about to show, not for one that a screen already up (the passcode's) puts off.
    if (_messagesAfterWelcome && !presentedViewController())
        _messagesAfterWelcome->show(alert);
    else
        alert->show();
}

void ProjectExplorer::showWelcome()
{
    // Another screen (the passcode's) is up: the welcome waits for the next entry rather than being marked
    // as shown while it cannot be.
    if (presentedViewController())
        return;
    std::weak_ptr<ProjectExplorer> weakSelf = sharedAs<ProjectExplorer>();
    WelcomeMain::handleWelcome([weakSelf](const plat::Dictionary& features) {
        auto self = weakSelf.lock();
        if (!self)
            return;
        auto welcome = std::make_shared<WelcomeGridViewController>(features);
        welcome->setBackgroundGradientTopColor(plat::Color::colorWithHue(0.77, 0.77, 0.76, 1.0));
        // At brightness 0.95 the bottom of the gradient leaves the white feature texts that sit
        // there (on a tablet, or on a phone once the list is scrolled) at 3.3:1. Their light
        // strokes need more than the 4.7:1 of plain white on 0.78: at 0.68 it is 5.9:1 (and
        // still lighter than the top).
        welcome->setBackgroundGradientBottomColor(plat::Color::colorWithHue(0.78, 0.6, 0.68, 1.0));
        self->presentViewController(welcome, /*animated=*/true, nullptr);
    });
}

void ProjectExplorer::validateRestrictionsSettings()
{
    auto& settings = DataManager::sharedDataManager();
    auto& defaults = plat::UserDefaults::standardUserDefaults();
    const plat::Value wanted = defaults.objectForKey(kGalleryDefaultsKey);
    if (!wanted.isNull() && defaults.boolForKey(kGalleryDefaultsKey) != settings.isYoutubeGalleryEnabled()) {
        // Asked for again (the app became active) while the screen is up: that one answers.
        auto shown = _passCodeScreen.lock();
        if (!shown || !shown->presentingViewController()) {
            auto passCode = std::make_shared<PassCodeViewController>("PassCodeViewController");
            auto navigation = std::make_shared<QVNavigationController>(passCode);
            navigation->setModalPresentationStyle(plat::ModalPresentationStyle::FormSheet);
            std::weak_ptr<ProjectExplorer> weakSelf = sharedAs<ProjectExplorer>();
            std::weak_ptr<plat::ViewController> weakNavigation = navigation;
            passCode->setCompletionHandler([weakSelf, weakNavigation](bool success) {
                auto self = weakSelf.lock();
                if (!self)
                    return;
                auto& data = DataManager::sharedDataManager();
                auto& userDefaults = plat::UserDefaults::standardUserDefaults();
                if (success) {
                    data.setIsYoutubeGalleryEnabled(userDefaults.boolForKey(kGalleryDefaultsKey));
                    if (data.isYoutubeGalleryEnabled())
                        data.setPassCode(std::nullopt);
                    DataManager::saveState();
                } else {
                    userDefaults.setBool(data.isYoutubeGalleryEnabled(), kGalleryDefaultsKey);
                    userDefaults.synchronize();
                }
                if (self->_outlets.galleryBtn)
                    self->_outlets.galleryBtn->setEnabled(data.isYoutubeGalleryEnabled());
                if (auto screen = weakNavigation.lock()) {
                    screen->dismissViewControllerAnimated(true, [weakSelf] {
                        // The welcome this screen put off waits for a later entry; the start's messages do not.
                        auto owner = weakSelf.lock();
                        if (owner && owner->_messagesAfterWelcome && WelcomeMain::isDue())
                            owner->_messagesAfterWelcome->welcomePutOff();
                    });
                }
                self->_passCodeScreen.reset();
            });
            _passCodeScreen = navigation;
            presentViewController(navigation, /*animated=*/true, nullptr);
        }
    }
    if (_outlets.galleryBtn)
        _outlets.galleryBtn->setEnabled(settings.isYoutubeGalleryEnabled());
}

// Share, help and gallery.

void ProjectExplorer::actionShare()
{
    if (!_selectedProject || !_selectedProject->getProjectPath())
        return;
    // One item, the project: each target renders what it takes from it.
    std::vector<std::any> items {_selectedProject};
    // The share targets render through the same path as the preview, with its progress screen.
    std::weak_ptr<ProjectExplorer> weakSelf = sharedAs<ProjectExplorer>();
    ShareServices services([weakSelf](std::shared_ptr<MovieExportType> type, ShareHandOff handOff) {
        if (auto self = weakSelf.lock())
            self->prepareExportWithType(std::move(type), std::move(handOff));
    });
    auto sheet = std::make_shared<plat::ActivityViewController>(items, services.getAvailableShareServices());
    sheet->setExcludedActivityTypes({plat::ActivityTypePostToFacebook, plat::ActivityTypePostToTwitter,
        plat::ActivityTypePostToWeibo, plat::ActivityTypeMessage, plat::ActivityTypeMail, plat::ActivityTypePrint,
        plat::ActivityTypeCopyToPasteboard, plat::ActivityTypeAssignToContact, plat::ActivityTypeSaveToCameraRoll});
    if (isTabletDevice() && _outlets.shareBtn) {
        if (_popover)
            _popover->dismissPopoverAnimated(false);
        _popover = std::make_shared<plat::PopoverController>(sheet);
        _popover->presentPopoverFromBarButtonItem(*_outlets.shareBtn, plat::PopoverArrowDirectionDown, true);
    } else {
        presentViewController(sheet, /*animated=*/true, nullptr);
    }
}

void ProjectExplorer::actionHelp()
{
    auto infoCenter = std::make_shared<InfoCenterViewController>("InfoCenterViewController");
    infoCenter->setDelegate(sharedAs<ProjectExplorer>());
    if (isTabletDevice())
        infoCenter->setModalPresentationStyle(plat::ModalPresentationStyle::FormSheet);
    presentViewController(infoCenter, /*animated=*/true, nullptr);
}

void ProjectExplorer::infoCenterDidFinish(InfoCenterViewController& infoCenter)
{
    infoCenter.dismissViewControllerAnimated(true, nullptr);
}

void ProjectExplorer::helpManangerDidFinish(HelpManager&)
{
    _helpManager.reset();
}

void ProjectExplorer::actionYoutubeGalery()
{
    openGalleryHandler();
}

void ProjectExplorer::openGalleryHandler()
{
    auto side = std::make_shared<GallerySideViewController>("GallerySideViewController");
    auto list = std::make_shared<GaleryVideoTableViewController>("GaleryVideoTableViewController");
    std::shared_ptr<SPSidePanelController> container;
    const plat::Rect bounds = view()->bounds();
    if (isTabletDevice()) {
        auto web = std::make_shared<GalleryWebViewController>("GalleryWebViewController_iPad");
        list->setGalleryWebViewController(web);
        auto split = std::make_shared<GallerySplitViewController>();
        split->view()->setFrame(bounds);
        list->view()->setFrame(plat::makeRect(0, 0, kGalleryListWidth, bounds.height()));
        web->view()->setFrame(
            plat::makeRect(kGalleryListWidth + kGalleryGap, 0, bounds.width() - kGalleryListWidth, bounds.height()));
        split->setLeftController(list);
        split->setRightController(web);
        auto navigation = std::make_shared<TintedNavigationController>(split);
        container = SPSidePanelController::initWithCenterViewControllerLeftViewControllerRightViewController(
            navigation, side, nullptr);
        split->setDeckController(container);
    } else {
        auto navigation = std::make_shared<TintedNavigationController>(list);
        container = SPSidePanelController::initWithCenterViewControllerLeftViewController(navigation, side);
    }
    presentViewController(container, /*animated=*/true, nullptr);
    list->setDeckController(container);
    container->setLeftSize(bounds.width() - kGalleryLedge);
}

}  // namespace zt
