// The frame editor's help: the overlay of bubbles behind the help button,
// the help pages, and the coach marks that the frame count brings.
#include "editor/FrameEditorCoachMarks.h"
#include "editor/FrameEditorHelp.h"
#include "editor/FrameEditorHelpControls.h"
#include "editor/FrameEditorHelpItems.h"
#include "editor/FrameEditorViewController.h"
#include "platform/ui/Button.h"
#include "platform/ui/Device.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/ScrollView.h"
#include "share/InfoCenterHelpViewController.h"
#include "uikit/HelpManager.h"
#include "uikit/TintedNavigationController.h"

namespace zt {

FrameEditorHelpControls FrameEditorViewController::helpControls()
{
    FrameEditorHelpControls controls;
    controls.screenView = view();
    controls.btnExplorer = _outlets.btnExplorer;
    controls.btnAudio = _outlets.btnAudio;
    controls.btnMusic = _outlets.btnMusic;
    controls.btnTheme = _outlets.btnTheme;
    // The tablet has no capture button: its capture screen is always there.
    if (!_captureViewController)
        controls.btnCamera = _outlets.btnCamera;
    controls.btnMore = _outlets.btnMore;
    controls.btnPlay = _outlets.btnPlay;
    controls.viewPlayerViewController = _outlets.viewPlayerViewController;
    controls.imageViewFrame = framePictureView();
    return controls;
}

std::shared_ptr<FrameEditorHelp> FrameEditorViewController::prepareFrameEditorHelp()
{
    auto help = std::make_shared<FrameEditorHelp>();
    std::weak_ptr<FrameEditorViewController> weakSelf = sharedAs<FrameEditorViewController>();
    addFrameEditorHelpItems(*help, helpControls(), [weakSelf] {
        auto self = weakSelf.lock();
        if (self && !self->_isClosed)
            self->showInternalHelp();
    });
    return help;
}

void FrameEditorViewController::actionHelp()
{
    if (_frameEditorHelp) {
        closeHelp();
        return;
    }
    _frameEditorHelp = prepareFrameEditorHelp();
    _frameEditorHelp->showHelpInView(view());
    if (_outlets.btnHelp)
        _outlets.btnHelp->setSelected(true);
}

void FrameEditorViewController::closeHelp()
{
    if (auto help = std::exchange(_frameEditorHelp, nullptr))
        help->dismissHelp();
    if (_outlets.btnHelp)
        _outlets.btnHelp->setSelected(false);
}

void FrameEditorViewController::receiveFrameEditorHelpCloseNotification(const plat::Notification&)
{
    // Only ever closes: a late close (the overlay already gone) opens nothing.
    if (_frameEditorHelp)
        closeHelp();
}

void FrameEditorViewController::showCoachMarkForFrameCount(int64_t count)
{
    if (_isHelpShownThisTime || _isClosed || count < kFrameEditorCoachMarks[0].fromCount)
        return;
    _helpManager = showFrameEditorCoachMark(
        count, helpControls(), std::static_pointer_cast<HelpManagerDelegate>(sharedAs<FrameEditorViewController>()));
    if (_helpManager)
        _isHelpShownThisTime = true;
}

void FrameEditorViewController::helpManangerDidFinish(HelpManager& helpManager)
{
    if (_helpManager.get() == &helpManager)
        _helpManager.reset();
}

void FrameEditorViewController::closeHelpForClosing()
{
    closeHelp();
    if (auto coachMark = std::exchange(_helpManager, nullptr)) {
        // Not recorded as seen: the person did not read it to its end.
        coachMark->setDelegate({});
        coachMark->view()->removeFromSuperview();
    }
}

void FrameEditorViewController::showInternalHelp()
{
    auto pages = std::make_shared<InfoCenterHelpViewController>("InfoCenterHelpViewController");
    auto navigation = std::make_shared<TintedNavigationController>(pages);
    if (plat::Device::currentDevice().isTablet())
        navigation->setModalPresentationStyle(plat::ModalPresentationStyle::FormSheet);
    presentViewController(navigation, /*animated=*/true, nullptr);
}

}  // namespace zt
